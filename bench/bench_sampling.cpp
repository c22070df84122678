// Resampling whole graphs through the sampling engine, on one thread and on
// every core the machine has, side by side; and one curve of each of three
// formulas sampled by the engine, by the same sampling loop written in C++
// and by muparser, in nanoseconds per sample.
#include <benchmark/benchmark.h>
#include <muParser.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/expr/ExprEvaluator.h"
#include "core/expr/GraphFunction.h"
#include "core/expr/Sampling.h"

// The exponent 2 as the language computes it, through the library's pow: a
// constant 2.0 would let the compiler square by multiplication, which rounds
// differently in about one case in a thousand.
double g_dTwo = 2.0;

namespace
{

const char* const kTexts[] = {"SIN(X)^2+0.5*X", "EXP(-X^2/2)*COS(5*X)", "((X+1)*(X-1))/(X^2+1)",
                              "X^3-2*X"};

// args: functions, divisions, every core (1) or one thread (0).
void Resample(benchmark::State& state)
{
    const auto nFunctions = static_cast<std::size_t>(state.range(0));
    const auto nDivisions = static_cast<std::int32_t>(state.range(1));
    CExprEvaluator evaluator;
    CFunctionList functions;
    std::vector<CGraphFunction*> vFunctions;
    for (std::size_t i = 0; i < nFunctions; ++i)
    {
        functions.emplace_back(&evaluator);
        functions.back().m_strExpression = kTexts[i % std::size(kTexts)];
    }
    for (CGraphFunction& function : functions)
        vFunctions.push_back(&function);
    CSamplingOptions options;
    options.m_nThreads = state.range(2) != 0 ? SamplingThreadLimit() : 1;
    for (auto _ : state)
    {
        SampleFunctions(vFunctions, CPlotWindow{-2.0, 2.0, -2.0, 2.0}, nDivisions, options);
        benchmark::DoNotOptimize(functions.front().m_pPoints->GetData());
    }
    state.counters["threads"] = options.m_nThreads;
    state.counters["cores"] = SamplingThreadLimit();
}

void Cases(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"functions", "divisions", "all_cores"});
    for (const auto& work :
         {std::pair{10, 100000}, std::pair{10, 1000000}, std::pair{1, 1000000}, std::pair{4, 500}})
    {
        for (const int nAll : {0, 1})
            b->Args({work.first, work.second, nAll});
    }
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(Resample)->Apply(Cases);

// One curve of a million divisions over [-2, 2], as a zoom resamples it.
constexpr std::int32_t kDivisions = 1000000;
constexpr double kXMin = -2.0;
constexpr double kXMax = 2.0;

struct CFormula
{
    const char* m_pszText;     // in Tracelo's language
    const char* m_pszMuParser; // the same in muparser's
};

const CFormula kFormulas[] = {
    {"SIN(X)^2+0.5*X", "sin(x)^2+0.5*x"},
    {"EXP(-X^2/2)*COS(5*X)", "exp(-x^2/2)*cos(5*x)"},
    {"((X+1)*(X-1))/(X^2+1)", "((x+1)*(x-1))/(x^2+1)"},
};

// The three formulas in C++ with the library calls the language makes, so
// with the same bits.
inline double Formula0(double x)
{
    return std::pow(std::sin(x), g_dTwo) + 0.5 * x;
}
inline double Formula1(double x)
{
    return std::exp(-std::pow(x, g_dTwo) / 2) * std::cos(5 * x);
}
inline double Formula2(double x)
{
    return ((x + 1) * (x - 1)) / (std::pow(x, g_dTwo) + 1);
}

void PerSample(benchmark::State& state, std::uint64_t nSamples, int nThreads = 1)
{
    state.counters["threads"] = nThreads;
    state.counters["time_per_sample"] = benchmark::Counter(
        static_cast<double>(nSamples),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The engine: arg 0 is the formula, arg 1 the threads (0: every core).
void Engine(benchmark::State& state)
{
    CExprEvaluator evaluator;
    CGraphFunction function(&evaluator);
    function.m_strExpression = kFormulas[state.range(0)].m_pszText;
    CGraphFunction* const pFunction = &function;
    CSamplingOptions options;
    options.m_nThreads =
        state.range(1) != 0 ? static_cast<int>(state.range(1)) : SamplingThreadLimit();
    for (auto _ : state)
    {
        SampleFunctions(std::span<CGraphFunction* const>(&pFunction, 1),
                        CPlotWindow{kXMin, kXMax, -2.0, 2.0}, kDivisions, options);
        benchmark::DoNotOptimize(function.m_pPoints->GetData());
    }
    PerSample(state, function.m_pPoints->GetCount(), options.m_nThreads);
    state.SetLabel(kFormulas[state.range(0)].m_pszText);
}

// The whole sampling loop by hand: the accumulated walk, the formula, a
// point stored per X into storage kept from one sampling to the next.
template <double (*pfnFormula)(double)> std::uint64_t SampleByHand(std::vector<CCurvePoint>& v)
{
    const double dStep = (kXMax - kXMin) / kDivisions;
    v.resize(static_cast<std::size_t>(kDivisions) + 2);
    CCurvePoint* p = v.data();
    std::size_t n = 0;
    for (double x = kXMin; x < kXMax && n < v.size(); x += dStep)
        p[n++] = CCurvePoint{x, pfnFormula(x)};
    return n;
}

void Cpp(benchmark::State& state)
{
    std::vector<CCurvePoint> v;
    std::uint64_t n = 0;
    for (auto _ : state)
    {
        switch (state.range(0))
        {
        case 0:
            n = SampleByHand<Formula0>(v);
            break;
        case 1:
            n = SampleByHand<Formula1>(v);
            break;
        default:
            n = SampleByHand<Formula2>(v);
            break;
        }
        benchmark::DoNotOptimize(v.data());
    }
    PerSample(state, n);
    state.SetLabel(kFormulas[state.range(0)].m_pszText);
}

// muparser evaluating the same walk one X at a time, into the same storage.
void MuParser(benchmark::State& state)
{
    mu::Parser parser;
    double x = 0.0;
    parser.DefineVar("x", &x);
    parser.SetExpr(kFormulas[state.range(0)].m_pszMuParser);
    std::vector<CCurvePoint> v;
    std::size_t n = 0;
    const double dStep = (kXMax - kXMin) / kDivisions;
    for (auto _ : state)
    {
        v.resize(static_cast<std::size_t>(kDivisions) + 2);
        n = 0;
        for (x = kXMin; x < kXMax && n < v.size(); x += dStep)
        {
            const double y = parser.Eval();
            v[n++] = CCurvePoint{x, y};
        }
        benchmark::DoNotOptimize(v.data());
    }
    PerSample(state, n);
    state.SetLabel(kFormulas[state.range(0)].m_pszText);
}

// Side by side per formula: the engine on one thread and on every core, the
// loop in C++, muparser. The one-thread rows are timed by the CPU time of
// their thread, so that other work on the machine does not count; the row of
// every core by the wall clock.
void SideBySide()
{
    for (int nFormula = 0; nFormula < 3; ++nFormula)
    {
        benchmark::RegisterBenchmark("Sample/engine_1_thread", Engine)
            ->Args({nFormula, 1})
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("Sample/engine_all_threads", Engine)
            ->Args({nFormula, 0})
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark("Sample/cpp_loop", Cpp)
            ->Args({nFormula})
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("Sample/muparser", MuParser)
            ->Args({nFormula})
            ->Unit(benchmark::kMillisecond);
    }
}

} // namespace

int main(int argc, char** argv)
{
    SideBySide();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
