// The program's main window: the open graphs and their windows in an MDI
// area, the recently used files, the menu bar that follows whether a graph
// window is active, the toolbar and the status bar, and the commands.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QToolBar>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/StatusBar.h"

class CChildFrame;
class CCommandBuilder;
class COpenGraphs;
class CPrintSettings;
class CRecentFileList;
class CTraceloDoc;
class CTraceloView;
class QAction;
class QActionGroup;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

class CMainFrame : public QMainWindow
{
    Q_OBJECT

public:
    // The graphs print from print; pRecentFiles, when given, is the list of
    // recently used files the File menu shows.
    explicit CMainFrame(CPrintSettings& print,
                        std::unique_ptr<CRecentFileList> pRecentFiles = nullptr);
    ~CMainFrame() override;

    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    // Title from the string nIDResource, its icon, the menus, the keys and
    // the bars; false when a table they are built from is missing.
    bool LoadFrame(unsigned nIDResource);

    COpenGraphs& Graphs() const { return *m_pGraphs; }
    // Null when the frame keeps no list.
    CRecentFileList* RecentFiles() const { return m_pRecentFiles.get(); }

    CChildFrame* MDIGetActive() const;
    // Activates pFrame, restoring it when it is minimised.
    void MDIActivate(CChildFrame* pFrame);
    std::vector<CChildFrame*> GetChildFrames() const;

    // The one action of command nID, as the menus, keys and toolbar name it;
    // null for an id that nothing names.
    QAction* GetAction(unsigned nID) const;
    // Runs fn as a command: when memory runs out it stops there, the user
    // is told, and every graph stays open.
    void RunCommand(const std::function<void()>& fn);

    // The message pane: a prompt, the view's read-out.
    void SetMessageText(const QString& strText);
    // The caption: the program's name, and the active graph's title.
    void UpdateTitle();

    // Puts strPath first in the recent files.
    void AddToRecentFile(const std::string& strPath);
    // Opens a file of the recent files; one that no longer opens leaves the
    // list.
    void OnOpenRecentFile(const std::string& strPath);

signals:
    // The recent files have changed and are to be kept.
    void recentFilesChanged();

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    // The bars and the menu bar offer no menu of their own.
    QMenu* createPopupMenu() override;
    void showEvent(QShowEvent* pEvent) override;
    // Status tips go to the message pane; a lock key may have changed.
    bool event(QEvent* pEvent) override;

private:
    // Adds a new graph window at the next cascade position.
    void AddChildFrame(CChildFrame* pFrame);
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

    CTraceloDoc* ActiveDocument() const;
    // The commands of the File and ? menus.
    void OnFileNew();
    void OnFileOpen();
    void OnFilePrintSetup();
    void OnAppExit();
    void OnAppAbout();
    void OnFileClose();
    void OnFileSave();
    void OnFileSaveAs();
    // The Window menu's.
    void OnWindowNew();
    void OnMDICascade();
    void OnMDITile();
    void OnMDIIconArrange();
    void OnSelectWindow();
    // Makes the action of every command run its slot.
    void ConnectCommands();
    // A graph's command runs on the view of the active window.
    std::function<void()> OnActiveView(void (CTraceloView::*pfn)());

    QMdiArea* m_pMdiArea = nullptr;
    QPointer<QWidget> m_pLastActive;
    std::unique_ptr<CCommandBuilder> m_pCommands;
    std::vector<QMenu*> m_vMainMenus;
    std::vector<QMenu*> m_vGraphMenus;
    unsigned m_nCurrentMenu = 0;
    unsigned m_nIDResource = 0;
    QActionGroup* m_pGraphCommands = nullptr;
    QAction* m_pFileNew = nullptr;
    QAction* m_pFileOpen = nullptr;
    QAction* m_pFileClose = nullptr;
    QAction* m_pFileSave = nullptr;
    QAction* m_pFileSaveAs = nullptr;
    QAction* m_pFilePrint = nullptr;
    QAction* m_pFilePrintDirect = nullptr;
    QAction* m_pFilePrintPreview = nullptr;
    QAction* m_pFilePrintSetup = nullptr;
    QAction* m_pAppExit = nullptr;
    QAction* m_pEditParameters = nullptr;
    QAction* m_pFunctionNew = nullptr;
    QAction* m_pFunctionEdit = nullptr;
    QAction* m_pFunctionDelete = nullptr;
    QAction* m_pOps = nullptr;
    QAction* m_pExportMetafile = nullptr;
    QAction* m_pWindowNew = nullptr;
    QAction* m_pWindowCascade = nullptr;
    QAction* m_pWindowTile = nullptr;
    QAction* m_pWindowArrange = nullptr;
    QAction* m_pAppAbout = nullptr;
    // The items of the graph windows' context menu.
    QMenu* m_pContextMenu = nullptr;
    CPrintSettings& m_print;
    std::unique_ptr<CRecentFileList> m_pRecentFiles;
    std::unique_ptr<COpenGraphs> m_pGraphs;
    int m_nCascade = 0;
    CStatusBar m_wndStatusBar;
    QToolBar m_wndToolBar;
};
