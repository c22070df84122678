#include "expr/GraphFunction.h"

#include <algorithm>
#include <cmath>

#include "expr/ExprEvaluator.h"

const CPointList& CPointListPtr::Empty()
{
    static const CPointList s_empty;
    return s_empty;
}

CGraphFunction::CGraphFunction(CExprEvaluator* pEvaluator) : m_pEvaluator(pEvaluator)
{
}

CGraphFunction::~CGraphFunction() = default;

void CGraphFunction::Sample(double dXMin, double dXMax, double dYMin, double dYMax,
                            std::int32_t nDivisions)
{
    m_dXMin = dXMin;
    m_dXMax = dXMax;
    m_dYMin = dYMin;
    m_dYMax = dYMax;
    m_pPoints->DeleteAllPoints();

    // Only a finite, non-empty range with at least one step has samples.
    if (nDivisions < 1 || !std::isfinite(dXMin) || !std::isfinite(dXMax) || !(dXMax > dXMin) ||
        m_pEvaluator == nullptr)
    {
        return;
    }
    const double dStep = (dXMax - dXMin) / nDivisions;
    // n samples, or n + 1 when the sum of steps falls just short of X max;
    // the storage is kept from one sampling to the next. The reservation is
    // bounded so that an absurd count cannot ask for gigabytes up front.
    constexpr std::size_t kMaxReserve = std::size_t{1} << 21;
    m_pPoints->Reserve(std::min(static_cast<std::size_t>(nDivisions) + 1, kMaxReserve));

    // x is accumulated, not computed as dXMin + i * dStep: the samples fall
    // where repeated addition puts them. A step too small to move x ends the
    // walk. The X values are gathered in blocks and evaluated together by
    // the compiled form of the expression.
    constexpr std::size_t kBlock = 256;
    double aX[kBlock];
    double aY[kBlock];
    double x = dXMin;
    bool bMore = x < dXMax;
    while (bMore)
    {
        std::size_t n = 0;
        while (bMore && n < kBlock)
        {
            aX[n++] = x;
            const double dNext = x + dStep;
            bMore = dNext > x && dNext < dXMax;
            x = dNext;
        }
        if (!m_pEvaluator->EvaluateMany(m_strExpression, aX, aY, n))
        {
            for (std::size_t i = 0; i < n; ++i)
                m_pPoints->AddPoint(aX[i], aY[i]);
        }
    }
}
