// The worked examples of the user's pages, the README's table and the
// examples of tracelo(1), are read from the pages themselves and evaluated:
// a value printed there is what the engine gives, at the precision printed.
#include <charconv>
#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/expr/ExprEvaluator.h"

namespace
{

struct CExample
{
    std::string m_strExpression;
    std::string m_strX;
    std::string m_strValue;
};

struct CPage
{
    const char* m_pszPath;  // from the top of the sources
    const char* m_pszBegin; // the line before the first example
    const char* m_pszEnd;   // the line after the last
    const char* m_pszMalformed;
    bool m_bManPage; // groff escapes, columns apart by two blanks, decimal comma
};

const CPage kPages[] = {
    {"README.md", "<!-- worked examples:", "<!-- end of worked examples", "malformed", false},
    {"dist/tracelo.1.in", ".\\\" esempi", ".\\\" fine esempi", "malformata", true},
};

std::string Trim(const std::string& str)
{
    const auto nBegin = str.find_first_not_of(" `");
    const auto nEnd = str.find_last_not_of(" `");
    return nBegin == std::string::npos ? std::string() : str.substr(nBegin, nEnd - nBegin + 1);
}

std::string Unescape(std::string str)
{
    str = std::regex_replace(str, std::regex(R"(\\&)"), "");
    str = std::regex_replace(str, std::regex(R"(\\-)"), "-");
    return str;
}

std::vector<CExample> ReadExamples(const CPage& page)
{
    std::ifstream in(std::string(TRACELO_SOURCE_DIR) + "/" + page.m_pszPath);
    std::vector<CExample> examples;
    std::string strLine;
    bool bInside = false;
    while (std::getline(in, strLine))
    {
        if (strLine.starts_with(page.m_pszBegin) || strLine.starts_with(page.m_pszEnd))
        {
            bInside = strLine.starts_with(page.m_pszBegin);
            continue;
        }
        if (!bInside)
            continue;
        std::vector<std::string> fields;
        if (page.m_bManPage)
        {
            const std::string str = Unescape(strLine);
            const std::regex gap(" {2,}");
            for (std::sregex_token_iterator it(str.begin(), str.end(), gap, -1), end; it != end;
                 ++it)
                fields.push_back(Trim(*it));
        }
        else
        {
            std::istringstream cells(strLine);
            std::string strCell;
            std::getline(cells, strCell, '|'); // before the first bar
            while (std::getline(cells, strCell, '|'))
                fields.push_back(Trim(strCell));
            if (!fields.empty() && fields.back().empty())
                fields.pop_back();
            if (fields.empty() || fields[0] == "expression" || fields[0].starts_with("---"))
                continue; // the table's head
        }
        EXPECT_EQ(fields.size(), 3u) << page.m_pszPath << ": " << strLine;
        if (fields.size() == 3)
            examples.push_back({fields[0], fields[1], fields[2]});
    }
    return examples;
}

double ToDouble(std::string str)
{
    for (char& c : str)
        if (c == ',')
            c = '.';
    double d = 0.0;
    const auto res = std::from_chars(str.data(), str.data() + str.size(), d);
    EXPECT_TRUE(res.ec == std::errc() && res.ptr == str.data() + str.size()) << str;
    return d;
}

// The engine's value as the pages print it: with as many decimals as the
// printed value has, the decimal separator of the page.
std::string AsPrinted(double dValue, const std::string& strPrinted)
{
    if (std::isnan(dValue))
        return "NaN";
    if (std::isinf(dValue))
        return dValue > 0 ? "+∞" : "-∞";
    const auto nSep = strPrinted.find_first_of(".,");
    const int nDecimals =
        nSep == std::string::npos ? 0 : static_cast<int>(strPrinted.size() - nSep - 1);
    char sz[64];
    const auto res = std::to_chars(sz, sz + sizeof sz, dValue, std::chars_format::fixed, nDecimals);
    std::string str(sz, res.ptr);
    if (nSep != std::string::npos)
        str[str.find('.')] = strPrinted[nSep];
    if (nDecimals == 0 && dValue != std::trunc(dValue))
        str += " (not a whole number)";
    return str;
}

TEST(DocExamplesTest, EveryWorkedExampleHasTheValuePrinted)
{
    std::vector<std::string> vFirstPage;
    for (const CPage& page : kPages)
    {
        SCOPED_TRACE(page.m_pszPath);
        const std::vector<CExample> examples = ReadExamples(page);
        ASSERT_GE(examples.size(), 20u) << "the examples are not where the test looks for them";
        // The random sequence as at start-up: the pages show its first draws.
        CRandomGenerator::SetState(1);
        CExprEvaluator evaluator;
        std::vector<std::string> vExpressions;
        for (const CExample& ex : examples)
        {
            SCOPED_TRACE(ex.m_strExpression + " at X = " + ex.m_strX);
            vExpressions.push_back(ex.m_strExpression);
            const double dValue = evaluator.EvaluateAt(ex.m_strExpression, ToDouble(ex.m_strX));
            if (ex.m_strValue == page.m_pszMalformed)
            {
                EXPECT_TRUE(evaluator.HasError());
                continue;
            }
            EXPECT_FALSE(evaluator.HasError());
            EXPECT_EQ(AsPrinted(dValue, ex.m_strValue), ex.m_strValue);
        }
        // Both pages show the same examples.
        if (vFirstPage.empty())
            vFirstPage = vExpressions;
        else
            EXPECT_EQ(vExpressions, vFirstPage);
    }
}

} // namespace
