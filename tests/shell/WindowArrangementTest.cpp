// Where Sovrapponi, Affianca and Disponi icone put the windows, without
// any window: rectangles in, rectangles out.
#include <gtest/gtest.h>
#include <vector>

#include "shell/WindowArrangement.h"

TEST(WindowArrangement, CascadeStaggersAndStartsAgainAtTheEdge)
{
    struct CCase
    {
        QSize m_area;
        int m_nIndex;
        QRect m_expected;
        int m_nIndexAfter;
    };
    const CCase kCases[] = {
        {{800, 600}, 0, {0, 0, 600, 450}, 0},
        {{800, 600}, 3, {72, 72, 600, 450}, 3},
        {{800, 600}, 6, {144, 144, 600, 450}, 6},
        // 7 steps would reach past the bottom.
        {{800, 600}, 7, {0, 0, 600, 450}, 0},
        // Never smaller than 200 by 150, even when that does not fit.
        {{100, 80}, 0, {0, 0, 200, 150}, 0},
        {{100, 80}, 1, {0, 0, 200, 150}, 0},
    };
    for (const CCase& c : kCases)
    {
        int nIndex = c.m_nIndex;
        EXPECT_EQ(CascadeRect(nIndex, c.m_area, 24), c.m_expected) << c.m_nIndex;
        EXPECT_EQ(nIndex, c.m_nIndexAfter) << c.m_nIndex;
    }
}

TEST(WindowArrangement, TileMakesColumnsByTheSquareRootFromTheAreasCorner)
{
    struct CCase
    {
        int m_nCount;
        QRect m_area;
        std::vector<QRect> m_expected;
    };
    const CCase kCases[] = {
        {0, {0, 0, 900, 600}, {}},
        {1, {0, 0, 900, 600}, {{0, 0, 900, 600}}},
        {3, {0, 0, 900, 600}, {{0, 0, 900, 200}, {0, 200, 900, 200}, {0, 400, 900, 200}}},
        // Two columns, the last taking the odd one.
        {5,
         {0, 0, 801, 600},
         {{0, 0, 400, 300},
          {0, 300, 400, 300},
          {400, 0, 400, 200},
          {400, 200, 400, 200},
          {400, 400, 400, 200}}},
        {2, {10, 20, 300, 201}, {{10, 20, 300, 100}, {10, 120, 300, 100}}},
    };
    for (const CCase& c : kCases)
    {
        EXPECT_EQ(TileRects(c.m_nCount, c.m_area), c.m_expected) << c.m_nCount;
    }
    // Ten: three columns of three, three and four.
    const std::vector<QRect> vTen = TileRects(10, QRect(0, 0, 900, 600));
    ASSERT_EQ(vTen.size(), 10u);
    EXPECT_EQ(vTen[5], QRect(300, 400, 300, 200));
    EXPECT_EQ(vTen[6], QRect(600, 0, 300, 150));
    EXPECT_EQ(vTen[9], QRect(600, 450, 300, 150));
}

TEST(WindowArrangement, IconsLineUpAtTheBottomAndTheRestStaysAboveThem)
{
    struct CCase
    {
        const char* m_pszWhat;
        std::vector<QSize> m_vSizes;
        std::vector<QRect> m_expected;
        QRect m_above;
    };
    const QSize area(400, 300);
    const CCase kCases[] = {
        {"none", {}, {}, {0, 0, 400, 300}},
        {"one row",
         {{160, 30}, {160, 30}},
         {{0, 270, 160, 30}, {160, 270, 160, 30}},
         {0, 0, 400, 270}},
        {"a full row continues above",
         {{160, 30}, {160, 30}, {160, 30}},
         {{0, 270, 160, 30}, {160, 270, 160, 30}, {0, 240, 160, 30}},
         {0, 0, 400, 240}},
        {"a row is as high as its highest icon",
         {{200, 40}, {200, 30}, {100, 30}},
         {{0, 260, 200, 40}, {200, 270, 200, 30}, {0, 230, 100, 30}},
         {0, 0, 400, 230}},
        {"wider than the area: one to a row",
         {{500, 30}, {500, 30}},
         {{0, 270, 500, 30}, {0, 240, 500, 30}},
         {0, 0, 400, 240}},
        {"icons that fill the area leave it whole",
         {{400, 300}},
         {{0, 0, 400, 300}},
         {0, 0, 400, 300}},
    };
    for (const CCase& c : kCases)
    {
        const std::vector<QRect> vIcons = IconRects(c.m_vSizes, area);
        EXPECT_EQ(vIcons, c.m_expected) << c.m_pszWhat;
        EXPECT_EQ(AreaAboveIcons(vIcons, area), c.m_above) << c.m_pszWhat;
    }
}
