// Any bytes as a graph file, and the graph it loads written as an Enhanced
// Metafile: the writer must produce a well-formed file for every graph the
// program can hold.
#include "core/doc/Archive.h"
#include "core/doc/TraceloDoc.h"
#include "render/MetafileExport.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <span>

extern "C" int LLVMFuzzerInitialize(int* pArgc, char*** pArgv)
{
    // One application for the whole run, off screen; never destroyed, since
    // Qt cannot be torn down among the other statics at exit.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication* s_pApp = new QGuiApplication(*pArgc, *pArgv);
    (void)s_pApp;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    CTraceloDoc doc;
    try
    {
        CMemorySource source(std::span(pData, nSize));
        CArchive ar(source);
        doc.Serialize(ar);
    }
    catch (const std::exception&)
    {
        return 0; // refused: nothing to export
    }
    // The picture's side grows with the divisions; keep an input to
    // milliseconds, as the fuzzer needs.
    doc.m_nDivisions = std::min<std::int32_t>(doc.m_nDivisions, 300);
    if (doc.m_pFunctions->size() > 8)
        doc.m_pFunctions->erase(doc.m_pFunctions->begin() + 8, doc.m_pFunctions->end());

    CMemorySink sink;
    ExportMetafile(doc, sink);
    const std::vector<std::uint8_t>& v = sink.GetData();
    // The header record: type 1, then " EMF" at offset 40; the file's size at
    // offset 48 is the number of bytes written.
    std::uint32_t nType = 0;
    std::uint32_t nBytes = 0;
    if (v.size() < 88)
        std::abort();
    std::memcpy(&nType, v.data(), 4);
    std::memcpy(&nBytes, v.data() + 48, 4);
    if (nType != 1 || std::memcmp(v.data() + 40, " EMF", 4) != 0 || nBytes != v.size())
        std::abort();
    return 0;
}
