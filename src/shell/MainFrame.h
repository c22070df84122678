// The program's main window: the graph windows, menus, accelerators, the
// toolbar and the status bar with its date and time panes.
#pragma once

#include <QToolBar>
#include <ctime>
#include <string>

#include "shell/MDIFrameWnd.h"
#include "shell/StatusBar.h"

class QTimer;

// strftime of t as local time with pszFormat in the current C locale; empty
// when the time cannot be converted or the text comes out empty.
std::string FormatClockText(const char* pszFormat, std::time_t t);

class CMainFrame : public CMDIFrameWnd
{
public:
    CMainFrame();
    ~CMainFrame() override;

    int OnCreate() override;
    // Also the date and time panes.
    void UpdateStatusPanes() override;

    // Puts the date and time pane ids after the nIDCount ids of pIDArray
    // (which has room for two more), starts the clock and sets the panes.
    bool AddDateTimePanes(unsigned* pIDArray, int nIDCount);

    int m_nDatePane = 0;
    int m_nTimePane = 0;
    CStatusBar m_wndStatusBar;
    QToolBar m_wndToolBar;

private:
    void UpdateClockPane(const char* pszFormat, int nPane);
    // The graph's commands go to the view of the active window.
    void ConnectViewCommands();

    QTimer* m_pClock = nullptr; // owned by the status bar
};
