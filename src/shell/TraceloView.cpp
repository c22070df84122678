#include "shell/TraceloView.h"

#include <QGuiApplication>
#include <QPainter>
#include <vector>

#include "core/doc/TraceloDoc.h"
#include "core/plot/DrawPlot.h"
#include "core/plot/PlotArea.h"
#include "render/ImagePlot.h"
#include "render/QtDrawDevice.h"
#include "res/ResourceIds.h"
#include "shell/Printing.h"
#include "shell/SamplingProgress.h"

CTraceloView::CTraceloView(CTraceloDoc* pDoc, CPrintSettings* pPrint)
    : m_pPrint(pPrint), m_pDoc(pDoc), m_pPlotArea(std::make_unique<CPlotArea>())
{
    setObjectName(QStringLiteral("TraceloView"));
    // A click with any button gives the view the focus, which activates its
    // graph window before a context-menu request is handled.
    setFocusPolicy(Qt::ClickFocus);
    // The window's background is erased under the drawing.
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setMouseTracking(true);
}

CTraceloView::~CTraceloView() = default;

void CTraceloView::Detach()
{
    m_pPrint = nullptr;
    m_pDoc = nullptr;
    m_pFunctions = nullptr;
    m_pEvaluator = nullptr;
}

void CTraceloView::OnInitialUpdate()
{
    if (m_pDoc == nullptr)
    {
        return;
    }
    m_pFunctions = m_pDoc->m_pFunctions.get();
    m_pEvaluator = m_pDoc->m_pEvaluator.get();
    m_window = m_pDoc->m_window;
    ResampleAndRedraw();
}

void CTraceloView::OnPrepareDC(CPrintInfo* pInfo)
{
    if (pInfo == nullptr)
    {
        m_layout.m_rectPage = CDevRect{0, 0, width(), height()};
        return;
    }
    pInfo->m_nMinPage = 1;
    pInfo->m_nMaxPage = 1;
    const QRect& rect = pInfo->m_rectDraw;
    m_layout.m_rectPage =
        CDevRect{rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
}

void CTraceloView::DrawPlot(CDrawDevice* pDC)
{
    const bool bGrid = m_pDoc != nullptr && m_pDoc->m_bGrid;
    m_layout = ::DrawPlot(pDC, m_layout.m_rectPage, m_window, m_pFunctions, bGrid, *m_pPlotArea);
}

void CTraceloView::ResampleAndRedraw()
{
    if (m_pFunctions != nullptr && m_pDoc != nullptr)
    {
        std::vector<CGraphFunction*> vFunctions;
        vFunctions.reserve(m_pFunctions->size());
        for (CGraphFunction& function : *m_pFunctions)
            vFunctions.push_back(&function);
        SampleWithProgress(this, vFunctions, m_window, m_pDoc->m_nDivisions);
        // Every view of the graph draws its curves anew.
        ++m_pDoc->m_nSamplings;
    }
    update();
}

CTraceloView::CDrawnGraph CTraceloView::DescribeGraph() const
{
    const qreal dRatio = devicePixelRatioF();
    CDrawnGraph graph;
    graph.m_sizePixels = (QSizeF(size()) * dRatio).toSize();
    graph.m_dRatio = dRatio;
    graph.m_rgbBackground = palette().color(QPalette::Base).rgba();
    graph.m_window = m_window;
    graph.m_bGrid = m_pDoc != nullptr && m_pDoc->m_bGrid;
    graph.m_nSamplings = m_pDoc != nullptr ? m_pDoc->m_nSamplings : 0;
    if (m_pFunctions != nullptr)
    {
        graph.m_vCurves.reserve(m_pFunctions->size());
        for (const CGraphFunction& function : *m_pFunctions)
        {
            const CPointList& points = *function.m_pPoints;
            graph.m_vCurves.push_back(CDrawnCurve{function.m_crColor, points.GetData(),
                                                  points.GetCount(), points.m_window});
        }
    }
    return graph;
}

void CTraceloView::paintEvent(QPaintEvent* /*pEvent*/)
{
    if (m_pDoc == nullptr)
    {
        return; // no graph yet, or its window has closed
    }
    // The graph is drawn anew only when something it is drawn from has
    // changed; any other paint (the window uncovered, the rubber band moved)
    // shows the picture kept from the last drawing.
    CDrawnGraph graph = DescribeGraph();
    if (m_imgGraph.isNull() || graph != m_drawn)
    {
        m_imgGraph = QImage(graph.m_sizePixels, QImage::Format_RGB32);
        m_imgGraph.setDevicePixelRatio(graph.m_dRatio);
        m_imgGraph.fill(palette().color(QPalette::Base));
        QPainter graphPainter(&m_imgGraph);
        OnPrepareDC();
        {
            // The curves of a large graph on every core the sampling uses.
            CQtDrawDevice dc(&graphPainter);
            m_layout = DrawPlotOnImage(m_imgGraph, dc, m_layout.m_rectPage, m_window, m_pFunctions,
                                       graph.m_bGrid, *m_pPlotArea);
        }
        m_drawn = std::move(graph);
        ++m_nGraphDrawings;
    }
    QPainter painter(this);
    painter.drawImage(0, 0, m_imgGraph);
    if (IsDragging())
    {
        DrawRubberBand(painter);
    }
}

void CTraceloView::OnOps()
{
    // The entry is there and does nothing.
}
