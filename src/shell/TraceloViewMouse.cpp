// The left mouse button: the read-out of the coordinates under the pointer,
// the rubber band, and zooming and panning the view's own window.
#include "shell/TraceloView.h"

#include <algorithm>
#include <cstdlib>

#include <QMouseEvent>
#include <QPainter>

#include "core/doc/TraceloDoc.h"
#include "core/plot/MouseZoom.h"
#include "render/QtDrawDevice.h"

namespace
{

CPlotBox StoredPlotBox(const CTraceloView& view)
{
    const CPlotLayout& layout = view.GetLayout();
    return CPlotBox{layout.m_nPlotLeft, layout.m_nPlotTop, layout.m_nPlotWidth,
                    layout.m_nPlotHeight};
}

CDevPoint PointOf(const QMouseEvent* pEvent)
{
    const QPoint pt = pEvent->position().toPoint();
    return CDevPoint{pt.x(), pt.y()};
}

} // namespace

void CTraceloView::mousePressEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() != Qt::LeftButton)
    {
        QWidget::mousePressEvent(pEvent);
        return;
    }
    // Until a plot area has been drawn there is nothing to zoom.
    if (m_pDoc == nullptr || !StoredPlotBox(*this).IsUsable())
        return;
    // The widget keeps the mouse from here to the button's release, also
    // outside its window: the cross-hair stays as long.
    m_ptAnchor = m_ptCurrent = PointOf(pEvent);
    setCursor(Qt::CrossCursor);
}

void CTraceloView::mouseMoveEvent(QMouseEvent* pEvent)
{
    const CDevPoint pt = PointOf(pEvent);
    const CPlotBox box = StoredPlotBox(*this);
    if (box.IsUsable())
    {
        double x = 0.0;
        double y = 0.0;
        MouseToWorld(box, m_window, pt, x, y);
        emit readOut(QString::fromLocal8Bit(FormatReadOut(x, y)));
    }
    if (IsDragging())
    {
        m_ptCurrent = pt;
        update();
    }
}

void CTraceloView::mouseReleaseEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() != Qt::LeftButton)
    {
        QWidget::mouseReleaseEvent(pEvent);
        return;
    }
    unsetCursor();
    if (!IsDragging())
        return;
    const CDevPoint anchor = m_ptAnchor;
    m_ptAnchor = CDevPoint{-1, -1};
    const CPlotBox box = StoredPlotBox(*this);
    if (!box.IsUsable())
    {
        update();
        return;
    }
    const CDevRect rect = ChooseZoomRect(box, anchor, PointOf(pEvent));
    ZoomToRect(rect.m_nLeft, rect.m_nTop, rect.m_nRight, rect.m_nBottom);
}

void CTraceloView::mouseDoubleClickEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() != Qt::LeftButton)
    {
        QWidget::mouseDoubleClickEvent(pEvent);
        return;
    }
    // The second press of a double-click is not a button-down: the drag the
    // first click made is over, and the press that came with this event
    // starts none, so its release only lets the mouse go.
    if (IsDragging())
    {
        m_ptAnchor = CDevPoint{-1, -1};
        update(); // no band left on the graph
    }
}

void CTraceloView::ZoomToRect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2)
{
    if (m_pDoc == nullptr)
        return;
    m_window = ZoomWindow(StoredPlotBox(*this), m_window, m_pDoc->m_window, x1, y1, x2, y2);
    ResampleAndRedraw();
}

void CTraceloView::DrawRubberBand(QPainter& painter) const
{
    // A one-pixel black outline combined as NOT(pen XOR screen): drawn over
    // the graph it inverts every pixel it covers, on any background. The
    // outline of a Windows rectangle covers its left and top edges and stops
    // one pixel short of its right and bottom ones.
    const int x = std::min(m_ptAnchor.m_nX, m_ptCurrent.m_nX);
    const int y = std::min(m_ptAnchor.m_nY, m_ptCurrent.m_nY);
    const int w = std::abs(m_ptCurrent.m_nX - m_ptAnchor.m_nX);
    const int h = std::abs(m_ptCurrent.m_nY - m_ptAnchor.m_nY);
    painter.save();
    {
        CQtDrawDevice dc(&painter);
        dc.SetROP2(ERop2::NotXorPen);
        dc.SelectObject(dc.GetStockObject(EStockObject::NullBrush));
        dc.Rectangle(x, y, x + w, y + h);
    }
    painter.restore();
}
