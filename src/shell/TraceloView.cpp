#include "shell/TraceloView.h"

#include <QGuiApplication>
#include <QPainter>
#include <vector>

#include "core/doc/TraceloDoc.h"
#include "core/plot/DrawPlot.h"
#include "core/plot/PlotArea.h"
#include "render/QtDrawDevice.h"
#include "res/ResourceIds.h"
#include "shell/ChildFrame.h"
#include "shell/OpenGraphs.h"
#include "shell/SamplingProgress.h"
#include "shell/TraceloApp.h"

CTraceloView::CTraceloView(CTraceloApp* pApp, CTraceloDoc* pDoc)
    : m_pApp(pApp), m_pDoc(pDoc), m_pPlotArea(std::make_unique<CPlotArea>())
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

CTraceloView::~CTraceloView()
{
    if (m_pApp != nullptr)
    {
        m_pApp->m_graphs.RemoveView(this);
    }
}

CChildFrame* CTraceloView::GetParentFrame() const
{
    for (QWidget* p = parentWidget(); p != nullptr; p = p->parentWidget())
    {
        if (auto* pFrame = dynamic_cast<CChildFrame*>(p))
        {
            return pFrame;
        }
    }
    return nullptr;
}

void CTraceloView::Detach()
{
    m_pApp = nullptr;
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

void CTraceloView::OnPrepareDC()
{
    m_rectPage = CDevRect{0, 0, width(), height()};
}

void CTraceloView::DrawPlot(CDrawDevice* pDC)
{
    const bool bGrid = m_pDoc != nullptr && m_pDoc->m_bGrid;
    const CPlotLayout layout =
        ::DrawPlot(pDC, m_rectPage, m_window, m_pFunctions, bGrid, *m_pPlotArea);
    m_rectPage = layout.m_rectPage;
    m_nPlotWidth = layout.m_nPlotWidth;
    m_nPlotHeight = layout.m_nPlotHeight;
    m_nPlotLeft = layout.m_nPlotLeft;
    m_nPlotTop = layout.m_nPlotTop;
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
    }
    m_bBandOnly = false;
    update();
}

void CTraceloView::paintEvent(QPaintEvent* /*pEvent*/)
{
    if (m_pDoc == nullptr)
    {
        return; // no graph yet, or its window has closed
    }
    // Every paint draws the graph anew, as the window shows it after being
    // uncovered, except one asked for by a move of the rubber band: that
    // one shows the graph as last drawn with the band over it.
    const qreal dRatio = devicePixelRatioF();
    const QSize sizePixels = (QSizeF(size()) * dRatio).toSize();
    if (!m_bBandOnly || m_pixGraph.size() != sizePixels)
    {
        m_pixGraph = QPixmap(sizePixels);
        m_pixGraph.setDevicePixelRatio(dRatio);
        m_pixGraph.fill(palette().color(QPalette::Base));
        QPainter graphPainter(&m_pixGraph);
        OnPrepareDC();
        CQtDrawDevice dc(&graphPainter);
        DrawPlot(&dc);
    }
    m_bBandOnly = false;
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_pixGraph);
    if (IsDragging())
    {
        DrawRubberBand(painter);
    }
}

void CTraceloView::OnOps()
{
    // The entry is there and does nothing.
}
