// The view of a graph window: shows one graph, keeps its own copy of the
// plotting window (zooming changes the copy, never the graph), samples the
// functions when that window changes and draws them on every paint.
#pragma once

#include <cstdint>
#include <memory>

#include "expr/GraphFunction.h"
#include "framework/View.h"
#include "view/DrawDevice.h"

class CExprEvaluator;
class CPlotArea;
class CTraceloDoc;

class CTraceloView : public CView
{
public:
    CTraceloView();
    ~CTraceloView() override;

    CTraceloDoc* GetDocument() const;

    // Copies the document's function list, evaluator and window, then
    // samples every function over that window.
    void OnInitialUpdate() override;

    // Without printing, the surface to draw on is the client rectangle.
    virtual void OnPrepareDC();

    // The whole graph on pDC inside m_rectPage (or the device's clipping
    // box when m_rectPage has no right edge yet), in the device's own units;
    // stores the plot area it laid out.
    virtual void DrawPlot(CDrawDevice* pDC);

    // Samples every function over the view's window with the document's
    // divisions, under the wait cursor, and repaints the whole view.
    void ResampleAndRedraw();

    bool DispatchOwn(unsigned nID, CCmdUI* pCmdUI) override;

    // Commands of the context menu and of printing.
    void OnEditParameters();
    void OnFunctionNew();
    void OnFunctionEdit();
    void OnFunctionDelete();
    void OnOps();
    void OnExportMetafile();
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();

    CTraceloDoc* m_pDoc = nullptr;          // not owned
    std::unique_ptr<CPlotArea> m_pPlotArea; // owned
    CExprEvaluator* m_pEvaluator = nullptr; // the document's; not owned
    CFunctionList* m_pFunctions = nullptr;  // the document's; not owned
    double m_dXMin = 0.0;
    double m_dXMax = 0.0;
    double m_dYMin = 0.0;
    double m_dYMax = 0.0;
    CDevPoint m_ptAnchor{-1, -1}; // button-down point of a drag; (-1, -1) when none
    CDevPoint m_ptCurrent;        // free corner of the rubber band as last drawn
    CDevRect m_rectPage;          // the surface drawn on last
    std::int32_t m_nPlotWidth = 0;
    std::int32_t m_nPlotHeight = 0;
    std::int32_t m_nPlotLeft = 0;
    std::int32_t m_nPlotTop = 0;

protected:
    void paintEvent(QPaintEvent* pEvent) override;
};
