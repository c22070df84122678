#include "render/MetafileExport.h"

#include <QByteArray>
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <new>

#include "core/doc/AtomicFile.h"
#include "core/doc/FileErrors.h"
#include "core/doc/TraceloDoc.h"
#include "core/plot/PlotArea.h"
#include "render/GuiScope.h"
#include "res/FileStrings.h"

namespace
{
// The page rectangle of the view goes back to the client rectangle however
// the recording ends.
class CRestorePage
{
public:
    CRestorePage(CDevRect& rectPage, const CDevRect& rectClient)
        : m_rectPage(rectPage), m_rectClient(rectClient)
    {
    }
    ~CRestorePage() { m_rectPage = m_rectClient; }
    CRestorePage(const CRestorePage&) = delete;
    CRestorePage& operator=(const CRestorePage&) = delete;

private:
    CDevRect& m_rectPage;
    CDevRect m_rectClient;
};

} // namespace

std::int32_t GetMetafileSide(std::int32_t nDivisions)
{
    const std::int64_t n = nDivisions;
    const std::int64_t m = std::max<std::int64_t>(n / 30, 16);
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(n + 2 * m, 0, std::numeric_limits<std::int32_t>::max()));
}

CMetafile RecordMetafile(const CTraceloDoc& doc, const CPlotWindow& window, CDevRect& rectPage,
                         const CDevRect& rectClient, CPlotArea& plotArea,
                         const CEmfReference& reference)
{
    CRestorePage restore(rectPage, rectClient);
    const std::int32_t nSide = GetMetafileSide(doc.m_nDivisions);
    rectPage = CDevRect{0, 0, nSide, nSide};

    CEmfDevice dc(reference, doc.GetTitle());
    CMetafile metafile;
    metafile.m_layout =
        DrawPlot(&dc, rectPage, window, doc.m_pFunctions.get(), doc.m_bGrid, plotArea);
    metafile.m_vBytes = dc.Finish();
    return metafile;
}

std::string SaveMetafile(const CMetafile& metafile, const std::string& strPath)
{
    try
    {
        CAtomicFile file(strPath);
        file.Open();
        file.Write(metafile.m_vBytes.data(), metafile.m_vBytes.size());
        file.Commit();
    }
    catch (const CFileException& e)
    {
        return e.GetErrorMessage();
    }
    catch (const std::exception&)
    {
        return res::kFailedToSaveDoc;
    }
    return std::string();
}

void ExportMetafile(CTraceloDoc& doc, CByteSink& out, const CSamplingOptions& sampling)
{
    const CGuiScope gui;

    // As a view shows the graph it has just opened: unzoomed, freshly sampled.
    if (doc.m_pFunctions != nullptr)
    {
        SampleAllOrThrow(*doc.m_pFunctions, doc.m_window, doc.m_nDivisions, sampling);
    }
    CDevRect rectPage;
    CPlotArea plotArea;
    const CMetafile metafile =
        RecordMetafile(doc, doc.m_window, rectPage, CDevRect{}, plotArea, GetScreenReference());
    out.Write(metafile.m_vBytes.data(), metafile.m_vBytes.size());
}
