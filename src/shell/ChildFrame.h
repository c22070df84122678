// The frame of a graph window. Besides the framework's behaviour it offers
// the context menu that is the only way to the graph's editing commands.
#pragma once

#include <QPoint>

#include "shell/MDIChildWnd.h"

class CChildFrame : public CMDIChildWnd
{
public:
    CChildFrame();
    ~CChildFrame() override;

    // point in screen coordinates, or (-1, -1) for a request from the
    // keyboard, which opens the menu 5 pixels right of and below the top
    // left of the client area. pWnd is not used.
    void OnContextMenu(QWidget* pWnd, QPoint point);

protected:
    // A right click anywhere in the window, caption and border included,
    // and the menu key come here; the view passes them up.
    void contextMenuEvent(QContextMenuEvent* pEvent) override;
    // Shift+F10 asks for the menu from the keyboard.
    void keyPressEvent(QKeyEvent* pEvent) override;
};
