#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/expr/ExprEvaluator.h"
#include "core/expr/GraphFunction.h"

namespace
{

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct CSamplingCase
{
    const char* m_pszExpression;
    double m_dXMin;
    double m_dXMax;
    std::int32_t m_nDivisions;
    std::size_t m_nCount;
    double m_dLastX;
};

void PrintTo(const CSamplingCase& c, std::ostream* os)
{
    *os << '"' << c.m_pszExpression << "\" " << c.m_dXMin << ".." << c.m_dXMax << " / "
        << c.m_nDivisions;
}

class SamplingTest : public ::testing::TestWithParam<CSamplingCase>
{
};

TEST_P(SamplingTest, CountFirstAndLastSample)
{
    const CSamplingCase& c = GetParam();
    CExprEvaluator evaluator;
    CGraphFunction function(&evaluator);
    function.m_strExpression = c.m_pszExpression;
    function.Sample(CPlotWindow{c.m_dXMin, c.m_dXMax, -2.0, 2.0}, c.m_nDivisions);

    const CPointList& points = *function.m_pPoints;
    ASSERT_EQ(points.GetCount(), c.m_nCount);
    double x = 0.0;
    double y = 0.0;
    points.GetPoint(0, x, y);
    EXPECT_EQ(x, c.m_dXMin);
    points.GetPoint(points.GetCount() - 1, x, y);
    EXPECT_EQ(x, c.m_dLastX);
    // Strictly increasing X inside [X min, X max), each the previous plus
    // the step: repeated addition, not X min + i * step.
    const double dStep = (c.m_dXMax - c.m_dXMin) / c.m_nDivisions;
    for (std::size_t i = 1; i < points.GetCount(); ++i)
    {
        EXPECT_EQ(points.GetData()[i].m_dX, points.GetData()[i - 1].m_dX + dStep) << i;
        EXPECT_LT(points.GetData()[i].m_dX, c.m_dXMax);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Windows, SamplingTest,
    ::testing::Values(CSamplingCase{"", -2.0, 2.0, 500, 500, 1.9920000000000033},
                      CSamplingCase{"X", 0.0, 1.0, 10, 11, 0.9999999999999999},
                      CSamplingCase{"X*X", 0.0, 10.0, 500, 501, 9.999999999999876},
                      CSamplingCase{"SIN(X)", -2.0, 2.0, 10, 10, 1.6},
                      CSamplingCase{"X", 5.0, 6.0, 1, 1, 5.0}));

TEST(GraphFunctionTest, ConstructedEmptyAndBlack)
{
    CExprEvaluator evaluator;
    CGraphFunction function(&evaluator);
    EXPECT_EQ(function.m_pEvaluator, &evaluator);
    // No curve storage until the first sampling; read, it is an empty curve.
    EXPECT_FALSE(function.m_pPoints.IsAllocated());
    EXPECT_TRUE(std::as_const(function).m_pPoints->IsEmpty());
    function.Sample(CPlotWindow{0.0, 1.0, 0.0, 1.0}, 10);
    EXPECT_TRUE(function.m_pPoints.IsAllocated());
    EXPECT_EQ(function.m_strExpression, "");
    EXPECT_EQ(function.m_crColor, 0u);
}

// The list holds the functions themselves and moves them as it grows or
// loses one: each keeps its text, colour and the very storage of its curve
// (no copy of the points), and one never sampled still has none.
TEST(GraphFunctionTest, MovedByItsListWithItsCurve)
{
    CExprEvaluator evaluator;
    CFunctionList functions;
    const char* const kTexts[] = {"X", "SIN(X)", "1/X", "unsampled"};
    for (const char* psz : kTexts)
    {
        CGraphFunction& function = functions.emplace_back(&evaluator);
        function.m_strExpression = psz;
        function.m_crColor = static_cast<COLORREF>(functions.size());
    }
    std::vector<const CCurvePoint*> vData;
    for (std::size_t i = 0; i + 1 < functions.size(); ++i)
    {
        functions[i].Sample(CPlotWindow{-2.0, 2.0, -2.0, 2.0}, 100);
        vData.push_back(functions[i].m_pPoints->GetData());
    }
    functions.reserve(functions.capacity() * 4); // into a new block
    functions.erase(functions.begin());          // the others move down
    ASSERT_EQ(functions.size(), 3u);
    for (std::size_t i = 0; i < functions.size(); ++i)
    {
        const CGraphFunction& function = functions[i];
        EXPECT_EQ(function.m_strExpression, kTexts[i + 1]);
        EXPECT_EQ(function.m_crColor, static_cast<COLORREF>(i + 2));
        EXPECT_EQ(function.m_pEvaluator, &evaluator);
        if (i + 1 < functions.size())
        {
            EXPECT_EQ(function.m_pPoints->GetData(), vData[i + 1]) << kTexts[i + 1];
            EXPECT_EQ(function.m_pPoints->GetCount(), 100u) << kTexts[i + 1];
        }
        else
        {
            EXPECT_FALSE(function.m_pPoints.IsAllocated());
        }
    }
}

TEST(GraphFunctionTest, SamplesHoldTheExpressionsValues)
{
    CExprEvaluator evaluator;
    CGraphFunction function(&evaluator);
    function.m_strExpression = " x * 2 + 1 "; // as typed: blanks and case kept
    function.Sample(CPlotWindow{-1.0, 1.0, -5.0, 5.0}, 20);
    EXPECT_EQ(function.m_strExpression, " x * 2 + 1 ");
    ASSERT_FALSE(function.m_pPoints->IsEmpty());
    for (const CCurvePoint& pt : *function.m_pPoints)
    {
        EXPECT_EQ(pt.m_dY, pt.m_dX * 2 + 1);
    }
}

TEST(GraphFunctionTest, EmptyExpressionIsTheLineYZero)
{
    CExprEvaluator evaluator;
    CGraphFunction function(&evaluator);
    function.Sample(CPlotWindow{-2.0, 2.0, -2.0, 2.0}, 500);
    ASSERT_EQ(function.m_pPoints->GetCount(), 500u);
    for (const CCurvePoint& pt : *function.m_pPoints)
    {
        EXPECT_EQ(pt.m_dY, 0.0);
    }
}

TEST(GraphFunctionTest, DomainFaultsAreKeptAsNaNPoints)
{
    CExprEvaluator evaluator;
    CGraphFunction function(&evaluator);
    function.m_strExpression = "SQRT(X)";
    function.Sample(CPlotWindow{-2.0, 2.0, -2.0, 2.0}, 500);
    ASSERT_EQ(function.m_pPoints->GetCount(), 500u);
    std::size_t nNaN = 0;
    for (const CCurvePoint& pt : *function.m_pPoints)
    {
        EXPECT_EQ(std::isnan(pt.m_dY), pt.m_dX < 0) << pt.m_dX;
        nNaN += std::isnan(pt.m_dY) ? 1 : 0;
    }
    EXPECT_EQ(nNaN, 250u);
}

TEST(GraphFunctionTest, InfinitiesArePoints)
{
    CExprEvaluator evaluator;
    CGraphFunction function(&evaluator);
    function.m_strExpression = "1/X";
    function.Sample(CPlotWindow{-1.0, 1.0, -2.0, 2.0}, 4); // -1, -0.5, 0, 0.5
    ASSERT_EQ(function.m_pPoints->GetCount(), 4u);
    EXPECT_EQ(function.m_pPoints->GetData()[2].m_dX, 0.0);
    EXPECT_TRUE(std::isinf(function.m_pPoints->GetData()[2].m_dY));
}

TEST(GraphFunctionTest, MalformedExpressionEmptiesTheCurve)
{
    for (const char* pszText : {"SIN(", "2X"})
    {
        CExprEvaluator evaluator;
        CGraphFunction function(&evaluator);
        function.m_strExpression = "X";
        function.Sample(CPlotWindow{-2.0, 2.0, -2.0, 2.0}, 500);
        ASSERT_EQ(function.m_pPoints->GetCount(), 500u);
        function.m_strExpression = pszText;
        function.Sample(CPlotWindow{-2.0, 2.0, -2.0, 2.0}, 500);
        EXPECT_TRUE(function.m_pPoints->IsEmpty()) << pszText;
        EXPECT_EQ(function.m_strExpression, pszText);
    }
}

TEST(GraphFunctionTest, StoresTheWindowOfTheLastSampling)
{
    CExprEvaluator evaluator;
    CGraphFunction function(&evaluator);
    function.Sample(CPlotWindow{-3.0, 4.0, -5.0, 6.0}, 10);
    EXPECT_EQ(function.m_pPoints->m_window.m_dXMin, -3.0);
    EXPECT_EQ(function.m_pPoints->m_window.m_dXMax, 4.0);
    EXPECT_EQ(function.m_pPoints->m_window.m_dYMin, -5.0);
    EXPECT_EQ(function.m_pPoints->m_window.m_dYMax, 6.0);
    // Also when the window gives no points.
    function.Sample(CPlotWindow{1.0, 1.0, 7.0, 8.0}, 10);
    EXPECT_EQ(function.m_pPoints->m_window.m_dXMin, 1.0);
    EXPECT_EQ(function.m_pPoints->m_window.m_dXMax, 1.0);
    EXPECT_EQ(function.m_pPoints->m_window.m_dYMin, 7.0);
    EXPECT_EQ(function.m_pPoints->m_window.m_dYMax, 8.0);
    EXPECT_TRUE(function.m_pPoints->IsEmpty());
}

TEST(GraphFunctionTest, ResamplingRepeatsThePointsInTheSameStorage)
{
    CExprEvaluator evaluator;
    CGraphFunction function(&evaluator);
    function.m_strExpression = "SIN(X)*X";
    function.Sample(CPlotWindow{-2.0, 2.0, -2.0, 2.0}, 500);
    const std::vector<CCurvePoint> first(function.m_pPoints->begin(), function.m_pPoints->end());
    const CCurvePoint* pData = function.m_pPoints->GetData();
    function.Sample(CPlotWindow{-2.0, 2.0, -2.0, 2.0}, 500);
    ASSERT_EQ(function.m_pPoints->GetCount(), first.size());
    EXPECT_EQ(function.m_pPoints->GetData(), pData); // no new block
    for (std::size_t i = 0; i < first.size(); ++i)
    {
        EXPECT_EQ(function.m_pPoints->GetData()[i].m_dX, first[i].m_dX);
        EXPECT_EQ(function.m_pPoints->GetData()[i].m_dY, first[i].m_dY);
    }
}

// Windows and divisions no caller should pass still end, with these counts.
struct CDegenerateCase
{
    const char* m_pszName;
    double m_dXMin;
    double m_dXMax;
    std::int32_t m_nDivisions;
    std::size_t m_nCount;
};

void PrintTo(const CDegenerateCase& c, std::ostream* os)
{
    *os << c.m_pszName;
}

class DegenerateSamplingTest : public ::testing::TestWithParam<CDegenerateCase>
{
};

TEST_P(DegenerateSamplingTest, EndsWithTheseSamples)
{
    const CDegenerateCase& c = GetParam();
    CExprEvaluator evaluator;
    CGraphFunction function(&evaluator);
    function.m_strExpression = "X";
    function.Sample(CPlotWindow{0.0, 1.0, 0.0, 1.0}, 10); // points that must go
    function.Sample(CPlotWindow{c.m_dXMin, c.m_dXMax, -1.0, 1.0}, c.m_nDivisions);
    EXPECT_EQ(function.m_pPoints->GetCount(), c.m_nCount);
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, DegenerateSamplingTest,
    ::testing::Values(
        CDegenerateCase{"ZeroDivisions", -2.0, 2.0, 0, 0},
        CDegenerateCase{"NegativeDivisions", -2.0, 2.0, -5, 0},
        CDegenerateCase{"MinimumDivisions", -2.0, 2.0, std::numeric_limits<std::int32_t>::min(), 0},
        CDegenerateCase{"EqualBounds", 1.0, 1.0, 500, 0},
        CDegenerateCase{"ReversedBounds", 3.0, 1.0, 500, 0},
        CDegenerateCase{"NaNMin", kNaN, 2.0, 500, 0}, CDegenerateCase{"NaNMax", -2.0, kNaN, 500, 0},
        CDegenerateCase{"InfiniteMin", -kInf, 2.0, 500, 0},
        CDegenerateCase{"InfiniteMax", -2.0, kInf, 500, 0},
        // The step is far below the spacing of doubles near 1e300: x stays put.
        CDegenerateCase{"StepTooSmallToMoveX", 1e300, std::nextafter(1e300, kInf), 500, 1},
        // The step underflows to zero.
        CDegenerateCase{"ZeroStep", 0.0, std::numeric_limits<double>::denorm_min(), 10, 1},
        // X max - X min overflows: one infinite step.
        CDegenerateCase{"InfiniteStep", -1e308, 1e308, 10, 1},
        // The step moves x only by a few units in the last place.
        CDegenerateCase{"FewDoublesWide", 1.0, 1.0 + 4 * std::numeric_limits<double>::epsilon(), 4,
                        4}),
    [](const ::testing::TestParamInfo<CDegenerateCase>& info) { return info.param.m_pszName; });

TEST(GraphFunctionTest, WithoutAnEvaluatorThereAreNoPoints)
{
    CGraphFunction function(nullptr);
    function.Sample(CPlotWindow{-2.0, 2.0, -2.0, 2.0}, 500);
    EXPECT_TRUE(function.m_pPoints->IsEmpty());
}

} // namespace
