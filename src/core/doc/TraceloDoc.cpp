#include "core/doc/TraceloDoc.h"

#include <utility>

#include "core/doc/Archive.h"
#include "core/doc/FileErrors.h"

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
        std::int32_t nCount = 0;
        for (const auto& pFunction : *m_pFunctions)
        {
            nCount += pFunction != nullptr ? 1 : 0;
        }
        ar << nCount;
        for (const auto& pFunction : *m_pFunctions)
        {
            if (pFunction != nullptr)
            {
                ar.WriteString(pFunction->m_strExpression);
                ar << pFunction->m_crColor;
            }
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
    // file cannot hold is refused before anything is read or allocated. A
    // stream, whose size is unknown, grows the list record by record, so a
    // count costs only the records that really follow it.
    CFunctionList functions;
    if (nCount > 0)
    {
        const std::uint64_t nRemaining = ar.GetRemaining();
        if (nRemaining != CByteSource::kUnknownRemaining)
        {
            if (static_cast<std::uint64_t>(nCount) > nRemaining / kMinRecordBytes)
            {
                throw CArchiveException(CArchiveException::ECause::EndOfFile);
            }
            functions.reserve(static_cast<std::size_t>(nCount));
        }
    }
    for (std::int32_t i = 0; i < nCount; ++i)
    {
        auto pFunction = std::make_unique<CGraphFunction>(m_pEvaluator.get());
        pFunction->m_strExpression = ar.ReadString();
        ar >> pFunction->m_crColor;
        functions.push_back(std::move(pFunction));
    }

    m_window = window;
    m_nDivisions = nDivisions;
    m_bGrid = nGrid == 1;
    DeleteFunctions();
    *m_pFunctions = std::move(functions);
    CorrectParameters();
}
