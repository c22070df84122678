// The base of a view: a widget inside a graph window that shows one
// document. Commands reach it first when its window is active; what it does
// not handle goes on to its document (close, save, save as).
#pragma once

#include <QWidget>

#include "shell/CmdTarget.h"

class CDocManager;
class CDocument;
class CMDIChildWnd;

class CView : public QWidget, public CCmdTarget
{
public:
    explicit CView(QWidget* pParent = nullptr);
    ~CView() override;

    CView(const CView&) = delete;
    CView& operator=(const CView&) = delete;

    CDocument* GetDocument() const { return m_pDocument; }
    CMDIChildWnd* GetParentFrame() const;

    // Called once, after the view has joined its document and before its
    // window is first shown.
    virtual void OnInitialUpdate();

    // The view's own tables, then the document's commands.
    bool OnCmdMsg(unsigned nID, CCmdUI* pCmdUI) override;

    // Set by the document manager while the view shows the document; both
    // are cleared when the view's window has closed.
    CDocument* m_pDocument = nullptr;
    CDocManager* m_pDocManager = nullptr;
};
