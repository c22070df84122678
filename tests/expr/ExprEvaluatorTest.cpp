#include "expr/ExprEvaluator.h"

#include <gtest/gtest.h>

TEST(ExprSmoke, Builds)
{
    CExprEvaluator ev;
    EXPECT_EQ(ev.EvaluateAt("1+2", 0), 3.0);
}
