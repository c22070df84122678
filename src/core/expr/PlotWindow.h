// The plotting window in world coordinates: what the document stores, what a
// view shows (zoomed or not), what a curve was sampled over and what a
// drawing maps with. One value, so that it is copied and compared whole.
#pragma once

struct CPlotWindow
{
    double m_dXMin = 0.0;
    double m_dXMax = 0.0;
    double m_dYMin = 0.0;
    double m_dYMax = 0.0;

    bool operator==(const CPlotWindow&) const = default;

    // The window the parameters command keeps: an axis with a bound that is
    // not a finite number takes the new-graph bounds; a max not above its
    // min becomes min + 0.1, or the next double above min where that sum
    // rounds back to min, so that max > min always holds.
    CPlotWindow Corrected() const;
};

// The window of a new graph.
inline constexpr CPlotWindow kNewGraphWindow{-2.0, 2.0, -2.0, 2.0};
