// Curves: which samples are joined, in which direction, with which pen.
#include <gtest/gtest.h>
#include <limits>

#include "DrawTestUtil.h"
#include "core/expr/ExprEvaluator.h"
#include "core/expr/GraphFunction.h"
#include "core/plot/Mapping.h"

namespace
{
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The plot area of the examples: 500 by 500 at 100, 100.
std::vector<CLine> Draw(const CGraphFunction& function, CRecordingDevice& dc)
{
    function.DrawCurve(&dc, 100, 500, 100, 500);
    return LinesOf(dc);
}

TEST(Curve, IdentityStartsAtTheSecondSample)
{
    CExprEvaluator evaluator;
    CGraphFunction function(&evaluator);
    function.m_strExpression = "X";
    function.Sample(CPlotWindow{-2, 2, -2, 2}, 500);
    ASSERT_EQ(function.m_pPoints->GetCount(), 500u);

    CRecordingDevice dc;
    const auto vLines = Draw(function, dc);
    // The first sample maps onto the bottom edge (600) and is not joined; the
    // last one, x = 1.992, truncates onto the top edge (100) and is not either.
    EXPECT_EQ(dc.GetRecords(EDrawOp::MoveTo).front().m_nY1, 600);
    EXPECT_EQ(dc.GetRecords(EDrawOp::MoveTo).back().m_nY1, 100);
    ASSERT_EQ(vLines.size(), 497u);
    // Each segment runs from the newer sample back to the older one.
    EXPECT_EQ(vLines.front(), (CLine{102, 598, 101, 599}));
    double x1, y1, x2, y2;
    function.m_pPoints->GetPoint(497, x1, y1);
    function.m_pPoints->GetPoint(498, x2, y2);
    EXPECT_EQ(vLines.back(), (CLine{MapX(x2, -2, 2, 100, 500), MapY(y2, -2, 2, 100, 500),
                                    MapX(x1, -2, 2, 100, 500), MapY(y1, -2, 2, 100, 500)}));
    EXPECT_EQ(dc.Count(EDrawOp::MoveTo), 500u);
}

TEST(Curve, ConstantOneAtTheTopOrInside)
{
    struct
    {
        const char* pszName;
        double dYMax;
        std::size_t nLines;
        std::int32_t y;
    } cases[] = {
        {"default window", 2, 499, 225}, // T(100 + 500 - 3 * 500 / 4)
        {"Y max 1", 1, 0, 100},          // on the top edge: outside
    };
    for (const auto& c : cases)
    {
        CExprEvaluator evaluator;
        CGraphFunction function(&evaluator);
        function.m_strExpression = "1";
        function.Sample(CPlotWindow{-2, 2, -2, c.dYMax}, 500);
        CRecordingDevice dc;
        const auto vLines = Draw(function, dc);
        ASSERT_EQ(vLines.size(), c.nLines) << c.pszName;
        for (const CLine& line : vLines)
        {
            EXPECT_EQ(line.y1, c.y);
            EXPECT_EQ(line.y2, c.y);
            EXPECT_GT(line.x1, line.x2);
        }
        if (!vLines.empty())
        {
            EXPECT_EQ(vLines.front().x2, 100) << c.pszName; // back to the first sample
            EXPECT_EQ(vLines.back().x1, 599) << c.pszName;
        }
    }
}

// A curve from hand-made samples in the default window.
std::vector<CLine> DrawPoints(const std::vector<std::pair<double, double>>& vPoints,
                              CRecordingDevice& dc)
{
    CGraphFunction function(nullptr);
    for (const auto& pt : vPoints)
    {
        function.m_pPoints->AddPoint(pt.first, pt.second);
    }
    function.m_pPoints->m_window.m_dXMin = -2;
    function.m_pPoints->m_window.m_dXMax = 2;
    function.m_pPoints->m_window.m_dYMin = -2;
    function.m_pPoints->m_window.m_dYMax = 2;
    function.m_crColor = MakeRgb(200, 10, 20);
    return Draw(function, dc);
}

TEST(Curve, BreaksAndBridges)
{
    struct
    {
        const char* pszName;
        std::vector<std::pair<double, double>> vPoints;
        std::vector<CLine> vLines;
    } cases[] = {
        {"no samples", {}, {}},
        {"one sample", {{0, 0}}, {}},
        {"two inside", {{0, 0}, {0.4, 0.4}}, {{400, 300, 350, 350}}},
        {"NaN breaks",
         {{-1, 0}, {-0.5, 0}, {0, kNaN}, {0.5, 0}, {1, 0}},
         {{287, 350, 225, 350}, {475, 350, 412, 350}}},
        {"infinity breaks",
         {{-1, 0}, {-0.5, 0}, {0, kInf}, {0.5, -kInf}, {1, 0}},
         {{287, 350, 225, 350}}},
        {"a gap is bridged", {{-1.5, 1}, {1.25, -1}}, {{506, 475, 162, 225}}},
        {"leaves through the top",
         {{-1, 1}, {-0.5, 1.5}, {0, 2.5}, {0.5, 1.5}, {1, 1}},
         {{287, 162, 225, 225}, {475, 225, 412, 162}}},
        {"on the bottom edge", {{-1, -2}, {0, -1}, {1, -2}}, {}},
        {"beyond 32 bits",
         {{-1, 0}, {0, 1e12}, {1, 0}},
         {}}, // 1e12 maps far outside after keeping the low 32 bits
    };
    for (const auto& c : cases)
    {
        CRecordingDevice dc;
        EXPECT_EQ(DrawPoints(c.vPoints, dc), c.vLines) << c.pszName;
        EXPECT_EQ(dc.Count(EDrawOp::MoveTo), c.vPoints.size()) << c.pszName;
    }
}

TEST(Curve, PenCreatedSelectedRestoredDeleted)
{
    CRecordingDevice dc;
    DrawPoints({{0, 0}, {0.4, 0.4}}, dc);
    const auto& records = dc.GetRecords();
    ASSERT_EQ(records.size(), 7u);
    EXPECT_EQ(records[0].m_eOp, EDrawOp::CreatePen);
    EXPECT_EQ(records[0].m_pen, (CPenDesc{EPenStyle::Solid, 0, MakeRgb(200, 10, 20)}));
    EXPECT_EQ(records[1].m_eOp, EDrawOp::SelectObject);
    EXPECT_EQ(records[3].m_eOp, EDrawOp::MoveTo);
    EXPECT_EQ(records[4].m_eOp, EDrawOp::LineTo);
    EXPECT_EQ(records[4].m_crColor, MakeRgb(200, 10, 20));
    EXPECT_EQ(records[5].m_eOp, EDrawOp::SelectObject);
    EXPECT_EQ(records[5].m_hObject, CDrawObjectTable::StockHandle(EStockObject::BlackPen));
    EXPECT_EQ(records[6].m_eOp, EDrawOp::DeleteObject);
    EXPECT_EQ(records[6].m_nResult, 1);
    EXPECT_EQ(dc.GetLiveCount(), 0u);
    EXPECT_EQ(dc.GetMisuseCount(), 0u);
}

TEST(Curve, FailedPenTracesWithTheCurrentPen)
{
    CRecordingDevice dc;
    dc.SetFailPenCreation(true);
    const auto vLines = DrawPoints({{0, 0}, {0.4, 0.4}, {0.8, 0.8}}, dc);
    EXPECT_EQ(vLines.size(), 2u);
    EXPECT_EQ(dc.Count(EDrawOp::SelectObject), 0u);
    EXPECT_EQ(dc.Count(EDrawOp::DeleteObject), 0u);
    for (const CDrawRecord& r : dc.GetRecords(EDrawOp::LineTo))
    {
        EXPECT_EQ(r.m_hObject, CDrawObjectTable::StockHandle(EStockObject::BlackPen));
    }
}

TEST(Curve, DrawnWithItsOwnSampledWindow)
{
    // Another view resampled the function for the window 0 to 4: the samples
    // are mapped with that window, not the drawing view's.
    CExprEvaluator evaluator;
    CGraphFunction function(&evaluator);
    function.m_strExpression = "X";
    function.Sample(CPlotWindow{0, 4, 0, 4}, 4);
    CRecordingDevice dc;
    const auto vLines = Draw(function, dc);
    EXPECT_EQ(vLines, (std::vector<CLine>{{350, 350, 225, 475}, {475, 225, 350, 350}}));
}
} // namespace
