// A graph drawn on an image with its curves shared out among threads.
#pragma once

#include "core/plot/DrawPlot.h"

class CQtDrawDevice;
class QImage;

// Below this many samples in all, the curves are drawn on the calling
// thread: starting the others would cost more than it saves.
inline constexpr std::size_t kSmallDrawing = 65536;

// DrawPlot through dc, a device on a painter active on image, with the
// curves drawn on up to nThreads threads (0: as many as sampling may use,
// which TRACELO_THREADS bounds). The plot is cut into as many bands of
// columns, each drawn by a device of its own with every curve in list order,
// so the pixels are those one thread paints. Grid, frame and labels are
// drawn through dc; a small graph, an image of other than 32 bits a pixel or
// of a fractional device pixel ratio, or a raster operation other than the
// copy pen keeps the curves on dc too.
CPlotLayout DrawPlotOnImage(QImage& image, CQtDrawDevice& dc, const CDevRect& rectPage,
                            const CPlotWindow& window, const CFunctionList* pFunctions, bool bGrid,
                            CPlotArea& plotArea, int nThreads = 0);
