#include "render/QtDrawDevice.h"

#include <QFontMetrics>
#include <QImage>
#include <QLineF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPen>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace
{
QColor ToQColor(COLORREF cr)
{
    return QColor(ColorRed(cr), ColorGreen(cr), ColorBlue(cr));
}

// Lines are rasterised here only while every coordinate stays within this
// bound, so that no product below can overflow; longer lines are left to Qt.
constexpr std::int64_t kRasterLimit = 1 << 24;

// Pixels and runs held back before they are painted.
constexpr std::size_t kBatchSize = 4096;

// The pixels of a one-pixel line from (x1, y1) towards (x2, y2): one per step
// along the longer axis, the start included and the end left out, the other
// coordinate rounded to the nearest pixel. Only the pixels inside the
// nWidth by nHeight surface are handed on, as runs in a row or column,
// inclusive at both ends.
template <typename RunFn>
void RasterizeLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                   std::int64_t nWidth, std::int64_t nHeight, RunFn run)
{
    const std::int64_t dx = x2 - x1;
    const std::int64_t dy = y2 - y1;
    const std::int64_t ax = dx < 0 ? -dx : dx;
    const std::int64_t ay = dy < 0 ? -dy : dy;
    const bool bXMajor = ax >= ay;
    const std::int64_t n = bXMajor ? ax : ay; // steps
    const std::int64_t m = bXMajor ? ay : ax; // total minor offset
    const std::int64_t sa = (bXMajor ? dx : dy) < 0 ? -1 : 1;
    const std::int64_t sb = (bXMajor ? dy : dx) < 0 ? -1 : 1;
    const std::int64_t a0 = bXMajor ? x1 : y1;
    const std::int64_t b0 = bXMajor ? y1 : x1;
    const std::int64_t nMajorSize = bXMajor ? nWidth : nHeight;
    const std::int64_t nMinorSize = bXMajor ? nHeight : nWidth;
    if (n == 0)
    {
        return;
    }
    // Minor offset after i steps: round(i * m / n), halves away from the start.
    auto offsetAt = [&](std::int64_t i) { return (2 * i * m + n) / (2 * n); };
    // The first step whose offset is at least k (k >= 1, m > 0).
    auto firstWithOffset = [&](std::int64_t k)
    {
        std::int64_t i = (n * (2 * k - 1) + 2 * m - 1) / (2 * m);
        while (i > 0 && offsetAt(i - 1) >= k)
        {
            --i;
        }
        while (offsetAt(i) < k)
        {
            ++i;
        }
        return i;
    };

    // Steps whose major coordinate a0 + i * sa lies on the surface.
    std::int64_t iBegin = 0;
    std::int64_t iEnd = n; // exclusive
    if (sa > 0)
    {
        iBegin = std::max(iBegin, -a0);
        iEnd = std::min(iEnd, nMajorSize - a0);
    }
    else
    {
        iBegin = std::max(iBegin, a0 - (nMajorSize - 1));
        iEnd = std::min(iEnd, a0 + 1);
    }
    // Steps whose minor offset keeps b0 + offset * sb on the surface.
    const std::int64_t nLowOffset = sb > 0 ? -b0 : b0 - (nMinorSize - 1);
    const std::int64_t nHighOffset = sb > 0 ? nMinorSize - 1 - b0 : b0;
    if (m == 0)
    {
        if (nLowOffset > 0 || nHighOffset < 0)
        {
            return;
        }
    }
    else
    {
        if (nLowOffset >= 1)
        {
            iBegin = std::max(iBegin, firstWithOffset(nLowOffset));
        }
        if (nHighOffset < 0)
        {
            return;
        }
        if (nHighOffset + 1 <= m)
        {
            iEnd = std::min(iEnd, firstWithOffset(nHighOffset + 1));
        }
    }

    std::int64_t i = iBegin;
    while (i < iEnd)
    {
        const std::int64_t nOffset = offsetAt(i);
        const std::int64_t j =
            m == 0 || nOffset >= m ? iEnd : std::min(iEnd, firstWithOffset(nOffset + 1));
        const std::int64_t a = a0 + i * sa;
        const std::int64_t b = a0 + (j - 1) * sa;
        const int nMinorPos = static_cast<int>(b0 + nOffset * sb);
        const int nFrom = static_cast<int>(std::min(a, b));
        const int nTo = static_cast<int>(std::max(a, b));
        if (bXMajor)
        {
            run(nFrom, nMinorPos, nTo, nMinorPos);
        }
        else
        {
            run(nMinorPos, nFrom, nMinorPos, nTo);
        }
        i = j;
    }
}
} // namespace

CQtDrawDevice::CQtDrawDevice(QPainter* pPainter) : m_pPainter(pPainter)
{
    m_pPainter->setRenderHint(QPainter::Antialiasing, false);
    QPaintEngine* pEngine = m_pPainter->paintEngine();
    m_bRaster = pEngine != nullptr && pEngine->type() == QPaintEngine::Raster;
    m_bRasterOps = pEngine != nullptr && pEngine->hasFeature(QPaintEngine::RasterOpModes);
    // A scaled screen, or a pixmap or image made for one: the painter maps
    // each unit onto more (or fractions of) device pixels.
    const QTransform toDevice = m_pPainter->deviceTransform();
    if (m_bRaster && m_pPainter->worldTransform().isIdentity() &&
        toDevice.type() <= QTransform::TxScale && toDevice.m11() == toDevice.m22() &&
        toDevice.m11() > 0 && toDevice.m11() != 1.0)
    {
        m_bBlocks = true;
        m_dScale = toDevice.m11();
        m_dOffsetX = toDevice.dx();
        m_dOffsetY = toDevice.dy();
        // The ratio comes as a double: 1.5 may be 1.5000000001.
        m_nThickness = std::max(1, static_cast<int>(std::ceil(m_dScale - 1e-6)));
        m_toDevice = toDevice;
    }
}

CQtDrawDevice::~CQtDrawDevice()
{
    Flush();
}

bool CQtDrawDevice::DeleteObject(HDrawObject hObject)
{
    if (!CDrawDeviceBase::DeleteObject(hObject))
    {
        return false;
    }
    m_fonts.Erase(hObject);
    return true;
}

bool CQtDrawDevice::Inverts(bool bUseRop) const
{
    return bUseRop && m_bRasterOps && GetROP2() == ERop2::NotXorPen;
}

ECurveTrace CQtDrawDevice::GetCurveTrace()
{
    if (GetROP2() != ERop2::CopyPen)
    {
        return ECurveTrace::EveryPoint;
    }
    const bool bOnePixel = GetObjects().GetPen().m_nWidth <= 1;
    return m_bRaster && bOnePixel && m_pPainter->worldTransform().isIdentity()
               ? ECurveTrace::Pixels
               : ECurveTrace::SkipRepeats;
}

void CQtDrawDevice::LimitToColumns(std::int32_t nFrom, std::int32_t nTo)
{
    Flush();
    // The painter's clip keeps every pixel painted from now on, whole
    // pixels and blocks alike, to the columns.
    const QPaintDevice* pDevice = m_pPainter->device();
    m_pPainter->setClipRect(QRect(nFrom, 0, std::max(nTo, nFrom) - nFrom, pDevice->height()),
                            Qt::IntersectClip);
}

void CQtDrawDevice::ApplyComposition(bool bInvert)
{
    const QPainter::CompositionMode eMode =
        bInvert ? QPainter::RasterOp_NotSourceXorDestination : QPainter::CompositionMode_SourceOver;
    if (m_pPainter->compositionMode() != eMode)
    {
        m_pPainter->setCompositionMode(eMode);
    }
}

QPen CQtDrawDevice::CurrentQPen() const
{
    const CPenDesc& desc = GetObjects().GetPen();
    QPen pen(ToQColor(desc.m_crColor));
    if (desc.m_nWidth <= 1)
    {
        // Cosmetic: one device pixel whatever the device, or one block.
        pen.setWidth(m_bBlocks ? m_nThickness : 0);
        pen.setCosmetic(true);
        pen.setCapStyle(Qt::FlatCap);
    }
    else
    {
        pen.setWidth(desc.m_nWidth);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    return pen;
}

bool CQtDrawDevice::CanRasterize(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                 std::int32_t y2) const
{
    auto within = [](std::int32_t v) { return v > -kRasterLimit && v < kRasterLimit; };
    return m_bRaster && GetObjects().GetPen().m_nWidth <= 1 &&
           m_pPainter->worldTransform().isIdentity() && within(x1) && within(y1) && within(x2) &&
           within(y2);
}

void CQtDrawDevice::AddRun(COLORREF crColor, bool bUseRop, int x1, int y1, int x2, int y2)
{
    if ((!m_vRuns.empty() || !m_vPoints.empty()) &&
        (crColor != m_crRuns || Inverts(bUseRop) != m_bRunsInvert))
    {
        Flush();
    }
    m_crRuns = crColor;
    // The raster operation in force now, whatever it is when they are painted.
    m_bRunsInvert = Inverts(bUseRop);
    if (x1 == x2 && y1 == y2)
    {
        m_vPoints.emplace_back(x1, y1);
    }
    else
    {
        m_vRuns.emplace_back(x1, y1, x2, y2);
    }
    // Painted in batches small enough to stay in the cache.
    if (m_vRuns.size() + m_vPoints.size() >= kBatchSize)
    {
        Flush();
    }
}

void CQtDrawDevice::Flush()
{
    if (m_vRuns.empty() && m_vPoints.empty())
    {
        return;
    }
    if (!m_pPainter->isActive())
    {
        // The caller ended the painter before the device: nothing to paint on.
        m_vRuns.clear();
        m_vPoints.clear();
        return;
    }
    ApplyComposition(m_bRunsInvert);
    if (m_bBlocks)
    {
        m_vBlocks.clear();
        m_vBlocks.reserve(m_vRuns.size() + m_vPoints.size());
        for (const QLine& run : m_vRuns)
        {
            m_vBlocks.push_back(Block(run.x1(), run.y1(), run.x2(), run.y2()));
        }
        for (const QPoint& point : m_vPoints)
        {
            m_vBlocks.push_back(Block(point.x(), point.y(), point.x(), point.y()));
        }
        FillDeviceRects(m_vBlocks.data(), static_cast<int>(m_vBlocks.size()), ToQColor(m_crRuns));
        m_vRuns.clear();
        m_vPoints.clear();
        return;
    }
    // Runs are inclusive at both ends: a square cap paints the end pixel
    // too, and a run of one pixel is a line of no length.
    QPen pen(ToQColor(m_crRuns), 0);
    pen.setCapStyle(Qt::SquareCap);
    m_pPainter->setPen(pen);
    if (!m_vRuns.empty())
    {
        m_pPainter->drawLines(m_vRuns.data(), static_cast<int>(m_vRuns.size()));
    }
    if (!m_vPoints.empty())
    {
        m_pPainter->drawPoints(m_vPoints.data(), static_cast<int>(m_vPoints.size()));
    }
    m_vRuns.clear();
    m_vPoints.clear();
}

void CQtDrawDevice::DrawLine(CDevPoint ptFrom, CDevPoint ptTo)
{
    const std::int32_t x = ptTo.m_nX;
    const std::int32_t y = ptTo.m_nY;
    if (ptFrom == ptTo)
    {
        return; // a line of no length paints nothing
    }
    if (CanRasterize(ptFrom.m_nX, ptFrom.m_nY, x, y))
    {
        // Qt's own lines leave out the pixel at the lower end whichever way
        // they are drawn; the drawing relies on the start being painted.
        const QSize size = SurfaceSize();
        const COLORREF crPen = GetObjects().GetPen().m_crColor;
        RasterizeLine(ptFrom.m_nX, ptFrom.m_nY, x, y, size.width(), size.height(),
                      [&](int rx1, int ry1, int rx2, int ry2)
                      { AddRun(crPen, true, rx1, ry1, rx2, ry2); });
        return;
    }
    Flush();
    ApplyComposition(Inverts(true));
    m_pPainter->setPen(CurrentQPen());
    if (m_bRaster)
    {
        m_pPainter->drawLine(QPoint(ptFrom.m_nX, ptFrom.m_nY), QPoint(x, y));
        return;
    }
    // On a vector surface the line runs through the pixel centres, moved back
    // by half a pixel so that it covers its start pixel and not its end one.
    const double dx = static_cast<double>(x) - ptFrom.m_nX;
    const double dy = static_cast<double>(y) - ptFrom.m_nY;
    const double dLength = std::hypot(dx, dy);
    const double ox = 0.5 - 0.5 * dx / dLength;
    const double oy = 0.5 - 0.5 * dy / dLength;
    m_pPainter->drawLine(QLineF(ptFrom.m_nX + ox, ptFrom.m_nY + oy, x + ox, y + oy));
}

void CQtDrawDevice::SetPixel(std::int32_t x, std::int32_t y, COLORREF crColor)
{
    if (m_bRaster)
    {
        AddRun(crColor, false, x, y, x, y);
        return;
    }
    ApplyComposition(false);
    m_pPainter->fillRect(QRect(x, y, 1, 1), ToQColor(crColor));
}

void CQtDrawDevice::Rectangle(std::int32_t nLeft, std::int32_t nTop, std::int32_t nRight,
                              std::int32_t nBottom)
{
    Flush();
    if (nRight < nLeft)
    {
        std::swap(nLeft, nRight);
    }
    if (nBottom < nTop)
    {
        std::swap(nTop, nBottom);
    }
    const std::int64_t nWidth = static_cast<std::int64_t>(nRight) - nLeft;
    const std::int64_t nHeight = static_cast<std::int64_t>(nBottom) - nTop;
    if (nWidth <= 0 || nHeight <= 0 || nWidth > INT32_MAX || nHeight > INT32_MAX)
    {
        return;
    }
    const int w = static_cast<int>(nWidth);
    const int h = static_cast<int>(nHeight);
    ApplyComposition(Inverts(true));
    const CBrushDesc& brush = GetObjects().GetBrush();
    const CPenDesc& pen = GetObjects().GetPen();
    if (m_bBlocks && pen.m_nWidth <= 1 && m_pPainter->worldTransform().isIdentity())
    {
        // The inside first: at a fractional ratio its blocks may reach under
        // the outline's.
        if (!brush.m_bNull && w > 2 && h > 2)
        {
            const QRect rectInside = Block(nLeft + 1, nTop + 1, nRight - 2, nBottom - 2);
            FillDeviceRects(&rectInside, 1, ToQColor(brush.m_crColor));
        }
        OutlineInBlocks(nLeft, nTop, nRight, nBottom, ToQColor(pen.m_crColor));
        return;
    }
    if (m_bRaster && pen.m_nWidth <= 1)
    {
        // Each outline pixel painted once, so that an inverting operation
        // drawn twice restores every pixel, corners included.
        const QColor color = ToQColor(pen.m_crColor);
        m_pPainter->fillRect(QRect(nLeft, nTop, w, 1), color);
        if (h > 1)
        {
            m_pPainter->fillRect(QRect(nLeft, nBottom - 1, w, 1), color);
        }
        if (h > 2)
        {
            m_pPainter->fillRect(QRect(nLeft, nTop + 1, 1, h - 2), color);
            if (w > 1)
            {
                m_pPainter->fillRect(QRect(nRight - 1, nTop + 1, 1, h - 2), color);
            }
        }
        if (!brush.m_bNull && w > 2 && h > 2)
        {
            m_pPainter->fillRect(QRect(nLeft + 1, nTop + 1, w - 2, h - 2),
                                 ToQColor(brush.m_crColor));
        }
        return;
    }
    m_pPainter->setPen(CurrentQPen());
    m_pPainter->setBrush(brush.m_bNull ? QBrush(Qt::NoBrush) : QBrush(ToQColor(brush.m_crColor)));
    m_pPainter->drawRect(QRectF(nLeft + 0.5, nTop + 0.5, w - 1, h - 1));
    m_pPainter->setBrush(Qt::NoBrush);
}

void CQtDrawDevice::TextOut(std::int32_t x, std::int32_t y, const std::string& strText)
{
    Flush();
    ApplyComposition(false);
    const CQtFont& font = m_fonts.GetSelected(GetObjects());
    const QString strQText = QString::fromStdString(strText);
    m_pPainter->save();
    m_pPainter->translate(x, y);
    // Escapement turns counter-clockwise; Qt's angles turn clockwise on a
    // y-down surface.
    m_pPainter->rotate(-GetObjects().GetFont().m_nEscapement / 10.0);
    m_pPainter->setFont(font.m_font);
    if (GetBkMode() == EBkMode::Opaque)
    {
        const int nWidth =
            QFontMetrics(font.m_font, m_pPainter->device()).horizontalAdvance(strQText);
        m_pPainter->fillRect(QRect(0, 0, nWidth, font.m_nCellHeight), Qt::white);
    }
    m_pPainter->setPen(ToQColor(GetTextColor()));
    m_pPainter->drawText(QPoint(0, font.m_nAscent), strQText);
    m_pPainter->restore();
}

CDevSize CQtDrawDevice::GetTextExtent(const std::string& strText)
{
    const CQtFont& font = m_fonts.GetSelected(GetObjects());
    const QFontMetrics metrics(font.m_font, m_pPainter->device());
    return CDevSize{metrics.horizontalAdvance(QString::fromStdString(strText)), font.m_nCellHeight};
}

CDevRect CQtDrawDevice::GetClipBox()
{
    QRect rect(QPoint(0, 0), SurfaceSize());
    if (m_pPainter->hasClipping())
    {
        rect = rect.intersected(m_pPainter->clipBoundingRect().toAlignedRect());
    }
    return CDevRect{rect.left(), rect.top(), rect.left() + rect.width(),
                    rect.top() + rect.height()};
}

QSize CQtDrawDevice::SurfaceSize() const
{
    // A pixmap or image counts its device pixels, a widget its units.
    const QPaintDevice* pDevice = m_pPainter->device();
    QSizeF size(pDevice->width(), pDevice->height());
    if (pDevice->devType() == QInternal::Image)
    {
        size = static_cast<const QImage*>(pDevice)->deviceIndependentSize();
    }
    else if (pDevice->devType() == QInternal::Pixmap)
    {
        size = static_cast<const QPixmap*>(pDevice)->deviceIndependentSize();
    }
    return QSize(static_cast<int>(std::ceil(size.width())),
                 static_cast<int>(std::ceil(size.height())));
}

QRect CQtDrawDevice::Block(int x1, int y1, int x2, int y2) const
{
    auto toDevice = [](int v, double dScale, double dOffset)
    { return static_cast<int>(std::floor(v * dScale + dOffset + 0.5)); };
    const int nLeft = toDevice(x1, m_dScale, m_dOffsetX);
    const int nTop = toDevice(y1, m_dScale, m_dOffsetY);
    const int nRight = toDevice(x2, m_dScale, m_dOffsetX) + m_nThickness;
    const int nBottom = toDevice(y2, m_dScale, m_dOffsetY) + m_nThickness;
    return QRect(nLeft, nTop, nRight - nLeft, nBottom - nTop);
}

void CQtDrawDevice::FillDeviceRects(const QRect* pRects, int nCount, const QColor& color)
{
    if (nCount <= 0)
    {
        return;
    }
    // Undoes the painter's own scaling, so that each rectangle lands on
    // whole device pixels.
    m_pPainter->setWorldTransform(m_toDevice.inverted());
    m_pPainter->setPen(Qt::NoPen);
    m_pPainter->setBrush(color);
    m_pPainter->drawRects(pRects, nCount);
    m_pPainter->setBrush(Qt::NoBrush);
    m_pPainter->setWorldTransform(QTransform());
}

void CQtDrawDevice::OutlineInBlocks(int nLeft, int nTop, int nRight, int nBottom,
                                    const QColor& color)
{
    // Four bands that share no device pixel, so that an inverting operation
    // drawn twice restores every pixel, also where blocks overlap at a
    // fractional ratio.
    const QRect rectTopLeft = Block(nLeft, nTop, nLeft, nTop);
    const QRect rectBottomRight = Block(nRight - 1, nBottom - 1, nRight - 1, nBottom - 1);
    const int x0 = rectTopLeft.left();
    const int x1 = rectBottomRight.right() + 1; // exclusive
    const int y0 = rectTopLeft.top();
    const int y1 = rectBottomRight.bottom() + 1;
    const int yTopEnd = std::min(y0 + m_nThickness, y1);
    const int yBottom = nBottom - nTop > 1 ? std::max(rectBottomRight.top(), yTopEnd) : y1;
    const int xLeftEnd = std::min(x0 + m_nThickness, x1);
    const int xRight = nRight - nLeft > 1 ? std::max(rectBottomRight.left(), xLeftEnd) : x1;
    QRect rects[4];
    int n = 0;
    auto add = [&](int l, int t, int r, int b)
    {
        if (r > l && b > t)
        {
            rects[n++] = QRect(l, t, r - l, b - t);
        }
    };
    add(x0, y0, x1, yTopEnd);
    add(x0, yBottom, x1, y1);
    add(x0, yTopEnd, xLeftEnd, yBottom);
    add(xRight, yTopEnd, x1, yBottom);
    FillDeviceRects(rects, n, color);
}
