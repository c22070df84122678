// Any bytes as a graph file: it loads or is refused with an archive error;
// a loaded graph writes back and reads again to the same graph, and its
// functions sample.
#include "core/doc/Archive.h"
#include "core/doc/TraceloDoc.h"
#include "core/expr/GraphFunction.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <span>

namespace
{

bool Load(CTraceloDoc& doc, std::span<const std::uint8_t> data)
{
    CMemorySource source(data);
    CArchive ar(source);
    try
    {
        doc.Serialize(ar);
        return true;
    }
    catch (const std::exception&)
    {
        return false;
    }
}

bool SameGraph(const CTraceloDoc& a, const CTraceloDoc& b)
{
    if (std::bit_cast<std::uint64_t>(a.m_window.m_dXMin) !=
            std::bit_cast<std::uint64_t>(b.m_window.m_dXMin) ||
        std::bit_cast<std::uint64_t>(a.m_window.m_dXMax) !=
            std::bit_cast<std::uint64_t>(b.m_window.m_dXMax) ||
        std::bit_cast<std::uint64_t>(a.m_window.m_dYMin) !=
            std::bit_cast<std::uint64_t>(b.m_window.m_dYMin) ||
        std::bit_cast<std::uint64_t>(a.m_window.m_dYMax) !=
            std::bit_cast<std::uint64_t>(b.m_window.m_dYMax) ||
        a.m_nDivisions != b.m_nDivisions || a.m_bGrid != b.m_bGrid ||
        a.m_pFunctions->size() != b.m_pFunctions->size())
        return false;
    for (std::size_t i = 0; i < a.m_pFunctions->size(); ++i)
    {
        const CGraphFunction& fa = (*a.m_pFunctions)[i];
        const CGraphFunction& fb = (*b.m_pFunctions)[i];
        if (fa.m_strExpression != fb.m_strExpression || fa.m_crColor != fb.m_crColor)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    CTraceloDoc doc;
    if (!Load(doc, std::span(pData, nSize)))
        return 0;

    // What is written is what was read (after the reader's corrections).
    CMemorySink sink;
    {
        CArchive ar(sink);
        doc.Serialize(ar);
    }
    CTraceloDoc again;
    if (!Load(again, sink.GetData()) || !SameGraph(doc, again))
        std::abort();

    // A few functions sampled as a view would, with the divisions kept small
    // so that an input runs in milliseconds.
    const std::int32_t nDivisions = std::min<std::int32_t>(doc.m_nDivisions, 2000);
    std::size_t nSampled = 0;
    for (CGraphFunction& function : *doc.m_pFunctions)
    {
        if (++nSampled > 8)
            break;
        function.Sample(doc.m_window, nDivisions);
        // n or n + 1 samples in ordinary windows; where the step is near the
        // spacing of the doubles, rounding makes each addition advance by
        // at least two thirds of a step, so never more than 1.5 n + 1.
        if (function.m_pPoints->GetCount() > 3 * static_cast<std::size_t>(nDivisions) / 2 + 2)
            std::abort();
    }
    return 0;
}
