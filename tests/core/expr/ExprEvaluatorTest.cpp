#include "core/expr/ExprEvaluator.h"
#include "LiteralEvaluator.h"
#include "TextGenerators.h"

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace
{

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kE = 2.718281828459045;
constexpr double kPi = 3.141592653589793;

// Hides a constant from the compiler, so that an expected value is computed
// by the same library functions at run time as the engine's.
double Rt(double x)
{
    volatile double v = x;
    return v;
}

struct CValueCase
{
    const char* m_pszText;
    double m_dX;
    double m_dExpected;
};

void PrintTo(const CValueCase& c, std::ostream* os)
{
    *os << "'" << c.m_pszText << "' at X=" << c.m_dX;
}

// Same value, NaN matching NaN and +0 not matching -0 only where it matters.
::testing::AssertionResult SameValue(double expected, double actual)
{
    if (std::isnan(expected) && std::isnan(actual))
        return ::testing::AssertionSuccess();
    if (expected == actual)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected " << expected << ", got " << actual;
}

class ValidTexts : public ::testing::TestWithParam<CValueCase>
{
};

TEST_P(ValidTexts, EvaluateWithFlagClear)
{
    const CValueCase& c = GetParam();
    CExprEvaluator ev;
    const double v = ev.EvaluateAt(c.m_pszText, c.m_dX);
    EXPECT_FALSE(ev.HasError());
    EXPECT_TRUE(SameValue(c.m_dExpected, v));
}

// Operators, precedence and the quirks of the scheme.
INSTANTIATE_TEST_SUITE_P(
    Operators, ValidTexts,
    ::testing::Values(
        CValueCase{"1-2-3", 0, -4}, CValueCase{"8/2/2", 0, 2}, CValueCase{"8/2*4", 0, 16},
        CValueCase{"2*8/4", 0, 4}, CValueCase{"2^3^2", 0, 512}, CValueCase{"2*3-4*5", 0, -14},
        CValueCase{"(1+2)*3", 0, 9}, CValueCase{"2*(3+4)", 0, 14}, CValueCase{"1+2-3", 0, 0},
        CValueCase{"10-2+3", 0, 11}, CValueCase{"2*3^2", 0, 18}, CValueCase{"18/3^2", 0, 2},
        CValueCase{"2^3/4", 0, 2}, CValueCase{"2^3*4", 0, 32}, CValueCase{"2^3/4*8", 0, 16},
        CValueCase{"2^3/2/2", 0, 2}, CValueCase{"64/2/2/2", 0, 8}, CValueCase{"-X^2", 3, -9},
        CValueCase{"-2+3", 0, 1}, CValueCase{"-2*3", 0, -6}, CValueCase{"+5", 0, 5},
        CValueCase{"2*-3", 0, -3}, CValueCase{"2^-1", 0, 0}, CValueCase{"2/-4", 0, kInf},
        CValueCase{"2*(-3)", 0, -6}, CValueCase{"2^(-1)", 0, 0.5}, CValueCase{"50%200", 0, 100},
        CValueCase{"50%", 0, 0}, CValueCase{"10%20+30", 0, 5}, CValueCase{"*5", 0, 0},
        CValueCase{"^0", 0, 1}, CValueCase{"/2", 0, 0}, CValueCase{"()", 0, 0},
        CValueCase{"", 7, 0}, CValueCase{"((X))", 4, 4}, CValueCase{"X*X-1", 3, 8},
        CValueCase{"3-", 0, 3}, CValueCase{"3+", 0, 3}, CValueCase{"1/0", 0, kInf},
        CValueCase{"-1/0", 0, -kInf}, CValueCase{"0/0", 0, kNaN}));

// Numbers, names, blanks and case.
INSTANTIATE_TEST_SUITE_P(
    Readers, ValidTexts,
    ::testing::Values(CValueCase{"1.5", 0, 1.5}, CValueCase{"1.2.3", 0, 1.2}, CValueCase{".", 0, 0},
                      CValueCase{"..5", 0, 0}, CValueCase{".5", 0, 0.5}, CValueCase{"5.", 0, 5},
                      CValueCase{"007", 0, 7}, CValueCase{"1 0", 0, 10},
                      CValueCase{"S IN(X)", 1, std::sin(Rt(1.0))},
                      CValueCase{"sin(x)", 1, std::sin(Rt(1.0))},
                      CValueCase{"Sin ( X )", 1, std::sin(Rt(1.0))}, CValueCase{"x", -2.5, -2.5},
                      CValueCase{"E", 0, kE}, CValueCase{"PI", 0, kPi},
                      CValueCase{"pi*2", 0, 2 * kPi}, CValueCase{"EXP(1)", 0, std::exp(Rt(1.0))},
                      CValueCase{"SIN-X)", 1, std::sin(Rt(1.0))}, CValueCase{"SIN()", 0, 0},
                      CValueCase{"FOO(X)", 3, 0}, CValueCase{"_A1(2)", 0, 0},
                      // 400 digits overflow to infinity; 400 decimals underflow to 0.
                      CValueCase{"1000000000000000000000000000000000000000000000000000000000"
                                 "0000000000000000000000000000000000000000000000000000000000"
                                 "0000000000000000000000000000000000000000000000000000000000"
                                 "0000000000000000000000000000000000000000000000000000000000"
                                 "0000000000000000000000000000000000000000000000000000000000"
                                 "0000000000000000000000000000000000000000000000000000000000",
                                 0, kInf},
                      CValueCase{".00000000000000000000000000000000000000000000000000000000"
                                 "0000000000000000000000000000000000000000000000000000000000"
                                 "0000000000000000000000000000000000000000000000000000000000"
                                 "0000000000000000000000000000000000000000000000000000000000"
                                 "0000000000000000000000000000000000000000000000000000000000"
                                 "0000000000000000000000000000000000000000000000000000000001",
                                 0, 0}));

// The nineteen functions, the constants and their domains.
INSTANTIATE_TEST_SUITE_P(
    Functions, ValidTexts,
    ::testing::Values(
        CValueCase{"SIN(PI/2)", 0, 1}, CValueCase{"COS(0)", 0, 1}, CValueCase{"LOG(1000)", 0, 3},
        CValueCase{"LN(E)", 0, 1}, CValueCase{"EXP(0)", 0, 1}, CValueCase{"ATAN(1)*4", 0, kPi},
        CValueCase{"TAN(X)", 0.5, std::tan(Rt(0.5))},
        CValueCase{"ACOS(X)", 0.5, std::acos(Rt(0.5))},
        CValueCase{"ASIN(X)", 0.5, std::asin(Rt(0.5))},
        CValueCase{"COSH(X)", 2, std::cosh(Rt(2.0))}, CValueCase{"SINH(X)", 2, std::sinh(Rt(2.0))},
        CValueCase{"TANH(X)", 2, std::tanh(Rt(2.0))},
        CValueCase{"SEC(X)", 2, 1 / std::cos(Rt(2.0))},
        CValueCase{"COSEC(X)", 2, 1 / std::sin(Rt(2.0))},
        CValueCase{"COTAN(X)", 2, 1 / std::tan(Rt(2.0))}, CValueCase{"ABS(-3)", 0, 3},
        CValueCase{"SQRT(16)", 0, 4}, CValueCase{"SIGN(0)", 0, 1}, CValueCase{"SIGN(-0.5)", 0, -1},
        CValueCase{"SIGN(0/0)", 0, 1}, CValueCase{"SQRT(-1)", 0, kNaN},
        CValueCase{"LN(-1)", 0, kNaN}, CValueCase{"ACOS(2)", 0, kNaN},
        CValueCase{"ASIN(2)", 0, kNaN}, CValueCase{"LN(0)", 0, -kInf},
        CValueCase{"LOG(0)", 0, -kInf}, CValueCase{"COSEC(0)", 0, kInf},
        CValueCase{"EXP(1000)", 0, kInf}, CValueCase{"COSH(1000)", 0, kInf},
        CValueCase{"SINH(-1000)", 0, -kInf}, CValueCase{"(-8)^(1/3)", 0, kNaN},
        CValueCase{"0^0", 0, 1},
        CValueCase{"SIN(X)^2+0.5*X", 1, std::sin(Rt(1.0)) * std::sin(Rt(1.0)) + 0.5}));

// Every text here is malformed: the flag is raised, whatever the value.
class MalformedTexts : public ::testing::TestWithParam<const char*>
{
};

TEST_P(MalformedTexts, RaiseTheFlag)
{
    CExprEvaluator ev;
    ev.EvaluateAt(GetParam(), 1.0);
    EXPECT_TRUE(ev.HasError()) << "'" << GetParam() << "'";
}

INSTANTIATE_TEST_SUITE_P(Grammar, MalformedTexts,
                         ::testing::Values("(X+1", "SIN", "SIN X", "FOO+1", "X)", "2X", "2(X)",
                                           "(X)(X)", "X2", "2E3", "PI(2)", "X(1)", "1\t+2", "1,5",
                                           "SIN(X", "((1)", "1+(2", "3!", "1 2 X", "$", "1+2)",
                                           "1=1", "SIN(X)COS(X)"));

TEST(ExprEvaluator, FlagIsClearedByTheNextValidEvaluation)
{
    CExprEvaluator ev;
    ev.EvaluateAt("2X", 1.0);
    ASSERT_TRUE(ev.HasError());
    EXPECT_EQ(ev.EvaluateAt("X+1", 1.0), 2.0);
    EXPECT_FALSE(ev.HasError());
    ev.EvaluateAt("(", 1.0);
    ASSERT_TRUE(ev.HasError());
    EXPECT_EQ(ev.EvaluateAt("(", 1.0), 0.0);
    EXPECT_TRUE(ev.HasError());
}

TEST(ExprEvaluator, SameTextAtManyXReusesNothingStale)
{
    CExprEvaluator ev;
    for (int i = -5; i <= 5; ++i)
    {
        EXPECT_EQ(ev.EvaluateAt("X*X", i), double(i * i));
        EXPECT_EQ(ev.EvaluateAt("X+1", i), double(i + 1));
    }
}

TEST(ExprEvaluator, NormalizationRemovesOnlySpacesAndUppercasesOnlyAToZ)
{
    struct
    {
        std::string in, out;
    } cases[] = {
        {"sin(x) ^ 2", "SIN(X)^2"},
        {"  ", ""},
        {"a\tb", "A\tB"},
        {"\xe0x", "\xe0X"}, // bytes outside a to z are left alone
        {std::string("a\0b", 3), std::string("A\0B", 3)},
    };
    for (auto& c : cases)
    {
        std::string s = c.in;
        CExprEvaluator::NormalizeExpression(s);
        EXPECT_EQ(s, c.out);
    }
}

TEST(ExprEvaluator, CallerTextIsNotChanged)
{
    CExprEvaluator ev;
    const std::string text = "sin ( x )";
    ev.EvaluateAt(text, 1.0);
    EXPECT_EQ(text, "sin ( x )");
}

TEST(ExprEvaluator, UnknownFunctionIsZeroForEveryArgument)
{
    EXPECT_EQ(CExprEvaluator::ApplyFunction("FOO", 3.0), 0.0);
    EXPECT_EQ(CExprEvaluator::ApplyFunction("sin", 1.0), 0.0); // names are exact, upper case
    EXPECT_EQ(CExprEvaluator::ApplyFunction("SINX", 1.0), 0.0);
}

// The decimal separator of the user's locale is captured, but inside an
// expression the point is always the separator.
struct CLocaleCase
{
    const char* m_pszLocale;
    char m_chSeparator;
};

class LocaleSeparator : public ::testing::TestWithParam<CLocaleCase>
{
protected:
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_P(LocaleSeparator, PointIsTheSeparatorInExpressions)
{
    ASSERT_NE(std::setlocale(LC_ALL, GetParam().m_pszLocale), nullptr)
        << GetParam().m_pszLocale << " is not installed (the set-up generates it)";
    CExprEvaluator ev;
    EXPECT_EQ(ev.GetDecimalPoint(), GetParam().m_chSeparator);
    EXPECT_EQ(ev.EvaluateAt("1.5", 0), 1.5);
    EXPECT_FALSE(ev.HasError());
    EXPECT_EQ(ev.EvaluateAt("X*0.25+.5", 2), 1.0);
    EXPECT_FALSE(ev.HasError());
    ev.EvaluateAt("1,5", 0);
    EXPECT_TRUE(ev.HasError());
}

INSTANTIATE_TEST_SUITE_P(Locales, LocaleSeparator,
                         ::testing::Values(CLocaleCase{"it_IT.UTF-8", ','},
                                           CLocaleCase{"en_US.UTF-8", '.'}, CLocaleCase{"C", '.'}));

TEST(RandomGenerator, FirstDrawsAfterStart)
{
    // The tests' main gives every case the generator as the program starts.
    EXPECT_EQ(CRandomGenerator::GetState(), 1u);
    CExprEvaluator ev;
    EXPECT_EQ(ev.EvaluateAt("RAND(1)", 0), 41.0);
    EXPECT_EQ(ev.EvaluateAt("RAND(1)", 0), 18467.0);
    EXPECT_EQ(ev.EvaluateAt("rand(x)", 1), 6334.0);
}

TEST(RandomGenerator, DrawsInTextOrderAndEvenWhenWorthZero)
{
    CRandomGenerator::SetState(1);
    CExprEvaluator ev;
    EXPECT_EQ(ev.EvaluateAt("RAND(X)", 0), 0.0); // draws 41
    EXPECT_EQ(ev.EvaluateAt("RAND(1)-RAND(2)", 0), 18467.0 - 2 * 6334.0);
    CRandomGenerator::SetState(1);
    EXPECT_EQ(ev.EvaluateAt("RAND(1)/RAND(1)^0", 0), 41.0);
    EXPECT_EQ(ev.EvaluateAt("RAND(1)", 0), 6334.0);
    // Two evaluators share the one generator.
    CRandomGenerator::SetState(1);
    CExprEvaluator other;
    EXPECT_EQ(ev.EvaluateAt("RAND(1)", 0), 41.0);
    EXPECT_EQ(other.EvaluateAt("RAND(1)", 0), 18467.0);
}

TEST(RandomGenerator, SequenceFollowsTheLinearCongruence)
{
    CRandomGenerator::SetState(1);
    std::uint32_t s = 1;
    for (int i = 0; i < 1000; ++i)
    {
        s = s * 214013u + 2531011u;
        ASSERT_EQ(CRandomGenerator::Next(), (s >> 16) & 32767u);
    }
}

// Texts far beyond anything typed: each evaluates correctly or raises the
// flag, without exhausting the stack.
TEST(DepthGuard, NestingUpToTheLimitEvaluates)
{
    const int k = CExprEvaluator::kMaxDepth - 1;
    CExprEvaluator ev;
    const std::string text = std::string(k, '(') + "X" + std::string(k, ')');
    EXPECT_EQ(ev.EvaluateAt(text, 5), 5.0);
    EXPECT_FALSE(ev.HasError());
    ev.EvaluateAt("(" + text + ")", 5);
    EXPECT_TRUE(ev.HasError());
}

TEST(DepthGuard, MillionCharacterTexts)
{
    const std::size_t n = 1000000;
    std::string sum;
    while (sum.size() + 2 < n)
        sum += "1+";
    sum += "1";
    std::string nested = std::string(n / 2, '(') + std::string(n / 2, ')');
    std::string negations;
    for (std::size_t i = 0; i < n / 3; ++i)
        negations += "-(";
    negations += "1" + std::string(n / 3, ')');
    std::string calls;
    for (std::size_t i = 0; i < n / 4; ++i)
        calls += "SIN(";
    calls += "X" + std::string(n / 4, ')');
    const std::string divisions = "1" + []
    {
        std::string s;
        for (int i = 0; i < 300000; ++i)
            s += "/1";
        return s;
    }();

    CExprEvaluator ev;
    for (const std::string* t : {&sum, &nested, &negations, &calls})
    {
        ev.EvaluateAt(*t, 1.0);
        EXPECT_TRUE(ev.HasError()) << t->substr(0, 20);
    }
    // A long chain of divisions is walked in a loop, not by recursion.
    EXPECT_EQ(ev.EvaluateAt(divisions, 1.0), 1.0);
    EXPECT_FALSE(ev.HasError());
    // An unclosed million-deep group.
    ev.EvaluateAt(std::string(n, '('), 1.0);
    EXPECT_TRUE(ev.HasError());
}

// Random texts compared with the naive evaluator: same value bits, same flag,
// same number of random draws.
TEST(Differential, TablesAnswerWhatTheWalksAnswer)
{
    std::mt19937 rng(20261208);
    CExprEvaluator ev;
    CLiteralEvaluator lit;
    const double xs[] = {0.0, 1.0, -2.5, 1e300, -0.0};
    for (int i = 0; i < 20000; ++i)
    {
        const std::string text = (i % 2) ? RandomPieces(rng) : RandomWellFormed(rng);
        const double x = xs[i % std::size(xs)];
        const std::uint32_t state = CRandomGenerator::GetState();
        const double a = ev.EvaluateAt(text, x);
        const bool ea = ev.HasError();
        const std::uint32_t afterA = CRandomGenerator::GetState();
        CRandomGenerator::SetState(state);
        const double b = lit.EvaluateAt(text, x);
        const bool eb = lit.HasError();
        ASSERT_EQ(CRandomGenerator::GetState(), afterA) << "'" << text << "'";
        ASSERT_EQ(ea, eb) << "'" << text << "'";
        if (!ea)
        {
            ASSERT_TRUE((std::isnan(a) && std::isnan(b)) ||
                        std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b))
                << "'" << text << "' at " << x << ": " << a << " vs " << b;
        }
    }
}

TEST(Robustness, RandomBytesAlwaysReturn)
{
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> len(0, 64);
    CExprEvaluator ev;
    for (int i = 0; i < 20000; ++i)
    {
        std::string s(static_cast<std::size_t>(len(rng)), '\0');
        for (char& c : s)
            c = static_cast<char>(byte(rng));
        const double v = ev.EvaluateAt(s, 0.5);
        (void)v;
    }
    SUCCEED();
}

} // namespace
