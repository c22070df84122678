#include "core/doc/DialogValues.h"

#include <cctype>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "res/EditDialogs.h"

namespace
{

std::string FormatWithPrintf(const char* pszFormat, auto value)
{
    char szBuffer[64];
    const int nLength = std::snprintf(szBuffer, sizeof szBuffer, pszFormat, value);
    if (nLength < 0)
    {
        return {};
    }
    if (static_cast<std::size_t>(nLength) < sizeof szBuffer)
    {
        return std::string(szBuffer, static_cast<std::size_t>(nLength));
    }
    // A bound like 1e300 has more than 300 digits before the separator.
    std::string str(static_cast<std::size_t>(nLength) + 1, '\0');
    std::snprintf(str.data(), str.size(), pszFormat, value);
    str.resize(static_cast<std::size_t>(nLength));
    return str;
}

bool IsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

// Index of the first character after the leading white space.
std::size_t SkipSpace(const std::string& str)
{
    std::size_t i = 0;
    while (i < str.size() && std::isspace(static_cast<unsigned char>(str[i])))
    {
        ++i;
    }
    return i;
}

std::size_t SkipDigits(const std::string& str, std::size_t i)
{
    while (i < str.size() && IsDigit(str[i]))
    {
        ++i;
    }
    return i;
}

} // namespace

std::string FormatParamValue(double dValue)
{
    return FormatWithPrintf("%02.8f", dValue);
}

std::string FormatDivisions(std::int32_t nValue)
{
    return FormatWithPrintf("%02d", static_cast<int>(nValue));
}

double ParseNumber(const std::string& strText)
{
    const std::size_t nStart = SkipSpace(strText);
    std::size_t i = nStart;
    if (i < strText.size() && (strText[i] == '+' || strText[i] == '-'))
    {
        ++i;
    }
    const std::size_t nIntStart = i;
    i = SkipDigits(strText, i);
    std::size_t nDigits = i - nIntStart;

    const char* pszPoint = std::localeconv()->decimal_point;
    const std::size_t nPointLength = pszPoint != nullptr ? std::strlen(pszPoint) : 0;
    if (nPointLength > 0 && strText.compare(i, nPointLength, pszPoint) == 0)
    {
        const std::size_t nFracStart = i + nPointLength;
        const std::size_t nFracEnd = SkipDigits(strText, nFracStart);
        if (nDigits + (nFracEnd - nFracStart) > 0)
        {
            nDigits += nFracEnd - nFracStart;
            i = nFracEnd;
        }
    }
    if (nDigits == 0)
    {
        return 0.0;
    }
    if (i < strText.size() && (strText[i] == 'e' || strText[i] == 'E'))
    {
        std::size_t j = i + 1;
        if (j < strText.size() && (strText[j] == '+' || strText[j] == '-'))
        {
            ++j;
        }
        const std::size_t nExpEnd = SkipDigits(strText, j);
        if (nExpEnd > j)
        {
            i = nExpEnd;
        }
    }

    // The prefix holds nothing but a decimal number in the current locale's
    // form, which strtod reads whole and rounds correctly.
    const std::string strNumber = strText.substr(nStart, i - nStart);
    const double dValue = std::strtod(strNumber.c_str(), nullptr);
    return std::isfinite(dValue) ? dValue : 0.0;
}

std::int32_t ParseWholeNumber(const std::string& strText)
{
    std::size_t i = SkipSpace(strText);
    bool bNegative = false;
    if (i < strText.size() && (strText[i] == '+' || strText[i] == '-'))
    {
        bNegative = strText[i] == '-';
        ++i;
    }
    // Accumulated as a magnitude that stops growing once past the range.
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t nMagnitude = 0;
    for (; i < strText.size() && IsDigit(strText[i]); ++i)
    {
        if (nMagnitude <= kLimit)
        {
            nMagnitude = nMagnitude * 10 + (strText[i] - '0');
        }
    }
    const std::int64_t nValue = bNegative ? -nMagnitude : nMagnitude;
    if (nValue > std::numeric_limits<std::int32_t>::max())
    {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (nValue < std::numeric_limits<std::int32_t>::min())
    {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(nValue);
}

double ParsePiValue(const std::string& strText)
{
    constexpr double kPi = 3.141592653589793;
    struct CWord
    {
        const char* m_pszText;
        double m_dValue;
    };
    static constexpr CWord kWords[] = {
        {"PI", kPi},        {"pi", kPi},        {"-PI", -kPi},        {"-pi", -kPi},
        {"2PI", 2.0 * kPi}, {"2pi", 2.0 * kPi}, {"-2PI", -2.0 * kPi}, {"-2pi", -2.0 * kPi},
    };
    for (const CWord& word : kWords)
    {
        if (strText == word.m_pszText)
        {
            return word.m_dValue;
        }
    }
    return ParseNumber(strText);
}

COLORREF PaletteColorFromName(const std::string& strName)
{
    for (const res::CPaletteEntry& entry : res::kPalette)
    {
        if (strName == entry.m_pszName)
        {
            return entry.m_crColor;
        }
    }
    return 0;
}

int FindPaletteItem(COLORREF crColor)
{
    for (std::size_t i = 0; i < std::size(res::kPalette); ++i)
    {
        if (res::kPalette[i].m_crColor == crColor)
        {
            return static_cast<int>(i);
        }
    }
    return -1;
}
