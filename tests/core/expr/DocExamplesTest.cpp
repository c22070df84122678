// The worked examples of the user's pages, the README's table and the
// examples of tracelo(1), are read from the pages themselves and evaluated:
// each value printed there is what the engine gives, at the precision printed.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/expr/ExprEvaluator.h"

namespace
{

struct CPage
{
    const char* m_pszPath;  // from the top of the sources
    const char* m_pszBegin; // the line before the first example
    const char* m_pszEnd;   // the line after the last
    const char* m_pszMalformed;
    bool m_bManPage; // columns two blanks apart, groff escapes, decimal comma
};

const CPage kPages[] = {
    {"README.md", "<!-- worked examples:", "<!-- end of worked examples", "malformed", false},
    {"dist/tracelo.1.in", ".\\\" esempi", ".\\\" fine esempi", "malformata", true},
};

// The cells of one line: "| `expr` | x | value |" or "expr  x  value".
std::vector<std::string> Cells(std::string strLine, bool bManPage)
{
    std::string strSep = "|";
    if (bManPage)
    {
        for (const std::string strEscape : {"\\-", "\\&"})
            for (std::size_t n; (n = strLine.find(strEscape)) != std::string::npos;)
                strLine.replace(n, 2, strEscape == "\\-" ? "-" : "");
        strSep = "  ";
    }
    std::vector<std::string> cells;
    for (std::size_t nBegin = 0; nBegin <= strLine.size();)
    {
        const std::size_t nEnd = std::min(strLine.find(strSep, nBegin), strLine.size());
        const std::string str = strLine.substr(nBegin, nEnd - nBegin);
        const std::size_t nFirst = str.find_first_not_of(" `");
        if (nFirst != std::string::npos)
            cells.push_back(str.substr(nFirst, str.find_last_not_of(" `") - nFirst + 1));
        nBegin = nEnd + strSep.size();
    }
    return cells;
}

// A number as the pages write it; false for a text that is none (a head).
bool ReadNumber(std::string str, double& d)
{
    std::replace(str.begin(), str.end(), ',', '.');
    const auto res = std::from_chars(str.data(), str.data() + str.size(), d);
    return res.ec == std::errc() && res.ptr == str.data() + str.size();
}

// The engine's value as a page prints it: as many decimals as the printed
// value, the page's decimal separator; a whole number must be exact.
std::string AsPrinted(double d, const std::string& strPrinted)
{
    if (std::isnan(d))
        return "NaN";
    if (std::isinf(d))
        return d > 0 ? "+∞" : "-∞";
    const std::size_t nSep = strPrinted.find_first_of(".,");
    const int nDecimals = nSep == std::string::npos ? 0 : int(strPrinted.size() - nSep - 1);
    char sz[400];
    std::string str(sz,
                    std::to_chars(sz, sz + sizeof sz, d, std::chars_format::fixed, nDecimals).ptr);
    if (nSep != std::string::npos)
        str[str.find('.')] = strPrinted[nSep];
    return nDecimals == 0 && d != std::trunc(d) ? str + " and a fraction" : str;
}

TEST(DocExamplesTest, EveryWorkedExampleHasTheValuePrinted)
{
    std::vector<std::string> vFirstPage;
    for (const CPage& page : kPages)
    {
        SCOPED_TRACE(page.m_pszPath);
        std::ifstream in(std::string(TRACELO_SOURCE_DIR) + "/" + page.m_pszPath);
        CRandomGenerator::SetState(1); // as at start-up: the pages show its first draws
        CExprEvaluator evaluator;
        std::vector<std::string> vExpressions;
        bool bInside = false;
        for (std::string strLine; std::getline(in, strLine);)
        {
            if (strLine.starts_with(page.m_pszBegin) || strLine.starts_with(page.m_pszEnd))
                bInside = strLine.starts_with(page.m_pszBegin);
            const std::vector<std::string> cells = Cells(strLine, page.m_bManPage);
            double dX = 0.0;
            if (!bInside || cells.size() != 3 || !ReadNumber(cells[1], dX))
                continue; // outside, a marker or the table's head
            SCOPED_TRACE(cells[0] + " at X = " + cells[1]);
            vExpressions.push_back(cells[0]);
            const double dValue = evaluator.EvaluateAt(cells[0], dX);
            EXPECT_EQ(evaluator.HasError(), cells[2] == page.m_pszMalformed);
            if (cells[2] != page.m_pszMalformed)
            {
                EXPECT_EQ(AsPrinted(dValue, cells[2]), cells[2]);
            }
        }
        EXPECT_GE(vExpressions.size(), 20u) << "the examples are not where they are looked for";
        if (vFirstPage.empty())
        {
            vFirstPage = vExpressions;
        }
        else
        {
            EXPECT_EQ(vExpressions, vFirstPage) << "the pages show different examples";
        }
    }
}

} // namespace
