// Frame, axes and the four labels: positions, texts, fonts, and the device
// state left as it was found.
#include <clocale>
#include <gtest/gtest.h>
#include <string>

#include "DrawTestUtil.h"
#include "core/plot/PlotArea.h"

namespace
{
// The plot area of an 800 by 600 client area.
CPlotArea DefaultArea(double dXMin = -2, double dXMax = 2, double dYMin = -2, double dYMax = 2)
{
    CPlotArea area;
    area.SetArea(CPlotWindow{dXMin, dXMax, dYMin, dYMax}, 123, 554, 23, 554);
    return area;
}

struct CText
{
    std::string strText;
    std::int32_t x, y;
    std::int32_t nEscapement;
    bool operator==(const CText&) const = default;
};

std::vector<CText> TextsOf(const CRecordingDevice& dc)
{
    std::vector<CText> vTexts;
    for (const CDrawRecord& r : dc.GetRecords(EDrawOp::TextOut))
    {
        vTexts.push_back(CText{r.m_strText, r.m_nX1, r.m_nY1, r.m_font.m_nEscapement});
    }
    return vTexts;
}

TEST(PlotArea, ColoursOfConstruction)
{
    CPlotArea area;
    EXPECT_EQ(area.m_crGrid, MakeRgb(128, 128, 128));
    EXPECT_EQ(area.m_crAxis, MakeRgb(0, 0, 0));
    EXPECT_EQ(area.m_crText, MakeRgb(0, 0, 255));
    EXPECT_EQ(area.m_crText, 0xFF0000u);
}

TEST(Axes, FrameAndAxesStrictlyInside)
{
    const CLine frame[] = {
        {123, 23, 677, 23}, {677, 23, 677, 577}, {677, 577, 123, 577}, {123, 577, 123, 23}};
    struct
    {
        const char* pszName;
        double dXMin, dXMax, dYMin, dYMax;
        std::vector<CLine> vAxes;
    } cases[] = {
        {"default", -2, 2, -2, 2, {{123, 300, 677, 300}, {400, 23, 400, 577}}},
        {"x from 1 to 5", 1, 5, -2, 2, {{123, 300, 677, 300}}},
        {"x min exactly 0", 0, 4, -2, 2, {{123, 300, 677, 300}}},
        {"x max exactly 0", -4, 0, -2, 2, {{123, 300, 677, 300}}},
        {"y min exactly 0", -2, 2, 0, 3, {{400, 23, 400, 577}}},
        {"y from -5 to -1", -2, 2, -5, -1, {{400, 23, 400, 577}}},
        {"neither", 3, 4, 3, 4, {}},
        {"off centre", -1, 3, -3, 1, {{123, 161, 677, 161}, {261, 23, 261, 577}}},
    };
    for (const auto& c : cases)
    {
        CRecordingDevice dc;
        DefaultArea(c.dXMin, c.dXMax, c.dYMin, c.dYMax).DrawAxes(&dc);
        std::vector<CLine> vExpected(std::begin(frame), std::end(frame));
        vExpected.insert(vExpected.end(), c.vAxes.begin(), c.vAxes.end());
        EXPECT_EQ(LinesOf(dc), vExpected) << c.pszName;
        for (const CDrawRecord& r : dc.GetRecords(EDrawOp::LineTo))
        {
            EXPECT_EQ(r.m_pen, (CPenDesc{EPenStyle::Solid, 0, 0})) << c.pszName;
        }
    }
}

TEST(Axes, LabelsTextsAndPositions)
{
    // The recorder measures every character as half the cell height wide:
    // F = 17, so a character is 8 wide and a text 17 high.
    struct
    {
        const char* pszName;
        double dXMin, dXMax, dYMin, dYMax;
        std::vector<CText> vTexts;
    } cases[] = {
        {"default",
         -2,
         2,
         -2,
         2,
         {{"2.0000000000", 352, 5, 0},
          {"-2.0000000000", 352, 578, 0},
          {"-2.0000000000", 104, 352, 900},
          {"2.0000000000", 678, 352, 900}}},
        // The Y min label starts where the measured Y max label starts.
        {"different lengths",
         0.1,
         1234.5,
         -5,
         10,
         {{"10.0000000000", 348, 5, 0},
          {"-5.0000000000", 348, 578, 0},
          {"0.1000000000", 104, 348, 900},
          {"1234.5000000000", 678, 348, 900}}},
        {"huge",
         -1e20,
         1e-7,
         -0.00000000004,
         0,
         {{"0.0000000000", 352, 5, 0},
          {"-0.0000000000", 352, 578, 0},
          {"-100000000000000000000.0000000000", 104, 432, 900},
          {"0.0000001000", 678, 432, 900}}},
    };
    for (const auto& c : cases)
    {
        CRecordingDevice dc;
        DefaultArea(c.dXMin, c.dXMax, c.dYMin, c.dYMax).DrawAxes(&dc);
        EXPECT_EQ(TextsOf(dc), c.vTexts) << c.pszName;
        for (const CDrawRecord& r : dc.GetRecords(EDrawOp::TextOut))
        {
            EXPECT_EQ(r.m_crColor, MakeRgb(0, 0, 255)) << c.pszName;
            EXPECT_EQ(r.m_eBkMode, EBkMode::Transparent) << c.pszName;
        }
        // Only the Y max and X min labels are measured.
        const auto vMeasured = dc.GetRecords(EDrawOp::GetTextExtent);
        ASSERT_EQ(vMeasured.size(), 2u) << c.pszName;
        EXPECT_EQ(vMeasured[0].m_strText, c.vTexts[0].strText);
        EXPECT_EQ(vMeasured[0].m_font.m_nEscapement, 0);
        EXPECT_EQ(vMeasured[1].m_strText, c.vTexts[2].strText);
        EXPECT_EQ(vMeasured[1].m_font.m_nEscapement, 900);
    }
}

TEST(Axes, LabelsFollowTheUsersLocale)
{
    if (std::setlocale(LC_NUMERIC, "it_IT.UTF-8") == nullptr)
    {
        GTEST_SKIP() << "it_IT.UTF-8 is not installed";
    }
    CRecordingDevice dc;
    DefaultArea(-2, 2, 0.1, 1234.5).DrawAxes(&dc);
    std::setlocale(LC_NUMERIC, "C");
    const auto vTexts = TextsOf(dc);
    ASSERT_EQ(vTexts.size(), 4u);
    EXPECT_EQ(vTexts[0].strText, "1234,5000000000");
    EXPECT_EQ(vTexts[1].strText, "0,1000000000");
    EXPECT_EQ(vTexts[2].strText, "-2,0000000000");
    EXPECT_EQ(vTexts[3].strText, "2,0000000000");
    EXPECT_EQ(vTexts[0].x, 400 - 15 * 8 / 2);
}

TEST(Axes, FontsOfTheLabels)
{
    struct
    {
        std::int32_t nLeft, nTop, nHeight;
    } cases[] = {{123, 23, 17}, {16, 16, 12}, {193, 1193, 144}, {1166, 166, 124}};
    for (const auto& c : cases)
    {
        CPlotArea area;
        area.SetArea(CPlotWindow{-2, 2, -2, 2}, c.nLeft, 400, c.nTop, 400);
        CRecordingDevice dc;
        area.DrawAxes(&dc);
        const auto vFonts = dc.GetRecords(EDrawOp::CreateFont);
        ASSERT_EQ(vFonts.size(), 2u);
        for (int i = 0; i < 2; ++i)
        {
            const CFontDesc& font = vFonts[i].m_font;
            EXPECT_EQ(font.m_nHeight, c.nHeight);
            EXPECT_EQ(font.m_nWidth, 0);
            EXPECT_EQ(font.m_nEscapement, i == 0 ? 0 : 900);
            EXPECT_EQ(font.m_nOrientation, i == 0 ? 0 : 900);
            EXPECT_EQ(font.m_nWeight, 400);
            EXPECT_FALSE(font.m_bItalic || font.m_bUnderline || font.m_bStrikeOut);
            EXPECT_EQ(font.m_nCharSet, 0);
            EXPECT_EQ(font.m_nOutPrecision + font.m_nClipPrecision + font.m_nQuality, 0);
            EXPECT_EQ(font.m_nPitchAndFamily, 0x20);
            EXPECT_EQ(font.m_strFaceName, "Tahoma");
        }
    }
}

TEST(Axes, DeviceStateRestoredAndObjectsDeleted)
{
    CRecordingDevice dc;
    // A state other than the device's defaults, to see it come back.
    dc.SetBkMode(EBkMode::Opaque);
    dc.SetTextColor(MakeRgb(10, 20, 30));
    const HDrawObject hMyPen = dc.CreatePen(CPenDesc{EPenStyle::Solid, 3, MakeRgb(1, 2, 3)});
    dc.SelectObject(hMyPen);
    const HDrawObject hMyFont = dc.CreateFont(CFontDesc{});
    dc.SelectObject(hMyFont);

    DefaultArea().DrawAxes(&dc);

    EXPECT_EQ(dc.GetBkMode(), EBkMode::Opaque);
    EXPECT_EQ(dc.GetTextColor(), MakeRgb(10, 20, 30));
    EXPECT_EQ(dc.GetObjects().GetSelected(EObjectKind::Pen), hMyPen);
    EXPECT_EQ(dc.GetObjects().GetSelected(EObjectKind::Font), hMyFont);
    EXPECT_EQ(dc.GetLiveCount(), 2u); // only the test's own
    EXPECT_EQ(dc.GetMisuseCount(), 0u);
    EXPECT_EQ(dc.Count(EDrawOp::DeleteObject), 3u);
}

TEST(Axes, FailedPenDrawsWithTheCurrentPen)
{
    CRecordingDevice dc;
    dc.SetFailPenCreation(true);
    DefaultArea().DrawAxes(&dc);
    EXPECT_EQ(dc.Count(EDrawOp::LineTo), 6u);
    EXPECT_EQ(dc.GetMisuseCount(), 0u);
    EXPECT_EQ(dc.GetLiveCount(), 0u);
    EXPECT_EQ(dc.GetObjects().GetSelected(EObjectKind::Pen),
              CDrawObjectTable::StockHandle(EStockObject::BlackPen));
}

TEST(FormatBound, PrintfFixedTenDecimals)
{
    struct
    {
        double dValue;
        const char* pszText;
    } cases[] = {
        {0.1, "0.1000000000"},
        {1234.5, "1234.5000000000"},
        {-2, "-2.0000000000"},
        {0, "0.0000000000"},
        {1e-11, "0.0000000000"},
        {-1e-11, "-0.0000000000"},
        {1e15 + 0.5, "1000000000000000.5000000000"},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(FormatBound(c.dValue), c.pszText);
    }
    // The widest double: 309 digits before the point.
    EXPECT_EQ(FormatBound(-1.7976931348623157e308).size(), 1u + 309u + 1u + 10u);
}
} // namespace
