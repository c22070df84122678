#include "expr/ExprEvaluator.h"

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

double CExprEvaluator::EvaluateAt(std::string strExpression, double x)
{
    m_bError = false;
    try
    {
        NormalizeExpression(strExpression);
        if (strExpression.size() > kMaxTextLength)
        {
            m_bError = true;
            return 0.0;
        }
        if (strExpression != m_strText || m_vDepth.size() != m_strText.size() + 1)
        {
            m_vDepth.clear(); // marks the index as not built until it is
            m_strText = std::move(strExpression);
            PrepareIndex();
        }
        m_dX = x;
        m_nDepth = 0;
        return EvalFrom(CSpan{0, m_strText.size()}, 0);
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

double CExprEvaluator::EvalFrom(const CSpan& text, std::size_t start)
{
    if (m_bError || start >= text.m_nEnd)
        return 0.0;
    if (m_nDepth >= kMaxDepth)
    {
        m_bError = true;
        return 0.0;
    }
    struct CDepthGuard
    {
        int& m_nRef;
        explicit CDepthGuard(int& n) : m_nRef(n) { ++m_nRef; }
        ~CDepthGuard() { --m_nRef; }
    } guard(m_nDepth);

    std::size_t pos = start;
    double value = 0.0;

    const char c = m_strText[pos];
    if (c == '(')
    {
        const CSpan group = ExtractGroup(text, pos);
        value = EvalFrom(group, group.m_nBegin);
    }
    else if (IsIdentStart(c))
    {
        const CSpan name = ReadIdentifier(text, pos);
        const std::string_view strName(m_strText.data() + name.m_nBegin,
                                       name.m_nEnd - name.m_nBegin);
        if (strName == "X")
            value = m_dX;
        else if (strName == "E")
            value = kEuler;
        else if (strName == "PI")
            value = kPi;
        else
        {
            const CSpan argument = ExtractGroup(text, pos);
            value = CallFunction(name, argument);
        }
    }
    else if (IsNumberChar(c))
    {
        value = ReadNumber(text, pos);
    }
    // Anything else reads no operand: a leading sign applies to 0.

    if (pos >= text.m_nEnd)
        return value;

    const double left = value;
    CSpan segment{};
    switch (m_strText[pos])
    {
    case '+':
    {
        const double rest = EvalFrom(text, pos + 1);
        return rest + left;
    }
    case '-':
    {
        ScanSegment(text, segment, false, pos);
        const double d = left - EvalFrom(segment, segment.m_nBegin);
        const double rest = EvalFrom(text, pos);
        return rest + d;
    }
    case '*':
    {
        ScanSegment(text, segment, false, pos);
        const double p = EvalFrom(segment, segment.m_nBegin) * left;
        const double rest = EvalFrom(text, pos);
        return rest + p;
    }
    case '/':
        return EvalDivision(left, text, pos);
    case '^':
        return EvalPower(left, text, pos);
    case '%':
    {
        const double rest = EvalFrom(text, pos + 1);
        return (rest * 0.01) * left;
    }
    default:
        m_bError = true;
        return left;
    }
}

double CExprEvaluator::CallFunction(const CSpan& name, const CSpan& argument)
{
    const double value = EvalFrom(argument, argument.m_nBegin);
    return ApplyFunction(
        std::string_view(m_strText.data() + name.m_nBegin, name.m_nEnd - name.m_nBegin), value);
}

double CExprEvaluator::EvalDivision(double left, const CSpan& text, std::size_t pos)
{
    double acc = left;
    CSpan segment{};
    char c = ScanSegment(text, segment, true, pos);
    while (c == '/')
    {
        acc = acc / EvalFrom(segment, segment.m_nBegin);
        c = ScanSegment(text, segment, true, pos);
    }
    acc = acc / EvalFrom(segment, segment.m_nBegin);
    if (c == '*')
    {
        ScanSegment(text, segment, false, pos);
        acc = EvalFrom(segment, segment.m_nBegin) * acc;
    }
    const double rest = EvalFrom(text, pos);
    return rest + acc;
}

double CExprEvaluator::EvalPower(double left, const CSpan& text, std::size_t pos)
{
    CSpan segment{};
    const char c = ScanSegment(text, segment, true, pos);
    double acc = std::pow(left, EvalFrom(segment, segment.m_nBegin));
    if (c == '/')
        return EvalDivision(acc, text, pos);
    if (c == '*')
    {
        ScanSegment(text, segment, false, pos);
        acc = EvalFrom(segment, segment.m_nBegin) * acc;
    }
    const double rest = EvalFrom(text, pos);
    return rest + acc;
}

double CExprEvaluator::ApplyFunction(std::string_view strName, double x)
{
    if (strName == "COS")
        return std::cos(x);
    if (strName == "SIN")
        return std::sin(x);
    if (strName == "TAN")
        return std::tan(x);
    if (strName == "ACOS")
        return std::acos(x);
    if (strName == "ASIN")
        return std::asin(x);
    if (strName == "ATAN")
        return std::atan(x);
    if (strName == "COSH")
        return std::cosh(x);
    if (strName == "SINH")
        return std::sinh(x);
    if (strName == "TANH")
        return std::tanh(x);
    if (strName == "SEC")
        return 1.0 / std::cos(x);
    if (strName == "COSEC")
        return 1.0 / std::sin(x);
    if (strName == "COTAN")
        return 1.0 / std::tan(x);
    if (strName == "ABS")
        return std::fabs(x);
    if (strName == "SQRT")
        return std::sqrt(x);
    if (strName == "LN")
        return std::log(x);
    if (strName == "LOG")
        return std::log10(x);
    if (strName == "EXP")
        return std::exp(x);
    if (strName == "RAND")
        return x * static_cast<double>(CRandomGenerator::Next());
    if (strName == "SIGN")
        return x < 0 ? -1.0 : 1.0;
    return 0.0;
}
