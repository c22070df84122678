#include "shell/WindowList.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "res/ShellResources.h"
#include "shell/WindowArrangement.h"

namespace
{

const char kWindowItemProperty[] = "traceloWindowItem";

// The windows not minimised, for cascade (bottom of the stack first, the
// active one last) or tile (the active one first, then from the top);
// maximised ones are restored.
std::vector<QMdiSubWindow*> WindowsToArrange(const QMdiArea& area, QMdiSubWindow* pActive,
                                             bool bActiveFirst)
{
    std::vector<QMdiSubWindow*> vWindows;
    for (QMdiSubWindow* pWindow : area.subWindowList(QMdiArea::StackingOrder))
    {
        if (pWindow != pActive && !pWindow->isMinimized())
        {
            vWindows.push_back(pWindow);
        }
    }
    if (bActiveFirst)
    {
        std::reverse(vWindows.begin(), vWindows.end());
    }
    if (pActive != nullptr && !pActive->isMinimized())
    {
        vWindows.insert(bActiveFirst ? vWindows.begin() : vWindows.end(), pActive);
    }
    for (QMdiSubWindow* pWindow : vWindows)
    {
        if (pWindow->isMaximized())
        {
            pWindow->showNormal();
        }
    }
    return vWindows;
}

} // namespace

std::vector<QMdiSubWindow*> ListedWindows(std::vector<QMdiSubWindow*> vWindows,
                                          const QMdiSubWindow* pActive)
{
    if (vWindows.size() <= res::kMaxListedWindows)
    {
        return vWindows;
    }
    const auto itActive = std::find(vWindows.begin(), vWindows.end(), pActive);
    const bool bActiveLater = itActive != vWindows.end() &&
                              itActive - vWindows.begin() >= std::ptrdiff_t(res::kMaxListedWindows);
    if (bActiveLater)
    {
        vWindows[res::kMaxListedWindows - 1] = *itActive;
    }
    vWindows.resize(res::kMaxListedWindows);
    return vWindows;
}

void FillWindowList(QMenu* pMenu, const std::vector<QMdiSubWindow*>& vWindows,
                    QMdiSubWindow* pActive, const std::function<void(QMdiSubWindow*)>& fnActivate,
                    const std::function<void()>& fnMore)
{
    for (QAction* pAction : pMenu->actions())
    {
        if (pAction->property(kWindowItemProperty).toBool())
        {
            pMenu->removeAction(pAction);
            delete pAction;
        }
    }
    if (vWindows.empty())
    {
        return;
    }
    const auto add = [pMenu](QAction* pAction)
    {
        pAction->setProperty(kWindowItemProperty, true);
        pAction->setStatusTip(QString::fromUtf8(res::kActivateWindowPrompt));
        pMenu->addAction(pAction);
        return pAction;
    };
    add(new QAction(pMenu))->setSeparator(true);
    const std::vector<QMdiSubWindow*> vListed = ListedWindows(vWindows, pActive);
    for (std::size_t i = 0; i < vListed.size(); ++i)
    {
        QString strTitle = vListed[i]->windowTitle();
        strTitle.replace(QLatin1Char('&'), QLatin1String("&&"));
        QAction* pAction =
            add(new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(strTitle), pMenu));
        // Only the active window carries a mark.
        pAction->setCheckable(vListed[i] == pActive);
        pAction->setChecked(vListed[i] == pActive);
        QObject::connect(pAction, &QAction::triggered, pMenu,
                         [fnActivate, pWindow = QPointer<QMdiSubWindow>(vListed[i])]
                         { fnActivate(pWindow.data()); });
    }
    if (vWindows.size() > res::kMaxListedWindows)
    {
        QAction* pAction = add(new QAction(QString::fromUtf8(res::kMoreWindows), pMenu));
        QObject::connect(pAction, &QAction::triggered, pMenu, fnMore);
    }
}

QMdiSubWindow* SelectWindow(QWidget* pParent, const std::vector<QMdiSubWindow*>& vWindows,
                            const QMdiSubWindow* pActive,
                            const std::function<std::vector<QMdiSubWindow*>()>& fnWindows)
{
    QDialog dlg(pParent);
    dlg.setObjectName(QStringLiteral("TraceloSelectWindow"));
    dlg.setWindowTitle(QString::fromUtf8(res::kSelectWindowTitle));
    auto* pList = new QListWidget(&dlg);
    pList->setObjectName(QStringLiteral("windowList"));
    for (const QMdiSubWindow* pWindow : vWindows)
    {
        pList->addItem(pWindow->windowTitle());
        if (pWindow == pActive)
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
        return nullptr;
    }
    const int nRow = pList->currentRow();
    // The list is the windows as they were when it opened; one closed since
    // is no longer a choice.
    if (nRow >= 0 && nRow < static_cast<int>(vWindows.size()) && fnWindows() == vWindows)
    {
        return vWindows[std::size_t(nRow)];
    }
    return nullptr;
}

int CascadeStep(const QWidget* pWindow)
{
    return pWindow->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, pWindow) + 4;
}

QRect ArrangeIcons(QMdiArea& area)
{
    area.horizontalScrollBar()->setValue(0);
    area.verticalScrollBar()->setValue(0);
    const QSize size = area.contentsRect().size();
    std::vector<QMdiSubWindow*> vIcons;
    std::vector<QSize> vSizes;
    for (QMdiSubWindow* pWindow : area.subWindowList(QMdiArea::CreationOrder))
    {
        if (pWindow->isMinimized())
        {
            vIcons.push_back(pWindow);
            vSizes.push_back(pWindow->minimumSizeHint().expandedTo(pWindow->minimumSize()));
        }
    }
    const std::vector<QRect> vRects = IconRects(vSizes, size);
    for (std::size_t i = 0; i < vIcons.size(); ++i)
    {
        vIcons[i]->setGeometry(vRects[i]);
    }
    return AreaAboveIcons(vRects, size);
}

int CascadeWindows(QMdiArea& area, QMdiSubWindow* pActive)
{
    const std::vector<QMdiSubWindow*> vWindows = WindowsToArrange(area, pActive, false);
    const QRect rect = ArrangeIcons(area);
    int nIndex = 0;
    for (QMdiSubWindow* pWindow : vWindows)
    {
        pWindow->setGeometry(
            CascadeRect(nIndex, rect.size(), CascadeStep(pWindow)).translated(rect.topLeft()));
        ++nIndex;
        pWindow->raise();
    }
    return nIndex;
}

void TileWindows(QMdiArea& area, QMdiSubWindow* pActive)
{
    const std::vector<QMdiSubWindow*> vWindows = WindowsToArrange(area, pActive, true);
    const QRect rect = ArrangeIcons(area);
    const std::vector<QRect> vRects = TileRects(int(vWindows.size()), rect);
    for (std::size_t i = 0; i < vWindows.size(); ++i)
    {
        vWindows[i]->setGeometry(vRects[i]);
    }
}
