// CGraphFunction::DrawCurve lives with the drawing code: it speaks only to
// the device interface and the mapping.
#include "core/expr/GraphFunction.h"
#include "core/plot/DrawDevice.h"
#include "core/plot/Mapping.h"

void CGraphFunction::DrawCurve(CDrawDevice* pDC, std::int32_t nLeft, std::int32_t nWidth,
                               std::int32_t nTop, std::int32_t nHeight) const
{
    // If no pen can be made, the curve is traced with the pen already selected.
    const HDrawObject hPen = pDC->CreatePen(CPenDesc{EPenStyle::Solid, 0, m_crColor});
    const HDrawObject hOldPen = hPen != 0 ? pDC->SelectObject(hPen) : 0;

    const std::int64_t nBottom = static_cast<std::int64_t>(nTop) + nHeight;
    auto isInside = [&](std::int32_t y) { return nTop < y && y < nBottom; };

    // The curve is drawn with the window it was sampled for, which is another
    // view's window when that view resampled it last.
    const CPlotWindow& win = m_pPoints->m_window;
    const CCurvePoint* pPoint = m_pPoints->GetData();
    const CCurvePoint* pEnd = pPoint + m_pPoints->GetCount();
    bool bHavePrevious = false;
    std::int32_t nPrevX = 0;
    std::int32_t nPrevY = 0;
    for (; pPoint != pEnd; ++pPoint)
    {
        const std::int32_t x = MapX(pPoint->m_dX, win.m_dXMin, win.m_dXMax, nLeft, nWidth);
        const std::int32_t y = MapY(pPoint->m_dY, win.m_dYMin, win.m_dYMax, nTop, nHeight);
        pDC->MoveTo(x, y);
        // Only samples strictly inside vertically are joined; the segment runs
        // from the newer sample to the older one, so the older one's pixel is
        // left to its own older neighbour.
        if (bHavePrevious && isInside(y) && isInside(nPrevY))
        {
            pDC->LineTo(nPrevX, nPrevY);
        }
        nPrevX = x;
        nPrevY = y;
        bHavePrevious = true;
    }

    if (hPen != 0)
    {
        pDC->SelectObject(hOldPen);
        pDC->DeleteObject(hPen);
    }
}
