// The view of a graph window: shows one graph, keeps its own copy of the
// plotting window (zooming changes the copy, never the graph), samples the
// functions when that window changes, and keeps the picture it drew, which
// it draws anew only when what it shows has changed. The coordinates under
// the pointer go out as its read-out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include <QImage>
#include <QWidget>

#include "core/expr/GraphFunction.h"
#include "core/expr/PlotWindow.h"
#include "core/plot/DrawDevice.h"
#include "core/plot/DrawPlot.h"

class CExprEvaluator;
class CPlotArea;
class CPrintSettings;
struct CPrintInfo;
class CTraceloDoc;
class QMouseEvent;
class QPainter;

class CTraceloView : public QWidget
{
    Q_OBJECT

public:
    // pDoc is the graph shown, pPrint what its printing starts from; either
    // may be null for a view that shows nothing yet or cannot print.
    explicit CTraceloView(CTraceloDoc* pDoc = nullptr, CPrintSettings* pPrint = nullptr);
    ~CTraceloView() override;

    CTraceloView(const CTraceloView&) = delete;
    CTraceloView& operator=(const CTraceloView&) = delete;

    CTraceloDoc* GetDocument() const { return m_pDoc; }

    // The document's function list and evaluator the view draws with, as
    // copied by OnInitialUpdate; null before it and after Detach.
    const CFunctionList* GetFunctions() const { return m_pFunctions; }
    const CExprEvaluator* GetEvaluator() const { return m_pEvaluator; }
    // The view's own plotting window, zoomed or not. Setting it resamples
    // nothing: ResampleAndRedraw does.
    const CPlotWindow& GetWindow() const { return m_window; }
    void SetWindow(const CPlotWindow& window) { m_window = window; }
    // The surface drawn on last and the plot laid out on it.
    const CPlotLayout& GetLayout() const { return m_layout; }
    // How many times the graph has been drawn anew into the kept picture.
    std::uint64_t GetGraphDrawings() const { return m_nGraphDrawings; }
    // Whether the left button is down on the view, a rubber band dragged.
    bool IsDragging() const { return m_ptAnchor.m_nX != -1 && m_ptAnchor.m_nY != -1; }
    // The free corner of the rubber band as last drawn.
    CDevPoint GetRubberBandCorner() const { return m_ptCurrent; }

    // Called once before the window is first shown: copies the document's
    // function list, evaluator and window, then samples every function over
    // that window.
    void OnInitialUpdate();
    // The view's window has closed or its graph gone: it shows nothing more
    // and calls nothing back.
    void Detach();

    // The surface the next DrawPlot lays the plot out on: the client
    // rectangle, or when printing the page's printable area
    // (pInfo->m_rectDraw, corner at 0, 0), the job then fixed at one page.
    void OnPrepareDC(CPrintInfo* pInfo = nullptr);

    // The whole graph on pDC inside m_layout.m_rectPage (or the device's clipping
    // box when it has no right edge yet), in the device's own units;
    // stores the plot area it laid out.
    void DrawPlot(CDrawDevice* pDC);

    // Samples every function over the view's window with the document's
    // divisions, under the wait cursor (behind a progress dialog that can
    // cancel it when it takes long), and repaints the whole view.
    void ResampleAndRedraw();

    // Mouse zoom and pan: sets the view's window from the device rectangle
    // (x1, y1)-(x2, y2) and resamples, also when the window stays.
    void ZoomToRect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);

    // Commands of the context menu and of printing.
    void OnEditParameters();
    void OnFunctionNew();
    void OnFunctionEdit();
    void OnFunctionDelete();
    void OnOps();
    void OnExportMetafile();
    void OnFilePrint();
    void OnFilePrintDirect();
    // Prints on the command line's printer without the dialog; false when
    // printing failed, the user having been told.
    bool PrintDirect();
    void OnFilePrintPreview();
    // Keeps the screen's layout while the graph is drawn on a page or a
    // metafile, and brings it back after; defined with the printing.
    class CKeepScreenLayout;

signals:
    // The coordinates under the pointer, as the status bar shows them.
    void readOut(const QString& strText);

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* pEvent) override;

private:
    // A job on the printer every print starts from, and on the printer the
    // command line names when the program was started to print there; false
    // for a view whose window has closed.
    bool StartJob(CPrintInfo& info) const;
    bool Print(bool bDirect);

    CPrintSettings* m_pPrint = nullptr;     // not owned
    CTraceloDoc* m_pDoc = nullptr;          // not owned
    std::unique_ptr<CPlotArea> m_pPlotArea; // owned
    CExprEvaluator* m_pEvaluator = nullptr; // the document's; not owned
    CFunctionList* m_pFunctions = nullptr;  // the document's; not owned
    CPlotWindow m_window;                   // this view's own, zoomed or not
    CDevPoint m_ptAnchor{-1, -1};           // button-down point of a drag; (-1, -1) when none
    CDevPoint m_ptCurrent;                  // free corner of the rubber band as last drawn
    CPlotLayout m_layout;                   // the surface drawn on last and its plot
    // How many times the graph has been drawn anew into the kept picture.
    std::uint64_t m_nGraphDrawings = 0;

    // Draws the rubber band from m_ptAnchor to m_ptCurrent, inverting what
    // is under it.
    void DrawRubberBand(QPainter& painter) const;

    // Everything the picture of the graph is drawn from. A paint that finds
    // it unchanged (the window uncovered, the rubber band moved) shows the
    // kept picture.
    struct CDrawnCurve
    {
        COLORREF m_crColor = 0;
        const CCurvePoint* m_pPoints = nullptr;
        std::size_t m_nCount = 0;
        CPlotWindow m_window;
        bool operator==(const CDrawnCurve&) const = default;
    };
    struct CDrawnGraph
    {
        QSize m_sizePixels;
        qreal m_dRatio = 0;
        QRgb m_rgbBackground = 0;
        CPlotWindow m_window;
        bool m_bGrid = false;
        std::uint64_t m_nSamplings = 0; // the graph's, counting every resampling
        std::vector<CDrawnCurve> m_vCurves;
        bool operator==(const CDrawnGraph&) const = default;
    };
    CDrawnGraph DescribeGraph() const;

    // The graph as last drawn, and what it was drawn from.
    QImage m_imgGraph;
    CDrawnGraph m_drawn;
};
