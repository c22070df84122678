#include "expr/GraphFunction.h"

#include "expr/Sampling.h"

CGraphFunction::CGraphFunction(CExprEvaluator* pEvaluator)
    : m_pEvaluator(pEvaluator), m_pPoints(std::make_unique<CPointList>())
{
}

CGraphFunction::~CGraphFunction() = default;

void CGraphFunction::Sample(double dXMin, double dXMax, double dYMin, double dYMax,
                            std::int32_t nDivisions)
{
    CGraphFunction* const pThis = this;
    SampleFunctions(std::span<CGraphFunction* const>(&pThis, 1), dXMin, dXMax, dYMin, dYMax,
                    nDivisions);
}
