// The frame of a graph window inside the main window: caption with the
// document's title, one view, and the context menu that is the only way to
// the graph's editing commands.
#pragma once

#include <QList>
#include <QMdiSubWindow>
#include <QPoint>

class CTraceloDoc;
class CTraceloView;
class QAction;

class CChildFrame : public QMdiSubWindow
{
public:
    CChildFrame();
    ~CChildFrame() override;

    CTraceloView* GetActiveView() const;
    CTraceloDoc* GetActiveDocument() const;

    // Caption: the document's title, with ":n" when the document has more
    // than one window.
    void UpdateTitle();
    // The window's number among its document's, 0 while it has only this
    // one; the caption follows.
    void SetWindowNumber(int nWindow);

    // The items of the context menu, shared with the menu bar.
    void SetContextMenu(const QList<QAction*>& vItems) { m_vContextMenu = vItems; }
    // Opens the context menu at point, in screen coordinates; (-1, -1) is a
    // request from the keyboard, which opens it 5 pixels right of and below
    // the top left of the client area.
    void OnContextMenu(QPoint point);

protected:
    // A right click anywhere in the window, caption and border included,
    // and the menu key come here; the view passes them up.
    void contextMenuEvent(QContextMenuEvent* pEvent) override;
    // Shift+F10 asks for the menu from the keyboard.
    void keyPressEvent(QKeyEvent* pEvent) override;
    // The toolkit keeps a minimised window in its place: here it is dragged
    // by its caption as any other.
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;

private:
    int m_nWindow = 0;
    QList<QAction*> m_vContextMenu;
    // Where the left button took the minimised window, in its own
    // coordinates and in the area's.
    QPoint m_ptIconGrab;
    QPoint m_ptIconPressed;
    bool m_bIconPressed = false;
    bool m_bIconDragged = false;
};
