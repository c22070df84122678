#include "core/plot/CurveTrace.h"

#include <algorithm>
#include <cmath>

#include "core/plot/Mapping.h"
#include "core/plot/VectorState.h"

namespace
{

// Samples mapped one by one with the rule of the plot area.
class CCurveMapper
{
public:
    CCurveMapper(const CPlotWindow& window, const CCurveBox& box) : m_window(window), m_box(box) {}

    std::int32_t X(const CCurvePoint& pt) const
    {
        return MapX(pt.m_dX, m_window.m_dXMin, m_window.m_dXMax, m_box.m_nLeft, m_box.m_nWidth);
    }
    std::int32_t Y(const CCurvePoint& pt) const
    {
        return MapY(pt.m_dY, m_window.m_dYMin, m_window.m_dYMax, m_box.m_nTop, m_box.m_nHeight);
    }

private:
    const CPlotWindow m_window;
    const CCurveBox m_box;
};

// A line from the newer sample back to the older one, as the curve draws it.
void Join(CDrawDevice* pDC, std::int32_t xNew, std::int32_t yNew, std::int32_t xOld,
          std::int32_t yOld)
{
    pDC->MoveTo(xNew, yNew);
    pDC->LineTo(xOld, yOld);
}

// Reduces the joined samples to lines that paint the same pixels. A line
// paints its start pixel and not its end one, so within one column a run of
// joined samples s, ..., e paints the pixels from its lowest to its highest
// sample, each of those two included only if a sample after s reaches it
// (s itself is painted only by the line that enters the column, which is
// kept). Each run gives that span of pixels; the spans of the runs that one
// column holds between breaks are merged while they overlap or touch, and
// each merged span is painted as one line. The lines entering and leaving a
// column still join the samples they joined. Consecutive samples are never
// equal here.
class CColumnReducer
{
public:
    CColumnReducer(CDrawDevice* pDC, std::int32_t nTop, std::int64_t nBottom)
        : m_pDC(pDC), m_nTop(nTop), m_nBottom(nBottom)
    {
    }

    void Add(std::int32_t x, std::int32_t y)
    {
        if (!(m_nTop < y && y < m_nBottom))
        {
            // Outside: no line reaches it; the piece before it ends.
            if (m_bInPiece)
            {
                CloseRun();
                m_bInPiece = false;
            }
            return;
        }
        if (!m_bInPiece)
        {
            OpenRun(x, y);
            m_bInPiece = true;
            return;
        }
        if (x == m_nX)
        {
            // Without branches: a noisy curve would mispredict most of them.
            m_nLast = y;
            m_bSeveral = true;
            m_bMinReached |= y <= m_nMin;
            m_bMaxReached |= y >= m_nMax;
            m_nMin = std::min(m_nMin, y);
            m_nMax = std::max(m_nMax, y);
            return;
        }
        CloseRun();
        Line(x, y, m_nX, m_nLast); // the line entering the new column
        OpenRun(x, y);
    }

    void Finish()
    {
        if (m_bInPiece)
        {
            CloseRun();
            m_bInPiece = false;
        }
        PaintSpan();
    }

private:
    void Line(std::int32_t xNew, std::int32_t yNew, std::int32_t xOld, std::int32_t yOld)
    {
        Join(m_pDC, xNew, yNew, xOld, yOld);
        // The device may have painted with Qt's raster code just now.
        ClearUpperVectorState();
    }

    void OpenRun(std::int32_t x, std::int32_t y)
    {
        if (m_bSpan && x != m_nSpanX)
        {
            PaintSpan();
        }
        m_nX = x;
        m_nLast = m_nMin = m_nMax = y;
        m_bSeveral = m_bMinReached = m_bMaxReached = false;
    }

    void CloseRun()
    {
        if (!m_bSeveral)
        {
            return;
        }
        // An extreme that only the run's first sample reached is not painted.
        const std::int32_t nLow = m_bMinReached ? m_nMin : m_nMin + 1;
        const std::int32_t nHigh = m_bMaxReached ? m_nMax : m_nMax - 1;
        if (m_bSpan && nLow <= static_cast<std::int64_t>(m_nSpanHigh) + 1 &&
            nHigh >= static_cast<std::int64_t>(m_nSpanLow) - 1)
        {
            m_nSpanLow = std::min(m_nSpanLow, nLow);
            m_nSpanHigh = std::max(m_nSpanHigh, nHigh);
            return;
        }
        PaintSpan();
        m_bSpan = true;
        m_nSpanX = m_nX;
        m_nSpanLow = nLow;
        m_nSpanHigh = nHigh;
    }

    // From the highest pixel down to the lowest one, which the line's end
    // just above it leaves in: no coordinate leaves the plot area's range.
    void PaintSpan()
    {
        if (m_bSpan)
        {
            Line(m_nSpanX, m_nSpanHigh, m_nSpanX, m_nSpanLow - 1);
            m_bSpan = false;
        }
    }

    CDrawDevice* const m_pDC;
    const std::int32_t m_nTop;
    const std::int64_t m_nBottom;
    bool m_bInPiece = false;
    // The run being gathered: its column, last sample, extremes, and whether
    // a sample after the first reached each extreme.
    std::int32_t m_nX = 0;
    std::int32_t m_nLast = 0;
    std::int32_t m_nMin = 0;
    std::int32_t m_nMax = 0;
    bool m_bSeveral = false;
    bool m_bMinReached = false;
    bool m_bMaxReached = false;
    // The span of pixels merged so far, not painted yet.
    bool m_bSpan = false;
    std::int32_t m_nSpanX = 0;
    std::int32_t m_nSpanLow = 0;
    std::int32_t m_nSpanHigh = 0;
};

// Whether mapping keeps the order of X: every step of it does as long as
// none of them overflows, and samples lie within the window they were taken
// for.
bool MappingKeepsOrder(const CPlotWindow& window, const CCurveBox& box)
{
    const double dSpan = window.m_dXMax - window.m_dXMin;
    return dSpan > 0 && box.m_nWidth > 0 && std::isfinite(dSpan * box.m_nWidth);
}

// The index after the last sample from nFirst on that maps to column x:
// steps of doubling length, then a search within the last step.
std::size_t ColumnEnd(std::span<const CCurvePoint> points, std::size_t nFirst, std::int32_t x,
                      const CCurveMapper& mapper)
{
    const std::size_t nCount = points.size();
    std::size_t nLow = nFirst + 1; // every sample before it is in the column
    std::size_t nStep = 1;
    while (nLow < nCount && mapper.X(points[nLow]) == x)
    {
        nLow += nStep;
        nStep *= 2;
    }
    // Now points[nLow] is past the column (or the end); the samples from
    // the one before the last step on may be either.
    const std::size_t nHigh = std::min(nLow, nCount);
    const std::size_t nFrom = nStep > 1 ? nLow - nStep / 2 + 1 : nLow;
    return static_cast<std::size_t>(
        std::partition_point(points.begin() + static_cast<std::ptrdiff_t>(std::min(nFrom, nHigh)),
                             points.begin() + static_cast<std::ptrdiff_t>(nHigh),
                             [&](const CCurvePoint& pt) { return mapper.X(pt) == x; }) -
        points.begin());
}

} // namespace

void TraceCurve(CDrawDevice* pDC, ECurveTrace eTrace, std::span<const CCurvePoint> points,
                const CPlotWindow& window, const CCurveBox& box)
{
    const CCurveMapper mapper(window, box);
    const std::int32_t nTop = box.m_nTop;
    const std::int64_t nBottom = static_cast<std::int64_t>(box.m_nTop) + box.m_nHeight;
    auto isInside = [&](std::int32_t y) { return nTop < y && y < nBottom; };
    // Whatever the device painted before: the loop below is plain SSE.
    ClearUpperVectorState();

    // On every device each sample is moved to, and joined to the one before
    // when both are strictly inside vertically; the line runs from the newer
    // sample to the older one, so the older one's pixel is left to its own
    // older neighbour. Where repeats may be skipped, a sample on the device
    // point of the one before is left out: its line has no length and paints
    // nothing, and the next line would start there anyway.
    bool bHavePrevious = false;
    std::int32_t nPrevX = 0;
    std::int32_t nPrevY = 0;
    if (eTrace != ECurveTrace::Pixels)
    {
        const bool bSkipRepeats = eTrace == ECurveTrace::SkipRepeats;
        for (const CCurvePoint& pt : points)
        {
            const std::int32_t x = mapper.X(pt);
            const std::int32_t y = mapper.Y(pt);
            if (bSkipRepeats && bHavePrevious && x == nPrevX && y == nPrevY)
            {
                continue;
            }
            pDC->MoveTo(x, y);
            if (bHavePrevious && isInside(y) && isInside(nPrevY))
            {
                pDC->LineTo(nPrevX, nPrevY);
            }
            nPrevX = x;
            nPrevY = y;
            bHavePrevious = true;
        }
        if (!bSkipRepeats)
        {
            return; // the current position is the last sample's already
        }
        ClearUpperVectorState();
    }
    else
    {
        CColumnReducer reducer(pDC, nTop, nBottom);
        auto add = [&](std::int32_t x, std::int32_t y)
        {
            if (bHavePrevious && x == nPrevX && y == nPrevY)
            {
                return;
            }
            reducer.Add(x, y);
            nPrevX = x;
            nPrevY = y;
            bHavePrevious = true;
        };
        if (MappingKeepsOrder(window, box))
        {
            // The samples of one column follow each other: its end is found
            // by a search, and within it only Y is mapped.
            const std::size_t nCount = points.size();
            std::size_t i = 0;
            while (i < nCount)
            {
                const std::int32_t x = mapper.X(points[i]);
                const std::size_t nEnd = ColumnEnd(points, i, x, mapper);
                for (; i < nEnd; ++i)
                {
                    add(x, mapper.Y(points[i]));
                }
            }
        }
        else
        {
            for (const CCurvePoint& pt : points)
            {
                add(mapper.X(pt), mapper.Y(pt));
            }
        }
        reducer.Finish();
    }
    if (points.empty())
    {
        return;
    }
    // Where tracing every sample would leave the current position: at the
    // last sample, or at the one before it when the two were joined.
    CDevPoint ptEnd{mapper.X(points.back()), mapper.Y(points.back())};
    if (points.size() >= 2)
    {
        const CCurvePoint& ptBefore = points[points.size() - 2];
        const std::int32_t yBefore = mapper.Y(ptBefore);
        if (isInside(ptEnd.m_nY) && isInside(yBefore))
        {
            ptEnd = CDevPoint{mapper.X(ptBefore), yBefore};
        }
    }
    pDC->MoveTo(ptEnd.m_nX, ptEnd.m_nY);
}

std::span<const CCurvePoint> PointsForColumns(std::span<const CCurvePoint> points,
                                              const CPlotWindow& window, const CCurveBox& box,
                                              std::int32_t nFrom, std::int32_t nTo)
{
    if (!MappingKeepsOrder(window, box))
    {
        return points;
    }
    const CCurveMapper mapper(window, box);
    auto firstAtOrAfter = [&](std::int32_t nColumn)
    {
        return std::partition_point(points.begin(), points.end(),
                                    [&](const CCurvePoint& pt) { return mapper.X(pt) < nColumn; });
    };
    auto itBegin = firstAtOrAfter(nFrom);
    auto itEnd = firstAtOrAfter(nTo);
    // The line that enters the first column starts at the sample before it;
    // the one that leaves the last column ends at the sample after it.
    if (itBegin != points.begin())
    {
        --itBegin;
    }
    if (itEnd != points.end())
    {
        ++itEnd;
    }
    return std::span<const CCurvePoint>(itBegin, itEnd);
}
