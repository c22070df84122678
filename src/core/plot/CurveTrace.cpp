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
// joined samples s, ..., e paints the pixels between its lowest and highest
// sample, each of those two included only if a sample after s reaches it
// (s itself is painted only by the line that enters the column, which is
// kept). The run is replaced by s, its extremes in an order that paints
// exactly those pixels, and e; the lines entering and leaving the column
// still start and end at s and e. Consecutive samples are never equal here.
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
                CloseColumn();
                m_bInPiece = false;
            }
            return;
        }
        if (!m_bInPiece)
        {
            OpenColumn(x, y);
            m_bInPiece = true;
            return;
        }
        if (x == m_nX)
        {
            m_nLast = y;
            m_bSeveral = true;
            if (y <= m_nMin)
            {
                m_nMin = y;
                m_bMinReached = true;
            }
            if (y >= m_nMax)
            {
                m_nMax = y;
                m_bMaxReached = true;
            }
            return;
        }
        CloseColumn();
        Line(x, y, m_nX, m_nLast); // the line entering the new column
        OpenColumn(x, y);
    }

    void Finish()
    {
        if (m_bInPiece)
        {
            CloseColumn();
            m_bInPiece = false;
        }
    }

private:
    void Line(std::int32_t xNew, std::int32_t yNew, std::int32_t xOld, std::int32_t yOld)
    {
        Join(m_pDC, xNew, yNew, xOld, yOld);
        // The device may have painted with Qt's raster code just now.
        ClearUpperVectorState();
    }

    void OpenColumn(std::int32_t x, std::int32_t y)
    {
        m_nX = x;
        m_nFirst = m_nLast = m_nMin = m_nMax = y;
        m_bSeveral = m_bMinReached = m_bMaxReached = false;
    }

    void CloseColumn()
    {
        if (!m_bSeveral)
        {
            return;
        }
        std::int32_t chain[4];
        int n = 0;
        chain[n++] = m_nFirst;
        if (m_nFirst == m_nMin)
        {
            chain[n++] = m_nMax;
            if (m_bMinReached)
            {
                chain[n++] = m_nMin;
            }
        }
        else if (m_nFirst == m_nMax)
        {
            chain[n++] = m_nMin;
            if (m_bMaxReached)
            {
                chain[n++] = m_nMax;
            }
        }
        else
        {
            chain[n++] = m_nMin;
            chain[n++] = m_nMax;
        }
        if (chain[n - 1] != m_nLast)
        {
            chain[n++] = m_nLast;
        }
        for (int i = 1; i < n; ++i)
        {
            Line(m_nX, chain[i], m_nX, chain[i - 1]);
        }
    }

    CDrawDevice* const m_pDC;
    const std::int32_t m_nTop;
    const std::int64_t m_nBottom;
    bool m_bInPiece = false;
    // The column being gathered: its X, first and last sample, extremes, and
    // whether a sample after the first reached each extreme.
    std::int32_t m_nX = 0;
    std::int32_t m_nFirst = 0;
    std::int32_t m_nLast = 0;
    std::int32_t m_nMin = 0;
    std::int32_t m_nMax = 0;
    bool m_bSeveral = false;
    bool m_bMinReached = false;
    bool m_bMaxReached = false;
};

} // namespace

void TraceCurve(CDrawDevice* pDC, ECurveTrace eTrace, std::span<const CCurvePoint> points,
                const CPlotWindow& window, const CCurveBox& box)
{
    const CCurveMapper mapper(window, box);
    const std::int32_t nTop = box.m_nTop;
    const std::int64_t nBottom = static_cast<std::int64_t>(box.m_nTop) + box.m_nHeight;
    auto isInside = [&](std::int32_t y) { return nTop < y && y < nBottom; };

    if (eTrace == ECurveTrace::EveryPoint)
    {
        bool bHavePrevious = false;
        std::int32_t nPrevX = 0;
        std::int32_t nPrevY = 0;
        for (const CCurvePoint& pt : points)
        {
            const std::int32_t x = mapper.X(pt);
            const std::int32_t y = mapper.Y(pt);
            pDC->MoveTo(x, y);
            // Only samples strictly inside vertically are joined; the line
            // runs from the newer sample to the older one, so the older one's
            // pixel is left to its own older neighbour.
            if (bHavePrevious && isInside(y) && isInside(nPrevY))
            {
                pDC->LineTo(nPrevX, nPrevY);
            }
            nPrevX = x;
            nPrevY = y;
            bHavePrevious = true;
        }
        return;
    }

    // A sample on the device point of the one before adds a line of no
    // length, which paints nothing, and moves to where the next line would
    // start anyway: it is left out.
    bool bHavePrevious = false;
    std::int32_t nPrevX = 0;
    std::int32_t nPrevY = 0;
    // Where tracing every sample would leave the current position: at the
    // last sample, or at the one before it when the two were joined.
    CDevPoint ptEnd;
    if (eTrace == ECurveTrace::SkipRepeats)
    {
        for (const CCurvePoint& pt : points)
        {
            const std::int32_t x = mapper.X(pt);
            const std::int32_t y = mapper.Y(pt);
            if (bHavePrevious && x == nPrevX && y == nPrevY)
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
        ClearUpperVectorState();
    }
    else
    {
        CColumnReducer reducer(pDC, nTop, nBottom);
        for (const CCurvePoint& pt : points)
        {
            const std::int32_t x = mapper.X(pt);
            const std::int32_t y = mapper.Y(pt);
            if (bHavePrevious && x == nPrevX && y == nPrevY)
            {
                continue;
            }
            reducer.Add(x, y);
            nPrevX = x;
            nPrevY = y;
            bHavePrevious = true;
        }
        reducer.Finish();
    }
    if (points.empty())
    {
        return;
    }
    ptEnd = CDevPoint{mapper.X(points.back()), mapper.Y(points.back())};
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
    // Every step of the mapping keeps the order of X as long as none of
    // them overflows; samples lie within the window they were taken for.
    const double dSpan = window.m_dXMax - window.m_dXMin;
    if (!(dSpan > 0) || !std::isfinite(dSpan * box.m_nWidth) || box.m_nWidth <= 0)
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
