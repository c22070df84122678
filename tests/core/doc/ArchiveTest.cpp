#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/doc/Archive.h"
#include "core/doc/FileErrors.h"
#include "core/doc/TextEncoding.h"

namespace
{

using Bytes = std::vector<std::uint8_t>;

Bytes Store(const std::function<void(CArchive&)>& write)
{
    CMemorySink sink;
    CArchive ar(sink);
    write(ar);
    return sink.GetData();
}

TEST(ArchiveTest, NumbersAreLittleEndianWithoutPadding)
{
    const Bytes bytes = Store(
        [](CArchive& ar)
        {
            ar << -2.0 << std::int32_t{500} << std::int32_t{-1} << std::uint32_t{0xFF}
               << std::uint16_t{0x012C} << std::uint8_t{7};
        });
    const Bytes expected = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, // -2.0
                            0xF4, 0x01, 0x00, 0x00,                         // 500
                            0xFF, 0xFF, 0xFF, 0xFF,                         // -1
                            0xFF, 0x00, 0x00, 0x00,                         // red
                            0x2C, 0x01, 0x07};
    EXPECT_EQ(bytes, expected);

    CMemorySource source(bytes);
    CArchive ar(source);
    double d = 0;
    std::int32_t n1 = 0;
    std::int32_t n2 = 0;
    std::uint32_t n3 = 0;
    std::uint16_t n4 = 0;
    std::uint8_t n5 = 0;
    ar >> d >> n1 >> n2 >> n3 >> n4 >> n5;
    EXPECT_EQ(d, -2.0);
    EXPECT_EQ(n1, 500);
    EXPECT_EQ(n2, -1);
    EXPECT_EQ(n3, 0xFFu);
    EXPECT_EQ(n4, 0x012C);
    EXPECT_EQ(n5, 7);
    EXPECT_EQ(ar.GetRemaining(), 0u);
    EXPECT_THROW(ar >> n5, CArchiveException);
}

TEST(ArchiveTest, DoublesKeepEveryBit)
{
    const double values[] = {0.0,
                             -0.0,
                             1.9920000000000033,
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::max(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN()};
    for (const double value : values)
    {
        const Bytes bytes = Store([&](CArchive& ar) { ar << value; });
        CMemorySource source(bytes);
        CArchive ar(source);
        double d = 1.0;
        ar >> d;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(d), std::bit_cast<std::uint64_t>(value));
    }
}

struct CPrefixCase
{
    std::size_t m_nLength;
    Bytes m_prefix;
};

void PrintTo(const CPrefixCase& c, std::ostream* os)
{
    *os << c.m_nLength << " characters";
}

class StringPrefixTest : public ::testing::TestWithParam<CPrefixCase>
{
};

TEST_P(StringPrefixTest, ShortestPrefixThenTheTextAndBackAgain)
{
    const CPrefixCase& c = GetParam();
    std::string strText(c.m_nLength, 'x');
    for (std::size_t i = 0; i < strText.size(); ++i)
    {
        strText[i] = static_cast<char>('A' + i % 26);
    }
    const Bytes bytes = Store([&](CArchive& ar) { ar.WriteString(strText); });
    ASSERT_EQ(bytes.size(), c.m_prefix.size() + c.m_nLength);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + c.m_prefix.size()), c.m_prefix);
    EXPECT_EQ(std::string(bytes.begin() + c.m_prefix.size(), bytes.end()), strText);

    CMemorySource source(bytes);
    CArchive ar(source);
    EXPECT_EQ(ar.ReadString(), strText);
    EXPECT_EQ(ar.GetRemaining(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, StringPrefixTest,
    ::testing::Values(CPrefixCase{0, {0x00}}, CPrefixCase{6, {0x06}}, CPrefixCase{254, {0xFE}},
                      CPrefixCase{255, {0xFF, 0xFF, 0x00}}, CPrefixCase{300, {0xFF, 0x2C, 0x01}},
                      CPrefixCase{65533, {0xFF, 0xFD, 0xFF}},
                      CPrefixCase{65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
                      CPrefixCase{70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}}));

// Strings as other writers may have stored them: every form is read.
struct CReadCase
{
    const char* m_pszName;
    Bytes m_bytes;
    std::string m_strText; // UTF-8
};

void PrintTo(const CReadCase& c, std::ostream* os)
{
    *os << c.m_pszName;
}

class StringReadTest : public ::testing::TestWithParam<CReadCase>
{
};

TEST_P(StringReadTest, ReadsAsText)
{
    const CReadCase& c = GetParam();
    CMemorySource source(c.m_bytes);
    CArchive ar(source);
    EXPECT_EQ(ar.ReadString(), c.m_strText);
    EXPECT_EQ(ar.GetRemaining(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, StringReadTest,
    ::testing::Values(
        CReadCase{"LongPrefixForShortText", {0xFF, 0x03, 0x00, 'a', 'b', 'c'}, "abc"},
        CReadCase{
            "FullPrefixForShortText", {0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00, 'a', 'b'}, "ab"},
        CReadCase{"Cp1252Text", {0x04, 'p', 'i', 0xF9, 0x80}, "pi\xC3\xB9\xE2\x82\xAC"},
        CReadCase{"WideText",
                  {0xFF, 0xFE, 0xFF, 0x03, 'S', 0x00, 0xF9, 0x00, 0xAC, 0x20},
                  "S\xC3\xB9\xE2\x82\xAC"},
        CReadCase{"WideTextOutsideTheCodePage",
                  {0xFF, 0xFE, 0xFF, 0x04, 'X', 0x00, 0x2D, 0x4E, 0x3D, 0xD8, 0x00, 0xDE},
                  "X??"},
        CReadCase{"WideLonelySurrogate", {0xFF, 0xFE, 0xFF, 0x02, 0x00, 0xDC, '1', 0x00}, "?1"},
        CReadCase{"WideEmpty", {0xFF, 0xFE, 0xFF, 0x00}, ""},
        CReadCase{
            "WideWithSixteenBitLength", {0xFF, 0xFE, 0xFF, 0xFF, 0x01, 0x00, 'Z', 0x00}, "Z"}),
    [](const ::testing::TestParamInfo<CReadCase>& info) { return info.param.m_pszName; });

TEST(ArchiveTest, WideTextOfThreeHundredCharacters)
{
    Bytes bytes = {0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01};
    for (int i = 0; i < 300; ++i)
    {
        bytes.push_back(static_cast<std::uint8_t>('a' + i % 26));
        bytes.push_back(0);
    }
    CMemorySource source(bytes);
    CArchive ar(source);
    const std::string strText = ar.ReadString();
    ASSERT_EQ(strText.size(), 300u);
    EXPECT_EQ(strText.substr(0, 3), "abc");
}

// Data that end before the string does: refused as a truncated file, and a
// length larger than the data is refused before anything that large exists.
class TruncatedStringTest : public ::testing::TestWithParam<CReadCase>
{
};

TEST_P(TruncatedStringTest, EndOfFile)
{
    CMemorySource source(GetParam().m_bytes);
    CArchive ar(source);
    try
    {
        ar.ReadString();
        FAIL() << "no exception";
    }
    catch (const CArchiveException& e)
    {
        EXPECT_EQ(e.m_eCause, CArchiveException::ECause::EndOfFile);
        EXPECT_EQ(e.GetErrorMessage(true), "Formato file inatteso.");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, TruncatedStringTest,
    ::testing::Values(
        CReadCase{"Nothing", {}, ""}, CReadCase{"InShortText", {0x05, 'a'}, ""},
        CReadCase{"InSixteenBitPrefix", {0xFF, 0x2C}, ""},
        CReadCase{"InThirtyTwoBitPrefix", {0xFF, 0xFF, 0xFF, 0x00, 0x00}, ""},
        CReadCase{
            "FourGigabytesInAFewBytes", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b'}, ""},
        CReadCase{"WideLengthCountsTwoBytes", {0xFF, 0xFE, 0xFF, 0x02, 'a', 0, 'b'}, ""},
        CReadCase{
            "WideFourGigaUnits", {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, ""},
        CReadCase{"AfterWideMarker", {0xFF, 0xFE, 0xFF}, ""}),
    [](const ::testing::TestParamInfo<CReadCase>& info) { return info.param.m_pszName; });

TEST(ArchiveTest, FourGigabytePrefixInAHundredByteFileAllocatesNothingLarge)
{
    Bytes bytes(100, 'x');
    bytes[0] = 0xFF;
    bytes[1] = bytes[2] = bytes[3] = bytes[4] = bytes[5] = bytes[6] = 0xFF;
    CMemorySource source(bytes);
    CArchive ar(source);
    EXPECT_THROW(ar.ReadString(), CArchiveException);
}

TEST(TextEncodingTest, EveryByteSurvivesAReadAndAWrite)
{
    std::string strAll;
    for (int c = 0; c < 256; ++c)
    {
        strAll += static_cast<char>(c);
    }
    const std::string strUtf8 = Cp1252ToUtf8(strAll);
    EXPECT_EQ(Utf8ToCp1252(strUtf8), strAll);
}

struct CEncodingCase
{
    const char* m_pszUtf8;
    const char* m_pszCp1252;
};

void PrintTo(const CEncodingCase& c, std::ostream* os)
{
    *os << c.m_pszUtf8;
}

class EncodingTest : public ::testing::TestWithParam<CEncodingCase>
{
};

TEST_P(EncodingTest, Utf8ToCodePage)
{
    EXPECT_EQ(Utf8ToCp1252(GetParam().m_pszUtf8), GetParam().m_pszCp1252);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, EncodingTest,
    ::testing::Values(CEncodingCase{"SIN(X)", "SIN(X)"}, CEncodingCase{"pi\xC3\xB9", "pi\xF9"}, // ù
                      CEncodingCase{"\xE2\x82\xAC", "\x80"}, // €
                      CEncodingCase{"\xC5\xB8", "\x9F"},     // Ÿ
                      CEncodingCase{"\xC2\x81", "\x81"},     // a byte without a character
                      CEncodingCase{"\xE4\xB8\xAD"
                                    "X",
                                    "?X"},                    // 中: not in the code page
                      CEncodingCase{"\xF0\x9F\x98\x80", "?"}, // beyond 16 bits
                      CEncodingCase{"\xC4\x81", "?"},         // ā: no best fit
                      CEncodingCase{"a\xFF"
                                    "b",
                                    "a?b"},                 // not UTF-8
                      CEncodingCase{"\xC0\xAF", "??"},      // overlong
                      CEncodingCase{"\xED\xA0\x80", "???"}, // a surrogate
                      CEncodingCase{"\xE2\x82", "??"}));    // cut short

struct CErrnoCase
{
    CFileException::EOperation m_eOperation;
    int m_nErrno;
    const char* m_pszMessage;
};

void PrintTo(const CErrnoCase& c, std::ostream* os)
{
    *os << static_cast<int>(c.m_eOperation) << "/" << c.m_nErrno;
}

class FileErrorMessageTest : public ::testing::TestWithParam<CErrnoCase>
{
};

TEST_P(FileErrorMessageTest, NamesTheFile)
{
    const CErrnoCase& c = GetParam();
    const CFileException e(c.m_eOperation, c.m_nErrno, "/tmp/grafico");
    EXPECT_EQ(e.GetErrorMessage(), c.m_pszMessage);
}

using EOp = CFileException::EOperation;
INSTANTIATE_TEST_SUITE_P(
    Errno, FileErrorMessageTest,
    ::testing::Values(
        CErrnoCase{EOp::Open, ENOENT, "/tmp/grafico non trovato."},
        CErrnoCase{EOp::Open, EACCES, "Accesso a /tmp/grafico negato."},
        CErrnoCase{EOp::Open, EPERM, "Accesso a /tmp/grafico negato."},
        CErrnoCase{EOp::Open, EISDIR, "Accesso a /tmp/grafico negato."},
        CErrnoCase{EOp::Open, EMFILE,
                   "Non è stato possibile aprire /tmp/grafico poiché vi sono troppi file aperti."},
        CErrnoCase{EOp::Open, ENFILE,
                   "Non è stato possibile aprire /tmp/grafico poiché vi sono troppi file aperti."},
        CErrnoCase{EOp::Open, EIO, "Impossibile aprire il documento."},
        CErrnoCase{EOp::Open, 0, "Impossibile aprire il documento."},
        CErrnoCase{EOp::Create, EACCES, "Accesso a /tmp/grafico negato."},
        CErrnoCase{EOp::Create, EROFS, "Accesso a /tmp/grafico negato."},
        CErrnoCase{EOp::Create, ENOSPC, "Disco pieno durante l'accesso a /tmp/grafico."},
        CErrnoCase{EOp::Create, ENOENT, "Nome file non valido."},
        CErrnoCase{EOp::Create, ENAMETOOLONG, "Nome file non valido."},
        CErrnoCase{EOp::Write, ENOSPC, "Disco pieno durante l'accesso a /tmp/grafico."},
        CErrnoCase{EOp::Write, EDQUOT, "Disco pieno durante l'accesso a /tmp/grafico."},
        CErrnoCase{EOp::Write, EFBIG, "Disco pieno durante l'accesso a /tmp/grafico."},
        CErrnoCase{EOp::Write, EACCES, "Accesso a /tmp/grafico negato."},
        CErrnoCase{EOp::Write, EPERM, "Accesso a /tmp/grafico negato."},
        CErrnoCase{EOp::Write, EROFS, "Accesso a /tmp/grafico negato."},
        CErrnoCase{EOp::Write, EIO, "Impossibile salvare il documento."}));

TEST(FileErrorsTest, FormatReplacesEveryPlaceholder)
{
    EXPECT_EQ(FormatMessage1("%1 e %1", "a%1"), "a%1 e a%1");
    EXPECT_EQ(FormatMessage1("senza", "x"), "senza");
}

} // namespace
