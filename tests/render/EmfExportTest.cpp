// The metafile export: the graph as the view shows it, recorded on the square
// the divisions give, written safely, and readable by another program.
#include <QFontMetrics>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "EmfReader.h"
#include "EmfTestUtil.h"
#include "TestTempDir.h"
#include "core/doc/Archive.h"
#include "core/doc/TraceloDoc.h"
#include "core/plot/DrawPlot.h"
#include "core/plot/PlotArea.h"
#include "RecordingDevice.h"
#include "render/MetafileExport.h"
#include "render/QtFonts.h"

#include <uemf.h>
#include <uemf_safe.h>

namespace
{
using emftest::EnsureApplication;
using emftest::Parse;
using emftest::TestReference;

constexpr COLORREF kRed = MakeRgb(255, 0, 0);
constexpr COLORREF kGreen = MakeRgb(0, 128, 0);
const CDevRect kClient{0, 0, 800, 600};

// A new graph (window -2 to 2, 500 divisions, grid on) with the given
// functions, sampled over window as a view showing that window has them.
std::unique_ptr<CTraceloDoc>
MakeGraph(const std::vector<std::pair<std::string, COLORREF>>& vFunctions,
          const CPlotWindow& window = {-2, 2, -2, 2})
{
    auto pDoc = std::make_unique<CTraceloDoc>();
    pDoc->OnNewDocument();
    pDoc->SetTitle("Grafico1");
    for (const auto& [strExpression, crColor] : vFunctions)
    {
        CGraphFunction function(pDoc->m_pEvaluator.get());
        function.m_strExpression = strExpression;
        function.m_crColor = crColor;
        function.Sample(window, pDoc->m_nDivisions);
        pDoc->m_pFunctions->push_back(std::move(function));
    }
    return pDoc;
}

CMetafile Record(const CTraceloDoc& doc, const CPlotWindow& window)
{
    CDevRect rectPage = kClient;
    CPlotArea plotArea;
    return RecordMetafile(doc, window, rectPage, kClient, plotArea, TestReference());
}

std::string Hex(COLORREF cr)
{
    return emf::CFile::Hex(cr);
}

// The lines the reader gives for a metafile of the operations a recording
// device kept, so that the two can be compared record by record.
std::vector<std::string> ExpectedLines(const CRecordingDevice& dc)
{
    std::map<HDrawObject, std::string> mapObjects;
    auto name = [&](HDrawObject h) -> std::string
    {
        if (h & CDrawObjectTable::kStockBase)
        {
            return "stock " + std::to_string(h & ~CDrawObjectTable::kStockBase);
        }
        return mapObjects[h];
    };
    std::vector<std::string> vLines;
    for (const CDrawRecord& r : dc.GetRecords())
    {
        switch (r.m_eOp)
        {
        case EDrawOp::CreatePen:
            mapObjects[r.m_hObject] =
                "pen 0 " + std::to_string(r.m_pen.m_nWidth) + " " + Hex(r.m_pen.m_crColor);
            vLines.push_back("create " + mapObjects[r.m_hObject]);
            break;
        case EDrawOp::CreateFont:
            mapObjects[r.m_hObject] =
                "font " + std::to_string(r.m_font.m_nHeight) + " " +
                std::to_string(r.m_font.m_nWidth) + " " + std::to_string(r.m_font.m_nEscapement) +
                " " + std::to_string(r.m_font.m_nOrientation) + " " +
                std::to_string(r.m_font.m_nWeight) + " " + r.m_font.m_strFaceName;
            vLines.push_back("create " + mapObjects[r.m_hObject]);
            break;
        case EDrawOp::SelectObject:
            vLines.push_back("select " + name(r.m_hObject));
            break;
        case EDrawOp::DeleteObject:
            vLines.push_back("delete " + name(r.m_hObject));
            break;
        case EDrawOp::MoveTo:
            vLines.push_back("move " + emf::CFile::Point(r.m_nX1, r.m_nY1));
            break;
        case EDrawOp::LineTo:
            vLines.push_back("line " + emf::CFile::Point(r.m_nX2, r.m_nY2));
            break;
        case EDrawOp::SetPixel:
            vLines.push_back("pixel " + emf::CFile::Point(r.m_nX1, r.m_nY1) + " " +
                             Hex(r.m_crColor));
            break;
        case EDrawOp::SetBkMode:
            vLines.push_back("bkmode " + std::to_string(r.m_nValue));
            break;
        case EDrawOp::SetTextColor:
            vLines.push_back("textcolor " + Hex(r.m_crColor));
            break;
        case EDrawOp::TextOut:
            vLines.push_back("text " + emf::CFile::Point(r.m_nX1, r.m_nY1) + " " + r.m_strText);
            break;
        default:
            break; // questions leave no record
        }
    }
    vLines.push_back("eof");
    return vLines;
}

// The screen's measure, as the recorder's attribute context answers.
CDevSize MeasureOnScreen(const CFontDesc& font, const std::string& strText)
{
    const CQtFont qtFont = CreateQtFont(font);
    return CDevSize{QFontMetrics(qtFont.m_font).horizontalAdvance(QString::fromStdString(strText)),
                    qtFont.m_nCellHeight};
}

// Plays the objects of the file back: every index is created before it is
// used, never deleted while selected, and all are deleted at the end.
void ExpectObjectsHandledCleanly(const emf::CFile& file)
{
    std::set<std::uint32_t> live;
    std::map<std::uint32_t, bool> mapIsPen; // pen or font
    std::uint32_t nPen = emf::kStockObject | 7, nFont = emf::kStockObject | 13;
    for (const emf::CRecord& r : file.GetRecords())
    {
        switch (r.m_nType)
        {
        case emf::kCreatePen:
        case emf::kExtCreateFontIndirectW:
            EXPECT_FALSE(live.contains(r.U32(8))) << "index reused while alive";
            live.insert(r.U32(8));
            mapIsPen[r.U32(8)] = r.m_nType == emf::kCreatePen;
            break;
        case emf::kSelectObject:
        {
            const std::uint32_t n = r.U32(8);
            if (n & emf::kStockObject)
            {
                ((n & ~emf::kStockObject) == 7 ? nPen : nFont) = n;
                break;
            }
            ASSERT_TRUE(live.contains(n)) << "selecting a dead object";
            (mapIsPen[n] ? nPen : nFont) = n;
            break;
        }
        case emf::kDeleteObject:
            EXPECT_TRUE(live.contains(r.U32(8)));
            EXPECT_NE(r.U32(8), nPen) << "deleting the selected pen";
            EXPECT_NE(r.U32(8), nFont) << "deleting the selected font";
            live.erase(r.U32(8));
            break;
        default:
            break;
        }
    }
    EXPECT_TRUE(live.empty());
    EXPECT_EQ(nPen, emf::kStockObject | 7);
    EXPECT_EQ(nFont, emf::kStockObject | 13);
}

TEST(MetafileExport, SideOfTheSquareFollowsTheDivisions)
{
    const struct
    {
        std::int32_t nDivisions, nSide;
    } cases[] = {{10, 42},     {50, 82},     {51, 83},          {447, 479},
                 {479, 511},   {480, 512},   {500, 532},        {1000, 1066},
                 {1019, 1085}, {1020, 1088}, {1000000, 1066666}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(GetMetafileSide(c.nDivisions), c.nSide) << c.nDivisions;
    }
}

TEST(MetafileExport, DefaultGraphIsTheViewsDrawingRecordByRecord)
{
    EnsureApplication();
    const auto pDoc = MakeGraph({{"X", kRed}, {"X^2", kGreen}});
    CDevRect rectPage = kClient;
    CPlotArea plotArea;
    const CMetafile metafile =
        RecordMetafile(*pDoc, pDoc->m_window, rectPage, kClient, plotArea, TestReference());
    const emf::CFile file = Parse(metafile.m_vBytes);

    // What a view draws on the same square, measured on the same screen.
    CRecordingDevice recorder;
    recorder.SetTextMeasure(&MeasureOnScreen);
    CPlotArea recorderArea;
    DrawPlot(&recorder, CDevRect{0, 0, 532, 532}, pDoc->m_window, pDoc->m_pFunctions.get(), true,
             recorderArea);
    EXPECT_EQ(file.Describe(), ExpectedLines(recorder));
    ExpectObjectsHandledCleanly(file);

    // The page rectangle is the client's again; the plot values are those of
    // the square.
    EXPECT_EQ(rectPage, kClient);
    EXPECT_EQ(metafile.m_layout.m_rectPage, (CDevRect{0, 0, 532, 532}));
    EXPECT_EQ(metafile.m_layout.m_nPlotWidth, 498);
    EXPECT_EQ(metafile.m_layout.m_nPlotHeight, 498);
    EXPECT_EQ(metafile.m_layout.m_nPlotLeft, 17);
    EXPECT_EQ(metafile.m_layout.m_nPlotTop, 17);
    EXPECT_EQ(plotArea.m_nLeft, 17);
    EXPECT_EQ(plotArea.m_nWidth, 498);
    EXPECT_FALSE(pDoc->IsModified());

    // Header: the labels' cells reach 12 + 1 units above and 12 + 2 left of
    // the frame (17 to 515), and 1 + 12 below and right of it.
    const emf::CHeader& h = file.GetHeader();
    EXPECT_EQ(h.m_rclBounds, (emf::CRect{3, 4, 527, 527}));
    EXPECT_EQ(h.m_rclFrame, (emf::CRect{75, 100, 13199, 13199}));
    EXPECT_EQ(h.m_nBytes, metafile.m_vBytes.size());
    EXPECT_EQ(h.m_nRecords, file.GetRecords().size());
    EXPECT_EQ(h.m_nHandles, 4); // a pen and two fonts at most at once
    EXPECT_EQ(h.m_strDescription, std::u16string(u"Functions generated with Tracelo by Brenwick") +
                                      u'\0' + u"Grafico1" + u'\0' + u'\0');
}

// libUEMF's reader checks each record's size against what its type holds
// (texts, their advances and offsets included).
TEST(MetafileExport, EveryRecordPassesLibUemfsOwnChecks)
{
    EnsureApplication();
    const auto pDoc = MakeGraph({{"X", kRed}, {"1/X", kGreen}});
    const CMetafile metafile = Record(*pDoc, pDoc->m_window);
    const emf::CFile file = Parse(metafile.m_vBytes);
    std::set<std::uint32_t> types;
    for (const emf::CRecord& r : file.GetRecords())
    {
        std::vector<char> vRecord(r.m_vData.begin(), r.m_vData.end());
        EXPECT_NE(U_emf_record_safe(vRecord.data()), 0)
            << "record " << r.m_nType << " at " << r.m_nOffset;
        types.insert(r.m_nType);
        if (r.m_nType == emf::kExtTextOutW)
        {
            // The check does look: a text longer than its record fails it.
            vRecord[44] = static_cast<char>(0xE8);
            vRecord[45] = 0x03;
            EXPECT_EQ(U_emf_record_safe(vRecord.data()), 0);
        }
    }
    EXPECT_EQ(types,
              (std::set<std::uint32_t>{emf::kHeader, emf::kEof, emf::kSetPixelV, emf::kSetBkMode,
                                       emf::kSetTextColor, emf::kMoveToEx, emf::kSelectObject,
                                       emf::kCreatePen, emf::kDeleteObject, emf::kLineTo,
                                       emf::kExtCreateFontIndirectW, emf::kExtTextOutW}));
}

TEST(MetafileExport, DefaultGraphHoldsPensFontsLabelsGridAndAxes)
{
    EnsureApplication();
    const auto pDoc = MakeGraph({{"X", kRed}, {"X^2", kGreen}});
    const emf::CFile file = Parse(Record(*pDoc, pDoc->m_window).m_vBytes);

    // Pens: one per curve in its colour, then the black of frame and axes.
    std::vector<std::string> vPens;
    for (const emf::CRecord* p : file.OfType(emf::kCreatePen))
    {
        const emf::CPen pen = emf::CFile::Pen(*p);
        EXPECT_EQ(pen.m_nStyle, 0u);
        EXPECT_EQ(pen.m_nWidth, 0);
        vPens.push_back(Hex(pen.m_crColor));
    }
    EXPECT_EQ(vPens, (std::vector<std::string>{"0000FF", "008000", "000000"}));

    // Fonts: Tahoma, 3 * 17 / 4 = 12 high, level and turned upwards.
    const auto vFonts = file.OfType(emf::kExtCreateFontIndirectW);
    ASSERT_EQ(vFonts.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i)
    {
        const emf::CLogFont f = emf::CFile::Font(*vFonts[i]);
        const std::int32_t nAngle = i == 0 ? 0 : 900;
        EXPECT_EQ(f.m_nHeight, 12);
        EXPECT_EQ(f.m_nWidth, 0);
        EXPECT_EQ(f.m_nEscapement, nAngle);
        EXPECT_EQ(f.m_nOrientation, nAngle);
        EXPECT_EQ(f.m_nWeight, 400);
        EXPECT_EQ(f.m_nItalic + f.m_nUnderline + f.m_nStrikeOut, 0);
        EXPECT_EQ(f.m_nCharSet, 0);
        EXPECT_EQ(f.m_nOutPrecision + f.m_nClipPrecision + f.m_nQuality, 0);
        EXPECT_EQ(f.m_nPitchAndFamily, 0x20);
        EXPECT_EQ(f.m_strFace, "Tahoma");
    }

    // Labels: Y max above, Y min below from the same X, X min left and X max
    // right at the same Y, blue on no background.
    const auto vTextRecords = file.OfType(emf::kExtTextOutW);
    ASSERT_EQ(vTextRecords.size(), 4u);
    std::vector<emf::CText> vTexts;
    for (const emf::CRecord* p : vTextRecords)
    {
        vTexts.push_back(emf::CFile::Text(*p));
    }
    EXPECT_EQ(vTexts[0].m_strText, "2.0000000000");
    EXPECT_EQ(vTexts[1].m_strText, "-2.0000000000");
    EXPECT_EQ(vTexts[2].m_strText, "-2.0000000000");
    EXPECT_EQ(vTexts[3].m_strText, "2.0000000000");
    EXPECT_EQ(vTexts[0].y, 4);
    EXPECT_EQ(vTexts[1].y, 516);
    EXPECT_EQ(vTexts[0].x, vTexts[1].x);
    EXPECT_EQ(vTexts[2].x, 3);
    EXPECT_EQ(vTexts[3].x, 516);
    EXPECT_EQ(vTexts[2].y, vTexts[3].y);
    std::int32_t nYMaxWidth = 0, nXMinWidth = 0;
    for (std::int32_t n : vTexts[0].m_vDx)
    {
        nYMaxWidth += n;
    }
    for (std::int32_t n : vTexts[2].m_vDx)
    {
        nXMinWidth += n;
    }
    EXPECT_EQ(vTexts[0].x, 17 + 498 / 2 - nYMaxWidth / 2); // centred over the plot
    EXPECT_EQ(vTexts[2].y, 17 + 498 / 2 + nXMinWidth / 2); // centred beside it
    const std::vector<std::string> vLines = file.Describe();
    const auto itFirstText = std::find_if(
        vLines.begin(), vLines.end(), [](const std::string& s) { return s.starts_with("text "); });
    EXPECT_NE(std::find(vLines.begin(), itFirstText, "bkmode 1"), itFirstText);
    EXPECT_NE(std::find(vLines.begin(), itFirstText, "textcolor FF0000"), itFirstText);

    // Grid: x = -1 and 1 at 141 and 390, y = 1 and -1 at 141 and 390; a dot
    // every 17 / 5 = 3 units from the edge while below 515.
    std::map<std::int32_t, std::vector<std::int32_t>> columns, rows;
    for (const emf::CRecord* p : file.OfType(emf::kSetPixelV))
    {
        EXPECT_EQ(p->U32(16), MakeRgb(128, 128, 128));
        const std::int32_t x = p->I32(8), y = p->I32(12);
        if (x == 141 || x == 390)
        {
            columns[x].push_back(y);
        }
        else
        {
            rows[y].push_back(x);
        }
    }
    EXPECT_EQ(file.OfType(emf::kSetPixelV).size(), 4u * 166u);
    std::vector<std::int32_t> vDots;
    for (std::int32_t n = 17; n < 515; n += 3)
    {
        vDots.push_back(n);
    }
    EXPECT_EQ(columns,
              (std::map<std::int32_t, std::vector<std::int32_t>>{{141, vDots}, {390, vDots}}));
    EXPECT_EQ(rows,
              (std::map<std::int32_t, std::vector<std::int32_t>>{{141, vDots}, {390, vDots}}));

    // Frame, then the two axes through the centre.
    const std::vector<std::string> vFrameAndAxes = {"move 17,17",   "line 515,17", "line 515,515",
                                                    "line 17,515",  "line 17,17",  "move 17,266",
                                                    "line 515,266", "move 266,17", "line 266,515"};
    EXPECT_NE(std::search(vLines.begin(), vLines.end(), vFrameAndAxes.begin(), vFrameAndAxes.end()),
              vLines.end());
}

TEST(MetafileExport, SizesOfTheSquareAndThePlotInIt)
{
    EnsureApplication();
    const struct
    {
        std::int32_t nDivisions;
        std::int32_t nSide;
        std::int32_t nMargin; // 0: nothing is drawn
        std::int32_t nPlot;
    } cases[] = {
        {10, 42, 0, 10},
        {50, 82, 0, 50},
        {51, 83, 16, 51},
        {447, 479, 16, 447},
        {500, 532, 17, 498},
        {1000, 1066, 35, 996},
        {1000000, 1066666, 35555, 995556},
    };
    for (const auto& c : cases)
    {
        auto pDoc = MakeGraph({});
        pDoc->m_nDivisions = c.nDivisions;
        const CMetafile metafile = Record(*pDoc, pDoc->m_window);
        EXPECT_EQ(metafile.m_layout.m_rectPage, (CDevRect{0, 0, c.nSide, c.nSide})) << c.nDivisions;
        EXPECT_EQ(metafile.m_layout.m_nPlotWidth, c.nPlot) << c.nDivisions;
        const emf::CFile file = Parse(metafile.m_vBytes);
        const emf::CHeader& h = file.GetHeader();
        if (c.nMargin == 0)
        {
            // Header and end only.
            EXPECT_EQ(file.GetRecords().size(), 2u) << c.nDivisions;
            EXPECT_EQ(h.m_nRecords, 2u) << c.nDivisions;
            EXPECT_EQ(h.m_rclBounds, (emf::CRect{0, 0, -1, -1})) << c.nDivisions;
            continue;
        }
        const std::int32_t l = c.nMargin, r = c.nMargin + c.nPlot;
        const std::string strL = std::to_string(l), strR = std::to_string(r);
        const std::vector<std::string> vFrame = {
            "move " + strL + "," + strL, "line " + strR + "," + strL, "line " + strR + "," + strR,
            "line " + strL + "," + strR, "line " + strL + "," + strL};
        const std::vector<std::string> vLines = file.Describe();
        EXPECT_NE(std::search(vLines.begin(), vLines.end(), vFrame.begin(), vFrame.end()),
                  vLines.end())
            << c.nDivisions;
        // Everything lies on the square.
        EXPECT_GE(h.m_rclBounds.left, 0) << c.nDivisions;
        EXPECT_GE(h.m_rclBounds.top, 0) << c.nDivisions;
        EXPECT_LT(h.m_rclBounds.right, c.nSide) << c.nDivisions;
        EXPECT_LT(h.m_rclBounds.bottom, c.nSide) << c.nDivisions;
        EXPECT_EQ(h.m_nBytes, metafile.m_vBytes.size()) << c.nDivisions;
    }
}

TEST(MetafileExport, ZoomedViewExportsItsWindow)
{
    EnsureApplication();
    const CPlotWindow zoom{-1, 1, -0.5, 0.5};
    const auto pDoc = MakeGraph({{"X", kRed}}, zoom);
    const emf::CFile file = Parse(Record(*pDoc, zoom).m_vBytes);
    std::vector<std::string> vTexts;
    for (const emf::CRecord* p : file.OfType(emf::kExtTextOutW))
    {
        vTexts.push_back(emf::CFile::Text(*p).m_strText);
    }
    EXPECT_EQ(vTexts, (std::vector<std::string>{"0.5000000000", "-0.5000000000", "-1.0000000000",
                                                "1.0000000000"}));
    // No whole number other than 0 lies strictly inside: no grid.
    EXPECT_TRUE(file.OfType(emf::kSetPixelV).empty());
    // The curve y = x leaves the zoomed window at the top and bottom: its
    // lines stay strictly inside the plot area.
    const std::vector<std::string> vLines = file.Describe();
    bool bInCurve = false;
    std::size_t nCurveLines = 0;
    for (const std::string& strLine : vLines)
    {
        if (strLine == "select pen 0 0 0000FF")
        {
            bInCurve = true;
        }
        else if (strLine.starts_with("select stock"))
        {
            bInCurve = false;
        }
        else if (bInCurve && strLine.starts_with("line "))
        {
            ++nCurveLines;
            const std::int32_t y = std::stoi(strLine.substr(strLine.find(',') + 1));
            EXPECT_GT(y, 17);
            EXPECT_LT(y, 515);
        }
    }
    EXPECT_GT(nCurveLines, 100u);
    // The document keeps its own window.
    EXPECT_EQ(pDoc->m_window.m_dXMin, -2);
    EXPECT_EQ(pDoc->m_window.m_dYMax, 2);
}

TEST(MetafileExport, LabelsFollowTheUsersLocale)
{
    EnsureApplication();
    if (std::setlocale(LC_ALL, "it_IT.UTF-8") == nullptr)
    {
        GTEST_SKIP() << "no Italian locale";
    }
    const auto pDoc = MakeGraph({});
    const emf::CFile file = Parse(Record(*pDoc, CPlotWindow{-2, 2, 0.1, 1234.5}).m_vBytes);
    std::setlocale(LC_ALL, "C");
    std::vector<std::string> vTexts;
    for (const emf::CRecord* p : file.OfType(emf::kExtTextOutW))
    {
        vTexts.push_back(emf::CFile::Text(*p).m_strText);
    }
    EXPECT_EQ(vTexts, (std::vector<std::string>{"1234,5000000000", "0,1000000000", "-2,0000000000",
                                                "2,0000000000"}));
}

TEST(MetafileExport, AnyGraphExportsWithoutACrash)
{
    EnsureApplication();
    const struct
    {
        const char* pszName;
        CPlotWindow window;
        std::vector<std::pair<std::string, COLORREF>> vFunctions;
    } cases[] = {
        {"poles, NaN and infinities",
         {-2, 2, -2, 2},
         {{"1/X", kRed}, {"SQRT(X)", kGreen}, {"LN(0)", 0}}},
        {"malformed expressions", {-2, 2, -2, 2}, {{"(", kRed}, {"", kGreen}}},
        {"a huge window", {-1e300, 1e300, -1e300, 1e300}, {{"X", kRed}}},
        {"a window far from the origin", {1e15, 1e15 + 8, -1e18, -1e18 + 1000}, {{"X", kRed}}},
        {"a tiny window", {0, 1e-300, 0, 1e-300}, {{"X*X", kRed}}},
        {"large values that wrap in 32 bits", {-2, 2, -1e-9, 1e-9}, {{"X*1E20", kRed}}},
    };
    for (const auto& c : cases)
    {
        const auto pDoc = MakeGraph(c.vFunctions, c.window);
        const CMetafile metafile = Record(*pDoc, c.window);
        const emf::CFile file = Parse(metafile.m_vBytes);
        EXPECT_EQ(file.GetHeader().m_nBytes, metafile.m_vBytes.size()) << c.pszName;
        EXPECT_EQ(file.GetHeader().m_nRecords, file.GetRecords().size()) << c.pszName;
        EXPECT_EQ(file.OfType(emf::kExtTextOutW).size(), 4u) << c.pszName;
        ExpectObjectsHandledCleanly(file);
    }
}

TEST(MetafileExport, SavedFileIsTheRecordingAndReplacesAnOldOne)
{
    EnsureApplication();
    CTestTempDir dir;
    const std::string strPath = dir.File("grafico.emf");
    WriteFileBytes(strPath, std::vector<std::uint8_t>(100000, 'x'));
    const CMetafile metafile = Record(*MakeGraph({{"X", kRed}}), CPlotWindow{-2, 2, -2, 2});
    EXPECT_EQ(SaveMetafile(metafile, strPath), "");
    EXPECT_EQ(ReadFileBytes(strPath), metafile.m_vBytes);
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"grafico.emf"}));
}

TEST(MetafileExport, UnwritablePathGivesItsMessageAndLeavesNoFile)
{
    EnsureApplication();
    CTestTempDir dir;
    const CMetafile metafile = Record(*MakeGraph({}), CPlotWindow{-2, 2, -2, 2});
    std::filesystem::create_directory(dir.Path() / "cartella");
    WriteFileBytes(dir.File("file"), {'a'});
    struct
    {
        const char* pszName;
        std::string strPath;
        std::string strMessage;
    } cases[] = {
        {"a folder that does not exist", dir.File("manca/grafico.emf"), "Nome file non valido."},
        {"a folder in place of the file", dir.File("cartella"),
         "Accesso a " + dir.File("cartella") + " negato."},
        {"a file in place of the folder", dir.File("file/grafico.emf"), "Nome file non valido."},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(SaveMetafile(metafile, c.strPath), c.strMessage) << c.pszName;
        std::vector<std::string> vNames = dir.List();
        std::sort(vNames.begin(), vNames.end());
        EXPECT_EQ(vNames, (std::vector<std::string>{"cartella", "file"})) << c.pszName;
        EXPECT_TRUE(std::filesystem::is_empty(dir.Path() / "cartella")) << c.pszName;
    }
    if (::geteuid() != 0) // the superuser writes into read-only folders
    {
        std::filesystem::permissions(dir.Path() / "cartella",
                                     std::filesystem::perms::owner_read |
                                         std::filesystem::perms::owner_exec);
        const std::string strPath = dir.File("cartella/grafico.emf");
        EXPECT_EQ(SaveMetafile(metafile, strPath), "Accesso a " + strPath + " negato.");
        EXPECT_TRUE(std::filesystem::is_empty(dir.Path() / "cartella"));
    }
}

TEST(MetafileExport, ToolExportsTheGraphAsAFreshViewShowsIt)
{
    EnsureApplication();
    auto pDoc = MakeGraph({});
    CGraphFunction function(pDoc->m_pEvaluator.get());
    function.m_strExpression = "SIN(X)";
    function.m_crColor = kRed;
    pDoc->m_pFunctions->push_back(std::move(function)); // not sampled yet
    CMemorySink sink;
    ExportMetafile(*pDoc, sink);
    const emf::CFile file = Parse(sink.GetData());
    EXPECT_EQ(file.GetHeader().m_nBytes, sink.GetData().size());
    EXPECT_EQ(file.OfType(emf::kCreatePen).size(), 2u);
    EXPECT_GT(file.OfType(emf::kLineTo).size(), 400u);        // the sampled curve
    EXPECT_EQ(file.OfType(emf::kMoveToEx).size(), 500u + 3u); // samples, frame and axes
    EXPECT_EQ(file.OfType(emf::kExtTextOutW).size(), 4u);
    EXPECT_FALSE(pDoc->IsModified());
}

// Another program's reader: emf2svg converts the default graph, and the
// picture holds the labels and the lines (it leaves single pixels out, so the
// grid is checked above).
TEST(MetafileExport, ReadByEmf2Svg)
{
    EnsureApplication();
    if (std::system("command -v emf2svg-conv >/dev/null 2>&1") != 0)
    {
        GTEST_SKIP() << "emf2svg-conv is not installed";
    }
    CTestTempDir dir;
    const std::string strEmf = dir.File("grafico.emf");
    const std::string strSvg = dir.File("grafico.svg");
    const CMetafile metafile =
        Record(*MakeGraph({{"X", kRed}, {"X^2", kGreen}}), CPlotWindow{-2, 2, -2, 2});
    ASSERT_EQ(SaveMetafile(metafile, strEmf), "");
    const std::string strCommand =
        "emf2svg-conv -i '" + strEmf + "' -o '" + strSvg + "' 2>'" + dir.File("err") + "'";
    const int nStatus = std::system(strCommand.c_str());
    ASSERT_TRUE(WIFEXITED(nStatus));
    EXPECT_EQ(WEXITSTATUS(nStatus), 0);
    std::ifstream in(strSvg);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string strSvgText = ss.str();
    if (const char* pszKeep = std::getenv("TRACELO_KEEP_SVG"))
    {
        std::ofstream(pszKeep) << strSvgText;
    }
    ASSERT_FALSE(strSvgText.empty());
    auto count = [&](const std::string& strNeedle)
    {
        std::size_t n = 0;
        for (std::size_t pos = strSvgText.find(strNeedle); pos != std::string::npos;
             pos = strSvgText.find(strNeedle, pos + 1))
        {
            ++n;
        }
        return n;
    };
    // The four blue labels, two of them turned upwards.
    EXPECT_EQ(count("[CDATA[2.0000000000]]"), 2u);
    EXPECT_EQ(count("[CDATA[-2.0000000000]]"), 2u);
    EXPECT_EQ(count("fill=\"#0000FF\""), 4u);
    EXPECT_EQ(count("rotate(-90"), 2u);
    // Frame and axes in black, the curves in their colours.
    for (const char* pszPath :
         {"M 17.0000,17.0000 L 515.0000,17.0000 ", "M 515.0000,17.0000 L 515.0000,515.0000 ",
          "M 515.0000,515.0000 L 17.0000,515.0000 ", "M 17.0000,515.0000 L 17.0000,17.0000 ",
          "M 17.0000,266.0000 L 515.0000,266.0000 ", "M 266.0000,17.0000 L 266.0000,515.0000 "})
    {
        EXPECT_EQ(count(std::string(pszPath) + "\" stroke=\"#000000\""), 1u) << pszPath;
    }
    EXPECT_EQ(count("stroke=\"#000000\""), 6u);
    EXPECT_GT(count("stroke=\"#FF0000\""), 400u);
    EXPECT_GT(count("stroke=\"#008000\""), 100u);
}

} // namespace
