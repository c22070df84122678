// Resampling whole graphs through the sampling engine, on one thread and on
// every core the machine has, side by side.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "core/expr/ExprEvaluator.h"
#include "core/expr/GraphFunction.h"
#include "core/expr/Sampling.h"

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

} // namespace

BENCHMARK_MAIN();
