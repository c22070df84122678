#include "core/plot/MouseZoom.h"

#include <cmath>
#include <cstdio>

void MouseToWorld(const CPlotBox& box, const CPlotWindow& window, CDevPoint pt, double& x,
                  double& y)
{
    // Differences of device coordinates are taken in 64 bits: a pointer far
    // outside the window during a capture cannot overflow them.
    const double dx = static_cast<double>(std::int64_t{pt.m_nX} - box.m_nLeft);
    const double dy = static_cast<double>(std::int64_t{box.m_nTop} + box.m_nHeight - pt.m_nY);
    x = dx * (window.m_dXMax - window.m_dXMin) / box.m_nWidth + window.m_dXMin;
    y = dy * (window.m_dYMax - window.m_dYMin) / box.m_nHeight + window.m_dYMin;
}

std::string FormatReadOut(double x, double y)
{
    char szText[800]; // %f of the largest double is 309 digits, twice
    std::snprintf(szText, sizeof szText, "X = %02.15f   Y = %02.15f", x, y);
    return szText;
}

CDevRect ChooseZoomRect(const CPlotBox& box, CDevPoint anchor, CDevPoint pt)
{
    const std::int32_t l = box.m_nLeft;
    const std::int32_t t = box.m_nTop;
    const std::int32_t w = box.m_nWidth;
    const std::int32_t h = box.m_nHeight;
    const std::int32_t w4 = w / 4;
    const std::int32_t h4 = h / 4;
    if (pt.m_nX != anchor.m_nX && pt.m_nY != anchor.m_nY)
        return CDevRect{anchor.m_nX, anchor.m_nY, pt.m_nX, pt.m_nY};
    if (pt.m_nX < l)
        return CDevRect{l - w4, t, l - w4 + w, t + h};
    if (pt.m_nX > l + w)
        return CDevRect{l + w4, t, l + w4 + w, t + h};
    if (pt.m_nY < t)
        return CDevRect{l, t - h4, l + w, t - h4 + h};
    if (pt.m_nY > t + h)
        return CDevRect{l, t + h4, l + w, t + h4 + h};
    return CDevRect{pt.m_nX - w4, pt.m_nY - h4, pt.m_nX + w4, pt.m_nY + h4};
}

CPlotWindow ZoomWindow(const CPlotBox& box, const CPlotWindow& current, const CPlotWindow& document,
                       std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2)
{
    if (x2 < x1 || y2 < y1)
        return document;

    const double a = current.m_dXMin;
    const double b = current.m_dXMax;
    const double c = current.m_dYMin;
    const double d = current.m_dYMax;
    const std::int64_t l = box.m_nLeft;
    const std::int64_t bottom = std::int64_t{box.m_nTop} + box.m_nHeight;
    // Each bound as the product, then the division, then the addition.
    CPlotWindow zoomed;
    zoomed.m_dXMin = a + static_cast<double>(x1 - l) * (b - a) / box.m_nWidth;
    zoomed.m_dXMax = a + static_cast<double>(x2 - l) * (b - a) / box.m_nWidth;
    zoomed.m_dYMin = c + static_cast<double>(bottom - y2) * (d - c) / box.m_nHeight;
    zoomed.m_dYMax = c + static_cast<double>(bottom - y1) * (d - c) / box.m_nHeight;

    const bool bFinite = std::isfinite(zoomed.m_dXMin) && std::isfinite(zoomed.m_dXMax) &&
                         std::isfinite(zoomed.m_dYMin) && std::isfinite(zoomed.m_dYMax);
    if (!bFinite || zoomed.m_dXMax - zoomed.m_dXMin < 1e-12 ||
        zoomed.m_dYMax - zoomed.m_dYMin < 1e-12)
        return current;
    return zoomed;
}
