// Evaluation speed of the expression engine: the literal walk over the text,
// its compiled form, the same formulas written in C++, and muparser as a peer,
// side by side; then whole samplings of curves.
#include "core/expr/ExprEvaluator.h"
#include "core/expr/GraphFunction.h"

#include <benchmark/benchmark.h>
#include <muParser.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace
{

// About 200 characters mixing every kind of operand and operator.
const std::string kLongText = "SIN(X)^2+0.5*X-COS(X/3)*EXP(-X^2/8)+LN(ABS(X)+1)/(1+X^2)"
                              "-TANH(X*0.7)^3+SQRT(ABS(SIN(2*X)))*LOG(X^2+10)"
                              "+ATAN(X/2)*COSH(X/10)-SINH(X/20)/(2+COS(X))"
                              "+SIGN(X)*ABS(X)^0.5-((X+1)*(X-1))/(X^2+1)+RAND(0)*PI/10";

} // namespace

// The exponent 2 as the language computes it: through the library's pow. A
// constant 2.0 would let the compiler turn pow(v, 2.0) into v * v, which is
// faster but rounds differently in about one case in a thousand.
double g_dTwo = 2.0;

namespace
{

struct CFormula
{
    const char* m_pszText;     // in Tracelo's language
    const char* m_pszMuParser; // the same in muparser's
    double (*m_pfnNative)(double);
    double (*m_pfnNativeLibPow)(double); // the same bits as the language gives
};

const CFormula kFormulas[] = {
    {"SIN(X)^2+0.5*X", "sin(x)^2+0.5*x",
     [](double x) { return std::pow(std::sin(x), 2.0) + 0.5 * x; },
     [](double x) { return std::pow(std::sin(x), g_dTwo) + 0.5 * x; }},
    {"EXP(-X^2/2)*COS(5*X)", "exp(-x^2/2)*cos(5*x)",
     [](double x) { return std::exp(-std::pow(x, 2.0) / 2) * std::cos(5 * x); },
     [](double x) { return std::exp(-std::pow(x, g_dTwo) / 2) * std::cos(5 * x); }},
    {"((X+1)*(X-1))/(X^2+1)", "((x+1)*(x-1))/(x^2+1)",
     [](double x) { return ((x + 1) * (x - 1)) / (std::pow(x, 2.0) + 1); },
     [](double x) { return ((x + 1) * (x - 1)) / (std::pow(x, g_dTwo) + 1); }},
};

// X walks through [-2, 2) as a resampling makes it.
struct CXWalk
{
    double x = -2.0;
    double Next()
    {
        x += 0.0008;
        if (x >= 2.0)
            x = -2.0;
        return x;
    }
};

void Literal(benchmark::State& state, const std::string& text)
{
    CExprEvaluator ev;
    CXWalk w;
    for (auto _ : state)
        benchmark::DoNotOptimize(ev.EvaluateLiteral(text, w.Next()));
    state.SetLabel(std::to_string(text.size()) + " chars");
}

void Compiled(benchmark::State& state, const std::string& text)
{
    CExprEvaluator ev;
    CXWalk w;
    for (auto _ : state)
        benchmark::DoNotOptimize(ev.EvaluateAt(text, w.Next()));
    state.SetLabel(std::to_string(text.size()) + " chars");
}

void ProgramRun(benchmark::State& state, std::size_t nFormula)
{
    CExprEvaluator ev;
    CExprProgram& program = ev.Compile(kFormulas[nFormula].m_pszText);
    CXWalk w;
    for (auto _ : state)
        benchmark::DoNotOptimize(program.Run(w.Next()));
    state.SetLabel(kFormulas[nFormula].m_pszText);
}

void ProgramRunMany(benchmark::State& state, std::size_t nFormula)
{
    CExprEvaluator ev;
    const std::string text = kFormulas[nFormula].m_pszText;
    std::vector<double> vX(1024), vY(1024);
    CXWalk w;
    for (double& x : vX)
        x = w.Next();
    for (auto _ : state)
    {
        ev.EvaluateMany(text, vX.data(), vY.data(), vX.size());
        benchmark::DoNotOptimize(vY.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(vX.size()));
    state.SetLabel(text + " (per item: divide time by 1024)");
}

void Native(benchmark::State& state, std::size_t nFormula)
{
    CXWalk w;
    double (*pfn)(double) = kFormulas[nFormula].m_pfnNative;
    benchmark::DoNotOptimize(pfn);
    for (auto _ : state)
        benchmark::DoNotOptimize(pfn(w.Next()));
    state.SetLabel(kFormulas[nFormula].m_pszText);
}

void NativeLibPow(benchmark::State& state, std::size_t nFormula)
{
    CXWalk w;
    double (*pfn)(double) = kFormulas[nFormula].m_pfnNativeLibPow;
    benchmark::DoNotOptimize(pfn);
    for (auto _ : state)
        benchmark::DoNotOptimize(pfn(w.Next()));
    state.SetLabel(kFormulas[nFormula].m_pszText);
}

void MuParser(benchmark::State& state, std::size_t nFormula)
{
    mu::Parser parser;
    double x = 0.0;
    parser.DefineVar("x", &x);
    parser.SetExpr(kFormulas[nFormula].m_pszMuParser);
    CXWalk w;
    for (auto _ : state)
    {
        x = w.Next();
        benchmark::DoNotOptimize(parser.Eval());
    }
    state.SetLabel(kFormulas[nFormula].m_pszText);
}

// A whole curve of 100,000 divisions over [-2, 2], as a resampling makes it.
void SampleCurve(benchmark::State& state, bool bLiteral)
{
    CExprEvaluator ev;
    const std::string text = "SIN(X)^2+0.5*X";
    if (bLiteral)
    {
        for (auto _ : state)
        {
            // The walk of Sample with the literal evaluation.
            std::vector<CCurvePoint> v;
            v.reserve(100001);
            const double step = 4.0 / 100000;
            for (double x = -2.0; x < 2.0; x += step)
            {
                const double y = ev.EvaluateLiteral(text, x);
                if (!ev.HasError())
                    v.push_back({x, y});
            }
            benchmark::DoNotOptimize(v.data());
        }
    }
    else
    {
        CGraphFunction fn(&ev);
        fn.m_strExpression = text;
        for (auto _ : state)
        {
            fn.Sample(CPlotWindow{-2.0, 2.0, -2.0, 2.0}, 100000);
            benchmark::DoNotOptimize(fn.m_pPoints->GetData());
        }
    }
}

// Ten functions of 100,000 divisions each: what one zoom of such a graph costs.
void ResampleTen(benchmark::State& state)
{
    CExprEvaluator ev;
    const char* const kTexts[] = {"SIN(X)^2+0.5*X", "EXP(-X^2/2)*COS(5*X)", "((X+1)*(X-1))/(X^2+1)",
                                  "X^3-2*X",        "SQRT(ABS(X))",         "TAN(X)",
                                  "LN(X)",          "COS(3*X)*X",           "1/(1+EXP(-4*X))",
                                  "ABS(SIN(X*PI))"};
    CFunctionList v;
    for (const char* psz : kTexts)
    {
        v.emplace_back(&ev);
        v.back().m_strExpression = psz;
    }
    for (auto _ : state)
        for (auto& fn : v)
            fn.Sample(CPlotWindow{-2.0, 2.0, -2.0, 2.0}, 100000);
}

} // namespace

BENCHMARK_CAPTURE(Literal, X, std::string("X"));
BENCHMARK_CAPTURE(Literal, SinSquared, std::string("SIN(X)^2+0.5*X"));
BENCHMARK_CAPTURE(Literal, Rational, std::string("((X+1)*(X-1))/(X^2+1)"));
BENCHMARK_CAPTURE(Literal, Gaussian, std::string("EXP(-X^2/2)*COS(5*X)"));
BENCHMARK_CAPTURE(Literal, Long200, kLongText);
BENCHMARK_CAPTURE(Compiled, X, std::string("X"));
BENCHMARK_CAPTURE(Compiled, SinSquared, std::string("SIN(X)^2+0.5*X"));
BENCHMARK_CAPTURE(Compiled, Rational, std::string("((X+1)*(X-1))/(X^2+1)"));
BENCHMARK_CAPTURE(Compiled, Gaussian, std::string("EXP(-X^2/2)*COS(5*X)"));
BENCHMARK_CAPTURE(Compiled, Long200, kLongText);
BENCHMARK_CAPTURE(Native, SinSquared, 0);
BENCHMARK_CAPTURE(NativeLibPow, SinSquared, 0);
BENCHMARK_CAPTURE(ProgramRun, SinSquared, 0);
BENCHMARK_CAPTURE(ProgramRunMany, SinSquared, 0);
BENCHMARK_CAPTURE(MuParser, SinSquared, 0);
BENCHMARK_CAPTURE(Native, Gaussian, 1);
BENCHMARK_CAPTURE(NativeLibPow, Gaussian, 1);
BENCHMARK_CAPTURE(ProgramRun, Gaussian, 1);
BENCHMARK_CAPTURE(ProgramRunMany, Gaussian, 1);
BENCHMARK_CAPTURE(MuParser, Gaussian, 1);
BENCHMARK_CAPTURE(Native, Rational, 2);
BENCHMARK_CAPTURE(NativeLibPow, Rational, 2);
BENCHMARK_CAPTURE(ProgramRun, Rational, 2);
BENCHMARK_CAPTURE(ProgramRunMany, Rational, 2);
BENCHMARK_CAPTURE(MuParser, Rational, 2);
BENCHMARK_CAPTURE(SampleCurve, Literal100k, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SampleCurve, Compiled100k, false)->Unit(benchmark::kMillisecond);
BENCHMARK(ResampleTen)->Unit(benchmark::kMillisecond);
