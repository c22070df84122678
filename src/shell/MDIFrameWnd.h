// The main window of a multiple-document program: the graph windows in an
// MDI area, the menu bar that follows whether a graph window is active, the
// accelerators, the toolbar and the status bar, and the idle pass that keeps
// buttons and panes in step with the commands' state.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <map>
#include <vector>

#include "shell/CmdTarget.h"

class CMDIChildWnd;
class CStatusBar;
class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace res
{
struct CPopupDef;
}

class CMDIFrameWnd : public QMainWindow, public CCmdTarget
{
public:
    CMDIFrameWnd();
    ~CMDIFrameWnd() override;

    CMDIFrameWnd(const CMDIFrameWnd&) = delete;
    CMDIFrameWnd& operator=(const CMDIFrameWnd&) = delete;

    // Title from the string nIDResource, its icon, menu and accelerators,
    // then OnCreate; false when OnCreate fails.
    bool LoadFrame(unsigned nIDResource);
    // Creation of the frame's parts; -1 makes LoadFrame fail.
    virtual int OnCreate();

    QMdiArea* GetMDIClient() const { return m_pMdiArea; }
    CMDIChildWnd* MDIGetActive() const;
    void MDIActivate(CMDIChildWnd* pFrame);
    std::vector<CMDIChildWnd*> GetChildFrames() const;
    // Adds a graph window at the next cascade position.
    void AddChildFrame(CMDIChildWnd* pFrame);
    // The graph windows the Window menu lists, in its order: the first nine,
    // the active one taking the ninth place when it would come later.
    std::vector<CMDIChildWnd*> GetListedFrames() const;

    // Route: the active graph window (its view, its document, itself), then
    // this frame, then the application.
    bool OnCmdMsg(unsigned nID, CCmdUI* pCmdUI) override;
    bool DispatchOwn(unsigned nID, CCmdUI* pCmdUI) override;

    // Runs nID when it is enabled (as a menu item, button or key would).
    void OnCommand(unsigned nID);

    // Shows menu nIDMenu's first pop-up at ptScreen, with the items' state
    // brought up to date first, and sends the chosen command along the
    // route. Returns the chosen id, 0 when the menu closed without a choice.
    unsigned TrackPopupMenu(unsigned nIDMenu, const QPoint& ptScreen);

    // Pane 0: a prompt, or the idle message "Pronto".
    void SetMessageText(const QString& strText);
    void SetMessageText(unsigned nIDPrompt);
    void SetIdleMessage();

    // The idle pass: toolbar buttons and status-bar panes from their
    // commands' state, the menu bar and the caption. Skipped while a modal
    // dialog or a menu is open and while the frame is hidden.
    void OnIdleUpdateCmdUI();
    // Runs the idle pass once the events now waiting have been handled.
    void RequestIdleUpdate();

    void OnUpdateFrameTitle();
    void OnUpdateFrameMenu();
    unsigned GetCurrentMenuID() const { return m_nCurrentMenu; }
    QMenu* GetMenu(unsigned nIDMenu, int nPopup) const;

    // Brings a menu's items up to date (also the recent files and the
    // window list) as just before it opens.
    void UpdateMenuItems(QMenu* pMenu);

    // The bars the View menu shows and hides, by their window ids.
    void RegisterControlBar(unsigned nID, QWidget* pBar);
    QWidget* GetControlBar(unsigned nID) const;
    void ShowControlBar(QWidget* pBar, bool bShow);
    // Buttons and images of toolbar nIDResource.
    bool LoadToolBar(QToolBar* pToolBar, unsigned nIDResource);
    CStatusBar* GetMessageBar() const { return m_pMessageBar; }
    void SetMessageBar(CStatusBar* pBar) { m_pMessageBar = pBar; }

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    // The bars and the menu bar offer no menu of their own.
    QMenu* createPopupMenu() override;
    void showEvent(QShowEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

    void OnBarCheck(unsigned nID);
    void OnUpdateControlBarMenu(CCmdUI* pCmdUI);
    void OnWindowNew();
    void OnMDICascade();
    void OnMDITile();
    void OnMDIIconArrange();
    void OnMDIWindowCmd(unsigned nID);
    void OnUpdateKeyIndicator(CCmdUI* pCmdUI);

private:
    QMenu* BuildPopup(const res::CPopupDef& popup, QWidget* pParent, bool bSendCommands);
    void ConnectPrompts(QMenu* pMenu);
    void UpdateRecentFileItems(QMenu* pMenu);
    void UpdateWindowList(QMenu* pMenu);
    void SetMenuBar(unsigned nIDMenu);
    // The MDI area's client size, scrolled back to its origin.
    QSize PrepareArrange();
    // Where the nIndex-th staggered window stands, and its size; nIndex goes
    // back to 0 when that place would reach beyond the area.
    QRect CascadeRect(int& nIndex, const QSize& area, const QWidget* pFrame) const;
    void OnSelectWindow();
    void OnSubWindowActivated(QMdiSubWindow* pWindow);

    QMdiArea* m_pMdiArea = nullptr;
    QPointer<QMdiSubWindow> m_pLastActive;
    std::map<unsigned, std::vector<QMenu*>> m_menus;
    unsigned m_nCurrentMenu = 0;
    unsigned m_nIDResource = 0;
    std::map<unsigned, QWidget*> m_controlBars;
    CStatusBar* m_pMessageBar = nullptr;
    std::vector<QAction*> m_vToolBarActions;
    bool m_bIdlePending = false;
    int m_nCascade = 0;
};

// The application's main window, or null.
CMDIFrameWnd* AfxGetMainWnd();
