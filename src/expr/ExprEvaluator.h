// The expression engine: evaluates the text of a function of X by recursive
// descent directly on the text, with no tokens and no tree.
#pragma once

#include <cstddef>
#include <cstdint>
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
    // text was malformed; the value is meaningless then.
    double EvaluateAt(std::string strExpression, double x);

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

    double ReadNumber(const CSpan& text, std::size_t& pos) const;
    CSpan ReadIdentifier(const CSpan& text, std::size_t& pos) const;
    CSpan ExtractGroup(const CSpan& text, std::size_t& pos);
    char ScanSegment(const CSpan& text, CSpan& segment, bool bMulDivStop, std::size_t& pos) const;

    double EvalFrom(const CSpan& text, std::size_t start);
    double CallFunction(const CSpan& name, const CSpan& argument);
    double EvalDivision(double left, const CSpan& text, std::size_t pos);
    double EvalPower(double left, const CSpan& text, std::size_t pos);

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
};
