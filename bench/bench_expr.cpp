// Evaluation speed of the expression engine, one call of EvaluateAt per
// iteration at a changing X, as a resampling makes it.
#include "expr/ExprEvaluator.h"

#include <benchmark/benchmark.h>

#include <string>

namespace
{

// About 200 characters mixing every kind of operand and operator.
const std::string kLongText = "SIN(X)^2+0.5*X-COS(X/3)*EXP(-X^2/8)+LN(ABS(X)+1)/(1+X^2)"
                              "-TANH(X*0.7)^3+SQRT(ABS(SIN(2*X)))*LOG(X^2+10)"
                              "+ATAN(X/2)*COSH(X/10)-SINH(X/20)/(2+COS(X))"
                              "+SIGN(X)*ABS(X)^0.5-((X+1)*(X-1))/(X^2+1)+RAND(0)*PI/10";

void EvaluateText(benchmark::State& state, const std::string& text)
{
    CExprEvaluator ev;
    double x = -2.0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(ev.EvaluateAt(text, x));
        x += 0.008;
        if (x >= 2.0)
            x = -2.0;
    }
    state.SetLabel(std::to_string(text.size()) + " chars");
}

} // namespace

BENCHMARK_CAPTURE(EvaluateText, X, std::string("X"));
BENCHMARK_CAPTURE(EvaluateText, SinSquared, std::string("SIN(X)^2+0.5*X"));
BENCHMARK_CAPTURE(EvaluateText, Rational, std::string("((X+1)*(X-1))/(X^2+1)"));
BENCHMARK_CAPTURE(EvaluateText, Gaussian, std::string("EXP(-X^2/2)*COS(5*X)"));
BENCHMARK_CAPTURE(EvaluateText, Long200, kLongText);
