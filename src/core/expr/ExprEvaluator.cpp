#include "core/expr/ExprEvaluator.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <exception>
#include <limits>
#include <system_error>

namespace
{

constexpr double kEuler = 2.718281828459045;
constexpr double kPi = 3.141592653589793;

// The state of the one generator of the program.
std::uint32_t g_nRandState = 1;

// Index meaning "no such position": beyond every position of any text the
// engine accepts.
constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

// Texts longer than this cannot be indexed with 32-bit positions; they are
// treated as malformed.
constexpr std::size_t kMaxTextLength = std::numeric_limits<std::int32_t>::max() / 2;

// Reads a number token of digits and points: the point is the decimal
// separator, a second point ends the value, "5." is 5 and ".5" is 0.5, and a
// token with no digit before its second point is worth 0. Overflow gives
// +infinity and underflow 0, as the C library's conversion does.
double ConvertNumber(const char* pBegin, const char* pEnd)
{
    const char* p = pBegin;
    bool bNonZeroInteger = false;
    while (p != pEnd && *p != '.')
        bNonZeroInteger |= (*p++ != '0');
    if (p != pEnd)
    {
        ++p; // the separator
        while (p != pEnd && *p != '.')
            ++p;
    }
    double dValue = 0.0;
    const std::from_chars_result res = std::from_chars(pBegin, p, dValue, std::chars_format::fixed);
    if (res.ec == std::errc::result_out_of_range)
        return bNonZeroInteger ? std::numeric_limits<double>::infinity() : 0.0;
    if (res.ec != std::errc())
        return 0.0;
    return dValue;
}

} // namespace

std::uint32_t CRandomGenerator::Next()
{
    g_nRandState = g_nRandState * 214013u + 2531011u;
    return (g_nRandState >> 16) & 32767u;
}

std::uint32_t CRandomGenerator::GetState()
{
    return g_nRandState;
}

void CRandomGenerator::SetState(std::uint32_t s)
{
    g_nRandState = s;
}

CExprEvaluator::CExprEvaluator()
    : m_strIdentStart("ABCDEFGHIJKLMNOPQRSTUVWXYZ_"), m_strNumberChars("0123456789."),
      m_strIdentChars("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_")
{
    // The user's decimal separator, as selected by the application at
    // start-up. Inside expressions the point always stands for it.
    const std::lconv* pConv = std::localeconv();
    if (pConv != nullptr && pConv->decimal_point != nullptr && pConv->decimal_point[0] != '\0')
        m_chDecimalPoint = pConv->decimal_point[0];
}

CExprEvaluator::~CExprEvaluator() = default;

void CExprEvaluator::NormalizeExpression(std::string& strText)
{
    std::size_t nOut = 0;
    for (char c : strText)
    {
        if (c == ' ')
            continue;
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        strText[nOut++] = c;
    }
    strText.resize(nOut);
}

bool CExprEvaluator::IsIdentStart(char c) const
{
    return m_strIdentStart.find(c) != std::string::npos;
}

bool CExprEvaluator::IsIdentChar(char c) const
{
    return m_strIdentChars.find(c) != std::string::npos;
}

bool CExprEvaluator::IsNumberChar(char c) const
{
    return m_strNumberChars.find(c) != std::string::npos;
}

// The literal evaluation: values are numbers, computed as the walk goes.
struct CExprEvaluator::CLiteralDomain
{
    using Value = double;
    double m_dX;

    Value Constant(double d) const { return d; }
    Value X() const { return m_dX; }
    Value Binary(CExprProgram::EOp op, Value a, Value b) const
    {
        return CExprProgram::EvaluateBinary(op, a, b);
    }
    Value Function(CExprProgram::EOp op, Value a) const
    {
        return CExprProgram::EvaluateFunction(op, a);
    }
};

// The compiling walk: values are slots of the program being recorded.
struct CExprEvaluator::CCompileDomain
{
    using Value = CExprProgram::Slot;
    CExprProgram& m_program;

    Value Constant(double d) const { return m_program.Constant(d); }
    Value X() const { return CExprProgram::kSlotX; }
    Value Binary(CExprProgram::EOp op, Value a, Value b) const
    {
        return m_program.Binary(op, a, b);
    }
    Value Function(CExprProgram::EOp op, Value a) const { return m_program.Function(op, a); }
};

bool CExprEvaluator::PrepareText(std::string strText)
{
    NormalizeExpression(strText);
    if (strText.size() > kMaxTextLength)
        return false;
    if (strText != m_strText || m_vDepth.size() != m_strText.size() + 1)
    {
        m_vDepth.clear(); // marks the index as not built until it is
        m_strText = std::move(strText);
        PrepareIndex();
    }
    return true;
}

double CExprEvaluator::EvaluateLiteral(const std::string& strExpression, double x)
{
    m_bError = false;
    try
    {
        if (!PrepareText(strExpression))
        {
            m_bError = true;
            return 0.0;
        }
        m_dX = x;
        m_nDepth = 0;
        CLiteralDomain dom{x};
        return EvalFrom(dom, CSpan{0, m_strText.size()}, 0);
    }
    catch (const std::exception&)
    {
        // Out of memory while the buffers grow: this X gets 0, and the next
        // call starts afresh.
        m_vDepth.clear();
        m_nDepth = 0;
        return 0.0;
    }
}

CExprProgram& CExprEvaluator::Compile(const std::string& strExpression)
{
    if (m_pProgram && strExpression == m_strCompiledSource)
        return *m_pProgram;
    m_pProgram.reset();
    auto pProgram = std::make_unique<CExprProgram>();
    m_bError = false;
    if (!PrepareText(strExpression))
    {
        pProgram->Finish(CExprProgram::kSlotX, true);
    }
    else
    {
        m_nDepth = 0;
        CCompileDomain dom{*pProgram};
        const CExprProgram::Slot result = EvalFrom(dom, CSpan{0, m_strText.size()}, 0);
        pProgram->Finish(result, m_bError);
    }
    m_strCompiledSource = strExpression;
    m_pProgram = std::move(pProgram);
    return *m_pProgram;
}

double CExprEvaluator::EvaluateAt(const std::string& strExpression, double x)
{
    m_bError = false;
    try
    {
        CExprProgram& program = Compile(strExpression);
        m_dX = x;
        const double value = program.Run(x);
        m_bError = program.HasError();
        return value;
    }
    catch (const std::exception&)
    {
        m_vDepth.clear();
        m_nDepth = 0;
        return 0.0;
    }
}

bool CExprEvaluator::EvaluateMany(const std::string& strExpression, const double* pX, double* pY,
                                  std::size_t n)
{
    m_bError = false;
    try
    {
        CExprProgram& program = Compile(strExpression);
        program.RunMany(pX, pY, n);
        if (n > 0)
            m_dX = pX[n - 1];
        m_bError = program.HasError();
    }
    catch (const std::exception&)
    {
        // As EvaluateAt: out of memory gives 0 at these X.
        m_vDepth.clear();
        m_nDepth = 0;
        std::fill_n(pY, n, 0.0);
    }
    return m_bError;
}

// Builds, for the normalised text, the tables that let the readers find the
// end of a group or segment without walking it character by character. The
// answers are exactly those of the walks the readers describe; they only
// spare a nested text from being walked once for every level it sits in.
void CExprEvaluator::PrepareIndex()
{
    const std::string& s = m_strText;
    const std::size_t n = s.size();

    m_vDepth.assign(n + 1, 0);
    for (std::size_t i = 0; i < n; ++i)
        m_vDepth[i + 1] = m_vDepth[i] + (s[i] == '(') - (s[i] == ')');

    // Depths lie in [-n, n]; level d is kept at index d + n + 1, so that
    // level -n - 1 (one below the lowest) is index 0.
    const std::size_t nLevels = 2 * n + 2;
    auto level = [n](std::int32_t d)
    { return static_cast<std::size_t>(d + static_cast<std::int32_t>(n) + 1); };

    // First later index whose depth is one lower: where a group opened just
    // before index i is closed.
    m_vGroupEnd.assign(n + 1, kNone);
    m_vLevelScratch.assign(nLevels, kNone);
    for (std::size_t i = n + 1; i-- > 0;)
    {
        m_vGroupEnd[i] = m_vLevelScratch[level(m_vDepth[i] - 1)];
        m_vLevelScratch[level(m_vDepth[i])] = static_cast<std::uint32_t>(i);
    }

    // Next stop character at or after index i at the same depth.
    auto buildStops = [&](std::vector<std::uint32_t>& vNext, bool bMulDiv)
    {
        vNext.assign(n + 1, kNone);
        m_vLevelScratch.assign(nLevels, kNone);
        for (std::size_t i = n; i-- > 0;)
        {
            const char c = s[i];
            if (c == '+' || c == '-' || (bMulDiv && (c == '*' || c == '/')))
                m_vLevelScratch[level(m_vDepth[i])] = static_cast<std::uint32_t>(i);
            vNext[i] = m_vLevelScratch[level(m_vDepth[i])];
        }
    };
    buildStops(m_vNextAddSub, false);
    buildStops(m_vNextArith, true);
}

double CExprEvaluator::ReadNumber(const CSpan& text, std::size_t& pos) const
{
    const std::size_t nStart = pos;
    while (pos < text.m_nEnd && IsNumberChar(m_strText[pos]))
        ++pos;
    return ConvertNumber(m_strText.data() + nStart, m_strText.data() + pos);
}

CExprEvaluator::CSpan CExprEvaluator::ReadIdentifier(const CSpan& text, std::size_t& pos) const
{
    const std::size_t nStart = pos;
    while (pos < text.m_nEnd && IsIdentChar(m_strText[pos]))
        ++pos;
    return CSpan{nStart, pos};
}

// pos is on the character that opens the group; it is stepped over without
// being examined. Returns the text up to the matching ')', which pos ends
// just after. Reaching the end of the text first is malformed.
CExprEvaluator::CSpan CExprEvaluator::ExtractGroup(const CSpan& text, std::size_t& pos)
{
    const std::size_t nStart = pos + 1;
    if (nStart >= text.m_nEnd)
    {
        m_bError = true;
        pos = nStart + 1;
        const std::size_t nAt = std::min(nStart, text.m_nEnd);
        return CSpan{nAt, nAt};
    }
    const std::uint32_t nClose = m_vGroupEnd[nStart]; // index after the closing ')'
    if (nClose == kNone || nClose > text.m_nEnd)
    {
        m_bError = true;
        pos = text.m_nEnd + 1;
        return CSpan{nStart, text.m_nEnd};
    }
    pos = nClose;
    return CSpan{nStart, static_cast<std::size_t>(nClose) - 1};
}

// pos is on an operator. Collects the text after it up to the next stop
// character outside parentheses ('+' and '-', and with bMulDivStop also '*'
// and '/'), leaving pos on that character, or at the end of the text.
// Returns the stop character, or '!' at the end.
char CExprEvaluator::ScanSegment(const CSpan& text, CSpan& segment, bool bMulDivStop,
                                 std::size_t& pos) const
{
    const std::size_t nStart = pos + 1;
    const std::uint32_t nStop =
        nStart < text.m_nEnd ? (bMulDivStop ? m_vNextArith : m_vNextAddSub)[nStart] : kNone;
    if (nStop == kNone || nStop >= text.m_nEnd)
    {
        segment = CSpan{std::min(nStart, text.m_nEnd), text.m_nEnd};
        pos = text.m_nEnd;
        return '!';
    }
    segment = CSpan{nStart, nStop};
    pos = nStop;
    return m_strText[nStop];
}

template <class TDomain>
typename TDomain::Value CExprEvaluator::EvalFrom(TDomain& dom, const CSpan& text, std::size_t start)
{
    using CExprProgram::OP_ADD, CExprProgram::OP_SUB, CExprProgram::OP_MUL;
    if (m_bError || start >= text.m_nEnd)
        return dom.Constant(0.0);
    if (m_nDepth >= kMaxDepth)
    {
        m_bError = true;
        return dom.Constant(0.0);
    }
    struct CDepthGuard
    {
        int& m_nRef;
        explicit CDepthGuard(int& n) : m_nRef(n) { ++m_nRef; }
        ~CDepthGuard() { --m_nRef; }
    } guard(m_nDepth);

    std::size_t pos = start;
    typename TDomain::Value value{};
    bool bOperand = true;

    const char c = m_strText[pos];
    if (c == '(')
    {
        const CSpan group = ExtractGroup(text, pos);
        value = EvalFrom(dom, group, group.m_nBegin);
    }
    else if (IsIdentStart(c))
    {
        const CSpan name = ReadIdentifier(text, pos);
        const std::string_view strName(m_strText.data() + name.m_nBegin,
                                       name.m_nEnd - name.m_nBegin);
        if (strName == "X")
            value = dom.X();
        else if (strName == "E")
            value = dom.Constant(kEuler);
        else if (strName == "PI")
            value = dom.Constant(kPi);
        else
        {
            const CSpan argument = ExtractGroup(text, pos);
            value = CallFunction(dom, name, argument);
        }
    }
    else if (IsNumberChar(c))
    {
        value = dom.Constant(ReadNumber(text, pos));
    }
    else
    {
        bOperand = false; // a leading sign applies to 0
    }
    if (!bOperand)
        value = dom.Constant(0.0);

    if (pos >= text.m_nEnd)
        return value;

    const auto left = value;
    CSpan segment{};
    switch (m_strText[pos])
    {
    case '+':
    {
        const auto rest = EvalFrom(dom, text, pos + 1);
        return dom.Binary(OP_ADD, rest, left);
    }
    case '-':
    {
        ScanSegment(text, segment, false, pos);
        const auto d = dom.Binary(OP_SUB, left, EvalFrom(dom, segment, segment.m_nBegin));
        const auto rest = EvalFrom(dom, text, pos);
        return dom.Binary(OP_ADD, rest, d);
    }
    case '*':
    {
        ScanSegment(text, segment, false, pos);
        const auto p = dom.Binary(OP_MUL, EvalFrom(dom, segment, segment.m_nBegin), left);
        const auto rest = EvalFrom(dom, text, pos);
        return dom.Binary(OP_ADD, rest, p);
    }
    case '/':
        return EvalDivision(dom, left, text, pos);
    case '^':
        return EvalPower(dom, left, text, pos);
    case '%':
    {
        const auto rest = EvalFrom(dom, text, pos + 1);
        return dom.Binary(OP_MUL, dom.Binary(OP_MUL, rest, dom.Constant(0.01)), left);
    }
    default:
        m_bError = true;
        return left;
    }
}

template <class TDomain>
typename TDomain::Value CExprEvaluator::CallFunction(TDomain& dom, const CSpan& name,
                                                     const CSpan& argument)
{
    const auto value = EvalFrom(dom, argument, argument.m_nBegin);
    return dom.Function(CExprProgram::FunctionOp(std::string_view(m_strText.data() + name.m_nBegin,
                                                                  name.m_nEnd - name.m_nBegin)),
                        value);
}

template <class TDomain>
typename TDomain::Value CExprEvaluator::EvalDivision(TDomain& dom, typename TDomain::Value left,
                                                     const CSpan& text, std::size_t pos)
{
    using CExprProgram::OP_ADD, CExprProgram::OP_DIV, CExprProgram::OP_MUL;
    auto acc = left;
    CSpan segment{};
    char c = ScanSegment(text, segment, true, pos);
    while (c == '/')
    {
        acc = dom.Binary(OP_DIV, acc, EvalFrom(dom, segment, segment.m_nBegin));
        c = ScanSegment(text, segment, true, pos);
    }
    acc = dom.Binary(OP_DIV, acc, EvalFrom(dom, segment, segment.m_nBegin));
    if (c == '*')
    {
        ScanSegment(text, segment, false, pos);
        acc = dom.Binary(OP_MUL, EvalFrom(dom, segment, segment.m_nBegin), acc);
    }
    const auto rest = EvalFrom(dom, text, pos);
    return dom.Binary(OP_ADD, rest, acc);
}

template <class TDomain>
typename TDomain::Value CExprEvaluator::EvalPower(TDomain& dom, typename TDomain::Value left,
                                                  const CSpan& text, std::size_t pos)
{
    using CExprProgram::OP_ADD, CExprProgram::OP_POW, CExprProgram::OP_MUL;
    CSpan segment{};
    const char c = ScanSegment(text, segment, true, pos);
    auto acc = dom.Binary(OP_POW, left, EvalFrom(dom, segment, segment.m_nBegin));
    if (c == '/')
        return EvalDivision(dom, acc, text, pos);
    if (c == '*')
    {
        ScanSegment(text, segment, false, pos);
        acc = dom.Binary(OP_MUL, EvalFrom(dom, segment, segment.m_nBegin), acc);
    }
    const auto rest = EvalFrom(dom, text, pos);
    return dom.Binary(OP_ADD, rest, acc);
}

double CExprEvaluator::ApplyFunction(std::string_view strName, double x)
{
    return CExprProgram::EvaluateFunction(CExprProgram::FunctionOp(strName), x);
}
