// The output formats of tracelo-export. Each writes one graph to a byte
// sink (standard output or a file that appears only when complete) and
// throws CFileException or CArchiveException when it cannot. A new format
// is one more entry in GetExportFormats.
#pragma once

#include <span>
#include <string>

#include "core/expr/Sampling.h"

class CByteSink;
class CTraceloDoc;

// What the command line says beyond the format.
struct CExportOptions
{
    int m_nWidth = 800; // a picture's size: a fresh graph window's client area
    int m_nHeight = 600;
    // Progress counters of the sampling, read by the progress display.
    CSamplingOptions m_sampling;
};

struct CExportFormat
{
    const char* m_pszName;        // as given to --format
    const char* m_pszDescription; // for --help
    void (*m_pfnExport)(CTraceloDoc& doc, const CExportOptions& options, CByteSink& out);
};

std::span<const CExportFormat> GetExportFormats();
const CExportFormat* FindExportFormat(const std::string& strName);
// The format an output file's extension names (".png" is png), or null.
const CExportFormat* FindExportFormatOfFile(const std::string& strPath);

// x and y of a table line: 17 significant digits, independent of the
// locale, "nan", "inf" or "-inf" for the values that are not numbers.
std::string FormatTableNumber(double d);

// The samples of every function exactly as a view opening the graph takes
// them: the document's window and divisions, head to tail. One curve at a
// time is in memory; progress counts the functions done. Throws
// std::bad_alloc when a curve does not fit in memory.
void ExportTable(CTraceloDoc& doc, CByteSink& out, const CSamplingOptions& sampling = {});
// The graph in its own file format.
void ExportGraph(CTraceloDoc& doc, CByteSink& out);
