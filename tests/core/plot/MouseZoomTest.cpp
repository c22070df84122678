#include "core/plot/MouseZoom.h"

#include "PlotWindowTesting.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

namespace
{

// The plot area of an 800 x 600 client area and the default window.
const CPlotBox kBox{123, 23, 554, 554};
const CPlotWindow kDefault{-2.0, 2.0, -2.0, 2.0};

struct CReadOutCase
{
    const char* m_pszLocale;
    CDevPoint m_pt;
    const char* m_pszText;
};

class ReadOut : public ::testing::TestWithParam<CReadOutCase>
{
protected:
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_P(ReadOut, ShowsTheWorldCoordinatesInTheLocale)
{
    const CReadOutCase& c = GetParam();
    ASSERT_NE(std::setlocale(LC_ALL, c.m_pszLocale), nullptr) << c.m_pszLocale;
    double x = 0;
    double y = 0;
    MouseToWorld(kBox, kDefault, c.m_pt, x, y);
    EXPECT_EQ(FormatReadOut(x, y), c.m_pszText);
}

INSTANTIATE_TEST_SUITE_P(
    Points, ReadOut,
    ::testing::Values(
        CReadOutCase{"C", {400, 300}, "X = 0.000000000000000   Y = 0.000000000000000"},
        CReadOutCase{"C", {123, 23}, "X = -2.000000000000000   Y = 2.000000000000000"},
        CReadOutCase{"en_US.UTF-8", {677, 577}, "X = 2.000000000000000   Y = -2.000000000000000"},
        CReadOutCase{"it_IT.UTF-8", {400, 300}, "X = 0,000000000000000   Y = 0,000000000000000"},
        CReadOutCase{"it_IT.UTF-8", {123, 23}, "X = -2,000000000000000   Y = 2,000000000000000"},
        // Outside the window during a capture: the formula goes on.
        CReadOutCase{"C", {-154, 854}, "X = -4.000000000000000   Y = -4.000000000000000"}));

TEST(ReadOut, HugeValuesAreWrittenWhole)
{
    const std::string text = FormatReadOut(-1e308, std::numeric_limits<double>::max());
    EXPECT_EQ(text.substr(0, 8), "X = -100");
    EXPECT_EQ(text.size(), 4 + 310 + 16 + 7 + 309 + 16u);
}

struct CRectCase
{
    const char* m_pszWhat;
    CDevPoint m_anchor;
    CDevPoint m_pt;
    CDevRect m_rect;
};

class ZoomRect : public ::testing::TestWithParam<CRectCase>
{
};

TEST_P(ZoomRect, FollowsWhereTheButtonWasReleased)
{
    const CRectCase& c = GetParam();
    EXPECT_EQ(ChooseZoomRect(kBox, c.m_anchor, c.m_pt), c.m_rect) << c.m_pszWhat;
}

// w / 4 = h / 4 = 138.
INSTANTIATE_TEST_SUITE_P(
    Gestures, ZoomRect,
    ::testing::Values(CRectCase{"click inside", {400, 300}, {400, 300}, {262, 162, 538, 438}},
                      CRectCase{"drag", {262, 162}, {538, 438}, {262, 162, 538, 438}},
                      CRectCase{"left", {50, 300}, {50, 300}, {-15, 23, 539, 577}},
                      CRectCase{"right", {700, 300}, {700, 300}, {261, 23, 815, 577}},
                      CRectCase{"above", {400, 10}, {400, 10}, {123, -115, 677, 439}},
                      CRectCase{"below", {400, 590}, {400, 590}, {123, 161, 677, 715}},
                      // Left wins over above: the sides are tested in order.
                      CRectCase{"left and above", {10, 10}, {10, 10}, {-15, 23, 539, 577}},
                      // On the frame counts as inside.
                      CRectCase{"on the frame", {123, 23}, {123, 23}, {-15, -115, 261, 161}},
                      CRectCase{"horizontal drag", {200, 200}, {400, 200}, {262, 62, 538, 338}},
                      CRectCase{"vertical drag", {400, 100}, {400, 200}, {262, 62, 538, 338}},
                      CRectCase{"backward drag", {400, 300}, {300, 400}, {400, 300, 300, 400}}));

struct CWindowCase
{
    const char* m_pszWhat;
    CDevPoint m_anchor;
    CDevPoint m_pt;
    CPlotWindow m_expected; // to 1e-5
};

class ZoomTo : public ::testing::TestWithParam<CWindowCase>
{
};

TEST_P(ZoomTo, GivesTheWindowOfTheRectangle)
{
    const CWindowCase& c = GetParam();
    const CDevRect r = ChooseZoomRect(kBox, c.m_anchor, c.m_pt);
    const CPlotWindow zoomed = ZoomWindow(kBox, CPlotWindow{-1, 1, -1, 1}, kDefault, r.m_nLeft,
                                          r.m_nTop, r.m_nRight, r.m_nBottom);
    EXPECT_TRUE(WindowNear(zoomed, c.m_expected, 1e-5)) << c.m_pszWhat;
}

// From the window -1 to 1 (half the default): every pan and zoom is half as
// wide as from the default one; a backward drag returns to the document's.
INSTANTIATE_TEST_SUITE_P(
    Gestures, ZoomTo,
    ::testing::Values(
        CWindowCase{"click", {400, 300}, {400, 300}, {-0.498195, 0.498195, -0.498195, 0.498195}},
        CWindowCase{"left", {50, 300}, {50, 300}, {-1.498195, 0.501805, -1, 1}},
        CWindowCase{"right", {700, 300}, {700, 300}, {-0.501805, 1.498195, -1, 1}},
        CWindowCase{"above", {400, 10}, {400, 10}, {-1, 1, -0.501805, 1.498195}},
        CWindowCase{"below", {400, 590}, {400, 590}, {-1, 1, -1.498195, 0.501805}},
        CWindowCase{"backward left", {400, 300}, {300, 400}, {-2, 2, -2, 2}},
        CWindowCase{"backward up", {400, 300}, {500, 200}, {-2, 2, -2, 2}}));

TEST(ZoomTo, DefaultWindowNumbers)
{
    CPlotWindow w = ZoomWindow(kBox, kDefault, kDefault, 262, 162, 538, 438);
    EXPECT_TRUE(WindowNear(w, {-0.99639, 0.99639, -0.99639, 0.99639}, 1e-5));
    // Exactly as the product, then the division, then the addition.
    EXPECT_EQ(w.m_dXMin, -2.0 + 139.0 * 4.0 / 554);
    EXPECT_EQ(w.m_dYMax, -2.0 + 415.0 * 4.0 / 554);
    w = ZoomWindow(kBox, kDefault, kDefault, -15, 23, 539, 577);
    EXPECT_NEAR(w.m_dXMin, -2.99639, 1e-5);
    EXPECT_NEAR(w.m_dXMax, 1.00361, 1e-5);
    EXPECT_EQ(w.m_dYMin, -2.0);
    EXPECT_EQ(w.m_dYMax, 2.0);
}

TEST(ZoomTo, TheNarrowestWindowIsOneTrillionth)
{
    // A window 1e-10 wide: one pixel is about 1.8e-13, too narrow.
    const CPlotWindow narrow{0.0, 1e-10, 0.0, 1e-10};
    EXPECT_EQ(ZoomWindow(kBox, narrow, kDefault, 300, 300, 301, 301), narrow);
    // Exactly 1e-12 is accepted: half of a window 2e-12 wide, on a plot
    // area of two pixels.
    const CPlotBox two{0, 0, 2, 2};
    const CPlotWindow w{0.0, 2e-12, 0.0, 2e-12};
    const CPlotWindow half = ZoomWindow(two, w, kDefault, 0, 0, 1, 1);
    EXPECT_EQ(half, (CPlotWindow{0.0, 1e-12, 1e-12, 2e-12}));
    EXPECT_EQ(half.m_dXMax - half.m_dXMin, 1e-12);
    EXPECT_EQ(half.m_dYMax - half.m_dYMin, 1e-12);
    // Just below it the old window stays.
    const CPlotWindow below{0.0, std::nextafter(2e-12, 0.0), 0.0, 2e-12};
    EXPECT_EQ(ZoomWindow(two, below, kDefault, 0, 0, 1, 1), below);
}

TEST(ZoomTo, NeverLeavesTheFiniteNumbers)
{
    const CPlotWindow huge{-1e308, 1e308, -1e308, 1e308};
    // The window's own width overflows: the old window stays.
    EXPECT_EQ(ZoomWindow(kBox, huge, kDefault, 262, 162, 538, 438), huge);
    // A pan of a window near the largest double would overflow too.
    const CPlotWindow edge{1e308, 1.7e308, 1e308, 1.7e308};
    EXPECT_EQ(ZoomWindow(kBox, edge, kDefault, 261, 23, 815, 577), edge);
}

} // namespace
