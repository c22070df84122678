#include "core/plot/DrawPlot.h"

#include <algorithm>
#include <limits>

#include "core/plot/PlotArea.h"

namespace
{
std::int32_t ClampTo32(std::int64_t nValue)
{
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(nValue, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
}
} // namespace

CPlotLayout LayOutPlot(const CDevRect& rectPage)
{
    CPlotLayout layout;
    layout.m_rectPage = rectPage;
    // In 64 bits: the sums of two 32-bit edges must not overflow.
    const std::int64_t nRight = rectPage.m_nRight;
    const std::int64_t nBottom = rectPage.m_nBottom;
    const std::int64_t c = std::max<std::int64_t>((nRight + nBottom) / 60, 16);
    const std::int64_t w = nRight - 2 * c;
    const std::int64_t h = nBottom - 2 * c;
    std::int64_t nSide, nLeft, nTop;
    if (w > h)
    {
        nSide = h;
        nTop = c;
        nLeft = c + (w - h) / 2;
    }
    else
    {
        nSide = w;
        nLeft = c;
        nTop = c + (h - w) / 2;
    }
    layout.m_nPlotWidth = ClampTo32(nSide);
    layout.m_nPlotHeight = ClampTo32(nSide);
    layout.m_nPlotLeft = ClampTo32(nLeft);
    layout.m_nPlotTop = ClampTo32(nTop);
    return layout;
}

CPlotLayout DrawPlot(CDrawDevice* pDC, const CDevRect& rectPage, const CPlotWindow& window,
                     const CFunctionList* pFunctions, bool bGrid, CPlotArea& plotArea)
{
    return DrawPlot(
        pDC, rectPage, window, pFunctions, bGrid, plotArea,
        [](CDrawDevice* pCurveDC, const CFunctionList& functions, const CPlotLayout& layout)
        {
            for (const CGraphFunction& function : functions)
            {
                function.DrawCurve(pCurveDC, layout.m_nPlotLeft, layout.m_nPlotWidth,
                                   layout.m_nPlotTop, layout.m_nPlotHeight);
            }
        });
}

CPlotLayout DrawPlot(CDrawDevice* pDC, const CDevRect& rectPage, const CPlotWindow& window,
                     const CFunctionList* pFunctions, bool bGrid, CPlotArea& plotArea,
                     const CDrawCurves& drawCurves)
{
    const CPlotLayout layout = LayOutPlot(rectPage.m_nRight > 0 ? rectPage : pDC->GetClipBox());
    if (!layout.IsDrawn())
    {
        return layout;
    }
    plotArea.SetArea(window, layout.m_nPlotLeft, layout.m_nPlotWidth, layout.m_nPlotTop,
                     layout.m_nPlotHeight);
    if (bGrid)
    {
        plotArea.DrawGrid(pDC);
    }
    if (pFunctions != nullptr)
    {
        drawCurves(pDC, *pFunctions, layout);
    }
    plotArea.DrawAxes(pDC);
    return layout;
}
