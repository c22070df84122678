// The truncating conversion, the world-to-device mapping, the layout of the
// plot area and the order of the drawing sequence.
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

#include "DrawTestUtil.h"
#include "core/expr/ExprEvaluator.h"
#include "core/plot/DrawPlot.h"
#include "core/plot/Mapping.h"
#include "core/plot/PlotArea.h"

namespace
{
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(TruncateToDevice, TruncatesTowardZeroAndKeepsLow32Bits)
{
    struct
    {
        double dValue;
        std::int32_t nExpected;
    } cases[] = {
        {99.7, 99},
        {-0.7, 0},
        {-99.7, -99},
        {0.9999999999999999, 0},
        {2147483647.9, 2147483647},
        {2147483648.0, std::numeric_limits<std::int32_t>::min()},
        {-2147483649.0, std::numeric_limits<std::int32_t>::max()},
        {4294967296.0 + 5.5, 5},
        {1e18, -1486618624},
        {9223372036854774784.0, -1024}, // 2^63 - 1024, the largest double below 2^63
        {9223372036854775808.0, 0},     // 2^63
        {-9223372036854775808.0, 0},    // -2^63
        {1e300, 0},
        {kNaN, 0},
        {kInf, 0},
        {-kInf, 0},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(TruncateToDevice(c.dValue), c.nExpected) << c.dValue;
    }
}

TEST(Mapping, DefaultWindowOnA500Square)
{
    struct
    {
        double dWorld;
        std::int32_t nX;
        std::int32_t nY;
    } cases[] = {
        {0.0, 350, 350}, {2.0, 600, 100}, {-2.0, 100, 600},
        {1.0, 475, 225}, {kNaN, 0, 0},    {kInf, 0, 0},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(MapX(c.dWorld, -2, 2, 100, 500), c.nX) << c.dWorld;
        EXPECT_EQ(MapY(c.dWorld, -2, 2, 100, 500), c.nY) << c.dWorld;
    }
}

TEST(Layout, LargestCentredSquareWithMargin)
{
    struct
    {
        std::int32_t nRight, nBottom;
        std::int32_t nSide, nLeft, nTop;
        bool bDrawn;
    } cases[] = {
        {800, 600, 554, 123, 23, true},      {100, 100, 68, 16, 16, true},
        {80, 80, 48, 16, 16, false},         {6000, 4000, 3668, 1166, 166, true},
        {4800, 6800, 4414, 193, 1193, true}, {532, 532, 498, 17, 17, true},
        {1066, 1066, 996, 35, 35, true},     {600, 800, 554, 23, 123, true},
        {82, 83, 50, 16, 16, false},         {83, 83, 51, 16, 16, true},
        {0, 0, -32, 16, 16, false},          {-500, 300, -532, 16, 416, false},
    };
    for (const auto& c : cases)
    {
        CPlotLayout layout = LayOutPlot(CDevRect{0, 0, c.nRight, c.nBottom});
        EXPECT_EQ(layout.m_nPlotWidth, c.nSide) << c.nRight << "x" << c.nBottom;
        EXPECT_EQ(layout.m_nPlotHeight, c.nSide) << c.nRight << "x" << c.nBottom;
        EXPECT_EQ(layout.m_nPlotLeft, c.nLeft) << c.nRight << "x" << c.nBottom;
        EXPECT_EQ(layout.m_nPlotTop, c.nTop) << c.nRight << "x" << c.nBottom;
        EXPECT_EQ(layout.IsDrawn(), c.bDrawn) << c.nRight << "x" << c.nBottom;
    }
}

TEST(Layout, ExtremeSurfacesDoNotOverflow)
{
    const std::int32_t nMax = std::numeric_limits<std::int32_t>::max();
    CPlotLayout layout = LayOutPlot(CDevRect{0, 0, nMax, nMax});
    EXPECT_GT(layout.m_nPlotWidth, 0);
    EXPECT_EQ(layout.m_nPlotWidth, layout.m_nPlotHeight);
    layout = LayOutPlot(CDevRect{0, 0, nMax, 100});
    EXPECT_FALSE(layout.IsDrawn());
}

CPlotWindow DefaultWindow()
{
    return CPlotWindow{-2.0, 2.0, -2.0, 2.0};
}

TEST(DrawPlot, TooSmallDrawsNothingButReportsTheLayout)
{
    CRecordingDevice dc;
    CPlotArea area;
    CPlotLayout layout =
        DrawPlot(&dc, CDevRect{0, 0, 80, 80}, DefaultWindow(), nullptr, true, area);
    EXPECT_EQ(layout.m_nPlotWidth, 48);
    EXPECT_EQ(layout.m_nPlotLeft, 16);
    EXPECT_TRUE(dc.GetRecords().empty());
}

TEST(DrawPlot, EmptyPageFallsBackToTheClippingBox)
{
    for (std::int32_t nRight : {0, -5})
    {
        CRecordingDevice dc(CDevRect{0, 0, 6000, 4000});
        CPlotArea area;
        CPlotLayout layout =
            DrawPlot(&dc, CDevRect{0, 0, nRight, 700}, DefaultWindow(), nullptr, false, area);
        EXPECT_EQ(layout.m_rectPage, (CDevRect{0, 0, 6000, 4000}));
        EXPECT_EQ(layout.m_nPlotWidth, 3668);
        EXPECT_EQ(layout.m_nPlotLeft, 1166);
        EXPECT_EQ(layout.m_nPlotTop, 166);
        EXPECT_EQ(dc.Count(EDrawOp::GetClipBox), 1u);
        EXPECT_EQ(area.m_nWidth, 3668);
    }
    // A page with a right edge never asks for the clipping box.
    CRecordingDevice dc;
    CPlotArea area;
    DrawPlot(&dc, CDevRect{0, 0, 800, 600}, DefaultWindow(), nullptr, false, area);
    EXPECT_EQ(dc.Count(EDrawOp::GetClipBox), 0u);
}

TEST(DrawPlot, GridThenCurvesHeadToTailThenAxes)
{
    CExprEvaluator evaluator;
    CFunctionList functions;
    const COLORREF colours[] = {MakeRgb(255, 0, 0), MakeRgb(0, 128, 0), MakeRgb(0, 0, 255)};
    for (COLORREF cr : colours)
    {
        CGraphFunction function(&evaluator);
        function.m_strExpression = "X/2";
        function.m_crColor = cr;
        function.Sample(CPlotWindow{-2, 2, -2, 2}, 50);
        functions.push_back(std::move(function));
    }

    for (bool bGrid : {true, false})
    {
        CRecordingDevice dc;
        CPlotArea area;
        DrawPlot(&dc, CDevRect{0, 0, 800, 600}, DefaultWindow(), &functions, bGrid, area);
        EXPECT_EQ(area.m_nLeft, 123);
        EXPECT_EQ(area.m_nTop, 23);
        EXPECT_EQ(area.m_window.m_dXMin, -2.0);

        // The colours of the pens in creation order: the curves, then the axes.
        std::vector<COLORREF> vPens;
        for (const CDrawRecord& r : dc.GetRecords(EDrawOp::CreatePen))
        {
            vPens.push_back(r.m_crColor);
        }
        EXPECT_EQ(vPens, (std::vector<COLORREF>{colours[0], colours[1], colours[2], 0}));

        const auto& records = dc.GetRecords();
        std::size_t nLastPixel = 0, nFirstPen = records.size();
        for (std::size_t i = 0; i < records.size(); ++i)
        {
            if (records[i].m_eOp == EDrawOp::SetPixel)
            {
                nLastPixel = i;
            }
            if (records[i].m_eOp == EDrawOp::CreatePen && nFirstPen == records.size())
            {
                nFirstPen = i;
            }
        }
        EXPECT_EQ(dc.Count(EDrawOp::SetPixel) > 0, bGrid);
        if (bGrid)
        {
            EXPECT_LT(nLastPixel, nFirstPen);
        }
        // Every curve line is drawn with its own pen, before the frame.
        const auto vLines = dc.GetRecords(EDrawOp::LineTo);
        ASSERT_GE(vLines.size(), 6u);
        EXPECT_EQ(vLines.front().m_crColor, colours[0]);
        EXPECT_EQ(vLines[vLines.size() - 7].m_crColor, colours[2]);
        EXPECT_EQ(vLines.back().m_crColor, 0u);
        EXPECT_EQ(dc.GetLiveCount(), 0u);
        EXPECT_EQ(dc.GetMisuseCount(), 0u);
    }
}

TEST(DrawPlot, EmptyFunctionListStillDrawsFrameAxesAndLabels)
{
    CFunctionList functions;
    CRecordingDevice dc;
    CPlotArea area;
    DrawPlot(&dc, CDevRect{0, 0, 800, 600}, DefaultWindow(), &functions, false, area);
    EXPECT_EQ(dc.Count(EDrawOp::LineTo), 6u);
    EXPECT_EQ(dc.Count(EDrawOp::TextOut), 4u);
}
} // namespace
