// The one drawing sequence of a graph: the view's paint, printing, the
// metafile export and tracelo-export all lay the plot out and draw it here.
#pragma once

#include <cstdint>
#include <functional>

#include "core/expr/GraphFunction.h"
#include "core/expr/PlotWindow.h"
#include "core/plot/DrawDevice.h"

class CPlotArea;

// What one drawing laid out. The view keeps the plot values for the mouse,
// also when the surface was too small to draw on.
struct CPlotLayout
{
    CDevRect m_rectPage; // the surface laid out on
    std::int32_t m_nPlotWidth = 0;
    std::int32_t m_nPlotHeight = 0;
    std::int32_t m_nPlotLeft = 0;
    std::int32_t m_nPlotTop = 0;

    // Only a plot area wider and taller than 50 units is drawn.
    bool IsDrawn() const { return m_nPlotWidth > 50 && m_nPlotHeight > 50; }
};

// The largest square that keeps a margin c = (right + bottom) / 60, at least
// 16, on every side of the surface, centred along its longer side. The
// rectangle's right and bottom are taken as the surface's width and height.
CPlotLayout LayOutPlot(const CDevRect& rectPage);

// Lays the plot out on rectPage, or on the device's clipping box when
// rectPage's right edge is 0 or less, and draws it: the grid when bGrid, every
// function's curve from head to tail, then frame, axes and labels. Paints no
// background. pFunctions may be null (no curves). plotArea is the caller's,
// left holding this drawing's window and rectangle.
CPlotLayout DrawPlot(CDrawDevice* pDC, const CDevRect& rectPage, const CPlotWindow& window,
                     const CFunctionList* pFunctions, bool bGrid, CPlotArea& plotArea);

// Draws the curves of a laid-out plot, head to tail; DrawPlot draws each one
// with DrawCurve on its own device unless given another way.
using CDrawCurves = std::function<void(CDrawDevice* pDC, const CFunctionList& functions,
                                       const CPlotLayout& layout)>;

// The same drawing, with the curves drawn by drawCurves.
CPlotLayout DrawPlot(CDrawDevice* pDC, const CDevRect& rectPage, const CPlotWindow& window,
                     const CFunctionList* pFunctions, bool bGrid, CPlotArea& plotArea,
                     const CDrawCurves& drawCurves);
