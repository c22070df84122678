#include "shell/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QIcon>
#include <QKeySequence>
#include <QLayout>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <new>

#include "core/doc/TraceloDoc.h"
#include "res/SamplingStrings.h"
#include "res/ShellResources.h"
#include "shell/ChildFrame.h"
#include "shell/KeyboardLocks.h"
#include "shell/MessageBox.h"
#include "shell/OpenGraphs.h"
#include "shell/RecentFileList.h"
#include "shell/StatusBar.h"
#include "shell/TraceloApp.h"
#include "shell/TraceloView.h"

namespace
{

const char kDynamicProperty[] = "traceloDynamicItem";
const char kWindowListProperty[] = "traceloWindowList";

unsigned CommandOf(const QAction* pAction)
{
    return pAction->data().toUInt();
}

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

} // namespace

CMainFrame::CMainFrame(CTraceloApp* pApp) : m_pApp(pApp)
{
}

CMainFrame::~CMainFrame()
{
    // The bars are members: they leave the window before it goes.
    SetMessageBar(nullptr);
    // The graph windows go while this frame is still whole: their documents
    // may go with them, and nothing may call back into a half-destroyed frame.
    if (m_pApp != nullptr && m_pApp->m_pMainWnd == this)
    {
        m_pApp->m_pMainWnd = nullptr;
    }
    if (m_pMdiArea != nullptr)
    {
        QObject::disconnect(m_pMdiArea, nullptr, this, nullptr);
        for (QMdiSubWindow* pWindow : m_pMdiArea->subWindowList())
        {
            QObject::disconnect(pWindow, nullptr, this, nullptr);
        }
        delete m_pMdiArea;
        m_pMdiArea = nullptr;
    }
}

bool CMainFrame::LoadFrame(unsigned nIDResource)
{
    m_nIDResource = nIDResource;
    if (const char* pszTitle = res::LoadString(nIDResource))
    {
        setWindowTitle(QString::fromUtf8(pszTitle));
    }
    if (const char* pszIcon = res::GetIconPath(nIDResource))
    {
        setWindowIcon(QIcon(QString::fromUtf8(pszIcon)));
    }
    // The platform's default size for a new main window: most of the screen.
    if (QScreen* pScreen = QGuiApplication::primaryScreen())
    {
        const QRect rect = pScreen->availableGeometry();
        resize(rect.width() * 3 / 4, rect.height() * 3 / 4);
    }

    m_pMdiArea = new QMdiArea(this);
    m_pMdiArea->setObjectName(QStringLiteral("mdiclient"));
    // Every part of a window that reaches beyond the area can be scrolled to.
    m_pMdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pMdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_pMdiArea);
    QObject::connect(m_pMdiArea, &QMdiArea::subWindowActivated, this,
                     [this](QMdiSubWindow* pWindow) { OnSubWindowActivated(pWindow); });

    CreateActions(nIDResource);
    for (unsigned nIDMenu : {nIDResource, static_cast<unsigned>(res::IDR_GRAPHTYPE)})
    {
        const res::CMenuDef* pDef = res::FindMenu(nIDMenu);
        if (pDef == nullptr)
        {
            return false;
        }
        std::vector<QMenu*>& vMenus = m_menus[nIDMenu];
        for (const res::CPopupDef& popup : pDef->m_popups)
        {
            vMenus.push_back(BuildPopup(popup, this));
        }
    }
    SetMenuBar(nIDResource);
    return OnCreate() != -1;
}

QAction* CMainFrame::MakeAction(unsigned nID, const QString& strText)
{
    auto* pAction = new QAction(strText, this);
    pAction->setData(nID);
    pAction->setStatusTip(QString::fromStdString(res::GetCommandPrompt(nID)));
    pAction->setIconVisibleInMenu(false);
    return pAction;
}

void CMainFrame::CreateActions(unsigned nIDResource)
{
    // One action per command, named by the first menu item that carries it;
    // the menus, the toolbar, the context menu and the keys share it.
    for (unsigned nIDMenu : {nIDResource, static_cast<unsigned>(res::IDR_GRAPHTYPE),
                             static_cast<unsigned>(res::IDR_GRAPH_POPUP)})
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
                if ((item.m_nFlags & res::MF_SEPARATOR) || m_actions.count(item.m_nID) != 0)
                {
                    continue;
                }
                if (item.m_nID == res::ID_FILE_MRU_FILE1)
                {
                    if (m_pRecentPlaceholder == nullptr)
                    {
                        m_pRecentPlaceholder =
                            MakeAction(item.m_nID, QString::fromUtf8(item.m_pszText));
                        m_pRecentPlaceholder->setEnabled(false);
                    }
                    continue;
                }
                m_actions[item.m_nID] = MakeAction(item.m_nID, QString::fromUtf8(item.m_pszText));
            }
        }
    }
    // The keys, in the table's order; one with no menu item (the panes) gets
    // an action of its own.
    std::map<unsigned, QList<QKeySequence>> keys;
    for (const res::CAccelDef& accel : res::GetAccelerators(nIDResource))
    {
        keys[accel.m_nID].append(QKeySequence::fromString(QString::fromUtf8(accel.m_pszKeys),
                                                          QKeySequence::PortableText));
    }
    for (const auto& [nID, list] : keys)
    {
        QAction*& pAction = m_actions[nID];
        if (pAction == nullptr)
        {
            pAction = MakeAction(nID, QString());
        }
        pAction->setShortcuts(list);
    }
    // On the frame itself, so that the keys work whichever menu bar shows.
    for (const auto& [nID, pAction] : m_actions)
    {
        addAction(pAction);
    }
    for (unsigned nID : {res::ID_VIEW_TOOLBAR, res::ID_VIEW_STATUS_BAR})
    {
        ConnectCommand(
            nID, [this, nID] { OnBarCheck(nID); }, false);
        GetAction(nID)->setCheckable(true);
    }
    ConnectCommand(
        res::ID_WINDOW_NEW, [this] { OnWindowNew(); }, false);
    ConnectCommand(
        res::ID_WINDOW_CASCADE, [this] { OnMDICascade(); }, false);
    ConnectCommand(
        res::ID_WINDOW_TILE_HORZ, [this] { OnMDITile(); }, false);
    ConnectCommand(
        res::ID_WINDOW_ARRANGE, [this] { OnMDIIconArrange(); }, false);
}

void CMainFrame::ConnectCommand(unsigned nID, std::function<void()> fn, bool bNeedsGraph)
{
    QAction*& pAction = m_actions[nID];
    if (pAction == nullptr)
    {
        // A command no menu names (printing from the command line).
        pAction = MakeAction(nID, QString());
        addAction(pAction);
    }
    QObject::connect(pAction, &QAction::triggered, this,
                     [this, fn = std::move(fn)] { RunCommand(fn); });
    m_connected.insert(nID);
    if (bNeedsGraph)
    {
        m_graphOnly.insert(nID);
    }
}

void CMainFrame::RunCommand(const std::function<void()>& fn)
{
    try
    {
        fn();
    }
    catch (const std::bad_alloc&)
    {
        ShowMessageBox(this, QString::fromUtf8(res::kOutOfMemory), EMsgBoxButtons::Ok,
                       EMsgBoxIcon::Exclamation);
    }
    UpdateActions();
}

QAction* CMainFrame::GetAction(unsigned nID) const
{
    auto it = m_actions.find(nID);
    return it == m_actions.end() ? nullptr : it->second;
}

QMenu* CMainFrame::BuildPopup(const res::CPopupDef& popup, QWidget* pParent)
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
            pMenu->addAction(GetAction(item.m_nID));
        }
    }
    pMenu->setProperty(kWindowListProperty, popup.m_bWindowList);
    QObject::connect(pMenu, &QMenu::aboutToShow, this, [this, pMenu] { UpdateMenuItems(pMenu); });
    return pMenu;
}

void CMainFrame::SetMenuBar(unsigned nIDMenu)
{
    if (m_nCurrentMenu == nIDMenu)
    {
        return;
    }
    auto it = m_menus.find(nIDMenu);
    if (it == m_menus.end())
    {
        return;
    }
    m_nCurrentMenu = nIDMenu;
    QMenuBar* pBar = menuBar();
    pBar->clear();
    for (QMenu* pMenu : it->second)
    {
        pBar->addMenu(pMenu);
    }
}

QMenu* CMainFrame::GetMenu(unsigned nIDMenu, int nPopup) const
{
    auto it = m_menus.find(nIDMenu);
    if (it == m_menus.end() || nPopup < 0 || nPopup >= static_cast<int>(it->second.size()))
    {
        return nullptr;
    }
    return it->second[nPopup];
}

void CMainFrame::UpdateMenuItems(QMenu* pMenu)
{
    UpdateRecentFileItems(pMenu);
    if (pMenu->property(kWindowListProperty).toBool())
    {
        UpdateWindowList(pMenu);
    }
}

void CMainFrame::UpdateRecentFileItems(QMenu* pMenu)
{
    QAction* pPlaceholder = nullptr;
    for (QAction* pAction : pMenu->actions())
    {
        if (pAction == m_pRecentPlaceholder)
        {
            pPlaceholder = pAction;
        }
        else if (pAction->property(kDynamicProperty).toString() == QLatin1String("mru"))
        {
            pMenu->removeAction(pAction);
            delete pAction;
        }
    }
    if (pPlaceholder == nullptr)
    {
        return;
    }
    const CRecentFileList* pList = m_pApp != nullptr ? m_pApp->m_pRecentFileList.get() : nullptr;
    const int nCount = pList != nullptr ? pList->GetCount() : 0;
    // The place holder stands, greyed, only while the list is empty.
    pPlaceholder->setVisible(nCount == 0);
    const std::string strCurrentDir = QDir::currentPath().toStdString();
    for (int i = 0; i < nCount; ++i)
    {
        const QString strText = QStringLiteral("&%1 %2").arg(i + 1).arg(
            QString::fromStdString(EscapeMnemonics(pList->GetDisplayName(i, strCurrentDir))));
        const unsigned nID = pList->GetStartID() + i;
        QAction* pAction = MakeAction(nID, strText);
        pAction->setParent(pMenu);
        QObject::connect(pAction, &QAction::triggered, this,
                         [this, nID]
                         { RunCommand([this, nID] { m_pApp->OnOpenRecentFile(nID); }); });
        pAction->setProperty(kDynamicProperty, QStringLiteral("mru"));
        pMenu->insertAction(pPlaceholder, pAction);
    }
}

void CMainFrame::UpdateWindowList(QMenu* pMenu)
{
    for (QAction* pAction : pMenu->actions())
    {
        if (pAction->property(kDynamicProperty).toString() == QLatin1String("window"))
        {
            pMenu->removeAction(pAction);
            delete pAction;
        }
    }
    const std::vector<CChildFrame*> vFrames = GetChildFrames();
    if (vFrames.empty())
    {
        return;
    }
    QAction* pSeparator = pMenu->addSeparator();
    pSeparator->setProperty(kDynamicProperty, QStringLiteral("window"));
    CChildFrame* pActive = MDIGetActive();
    const std::vector<CChildFrame*> vListed = GetListedFrames();
    for (std::size_t i = 0; i < vListed.size(); ++i)
    {
        QString strTitle = vListed[i]->windowTitle();
        strTitle.replace(QLatin1Char('&'), QLatin1String("&&"));
        const unsigned nID = res::AFX_IDM_FIRST_MDICHILD + unsigned(i);
        QAction* pAction = MakeAction(nID, QStringLiteral("&%1 %2").arg(i + 1).arg(strTitle));
        pAction->setParent(pMenu);
        QObject::connect(pAction, &QAction::triggered, this,
                         [this, nID] { RunCommand([this, nID] { OnMDIWindowCmd(nID); }); });
        pAction->setProperty(kDynamicProperty, QStringLiteral("window"));
        // Only the active window carries a mark.
        pAction->setCheckable(vListed[i] == pActive);
        pAction->setChecked(vListed[i] == pActive);
        pMenu->addAction(pAction);
    }
    if (vFrames.size() > res::kMaxListedWindows)
    {
        QAction* pAction = MakeAction(res::ID_WINDOW_MORE, QString::fromUtf8(res::kMoreWindows));
        pAction->setParent(pMenu);
        QObject::connect(pAction, &QAction::triggered, this,
                         [this] { RunCommand([this] { OnSelectWindow(); }); });
        pAction->setProperty(kDynamicProperty, QStringLiteral("window"));
        pMenu->addAction(pAction);
    }
}

std::vector<CChildFrame*> CMainFrame::GetListedFrames() const
{
    std::vector<CChildFrame*> vFrames = GetChildFrames();
    if (vFrames.size() <= res::kMaxListedWindows)
    {
        return vFrames;
    }
    CChildFrame* pActive = MDIGetActive();
    const auto itActive = std::find(vFrames.begin(), vFrames.end(), pActive);
    const bool bActiveLater = itActive - vFrames.begin() >= std::ptrdiff_t(res::kMaxListedWindows);
    vFrames.resize(res::kMaxListedWindows);
    if (pActive != nullptr && bActiveLater)
    {
        vFrames.back() = pActive;
    }
    return vFrames;
}

std::vector<CChildFrame*> CMainFrame::GetChildFrames() const
{
    std::vector<CChildFrame*> vFrames;
    if (m_pMdiArea == nullptr)
    {
        return vFrames;
    }
    for (QMdiSubWindow* pWindow : m_pMdiArea->subWindowList(QMdiArea::CreationOrder))
    {
        if (auto* pFrame = dynamic_cast<CChildFrame*>(pWindow))
        {
            vFrames.push_back(pFrame);
        }
    }
    return vFrames;
}

CChildFrame* CMainFrame::MDIGetActive() const
{
    if (m_pMdiArea == nullptr)
    {
        return nullptr;
    }
    const QList<QMdiSubWindow*> list = m_pMdiArea->subWindowList();
    QMdiSubWindow* pWindow = m_pMdiArea->activeSubWindow();
    if (pWindow == nullptr)
    {
        pWindow = m_pMdiArea->currentSubWindow();
    }
    // While another top-level window (a dialog) is active the area may name
    // none: the graph window last activated is still the active one.
    if (pWindow == nullptr && m_pLastActive != nullptr && list.contains(m_pLastActive.data()))
    {
        pWindow = m_pLastActive.data();
    }
    return list.contains(pWindow) ? dynamic_cast<CChildFrame*>(pWindow) : nullptr;
}

void CMainFrame::MDIActivate(CChildFrame* pFrame)
{
    if (m_pMdiArea == nullptr || pFrame == nullptr)
    {
        return;
    }
    if (pFrame->isMinimized())
    {
        pFrame->showNormal();
    }
    m_pMdiArea->setActiveSubWindow(pFrame);
    m_pLastActive = pFrame;
    if (QWidget* pView = pFrame->widget())
    {
        pView->setFocus(Qt::OtherFocusReason);
    }
    OnUpdateFrameMenu();
    OnUpdateFrameTitle();
}

void CMainFrame::AddChildFrame(CChildFrame* pFrame)
{
    m_pMdiArea->addSubWindow(pFrame);
    if (const char* pszIcon = res::GetIconPath(res::IDR_GRAPHTYPE))
    {
        pFrame->setWindowIcon(QIcon(QString::fromUtf8(pszIcon)));
    }
    if (layout() != nullptr)
    {
        layout()->activate();
    }
    pFrame->setGeometry(CascadeRect(m_nCascade, m_pMdiArea->contentsRect().size(), pFrame));
    ++m_nCascade;
    // The caption follows the graph window's title and whether it fills the area.
    QObject::connect(pFrame, &QWidget::windowTitleChanged, this, [this] { OnUpdateFrameTitle(); });
    QObject::connect(pFrame, &QMdiSubWindow::windowStateChanged, this,
                     [this] { OnUpdateFrameTitle(); });
}

QRect CMainFrame::CascadeRect(int& nIndex, const QSize& area, const QWidget* pFrame) const
{
    // Staggered from the top left by a caption's height, three quarters of
    // the area in size, as the platform places new windows.
    const int nStep = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, pFrame) + 4;
    const QSize size(std::max(area.width() * 3 / 4, 200), std::max(area.height() * 3 / 4, 150));
    int nOffset = nStep * nIndex;
    if (nIndex > 0 &&
        (nOffset + size.width() > area.width() || nOffset + size.height() > area.height()))
    {
        nIndex = 0;
        nOffset = 0;
    }
    return QRect(QPoint(nOffset, nOffset), size);
}

void CMainFrame::OnSubWindowActivated(QMdiSubWindow* pWindow)
{
    if (pWindow != nullptr)
    {
        m_pLastActive = pWindow;
    }
    OnUpdateFrameMenu();
    OnUpdateFrameTitle();
    UpdateActions();
}

void CMainFrame::OnUpdateFrameMenu()
{
    SetMenuBar(MDIGetActive() != nullptr ? static_cast<unsigned>(res::IDR_GRAPHTYPE)
                                         : m_nIDResource);
}

void CMainFrame::OnUpdateFrameTitle()
{
    QString strTitle = QString::fromUtf8(res::LoadString(m_nIDResource));
    if (CChildFrame* pActive = MDIGetActive())
    {
        if (pActive->isMaximized())
        {
            strTitle += QStringLiteral(" - [%1]").arg(pActive->windowTitle());
        }
        else if (CTraceloDoc* pDoc = pActive->GetActiveDocument())
        {
            QString strDoc = QString::fromStdString(pDoc->GetTitle());
            strDoc.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
            strTitle += QStringLiteral(" - ") + strDoc;
        }
    }
    if (windowTitle() != strTitle)
    {
        setWindowTitle(strTitle);
    }
}

void CMainFrame::OnCommand(unsigned nID)
{
    if (QAction* pAction = GetAction(nID))
    {
        if (pAction->isEnabled())
        {
            pAction->trigger();
        }
    }
    // The recent files and the windows have items only while their menu is
    // made; they run as those items would.
    else if (nID >= res::ID_FILE_MRU_FILE1 && nID <= res::ID_FILE_MRU_LAST)
    {
        if (m_pApp != nullptr)
        {
            RunCommand([this, nID] { m_pApp->OnOpenRecentFile(nID); });
        }
    }
    else if (nID >= res::AFX_IDM_FIRST_MDICHILD && nID <= res::ID_WINDOW_MORE)
    {
        RunCommand([this, nID] { OnMDIWindowCmd(nID); });
    }
}

unsigned CMainFrame::TrackPopupMenu(unsigned nIDMenu, const QPoint& ptScreen)
{
    const res::CMenuDef* pDef = res::FindMenu(nIDMenu);
    if (pDef == nullptr || pDef->m_popups.empty())
    {
        return 0;
    }
    // Made, shown and destroyed within this call; its actions stay.
    std::unique_ptr<QMenu> pMenu(BuildPopup(pDef->m_popups.front(), this));
    pMenu->setObjectName(QStringLiteral("contextMenu%1").arg(nIDMenu));
    // The chosen command runs once the menu has closed and returned, not
    // from inside its event loop.
    std::vector<std::unique_ptr<QSignalBlocker>> vBlockers;
    for (QAction* pAction : pMenu->actions())
    {
        vBlockers.push_back(std::make_unique<QSignalBlocker>(pAction));
    }
    QAction* pChosen = pMenu->exec(ptScreen);
    vBlockers.clear();
    pMenu.reset();
    const unsigned nID = pChosen != nullptr ? CommandOf(pChosen) : 0;
    if (nID != 0)
    {
        OnCommand(nID);
    }
    return nID;
}

void CMainFrame::SetMessageText(const QString& strText)
{
    if (m_pMessageBar != nullptr && m_pMessageBar->GetCount() > 0)
    {
        m_pMessageBar->SetPaneText(0, strText, true);
    }
}

void CMainFrame::SetIdleMessage()
{
    SetMessageText(QString::fromUtf8(res::LoadString(res::AFX_IDS_IDLEMESSAGE)));
}

void CMainFrame::UpdateActions()
{
    const bool bGraph = MDIGetActive() != nullptr;
    for (const auto& [nID, pAction] : m_actions)
    {
        pAction->setEnabled(m_connected.count(nID) != 0 && (bGraph || m_graphOnly.count(nID) == 0));
    }
    for (unsigned nID : {res::ID_VIEW_TOOLBAR, res::ID_VIEW_STATUS_BAR})
    {
        const QWidget* pBar = GetControlBar(nID);
        if (QAction* pAction = GetAction(nID))
        {
            pAction->setChecked(pBar != nullptr && !pBar->isHidden());
        }
    }
}

bool CMainFrame::CanUpdateStatusPanes() const
{
    return isVisible() && QApplication::activeModalWidget() == nullptr &&
           QApplication::activePopupWidget() == nullptr && m_pMessageBar != nullptr &&
           !m_pMessageBar->isHidden();
}

void CMainFrame::UpdateStatusPanes()
{
    if (!CanUpdateStatusPanes())
    {
        return;
    }
    // A lock pane shows its text only while its lock is on.
    const std::pair<unsigned, EKeyLock> kLocks[] = {{res::ID_INDICATOR_CAPS, EKeyLock::Caps},
                                                    {res::ID_INDICATOR_NUM, EKeyLock::Num},
                                                    {res::ID_INDICATOR_SCRL, EKeyLock::Scroll}};
    for (const auto& [nID, eLock] : kLocks)
    {
        const int nPane = m_pMessageBar->CommandToIndex(nID);
        if (nPane < 0)
        {
            continue;
        }
        const unsigned nStyle = m_pMessageBar->GetPaneStyle(nPane);
        m_pMessageBar->SetPaneStyle(nPane, QueryKeyLock(eLock).value_or(false)
                                               ? (nStyle & ~SBPS_DISABLED)
                                               : (nStyle | SBPS_DISABLED));
    }
    UpdateClockPane("%x", m_nDatePane);
    UpdateClockPane("%X", m_nTimePane);
}

void CMainFrame::RegisterControlBar(unsigned nID, QWidget* pBar)
{
    m_controlBars[nID] = pBar;
}

QWidget* CMainFrame::GetControlBar(unsigned nID) const
{
    auto it = m_controlBars.find(nID);
    return it == m_controlBars.end() ? nullptr : it->second;
}

void CMainFrame::ShowControlBar(QWidget* pBar, bool bShow)
{
    if (pBar != nullptr)
    {
        pBar->setVisible(bShow);
        UpdateActions();
        UpdateStatusPanes();
    }
}

bool CMainFrame::LoadToolBar(QToolBar* pToolBar, unsigned nIDResource)
{
    const auto buttons = res::GetToolBar(nIDResource);
    if (buttons.empty())
    {
        return false;
    }
    pToolBar->setIconSize(QSize(res::kToolBarImageWidth, res::kToolBarImageHeight));
    for (const res::CToolBarButtonDef& button : buttons)
    {
        if (button.m_nID == 0)
        {
            pToolBar->addSeparator();
            continue;
        }
        const char* pszImage = res::GetToolBarImagePath(button.m_nImage);
        if (pszImage == nullptr)
        {
            return false;
        }
        QAction* pAction = GetAction(button.m_nID);
        if (pAction == nullptr)
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
            // A command whose string names no tooltip shows none, rather than
            // the toolkit's default drawn from the menu text.
            if (strTip.empty())
            {
                pButton->installEventFilter(this);
            }
        }
    }
    return true;
}

bool CMainFrame::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pEvent->type() == QEvent::ToolTip && qobject_cast<QToolButton*>(pWatched) != nullptr)
    {
        return true;
    }
    return QMainWindow::eventFilter(pWatched, pEvent);
}

bool CMainFrame::event(QEvent* pEvent)
{
    if (pEvent->type() == QEvent::StatusTip)
    {
        // Leaving an item sends an empty tip: back to the idle message.
        const QString strTip = static_cast<QStatusTipEvent*>(pEvent)->tip();
        if (strTip.isEmpty())
        {
            SetIdleMessage();
        }
        else
        {
            SetMessageText(strTip);
        }
        return true;
    }
    const bool bResult = QMainWindow::event(pEvent);
    if (pEvent->type() == QEvent::KeyRelease)
    {
        UpdateStatusPanes();
    }
    return bResult;
}

void CMainFrame::showEvent(QShowEvent* pEvent)
{
    QMainWindow::showEvent(pEvent);
    UpdateActions();
    UpdateStatusPanes();
}

QMenu* CMainFrame::createPopupMenu()
{
    return nullptr;
}

void CMainFrame::closeEvent(QCloseEvent* pEvent)
{
    if (m_pApp != nullptr)
    {
        if (!m_pApp->m_graphs.SaveAllModified())
        {
            pEvent->ignore();
            return;
        }
        m_pApp->m_graphs.CloseAllDocuments();
    }
    QMainWindow::closeEvent(pEvent);
}

void CMainFrame::OnBarCheck(unsigned nID)
{
    if (QWidget* pBar = GetControlBar(nID))
    {
        ShowControlBar(pBar, pBar->isHidden());
    }
}

void CMainFrame::OnWindowNew()
{
    CChildFrame* pActive = MDIGetActive();
    if (pActive == nullptr || m_pApp == nullptr)
    {
        return;
    }
    if (CTraceloDoc* pDoc = pActive->GetActiveDocument())
    {
        m_pApp->m_graphs.OpenNewWindow(pDoc);
    }
}

QSize CMainFrame::PrepareArrange()
{
    // Places are in the area's own coordinates: back to its origin first.
    m_pMdiArea->horizontalScrollBar()->setValue(0);
    m_pMdiArea->verticalScrollBar()->setValue(0);
    return m_pMdiArea->contentsRect().size();
}

void CMainFrame::OnMDICascade()
{
    CChildFrame* pActive = MDIGetActive();
    // Bottom of the stack first, the active window last and on top;
    // minimised windows stay where they are.
    std::vector<CChildFrame*> vFrames;
    for (QMdiSubWindow* pWindow : m_pMdiArea->subWindowList(QMdiArea::StackingOrder))
    {
        auto* pFrame = dynamic_cast<CChildFrame*>(pWindow);
        if (pFrame != nullptr && pFrame != pActive && !pFrame->isMinimized())
        {
            vFrames.push_back(pFrame);
        }
    }
    if (pActive != nullptr && !pActive->isMinimized())
    {
        vFrames.push_back(pActive);
    }
    for (CChildFrame* pFrame : vFrames)
    {
        if (pFrame->isMaximized())
        {
            pFrame->showNormal();
        }
    }
    const QSize area = PrepareArrange();
    int nIndex = 0;
    for (CChildFrame* pFrame : vFrames)
    {
        pFrame->setGeometry(CascadeRect(nIndex, area, pFrame));
        ++nIndex;
        pFrame->raise();
    }
    m_nCascade = nIndex;
    if (pActive != nullptr)
    {
        MDIActivate(pActive);
    }
}

void CMainFrame::OnMDITile()
{
    CChildFrame* pActive = MDIGetActive();
    // From the top of the stack: the active window first, at the top left.
    std::vector<CChildFrame*> vFrames;
    if (pActive != nullptr && !pActive->isMinimized())
    {
        vFrames.push_back(pActive);
    }
    const QList<QMdiSubWindow*> stack = m_pMdiArea->subWindowList(QMdiArea::StackingOrder);
    for (auto it = stack.rbegin(); it != stack.rend(); ++it)
    {
        auto* pFrame = dynamic_cast<CChildFrame*>(*it);
        if (pFrame != nullptr && pFrame != pActive && !pFrame->isMinimized())
        {
            vFrames.push_back(pFrame);
        }
    }
    if (vFrames.empty())
    {
        return;
    }
    for (CChildFrame* pFrame : vFrames)
    {
        if (pFrame->isMaximized())
        {
            pFrame->showNormal();
        }
    }
    const QSize area = PrepareArrange();
    // r columns of equal width, r the whole part of the square root of n;
    // n / r windows in each, the last column taking the rest, stacked from
    // the top at equal heights.
    const int n = static_cast<int>(vFrames.size());
    int r = static_cast<int>(std::sqrt(static_cast<double>(n)));
    while ((r + 1) * (r + 1) <= n)
    {
        ++r;
    }
    while (r * r > n)
    {
        --r;
    }
    const int nWidth = area.width() / r;
    const int nPerColumn = n / r;
    std::size_t nNext = 0;
    for (int nColumn = 0; nColumn < r; ++nColumn)
    {
        const int nCount = nColumn == r - 1 ? n - nPerColumn * (r - 1) : nPerColumn;
        const int nHeight = area.height() / nCount;
        for (int nRow = 0; nRow < nCount; ++nRow)
        {
            vFrames[nNext++]->setGeometry(nColumn * nWidth, nRow * nHeight, nWidth, nHeight);
        }
    }
    if (pActive != nullptr)
    {
        MDIActivate(pActive);
    }
}

void CMainFrame::OnMDIIconArrange()
{
    // Minimised windows in a row along the bottom edge, from the left, at
    // their minimised size; a full row continues above.
    const QSize area = PrepareArrange();
    int x = 0;
    int nBottom = area.height();
    int nRowHeight = 0;
    for (CChildFrame* pFrame : GetChildFrames())
    {
        if (!pFrame->isMinimized())
        {
            continue;
        }
        const QSize size = pFrame->minimumSizeHint().expandedTo(pFrame->minimumSize());
        if (x > 0 && x + size.width() > area.width())
        {
            x = 0;
            nBottom -= nRowHeight;
            nRowHeight = 0;
        }
        pFrame->setGeometry(QRect(QPoint(x, nBottom - size.height()), size));
        x += size.width();
        nRowHeight = std::max(nRowHeight, size.height());
    }
}

void CMainFrame::OnMDIWindowCmd(unsigned nID)
{
    if (nID == res::ID_WINDOW_MORE)
    {
        OnSelectWindow();
        return;
    }
    const std::vector<CChildFrame*> vFrames = GetListedFrames();
    const std::size_t nIndex = nID - res::AFX_IDM_FIRST_MDICHILD;
    if (nIndex < vFrames.size())
    {
        MDIActivate(vFrames[nIndex]);
    }
}

void CMainFrame::OnSelectWindow()
{
    // Every graph window by its caption, in the Window menu's order, the
    // active one chosen; OK or a double-click activates the chosen one.
    const std::vector<CChildFrame*> vFrames = GetChildFrames();
    CChildFrame* pActive = MDIGetActive();
    QDialog dlg(this);
    dlg.setObjectName(QStringLiteral("TraceloSelectWindow"));
    dlg.setWindowTitle(QString::fromUtf8(res::kSelectWindowTitle));
    auto* pList = new QListWidget(&dlg);
    pList->setObjectName(QStringLiteral("windowList"));
    for (CChildFrame* pFrame : vFrames)
    {
        pList->addItem(pFrame->windowTitle());
        if (pFrame == pActive)
        {
            pList->setCurrentRow(pList->count() - 1);
        }
    }
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    pButtons->button(QDialogButtonBox::Ok)->setText(QString::fromUtf8(res::kButtonOk));
    pButtons->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8(res::kButtonCancel));
    QObject::connect(pButtons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(pButtons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    QObject::connect(pList, &QListWidget::itemDoubleClicked, &dlg, &QDialog::accept);
    auto* pLayout = new QVBoxLayout(&dlg);
    pLayout->addWidget(pList);
    pLayout->addWidget(pButtons);
    if (dlg.exec() != QDialog::Accepted)
    {
        return;
    }
    const int nRow = pList->currentRow();
    // The list is the windows as they were when it opened; one closed since
    // is no longer a choice.
    if (nRow >= 0 && nRow < static_cast<int>(vFrames.size()) && GetChildFrames() == vFrames)
    {
        MDIActivate(vFrames[nRow]);
    }
}

std::string FormatClockText(const char* pszFormat, std::time_t t)
{
    std::tm tmLocal{};
#ifdef _WIN32
    if (localtime_s(&tmLocal, &t) != 0)
    {
        return {};
    }
#else
    if (localtime_r(&t, &tmLocal) == nullptr)
    {
        return {};
    }
#endif
    char szBuffer[128];
    const std::size_t nLength = std::strftime(szBuffer, sizeof szBuffer, pszFormat, &tmLocal);
    return std::string(szBuffer, nLength);
}

int CMainFrame::OnCreate()
{
    m_wndToolBar.setObjectName(QStringLiteral("toolbar"));
    m_wndToolBar.setMovable(true);
    m_wndToolBar.setFloatable(true);
    m_wndToolBar.setAllowedAreas(Qt::AllToolBarAreas);
    m_wndToolBar.setToolButtonStyle(Qt::ToolButtonIconOnly);
    if (!LoadToolBar(&m_wndToolBar, res::IDR_MAINFRAME))
    {
        return -1;
    }
    addToolBar(Qt::TopToolBarArea, &m_wndToolBar);
    RegisterControlBar(res::ID_VIEW_TOOLBAR, &m_wndToolBar);

    if (!m_wndStatusBar.Create(this))
    {
        return -1;
    }
    setStatusBar(&m_wndStatusBar);
    std::array<unsigned, 6> ids = {res::ID_SEPARATOR, res::ID_INDICATOR_CAPS, res::ID_INDICATOR_NUM,
                                   res::ID_INDICATOR_SCRL};
    if (!m_wndStatusBar.SetIndicators(ids.data(), 4))
    {
        return -1;
    }
    RegisterControlBar(res::ID_VIEW_STATUS_BAR, &m_wndStatusBar);
    SetMessageBar(&m_wndStatusBar);

    if (!AddDateTimePanes(ids.data(), 4))
    {
        return -1;
    }
    ConnectViewCommands();
    SetIdleMessage();
    return 0;
}

bool CMainFrame::AddDateTimePanes(unsigned* pIDArray, int nIDCount)
{
    m_nDatePane = nIDCount;
    pIDArray[m_nDatePane] = res::ID_INDICATOR_DATE;
    m_nTimePane = nIDCount + 1;
    pIDArray[m_nTimePane] = res::ID_INDICATOR_TIME;

    // Each tick refreshes the panes: the date, the time and the lock keys.
    m_pClock = new QTimer(&m_wndStatusBar);
    m_pClock->setObjectName(QStringLiteral("clock%1").arg(res::kClockTimerId));
    m_pClock->setInterval(res::kClockPeriodMs);
    QObject::connect(m_pClock, &QTimer::timeout, this, [this] { UpdateStatusPanes(); });
    m_pClock->start();

    return m_wndStatusBar.SetIndicators(pIDArray, nIDCount + 2);
}

void CMainFrame::ConnectViewCommands()
{
    const std::pair<unsigned, void (CTraceloView::*)()> kCommands[] = {
        {res::ID_EDIT_PARAMETERS, &CTraceloView::OnEditParameters},
        {res::ID_FUNCTION_NEW, &CTraceloView::OnFunctionNew},
        {res::ID_FUNCTION_EDIT, &CTraceloView::OnFunctionEdit},
        {res::ID_FUNCTION_DELETE, &CTraceloView::OnFunctionDelete},
        {res::ID_OPS, &CTraceloView::OnOps},
        {res::ID_EXPORT_METAFILE, &CTraceloView::OnExportMetafile},
        {res::ID_FILE_PRINT, &CTraceloView::OnFilePrint},
        {res::ID_FILE_PRINT_DIRECT, &CTraceloView::OnFilePrintDirect},
        {res::ID_FILE_PRINT_PREVIEW, &CTraceloView::OnFilePrintPreview},
    };
    for (const auto& [nID, pfn] : kCommands)
    {
        ConnectCommand(
            nID,
            [this, pfn]
            {
                CChildFrame* pActive = MDIGetActive();
                if (CTraceloView* pView = pActive != nullptr ? pActive->GetActiveView() : nullptr)
                {
                    (pView->*pfn)();
                }
            },
            true);
    }
}

void CMainFrame::UpdateClockPane(const char* pszFormat, int nPane)
{
    const std::string strText = FormatClockText(pszFormat, std::time(nullptr));
    const QString strShown = QString::fromLocal8Bit(strText.data(), qsizetype(strText.size()));
    unsigned nID = 0;
    unsigned nStyle = 0;
    int cxWidth = 0;
    m_wndStatusBar.GetPaneInfo(nPane, nID, nStyle, cxWidth);
    m_wndStatusBar.SetPaneInfo(nPane, nID, nStyle & ~SBPS_DISABLED,
                               m_wndStatusBar.MeasureText(strShown));
    m_wndStatusBar.SetPaneText(nPane, strShown, false);
}
