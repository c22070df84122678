// The program's main window: the graph windows in an MDI area, the menu bar
// that follows whether a graph window is active, the toolbar and the status
// bar; the Window menu's commands and the list of windows.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QToolBar>
#include <functional>
#include <memory>
#include <vector>

#include "shell/StatusBar.h"

class CChildFrame;
class CCommandBuilder;
class CTraceloApp;
class QAction;
class QActionGroup;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

class CMainFrame : public QMainWindow
{
public:
    // pApp, the application that owns this frame, keeps the graphs and the
    // recent files; a frame without one has neither.
    explicit CMainFrame(CTraceloApp* pApp = nullptr);
    ~CMainFrame() override;

    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    // Title from the string nIDResource, its icon, the menus, the keys and
    // the bars; false when a table they are built from is missing.
    bool LoadFrame(unsigned nIDResource);

    CChildFrame* MDIGetActive() const;
    // Activates pFrame, restoring it when it is minimised.
    void MDIActivate(CChildFrame* pFrame);
    std::vector<CChildFrame*> GetChildFrames() const;
    // Adds a graph window at the next cascade position.
    void AddChildFrame(CChildFrame* pFrame);

    // Command nID's action runs fn and is enabled from now on; with
    // bNeedsGraph only while a graph window is active. A command nothing
    // connects stays disabled.
    void ConnectCommand(unsigned nID, std::function<void()> fn, bool bNeedsGraph);
    // The one action of command nID; null for an id that nothing names.
    QAction* GetAction(unsigned nID) const;

    // Shows menu nIDMenu's first pop-up at ptScreen; the chosen command runs
    // once the menu has closed.
    void TrackPopupMenu(unsigned nIDMenu, const QPoint& ptScreen);

    // The message pane: a prompt, the view's read-out.
    void SetMessageText(const QString& strText);
    // The caption: the program's name, and the active graph's title.
    void UpdateTitle();

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    // The bars and the menu bar offer no menu of their own.
    QMenu* createPopupMenu() override;
    void showEvent(QShowEvent* pEvent) override;
    // Status tips go to the message pane; a lock key may have changed.
    bool event(QEvent* pEvent) override;

private:
    // Runs fn as a command: when memory runs out it stops there, the user
    // is told, and every graph stays open.
    void RunCommand(const std::function<void()>& fn);
    // The commands that need a graph follow whether one is active.
    void UpdateGraphCommands();
    // The menu bar of the graph type while a graph window is active.
    void UpdateMenuBar();
    void SetMenuBar(unsigned nIDMenu);
    // The recent files and the window list, just before pMenu opens.
    void UpdateMenuItems(QMenu* pMenu);
    void UpdateRecentFileItems(QMenu* pMenu);
    void OnSubWindowActivated(QMdiSubWindow* pWindow);
    // Activates pFrame as it is, minimised or not.
    void Activate(CChildFrame* pFrame);

    void OnWindowNew();
    void OnMDICascade();
    void OnMDITile();
    void OnMDIIconArrange();
    void OnSelectWindow();
    // The windows not minimised, for cascade (bottom of the stack first, the
    // active one last) or tile (the active one first, then from the top).
    std::vector<CChildFrame*> WindowsToArrange(bool bActiveFirst) const;
    // The area's size, scrolled back to its origin.
    QSize PrepareArrange();
    // Lines the minimised windows up along the bottom; returns the part of
    // the area above them.
    QRect ArrangeIcons();
    int CascadeStep(const QWidget* pFrame) const;
    // The graph's commands go to the view of the active window.
    void ConnectViewCommands();

    QMdiArea* m_pMdiArea = nullptr;
    QPointer<QMdiSubWindow> m_pLastActive;
    std::unique_ptr<CCommandBuilder> m_pCommands;
    std::vector<QMenu*> m_vMainMenus;
    std::vector<QMenu*> m_vGraphMenus;
    unsigned m_nCurrentMenu = 0;
    unsigned m_nIDResource = 0;
    QActionGroup* m_pGraphCommands = nullptr;
    QAction* m_pWindowNew = nullptr;
    QAction* m_pWindowCascade = nullptr;
    QAction* m_pWindowTile = nullptr;
    QAction* m_pWindowArrange = nullptr;
    CTraceloApp* m_pApp; // not owned
    int m_nCascade = 0;
    CStatusBar m_wndStatusBar;
    QToolBar m_wndToolBar;
};
