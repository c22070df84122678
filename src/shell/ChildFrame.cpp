#include "shell/ChildFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QString>

#include "core/doc/TraceloDoc.h"
#include "res/ResourceIds.h"
#include "shell/MainFrame.h"
#include "shell/OpenGraphs.h"
#include "shell/TraceloApp.h"
#include "shell/TraceloView.h"

CChildFrame::CChildFrame(CTraceloApp* pApp) : m_pApp(pApp)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

CChildFrame::~CChildFrame() = default;

CTraceloView* CChildFrame::GetActiveView() const
{
    return dynamic_cast<CTraceloView*>(widget());
}

CTraceloDoc* CChildFrame::GetActiveDocument() const
{
    CTraceloView* pView = GetActiveView();
    return pView != nullptr ? pView->GetDocument() : nullptr;
}

void CChildFrame::UpdateTitle()
{
    CTraceloDoc* pDoc = GetActiveDocument();
    if (pDoc == nullptr)
    {
        return;
    }
    QString strTitle = QString::fromStdString(pDoc->GetTitle());
    // "[*]" would be taken as the modified marker; doubled it shows as itself.
    strTitle.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    if (m_nWindow > 0)
    {
        strTitle += QStringLiteral(":%1").arg(m_nWindow);
    }
    setWindowTitle(strTitle);
}

void CChildFrame::closeEvent(QCloseEvent* pEvent)
{
    if (!m_bCloseWithoutPrompt && m_pApp != nullptr && !m_pApp->m_graphs.CanCloseFrame(this))
    {
        pEvent->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(pEvent);
    CTraceloView* pView = GetActiveView();
    if (pEvent->isAccepted() && m_pApp != nullptr && pView != nullptr)
    {
        m_pApp->m_graphs.RemoveView(pView);
    }
}

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
    QMdiSubWindow::keyPressEvent(pEvent);
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

void CChildFrame::mousePressEvent(QMouseEvent* pEvent)
{
    m_bIconPressed = isMinimized() && pEvent->button() == Qt::LeftButton;
    m_bIconDragged = false;
    m_ptIconGrab = pEvent->position().toPoint();
    m_ptIconPressed = mapToParent(m_ptIconGrab);
    QMdiSubWindow::mousePressEvent(pEvent);
}

void CChildFrame::mouseMoveEvent(QMouseEvent* pEvent)
{
    if (m_bIconPressed && isMinimized() && (pEvent->buttons() & Qt::LeftButton))
    {
        const QPoint pt = mapToParent(pEvent->position().toPoint());
        m_bIconDragged = m_bIconDragged || (pt - m_ptIconPressed).manhattanLength() >=
                                               QApplication::startDragDistance();
        if (m_bIconDragged)
        {
            move(pt - m_ptIconGrab);
            pEvent->accept();
            return;
        }
    }
    QMdiSubWindow::mouseMoveEvent(pEvent);
}

void CChildFrame::mouseReleaseEvent(QMouseEvent* pEvent)
{
    const bool bDragged = m_bIconDragged;
    m_bIconPressed = false;
    m_bIconDragged = false;
    // A drag that ends on a caption button does not press it.
    if (bDragged)
    {
        pEvent->accept();
        return;
    }
    QMdiSubWindow::mouseReleaseEvent(pEvent);
}
