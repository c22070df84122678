// A small reader of Enhanced Metafiles for the tests, written from the
// published format and independent of the writer: it walks the records,
// checks that they tile the file, and decodes the few record types the plot
// drawing produces into plain values and one-line descriptions.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace emf
{

// Record types of the format.
enum : std::uint32_t
{
    kHeader = 1,
    kEof = 14,
    kSetPixelV = 15,
    kSetBkMode = 18,
    kSetRop2 = 20,
    kSetTextColor = 24,
    kMoveToEx = 27,
    kSelectObject = 37,
    kCreatePen = 38,
    kDeleteObject = 40,
    kRectangle = 43,
    kLineTo = 54,
    kExtCreateFontIndirectW = 82,
    kExtTextOutW = 84,
};

constexpr std::uint32_t kSignature = 0x464D4520; // " EMF"
constexpr std::uint32_t kStockObject = 0x80000000;

struct CRect
{
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const CRect&) const = default;
};

struct CRecord
{
    std::uint32_t m_nType = 0;
    std::size_t m_nOffset = 0; // in the file
    std::vector<std::uint8_t> m_vData;

    std::uint32_t U32(std::size_t n) const
    {
        std::uint32_t v = 0;
        if (n + 4 <= m_vData.size())
        {
            v = static_cast<std::uint32_t>(m_vData[n]) |
                (static_cast<std::uint32_t>(m_vData[n + 1]) << 8) |
                (static_cast<std::uint32_t>(m_vData[n + 2]) << 16) |
                (static_cast<std::uint32_t>(m_vData[n + 3]) << 24);
        }
        return v;
    }
    std::int32_t I32(std::size_t n) const { return static_cast<std::int32_t>(U32(n)); }
    std::uint16_t U16(std::size_t n) const
    {
        return n + 2 <= m_vData.size()
                   ? static_cast<std::uint16_t>(m_vData[n] | (m_vData[n + 1] << 8))
                   : 0;
    }
    std::uint8_t U8(std::size_t n) const { return n < m_vData.size() ? m_vData[n] : 0; }
    float F32(std::size_t n) const
    {
        const std::uint32_t bits = U32(n);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    CRect Rect(std::size_t n) const { return CRect{I32(n), I32(n + 4), I32(n + 8), I32(n + 12)}; }
    std::u16string Utf16(std::size_t n, std::size_t nUnits) const
    {
        std::u16string str;
        for (std::size_t i = 0; i < nUnits; ++i)
        {
            str += static_cast<char16_t>(U16(n + 2 * i));
        }
        return str;
    }
};

// UTF-16 to UTF-8, for comparing texts.
inline std::string ToUtf8(const std::u16string& str)
{
    std::string out;
    for (std::size_t i = 0; i < str.size(); ++i)
    {
        std::uint32_t c = str[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < str.size() && str[i + 1] >= 0xDC00 &&
            str[i + 1] < 0xE000)
        {
            c = 0x10000 + ((c - 0xD800) << 10) + (str[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x80)
        {
            out += static_cast<char>(c);
        }
        else if (c < 0x800)
        {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        else if (c < 0x10000)
        {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        else
        {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

struct CHeader
{
    CRect m_rclBounds;
    CRect m_rclFrame;
    std::uint32_t m_nSignature = 0;
    std::uint32_t m_nVersion = 0;
    std::uint32_t m_nBytes = 0;
    std::uint32_t m_nRecords = 0;
    std::uint16_t m_nHandles = 0;
    std::uint16_t m_nReserved = 0;
    std::uint32_t m_nDescription = 0;
    std::uint32_t m_offDescription = 0;
    std::u16string m_strDescription; // nDescription units, NULs included
    std::int32_t m_nDeviceCx = 0, m_nDeviceCy = 0;
    std::int32_t m_nMillimetersCx = 0, m_nMillimetersCy = 0;
};

struct CText
{
    std::int32_t x = 0, y = 0;
    std::string m_strText;
    std::vector<std::int32_t> m_vDx;
    CRect m_rclBounds;
    std::uint32_t m_nGraphicsMode = 0;
    std::uint32_t m_fOptions = 0;
};

struct CLogFont
{
    std::uint32_t m_nIndex = 0;
    std::int32_t m_nHeight = 0, m_nWidth = 0, m_nEscapement = 0, m_nOrientation = 0, m_nWeight = 0;
    std::uint8_t m_nItalic = 0, m_nUnderline = 0, m_nStrikeOut = 0, m_nCharSet = 0;
    std::uint8_t m_nOutPrecision = 0, m_nClipPrecision = 0, m_nQuality = 0, m_nPitchAndFamily = 0;
    std::string m_strFace;
};

struct CPen
{
    std::uint32_t m_nIndex = 0;
    std::uint32_t m_nStyle = 0;
    std::int32_t m_nWidth = 0;
    std::uint32_t m_crColor = 0; // red in the lowest byte
};

class CFile
{
public:
    // Empty on success, else what is wrong with the file.
    std::string Parse(const std::vector<std::uint8_t>& vBytes)
    {
        m_vRecords.clear();
        std::size_t nPos = 0;
        while (nPos < vBytes.size())
        {
            if (vBytes.size() - nPos < 8)
            {
                return "a record header runs past the end at " + std::to_string(nPos);
            }
            CRecord head;
            head.m_vData.assign(vBytes.begin() + nPos, vBytes.begin() + nPos + 8);
            const std::uint32_t nSize = head.U32(4);
            if (nSize < 8 || nSize % 4 != 0 || nSize > vBytes.size() - nPos)
            {
                return "record at " + std::to_string(nPos) + " has the bad size " +
                       std::to_string(nSize);
            }
            CRecord record;
            record.m_nType = head.U32(0);
            record.m_nOffset = nPos;
            record.m_vData.assign(vBytes.begin() + nPos, vBytes.begin() + nPos + nSize);
            m_vRecords.push_back(std::move(record));
            nPos += nSize;
        }
        if (m_vRecords.empty() || m_vRecords.front().m_nType != kHeader)
        {
            return "the file does not start with a header";
        }
        if (m_vRecords.back().m_nType != kEof)
        {
            return "the file does not end with an end-of-file record";
        }
        const CRecord& h = m_vRecords.front();
        m_header.m_rclBounds = h.Rect(8);
        m_header.m_rclFrame = h.Rect(24);
        m_header.m_nSignature = h.U32(40);
        m_header.m_nVersion = h.U32(44);
        m_header.m_nBytes = h.U32(48);
        m_header.m_nRecords = h.U32(52);
        m_header.m_nHandles = h.U16(56);
        m_header.m_nReserved = h.U16(58);
        m_header.m_nDescription = h.U32(60);
        m_header.m_offDescription = h.U32(64);
        m_header.m_nDeviceCx = h.I32(72);
        m_header.m_nDeviceCy = h.I32(76);
        m_header.m_nMillimetersCx = h.I32(80);
        m_header.m_nMillimetersCy = h.I32(84);
        if (m_header.m_offDescription + 2ull * m_header.m_nDescription > h.m_vData.size())
        {
            return "the description runs past the header";
        }
        m_header.m_strDescription = h.Utf16(m_header.m_offDescription, m_header.m_nDescription);
        return {};
    }

    const CHeader& GetHeader() const { return m_header; }
    const std::vector<CRecord>& GetRecords() const { return m_vRecords; }

    std::vector<const CRecord*> OfType(std::uint32_t nType) const
    {
        std::vector<const CRecord*> v;
        for (const CRecord& r : m_vRecords)
        {
            if (r.m_nType == nType)
            {
                v.push_back(&r);
            }
        }
        return v;
    }

    static CText Text(const CRecord& r)
    {
        CText text;
        text.m_rclBounds = r.Rect(8);
        text.m_nGraphicsMode = r.U32(24);
        text.x = r.I32(36);
        text.y = r.I32(40);
        const std::uint32_t nChars = r.U32(44);
        const std::uint32_t offString = r.U32(48);
        text.m_fOptions = r.U32(52);
        const std::size_t offDxField = (text.m_fOptions & 0x100) ? 56 : 72; // ETO_NO_RECT
        const std::uint32_t offDx = r.U32(offDxField);
        text.m_strText = ToUtf8(r.Utf16(offString, nChars));
        for (std::uint32_t i = 0; i < nChars; ++i)
        {
            text.m_vDx.push_back(r.I32(offDx + 4 * i));
        }
        return text;
    }

    static CLogFont Font(const CRecord& r)
    {
        CLogFont f;
        f.m_nIndex = r.U32(8);
        f.m_nHeight = r.I32(12);
        f.m_nWidth = r.I32(16);
        f.m_nEscapement = r.I32(20);
        f.m_nOrientation = r.I32(24);
        f.m_nWeight = r.I32(28);
        f.m_nItalic = r.U8(32);
        f.m_nUnderline = r.U8(33);
        f.m_nStrikeOut = r.U8(34);
        f.m_nCharSet = r.U8(35);
        f.m_nOutPrecision = r.U8(36);
        f.m_nClipPrecision = r.U8(37);
        f.m_nQuality = r.U8(38);
        f.m_nPitchAndFamily = r.U8(39);
        std::u16string strFace = r.Utf16(40, 32);
        strFace.resize(std::min(strFace.find(u'\0'), strFace.size()));
        f.m_strFace = ToUtf8(strFace);
        return f;
    }

    static CPen Pen(const CRecord& r) { return CPen{r.U32(8), r.U32(12), r.I32(16), r.U32(24)}; }

    // One line per drawing record, objects named by what they are rather
    // than by their index, so that two recordings of the same drawing read
    // alike whatever indices they use. The header is left out.
    std::vector<std::string> Describe() const
    {
        std::vector<std::string> vLines;
        std::map<std::uint32_t, std::string> mapObjects;
        auto name = [&](std::uint32_t nIndex) -> std::string
        {
            if (nIndex & kStockObject)
            {
                return "stock " + std::to_string(nIndex & ~kStockObject);
            }
            auto it = mapObjects.find(nIndex);
            return it == mapObjects.end() ? "unknown " + std::to_string(nIndex) : it->second;
        };
        for (const CRecord& r : m_vRecords)
        {
            switch (r.m_nType)
            {
            case kHeader:
                break;
            case kEof:
                vLines.push_back("eof");
                break;
            case kCreatePen:
            {
                const CPen pen = Pen(r);
                mapObjects[pen.m_nIndex] = "pen " + std::to_string(pen.m_nStyle) + " " +
                                           std::to_string(pen.m_nWidth) + " " + Hex(pen.m_crColor);
                vLines.push_back("create " + mapObjects[pen.m_nIndex]);
                break;
            }
            case kExtCreateFontIndirectW:
            {
                const CLogFont f = Font(r);
                mapObjects[f.m_nIndex] =
                    "font " + std::to_string(f.m_nHeight) + " " + std::to_string(f.m_nWidth) + " " +
                    std::to_string(f.m_nEscapement) + " " + std::to_string(f.m_nOrientation) + " " +
                    std::to_string(f.m_nWeight) + " " + f.m_strFace;
                vLines.push_back("create " + mapObjects[f.m_nIndex]);
                break;
            }
            case kSelectObject:
                vLines.push_back("select " + name(r.U32(8)));
                break;
            case kDeleteObject:
                vLines.push_back("delete " + name(r.U32(8)));
                break;
            case kMoveToEx:
                vLines.push_back("move " + Point(r.I32(8), r.I32(12)));
                break;
            case kLineTo:
                vLines.push_back("line " + Point(r.I32(8), r.I32(12)));
                break;
            case kSetPixelV:
                vLines.push_back("pixel " + Point(r.I32(8), r.I32(12)) + " " + Hex(r.U32(16)));
                break;
            case kRectangle:
                vLines.push_back("rectangle " + Point(r.I32(8), r.I32(12)) + " " +
                                 Point(r.I32(16), r.I32(20)));
                break;
            case kSetBkMode:
                vLines.push_back("bkmode " + std::to_string(r.U32(8)));
                break;
            case kSetRop2:
                vLines.push_back("rop2 " + std::to_string(r.U32(8)));
                break;
            case kSetTextColor:
                vLines.push_back("textcolor " + Hex(r.U32(8)));
                break;
            case kExtTextOutW:
            {
                const CText text = Text(r);
                vLines.push_back("text " + Point(text.x, text.y) + " " + text.m_strText);
                break;
            }
            default:
                vLines.push_back("record " + std::to_string(r.m_nType));
                break;
            }
        }
        return vLines;
    }

    static std::string Point(std::int32_t x, std::int32_t y)
    {
        return std::to_string(x) + "," + std::to_string(y);
    }
    static std::string Hex(std::uint32_t n)
    {
        char sz[16];
        std::snprintf(sz, sizeof sz, "%06X", n);
        return sz;
    }

private:
    CHeader m_header;
    std::vector<CRecord> m_vRecords;
};

} // namespace emf
