#include "shell/MainFrame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QIcon>
#include <QLayout>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusTipEvent>
#include <new>

#include "core/doc/TraceloDoc.h"
#include "res/SamplingStrings.h"
#include "res/ShellResources.h"
#include "shell/AboutDlg.h"
#include "shell/ChildFrame.h"
#include "shell/CommandBuilder.h"
#include "shell/MessageBox.h"
#include "shell/OpenGraphs.h"
#include "shell/Printing.h"
#include "shell/RecentFileList.h"
#include "shell/TraceloView.h"
#include "shell/WindowArrangement.h"
#include "shell/WindowList.h"

namespace
{
const char kRecentFileProperty[] = "traceloRecentFile";
}

CMainFrame::CMainFrame(CPrintSettings& print, std::unique_ptr<CRecentFileList> pRecentFiles)
    : m_pCommands(std::make_unique<CCommandBuilder>(this)),
      m_pGraphCommands(new QActionGroup(this)), m_print(print),
      m_pRecentFiles(std::move(pRecentFiles)), m_pGraphs(std::make_unique<COpenGraphs>(this, print))
{
    m_pGraphCommands->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    m_pGraphCommands->setEnabled(false);
    const COpenGraphs* pGraphs = m_pGraphs.get();
    QObject::connect(pGraphs, &COpenGraphs::windowMade, this, &CMainFrame::AddChildFrame);
    QObject::connect(pGraphs, &COpenGraphs::windowToActivate, this, &CMainFrame::MDIActivate);
    QObject::connect(pGraphs, &COpenGraphs::titlesChanged, this, &CMainFrame::UpdateTitle);
    QObject::connect(pGraphs, &COpenGraphs::fileUsed, this, &CMainFrame::AddToRecentFile);
}

CMainFrame::~CMainFrame()
{
    // The graph windows go while this frame is still whole: their documents
    // may go with them, and nothing may call back into a half-destroyed frame.
    QObject::disconnect(m_pGraphs.get(), nullptr, this, nullptr);
    if (m_pMdiArea != nullptr)
    {
        QObject::disconnect(m_pMdiArea, nullptr, this, nullptr);
        for (QMdiSubWindow* pWindow : m_pMdiArea->subWindowList())
        {
            QObject::disconnect(pWindow, nullptr, this, nullptr);
        }
        delete m_pMdiArea;
        m_pMdiArea = nullptr;
    }
}

bool CMainFrame::LoadFrame(unsigned nIDResource)
{
    m_nIDResource = nIDResource;
    if (const char* pszTitle = res::LoadString(nIDResource))
    {
        setWindowTitle(QString::fromUtf8(pszTitle));
    }
    if (const char* pszIcon = res::GetIconPath(nIDResource))
    {
        setWindowIcon(QIcon(QString::fromUtf8(pszIcon)));
    }
    // The platform's default size for a new main window: most of the screen.
    if (QScreen* pScreen = QGuiApplication::primaryScreen())
    {
        const QRect rect = pScreen->availableGeometry();
        resize(rect.width() * 3 / 4, rect.height() * 3 / 4);
    }

    m_pMdiArea = new QMdiArea(this);
    m_pMdiArea->setObjectName(QStringLiteral("mdiclient"));
    // Every part of a window that reaches beyond the area can be scrolled to.
    m_pMdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pMdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_pMdiArea);
    QObject::connect(m_pMdiArea, &QMdiArea::subWindowActivated, this,
                     &CMainFrame::OnSubWindowActivated);

    // The bars show and hide themselves; the View menu carries their actions.
    m_pCommands->Adopt(res::ID_VIEW_TOOLBAR, m_wndToolBar.toggleViewAction());
    m_pCommands->Adopt(res::ID_VIEW_STATUS_BAR, m_wndStatusBar.ToggleViewAction());
    m_pCommands->CreateActions({nIDResource, res::IDR_GRAPHTYPE, res::IDR_GRAPH_POPUP},
                               nIDResource);
    m_pCommands->SetAboutToShow([this](QMenu* pMenu) { UpdateMenuItems(pMenu); });
    m_vMainMenus = m_pCommands->BuildMenu(nIDResource, this);
    m_vGraphMenus = m_pCommands->BuildMenu(res::IDR_GRAPHTYPE, this);
    if (m_vMainMenus.empty() || m_vGraphMenus.empty())
    {
        return false;
    }
    const res::CMenuDef* pPopup = res::FindMenu(res::IDR_GRAPH_POPUP);
    if (pPopup == nullptr || pPopup->m_popups.empty())
    {
        return false;
    }
    m_pContextMenu = m_pCommands->BuildPopup(pPopup->m_popups.front(), this);
    ConnectCommands();
    SetMenuBar(nIDResource);

    m_wndToolBar.setObjectName(QStringLiteral("toolbar"));
    m_wndToolBar.setMovable(true);
    m_wndToolBar.setFloatable(true);
    m_wndToolBar.setAllowedAreas(Qt::AllToolBarAreas);
    m_wndToolBar.setToolButtonStyle(Qt::ToolButtonIconOnly);
    if (!m_pCommands->BuildToolBar(&m_wndToolBar, res::IDR_MAINFRAME))
    {
        return false;
    }
    addToolBar(Qt::TopToolBarArea, &m_wndToolBar);
    setStatusBar(&m_wndStatusBar);
    m_wndStatusBar.SetMessageText(QString::fromUtf8(res::LoadString(res::AFX_IDS_IDLEMESSAGE)));
    return true;
}

void CMainFrame::ConnectCommands()
{
    const struct
    {
        QAction*& m_pAction;
        unsigned m_nID;
        std::function<void()> m_fnSlot;
        bool m_bNeedsGraph;
    } kCommands[] = {
        {m_pFileNew, res::ID_FILE_NEW, [this] { OnFileNew(); }, false},
        {m_pFileOpen, res::ID_FILE_OPEN, [this] { OnFileOpen(); }, false},
        {m_pFileClose, res::ID_FILE_CLOSE, [this] { OnFileClose(); }, true},
        {m_pFileSave, res::ID_FILE_SAVE, [this] { OnFileSave(); }, true},
        {m_pFileSaveAs, res::ID_FILE_SAVE_AS, [this] { OnFileSaveAs(); }, true},
        {m_pFilePrint, res::ID_FILE_PRINT, OnActiveView(&CTraceloView::OnFilePrint), true},
        {m_pFilePrintDirect, res::ID_FILE_PRINT_DIRECT,
         OnActiveView(&CTraceloView::OnFilePrintDirect), true},
        {m_pFilePrintPreview, res::ID_FILE_PRINT_PREVIEW,
         OnActiveView(&CTraceloView::OnFilePrintPreview), true},
        {m_pFilePrintSetup, res::ID_FILE_PRINT_SETUP, [this] { OnFilePrintSetup(); }, false},
        {m_pAppExit, res::ID_APP_EXIT, [this] { OnAppExit(); }, false},
        {m_pEditParameters, res::ID_EDIT_PARAMETERS,
         OnActiveView(&CTraceloView::OnEditParameters), true},
        {m_pFunctionNew, res::ID_FUNCTION_NEW, OnActiveView(&CTraceloView::OnFunctionNew), true},
        {m_pFunctionEdit, res::ID_FUNCTION_EDIT, OnActiveView(&CTraceloView::OnFunctionEdit), true},
        {m_pFunctionDelete, res::ID_FUNCTION_DELETE, OnActiveView(&CTraceloView::OnFunctionDelete),
         true},
        {m_pOps, res::ID_OPS, OnActiveView(&CTraceloView::OnOps), true},
        {m_pExportMetafile, res::ID_EXPORT_METAFILE,
         OnActiveView(&CTraceloView::OnExportMetafile), true},
        {m_pWindowNew, res::ID_WINDOW_NEW, [this] { OnWindowNew(); }, false},
        {m_pWindowCascade, res::ID_WINDOW_CASCADE, [this] { OnMDICascade(); }, false},
        {m_pWindowTile, res::ID_WINDOW_TILE_HORZ, [this] { OnMDITile(); }, false},
        {m_pWindowArrange, res::ID_WINDOW_ARRANGE, [this] { OnMDIIconArrange(); }, false},
        {m_pAppAbout, res::ID_APP_ABOUT, [this] { OnAppAbout(); }, false},
    };
    for (const auto& command : kCommands)
    {
        command.m_pAction = GetAction(command.m_nID);
        if (command.m_pAction == nullptr)
        {
            // A command no menu names (printing from the command line).
            command.m_pAction = m_pCommands->AddAction(command.m_nID);
        }
        QObject::connect(command.m_pAction, &QAction::triggered, this,
                         [this, fn = command.m_fnSlot] { RunCommand(fn); });
        command.m_pAction->setEnabled(true);
        if (command.m_bNeedsGraph)
        {
            m_pGraphCommands->addAction(command.m_pAction);
        }
    }
}

std::function<void()> CMainFrame::OnActiveView(void (CTraceloView::*pfn)())
{
    return [this, pfn]
    {
        CChildFrame* pActive = MDIGetActive();
        if (CTraceloView* pView = pActive != nullptr ? pActive->GetActiveView() : nullptr)
        {
            (pView->*pfn)();
        }
    };
}

void CMainFrame::RunCommand(const std::function<void()>& fn)
{
    try
    {
        fn();
    }
    catch (const std::bad_alloc&)
    {
        ShowMessageBox(this, QString::fromUtf8(res::kOutOfMemory), EMsgBoxButtons::Ok,
                       EMsgBoxIcon::Exclamation);
    }
}

QAction* CMainFrame::GetAction(unsigned nID) const
{
    return m_pCommands->Action(nID);
}

void CMainFrame::UpdateGraphCommands()
{
    m_pGraphCommands->setEnabled(MDIGetActive() != nullptr);
}

void CMainFrame::SetMenuBar(unsigned nIDMenu)
{
    if (m_nCurrentMenu == nIDMenu)
    {
        return;
    }
    m_nCurrentMenu = nIDMenu;
    QMenuBar* pBar = menuBar();
    pBar->clear();
    for (QMenu* pMenu : nIDMenu == m_nIDResource ? m_vMainMenus : m_vGraphMenus)
    {
        pBar->addMenu(pMenu);
    }
}

void CMainFrame::UpdateMenuBar()
{
    SetMenuBar(MDIGetActive() != nullptr ? static_cast<unsigned>(res::IDR_GRAPHTYPE)
                                         : m_nIDResource);
}

void CMainFrame::UpdateMenuItems(QMenu* pMenu)
{
    UpdateRecentFileItems(pMenu);
    if (CCommandBuilder::IsWindowList(pMenu))
    {
        std::vector<QMdiSubWindow*> vWindows;
        for (CChildFrame* pFrame : GetChildFrames())
        {
            vWindows.push_back(pFrame);
        }
        const auto activate = [this](QMdiSubWindow* pWindow)
        { RunCommand([this, pWindow] { MDIActivate(dynamic_cast<CChildFrame*>(pWindow)); }); };
        FillWindowList(pMenu, vWindows, MDIGetActive(), activate,
                       [this] { RunCommand([this] { OnSelectWindow(); }); });
    }
}

void CMainFrame::UpdateRecentFileItems(QMenu* pMenu)
{
    QAction* pPlaceholder = m_pCommands->RecentPlaceholder();
    if (pPlaceholder == nullptr || !pMenu->actions().contains(pPlaceholder))
    {
        return;
    }
    for (QAction* pAction : pMenu->actions())
    {
        if (pAction->property(kRecentFileProperty).toBool())
        {
            pMenu->removeAction(pAction);
            delete pAction;
        }
    }
    const CRecentFileList* pList = m_pRecentFiles.get();
    const int nCount = pList != nullptr ? pList->GetCount() : 0;
    // The place holder stands, greyed, only while the list is empty.
    pPlaceholder->setVisible(nCount == 0);
    const std::string strCurrentDir = QDir::currentPath().toStdString();
    for (int i = 0; i < nCount; ++i)
    {
        const QString strText = QStringLiteral("&%1 %2").arg(i + 1).arg(
            QString::fromStdString(EscapeMnemonics(pList->GetDisplayName(i, strCurrentDir))));
        auto* pAction = new QAction(strText, pMenu);
        pAction->setStatusTip(pPlaceholder->statusTip());
        pAction->setProperty(kRecentFileProperty, true);
        QObject::connect(pAction, &QAction::triggered, this,
                         [this, strPath = (*pList)[i]]
                         { RunCommand([this, strPath] { OnOpenRecentFile(strPath); }); });
        pMenu->insertAction(pPlaceholder, pAction);
    }
}

std::vector<CChildFrame*> CMainFrame::GetChildFrames() const
{
    std::vector<CChildFrame*> vFrames;
    if (m_pMdiArea == nullptr)
    {
        return vFrames;
    }
    for (QMdiSubWindow* pWindow : m_pMdiArea->subWindowList(QMdiArea::CreationOrder))
    {
        if (auto* pFrame = dynamic_cast<CChildFrame*>(pWindow))
        {
            vFrames.push_back(pFrame);
        }
    }
    return vFrames;
}

CChildFrame* CMainFrame::MDIGetActive() const
{
    if (m_pMdiArea == nullptr)
    {
        return nullptr;
    }
    const QList<QMdiSubWindow*> list = m_pMdiArea->subWindowList();
    QMdiSubWindow* pWindow = m_pMdiArea->activeSubWindow();
    if (pWindow == nullptr)
    {
        pWindow = m_pMdiArea->currentSubWindow();
    }
    // While another top-level window (a dialog) is active the area may name
    // none: the graph window last activated is still the active one.
    // Compared as widgets: it may be a window on its way out.
    for (QMdiSubWindow* pListed : list)
    {
        if (pWindow == nullptr && pListed == m_pLastActive.data())
        {
            pWindow = pListed;
        }
    }
    return list.contains(pWindow) ? dynamic_cast<CChildFrame*>(pWindow) : nullptr;
}

void CMainFrame::MDIActivate(CChildFrame* pFrame)
{
    if (pFrame != nullptr && pFrame->isMinimized())
    {
        pFrame->showNormal();
    }
    Activate(pFrame);
}

void CMainFrame::Activate(CChildFrame* pFrame)
{
    if (m_pMdiArea == nullptr || pFrame == nullptr)
    {
        return;
    }
    m_pMdiArea->setActiveSubWindow(pFrame);
    m_pLastActive = pFrame;
    if (QWidget* pView = pFrame->widget())
    {
        pView->setFocus(Qt::OtherFocusReason);
    }
    UpdateMenuBar();
    UpdateTitle();
}

void CMainFrame::AddChildFrame(CChildFrame* pFrame)
{
    m_pMdiArea->addSubWindow(pFrame);
    if (const char* pszIcon = res::GetIconPath(res::IDR_GRAPHTYPE))
    {
        pFrame->setWindowIcon(QIcon(QString::fromUtf8(pszIcon)));
    }
    if (layout() != nullptr)
    {
        layout()->activate();
    }
    pFrame->setGeometry(
        CascadeRect(m_nCascade, m_pMdiArea->contentsRect().size(), CascadeStep(pFrame)));
    ++m_nCascade;
    // The caption follows the graph window's title and whether it fills the area.
    QObject::connect(pFrame, &QWidget::windowTitleChanged, this, &CMainFrame::UpdateTitle);
    QObject::connect(pFrame, &QMdiSubWindow::windowStateChanged, this, &CMainFrame::UpdateTitle);
    pFrame->SetContextMenu(m_pContextMenu->actions());
    if (CTraceloView* pView = pFrame->GetActiveView())
    {
        QObject::connect(pView, &CTraceloView::readOut, this, &CMainFrame::SetMessageText);
    }
}

void CMainFrame::OnSubWindowActivated(QMdiSubWindow* pWindow)
{
    if (pWindow != nullptr)
    {
        m_pLastActive = pWindow;
    }
    UpdateMenuBar();
    UpdateTitle();
    UpdateGraphCommands();
}

void CMainFrame::UpdateTitle()
{
    QString strTitle = QString::fromUtf8(res::LoadString(m_nIDResource));
    if (CChildFrame* pActive = MDIGetActive())
    {
        if (pActive->isMaximized())
        {
            strTitle += QStringLiteral(" - [%1]").arg(pActive->windowTitle());
        }
        else if (CTraceloDoc* pDoc = pActive->GetActiveDocument())
        {
            QString strDoc = QString::fromStdString(pDoc->GetTitle());
            strDoc.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
            strTitle += QStringLiteral(" - ") + strDoc;
        }
    }
    if (windowTitle() != strTitle)
    {
        setWindowTitle(strTitle);
    }
}

void CMainFrame::SetMessageText(const QString& strText)
{
    m_wndStatusBar.SetMessageText(strText);
}

bool CMainFrame::event(QEvent* pEvent)
{
    if (pEvent->type() == QEvent::StatusTip)
    {
        // Leaving an item sends an empty tip: back to the idle message.
        const QString strTip = static_cast<QStatusTipEvent*>(pEvent)->tip();
        SetMessageText(strTip.isEmpty()
                           ? QString::fromUtf8(res::LoadString(res::AFX_IDS_IDLEMESSAGE))
                           : strTip);
        return true;
    }
    const bool bResult = QMainWindow::event(pEvent);
    if (pEvent->type() == QEvent::KeyRelease)
    {
        m_wndStatusBar.UpdatePanes();
    }
    return bResult;
}

void CMainFrame::showEvent(QShowEvent* pEvent)
{
    QMainWindow::showEvent(pEvent);
    UpdateGraphCommands();
}

QMenu* CMainFrame::createPopupMenu()
{
    return nullptr;
}

void CMainFrame::closeEvent(QCloseEvent* pEvent)
{
    if (!m_pGraphs->SaveAllModified())
    {
        pEvent->ignore();
        return;
    }
    m_pGraphs->CloseAllDocuments();
    QMainWindow::closeEvent(pEvent);
}

CTraceloDoc* CMainFrame::ActiveDocument() const
{
    CChildFrame* pActive = MDIGetActive();
    return pActive != nullptr ? pActive->GetActiveDocument() : nullptr;
}

void CMainFrame::OnFileNew()
{
    m_pGraphs->OnFileNew();
}

void CMainFrame::OnFileOpen()
{
    m_pGraphs->OnFileOpen();
}

void CMainFrame::OnFilePrintSetup()
{
    DoPrintSetup(this, m_print.GetPrinter());
}

void CMainFrame::OnAppExit()
{
    close();
}

void CMainFrame::OnAppAbout()
{
    CAboutDlg aboutDlg(this);
    aboutDlg.DoModal();
}

void CMainFrame::OnFileClose()
{
    if (CTraceloDoc* pDoc = ActiveDocument())
    {
        m_pGraphs->OnFileClose(pDoc);
    }
}

void CMainFrame::OnFileSave()
{
    if (CTraceloDoc* pDoc = ActiveDocument())
    {
        m_pGraphs->DoFileSave(pDoc);
    }
}

void CMainFrame::OnFileSaveAs()
{
    if (CTraceloDoc* pDoc = ActiveDocument())
    {
        m_pGraphs->DoSaveAs(pDoc);
    }
}

void CMainFrame::AddToRecentFile(const std::string& strPath)
{
    if (m_pRecentFiles == nullptr)
    {
        return;
    }
    const bool bAlreadyFirst = !m_pRecentFiles->IsEmpty() && (*m_pRecentFiles)[0] == strPath;
    m_pRecentFiles->Add(strPath);
    // Kept at once, so a program that is killed does not lose it.
    if (!bAlreadyFirst)
    {
        emit recentFilesChanged();
    }
}

void CMainFrame::OnOpenRecentFile(const std::string& strPath)
{
    if (m_pGraphs->OpenDocumentFile(strPath) != nullptr || m_pGraphs->OpenRanOutOfMemory() ||
        m_pRecentFiles == nullptr)
    {
        return;
    }
    // A file that no longer opens leaves the list; one that only did not
    // fit in memory stays.
    for (int i = 0; i < m_pRecentFiles->GetCount(); ++i)
    {
        if ((*m_pRecentFiles)[i] == strPath)
        {
            m_pRecentFiles->Remove(i);
            emit recentFilesChanged();
            break;
        }
    }
}

void CMainFrame::OnWindowNew()
{
    if (CTraceloDoc* pDoc = ActiveDocument())
    {
        m_pGraphs->OpenNewWindow(pDoc);
    }
}

void CMainFrame::OnMDICascade()
{
    CChildFrame* pActive = MDIGetActive();
    m_nCascade = CascadeWindows(*m_pMdiArea, pActive);
    Activate(pActive);
}

void CMainFrame::OnMDITile()
{
    CChildFrame* pActive = MDIGetActive();
    TileWindows(*m_pMdiArea, pActive);
    Activate(pActive);
}

void CMainFrame::OnMDIIconArrange()
{
    ArrangeIcons(*m_pMdiArea);
}

void CMainFrame::OnSelectWindow()
{
    const auto frames = [this]
    {
        std::vector<QMdiSubWindow*> vWindows;
        for (CChildFrame* pFrame : GetChildFrames())
        {
            vWindows.push_back(pFrame);
        }
        return vWindows;
    };
    MDIActivate(dynamic_cast<CChildFrame*>(SelectWindow(this, frames(), MDIGetActive(), frames)));
}
