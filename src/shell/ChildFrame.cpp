#include "shell/ChildFrame.h"

#include <QContextMenuEvent>
#include <QKeyEvent>

#include "res/ResourceIds.h"
#include "shell/MainFrame.h"

CChildFrame::CChildFrame() = default;

CChildFrame::~CChildFrame() = default;

void CChildFrame::contextMenuEvent(QContextMenuEvent* pEvent)
{
    pEvent->accept();
    const QPoint point =
        pEvent->reason() == QContextMenuEvent::Keyboard ? QPoint(-1, -1) : pEvent->globalPos();
    OnContextMenu(nullptr, point);
}

void CChildFrame::keyPressEvent(QKeyEvent* pEvent)
{
    if (pEvent->key() == Qt::Key_F10 && pEvent->modifiers() == Qt::ShiftModifier)
    {
        pEvent->accept();
        OnContextMenu(nullptr, QPoint(-1, -1));
        return;
    }
    CMDIChildWnd::keyPressEvent(pEvent);
}

void CChildFrame::OnContextMenu(QWidget* /*pWnd*/, QPoint point)
{
    if (point.x() == -1 && point.y() == -1)
    {
        const QWidget* pClient = widget() != nullptr ? widget() : this;
        point = pClient->mapToGlobal(QPoint(0, 0)) + QPoint(5, 5);
    }
    // The owner is the first window up the parents that is not a child:
    // the main frame, whose actions run the chosen command on the active view.
    auto* pOwner = dynamic_cast<CMainFrame*>(window());
    if (pOwner == nullptr)
    {
        return;
    }
    // A click has activated this window already; a request from the caption
    // of an inactive window must act on this graph too.
    pOwner->MDIActivate(this);
    pOwner->TrackPopupMenu(res::IDR_GRAPH_POPUP, point);
}
