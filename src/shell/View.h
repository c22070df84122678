// The base of a view: a widget inside a graph window that shows one
// document.
#pragma once

#include <QWidget>

class CDocManager;
class CDocument;
class CChildFrame;

class CView : public QWidget
{
public:
    explicit CView(QWidget* pParent = nullptr);
    ~CView() override;

    CView(const CView&) = delete;
    CView& operator=(const CView&) = delete;

    CDocument* GetDocument() const { return m_pDocument; }
    CChildFrame* GetParentFrame() const;

    // Called once, after the view has joined its document and before its
    // window is first shown.
    virtual void OnInitialUpdate();

    // Set by the document manager while the view shows the document; both
    // are cleared when the view's window has closed.
    CDocument* m_pDocument = nullptr;
    CDocManager* m_pDocManager = nullptr;
};
