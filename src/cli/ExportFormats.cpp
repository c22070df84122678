#include "cli/ExportFormats.h"

#include <array>
#include <charconv>
#include <cmath>
#include <memory>
#include <stdexcept>

#include "core/doc/Archive.h"
#include "core/doc/TraceloDoc.h"
#include "render/ExportPicture.h"
#include "render/MetafileExport.h"
#include "res/ExportStrings.h"

namespace
{

void ExportTableFormat(CTraceloDoc& doc, const CExportOptions& options, CByteSink& out)
{
    ExportTable(doc, out, options.m_sampling);
}

void ExportGraphFormat(CTraceloDoc& doc, const CExportOptions&, CByteSink& out)
{
    ExportGraph(doc, out);
}

template <EPictureFormat eFormat>
void ExportPictureFormat(CTraceloDoc& doc, const CExportOptions& options, CByteSink& out)
{
    const std::string strBytes =
        RenderPicture(doc, eFormat, options.m_nWidth, options.m_nHeight, options.m_sampling);
    if (strBytes.empty())
    {
        throw std::runtime_error("picture not encoded");
    }
    out.Write(strBytes.data(), strBytes.size());
}

// The metafile's size follows the divisions, as the view's export makes it.
void ExportMetafileFormat(CTraceloDoc& doc, const CExportOptions& options, CByteSink& out)
{
    ExportMetafile(doc, out, options.m_sampling);
}

const std::array kFormats = {
    CExportFormat{"table", res::kFormatTableHelp, &ExportTableFormat},
    CExportFormat{"graph", res::kFormatGraphHelp, &ExportGraphFormat},
    CExportFormat{"png", res::kFormatPngHelp, &ExportPictureFormat<EPictureFormat::Png>},
    CExportFormat{"svg", res::kFormatSvgHelp, &ExportPictureFormat<EPictureFormat::Svg>},
    CExportFormat{"pdf", res::kFormatPdfHelp, &ExportPictureFormat<EPictureFormat::Pdf>},
    CExportFormat{"emf", res::kFormatEmfHelp, &ExportMetafileFormat},
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

const CExportFormat* FindExportFormatOfFile(const std::string& strPath)
{
    const std::size_t nSlash = strPath.find_last_of('/');
    const std::size_t nDot = strPath.find_last_of('.');
    if (nDot == std::string::npos || (nSlash != std::string::npos && nDot < nSlash))
    {
        return nullptr;
    }
    std::string strExtension = strPath.substr(nDot + 1);
    for (char& ch : strExtension)
    {
        if (ch >= 'A' && ch <= 'Z')
        {
            ch = static_cast<char>(ch - 'A' + 'a');
        }
    }
    return FindExportFormat(strExtension);
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

void ExportTable(CTraceloDoc& doc, CByteSink& out, const CSamplingOptions& sampling)
{
    CSamplingOptions one = sampling;
    one.m_pDone = nullptr;
    one.m_pTotal = nullptr;
    if (sampling.m_pTotal != nullptr)
        sampling.m_pTotal->store(doc.m_pFunctions->size());
    static constexpr char kHeader[] = "function,x,y\n";
    out.Write(kHeader, sizeof(kHeader) - 1);
    std::string strLine;
    std::size_t nIndex = 0;
    for (CGraphFunction& function : *doc.m_pFunctions)
    {
        ++nIndex;
        CGraphFunction* const pOne = &function;
        if (SampleFunctions(std::span<CGraphFunction* const>(&pOne, 1), doc.m_window,
                            doc.m_nDivisions, one)
                .m_bOutOfMemory)
        {
            throw std::bad_alloc();
        }
        if (sampling.m_pDone != nullptr)
            sampling.m_pDone->fetch_add(1);
        const std::string strPrefix = std::to_string(nIndex) + ",";
        for (const CCurvePoint& pt : *function.m_pPoints)
        {
            strLine = strPrefix;
            strLine += FormatTableNumber(pt.m_dX);
            strLine += ',';
            strLine += FormatTableNumber(pt.m_dY);
            strLine += '\n';
            out.Write(strLine.data(), strLine.size());
        }
        // One curve at a time in memory, however many functions there are.
        function.m_pPoints = std::unique_ptr<CPointList>();
    }
}

void ExportGraph(CTraceloDoc& doc, CByteSink& out)
{
    CArchive ar(out);
    doc.Serialize(ar);
}
