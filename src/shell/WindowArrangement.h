// Where Sovrapponi, Affianca and Disponi icone put the graph windows, as
// rectangles in the window area's own coordinates. No widgets: the frame
// gathers the windows and their sizes, these say where each one goes.
#pragma once

#include <QRect>
#include <QSize>
#include <vector>

// The nIndex-th staggered place for a new or cascaded window: three quarters
// of the area (at least 200 by 150), moved down and right by nStep per
// place. nIndex goes back to 0 when its place would reach beyond the area.
QRect CascadeRect(int& nIndex, const QSize& area, int nStep);

// nCount windows side by side in area: r columns of equal width, r the whole
// part of the square root of nCount; nCount / r windows in each, the last
// column taking the rest, stacked from the top at equal heights. Column by
// column, from the top left.
std::vector<QRect> TileRects(int nCount, const QRect& area);

// Minimised windows of the given sizes in a row along the bottom of the
// area, from the left; a full row continues above.
std::vector<QRect> IconRects(const std::vector<QSize>& vSizes, const QSize& area);

// What is left of the area above the icons lined up by IconRects, where the
// other windows are arranged so that none covers an icon. The whole area
// when there are no icons, or when they would leave no room.
QRect AreaAboveIcons(const std::vector<QRect>& vIcons, const QSize& area);
