#include <bit>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

#include <gtest/gtest.h>

#include "TestTempDir.h"
#include "core/doc/Archive.h"
#include "core/doc/FileErrors.h"
#include "core/doc/TraceloDoc.h"

namespace
{

using Bytes = std::vector<std::uint8_t>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMax = std::numeric_limits<double>::max();

// The 44 bytes of a new graph without functions.
const Bytes kNewGraph = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00,
                         0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                         0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0xF4,
                         0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

// A new graph with SIN(X) in red: 55 bytes.
const Bytes kSinRed = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00,
                       0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                       0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0xF4,
                       0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
                       0x06, 0x53, 0x49, 0x4E, 0x28, 0x58, 0x29, 0xFF, 0x00, 0x00, 0x00};

void AppendLE(Bytes& bytes, std::uint64_t n, int nSize)
{
    for (int i = 0; i < nSize; ++i)
    {
        bytes.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
    }
}

Bytes Header(double dXMin, double dXMax, double dYMin, double dYMax, std::int32_t nDivisions,
             std::int32_t nGrid, std::int32_t nCount)
{
    Bytes bytes;
    for (const double d : {dXMin, dXMax, dYMin, dYMax})
    {
        AppendLE(bytes, std::bit_cast<std::uint64_t>(d), 8);
    }
    AppendLE(bytes, static_cast<std::uint32_t>(nDivisions), 4);
    AppendLE(bytes, static_cast<std::uint32_t>(nGrid), 4);
    AppendLE(bytes, static_cast<std::uint32_t>(nCount), 4);
    return bytes;
}

// A record with a short (one-byte prefix) expression of 8-bit characters.
Bytes Record(const std::string& strBytes, std::uint32_t nColor)
{
    Bytes bytes = {static_cast<std::uint8_t>(strBytes.size())};
    bytes.insert(bytes.end(), strBytes.begin(), strBytes.end());
    AppendLE(bytes, nColor, 4);
    return bytes;
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Save(CTraceloDoc& doc)
{
    CMemorySink sink;
    CArchive ar(sink);
    doc.Serialize(ar);
    return sink.GetData();
}

// Loads bytes; returns the message of a refusal, empty on success.
std::string Load(CTraceloDoc& doc, const Bytes& bytes)
{
    CMemorySource source(bytes);
    CArchive ar(source);
    try
    {
        doc.Serialize(ar);
    }
    catch (const CArchiveException& e)
    {
        return e.GetErrorMessage(true);
    }
    return {};
}

CGraphFunction& AddFunction(CTraceloDoc& doc, const std::string& strExpression, COLORREF crColor)
{
    CGraphFunction function(doc.m_pEvaluator.get());
    function.m_strExpression = strExpression;
    function.m_crColor = crColor;
    doc.m_pFunctions->push_back(std::move(function));
    return doc.m_pFunctions->back();
}

void ExpectNewGraph(const CTraceloDoc& doc)
{
    EXPECT_EQ(doc.m_window.m_dXMin, -2.0);
    EXPECT_EQ(doc.m_window.m_dXMax, 2.0);
    EXPECT_EQ(doc.m_window.m_dYMin, -2.0);
    EXPECT_EQ(doc.m_window.m_dYMax, 2.0);
    EXPECT_EQ(doc.m_nDivisions, 500);
    EXPECT_TRUE(doc.m_bGrid);
    ASSERT_NE(doc.m_pFunctions, nullptr);
    EXPECT_TRUE(doc.m_pFunctions->empty());
    EXPECT_NE(doc.m_pEvaluator, nullptr);
}

TEST(TraceloDocTest, ConstructedWithTheNewGraphDefaults)
{
    CTraceloDoc doc;
    ExpectNewGraph(doc);
    EXPECT_FALSE(doc.IsModified());
}

TEST(TraceloDocTest, NewDocumentRestoresTheDefaults)
{
    CTraceloDoc doc;
    doc.m_window.m_dXMin = 5;
    doc.m_window.m_dYMax = 9;
    doc.m_nDivisions = 77;
    doc.m_bGrid = false;
    AddFunction(doc, "X", 0xFF);
    doc.SetPathName("/tmp/vecchio");
    doc.SetModifiedFlag();
    ASSERT_TRUE(doc.OnNewDocument());
    ExpectNewGraph(doc);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetPathName(), "");
}

TEST(TraceloDocTest, DeleteFunctionsEmptiesTheList)
{
    CTraceloDoc doc;
    doc.DeleteFunctions();
    EXPECT_TRUE(doc.m_pFunctions->empty());
    for (const char* psz : {"X", "SIN(X)", "2X"})
    {
        AddFunction(doc, psz, 0).Sample(CPlotWindow{-2, 2, -2, 2}, 500);
    }
    ASSERT_EQ(doc.m_pFunctions->size(), 3u);
    doc.DeleteFunctions();
    EXPECT_EQ(doc.m_pFunctions->size(), 0u);
}

// The evaluator notes, as it is destroyed, how many functions of its
// document still exist: they point to it, so none may be left by then.
class CLoggingEvaluator : public CExprEvaluator
{
public:
    CLoggingEvaluator(const CTraceloDoc& doc, std::vector<std::string>& vEvents)
        : m_doc(doc), m_vEvents(vEvents)
    {
    }
    ~CLoggingEvaluator() override
    {
        m_vEvents.push_back(m_doc.m_pFunctions == nullptr
                                ? "evaluator, no list"
                                : "evaluator, " + std::to_string(m_doc.m_pFunctions->size()));
    }

private:
    const CTraceloDoc& m_doc;
    std::vector<std::string>& m_vEvents;
};

TEST(TraceloDocTest, DestroysFunctionsBeforeTheirEvaluator)
{
    std::vector<std::string> vEvents;
    {
        CTraceloDoc doc;
        doc.m_pEvaluator = std::make_unique<CLoggingEvaluator>(doc, vEvents);
        for (const char* psz : {"f1", "f2", "f3"})
        {
            doc.m_pFunctions->emplace_back(doc.m_pEvaluator.get()).m_strExpression = psz;
        }
        doc.m_pFunctions->front().Sample(CPlotWindow{-2, 2, -2, 2}, 10);
    }
    EXPECT_EQ(vEvents, (std::vector<std::string>{"evaluator, no list"}));
}

TEST(GraphFileTest, NewGraphIsFortyFourBytes)
{
    CTraceloDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(Save(doc), kNewGraph);
}

TEST(GraphFileTest, SinInRedIsFiftyFiveBytes)
{
    CTraceloDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    AddFunction(doc, "SIN(X)", 0x0000FF);
    EXPECT_EQ(Save(doc), kSinRed);

    CTraceloDoc loaded;
    ASSERT_EQ(Load(loaded, kSinRed), "");
    ASSERT_EQ(loaded.m_pFunctions->size(), 1u);
    const CGraphFunction& function = loaded.m_pFunctions->front();
    EXPECT_EQ(function.m_strExpression, "SIN(X)");
    EXPECT_EQ(function.m_crColor, 0x0000FFu);
    EXPECT_EQ(function.m_pEvaluator, loaded.m_pEvaluator.get());
    EXPECT_TRUE(function.m_pPoints->IsEmpty()); // loading does not sample
    EXPECT_EQ(Save(loaded), kSinRed);
}

// What a file holds, and the graph it opens as.
struct CReadCase
{
    const char* m_pszName;
    Bytes m_bytes;
    double m_dXMin, m_dXMax, m_dYMin, m_dYMax;
    std::int32_t m_nDivisions;
    bool m_bGrid;
    std::vector<std::string> m_vExpressions;
    Bytes m_written; // what saving the opened graph writes; empty: the same bytes
};

void PrintTo(const CReadCase& c, std::ostream* os)
{
    *os << c.m_pszName;
}

class GraphReadTest : public ::testing::TestWithParam<CReadCase>
{
};

TEST_P(GraphReadTest, OpensAs)
{
    const CReadCase& c = GetParam();
    CTraceloDoc doc;
    AddFunction(doc, "stale", 1); // replaced by what the file holds
    ASSERT_EQ(Load(doc, c.m_bytes), "");
    EXPECT_EQ(doc.m_window.m_dXMin, c.m_dXMin);
    EXPECT_EQ(doc.m_window.m_dXMax, c.m_dXMax);
    EXPECT_EQ(doc.m_window.m_dYMin, c.m_dYMin);
    EXPECT_EQ(doc.m_window.m_dYMax, c.m_dYMax);
    EXPECT_EQ(doc.m_nDivisions, c.m_nDivisions);
    EXPECT_EQ(doc.m_bGrid, c.m_bGrid);
    std::vector<std::string> vExpressions;
    for (const CGraphFunction& function : *doc.m_pFunctions)
    {
        vExpressions.push_back(function.m_strExpression);
    }
    EXPECT_EQ(vExpressions, c.m_vExpressions);
    EXPECT_EQ(Save(doc), c.m_written.empty() ? c.m_bytes : c.m_written);
}

const Bytes kTwoRecords = Record("X", 0xFF) + Record("2*X", 0xFF00);

INSTANTIATE_TEST_SUITE_P(
    Files, GraphReadTest,
    ::testing::Values(
        CReadCase{"NewGraph", kNewGraph, -2, 2, -2, 2, 500, true, {}, {}},
        CReadCase{"GridOff", Header(-2, 2, -2, 2, 500, 0, 0), -2, 2, -2, 2, 500, false, {}, {}},
        CReadCase{"GridTwoIsOff",
                  Header(-2, 2, -2, 2, 500, 2, 0),
                  -2,
                  2,
                  -2,
                  2,
                  500,
                  false,
                  {},
                  Header(-2, 2, -2, 2, 500, 0, 0)},
        CReadCase{"GridMinusOneIsOff",
                  Header(-2, 2, -2, 2, 500, -1, 0),
                  -2,
                  2,
                  -2,
                  2,
                  500,
                  false,
                  {},
                  Header(-2, 2, -2, 2, 500, 0, 0)},
        CReadCase{"NegativeCount",
                  Header(-2, 2, -2, 2, 500, 1, -3) + kTwoRecords,
                  -2,
                  2,
                  -2,
                  2,
                  500,
                  true,
                  {},
                  Header(-2, 2, -2, 2, 500, 1, 0)},
        CReadCase{"ZeroCountIgnoresRecords",
                  Header(-2, 2, -2, 2, 500, 1, 0) + kTwoRecords,
                  -2,
                  2,
                  -2,
                  2,
                  500,
                  true,
                  {},
                  Header(-2, 2, -2, 2, 500, 1, 0)},
        CReadCase{"ExtraBytesAfterTheLastRecord",
                  Header(-1, 1, -3, 3, 100, 1, 2) + kTwoRecords + Bytes{1, 2, 3, 4, 5},
                  -1,
                  1,
                  -3,
                  3,
                  100,
                  true,
                  {"X", "2*X"},
                  Header(-1, 1, -3, 3, 100, 1, 2) + kTwoRecords},
        CReadCase{"OtherWindow",
                  Header(-7.5, 0.25, 1e-3, 1e6, 12345, 1, 0),
                  -7.5,
                  0.25,
                  1e-3,
                  1e6,
                  12345,
                  true,
                  {},
                  {}},
        // Values the parameters command would never store are brought into its ranges.
        CReadCase{"DivisionsZero",
                  Header(-2, 2, -2, 2, 0, 1, 0),
                  -2,
                  2,
                  -2,
                  2,
                  10,
                  true,
                  {},
                  Header(-2, 2, -2, 2, 10, 1, 0)},
        CReadCase{"DivisionsNine",
                  Header(-2, 2, -2, 2, 9, 1, 0),
                  -2,
                  2,
                  -2,
                  2,
                  10,
                  true,
                  {},
                  Header(-2, 2, -2, 2, 10, 1, 0)},
        CReadCase{"DivisionsNegative",
                  Header(-2, 2, -2, 2, -5, 1, 0),
                  -2,
                  2,
                  -2,
                  2,
                  10,
                  true,
                  {},
                  Header(-2, 2, -2, 2, 10, 1, 0)},
        CReadCase{"DivisionsTen", Header(-2, 2, -2, 2, 10, 1, 0), -2, 2, -2, 2, 10, true, {}, {}},
        CReadCase{"DivisionsAtTheMaximum",
                  Header(-2, 2, -2, 2, 1000000, 1, 0),
                  -2,
                  2,
                  -2,
                  2,
                  1000000,
                  true,
                  {},
                  {}},
        CReadCase{"DivisionsTwoBillion",
                  Header(-2, 2, -2, 2, 2000000000, 1, 0),
                  -2,
                  2,
                  -2,
                  2,
                  1000000,
                  true,
                  {},
                  Header(-2, 2, -2, 2, 1000000, 1, 0)},
        CReadCase{"XReversed",
                  Header(3, 1, -2, 2, 500, 1, 0),
                  3,
                  3.1,
                  -2,
                  2,
                  500,
                  true,
                  {},
                  Header(3, 3.1, -2, 2, 500, 1, 0)},
        CReadCase{"YEqual",
                  Header(-2, 2, 0, 0, 500, 1, 0),
                  -2,
                  2,
                  0,
                  0.1,
                  500,
                  true,
                  {},
                  Header(-2, 2, 0, 0.1, 500, 1, 0)},
        CReadCase{"XMinNaN",
                  Header(kNaN, 5, -1, 1, 500, 1, 0),
                  -2,
                  2,
                  -1,
                  1,
                  500,
                  true,
                  {},
                  Header(-2, 2, -1, 1, 500, 1, 0)},
        CReadCase{"XMaxNaN",
                  Header(0, kNaN, -1, 1, 500, 1, 0),
                  -2,
                  2,
                  -1,
                  1,
                  500,
                  true,
                  {},
                  Header(-2, 2, -1, 1, 500, 1, 0)},
        CReadCase{"YMaxInfinite",
                  Header(0, 1, -1, kInf, 500, 1, 0),
                  0,
                  1,
                  -2,
                  2,
                  500,
                  true,
                  {},
                  Header(0, 1, -2, 2, 500, 1, 0)},
        CReadCase{"YMinMinusInfinite",
                  Header(0, 1, -kInf, 1, 500, 1, 0),
                  0,
                  1,
                  -2,
                  2,
                  500,
                  true,
                  {},
                  Header(0, 1, -2, 2, 500, 1, 0)},
        // Where 0.1 is lost in the sum, the next double above min.
        CReadCase{"XEqualAt1e17",
                  Header(1e17, 1e17, -2, 2, 500, 1, 0),
                  1e17,
                  1e17 + 16,
                  -2,
                  2,
                  500,
                  true,
                  {},
                  Header(1e17, 1e17 + 16, -2, 2, 500, 1, 0)},
        CReadCase{"YReversedAtMinus1e300",
                  Header(-2, 2, -1e300, -2e300, 500, 1, 0),
                  -2,
                  2,
                  -1e300,
                  std::nextafter(-1e300, 0.0),
                  500,
                  true,
                  {},
                  Header(-2, 2, -1e300, std::nextafter(-1e300, 0.0), 500, 1, 0)},
        CReadCase{"XAtTheLargestDouble",
                  Header(kMax, kMax, -2, 2, 500, 1, 0),
                  std::nextafter(kMax, 0.0),
                  kMax,
                  -2,
                  2,
                  500,
                  true,
                  {},
                  Header(std::nextafter(kMax, 0.0), kMax, -2, 2, 500, 1, 0)}),
    [](const ::testing::TestParamInfo<CReadCase>& info) { return info.param.m_pszName; });

// Files that are refused with "Formato file inatteso.", leaving the graph
// that was there untouched.
struct CRefusedCase
{
    const char* m_pszName;
    Bytes m_bytes;
};

void PrintTo(const CRefusedCase& c, std::ostream* os)
{
    *os << c.m_pszName;
}

class GraphRefusedTest : public ::testing::TestWithParam<CRefusedCase>
{
};

TEST_P(GraphRefusedTest, UnexpectedFileFormat)
{
    CTraceloDoc doc;
    doc.m_window.m_dXMin = -9;
    doc.m_nDivisions = 77;
    doc.m_bGrid = false;
    AddFunction(doc, "previous", 0x123456);
    EXPECT_EQ(Load(doc, GetParam().m_bytes), "Formato file inatteso.");
    EXPECT_EQ(doc.m_window.m_dXMin, -9);
    EXPECT_EQ(doc.m_window.m_dXMax, 2);
    EXPECT_EQ(doc.m_nDivisions, 77);
    EXPECT_FALSE(doc.m_bGrid);
    ASSERT_EQ(doc.m_pFunctions->size(), 1u);
    EXPECT_EQ(doc.m_pFunctions->front().m_strExpression, "previous");
}

Bytes Cut(const Bytes& bytes, std::size_t nSize)
{
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(nSize));
}

const Bytes kThreeRecords =
    Header(-2, 2, -2, 2, 500, 1, 3) + Record("X", 1) + Record("SIN(X)", 2) + Record("COS(X)*X", 3);

Bytes FourGigabytePrefixInAHundredBytes()
{
    Bytes bytes = Header(-2, 2, -2, 2, 500, 1, 1) + Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    bytes.resize(100, 'x');
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, GraphRefusedTest,
    ::testing::Values(
        CRefusedCase{"OneByte", {0x00}}, CRefusedCase{"InTheWindow", Cut(kNewGraph, 20)},
        CRefusedCase{"InTheCount", Cut(kNewGraph, 43)},
        CRefusedCase{"CountWithoutRecords", Cut(kSinRed, 44)},
        CRefusedCase{"InTheExpression", Cut(kSinRed, 48)},
        CRefusedCase{"InTheColour", Cut(kSinRed, 54)},
        CRefusedCase{"InTheThirdRecordsText", Cut(kThreeRecords, kThreeRecords.size() - 8)},
        CRefusedCase{"InTheThirdRecordsColour", Cut(kThreeRecords, kThreeRecords.size() - 1)},
        CRefusedCase{"AtTheThirdRecord", Cut(kThreeRecords, kThreeRecords.size() - 13)},
        CRefusedCase{"CountTwoBillionWithThreeRecords", Header(-2, 2, -2, 2, 500, 1, 2000000000) +
                                                            Record("X", 1) + Record("SIN(X)", 2) +
                                                            Record("COS(X)*X", 3)},
        CRefusedCase{"FourGigabytePrefixInAHundredBytes", FourGigabytePrefixInAHundredBytes()}),
    [](const ::testing::TestParamInfo<CRefusedCase>& info) { return info.param.m_pszName; });

TEST(GraphFileTest, RoundTripKeepsOrderTextsAndColoursByteForByte)
{
    CTraceloDoc doc;
    doc.m_window.m_dXMin = -3.25;
    doc.m_window.m_dXMax = 7.5;
    doc.m_window.m_dYMin = -1e-9;
    doc.m_window.m_dYMax = 1e9;
    doc.m_nDivisions = 1234;
    doc.m_bGrid = false;
    const std::string strLong(300, 'X');
    const std::string strVeryLong(70000, '1');
    const std::vector<std::pair<std::string, COLORREF>> functions = {
        {"SIN(X)", 0x0000FF},     {"", 0x000000},      {"  sqrt( x )  ", 0x00FF00},
        {"2X", 0xAABBCCDD}, // malformed and a colour of no palette: kept as they are
        {"pi\xC3\xB9", 0xFF0000}, {strLong, 0x808080}, {strVeryLong, 0x010203},
    };
    for (const auto& [strExpression, crColor] : functions)
    {
        AddFunction(doc, strExpression, crColor);
    }
    const Bytes bytes = Save(doc);

    // The texts are where they belong, with their prefixes.
    const Bytes expectedStart = Header(-3.25, 7.5, -1e-9, 1e9, 1234, 0, 7) +
                                Record("SIN(X)", 0x0000FF) + Record("", 0) +
                                Record("  sqrt( x )  ", 0x00FF00) + Record("2X", 0xAABBCCDD) +
                                Record("pi\xF9", 0xFF0000) + Bytes{0xFF, 0x2C, 0x01};
    ASSERT_GT(bytes.size(), expectedStart.size());
    EXPECT_EQ(Cut(bytes, expectedStart.size()), expectedStart);
    const std::size_t nVeryLong = expectedStart.size() + 300 + 4;
    EXPECT_EQ(Bytes(bytes.begin() + nVeryLong, bytes.begin() + nVeryLong + 7),
              (Bytes{0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));
    EXPECT_EQ(bytes.size(), nVeryLong + 7 + 70000 + 4);

    CTraceloDoc loaded;
    ASSERT_EQ(Load(loaded, bytes), "");
    EXPECT_EQ(loaded.m_window.m_dXMin, -3.25);
    EXPECT_EQ(loaded.m_window.m_dYMin, -1e-9);
    EXPECT_EQ(loaded.m_nDivisions, 1234);
    EXPECT_FALSE(loaded.m_bGrid);
    ASSERT_EQ(loaded.m_pFunctions->size(), functions.size());
    for (std::size_t i = 0; i < functions.size(); ++i)
    {
        EXPECT_EQ((*loaded.m_pFunctions)[i].m_strExpression, functions[i].first) << i;
        EXPECT_EQ((*loaded.m_pFunctions)[i].m_crColor, functions[i].second) << i;
    }
    EXPECT_EQ(Save(loaded), bytes);
}

TEST(GraphFileTest, EightBitTextOfOtherWritersRoundTrips)
{
    // ù, €, a byte the code page leaves undefined and a control character.
    const Bytes bytes =
        Header(-2, 2, -2, 2, 500, 1, 1) + Record(std::string("\xF9\x80\x81\x01", 4), 5);
    CTraceloDoc doc;
    ASSERT_EQ(Load(doc, bytes), "");
    EXPECT_EQ(doc.m_pFunctions->front().m_strExpression, "\xC3\xB9\xE2\x82\xAC\xC2\x81\x01");
    EXPECT_EQ(Save(doc), bytes);
}

TEST(GraphFileTest, SixteenBitTextIsReadAndWrittenAsEightBit)
{
    const Bytes bytes = Header(-2, 2, -2, 2, 500, 1, 1) +
                        Bytes{0xFF, 0xFE, 0xFF, 0x03, 'X', 0x00, 0xF9, 0x00, 0x2D, 0x4E} +
                        Bytes{0xFF, 0x00, 0x00, 0x00};
    CTraceloDoc doc;
    ASSERT_EQ(Load(doc, bytes), "");
    EXPECT_EQ(doc.m_pFunctions->front().m_strExpression, "X\xC3\xB9?");
    EXPECT_EQ(Save(doc), Header(-2, 2, -2, 2, 500, 1, 1) + Record("X\xF9?", 0xFF));
}

TEST(GraphFileTest, UnencodableCharactersAreWrittenAsQuestionMarks)
{
    CTraceloDoc doc;
    AddFunction(doc, "X*\xE4\xB8\xAD", 0); // 中
    EXPECT_EQ(Save(doc), Header(-2, 2, -2, 2, 500, 1, 1) + Record("X*?", 0));
}

TEST(GraphFileTest, OpenAndSaveThroughFiles)
{
    CTestTempDir dir;
    const std::string strPath = dir.File("seno");
    WriteFileBytes(strPath, kSinRed);
    CTraceloDoc doc;
    std::string strError;
    ASSERT_TRUE(doc.OnOpenDocument(strPath, strError)) << strError;
    EXPECT_FALSE(doc.IsModified());
    ASSERT_EQ(doc.m_pFunctions->size(), 1u);

    AddFunction(doc, "X", 0xFF00);
    doc.SetModifiedFlag();
    ASSERT_TRUE(doc.OnSaveDocument(strPath, strError)) << strError;
    EXPECT_FALSE(doc.IsModified());
    Bytes expected = kSinRed + Record("X", 0xFF00);
    expected[40] = 2;
    EXPECT_EQ(ReadFileBytes(strPath), expected);
}

TEST(GraphFileTest, ZeroLengthFileOpensAsANewGraph)
{
    CTestTempDir dir;
    WriteFileBytes(dir.File("vuoto"), {});
    CTraceloDoc doc;
    std::string strError;
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("vuoto"), strError)) << strError;
    ExpectNewGraph(doc);
    EXPECT_FALSE(doc.IsModified());
}

TEST(GraphFileTest, FileCutInTheThirdRecordIsRefused)
{
    CTestTempDir dir;
    const std::string strPath = dir.File("tagliato");
    WriteFileBytes(strPath, Cut(kThreeRecords, kThreeRecords.size() - 6));
    CTraceloDoc doc;
    std::string strError;
    EXPECT_FALSE(doc.OnOpenDocument(strPath, strError));
    EXPECT_EQ(strError, "Formato file inatteso.");
    ExpectNewGraph(doc);
}

TEST(GraphFileTest, FailedSaveKeepsTheSavedGraph)
{
    CTestTempDir dir;
    const std::string strPath = dir.File("grafico");
    WriteFileBytes(strPath, kSinRed);
    CTraceloDoc doc;
    AddFunction(doc, std::string(100000, 'X'), 0);
    doc.SetModifiedFlag();
    std::string strError;
    {
        auto* pOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        rlimit lowered = old;
        lowered.rlim_cur = 4096;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
        EXPECT_FALSE(doc.OnSaveDocument(strPath, strError));
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, pOldHandler);
    }
    // Past the file-size limit is a full disk, as far as the user can tell.
    EXPECT_EQ(strError, "Disco pieno durante l'accesso a " + strPath + ".");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(ReadFileBytes(strPath), kSinRed);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"grafico"});
}

// Any bytes open as a graph or are refused with a message: never a crash,
// a sanitizer report or a graph outside the ranges the program keeps.
TEST(GraphFileTest, ArbitraryBytesOpenOrAreRefused)
{
    std::mt19937 random(20240601);
    const std::vector<Bytes> seeds = {kNewGraph, kSinRed, kThreeRecords};
    int nOpened = 0;
    for (int nRound = 0; nRound < 4000; ++nRound)
    {
        Bytes bytes = seeds[random() % seeds.size()];
        const int nEdits = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < nEdits; ++i)
        {
            switch (random() % 4)
            {
            case 0: // change a byte
                if (!bytes.empty())
                {
                    bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
                }
                break;
            case 1: // cut
                bytes.resize(random() % (bytes.size() + 1));
                break;
            case 2: // insert a byte
                bytes.insert(bytes.begin() +
                                 static_cast<std::ptrdiff_t>(random() % (bytes.size() + 1)),
                             static_cast<std::uint8_t>(random()));
                break;
            default: // a prefix or count byte at its most
                if (!bytes.empty())
                {
                    bytes[random() % bytes.size()] = 0xFF;
                }
                break;
            }
        }
        CTraceloDoc doc;
        const std::string strMessage = Load(doc, bytes);
        if (!strMessage.empty())
        {
            EXPECT_EQ(strMessage, "Formato file inatteso.");
            continue;
        }
        ++nOpened;
        EXPECT_GE(doc.m_nDivisions, kMinDivisions);
        EXPECT_LE(doc.m_nDivisions, kMaxDivisions);
        EXPECT_TRUE(std::isfinite(doc.m_window.m_dXMin) && std::isfinite(doc.m_window.m_dXMax));
        EXPECT_TRUE(std::isfinite(doc.m_window.m_dYMin) && std::isfinite(doc.m_window.m_dYMax));
        EXPECT_LE(doc.m_pFunctions->size(), bytes.size() / 5);
        // A graph that opened saves again and opens to the same bytes.
        const Bytes saved = Save(doc);
        CTraceloDoc again;
        ASSERT_EQ(Load(again, saved), "");
        EXPECT_EQ(Save(again), saved);
    }
    EXPECT_GT(nOpened, 100);
}

} // namespace
