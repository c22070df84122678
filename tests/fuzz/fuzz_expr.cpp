// Any bytes as an expression: the compiled form and the literal walk must
// agree on the flag, the value and the random draws, and neither may crash.
#include "core/expr/ExprEvaluator.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace
{

bool Same(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) ||
           std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    static CExprEvaluator compiled;
    static CExprEvaluator literal;
    const std::string text(reinterpret_cast<const char*>(pData), nSize);
    static const double kXs[] = {0.0, -1.5, 2.0, 1e300, -0.0};
    for (double x : kXs)
    {
        const std::uint32_t nState = CRandomGenerator::GetState();
        const double a = literal.EvaluateLiteral(text, x);
        const bool bErrorA = literal.HasError();
        const std::uint32_t nAfter = CRandomGenerator::GetState();
        CRandomGenerator::SetState(nState);
        const double b = compiled.EvaluateAt(text, x);
        if (compiled.HasError() != bErrorA || CRandomGenerator::GetState() != nAfter ||
            (!bErrorA && !Same(a, b)))
            std::abort();
    }
    return 0;
}
