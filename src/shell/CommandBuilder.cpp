#include "shell/CommandBuilder.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QProxyStyle>
#include <QToolBar>
#include <QToolButton>
#include <string>

#include "res/ShellResources.h"

namespace
{

const char kWindowListProperty[] = "traceloWindowList";

// Disabled menu items can be highlighted, so that their prompts show too.
class CMenuStyle : public QProxyStyle
{
public:
    explicit CMenuStyle(QObject* pOwner)
    {
        setParent(pOwner);
        setObjectName(QStringLiteral("TraceloMenuStyle"));
    }
    int styleHint(StyleHint eHint, const QStyleOption* pOption, const QWidget* pWidget,
                  QStyleHintReturn* pReturn) const override
    {
        if (eHint == QStyle::SH_Menu_AllowActiveAndDisabled)
        {
            return 1;
        }
        return QProxyStyle::styleHint(eHint, pOption, pWidget, pReturn);
    }
};

// One for the application, living as long as it: menus do not own their style.
QStyle* MenuStyle()
{
    auto* pStyle = qApp->findChild<CMenuStyle*>(QStringLiteral("TraceloMenuStyle"),
                                                Qt::FindDirectChildrenOnly);
    if (pStyle == nullptr)
    {
        pStyle = new CMenuStyle(qApp);
    }
    return pStyle;
}

// Keeps the toolkit's default tooltip, drawn from the menu text, off a
// button whose command names no tooltip.
class CNoToolTip : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        return pEvent->type() == QEvent::ToolTip || QObject::eventFilter(pWatched, pEvent);
    }
};

} // namespace

CCommandBuilder::CCommandBuilder(QWidget* pOwner) : m_pOwner(pOwner)
{
}

QAction* CCommandBuilder::MakeAction(unsigned nID, const char* pszText) const
{
    auto* pAction = new QAction(QString::fromUtf8(pszText), m_pOwner);
    pAction->setData(nID);
    pAction->setStatusTip(QString::fromStdString(res::GetCommandPrompt(nID)));
    pAction->setIconVisibleInMenu(false);
    pAction->setEnabled(false);
    return pAction;
}

void CCommandBuilder::Adopt(unsigned nID, QAction* pAction)
{
    pAction->setData(nID);
    pAction->setStatusTip(QString::fromStdString(res::GetCommandPrompt(nID)));
    m_actions[nID] = pAction;
}

QAction* CCommandBuilder::AddAction(unsigned nID)
{
    QAction*& pAction = m_actions[nID];
    if (pAction == nullptr)
    {
        pAction = MakeAction(nID, "");
        m_pOwner->addAction(pAction);
    }
    return pAction;
}

void CCommandBuilder::CreateActions(const std::vector<unsigned>& vMenuIDs, unsigned nIDAccel)
{
    for (unsigned nIDMenu : vMenuIDs)
    {
        const res::CMenuDef* pDef = res::FindMenu(nIDMenu);
        if (pDef == nullptr)
        {
            continue;
        }
        for (const res::CPopupDef& popup : pDef->m_popups)
        {
            for (const res::CMenuItemDef& item : popup.m_items)
            {
                if (item.m_nFlags & res::MF_SEPARATOR)
                {
                    continue;
                }
                if (item.m_nID == res::ID_FILE_MRU_FILE1)
                {
                    if (m_pRecentPlaceholder == nullptr)
                    {
                        m_pRecentPlaceholder = MakeAction(item.m_nID, item.m_pszText);
                    }
                    continue;
                }
                QAction*& pAction = m_actions[item.m_nID];
                if (pAction == nullptr)
                {
                    pAction = MakeAction(item.m_nID, item.m_pszText);
                }
                else if (pAction->text().isEmpty())
                {
                    pAction->setText(QString::fromUtf8(item.m_pszText));
                }
            }
        }
    }
    // The keys, in the table's order; one with no menu item (the panes) gets
    // an action of its own.
    std::map<unsigned, QList<QKeySequence>> keys;
    for (const res::CAccelDef& accel : res::GetAccelerators(nIDAccel))
    {
        keys[accel.m_nID].append(QKeySequence::fromString(QString::fromUtf8(accel.m_pszKeys),
                                                          QKeySequence::PortableText));
    }
    for (const auto& [nID, list] : keys)
    {
        QAction*& pAction = m_actions[nID];
        if (pAction == nullptr)
        {
            pAction = MakeAction(nID, "");
        }
        pAction->setShortcuts(list);
    }
    for (const auto& [nID, pAction] : m_actions)
    {
        m_pOwner->addAction(pAction);
    }
}

QAction* CCommandBuilder::Action(unsigned nID) const
{
    auto it = m_actions.find(nID);
    return it == m_actions.end() ? nullptr : it->second;
}

void CCommandBuilder::SetAboutToShow(std::function<void(QMenu*)> fnAboutToShow)
{
    m_fnAboutToShow = std::move(fnAboutToShow);
}

std::vector<QMenu*> CCommandBuilder::BuildMenu(unsigned nIDMenu, QWidget* pParent) const
{
    std::vector<QMenu*> vMenus;
    if (const res::CMenuDef* pDef = res::FindMenu(nIDMenu))
    {
        for (const res::CPopupDef& popup : pDef->m_popups)
        {
            vMenus.push_back(BuildPopup(popup, pParent));
        }
    }
    return vMenus;
}

bool CCommandBuilder::IsWindowList(const QMenu* pMenu)
{
    return pMenu->property(kWindowListProperty).toBool();
}

QMenu* CCommandBuilder::BuildPopup(const res::CPopupDef& popup, QWidget* pParent) const
{
    auto* pMenu = new QMenu(QString::fromUtf8(popup.m_pszTitle), pParent);
    pMenu->setStyle(MenuStyle());
    for (const res::CMenuItemDef& item : popup.m_items)
    {
        if (item.m_nFlags & res::MF_SEPARATOR)
        {
            pMenu->addSeparator();
        }
        else if (item.m_nID == res::ID_FILE_MRU_FILE1)
        {
            pMenu->addAction(m_pRecentPlaceholder);
        }
        else
        {
            pMenu->addAction(Action(item.m_nID));
        }
    }
    pMenu->setProperty(kWindowListProperty, popup.m_bWindowList);
    if (m_fnAboutToShow)
    {
        QObject::connect(pMenu, &QMenu::aboutToShow, pMenu,
                         [fn = m_fnAboutToShow, pMenu] { fn(pMenu); });
    }
    return pMenu;
}

bool CCommandBuilder::BuildToolBar(QToolBar* pToolBar, unsigned nIDResource) const
{
    const auto buttons = res::GetToolBar(nIDResource);
    if (buttons.empty())
    {
        return false;
    }
    pToolBar->setIconSize(QSize(res::kToolBarImageWidth, res::kToolBarImageHeight));
    auto* pNoToolTip = new CNoToolTip(pToolBar);
    for (const res::CToolBarButtonDef& button : buttons)
    {
        if (button.m_nID == 0)
        {
            pToolBar->addSeparator();
            continue;
        }
        const char* pszImage = res::GetToolBarImagePath(button.m_nImage);
        QAction* pAction = Action(button.m_nID);
        if (pszImage == nullptr || pAction == nullptr)
        {
            return false;
        }
        pAction->setIcon(QIcon(QString::fromUtf8(pszImage)));
        const std::string strTip = res::GetCommandTooltip(button.m_nID);
        pAction->setToolTip(QString::fromStdString(strTip));
        pToolBar->addAction(pAction);
        if (QWidget* pButton = pToolBar->widgetForAction(pAction))
        {
            pButton->setFixedSize(res::kToolBarButtonWidth, res::kToolBarButtonHeight);
            if (strTip.empty())
            {
                pButton->installEventFilter(pNoToolTip);
            }
        }
    }
    return true;
}
