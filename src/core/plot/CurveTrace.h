// The polyline of one curve: each sample mapped to the device, moved to, and
// joined back to the sample before it when both lie strictly inside the plot
// area vertically. Traced in full for a recorder, or reduced to the lines
// that paint the same pixels for a device that only shows pixels.
#pragma once

#include <cstdint>
#include <span>

#include "core/expr/GraphFunction.h"
#include "core/expr/PlotWindow.h"
#include "core/plot/DrawDevice.h"

// The plot area a curve is drawn into.
struct CCurveBox
{
    std::int32_t m_nLeft = 0;
    std::int32_t m_nWidth = 0;
    std::int32_t m_nTop = 0;
    std::int32_t m_nHeight = 0;
};

// Traces the samples, mapped with the window they were taken for, as
// eTrace allows. The current position is left where tracing every sample
// leaves it.
void TraceCurve(CDrawDevice* pDC, ECurveTrace eTrace, std::span<const CCurvePoint> points,
                const CPlotWindow& window, const CCurveBox& box);

// The samples whose lines can paint a pixel in the columns [nFrom, nTo):
// those mapping into them and one on each side. Samples are in increasing
// X; when their mapping might not keep that order (a window so wide that
// the arithmetic overflows) every sample is returned.
std::span<const CCurvePoint> PointsForColumns(std::span<const CCurvePoint> points,
                                              const CPlotWindow& window, const CCurveBox& box,
                                              std::int32_t nFrom, std::int32_t nTo);

// The samples of the function that the columns [nFrom, nTo) need, traced
// with the function's pen as DrawCurve does it.
void DrawCurveColumns(const CGraphFunction& function, CDrawDevice* pDC, const CCurveBox& box,
                      std::int32_t nFrom, std::int32_t nTo);
