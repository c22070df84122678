// Helpers shared by the drawing tests: the records of a recording device
// turned into lines.
#pragma once

#include <vector>

#include "RecordingDevice.h"

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
