#include "cli/ExportFormats.h"

#include <array>
#include <charconv>
#include <cmath>
#include <memory>

#include "doc/TraceloDoc.h"
#include "framework/Archive.h"
#include "res/ExportStrings.h"

namespace
{

const std::array kFormats = {
    CExportFormat{"table", res::kFormatTableHelp, &ExportTable},
    CExportFormat{"graph", res::kFormatGraphHelp, &ExportGraph},
};

} // namespace

std::span<const CExportFormat> GetExportFormats()
{
    return kFormats;
}

const CExportFormat* FindExportFormat(const std::string& strName)
{
    for (const CExportFormat& format : kFormats)
    {
        if (strName == format.m_pszName)
        {
            return &format;
        }
    }
    return nullptr;
}

std::string FormatTableNumber(double d)
{
    if (std::isnan(d))
    {
        return "nan"; // whatever its sign bit
    }
    if (std::isinf(d))
    {
        return d > 0 ? "inf" : "-inf";
    }
    // to_chars does not look at the locale, unlike printf's "%.17g", whose
    // output it matches.
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof(buffer), d, std::chars_format::general, 17);
    return std::string(buffer, result.ptr);
}

void ExportTable(CTraceloDoc& doc, CByteSink& out)
{
    static constexpr char kHeader[] = "function,x,y\n";
    out.Write(kHeader, sizeof(kHeader) - 1);
    std::string strLine;
    std::size_t nIndex = 0;
    for (auto& pFunction : *doc.m_pFunctions)
    {
        ++nIndex;
        if (pFunction == nullptr)
        {
            continue;
        }
        pFunction->Sample(doc.m_dXMin, doc.m_dXMax, doc.m_dYMin, doc.m_dYMax, doc.m_nDivisions);
        const std::string strPrefix = std::to_string(nIndex) + ",";
        for (const CCurvePoint& pt : *pFunction->m_pPoints)
        {
            strLine = strPrefix;
            strLine += FormatTableNumber(pt.m_dX);
            strLine += ',';
            strLine += FormatTableNumber(pt.m_dY);
            strLine += '\n';
            out.Write(strLine.data(), strLine.size());
        }
        // One curve at a time in memory, however many functions there are.
        pFunction->m_pPoints = std::make_unique<CPointList>();
    }
}

void ExportGraph(CTraceloDoc& doc, CByteSink& out)
{
    CArchive ar(out);
    doc.Serialize(ar);
}
