// The graph as an Enhanced Metafile: recorded in memory on a square whose
// side follows from the divisions, then written to the file the user chose.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/expr/Sampling.h"
#include "core/plot/DrawPlot.h"
#include "render/EmfDevice.h"

class CByteSink;
class CPlotArea;
class CTraceloDoc;

// The side S of the square recorded on: S = N + 2m with N the divisions and
// m = N / 30, at least 16, so that the plot area has about one unit per
// division.
std::int32_t GetMetafileSide(std::int32_t nDivisions);

struct CMetafile
{
    std::vector<std::uint8_t> m_vBytes; // the complete file
    CPlotLayout m_layout;               // what the recording laid out
};

// Records the graph as the view shows it: the view's window (zoomed or not),
// the document's grid switch and its functions with the samples they hold.
// rectPage is the view's page rectangle: the square (0, 0, S, S) while the
// plot is drawn, and rectClient once the recording is done. plotArea is the
// view's, left with the recording's values as after a paint. The document is
// only read. Throws std::bad_alloc when memory runs out; rectPage is
// rectClient then too.
CMetafile RecordMetafile(const CTraceloDoc& doc, const CPlotWindow& window, CDevRect& rectPage,
                         const CDevRect& rectClient, CPlotArea& plotArea,
                         const CEmfReference& reference);

// Writes a recorded metafile to strPath; the file appears complete or not at
// all, and an existing file is replaced only by a complete one. Returns an
// empty text on success, else the message to show the user.
std::string SaveMetafile(const CMetafile& metafile, const std::string& strPath);

// For tracelo-export: the graph as a view that has just opened it shows it
// (the document's window, every curve sampled with the document's divisions),
// measured on the primary screen, written to out. Makes a QGuiApplication
// for the time of the call when there is none (off screen unless the
// platform is chosen). Throws what out throws, and std::bad_alloc (also
// when a curve does not fit in memory).
void ExportMetafile(CTraceloDoc& doc, CByteSink& out, const CSamplingOptions& sampling = {});
