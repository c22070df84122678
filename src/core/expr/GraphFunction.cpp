#include "core/expr/GraphFunction.h"

#include "core/expr/Sampling.h"

const CPointList& CPointListPtr::Empty()
{
    static const CPointList s_empty;
    return s_empty;
}

void CGraphFunction::Sample(const CPlotWindow& window, std::int32_t nDivisions)
{
    CGraphFunction* const pThis = this;
    SampleFunctions(std::span<CGraphFunction* const>(&pThis, 1), window, nDivisions);
}
