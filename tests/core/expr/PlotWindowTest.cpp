#include <cmath>
#include <limits>
#include <ostream>

#include <gtest/gtest.h>

#include "PlotWindowTesting.h"
#include "core/expr/PlotWindow.h"

namespace
{

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMax = std::numeric_limits<double>::max();

struct CCorrectCase
{
    const char* m_pszName;
    CPlotWindow m_window;
    CPlotWindow m_expected;
};

void PrintTo(const CCorrectCase& c, std::ostream* os)
{
    *os << c.m_pszName;
}

class PlotWindowCorrectedTest : public ::testing::TestWithParam<CCorrectCase>
{
};

// Each axis is put right on its own; a window already right keeps its bits,
// and correcting twice changes nothing more.
TEST_P(PlotWindowCorrectedTest, EachAxisOnItsOwn)
{
    const CCorrectCase& c = GetParam();
    const CPlotWindow corrected = c.m_window.Corrected();
    EXPECT_EQ(corrected, c.m_expected);
    EXPECT_GT(corrected.m_dXMax, corrected.m_dXMin);
    EXPECT_GT(corrected.m_dYMax, corrected.m_dYMin);
    EXPECT_EQ(corrected.Corrected(), corrected);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, PlotWindowCorrectedTest,
    ::testing::Values(CCorrectCase{"Valid", {-3.5, 1e-9, 7, 8}, {-3.5, 1e-9, 7, 8}},
                      CCorrectCase{"XEqual", {1, 1, -2, 2}, {1, 1.1, -2, 2}},
                      CCorrectCase{"YReversed", {-2, 2, 5, -5}, {-2, 2, 5, 5.1}},
                      CCorrectCase{"XNaNKeepsY", {kNaN, 1, 3, 4}, {-2, 2, 3, 4}},
                      CCorrectCase{"YInfiniteKeepsX", {3, 4, -kInf, 1}, {3, 4, -2, 2}},
                      CCorrectCase{"BothEqualAt1e17",
                                   {1e17, 1e17, 1e17, 1e17},
                                   {1e17, 1e17 + 16, 1e17, 1e17 + 16}},
                      CCorrectCase{"LargestDouble",
                                   {kMax, kMax, -2, 2},
                                   {std::nextafter(kMax, 0.0), kMax, -2, 2}}),
    [](const ::testing::TestParamInfo<CCorrectCase>& info) { return info.param.m_pszName; });

} // namespace
