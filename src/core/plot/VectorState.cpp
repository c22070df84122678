#include "core/plot/VectorState.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
namespace
{
// Whether the processor and the system support AVX: vzeroupper is an
// invalid instruction without it.
bool HasAvx()
{
    static const bool bAvx = __builtin_cpu_supports("avx");
    return bAvx;
}
} // namespace

void ClearUpperVectorState()
{
    if (HasAvx())
    {
        __asm__ __volatile__("vzeroupper");
    }
}
#else
void ClearUpperVectorState()
{
}
#endif
