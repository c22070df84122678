// Inputs far beyond what a person types or a file usually holds: each works
// or is refused, in bounded time and memory, and nothing crashes.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "core/doc/Archive.h"
#include "core/doc/TraceloDoc.h"
#include "core/expr/ExprEvaluator.h"
#include "core/expr/GraphFunction.h"
#include "core/plot/DrawPlot.h"
#include "core/plot/MouseZoom.h"
#include "core/plot/PlotArea.h"
#include "RecordingDevice.h"

namespace
{

// The bytes of a graph file: the window, divisions, grid on, and the
// functions with one colour.
std::vector<std::uint8_t> GraphBytes(const std::vector<std::string>& vTexts, double xMin,
                                     double xMax, double yMin, double yMax, std::int32_t nDivisions)
{
    std::vector<std::uint8_t> v;
    auto put = [&v](const void* p, std::size_t n)
    {
        const auto* b = static_cast<const std::uint8_t*>(p);
        v.insert(v.end(), b, b + n);
    };
    for (double d : {xMin, xMax, yMin, yMax})
        put(&d, 8);
    const std::int32_t nGrid = 1;
    const auto nCount = static_cast<std::int32_t>(vTexts.size());
    put(&nDivisions, 4);
    put(&nGrid, 4);
    put(&nCount, 4);
    for (const std::string& s : vTexts)
    {
        if (s.size() < 255)
        {
            v.push_back(static_cast<std::uint8_t>(s.size()));
        }
        else
        {
            v.push_back(0xFF);
            v.push_back(0xFF);
            v.push_back(0xFF);
            const auto n = static_cast<std::uint32_t>(s.size());
            put(&n, 4);
        }
        put(s.data(), s.size());
        const std::uint32_t crRed = 0xFF;
        put(&crRed, 4);
    }
    return v;
}

void Load(CTraceloDoc& doc, const std::vector<std::uint8_t>& vBytes)
{
    CMemorySource source{std::span<const std::uint8_t>(vBytes)};
    CArchive ar(source);
    doc.Serialize(ar);
}

// The whole drawing sequence on the recorder, returning the number of
// operations it recorded.
std::size_t DrawRecorded(const CTraceloDoc& doc)
{
    CRecordingDevice dc;
    CPlotArea area;
    DrawPlot(&dc, CDevRect{0, 0, 800, 600}, doc.m_window, doc.m_pFunctions.get(), doc.m_bGrid,
             area);
    return dc.GetRecords().size();
}

void SampleAll(CTraceloDoc& doc)
{
    for (CGraphFunction& function : *doc.m_pFunctions)
        function.Sample(doc.m_window, doc.m_nDivisions);
}

TEST(Extremes, AOneMegabyteExpression)
{
    // Deep: refused by the depth guard; long but flat: evaluated.
    std::string deep;
    while (deep.size() < 1000000)
        deep += "X+";
    deep += "X";
    std::string flat = "X";
    while (flat.size() < 1000000)
        flat += "/1";
    CTraceloDoc doc;
    Load(doc, GraphBytes({deep, flat}, -2, 2, -2, 2, 10));
    ASSERT_EQ(doc.m_pFunctions->size(), 2u);
    EXPECT_EQ((*doc.m_pFunctions)[0].m_strExpression.size(), deep.size());
    SampleAll(doc);
    EXPECT_EQ((*doc.m_pFunctions)[0].m_pPoints->GetCount(), 0u); // malformed: too deep
    const CPointList& pts = *(*doc.m_pFunctions)[1].m_pPoints;
    ASSERT_EQ(pts.GetCount(), 10u);
    EXPECT_EQ(pts.GetData()[0].m_dY, -2.0);
    EXPECT_GT(DrawRecorded(doc), 500u);
}

TEST(Extremes, AFileOfAHundredThousandFunctions)
{
    std::vector<std::string> vTexts(100000, "SIN(X)*X");
    CTraceloDoc doc;
    Load(doc, GraphBytes(vTexts, -2, 2, -2, 2, 10));
    ASSERT_EQ(doc.m_pFunctions->size(), 100000u);
    SampleAll(doc);
    for (const CGraphFunction& function : *doc.m_pFunctions)
        ASSERT_EQ(function.m_pPoints->GetCount(), 10u);
}

TEST(Extremes, TenFunctionsAtTheMostDivisions)
{
    CTraceloDoc doc;
    Load(doc, GraphBytes({"SIN(X)", "X^2", "1/X", "SQRT(X)", "EXP(X)", "LN(X)", "TAN(X)", "ABS(X)",
                          "COS(X)*X", "-X"},
                         -2, 2, -2, 2, 2000000000));
    ASSERT_EQ(doc.m_nDivisions, kMaxDivisions); // brought down by the reader
    SampleAll(doc);
    for (const CGraphFunction& function : *doc.m_pFunctions)
    {
        const std::size_t n = function.m_pPoints->GetCount();
        EXPECT_GE(n, static_cast<std::size_t>(kMaxDivisions));
        EXPECT_LE(n, static_cast<std::size_t>(kMaxDivisions) + 1);
    }
}

struct CWindowCase
{
    const char* m_pszWhat;
    double m_dXMin, m_dXMax, m_dYMin, m_dYMax;
};

class ExtremeWindows : public ::testing::TestWithParam<CWindowCase>
{
};

TEST_P(ExtremeWindows, SampleAndDraw)
{
    const CWindowCase& c = GetParam();
    CTraceloDoc doc;
    Load(doc, GraphBytes({"X", "SIN(X)", "X^2", "1/X"}, c.m_dXMin, c.m_dXMax, c.m_dYMin, c.m_dYMax,
                         500));
    SampleAll(doc);
    for (const CGraphFunction& function : *doc.m_pFunctions)
    {
        const std::size_t n = function.m_pPoints->GetCount();
        // A window too narrow for 500 distinct X stops where x stops growing.
        EXPECT_GE(n, 1u) << c.m_pszWhat;
        EXPECT_LE(n, 501u) << c.m_pszWhat;
    }
    EXPECT_GT(DrawRecorded(doc), 0u) << c.m_pszWhat;
}

INSTANTIATE_TEST_SUITE_P(
    Windows, ExtremeWindows,
    ::testing::Values(CWindowCase{"1e-12 wide", 0.5, 0.5 + 1e-12, -1e-12, 1e-12},
                      CWindowCase{"1e300 wide", -5e299, 5e299, -1e300, 1e300},
                      CWindowCase{"the largest", -1.7e308, 1.7e308, -1.7e308, 1.7e308},
                      CWindowCase{"far from the origin", 1e15, 1e15 + 10, 1e15, 1e15 + 10},
                      CWindowCase{"next doubles", 1e300, std::nextafter(1e300, 2e300), 0, 1}));

TEST(Extremes, ZoomingInUntilTheGuardHolds)
{
    // Zoom in by two about the centre again and again: the window shrinks
    // until a further zoom would make it narrower than 1e-12, then holds.
    const CPlotBox box{123, 23, 554, 554};
    const CPlotWindow document{-2, 2, -2, 2};
    CPlotWindow w = document;
    int nZooms = 0;
    for (; nZooms < 200; ++nZooms)
    {
        const CDevRect r = ChooseZoomRect(box, {400, 300}, {400, 300});
        const CPlotWindow next =
            ZoomWindow(box, w, document, r.m_nLeft, r.m_nTop, r.m_nRight, r.m_nBottom);
        if (next == w)
            break;
        w = next;
    }
    EXPECT_LT(nZooms, 60);
    EXPECT_GE(w.m_dXMax - w.m_dXMin, 1e-12);
    EXPECT_LT(w.m_dXMax - w.m_dXMin, 4e-12);
    CTraceloDoc doc;
    Load(doc, GraphBytes({"SIN(X)"}, w.m_dXMin, w.m_dXMax, w.m_dYMin, w.m_dYMax, 500));
    SampleAll(doc);
    EXPECT_GT(DrawRecorded(doc), 0u);
}

} // namespace
