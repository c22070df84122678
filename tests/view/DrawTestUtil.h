// Helpers shared by the drawing tests: the records of a recording device
// turned into lines, dots and texts.
#pragma once

#include <map>
#include <set>
#include <utility>
#include <vector>

#include "view/RecordingDevice.h"

struct CLine
{
    std::int32_t x1, y1, x2, y2;
    bool operator==(const CLine&) const = default;
};

inline std::vector<CLine> LinesOf(const CRecordingDevice& dc)
{
    std::vector<CLine> vLines;
    for (const CDrawRecord& r : dc.GetRecords(EDrawOp::LineTo))
    {
        vLines.push_back(CLine{r.m_nX1, r.m_nY1, r.m_nX2, r.m_nY2});
    }
    return vLines;
}

// Grid dots grouped by the column (vertical lines) they lie in.
inline std::map<std::int32_t, std::vector<std::int32_t>> DotsByColumn(const CRecordingDevice& dc,
                                                                      std::int32_t nTop)
{
    std::map<std::int32_t, std::vector<std::int32_t>> columns;
    for (const CDrawRecord& r : dc.GetRecords(EDrawOp::SetPixel))
    {
        columns[r.m_nX1].push_back(r.m_nY1);
    }
    (void)nTop;
    return columns;
}

// The set of (x, y) of every SetPixel.
inline std::set<std::pair<std::int32_t, std::int32_t>> DotSet(const CRecordingDevice& dc)
{
    std::set<std::pair<std::int32_t, std::int32_t>> dots;
    for (const CDrawRecord& r : dc.GetRecords(EDrawOp::SetPixel))
    {
        dots.emplace(r.m_nX1, r.m_nY1);
    }
    return dots;
}
