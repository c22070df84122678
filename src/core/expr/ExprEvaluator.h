// The expression engine: reads the text of a function of X by recursive
// descent directly on the text, with no tokens and no tree. The same walk,
// run once per text with symbolic values, compiles the text into the list of
// operations that later evaluations run (ExprProgram.h).
#pragma once

#include "core/expr/ExprProgram.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The one random generator of the program, shared by every RAND of every
// function and graph. Its state starts at 1 and is never reseeded by the
// program itself; the accessors exist for the tests.
class CRandomGenerator
{
public:
    static std::uint32_t Next(); // 0 .. 32767
    static std::uint32_t GetState();
    static void SetState(std::uint32_t s);
};

class CExprEvaluator
{
public:
    CExprEvaluator();
    virtual ~CExprEvaluator();

    CExprEvaluator(const CExprEvaluator&) = delete;
    CExprEvaluator& operator=(const CExprEvaluator&) = delete;

    // Value of strExpression at x. Afterwards HasError() tells whether the
    // text was malformed; the value is meaningless then. The caller's text is
    // never changed. Runs the compiled form of the text, compiled on the
    // first call with a new text.
    double EvaluateAt(const std::string& strExpression, double x);

    // The same by reading the text itself, step by step: the reference the
    // compiled form must match bit for bit.
    double EvaluateLiteral(const std::string& strExpression, double x);

    // pY[i] = EvaluateAt(strExpression, pX[i]) for i from 0 to n - 1, in
    // order; returns the error flag, which is the same at every X.
    bool EvaluateMany(const std::string& strExpression, const double* pX, double* pY,
                      std::size_t n);

    // The compiled form of a text, kept until another text is compiled.
    CExprProgram& Compile(const std::string& strExpression);

    bool HasError() const { return m_bError; }
    char GetDecimalPoint() const { return m_chDecimalPoint; }

    // Removes every space (code 32) and upper-cases a to z, in place.
    static void NormalizeExpression(std::string& strText);

    // The built-in functions of one argument; unknown names are worth 0.
    static double ApplyFunction(std::string_view strName, double x);

    // Deepest nesting of evaluation steps a text may need. A text that goes
    // deeper is malformed: it raises the error flag instead of exhausting the
    // stack. One level costs at most about 300 bytes of stack in an optimised
    // build (about 1.3 KB under the sanitizers), so 2000 levels stay within
    // 0.6 MB, well inside the 1 MB main-thread stack of the smallest platform
    // we target. Every operator and parenthesis adds at most one level, so no
    // text a person types comes near it.
    static constexpr int kMaxDepth = 2000;

private:
    // A part of the normalised text: [m_nBegin, m_nEnd). Every text the
    // readers hand on is a contiguous piece of the normalised expression, so
    // positions are kept as indices into that one string.
    struct CSpan
    {
        std::size_t m_nBegin;
        std::size_t m_nEnd;
    };

    struct CLiteralDomain;
    struct CCompileDomain;

    double ReadNumber(const CSpan& text, std::size_t& pos) const;
    CSpan ReadIdentifier(const CSpan& text, std::size_t& pos) const;
    CSpan ExtractGroup(const CSpan& text, std::size_t& pos);
    char ScanSegment(const CSpan& text, CSpan& segment, bool bMulDivStop, std::size_t& pos) const;

    // The walk over the text. TDomain says what a value is: a number for the
    // literal evaluation, a slot of a program being recorded for compiling.
    template <class TDomain>
    typename TDomain::Value EvalFrom(TDomain& dom, const CSpan& text, std::size_t start);
    template <class TDomain>
    typename TDomain::Value CallFunction(TDomain& dom, const CSpan& name, const CSpan& argument);
    template <class TDomain>
    typename TDomain::Value EvalDivision(TDomain& dom, typename TDomain::Value left,
                                         const CSpan& text, std::size_t pos);
    template <class TDomain>
    typename TDomain::Value EvalPower(TDomain& dom, typename TDomain::Value left, const CSpan& text,
                                      std::size_t pos);

    // Normalises the text and builds its index, unless it is the text
    // already prepared. Returns false when the text is too long to index.
    bool PrepareText(std::string strText);
    void PrepareIndex();
    bool IsIdentStart(char c) const;
    bool IsIdentChar(char c) const;
    bool IsNumberChar(char c) const;

    double m_dX = 0.0;
    char m_chDecimalPoint = '.';
    const std::string m_strIdentStart;
    const std::string m_strNumberChars;
    const std::string m_strIdentChars;
    bool m_bError = false;

    // Scratch state of the evaluation under way, reused from call to call so
    // that an evaluation allocates nothing once the buffers have grown.
    std::string m_strText;                    // the normalised text
    std::vector<std::int32_t> m_vDepth;       // parenthesis depth before each index
    std::vector<std::uint32_t> m_vGroupEnd;   // first later index of lower depth
    std::vector<std::uint32_t> m_vNextAddSub; // next '+'/'-' at the same depth
    std::vector<std::uint32_t> m_vNextArith;  // next '+','-','*','/' at the same depth
    std::vector<std::uint32_t> m_vLevelScratch;
    int m_nDepth = 0;

    // The compiled form of m_strCompiledSource (the text as typed).
    std::unique_ptr<CExprProgram> m_pProgram;
    std::string m_strCompiledSource;
};
