#include "shell/ChildFrame.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalBlocker>
#include <QString>
#include <memory>
#include <vector>

#include "core/doc/TraceloDoc.h"
#include "res/ResourceIds.h"
#include "shell/TraceloView.h"

CChildFrame::CChildFrame()
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

void CChildFrame::SetWindowNumber(int nWindow)
{
    m_nWindow = nWindow;
    UpdateTitle();
}

void CChildFrame::contextMenuEvent(QContextMenuEvent* pEvent)
{
    pEvent->accept();
    const QPoint point =
        pEvent->reason() == QContextMenuEvent::Keyboard ? QPoint(-1, -1) : pEvent->globalPos();
    OnContextMenu(point);
}

void CChildFrame::keyPressEvent(QKeyEvent* pEvent)
{
    if (pEvent->key() == Qt::Key_F10 && pEvent->modifiers() == Qt::ShiftModifier)
    {
        pEvent->accept();
        OnContextMenu(QPoint(-1, -1));
        return;
    }
    QMdiSubWindow::keyPressEvent(pEvent);
}

void CChildFrame::OnContextMenu(QPoint point)
{
    if (point.x() == -1 && point.y() == -1)
    {
        const QWidget* pClient = widget() != nullptr ? widget() : this;
        point = pClient->mapToGlobal(QPoint(0, 0)) + QPoint(5, 5);
    }
    QMdiArea* pArea = mdiArea();
    if (pArea == nullptr || m_vContextMenu.isEmpty())
    {
        return;
    }
    // A click has activated this window already; a request from the caption
    // of an inactive window must act on this graph too, whose commands act
    // on the active window.
    if (isMinimized())
    {
        showNormal();
    }
    pArea->setActiveSubWindow(this);
    if (widget() != nullptr)
    {
        widget()->setFocus(Qt::OtherFocusReason);
    }
    // Made, shown and destroyed here; its items stay. The chosen command
    // runs once the menu has closed and returned, not from inside its event
    // loop.
    QPointer<QAction> pChosen;
    {
        QMenu menu(window());
        menu.setObjectName(QStringLiteral("contextMenu%1").arg(res::IDR_GRAPH_POPUP));
        menu.addActions(m_vContextMenu);
        std::vector<std::unique_ptr<QSignalBlocker>> vBlockers;
        for (QAction* pAction : m_vContextMenu)
        {
            vBlockers.push_back(std::make_unique<QSignalBlocker>(pAction));
        }
        pChosen = menu.exec(point);
    }
    if (pChosen != nullptr && pChosen->isEnabled())
    {
        pChosen->trigger();
    }
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
