// The frame of a graph window inside the main window: caption with the
// document's title, one view, and the save prompt when the last window of
// a modified document closes.
#pragma once

#include <QMdiSubWindow>

class CDocManager;
class CDocument;
class CView;

class CMDIChildWnd : public QMdiSubWindow
{
public:
    CMDIChildWnd();
    ~CMDIChildWnd() override;

    CView* GetActiveView() const;
    CDocument* GetActiveDocument() const;

    // Caption: the document's title, with ":n" when the document has more
    // than one window.
    void OnUpdateFrameTitle();

    int m_nWindow = 0; // 0 while the document has only this window
    CDocManager* m_pDocManager = nullptr;
    // Set when the document is being closed as a whole and has been asked
    // about saving already.
    bool m_bCloseWithoutPrompt = false;

protected:
    void closeEvent(QCloseEvent* pEvent) override;
};
