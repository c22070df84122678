#include "shell/TraceloApp.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPrinter>
#include <QSettings>
#include <QTranslator>
#include <clocale>
#include <cstring>
#include <sys/stat.h>

#include "core/doc/TraceloDoc.h"
#include "res/ProgramInfo.h"
#include "res/ResourceIds.h"
#include "res/ShellResources.h"
#include "shell/ChildFrame.h"
#include "shell/MainFrame.h"
#include "shell/MessageBox.h"
#include "shell/OpenGraphs.h"
#include "shell/RecentFileList.h"
#include "shell/SamplingProgress.h"
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

namespace
{

const char kRecentFileSection[] = "Recent File List";
const char kRecentFileEntry[] = "File%d";
const char kSettingsSection[] = "Settings";
const char kPreviewPagesEntry[] = "PreviewPages";
constexpr int kMaxMRUDisplayLength = 30;

} // namespace

CTraceloApp::CTraceloApp()
{
    if (const char* pszName = res::LoadString(res::AFX_IDS_APP_TITLE))
    {
        m_strAppName = pszName;
    }
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

int CTraceloApp::Run()
{
    QApplication::exec();
    return ExitInstance();
}

int CTraceloApp::ExitInstance()
{
    if (m_cmdInfo.m_nShellCommand != CCommandLineInfo::AppUnregister)
    {
        SaveStdProfileSettings();
    }
    return 0;
}

int CTraceloApp::ExitWithoutRunning()
{
    const int nCode = ExitInstance();
    return m_cmdInfo.m_nShellCommand == CCommandLineInfo::AppUnregister ? nCode
                                                                         : m_nShellExitCode;
}

void CTraceloApp::SetRegistryKey(const char* pszRegistryKey)
{
    m_strRegistryKey = pszRegistryKey;
}

QString CTraceloApp::GetProfileFileName() const
{
    // Where QSettings keeps the user's settings of this program, found
    // without reading them: a format of our own that is never read shares
    // the folder (the INI one, or the one set for the tests) and differs
    // only in the extension.
    static const QSettings::Format s_probeFormat = QSettings::registerFormat(
        QStringLiteral("tracelo-probe"), [](QIODevice&, QSettings::SettingsMap&) { return false; },
        [](QIODevice&, const QSettings::SettingsMap&) { return false; });
    QSettings probe(s_probeFormat, QSettings::UserScope, QString::fromStdString(m_strRegistryKey),
                    QString::fromStdString(m_strAppName));
    QString strFile = probe.fileName();
    strFile.chop(static_cast<qsizetype>(std::strlen("tracelo-probe")));
    return strFile + QStringLiteral("conf");
}

std::unique_ptr<QSettings> CTraceloApp::GetProfile() const
{
#ifdef _WIN32
    return std::make_unique<QSettings>(QString::fromStdString(m_strRegistryKey),
                                       QString::fromStdString(m_strAppName));
#else
    const QString strFile = GetProfileFileName();
    // A settings file that is not a regular file (a pipe would block the
    // program for ever, a device could never end) is ignored: the defaults
    // hold and nothing is written there.
    struct stat st = {};
    if (::stat(QFile::encodeName(strFile).constData(), &st) == 0 && !S_ISREG(st.st_mode))
    {
        return nullptr;
    }
    // That one file alone: no folder-wide or system-wide fallbacks to read.
    return std::make_unique<QSettings>(strFile, QSettings::IniFormat);
#endif
}

void CTraceloApp::LoadStdProfileSettings(unsigned nMaxMRU)
{
    std::unique_ptr<QSettings> pProfile = GetProfile();
    if (nMaxMRU != 0)
    {
        m_pRecentFileList = std::make_unique<CRecentFileList>(
            kRecentFileSection, kRecentFileEntry, static_cast<int>(nMaxMRU), kMaxMRUDisplayLength);
        if (pProfile != nullptr)
        {
            m_pRecentFileList->ReadList(*pProfile);
        }
    }
    m_print.m_nNumPreviewPages =
        pProfile == nullptr
            ? 0
            : pProfile->value(QStringLiteral("%1/%2").arg(kSettingsSection, kPreviewPagesEntry), 0)
                  .toInt();
}

void CTraceloApp::WriteRecentFileList()
{
    std::unique_ptr<QSettings> pProfile = GetProfile();
    const CRecentFileList* pList = m_pMainWnd != nullptr ? m_pMainWnd->RecentFiles() : nullptr;
    if (pProfile != nullptr && pList != nullptr)
    {
        pList->WriteList(*pProfile);
        pProfile->sync();
    }
}

void CTraceloApp::SaveStdProfileSettings()
{
    std::unique_ptr<QSettings> pProfile = GetProfile();
    if (pProfile == nullptr)
    {
        return;
    }
    if (const CRecentFileList* pList = m_pMainWnd != nullptr ? m_pMainWnd->RecentFiles() : nullptr)
    {
        pList->WriteList(*pProfile);
    }
    if (m_print.m_nNumPreviewPages != 0)
    {
        pProfile->setValue(QStringLiteral("%1/%2").arg(kSettingsSection, kPreviewPagesEntry),
                           m_print.m_nNumPreviewPages);
    }
    pProfile->sync();
}

bool CTraceloApp::Unregister()
{
    std::unique_ptr<QSettings> pProfile = GetProfile();
    if (pProfile == nullptr)
    {
        return false; // not a settings file of ours: left alone
    }
    pProfile->clear();
    pProfile->sync();
    bool bOk = pProfile->status() == QSettings::NoError;
#ifndef _WIN32
    // Here the settings are a file: it goes, and its folder when empty.
    const QString strFile = pProfile->fileName();
    pProfile.reset();
    if (QFile::exists(strFile) && !QFile::remove(strFile))
    {
        bOk = false;
    }
    QDir().rmdir(QFileInfo(strFile).absolutePath());
#endif
    return bOk;
}

CTraceloDoc* CTraceloApp::OpenDocumentFile(const std::string& strFileName)
{
    return m_pMainWnd->Graphs().OpenDocumentFile(strFileName);
}

bool CTraceloApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo)
{
    if (rCmdInfo.m_nShellCommand == CCommandLineInfo::FilePrintTo)
    {
        m_print.m_pstrPrintTo = &rCmdInfo.m_strPrinterName;
    }
    switch (rCmdInfo.m_nShellCommand)
    {
    case CCommandLineInfo::FileNew:
        m_pMainWnd->Graphs().OnFileNew();
        return true;

    case CCommandLineInfo::FileOpen:
        return OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;

    case CCommandLineInfo::FilePrint:
    case CCommandLineInfo::FilePrintTo:
    {
        if (OpenDocumentFile(rCmdInfo.m_strFileName) == nullptr)
        {
            return false;
        }
        // Printed: the program's work is done.
        return !PrintFromShell();
    }

    case CCommandLineInfo::FileDDE:
        // No shell conversation is ever set up, so waiting for one would
        // leave a hidden program running: start as without the switch.
        if (rCmdInfo.m_strFileName.empty())
        {
            m_pMainWnd->Graphs().OnFileNew();
            return true;
        }
        return OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;

    case CCommandLineInfo::AppUnregister:
    {
        const bool bUnregistered = Unregister();
        if (!rCmdInfo.m_bRunEmbedded)
        {
            ShowMessageBox(m_pMainWnd.get(), QString::fromUtf8(res::LoadString(
                                           bUnregistered ? res::AFX_IDS_UNREG_DONE
                                                         : res::AFX_IDS_UNREG_FAILURE)));
        }
        return false;
    }

    case CCommandLineInfo::FileNothing:
        return true;
    }
    return true;
}

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
    // 6. The one document type, a graph in a child frame with its view, is
    //    what the open graphs make.
    // 7, 8. The main window, hidden until the command line is carried out;
    //    it keeps the recent files, and they are written when they change.
    auto pMainFrame = std::make_unique<CMainFrame>(m_print, std::move(m_pRecentFileList));
    if (!pMainFrame->LoadFrame(res::IDR_MAINFRAME))
    {
        return false;
    }
    m_pMainWnd = std::move(pMainFrame);
    QObject::connect(m_pMainWnd.get(), &CMainFrame::recentFilesChanged, m_pMainWnd.get(),
                     [this] { WriteRecentFileList(); });
    // 9. The command line.
    m_cmdInfo.ParseCommandLine(m_vArgs);
    // A graph that takes long to sample brings the window up before its
    // progress dialog; printing from the command line never shows it.
    const bool bPrints = m_cmdInfo.m_nShellCommand == CCommandLineInfo::FilePrint ||
                         m_cmdInfo.m_nShellCommand == CCommandLineInfo::FilePrintTo;
    m_pMainWnd->setProperty(kShowBeforeProgress, !bPrints);
    const bool bProcessed = ProcessShellCommand(m_cmdInfo);
    m_pMainWnd->setProperty(kShowBeforeProgress, QVariant());
    if (!bProcessed)
    {
        return false;
    }
    // 10. Shown with its first graph already in it.
    if (m_bShowMainWindow)
    {
        m_pMainWnd->show();
    }
    return true;
}

bool CTraceloApp::PrintFromShell()
{
    // The graph just opened prints without the dialog, on the printer the
    // command line names; the main window is never shown.
    m_bShowMainWindow = false;
    CChildFrame* pFrame = m_pMainWnd->MDIGetActive();
    CTraceloView* pView = pFrame != nullptr ? pFrame->GetActiveView() : nullptr;
    m_nShellExitCode = pView != nullptr && pView->PrintDirect() ? 0 : 1;
    return true;
}
