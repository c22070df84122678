#include "shell/WindowArrangement.h"

#include <algorithm>

QRect CascadeRect(int& nIndex, const QSize& area, int nStep)
{
    const QSize size(std::max(area.width() * 3 / 4, 200), std::max(area.height() * 3 / 4, 150));
    int nOffset = nStep * nIndex;
    if (nIndex > 0 &&
        (nOffset + size.width() > area.width() || nOffset + size.height() > area.height()))
    {
        nIndex = 0;
        nOffset = 0;
    }
    return QRect(QPoint(nOffset, nOffset), size);
}

std::vector<QRect> TileRects(int nCount, const QRect& area)
{
    std::vector<QRect> vRects;
    if (nCount <= 0)
    {
        return vRects;
    }
    int r = 1;
    while ((r + 1) * (r + 1) <= nCount)
    {
        ++r;
    }
    const int nWidth = area.width() / r;
    const int nPerColumn = nCount / r;
    for (int nColumn = 0; nColumn < r; ++nColumn)
    {
        const int nRows = nColumn == r - 1 ? nCount - nPerColumn * (r - 1) : nPerColumn;
        const int nHeight = area.height() / nRows;
        for (int nRow = 0; nRow < nRows; ++nRow)
        {
            vRects.emplace_back(area.left() + nColumn * nWidth, area.top() + nRow * nHeight, nWidth,
                                nHeight);
        }
    }
    return vRects;
}

std::vector<QRect> IconRects(const std::vector<QSize>& vSizes, const QSize& area)
{
    std::vector<QRect> vRects;
    int x = 0;
    int nBottom = area.height();
    int nRowHeight = 0;
    for (const QSize& size : vSizes)
    {
        if (x > 0 && x + size.width() > area.width())
        {
            x = 0;
            nBottom -= nRowHeight;
            nRowHeight = 0;
        }
        vRects.emplace_back(QPoint(x, nBottom - size.height()), size);
        x += size.width();
        nRowHeight = std::max(nRowHeight, size.height());
    }
    return vRects;
}

QRect AreaAboveIcons(const std::vector<QRect>& vIcons, const QSize& area)
{
    int nTop = area.height();
    for (const QRect& icon : vIcons)
    {
        nTop = std::min(nTop, icon.top());
    }
    // Icons that fill the area leave it whole rather than nothing.
    return nTop > 0 ? QRect(0, 0, area.width(), nTop) : QRect(QPoint(0, 0), area);
}
