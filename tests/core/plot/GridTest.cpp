// The dotted grid: positions and dots for ordinary windows, compared with the
// literal walk from 1 and -1 outwards, and bounded work for extreme windows.
#include <algorithm>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <set>

#include "DrawTestUtil.h"
#include "core/plot/Mapping.h"
#include "core/plot/PlotArea.h"

namespace
{
constexpr COLORREF kGrey = MakeRgb(128, 128, 128);

CPlotArea Area(double dXMin, double dXMax, double dYMin, double dYMax)
{
    CPlotArea area;
    area.SetArea(CPlotWindow{dXMin, dXMax, dYMin, dYMax}, 123, 554, 23, 554);
    return area;
}

// A grid line: 'V' at a column or 'H' at a row.
using CGridLine = std::pair<char, std::int32_t>;

// The rule as written: every whole number from 1 upwards while below the
// maximum, from -1 downwards while above the minimum. Only usable for
// windows whose walk is short.
std::vector<CGridLine> LiteralGrid(const CPlotArea& a)
{
    std::vector<CGridLine> vLines;
    const std::int32_t l = a.m_nLeft, w = a.m_nWidth, t = a.m_nTop, h = a.m_nHeight;
    auto vertical = [&](double v)
    {
        std::int32_t x = TruncateToDevice(
            (v - a.m_window.m_dXMin) * w / (a.m_window.m_dXMax - a.m_window.m_dXMin) + l);
        if (l < x && x < l + w)
        {
            vLines.emplace_back('V', x);
        }
    };
    auto horizontal = [&](double v)
    {
        std::int32_t y = TruncateToDevice(
            t + h - (v - a.m_window.m_dYMin) * h / (a.m_window.m_dYMax - a.m_window.m_dYMin));
        if (t < y && y < t + h)
        {
            vLines.emplace_back('H', y);
        }
    };
    for (double v = 1; v < a.m_window.m_dXMax; v++)
    {
        vertical(v);
    }
    for (double v = -1; v > a.m_window.m_dXMin; v--)
    {
        vertical(v);
    }
    for (double v = 1; v < a.m_window.m_dYMax; v++)
    {
        horizontal(v);
    }
    for (double v = -1; v > a.m_window.m_dYMin; v--)
    {
        horizontal(v);
    }
    return vLines;
}

// Keeps the dots compactly (wide windows draw hundreds of thousands) and
// records every other operation, of which there must be none.
class CDotDevice : public CRecordingDevice
{
public:
    struct CDot
    {
        std::int32_t x, y;
        COLORREF cr;
    };
    void SetPixel(std::int32_t x, std::int32_t y, COLORREF cr) override
    {
        m_vDots.push_back(CDot{x, y, cr});
    }
    std::vector<CDot> m_vDots;
};

// The lines drawn, each checked to be a whole dotted line: 139 grey dots
// every 4 units from the top or left edge of the 554 square at 123, 23.
std::vector<CGridLine> RecordedGrid(const CPlotArea& area)
{
    CDotDevice dc;
    area.DrawGrid(&dc);
    EXPECT_TRUE(dc.GetRecords().empty()); // no pen, no other operation
    const auto& vDots = dc.m_vDots;
    EXPECT_EQ(vDots.size() % 139, 0u);
    std::vector<CGridLine> vLines;
    std::size_t nStrayDots = 0;
    for (std::size_t i = 0; i + 139 <= vDots.size(); i += 139)
    {
        const CDotDevice::CDot& first = vDots[i];
        const bool bVertical = first.y == 23 && first.x > 123;
        EXPECT_TRUE(bVertical || (first.x == 123 && first.y > 23));
        vLines.emplace_back(bVertical ? 'V' : 'H', bVertical ? first.x : first.y);
        for (std::int32_t k = 0; k < 139; ++k)
        {
            const CDotDevice::CDot& dot = vDots[i + k];
            if (dot.cr != kGrey || dot.x != (bVertical ? first.x : 123 + 4 * k) ||
                dot.y != (bVertical ? 23 + 4 * k : first.y))
            {
                ++nStrayDots;
            }
        }
    }
    EXPECT_EQ(nStrayDots, 0u);
    return vLines;
}

TEST(Grid, DefaultWindowLinesAndDots)
{
    // Lines at x = 1, x = -1, y = 1, y = -1; the dots of each are checked by
    // RecordedGrid: every 4 units (s = 23 / 5) from the edge while below the
    // far edge, 139 per line.
    EXPECT_EQ(RecordedGrid(Area(-2, 2, -2, 2)),
              (std::vector<CGridLine>{{'V', 538}, {'V', 261}, {'H', 161}, {'H', 438}}));
    CRecordingDevice dc;
    Area(-2, 2, -2, 2).DrawGrid(&dc);
    ASSERT_EQ(dc.Count(EDrawOp::SetPixel), 4u * 139u);
    EXPECT_EQ(dc.GetRecords()[138].m_nY1, 575);
    EXPECT_EQ(dc.GetRecords()[556 - 1].m_nX1, 675);
}

TEST(Grid, LinesOfTypicalWindows)
{
    struct
    {
        const char* pszName;
        double dXMin, dXMax, dYMin, dYMax;
        std::vector<std::int32_t> vColumns;
        std::size_t nRows;
    } cases[] = {
        {"0 to 1", 0, 1, 0, 1, {}, 0},
        {"0.2 to 0.8", 0.2, 0.8, -0.8, -0.2, {}, 0},
        {"5 to 10", 5, 10, 5, 10, {233, 344, 455, 566}, 4},
        {"-10 to 10",
         -10,
         10,
         -10,
         10,
         {427, 455, 483, 510, 538, 566, 593, 621, 649, 372, 344, 316, 289, 261, 233, 206, 178, 150},
         18},
        {"1e15 to 1e15 + 10",
         1e15,
         1e15 + 10,
         -1e15 - 10,
         -1e15,
         {178, 233, 289, 344, 400, 455, 510, 566, 621},
         9},
    };
    for (const auto& c : cases)
    {
        std::vector<std::int32_t> vColumns;
        std::size_t nRows = 0;
        for (const CGridLine& line : RecordedGrid(Area(c.dXMin, c.dXMax, c.dYMin, c.dYMax)))
        {
            if (line.first == 'V')
            {
                vColumns.push_back(line.second);
            }
            else
            {
                ++nRows;
            }
        }
        EXPECT_EQ(vColumns, c.vColumns) << c.pszName;
        EXPECT_EQ(nRows, c.nRows) << c.pszName;
    }
}

TEST(Grid, SameDotsAsTheLiteralWalk)
{
    struct
    {
        double dXMin, dXMax, dYMin, dYMax;
    } windows[] = {
        {-2, 2, -2, 2},
        {-10, 10, -10, 10},
        {5, 10, 5, 10},
        {-7.3, -2.1, 2.1, 7.3},
        {-1000, 1000, -1000, 1000},
        {-3000.5, 50, -50, 3000.5},
        {0.5, 2000.5, -0.5, 1},
        {1e6, 1e6 + 3, -1e6 - 20, -1e6},
        {-1, 1, -1, 1},
        {-554, 554, -277, 277},
        {-0.999, 0.999, 0.001, 554.001},
    };
    std::vector<std::array<double, 4>> vWindows;
    for (const auto& w : windows)
    {
        vWindows.push_back({w.dXMin, w.dXMax, w.dYMin, w.dYMax});
    }
    std::mt19937 rng(4);
    std::uniform_real_distribution<double> centre(-3000, 3000);
    std::uniform_real_distribution<double> logWidth(-1, 3.5);
    for (int i = 0; i < 150; ++i)
    {
        double cx = centre(rng), wx = std::pow(10.0, logWidth(rng));
        double cy = centre(rng), wy = std::pow(10.0, logWidth(rng));
        vWindows.push_back({cx - wx / 2, cx + wx / 2, cy - wy / 2, cy + wy / 2});
    }
    for (const auto& w : vWindows)
    {
        const CPlotArea area = Area(w[0], w[1], w[2], w[3]);
        auto vLiteral = LiteralGrid(area);
        const auto vRecorded = RecordedGrid(area);
        // Where several integers share a device unit the literal walk draws
        // that line again, the walk once, in the same order.
        vLiteral.erase(std::unique(vLiteral.begin(), vLiteral.end()), vLiteral.end());
        EXPECT_EQ(vRecorded, vLiteral) << w[0] << " " << w[1] << " " << w[2] << " " << w[3];
    }
}

TEST(Grid, ExtremeWindowsStayBounded)
{
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kMax = std::numeric_limits<double>::max();
    struct
    {
        const char* pszName;
        double dXMin, dXMax, dYMin, dYMax;
        std::size_t nColumns; // distinct vertical lines
        std::size_t nRows;    // distinct horizontal lines
    } cases[] = {
        // Every device column holds integers: a line at each, no more.
        {"1e300 wide", 0, 1e300, -1e300, 0, 553, 553},
        {"around the origin", -1e300, 1e300, -1e300, 1e300, 553, 553},
        {"whole double range", -kMax, kMax, -kMax, kMax, 0, 0}, // the width overflows
        // Beyond 2^53 the integers are the doubles themselves, 16384 apart: 1e20 +
        // 1e6 rounds to 1e20 + 61 * 16384, and 60 lie strictly between.
        {"far and narrow", 1e20, 1e20 + 1e6, -1e20 - 1e6, -1e20, 60, 60},
        {"infinite bound", -kInf, 2, -2, kInf, 0, 0},
        {"NaN bound", kNaN, 2, -2, kNaN, 0, 0},
        {"reversed", 2, -2, 5, 1, 0, 0},
        {"empty", 3, 3, 3, 3, 0, 0},
        {"tiny", 1 - 1e-12, 1 + 1e-12, -1 - 1e-13, -1 + 1e-13, 1, 1},
    };
    for (const auto& c : cases)
    {
        CDotDevice dc;
        Area(c.dXMin, c.dXMax, c.dYMin, c.dYMax).DrawGrid(&dc);
        std::set<std::int32_t> columns, rows;
        std::size_t nOutside = 0;
        for (const CDotDevice::CDot& dot : dc.m_vDots)
        {
            if (!(123 <= dot.x && dot.x < 677 && 23 <= dot.y && dot.y < 577))
            {
                ++nOutside;
            }
            if (dot.y == 23 && dot.x > 123)
            {
                columns.insert(dot.x);
            }
            if (dot.x == 123 && dot.y > 23)
            {
                rows.insert(dot.y);
            }
        }
        EXPECT_EQ(nOutside, 0u) << c.pszName;
        EXPECT_EQ(columns.size(), c.nColumns) << c.pszName;
        EXPECT_EQ(rows.size(), c.nRows) << c.pszName;
        // Never more lines than the plot area has pixels (the line through the
        // origin may be reached from both sides).
        EXPECT_LE(dc.m_vDots.size(), (553u + 1u) * 139u * 2u) << c.pszName;
    }
}

TEST(Grid, OddRectanglesEnd)
{
    // A spacing of zero (left or top below 5) or a rectangle with no width
    // must neither loop for ever nor draw outside.
    struct
    {
        std::int32_t l, w, t, h;
        std::size_t nDots;
    } cases[] = {
        {0, 100, 0, 100, 2u * 100u + 2u * 100u},
        {4, 100, 50, 100, 4u * 100u},
        {100, 0, 100, 100, 0},
        {100, -50, 100, -50, 0},
        {std::numeric_limits<std::int32_t>::max() - 10, 100, 20, 20, 0},
    };
    for (const auto& c : cases)
    {
        CPlotArea area;
        area.SetArea(CPlotWindow{-2, 2, -2, 2}, c.l, c.w, c.t, c.h);
        CRecordingDevice dc;
        area.DrawGrid(&dc);
        EXPECT_EQ(dc.Count(EDrawOp::SetPixel), c.nDots) << c.l << " " << c.t;
    }
}
} // namespace
