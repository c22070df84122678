#include "shell/TraceloApp.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>
#include <clocale>

#include "core/doc/TraceloDoc.h"
#include "res/ProgramInfo.h"
#include "res/ResourceIds.h"
#include "shell/AboutDlg.h"
#include "shell/ChildFrame.h"
#include "shell/DocManager.h"
#include "shell/MainFrame.h"
#include "shell/TraceloView.h"

static void InitTraceloResources()
{
    Q_INIT_RESOURCE(tracelo);
}

void PrepareQtApplication(QApplication& app)
{
    InitTraceloResources();
    QApplication::setApplicationName(QStringLiteral("Tracelo"));
    // The desktop matches the window to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(res::kAppId));
    QApplication::setQuitOnLastWindowClosed(true);
    // The toolkit's dialogs (files, overwrite questions) speak Italian too.
    auto* pTranslator = new QTranslator(&app);
    if (pTranslator->load(QStringLiteral("qtbase_it"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    {
        QApplication::installTranslator(pTranslator);
    }
    else
    {
        delete pTranslator;
    }
}

CTraceloApp::CTraceloApp()
{
    if (QCoreApplication::instance() != nullptr)
    {
        const QStringList args = QCoreApplication::arguments();
        for (qsizetype i = 1; i < args.size(); ++i)
        {
            // The file system's own bytes, as the program was given them.
            m_vArgs.push_back(QFile::encodeName(args[i]).toStdString());
        }
    }
}

CTraceloApp::~CTraceloApp() = default;

bool CTraceloApp::InitInstance()
{
    // 1. The user's regional settings for every category: numbers in dialogs,
    //    labels and the status bar, dates and times.
    std::setlocale(LC_ALL, "");
    // 2, 3. Dialogs here host no controls of other programs and draw their
    //    own three-dimensional look: nothing to switch on.
    // 4. Settings under the program's key.
    SetRegistryKey("Local AppWizard-Generated Applications");
    // 5. Four recent files, and the print preview's page count.
    LoadStdProfileSettings(4);
    // 6. The one document type: a graph in a child frame with its view.
    AddDocTemplate(std::make_unique<CDocTemplate>(
        res::IDR_GRAPHTYPE, [] { return std::make_unique<CTraceloDoc>(); },
        []() -> CChildFrame* { return new CChildFrame; },
        []() -> CView* { return new CTraceloView; }));
    // 7, 8. The main window, hidden until the command line is carried out.
    auto* pMainFrame = new CMainFrame(this);
    if (!pMainFrame->LoadFrame(res::IDR_MAINFRAME))
    {
        delete pMainFrame;
        return false;
    }
    m_pMainWnd = pMainFrame;
    m_pDocManager->SetMainFrame(pMainFrame);
    ConnectCommands(*pMainFrame);
    // 9. The command line.
    ParseCommandLine(m_cmdInfo, m_vArgs);
    if (!ProcessShellCommand(m_cmdInfo))
    {
        return false;
    }
    // 10. Shown with its first graph already in it.
    if (m_bShowMainWindow)
    {
        pMainFrame->show();
    }
    return true;
}

void CTraceloApp::ConnectCommands(CMainFrame& frame)
{
    frame.ConnectCommand(
        res::ID_APP_ABOUT, [this] { OnAppAbout(); }, false);
    frame.ConnectCommand(
        res::ID_FILE_NEW, [this] { OnFileNew(); }, false);
    frame.ConnectCommand(
        res::ID_FILE_OPEN, [this] { OnFileOpen(); }, false);
    frame.ConnectCommand(
        res::ID_FILE_PRINT_SETUP, [this] { OnFilePrintSetup(); }, false);
    frame.ConnectCommand(
        res::ID_APP_EXIT, [this] { OnAppExit(); }, false);
    // Close, save and save as act on the active window's graph.
    const auto onActiveDocument = [this, &frame](void (*pfn)(CDocManager&, CDocument*))
    {
        return [this, &frame, pfn]
        {
            CChildFrame* pActive = frame.MDIGetActive();
            if (CDocument* pDoc = pActive != nullptr ? pActive->GetActiveDocument() : nullptr)
            {
                pfn(*m_pDocManager, pDoc);
            }
        };
    };
    frame.ConnectCommand(res::ID_FILE_CLOSE,
                         onActiveDocument([](CDocManager& m, CDocument* p) { m.OnFileClose(p); }),
                         true);
    frame.ConnectCommand(res::ID_FILE_SAVE,
                         onActiveDocument([](CDocManager& m, CDocument* p) { m.DoFileSave(p); }),
                         true);
    frame.ConnectCommand(
        res::ID_FILE_SAVE_AS,
        onActiveDocument([](CDocManager& m, CDocument* p) { m.DoSave(p, nullptr); }), true);
}

bool CTraceloApp::PrintFromShell(CDocument* /*pDoc*/, const CCommandLineInfo& /*rCmdInfo*/)
{
    // The graph just opened prints without the dialog, on the printer the
    // command line names; the main window is never shown.
    m_bShowMainWindow = false;
    CChildFrame* pFrame = m_pMainWnd != nullptr ? m_pMainWnd->MDIGetActive() : nullptr;
    auto* pView =
        pFrame != nullptr ? dynamic_cast<CTraceloView*>(pFrame->GetActiveView()) : nullptr;
    m_nShellExitCode = pView != nullptr && pView->PrintDirect() ? 0 : 1;
    return true;
}

void CTraceloApp::OnAppAbout()
{
    CAboutDlg aboutDlg;
    aboutDlg.DoModal();
}
