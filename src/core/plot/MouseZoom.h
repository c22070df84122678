// The arithmetic of the mouse: the coordinates under the pointer, the
// rectangle a click or drag stands for, and the window it zooms to. Kept
// apart from the widget so that every number can be checked exactly.
#pragma once

#include "core/expr/PlotWindow.h"
#include "core/plot/DrawDevice.h"

#include <cstdint>
#include <string>

// The plot area stored by the last drawing, in device units.
struct CPlotBox
{
    std::int32_t m_nLeft = 0;
    std::int32_t m_nTop = 0;
    std::int32_t m_nWidth = 0;
    std::int32_t m_nHeight = 0;

    // Before the first drawing, or in a window too small to draw in, there
    // is no plot area to read coordinates from or to zoom in.
    bool IsUsable() const { return m_nWidth > 0 && m_nHeight > 0; }
};

// World coordinates of the device point pt, not rounded.
void MouseToWorld(const CPlotBox& box, const CPlotWindow& window, CDevPoint pt, double& x,
                  double& y);

// "X = ...   Y = ..." with fifteen decimals and the decimal separator of the
// current C locale.
std::string FormatReadOut(double x, double y);

// The device rectangle a button-up at pt stands for, the drag having started
// at anchor: a click (or a purely horizontal or vertical drag) pans by a
// quarter when outside the plot area, and zooms in by two about the point
// inside it; any other drag is the rectangle from anchor to pt.
CDevRect ChooseZoomRect(const CPlotBox& box, CDevPoint anchor, CDevPoint pt);

// The window after zooming to the device rectangle (x1, y1)-(x2, y2): the
// document's window when the rectangle runs backwards (x2 < x1 or y2 < y1),
// the rectangle's world coordinates otherwise, unless that window would be
// narrower than 1e-12 in either direction or not finite: then the old one.
CPlotWindow ZoomWindow(const CPlotBox& box, const CPlotWindow& current, const CPlotWindow& document,
                       std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
