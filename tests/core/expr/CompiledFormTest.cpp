// The compiled form against the literal walk: for every text and every X the
// same value bits, the same error flag and the same random draws in the same
// order.
#include "TextGenerators.h"
#include "core/expr/ExprEvaluator.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace
{

const double kXs[] = {
    0.0,    -0.0,  1.0,   -2.5,   0.5, 1e300, -1e300,
    1e-310, -1.75, 3.5e7, 1e-300, 2.0, -1.0,  std::numeric_limits<double>::quiet_NaN()};

// The same number to the bit; any NaN matches any NaN, since which of two
// NaN operands an operation passes on is the processor's and compiler's
// choice, not the program's.
bool Same(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) ||
           std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// Compares one text at every X of kXs, one X at a time and all at once.
::testing::AssertionResult SameAsLiteral(CExprEvaluator& compiled, CExprEvaluator& literal,
                                         const std::string& text)
{
    const std::uint32_t nStart = CRandomGenerator::GetState();
    std::vector<double> vLiteral;
    bool bLiteralError = false;
    for (double x : kXs)
    {
        vLiteral.push_back(literal.EvaluateLiteral(text, x));
        bLiteralError = literal.HasError();
    }
    const std::uint32_t nAfter = CRandomGenerator::GetState();

    auto fail = [&](const char* pszWhat, std::size_t i)
    {
        return ::testing::AssertionFailure()
               << pszWhat << " differs for '" << text << "' at X=" << kXs[i];
    };
    CRandomGenerator::SetState(nStart);
    for (std::size_t i = 0; i < std::size(kXs); ++i)
    {
        const double v = compiled.EvaluateAt(text, kXs[i]);
        if (compiled.HasError() != bLiteralError)
            return fail("the flag", i);
        if (!bLiteralError && !Same(v, vLiteral[i]))
            return fail("the value", i) << ": " << v << " vs " << vLiteral[i];
    }
    if (CRandomGenerator::GetState() != nAfter)
        return ::testing::AssertionFailure() << "the draws differ for '" << text << "'";

    CRandomGenerator::SetState(nStart);
    std::vector<double> vMany(std::size(kXs));
    const bool bManyError = compiled.EvaluateMany(text, kXs, vMany.data(), std::size(kXs));
    if (bManyError != bLiteralError)
        return fail("the flag of the batch", 0);
    for (std::size_t i = 0; i < std::size(kXs) && !bLiteralError; ++i)
        if (!Same(vMany[i], vLiteral[i]))
            return fail("the batch value", i) << ": " << vMany[i] << " vs " << vLiteral[i];
    if (CRandomGenerator::GetState() != nAfter)
        return ::testing::AssertionFailure() << "the batch's draws differ for '" << text << "'";
    return ::testing::AssertionSuccess();
}

TEST(CompiledForm, MatchesTheLiteralWalkOnGeneratedTexts)
{
    std::mt19937 rng(1208);
    CExprEvaluator compiled;
    CExprEvaluator literal;
    // 100,000 texts: well-formed, quirky or malformed, and plain bytes.
    for (int i = 0; i < 100000; ++i)
    {
        std::string text;
        switch (i % 5)
        {
        case 0:
        case 1:
            text = RandomWellFormed(rng);
            break;
        case 2:
        case 3:
            text = RandomPieces(rng);
            break;
        default:
            text = RandomBytes(rng);
            break;
        }
        ASSERT_TRUE(SameAsLiteral(compiled, literal, text));
    }
}

TEST(CompiledForm, MatchesTheLiteralWalkOnTheLanguagesEdgeCases)
{
    const char* const kTexts[] = {
        "1-2-3",    "8/2/2",     "8/2*4",       "2^3^2",
        "2*3-4*5",  "-X^2",      "2*-3",        "2^-1",
        "2/-4",     "50%200",    "50%",         "10%20+30",
        "*5",       "^0",        "()",          "SIN()",
        "SIN-X)",   "1/0",       "0/0",         "",
        "X",        "-X",        "+X",          "-0*X",
        "X-X",      "0-X",       "-X+0",        "X*0",
        "(-X)*0+0", "RAND(1)",   "RAND(X)",     "RAND(1)-RAND(2)*RAND(3)",
        "RAND(",    "RAND(1)X",  "2X+RAND(1)",  "FOO(RAND(1))",
        "SIN(X",    "2E3",       "1.2.3",       ".",
        "X^0.5",    "(X)(X)",    "LN(X)-LN(X)", "SQRT(X)^2",
        "ABS(X)/X", "SIGN(X)*0", "COSEC(X)",    "2^3/4*8",
        "X/X/X*X",  "X%X%X",     "1+(2",        "X)",
        "-(-(-X))",
    };
    CExprEvaluator compiled;
    CExprEvaluator literal;
    for (const char* pszText : kTexts)
        EXPECT_TRUE(SameAsLiteral(compiled, literal, pszText));
}

TEST(CompiledForm, KnownOperandsAreFoldedAndRandIsNot)
{
    CExprEvaluator ev;
    EXPECT_EQ(ev.Compile("SIN(PI/2)*2+LOG(1000)").GetOperationCount(), 0u);
    EXPECT_EQ(ev.Compile("FOO(X)").GetOperationCount(), 0u);
    CExprProgram& rand = ev.Compile("RAND(1)+RAND(1)");
    EXPECT_TRUE(rand.UsesRandom());
    EXPECT_EQ(rand.GetOperationCount(), 3u); // two draws and their sum
    // The compiled form is kept while the text stays the same.
    CExprProgram* pFirst = &ev.Compile("X*X");
    EXPECT_EQ(&ev.Compile("X*X"), pFirst);
}

TEST(CompiledForm, DeepTextsRaiseTheFlagAsTheLiteralWalkDoes)
{
    const int k = CExprEvaluator::kMaxDepth;
    const std::string ok = std::string(k - 1, '(') + "X" + std::string(k - 1, ')');
    const std::string deep = "(" + ok + ")";
    CExprEvaluator ev;
    EXPECT_EQ(ev.EvaluateAt(ok, 3.0), 3.0);
    EXPECT_FALSE(ev.HasError());
    ev.EvaluateAt(deep, 3.0);
    EXPECT_TRUE(ev.HasError());
    ev.EvaluateLiteral(deep, 3.0);
    EXPECT_TRUE(ev.HasError());
}

} // namespace
