#include "core/expr/PlotWindow.h"

#include <cmath>
#include <limits>

namespace
{

void CorrectAxis(double& dMin, double& dMax, double dDefaultMin, double dDefaultMax)
{
    if (!std::isfinite(dMin) || !std::isfinite(dMax))
    {
        dMin = dDefaultMin;
        dMax = dDefaultMax;
    }
    if (!(dMax > dMin))
    {
        dMax = dMin + 0.1;
        // Beyond about 1e16 the doubles are more than 0.1 apart and the sum
        // rounds back to min: the next double above it keeps the window open.
        if (!(dMax > dMin))
        {
            dMax = std::nextafter(dMin, std::numeric_limits<double>::infinity());
        }
        if (std::isinf(dMax))
        {
            // min is the largest double: nothing lies above it, so the
            // window ends there and starts one double below.
            dMax = dMin;
            dMin = std::nextafter(dMin, 0.0);
        }
    }
}

} // namespace

CPlotWindow CPlotWindow::Corrected() const
{
    CPlotWindow window = *this;
    CorrectAxis(window.m_dXMin, window.m_dXMax, kNewGraphWindow.m_dXMin, kNewGraphWindow.m_dXMax);
    CorrectAxis(window.m_dYMin, window.m_dYMax, kNewGraphWindow.m_dYMin, kNewGraphWindow.m_dYMax);
    return window;
}
