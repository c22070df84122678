// The sampling engine: the same bits on any number of threads as the rule of
// one evaluation per accumulated X, the bound on memory, cancelling and the
// thread limit.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

#include "TextGenerators.h"
#include "core/expr/ExprEvaluator.h"
#include "core/expr/GraphFunction.h"
#include "core/expr/Sampling.h"

namespace
{

struct CGraph
{
    CExprEvaluator m_evaluator;
    CFunctionList m_functions;

    explicit CGraph(const std::vector<std::string>& vTexts)
    {
        for (const std::string& strText : vTexts)
        {
            m_functions.emplace_back(&m_evaluator);
            m_functions.back().m_strExpression = strText;
        }
    }
    std::vector<CGraphFunction*> Pointers()
    {
        std::vector<CGraphFunction*> v;
        for (CGraphFunction& function : m_functions)
            v.push_back(&function);
        return v;
    }
};

// The rule itself, one function after the other: x accumulated from X min
// while below X max, one EvaluateAt per x, a point unless the flag is up.
std::vector<std::vector<CCurvePoint>> SampleByTheRule(CGraph& graph, double dXMin, double dXMax,
                                                      std::int32_t nDivisions)
{
    std::vector<std::vector<CCurvePoint>> vCurves;
    const double dStep = (dXMax - dXMin) / nDivisions;
    for (const CGraphFunction& function : graph.m_functions)
    {
        std::vector<CCurvePoint>& curve = vCurves.emplace_back();
        for (double x = dXMin; x < dXMax;)
        {
            const double y = graph.m_evaluator.EvaluateAt(function.m_strExpression, x);
            if (!graph.m_evaluator.HasError())
                curve.push_back(CCurvePoint{x, y});
            const double dNext = x + dStep;
            if (!(dNext > x))
                break;
            x = dNext;
        }
    }
    return vCurves;
}

bool SameBits(const CPointList& points, const std::vector<CCurvePoint>& expected)
{
    return points.GetCount() == expected.size() &&
           (expected.empty() || std::memcmp(points.GetData(), expected.data(),
                                            expected.size() * sizeof(CCurvePoint)) == 0);
}

std::string FirstDifference(const CPointList& points, const std::vector<CCurvePoint>& expected)
{
    for (std::size_t i = 0; i < std::min(points.GetCount(), expected.size()); ++i)
    {
        const CCurvePoint& p = points.GetData()[i];
        if (std::memcmp(&p, &expected[i], sizeof p) != 0)
        {
            char sz[160];
            std::snprintf(sz, sizeof sz, ": at %zu, (%a, %a) instead of (%a, %a)", i, p.m_dX,
                          p.m_dY, expected[i].m_dX, expected[i].m_dY);
            return sz;
        }
    }
    return std::string();
}

// The same numbers; a NaN matches any NaN, since a NaN's payload may differ
// between the one-X and the many-X evaluation of the compiled form.
bool SameValues(const CPointList& points, const std::vector<CCurvePoint>& expected)
{
    auto same = [](double a, double b)
    { return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0; };
    if (points.GetCount() != expected.size())
        return false;
    for (std::size_t i = 0; i < expected.size(); ++i)
    {
        if (!same(points.GetData()[i].m_dX, expected[i].m_dX) ||
            !same(points.GetData()[i].m_dY, expected[i].m_dY))
            return false;
    }
    return true;
}

std::vector<std::string> GeneratedTexts(unsigned nSeed, int nCount, bool bRandAllowed)
{
    std::mt19937 rng(nSeed);
    std::vector<std::string> v;
    while (static_cast<int>(v.size()) < nCount)
    {
        std::string s = rng() % 3 == 0 ? RandomPieces(rng) : RandomWellFormed(rng);
        if (!bRandAllowed && s.find("RAND") != std::string::npos)
            continue;
        v.push_back(std::move(s));
    }
    return v;
}

std::vector<std::string> Repeat(const char* pszText, int nCount)
{
    return std::vector<std::string>(static_cast<std::size_t>(nCount), pszText);
}

struct CDifferentialCase
{
    const char* m_pszName;
    std::vector<std::string> m_vTexts;
    std::int32_t m_nDivisions;
    double m_dXMin = -2.0;
    double m_dXMax = 2.0;
};

void PrintTo(const CDifferentialCase& c, std::ostream* os)
{
    *os << c.m_pszName;
}

class SamplingDifferential : public ::testing::TestWithParam<CDifferentialCase>
{
};

// Every point, the generator's state and the evaluator's flag afterwards are
// those of the rule, serially and on several threads; and on several threads
// every bit is what one thread gives.
TEST_P(SamplingDifferential, GivesTheBitsOfTheRuleOnAnyNumberOfThreads)
{
    const CDifferentialCase& c = GetParam();
    CGraph reference(c.m_vTexts);
    CRandomGenerator::SetState(12345);
    const auto vExpected = SampleByTheRule(reference, c.m_dXMin, c.m_dXMax, c.m_nDivisions);
    const std::uint32_t nStateAfter = CRandomGenerator::GetState();
    const bool bFlagAfter = reference.m_evaluator.HasError();

    std::vector<std::vector<CCurvePoint>> vOneThread;
    for (const int nThreads : {1, 2, 4})
    {
        SCOPED_TRACE(nThreads);
        CGraph graph(c.m_vTexts);
        CRandomGenerator::SetState(12345);
        std::atomic<std::uint64_t> nDone{0};
        std::atomic<std::uint64_t> nTotal{0};
        CSamplingOptions options;
        options.m_nThreads = nThreads;
        options.m_pDone = &nDone;
        options.m_pTotal = &nTotal;
        const CSamplingResult result =
            SampleFunctions(graph.Pointers(), CPlotWindow{c.m_dXMin, c.m_dXMax, -1.0, 1.0},
                            c.m_nDivisions, options);
        EXPECT_FALSE(result.m_bOutOfMemory);
        EXPECT_FALSE(result.m_bCancelled);
        EXPECT_EQ(CRandomGenerator::GetState(), nStateAfter);
        EXPECT_EQ(graph.m_evaluator.HasError(), bFlagAfter);
        EXPECT_EQ(nDone.load(), nTotal.load());
        for (std::size_t i = 0; i < vExpected.size(); ++i)
        {
            const CGraphFunction& f = graph.m_functions[i];
            if (nThreads == 1)
                vOneThread.emplace_back(f.m_pPoints->begin(), f.m_pPoints->end());
            else
                EXPECT_TRUE(SameBits(*f.m_pPoints, vOneThread[i]))
                    << "function " << i << " '" << f.m_strExpression << "'"
                    << FirstDifference(*f.m_pPoints, vOneThread[i]);
            EXPECT_TRUE(SameValues(*f.m_pPoints, vExpected[i]))
                << "function " << i << " '" << f.m_strExpression << "': " << f.m_pPoints->GetCount()
                << " points, expected " << vExpected[i].size();
            EXPECT_EQ(f.m_pPoints->m_window.m_dXMin, c.m_dXMin);
            EXPECT_EQ(f.m_pPoints->m_window.m_dXMax, c.m_dXMax);
            EXPECT_EQ(f.m_pPoints->m_window.m_dYMin, -1.0);
            EXPECT_EQ(f.m_pPoints->m_window.m_dYMax, 1.0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Graphs, SamplingDifferential,
    ::testing::Values(
        CDifferentialCase{"OneFunctionTenDivisions", {"SIN(X)^2+0.5*X"}, 10},
        CDifferentialCase{"TypicalGraph", {"SIN(X)", "X^2-1", "EXP(-X^2/2)*COS(5*X)", "1/X"}, 500},
        CDifferentialCase{"OneFunctionAMillion", {"EXP(-X^2/2)*COS(5*X)"}, 1000000},
        CDifferentialCase{"TenFunctions100000", Repeat("SIN(X)^2+0.5*X", 10), 100000},
        CDifferentialCase{"RandAmongOthers",
                          {"RAND(1)*X", "SIN(X)", "X+RAND(X)", "(((", "LN(X)", "RAND(2)"},
                          200000},
        CDifferentialCase{"RandLast", {"SIN(X)", "COS(X)", "X*RAND(1)"}, 100000},
        CDifferentialCase{"MalformedLast", {"RAND(1)", "SIN(X)", "X+"}, 100000},
        CDifferentialCase{"GeneratedWithRand", GeneratedTexts(7, 100, true), 2000},
        CDifferentialCase{"GeneratedWithoutRand", GeneratedTexts(11, 100, false), 5000},
        CDifferentialCase{"GeneratedFewLong", GeneratedTexts(3, 5, true), 200000},
        CDifferentialCase{"StepTooSmallToMove", {"X"}, 2147483647, 1e16, 1e16 + 4},
        CDifferentialCase{"RoundingGivesOneMore", Repeat("X*X", 3), 300000, 0.1, 0.7},
        // Steps of 1.4 units in the last place, each rounded to 1: 140,000
        // samples for 100,000 divisions, more than the walk expects.
        CDifferentialCase{
            "RoundingGivesFarMore", {"X*X", "RAND(1)+X"}, 100000, 1.0, 1.0 + 140000 * 0x1p-52},
        // Steps of just over one unit in the last place, each rounded to one:
        // as many samples as the window is units wide. The X values are
        // stored as they are counted, in room for divisions + 2 of them.
        CDifferentialCase{"FillsTheRoomForXExactly", {"X", "SIN(X)"}, 10, 1.0, 1.0 + 12 * 0x1p-52},
        CDifferentialCase{"OneXBeyondTheRoom", {"X", "SIN(X)"}, 10, 1.0, 1.0 + 13 * 0x1p-52},
        // Past the room first taken for the X values (16 MB), which then
        // grows once, then past all the window was expected to give.
        CDifferentialCase{"LongerThanTheGrownRoom", {"X"}, 2100000, 1.0, 1.0 + 2940000 * 0x1p-52}),
    [](const ::testing::TestParamInfo<CDifferentialCase>& info)
    { return std::string(info.param.m_pszName); });

// The X values of the rule alone: repeated addition while below X max.
std::vector<double> WalkByTheRule(double dXMin, double dXMax, std::int32_t nDivisions)
{
    std::vector<double> v;
    const double dStep = (dXMax - dXMin) / nDivisions;
    for (double x = dXMin; x < dXMax;)
    {
        v.push_back(x);
        const double dNext = x + dStep;
        if (!(dNext > x))
            break;
        x = dNext;
    }
    return v;
}

// Every X value is the one repeated addition gives, bit for bit, wherever
// the walk runs: across 0 and powers of two, from a power of two, with steps
// that round half to even or too small to move x, tiny and huge values; then
// windows drawn at random over every scale.
TEST(SamplingWalkTest, TakesTheXOfRepeatedAdditionBitForBit)
{
    constexpr double u = 0x1p-52; // the doubles' spacing from 1 to 2
    struct CWindow
    {
        double m_dXMin;
        double m_dXMax;
        std::int32_t m_nDivisions;
    };
    std::vector<CWindow> vWindows = {
        {-2, 2, 1000000},
        {-1, 1, 999999},
        {-4, -1, 300000},
        {0.5 - 1e-9, 2 + 1e-9, 100000},
        {1, 1 + 2500 * u, 1000},  // steps of 2.5 u: by turns 2 u and 3 u
        {1, 1 + 500 * u, 1000},   // 0.5 u: x does not move
        {1, 1 + 1501 * u, 1000},  // just over 1.5 u
        {-2, -2 + 2500 * u, 500}, // 5 u from -2 up
        {0x1p52 - 1000, 0x1p52 + 1000, 3000},
        {-0x1p53 - 8, -0x1p53 + 4000, 1000},
        {1e300, 1.0000000001e300, 100000},
        {-1e308, 1e308, 10},
        {-1.7e308, 1.7e308, 3}, // the step overflows
        {0, 1e-310, 100000},
        {-1e-300, 1e-300, 100000},
        {1e16, 1e16 + 4, 2147483647},
    };
    std::mt19937_64 rng(2024);
    std::uniform_real_distribution<double> exponent(-320.0, 300.0);
    std::uniform_real_distribution<double> relative(-17.0, 1.0);
    std::uniform_int_distribution<std::int32_t> divisions(1, 20000);
    for (int i = 0; i < 300; ++i)
    {
        const double dXMin = std::pow(10.0, exponent(rng)) * (rng() % 2 == 0 ? 1 : -1);
        const double dWidth = std::abs(dXMin) * std::pow(10.0, relative(rng)) * (rng() % 4 + 1);
        const std::int32_t nDivisions = divisions(rng);
        if (i % 3 == 0)
        {
            // A step of a whole number of units and a half of dXMin's binade.
            const double dUnit = std::ldexp(1.0, std::ilogb(dXMin) - 52);
            const double dStep = dUnit * (static_cast<double>(rng() % 8) + 0.5);
            vWindows.push_back({dXMin, dXMin + dStep * nDivisions, nDivisions});
        }
        else
        {
            vWindows.push_back({dXMin, dXMin + dWidth, nDivisions});
        }
    }
    for (const CWindow& w : vWindows)
    {
        SCOPED_TRACE(testing::Message() << std::hexfloat << "[" << w.m_dXMin << ", " << w.m_dXMax
                                        << ") in " << std::dec << w.m_nDivisions);
        const std::vector<double> vExpected = WalkByTheRule(w.m_dXMin, w.m_dXMax, w.m_nDivisions);
        CGraph graph({"X"});
        CSamplingOptions options;
        options.m_nThreads = 1;
        SampleFunctions(graph.Pointers(), CPlotWindow{w.m_dXMin, w.m_dXMax, 0, 1}, w.m_nDivisions,
                        options);
        const CPointList& points = *graph.m_functions[0].m_pPoints;
        ASSERT_EQ(points.GetCount(), vExpected.size());
        for (std::size_t i = 0; i < vExpected.size(); ++i)
        {
            const double x = points.GetData()[i].m_dX;
            ASSERT_EQ(std::memcmp(&x, &vExpected[i], sizeof x), 0)
                << "at " << i << ": " << std::hexfloat << x << " instead of " << vExpected[i];
        }
    }
}

struct CMemoryCase
{
    const char* m_pszName;
    int m_nFunctions;
    int m_nPreSampled;   // functions that already hold storage for the curve
    int m_nBudgetCurves; // curves' worth of new bytes allowed, beyond the X values
    int m_nExpectSampled;
    bool m_bExpectOutOfMemory;
    int m_nBytesMore = 0; // added to the budget
};

void PrintTo(const CMemoryCase& c, std::ostream* os)
{
    *os << c.m_pszName;
}

class SamplingMemory : public ::testing::TestWithParam<CMemoryCase>
{
};

// Curves are stored in list order while they fit; the others are left empty
// and reported. Storage already held counts as free.
TEST_P(SamplingMemory, StoresTheCurvesThatFitAndReportsTheRest)
{
    const CMemoryCase& c = GetParam();
    constexpr std::int32_t kDivisions = 100000;
    CGraph graph(Repeat("X*2", c.m_nFunctions));
    for (int i = 0; i < c.m_nPreSampled; ++i)
        graph.m_functions[static_cast<std::size_t>(i)].Sample(CPlotWindow{-2, 2, -2, 2},
                                                              kDivisions);
    CGraph one({"X*2"});
    const std::size_t nCount = SampleByTheRule(one, -2, 2, kDivisions)[0].size();

    for (const int nThreads : {1, 2})
    {
        SCOPED_TRACE(nThreads);
        CSamplingOptions options;
        options.m_nThreads = nThreads;
        options.m_nMemoryLimit =
            nCount * sizeof(double) +
            static_cast<std::uint64_t>(c.m_nBudgetCurves) * nCount * sizeof(CCurvePoint) +
            static_cast<std::uint64_t>(c.m_nBytesMore);
        const CSamplingResult result =
            SampleFunctions(graph.Pointers(), CPlotWindow{-2, 2, -2, 2}, kDivisions, options);
        EXPECT_EQ(result.m_bOutOfMemory, c.m_bExpectOutOfMemory);
        for (int i = 0; i < c.m_nFunctions; ++i)
        {
            EXPECT_EQ(graph.m_functions[static_cast<std::size_t>(i)].m_pPoints->GetCount(),
                      i < c.m_nExpectSampled ? nCount : 0)
                << "function " << i;
        }
        // Undo what this round stored, so the next starts as the first.
        for (int i = c.m_nPreSampled; i < c.m_nFunctions; ++i)
            graph.m_functions[static_cast<std::size_t>(i)].m_pPoints->Release();
    }
}

INSTANTIATE_TEST_SUITE_P(Budgets, SamplingMemory,
                         ::testing::Values(CMemoryCase{"AllFit", 3, 0, 3, 3, false},
                                           CMemoryCase{"TwoOfThree", 3, 0, 2, 2, true},
                                           CMemoryCase{"NotOne", 3, 0, 0, 0, true},
                                           CMemoryCase{"HeldStorageIsFree", 3, 1, 1, 2, true},
                                           CMemoryCase{"ManyFunctions", 1000, 0, 5, 5, true},
                                           CMemoryCase{"OneByteShortOfOne", 3, 0, 1, 0, true, -1},
                                           CMemoryCase{"OneByteShortOfTwo", 3, 1, 1, 1, true, -1}),
                         [](const ::testing::TestParamInfo<CMemoryCase>& info)
                         { return std::string(info.param.m_pszName); });

// A caller that fails when a curve is missing gets none sampled.
TEST(SamplingMemoryTest, AllOrNothingSamplesNoneWhenOneDoesNotFit)
{
    CGraph graph(Repeat("X", 3));
    CSamplingOptions options;
    options.m_nMemoryLimit = 100 * (sizeof(double) + 2 * sizeof(CCurvePoint));
    options.m_bAllOrNothing = true;
    EXPECT_TRUE(
        SampleFunctions(graph.Pointers(), CPlotWindow{0, 100, 0, 1}, 100, options).m_bOutOfMemory);
    for (const CGraphFunction& function : graph.m_functions)
        EXPECT_EQ(function.m_pPoints->GetCount(), 0u);
    options.m_bAllOrNothing = false;
    EXPECT_TRUE(
        SampleFunctions(graph.Pointers(), CPlotWindow{0, 100, 0, 1}, 100, options).m_bOutOfMemory);
    EXPECT_EQ(graph.m_functions[1].m_pPoints->GetCount(), 100u);
    EXPECT_EQ(graph.m_functions[2].m_pPoints->GetCount(), 0u);
}

// What a walk that stops at once needs is what is asked, not its divisions.
TEST(SamplingMemoryTest, CountsTheWalkNotTheDivisions)
{
    CGraph graph({"X"});
    CSamplingOptions options;
    options.m_nMemoryLimit = 1 << 20;
    const CSamplingResult result =
        SampleFunctions(graph.Pointers(), CPlotWindow{1e16, 1e16 + 4, -1, 1}, 2147483647, options);
    EXPECT_FALSE(result.m_bOutOfMemory);
    EXPECT_EQ(graph.m_functions[0].m_pPoints->GetCount(), 1u);
}

// A long walk asks the system (here TRACELO_MEMORY_LIMIT) how much memory is
// left, and stops at the last X value whose curve fits.
TEST(SamplingMemoryTest, ALongWalkStopsWhereTheSystemSays)
{
    constexpr std::int32_t kDivisions = 1000000; // as many samples over [0, 1)
    constexpr std::uint64_t kNeeds = kDivisions * (sizeof(double) + sizeof(CCurvePoint));
    for (const int nThreads : {1, 2})
    {
        for (const std::uint64_t nLimit : {kNeeds, kNeeds - 1})
        {
            SCOPED_TRACE(testing::Message() << nThreads << " threads, limit " << nLimit);
            setenv("TRACELO_MEMORY_LIMIT", std::to_string(nLimit).c_str(), 1);
            CGraph graph({"X"});
            CSamplingOptions options;
            options.m_nThreads = nThreads;
            const CSamplingResult result =
                SampleFunctions(graph.Pointers(), CPlotWindow{0, 1, 0, 1}, kDivisions, options);
            unsetenv("TRACELO_MEMORY_LIMIT");
            EXPECT_EQ(result.m_bOutOfMemory, nLimit < kNeeds);
            EXPECT_EQ(graph.m_functions[0].m_pPoints->GetCount(),
                      nLimit < kNeeds ? 0u : std::size_t{kDivisions});
        }
    }
}

std::uint64_t StatmPages(int nField)
{
    std::ifstream in("/proc/self/statm");
    std::uint64_t n = 0;
    for (int i = 0; i <= nField; ++i)
        in >> n;
    return n * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

// The process's own limits bound what sampling may take, whatever the
// machine has free.
TEST(SamplingMemoryTest, AvailableMemoryHonoursTheProcessLimits)
{
    constexpr std::uint64_t kRoom = 48u << 20;
    const struct
    {
        int m_nResource;
        int m_nStatmField;
    } kLimits[] = {{RLIMIT_AS, 0}, {RLIMIT_DATA, 5}};
    EXPECT_GT(AvailableMemory(), kRoom);
    for (const auto& limit : kLimits)
    {
        rlimit old{};
        ASSERT_EQ(getrlimit(limit.m_nResource, &old), 0);
        rlimit tight = old;
        tight.rlim_cur = StatmPages(limit.m_nStatmField) + kRoom;
        if (old.rlim_cur != RLIM_INFINITY && old.rlim_cur < tight.rlim_cur)
            tight.rlim_cur = old.rlim_cur;
        ASSERT_EQ(setrlimit(limit.m_nResource, &tight), 0);
        const std::uint64_t nAvailable = AvailableMemory();
        ASSERT_EQ(setrlimit(limit.m_nResource, &old), 0);
        EXPECT_LE(nAvailable, kRoom) << "resource " << limit.m_nResource;
    }
}

// A cancel stops the work; what was not finished has no points, and the next
// sampling starts afresh.
TEST(SamplingCancelTest, LeavesUnfinishedCurvesEmptyAndTheNextRunWhole)
{
    const std::vector<std::string> vTexts = {"RAND(1)*X", "SIN(X)*COS(X)^2", "EXP(X)-X"};
    for (const int nThreads : {1, 2})
    {
        SCOPED_TRACE(nThreads);
        CGraph graph(vTexts);
        std::atomic<bool> bCancel{false};
        std::atomic<std::uint64_t> nDone{0};
        std::atomic<std::uint64_t> nTotal{0};
        CSamplingOptions options;
        options.m_nThreads = nThreads;
        options.m_pCancel = &bCancel;
        options.m_pDone = &nDone;
        options.m_pTotal = &nTotal;
        std::thread canceller(
            [&]
            {
                while (nDone.load() == 0)
                    std::this_thread::yield();
                bCancel.store(true);
            });
        const CSamplingResult result =
            SampleFunctions(graph.Pointers(), CPlotWindow{-2, 2, -2, 2}, 2000000, options);
        canceller.join();
        EXPECT_TRUE(result.m_bCancelled);
        EXPECT_LT(nDone.load(), nTotal.load());
        for (const CGraphFunction& function : graph.m_functions)
        {
            const std::size_t n = function.m_pPoints->GetCount();
            EXPECT_TRUE(n == 0 || n == 2000000) << function.m_strExpression << ": " << n;
        }

        bCancel.store(false);
        const CSamplingResult again =
            SampleFunctions(graph.Pointers(), CPlotWindow{-2, 2, -2, 2}, 100000, options);
        EXPECT_FALSE(again.m_bCancelled);
        for (const CGraphFunction& function : graph.m_functions)
            EXPECT_EQ(function.m_pPoints->GetCount(), 100000u) << function.m_strExpression;
    }
}

TEST(SamplingThreadsTest, TheEnvironmentLimitsTheThreads)
{
    const int nAll = SamplingThreadLimit();
    ASSERT_GE(nAll, 1);
    const struct
    {
        const char* m_pszValue;
        int m_nExpected;
    } kCases[] = {{"1", 1},      {"100000", nAll}, {"0", nAll}, {"-2", nAll},
                  {"two", nAll}, {"1x", nAll},     {"", nAll}};
    for (const auto& c : kCases)
    {
        setenv("TRACELO_THREADS", c.m_pszValue, 1);
        EXPECT_EQ(SamplingThreadLimit(), c.m_nExpected) << "'" << c.m_pszValue << "'";
    }
    unsetenv("TRACELO_THREADS");
    EXPECT_EQ(SamplingThreadLimit(), nAll);
}

} // namespace
