#include "render/ImagePlot.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "core/expr/Sampling.h"
#include "core/plot/CurveTrace.h"
#include "render/QtDrawDevice.h"

namespace
{
void DrawCurvesInOrder(CDrawDevice* pDC, const CFunctionList& functions, const CPlotLayout& layout)
{
    for (const CGraphFunction& function : functions)
    {
        function.DrawCurve(pDC, layout.m_nPlotLeft, layout.m_nPlotWidth, layout.m_nPlotTop,
                           layout.m_nPlotHeight);
    }
}
} // namespace

CPlotLayout DrawPlotOnImage(QImage& image, CQtDrawDevice& dc, const CDevRect& rectPage,
                            const CPlotWindow& window, const CFunctionList* pFunctions, bool bGrid,
                            CPlotArea& plotArea, int nThreads)
{
    auto drawCurves =
        [&](CDrawDevice* pDC, const CFunctionList& functions, const CPlotLayout& layout)
    {
        std::size_t nPoints = 0;
        for (const CGraphFunction& function : functions)
        {
            nPoints += function.m_pPoints->GetCount();
        }
        const int nBands = std::clamp(nThreads > 0 ? nThreads : SamplingThreadLimit(), 1, 64);
        // At a whole device pixel ratio the bands' device pixels stay apart.
        const qreal dRatio = image.devicePixelRatio();
        if (nBands == 1 || nPoints < kSmallDrawing || image.depth() != 32 ||
            dc.GetROP2() != ERop2::CopyPen || dRatio != std::floor(dRatio))
        {
            DrawCurvesInOrder(pDC, functions, layout);
            return;
        }
        // The grid goes under the curves.
        dc.Flush();
        uchar* pBits = image.bits();
        const int nImageWidth = image.width();
        const CCurveBox box{layout.m_nPlotLeft, layout.m_nPlotWidth, layout.m_nPlotTop,
                            layout.m_nPlotHeight};
        // Bands of equal width over the plot area; the outer ones reach the
        // image's edges.
        auto bandEdge = [&](int nBand) -> std::int32_t
        {
            if (nBand == 0)
            {
                return 0;
            }
            if (nBand == nBands)
            {
                return nImageWidth;
            }
            return static_cast<std::int32_t>(box.m_nLeft + static_cast<std::int64_t>(box.m_nWidth) *
                                                               nBand / nBands);
        };
#pragma omp parallel for num_threads(nBands) schedule(static, 1)
        for (int nBand = 0; nBand < nBands; ++nBand)
        {
            // A second image on the same pixels: each band has a painter of
            // its own, and paints only its own columns.
            QImage band(pBits, nImageWidth, image.height(), image.bytesPerLine(), image.format());
            band.setDevicePixelRatio(image.devicePixelRatio());
            QPainter painter(&band);
            CQtDrawDevice bandDC(&painter);
            const std::int32_t nFrom = bandEdge(nBand);
            const std::int32_t nTo = bandEdge(nBand + 1);
            bandDC.LimitToColumns(nFrom, nTo);
            for (const CGraphFunction& function : functions)
            {
                DrawCurveColumns(function, &bandDC, box, nFrom, nTo);
            }
        }
    };
    return DrawPlot(&dc, rectPage, window, pFunctions, bGrid, plotArea, drawCurves);
}
