#include "core/doc/TextEncoding.h"

#include <array>
#include <cstdint>

namespace
{

// Code points of the bytes 0x80 to 0x9F; the others are their own.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t ByteToCodePoint(unsigned char c)
{
    if (c >= 0x80 && c <= 0x9F)
    {
        return kHighControls[c - 0x80];
    }
    return c;
}

char CodePointToByte(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
    {
        return static_cast<char>(cp);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
    {
        if (kHighControls[i] == cp)
        {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

void AppendUtf8(std::string& strOut, char32_t cp)
{
    if (cp < 0x80)
    {
        strOut += static_cast<char>(cp);
    }
    else if (cp < 0x800)
    {
        strOut += static_cast<char>(0xC0 | (cp >> 6));
        strOut += static_cast<char>(0x80 | (cp & 0x3F));
    }
    else
    {
        // Windows-1252 reaches no further than the Basic Multilingual Plane.
        strOut += static_cast<char>(0xE0 | (cp >> 12));
        strOut += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        strOut += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at strText[pos]; returns its length, or 0 when
// the bytes there are not a valid, shortest-form sequence.
std::size_t DecodeUtf8(std::string_view strText, std::size_t pos, char32_t& cp)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(strText[i]); };
    const unsigned char c = byte(pos);
    std::size_t nLength = 0;
    char32_t cpMin = 0;
    if (c < 0x80)
    {
        cp = c;
        return 1;
    }
    if ((c & 0xE0) == 0xC0)
    {
        nLength = 2;
        cp = c & 0x1F;
        cpMin = 0x80;
    }
    else if ((c & 0xF0) == 0xE0)
    {
        nLength = 3;
        cp = c & 0x0F;
        cpMin = 0x800;
    }
    else if ((c & 0xF8) == 0xF0)
    {
        nLength = 4;
        cp = c & 0x07;
        cpMin = 0x10000;
    }
    else
    {
        return 0;
    }
    if (strText.size() - pos < nLength)
    {
        return 0;
    }
    for (std::size_t i = 1; i < nLength; ++i)
    {
        const unsigned char cc = byte(pos + i);
        if ((cc & 0xC0) != 0x80)
        {
            return 0;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    if (cp < cpMin || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
    {
        return 0;
    }
    return nLength;
}

} // namespace

std::string Cp1252ToUtf8(std::string_view strText)
{
    std::string strOut;
    strOut.reserve(strText.size());
    for (const char c : strText)
    {
        AppendUtf8(strOut, ByteToCodePoint(static_cast<unsigned char>(c)));
    }
    return strOut;
}

std::string Utf8ToCp1252(std::string_view strText)
{
    std::string strOut;
    strOut.reserve(strText.size());
    std::size_t pos = 0;
    while (pos < strText.size())
    {
        char32_t cp = 0;
        const std::size_t nLength = DecodeUtf8(strText, pos, cp);
        if (nLength == 0)
        {
            strOut += '?';
            ++pos;
        }
        else
        {
            strOut += CodePointToByte(cp);
            pos += nLength;
        }
    }
    return strOut;
}

std::string Utf16ToCp1252(std::u16string_view strText)
{
    std::string strOut;
    strOut.reserve(strText.size());
    std::size_t pos = 0;
    while (pos < strText.size())
    {
        const char16_t u = strText[pos];
        if (u >= 0xD800 && u <= 0xDBFF && pos + 1 < strText.size() && strText[pos + 1] >= 0xDC00 &&
            strText[pos + 1] <= 0xDFFF)
        {
            // A character beyond the Basic Multilingual Plane: never in the code page.
            strOut += '?';
            pos += 2;
            continue;
        }
        strOut += (u >= 0xD800 && u <= 0xDFFF) ? '?' : CodePointToByte(u);
        ++pos;
    }
    return strOut;
}
