// Windows in test assertions: printed as their four bounds, compared within
// a tolerance where the arithmetic of a zoom is checked to a few digits.
#pragma once

#include <cmath>
#include <limits>
#include <ostream>

#include <gtest/gtest.h>

#include "core/expr/PlotWindow.h"

inline void PrintTo(const CPlotWindow& w, std::ostream* os)
{
    const auto precision = os->precision(std::numeric_limits<double>::max_digits10);
    *os << "{" << w.m_dXMin << ", " << w.m_dXMax << ", " << w.m_dYMin << ", " << w.m_dYMax << "}";
    os->precision(precision);
}

inline ::testing::AssertionResult WindowNear(const CPlotWindow& actual, const CPlotWindow& expected,
                                             double dTolerance)
{
    const double a[] = {actual.m_dXMin, actual.m_dXMax, actual.m_dYMin, actual.m_dYMax};
    const double e[] = {expected.m_dXMin, expected.m_dXMax, expected.m_dYMin, expected.m_dYMax};
    for (int i = 0; i < 4; ++i)
    {
        if (!(std::fabs(a[i] - e[i]) <= dTolerance))
        {
            ::testing::AssertionResult result = ::testing::AssertionFailure();
            result << ::testing::PrintToString(actual) << " is not within " << dTolerance << " of "
                   << ::testing::PrintToString(expected);
            return result;
        }
    }
    return ::testing::AssertionSuccess();
}
