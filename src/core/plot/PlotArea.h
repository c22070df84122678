// The plot area of one drawing: the world window and the device rectangle it
// is shown in, with the grid and the frame, axes and labels drawn over it.
#pragma once

#include <cstdint>
#include <string>

#include "core/expr/PlotWindow.h"
#include "core/plot/DrawDevice.h"

class CPlotArea
{
public:
    // Sets the three colours; the geometry is set by SetArea before every use.
    CPlotArea();
    virtual ~CPlotArea();

    void SetArea(const CPlotWindow& window, std::int32_t nLeft, std::int32_t nWidth,
                 std::int32_t nTop, std::int32_t nHeight);

    // Dotted grey lines at every non-zero whole number of the window whose
    // position falls strictly inside the plot area, one dot every
    // min(left, top) / 5 units, starting on the top or left edge.
    void DrawGrid(CDrawDevice* pDC) const;

    // Frame, the axes where they fall strictly inside, and the four labels of
    // the window's bounds. Leaves pen, font, text colour and background mode
    // as it found them.
    void DrawAxes(CDrawDevice* pDC) const;

    CPlotWindow m_window;
    std::int32_t m_nLeft = 0;
    std::int32_t m_nWidth = 0;
    std::int32_t m_nTop = 0;
    std::int32_t m_nHeight = 0;
    COLORREF m_crGrid;
    COLORREF m_crAxis;
    COLORREF m_crText;
};

// A bound as the labels show it: "%02.10f" in the current C locale, so with
// the user's decimal separator once the program has selected the user's
// locale.
std::string FormatBound(double dValue);
