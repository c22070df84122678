// The numbers and colours of the editing dialogs, without the widgets.
#include <clocale>
#include <cstdint>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "core/doc/DialogValues.h"

namespace
{

constexpr double kPi = 3.141592653589793;

// Runs a case under a C library locale and goes back to "C" afterwards.
class CLocaleTest : public ::testing::Test
{
protected:
    void UseLocale(const char* pszName)
    {
        if (std::setlocale(LC_ALL, pszName) == nullptr)
        {
            GTEST_SKIP() << "locale " << pszName << " is not installed";
        }
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

using DialogValuesTest = CLocaleTest;

struct CFormatCase
{
    const char* m_pszLocale;
    double m_dValue;
    const char* m_pszText;
};

TEST_F(DialogValuesTest, BoundsShowEightDecimalsWithTheLocalesSeparator)
{
    const CFormatCase kCases[] = {
        {"en_US.UTF-8", -2.0, "-2.00000000"},
        {"en_US.UTF-8", 2.0, "2.00000000"},
        {"en_US.UTF-8", kPi, "3.14159265"},
        {"en_US.UTF-8", 0.0, "0.00000000"},
        {"en_US.UTF-8", 1e20, "100000000000000000000.00000000"},
        {"it_IT.UTF-8", -2.0, "-2,00000000"},
        {"it_IT.UTF-8", kPi, "3,14159265"},
        {"C", 0.1, "0.10000000"},
    };
    for (const CFormatCase& c : kCases)
    {
        UseLocale(c.m_pszLocale);
        EXPECT_EQ(FormatParamValue(c.m_dValue), c.m_pszText) << c.m_pszLocale << " " << c.m_dValue;
    }
}

TEST_F(DialogValuesTest, HugeBoundIsShownWhole)
{
    UseLocale("C");
    const std::string str = FormatParamValue(1e300);
    EXPECT_EQ(str.size(), 301u + 9u);
    EXPECT_EQ(str.substr(0, 4), "1000");
    EXPECT_EQ(str.substr(str.size() - 9), ".00000000");
}

TEST_F(DialogValuesTest, DivisionsShowAtLeastTwoDigits)
{
    UseLocale("C");
    EXPECT_EQ(FormatDivisions(5), "05");
    EXPECT_EQ(FormatDivisions(0), "00");
    EXPECT_EQ(FormatDivisions(500), "500");
    EXPECT_EQ(FormatDivisions(-5), "-5");
    EXPECT_EQ(FormatDivisions(std::numeric_limits<std::int32_t>::min()), "-2147483648");
}

struct CParseCase
{
    const char* m_pszText;
    double m_dValue;
};

TEST_F(DialogValuesTest, PiWordsAreWholeTextCaseAndAll)
{
    UseLocale("en_US.UTF-8");
    const CParseCase kCases[] = {
        {"PI", kPi},
        {"pi", kPi},
        {"-PI", -kPi},
        {"-pi", -kPi},
        {"2PI", 2 * kPi},
        {"2pi", 2 * kPi},
        {"-2PI", -2 * kPi},
        {"-2pi", -2 * kPi},
        // Anything else is a number or its beginning.
        {"Pi", 0.0},
        {"pI", 0.0},
        {" pi", 0.0},
        {"pi ", 0.0},
        {"+pi", 0.0},
        {"2 pi", 2.0},
        {"-2PI ", -2.0},
        {"3pi", 3.0},
        {"1.25", 1.25},
    };
    for (const CParseCase& c : kCases)
    {
        EXPECT_EQ(ParsePiValue(c.m_pszText), c.m_dValue) << '"' << c.m_pszText << '"';
    }
    EXPECT_EQ(ParsePiValue("pi"), 3.141592653589793);
    EXPECT_EQ(ParsePiValue("2pi"), 6.283185307179586);
}

TEST_F(DialogValuesTest, NumbersReadTheirDecimalPrefix)
{
    UseLocale("en_US.UTF-8");
    const CParseCase kCases[] = {
        {"12abc", 12.0},        {"abc", 0.0},   {"", 0.0},    {"  1.5", 1.5},
        {"\t-3", -3.0},         {"+7", 7.0},    {".5", 0.5},  {"5.", 5.0},
        {"-.25x", -0.25},       {".", 0.0},     {"-", 0.0},   {"1e3", 1000.0},
        {"1E-2", 0.01},         {"2e", 2.0},    {"2e+", 2.0}, {"2ex", 2.0},
        {"1,5", 1.0},           {"1 000", 1.0}, {"pi", 0.0},  {"0.1", 0.1},
        {"-0.00000001", -1e-8},
    };
    for (const CParseCase& c : kCases)
    {
        EXPECT_EQ(ParseNumber(c.m_pszText), c.m_dValue) << '"' << c.m_pszText << '"';
    }
}

TEST_F(DialogValuesTest, ValuesThatAreNotFiniteNumbersGiveZero)
{
    UseLocale("en_US.UTF-8");
    // The C library would read these as infinities, NaN or hexadecimal.
    const CParseCase kCases[] = {
        {"inf", 0.0},   {"-inf", 0.0},   {"INFINITY", 0.0}, {"nan", 0.0},   {"NAN(123)", 0.0},
        {"1e999", 0.0}, {"-1e400", 0.0}, {"0x10", 0.0},     {"0x1p4", 0.0}, {"-0X2A", -0.0},
    };
    for (const CParseCase& c : kCases)
    {
        EXPECT_EQ(ParseNumber(c.m_pszText), c.m_dValue) << '"' << c.m_pszText << '"';
        EXPECT_EQ(ParsePiValue(c.m_pszText), c.m_dValue) << '"' << c.m_pszText << '"';
    }
    EXPECT_EQ(ParseNumber("1e308"), 1e308);
    EXPECT_EQ(ParseNumber("1e-400"), 0.0);
}

TEST_F(DialogValuesTest, ItalianLocaleReadsTheComma)
{
    UseLocale("it_IT.UTF-8");
    EXPECT_EQ(ParseNumber("1.5"), 1.0);
    EXPECT_EQ(ParseNumber("1,5"), 1.5);
    EXPECT_EQ(ParseNumber("-2,00000000"), -2.0);
    EXPECT_EQ(ParsePiValue("3,14159265"), 3.14159265);
    EXPECT_EQ(ParsePiValue("1,5e1"), 15.0);
    // What the dialog shows reads back as the value it shows.
    EXPECT_EQ(ParseNumber(FormatParamValue(-1.75)), -1.75);
}

struct CWholeCase
{
    const char* m_pszText;
    std::int32_t m_nValue;
};

TEST_F(DialogValuesTest, WholeNumbersReadTheirDigits)
{
    UseLocale("C");
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    const CWholeCase kCases[] = {
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {"500", 500},
        {"05", 5},
        {" 42", 42},
        {"-5", -5},
        {"+9", 9},
        {"1.9", 1},
        {"1e3", 1},
        {"0x1A", 0},
        {"- 5", 0},
        {"2147483647", kMax},
        {"2147483648", kMax},
        {"99999999999999999999", kMax},
        {"-2147483648", kMin},
        {"-2147483649", kMin},
        {"-99999999999999999999", kMin},
    };
    for (const CWholeCase& c : kCases)
    {
        EXPECT_EQ(ParseWholeNumber(c.m_pszText), c.m_nValue) << '"' << c.m_pszText << '"';
    }
}

struct CColorCase
{
    const char* m_pszName;
    COLORREF m_crColor;
    int m_nItem;
};

TEST(PaletteTest, NamesGiveTheirColoursAndColoursTheirItems)
{
    const CColorCase kCases[] = {
        {"Grigio", 0x808080, 0}, {"Nero", 0x000000, 1},   {"Rosso", 0x0000FF, 2},
        {"Blù", 0xFF0000, 3},    {"Giallo", 0x80FFFF, 4}, {"Celeste", 0xFFFF00, 5},
        {"Viola", 0x800080, 6},  {"Verde", 0x00FF00, 7},  {"Fucsia", 0xFF00FF, 8},
    };
    for (const CColorCase& c : kCases)
    {
        EXPECT_EQ(PaletteColorFromName(c.m_pszName), c.m_crColor) << c.m_pszName;
        EXPECT_EQ(FindPaletteItem(c.m_crColor), c.m_nItem) << c.m_pszName;
    }
    // "Blù" is compared byte for byte, and with its accent.
    EXPECT_EQ(std::string("Blù"), "Bl\xC3\xB9");
    for (const char* pszOther : {"Blu", "rosso", "Giallo ", "", "Bianco"})
    {
        EXPECT_EQ(PaletteColorFromName(pszOther), 0u) << pszOther;
    }
    // The pure yellow of the icon is not a colour the palette gives.
    for (COLORREF cr : {0x00FFFFu, 0x123456u, 0xFFFFFFu, 0x01000000u})
    {
        EXPECT_EQ(FindPaletteItem(cr), -1) << std::hex << cr;
    }
}

} // namespace
