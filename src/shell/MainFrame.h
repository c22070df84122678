// The program's main window: the graph windows in an MDI area, one action
// per command shared by both menu bars, the toolbar and the context menu, the
// menu bar that follows whether a graph window is active, and the status bar
// with its date and time panes.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QToolBar>
#include <ctime>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "shell/StatusBar.h"

class CChildFrame;
class CTraceloApp;
class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;

namespace res
{
struct CPopupDef;
}

// strftime of t as local time with pszFormat in the current C locale; empty
// when the time cannot be converted or the text comes out empty.
std::string FormatClockText(const char* pszFormat, std::time_t t);

class CMainFrame : public QMainWindow
{
public:
    // pApp, the application that owns this frame, keeps the graphs and the
    // recent files; a frame without one has neither.
    explicit CMainFrame(CTraceloApp* pApp = nullptr);
    ~CMainFrame() override;

    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    // Title from the string nIDResource, its icon, menu and accelerators,
    // then OnCreate; false when OnCreate fails.
    bool LoadFrame(unsigned nIDResource);
    // Creation of the frame's parts: toolbar, status bar, clock; -1 makes
    // LoadFrame fail.
    int OnCreate();
    // Puts the date and time pane ids after the nIDCount ids of pIDArray
    // (which has room for two more), starts the clock and sets the panes.
    bool AddDateTimePanes(unsigned* pIDArray, int nIDCount);

    QMdiArea* GetMDIClient() const { return m_pMdiArea; }
    CChildFrame* MDIGetActive() const;
    void MDIActivate(CChildFrame* pFrame);
    std::vector<CChildFrame*> GetChildFrames() const;
    // Adds a graph window at the next cascade position.
    void AddChildFrame(CChildFrame* pFrame);
    // The graph windows the Window menu lists, in its order: the first nine,
    // the active one taking the ninth place when it would come later.
    std::vector<CChildFrame*> GetListedFrames() const;

    // Runs nID when it is enabled, as its menu item, button or key would.
    void OnCommand(unsigned nID);
    // Command nID's action runs fn; with bNeedsGraph it is enabled only
    // while a graph window is active. A command nothing connects stays
    // disabled.
    void ConnectCommand(unsigned nID, std::function<void()> fn, bool bNeedsGraph);
    // Runs fn as a command: when memory runs out it stops there, the user
    // is told, and every graph stays open.
    void RunCommand(const std::function<void()>& fn);

    // The one action of command nID, made when the frame loads; null for an
    // id that no menu, accelerator or button names.
    QAction* GetAction(unsigned nID) const;
    // Every action's enabled and checked state, once what they depend on has
    // changed (a command ran, another window is active, a bar was shown or
    // hidden).
    void UpdateActions();

    // Shows menu nIDMenu's first pop-up at ptScreen. The chosen action runs
    // its command; returns its id, 0 when the menu closed without a choice.
    unsigned TrackPopupMenu(unsigned nIDMenu, const QPoint& ptScreen);

    // Pane 0: a prompt, or the idle message "Pronto".
    void SetMessageText(const QString& strText);
    void SetIdleMessage();

    // The status-bar panes: the lock keys, the date and the time. Skipped
    // while a modal dialog or a menu is open and while the frame or the bar
    // is hidden.
    void UpdateStatusPanes();

    void OnUpdateFrameTitle();
    void OnUpdateFrameMenu();
    unsigned GetCurrentMenuID() const { return m_nCurrentMenu; }
    QMenu* GetMenu(unsigned nIDMenu, int nPopup) const;

    // The recent files and the window list, as just before a menu opens.
    void UpdateMenuItems(QMenu* pMenu);

    // The bars the View menu shows and hides, by their window ids.
    void RegisterControlBar(unsigned nID, QWidget* pBar);
    QWidget* GetControlBar(unsigned nID) const;
    void ShowControlBar(QWidget* pBar, bool bShow);
    // Buttons and images of toolbar nIDResource.
    bool LoadToolBar(QToolBar* pToolBar, unsigned nIDResource);
    CStatusBar* GetMessageBar() const { return m_pMessageBar; }
    void SetMessageBar(CStatusBar* pBar) { m_pMessageBar = pBar; }

    int m_nDatePane = 0;
    int m_nTimePane = 0;
    CStatusBar m_wndStatusBar;
    QToolBar m_wndToolBar;

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    // The bars and the menu bar offer no menu of their own.
    QMenu* createPopupMenu() override;
    void showEvent(QShowEvent* pEvent) override;
    // Status tips go to pane 0; a lock key may have changed its state.
    bool event(QEvent* pEvent) override;
    // Keeps the toolkit's default tooltip off buttons that have none.
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

    // Whether the status panes may be refreshed now.
    bool CanUpdateStatusPanes() const;
    void OnBarCheck(unsigned nID);
    void OnWindowNew();
    void OnMDICascade();
    void OnMDITile();
    void OnMDIIconArrange();
    void OnMDIWindowCmd(unsigned nID);

private:
    void CreateActions(unsigned nIDResource);
    QAction* MakeAction(unsigned nID, const QString& strText);
    QMenu* BuildPopup(const res::CPopupDef& popup, QWidget* pParent);
    void UpdateRecentFileItems(QMenu* pMenu);
    void UpdateWindowList(QMenu* pMenu);
    void SetMenuBar(unsigned nIDMenu);
    // The MDI area's client size, scrolled back to its origin.
    QSize PrepareArrange();
    // Where the nIndex-th staggered window stands, and its size; nIndex goes
    // back to 0 when that place would reach beyond the area.
    QRect CascadeRect(int& nIndex, const QSize& area, const QWidget* pFrame) const;
    void OnSelectWindow();
    void UpdateClockPane(const char* pszFormat, int nPane);
    // The graph's commands go to the view of the active window.
    void ConnectViewCommands();
    void OnSubWindowActivated(QMdiSubWindow* pWindow);

    QMdiArea* m_pMdiArea = nullptr;
    QPointer<QMdiSubWindow> m_pLastActive;
    std::map<unsigned, std::vector<QMenu*>> m_menus;
    unsigned m_nCurrentMenu = 0;
    unsigned m_nIDResource = 0;
    std::map<unsigned, QWidget*> m_controlBars;
    CStatusBar* m_pMessageBar = nullptr;
    std::map<unsigned, QAction*> m_actions;
    std::set<unsigned> m_connected; // commands something runs
    std::set<unsigned> m_graphOnly; // commands that need a graph window
    // Stands, greyed, where the recent files go while there are none.
    QAction* m_pRecentPlaceholder = nullptr;
    CTraceloApp* m_pApp; // not owned
    int m_nCascade = 0;
    QTimer* m_pClock = nullptr; // owned by the status bar
};
