// CGraphFunction::DrawCurve lives with the drawing code: it speaks only to
// the device interface and the mapping.
#include <limits>

#include "core/expr/GraphFunction.h"
#include "core/plot/CurveTrace.h"
#include "core/plot/DrawDevice.h"

namespace
{
void DrawWithPen(const CGraphFunction& function, CDrawDevice* pDC, const CCurveBox& box,
                 std::int32_t nFrom, std::int32_t nTo, bool bAllColumns)
{
    // If no pen can be made, the curve is traced with the pen already selected.
    const HDrawObject hPen = pDC->CreatePen(CPenDesc{EPenStyle::Solid, 0, function.m_crColor});
    const HDrawObject hOldPen = hPen != 0 ? pDC->SelectObject(hPen) : 0;

    // The curve is drawn with the window it was sampled for, which is another
    // view's window when that view resampled it last.
    const CPointList& list = *function.m_pPoints;
    const std::span<const CCurvePoint> all(list.GetData(), list.GetCount());
    const std::span<const CCurvePoint> points =
        bAllColumns ? all : PointsForColumns(all, list.m_window, box, nFrom, nTo);
    TraceCurve(pDC, pDC->GetCurveTrace(), points, list.m_window, box);

    if (hPen != 0)
    {
        pDC->SelectObject(hOldPen);
        pDC->DeleteObject(hPen);
    }
}
} // namespace

void CGraphFunction::DrawCurve(CDrawDevice* pDC, std::int32_t nLeft, std::int32_t nWidth,
                               std::int32_t nTop, std::int32_t nHeight) const
{
    DrawWithPen(*this, pDC, CCurveBox{nLeft, nWidth, nTop, nHeight}, 0, 0, true);
}

void DrawCurveColumns(const CGraphFunction& function, CDrawDevice* pDC, const CCurveBox& box,
                      std::int32_t nFrom, std::int32_t nTo)
{
    DrawWithPen(function, pDC, box, nFrom, nTo, false);
}
