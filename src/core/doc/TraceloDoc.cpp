#include "core/doc/TraceloDoc.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <string>
#include <utility>

#include "core/doc/Archive.h"
#include "core/doc/FileErrors.h"
#include "core/expr/Sampling.h"

namespace
{

// Records whose memory is checked at once: below this the functions take
// less than asking the system how much is left.
constexpr std::uint64_t kRecordsPerCheck = 1u << 16;
// The first block of a list read from a stream; each next one is twice as
// large, so the list grows with the records that really arrive.
constexpr std::uint64_t kFirstStreamRecords = 16;

// Refuses, as running out of memory, records that would not fit in the
// memory left to the program, before they are allocated.
void CheckRoomFor(std::uint64_t nRecords)
{
    if (nRecords * kBytesPerLoadedFunction > MemoryBudget())
    {
        throw std::bad_alloc();
    }
}

// Makes room in the list for the next record read from a stream. The list
// grows only here, in blocks whose size is chosen here, and while it moves
// into a larger block both are held: that is what the memory must allow.
void GrowForStream(CFunctionList& functions, std::uint64_t nCount)
{
    if (functions.size() < functions.capacity())
    {
        return;
    }
    const std::uint64_t nHave = functions.capacity();
    const std::uint64_t nNext = std::min(nCount, std::max(kFirstStreamRecords, nHave * 2));
    if (nNext >= kRecordsPerCheck)
    {
        CheckRoomFor(nHave + nNext);
    }
    functions.reserve(static_cast<std::size_t>(nNext));
}

} // namespace

CTraceloDoc::CTraceloDoc()
    : m_pEvaluator(std::make_unique<CExprEvaluator>()),
      m_pFunctions(std::make_unique<CFunctionList>())
{
    m_pFunctions->reserve(10);
}

CTraceloDoc::~CTraceloDoc()
{
    // The functions point to the evaluator: they go first.
    DeleteFunctions();
    m_pFunctions.reset();
    m_pEvaluator.reset();
}

bool CTraceloDoc::OnNewDocument()
{
    if (!CDocument::OnNewDocument())
    {
        return false;
    }
    DeleteFunctions();
    m_window = kNewGraphWindow;
    m_nDivisions = kDefaultDivisions;
    m_bGrid = kDefaultGrid;
    return true;
}

void CTraceloDoc::DeleteFunctions()
{
    if (m_pFunctions != nullptr)
    {
        m_pFunctions->clear();
    }
}

void CTraceloDoc::CorrectParameters()
{
    m_window = m_window.Corrected();
    if (m_nDivisions < kMinDivisions)
    {
        m_nDivisions = kMinDivisions;
    }
    else if (m_nDivisions > kMaxDivisions)
    {
        m_nDivisions = kMaxDivisions;
    }
}

void CTraceloDoc::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar << m_window.m_dXMin << m_window.m_dXMax << m_window.m_dYMin << m_window.m_dYMax;
        ar << m_nDivisions;
        ar << std::int32_t{m_bGrid ? 1 : 0};
        ar << static_cast<std::int32_t>(m_pFunctions->size());
        for (const CGraphFunction& function : *m_pFunctions)
        {
            ar.WriteString(function.m_strExpression);
            ar << function.m_crColor;
        }
        return;
    }

    // Everything is read before the document changes, so a file that ends
    // early leaves no half-read graph behind.
    CPlotWindow window;
    std::int32_t nDivisions = 0;
    std::int32_t nGrid = 0;
    std::int32_t nCount = 0;
    ar >> window.m_dXMin >> window.m_dXMax >> window.m_dYMin >> window.m_dYMax;
    ar >> nDivisions >> nGrid >> nCount;

    // Every record takes at least kMinRecordBytes: a count the rest of the
    // file cannot hold is refused before anything is read or allocated, and
    // the list is then allocated once for all the records. A stream, whose
    // size is unknown, grows the list as its records arrive, so a count
    // costs only the records that really follow it.
    // Records that would not fit in memory are refused as well, before the
    // list grows until the machine has none left.
    CFunctionList functions;
    const std::uint64_t nRemaining = nCount > 0 ? ar.GetRemaining() : 0;
    const bool bStream = nRemaining == CByteSource::kUnknownRemaining;
    if (nCount > 0 && !bStream)
    {
        if (static_cast<std::uint64_t>(nCount) > nRemaining / kMinRecordBytes)
        {
            throw CArchiveException(CArchiveException::ECause::EndOfFile);
        }
        if (static_cast<std::uint64_t>(nCount) >= kRecordsPerCheck)
        {
            CheckRoomFor(static_cast<std::uint64_t>(nCount));
        }
        functions.reserve(static_cast<std::size_t>(nCount));
    }
    for (std::int32_t i = 0; i < nCount; ++i)
    {
        std::string strExpression = ar.ReadString();
        COLORREF crColor = 0;
        ar >> crColor;
        if (bStream)
        {
            GrowForStream(functions, static_cast<std::uint64_t>(nCount));
        }
        CGraphFunction& function = functions.emplace_back(m_pEvaluator.get());
        function.m_strExpression = std::move(strExpression);
        function.m_crColor = crColor;
    }

    m_window = window;
    m_nDivisions = nDivisions;
    m_bGrid = nGrid == 1;
    DeleteFunctions();
    *m_pFunctions = std::move(functions);
    CorrectParameters();
}
