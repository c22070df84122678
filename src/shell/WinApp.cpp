#include "shell/WinApp.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <cstring>
#include <sys/stat.h>

#include "core/doc/Document.h"
#include "res/ShellResources.h"
#include "shell/DocManager.h"
#include "shell/MDIFrameWnd.h"
#include "shell/MessageBox.h"
#include "shell/Printing.h"
#include "shell/RecentFileList.h"

namespace
{

CWinApp* g_pApp = nullptr;

const char kRecentFileSection[] = "Recent File List";
const char kRecentFileEntry[] = "File%d";
const char kSettingsSection[] = "Settings";
const char kPreviewPagesEntry[] = "PreviewPages";
constexpr int kMaxMRUDisplayLength = 30;

// Input of any kind makes the main window run its idle pass once the queue
// is empty, as the message loop does after every message.
class CIdleFilter : public QObject
{
public:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        switch (pEvent->type())
        {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::WindowActivate:
            if (CMDIFrameWnd* pFrame = AfxGetMainWnd())
            {
                pFrame->RequestIdleUpdate();
            }
            break;
        default:
            break;
        }
        return QObject::eventFilter(pWatched, pEvent);
    }
};

} // namespace

CWinApp* AfxGetApp()
{
    return g_pApp;
}

CWinApp::CWinApp()
{
    g_pApp = this;
    if (const char* pszName = res::LoadString(res::AFX_IDS_APP_TITLE))
    {
        m_strAppName = pszName;
    }
    m_pDocManager = std::make_unique<CDocManager>();
    m_pDocManager->m_fnAddToRecentFileList = [this](const std::string& strPath)
    { AddToRecentFileList(strPath); };
}

CWinApp::~CWinApp()
{
    if (m_pIdleFilter != nullptr && qApp != nullptr)
    {
        qApp->removeEventFilter(m_pIdleFilter.get());
    }
    // The windows go before the documents they show and the manager.
    delete m_pMainWnd;
    m_pMainWnd = nullptr;
    m_pDocManager.reset();
    if (g_pApp == this)
    {
        g_pApp = nullptr;
    }
}

int CWinApp::Run()
{
    if (m_pIdleFilter == nullptr && qApp != nullptr)
    {
        m_pIdleFilter = std::make_unique<CIdleFilter>();
        qApp->installEventFilter(m_pIdleFilter.get());
    }
    QApplication::exec();
    return ExitInstance();
}

int CWinApp::ExitInstance()
{
    if (m_pCmdInfo == nullptr || m_pCmdInfo->m_nShellCommand != CCommandLineInfo::AppUnregister)
    {
        SaveStdProfileSettings();
    }
    return 0;
}

void CWinApp::SetRegistryKey(const char* pszRegistryKey)
{
    m_strRegistryKey = pszRegistryKey;
}

QString CWinApp::GetProfileFileName() const
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

std::unique_ptr<QSettings> CWinApp::GetProfile() const
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

void CWinApp::LoadStdProfileSettings(unsigned nMaxMRU)
{
    std::unique_ptr<QSettings> pProfile = GetProfile();
    if (nMaxMRU != 0)
    {
        m_pRecentFileList = std::make_unique<CRecentFileList>(
            res::ID_FILE_MRU_FILE1, kRecentFileSection, kRecentFileEntry, static_cast<int>(nMaxMRU),
            kMaxMRUDisplayLength);
        if (pProfile != nullptr)
        {
            m_pRecentFileList->ReadList(*pProfile);
        }
    }
    m_nNumPreviewPages =
        pProfile == nullptr
            ? 0
            : pProfile->value(QStringLiteral("%1/%2").arg(kSettingsSection, kPreviewPagesEntry), 0)
                  .toInt();
}

void CWinApp::WriteRecentFileList()
{
    std::unique_ptr<QSettings> pProfile = GetProfile();
    if (pProfile != nullptr && m_pRecentFileList != nullptr)
    {
        m_pRecentFileList->WriteList(*pProfile);
        pProfile->sync();
    }
}

void CWinApp::SaveStdProfileSettings()
{
    std::unique_ptr<QSettings> pProfile = GetProfile();
    if (pProfile == nullptr)
    {
        return;
    }
    if (m_pRecentFileList != nullptr)
    {
        m_pRecentFileList->WriteList(*pProfile);
    }
    if (m_nNumPreviewPages != 0)
    {
        pProfile->setValue(QStringLiteral("%1/%2").arg(kSettingsSection, kPreviewPagesEntry),
                           m_nNumPreviewPages);
    }
    pProfile->sync();
}

bool CWinApp::Unregister()
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

void CWinApp::AddDocTemplate(std::unique_ptr<CDocTemplate> pTemplate)
{
    m_pDocManager->AddDocTemplate(std::move(pTemplate));
}

CDocument* CWinApp::OpenDocumentFile(const std::string& strFileName)
{
    return m_pDocManager->OpenDocumentFile(strFileName);
}

void CWinApp::AddToRecentFileList(const std::string& strPathName)
{
    if (m_pRecentFileList != nullptr)
    {
        const bool bAlreadyFirst =
            !m_pRecentFileList->IsEmpty() && (*m_pRecentFileList)[0] == strPathName;
        m_pRecentFileList->Add(strPathName);
        // Kept at once, so a program that is killed does not lose it.
        if (!bAlreadyFirst)
        {
            WriteRecentFileList();
        }
    }
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo, const std::vector<std::string>& vArgs)
{
    rCmdInfo.ParseCommandLine(vArgs);
}

bool CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo)
{
    m_pCmdInfo = &rCmdInfo;
    switch (rCmdInfo.m_nShellCommand)
    {
    case CCommandLineInfo::FileNew:
        OnFileNew();
        return m_pMainWnd != nullptr;

    case CCommandLineInfo::FileOpen:
        return OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;

    case CCommandLineInfo::FilePrint:
    case CCommandLineInfo::FilePrintTo:
    {
        CDocument* pDoc = OpenDocumentFile(rCmdInfo.m_strFileName);
        if (pDoc == nullptr)
        {
            return false;
        }
        // Printed: the program's work is done.
        return !PrintFromShell(pDoc, rCmdInfo);
    }

    case CCommandLineInfo::FileDDE:
        // No shell conversation is ever set up, so waiting for one would
        // leave a hidden program running: start as without the switch.
        if (rCmdInfo.m_strFileName.empty())
        {
            OnFileNew();
            return m_pMainWnd != nullptr;
        }
        return OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;

    case CCommandLineInfo::AppUnregister:
    {
        const bool bUnregistered = Unregister();
        if (!rCmdInfo.m_bRunEmbedded)
        {
            AfxMessageBox(QString::fromUtf8(res::LoadString(
                bUnregistered ? res::AFX_IDS_UNREG_DONE : res::AFX_IDS_UNREG_FAILURE)));
        }
        return false;
    }

    case CCommandLineInfo::FileNothing:
        return true;
    }
    return true;
}

bool CWinApp::PrintFromShell(CDocument* /*pDoc*/, const CCommandLineInfo& /*rCmdInfo*/)
{
    // The view of the graph just opened prints it without the dialog, on
    // the printer the command line names; the main window is never shown.
    m_bShowMainWindow = false;
    if (m_pMainWnd != nullptr)
    {
        m_pMainWnd->OnCommand(res::ID_FILE_PRINT_DIRECT);
    }
    return true;
}

bool CWinApp::DispatchOwn(unsigned nID, CCmdUI* pCmdUI)
{
    using T = CWinApp;
    static const CCmdEntry<T> kCommands[] = {
        MapUpdateRange<T>(res::ID_FILE_MRU_FILE1, res::ID_FILE_MRU_LAST,
                          &T::OnUpdateRecentFileMenu),
        MapCommandRange<T>(res::ID_FILE_MRU_FILE1, res::ID_FILE_MRU_LAST, &T::OnOpenRecentFile),
        MapCommand<T>(res::ID_APP_EXIT, &T::OnAppExit),
    };
    return DispatchTable<T>(this, kCommands, nID, pCmdUI);
}

void CWinApp::OnFileNew()
{
    m_pDocManager->OnFileNew();
}

void CWinApp::OnFileOpen()
{
    m_pDocManager->OnFileOpen();
}

void CWinApp::OnFilePrintSetup()
{
    DoPrintSetup(m_pMainWnd);
}

void CWinApp::OnOpenRecentFile(unsigned nID)
{
    if (m_pRecentFileList == nullptr)
    {
        return;
    }
    const int nIndex = static_cast<int>(nID - res::ID_FILE_MRU_FILE1);
    if (nIndex < 0 || nIndex >= m_pRecentFileList->GetCount())
    {
        return;
    }
    const std::string strPath = (*m_pRecentFileList)[nIndex];
    if (OpenDocumentFile(strPath) == nullptr && !m_pDocManager->OpenRanOutOfMemory())
    {
        // A file that no longer opens leaves the list; one that only did not
        // fit in memory stays.
        for (int i = 0; i < m_pRecentFileList->GetCount(); ++i)
        {
            if ((*m_pRecentFileList)[i] == strPath)
            {
                m_pRecentFileList->Remove(i);
                WriteRecentFileList();
                break;
            }
        }
    }
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* pCmdUI)
{
    const int nIndex = static_cast<int>(pCmdUI->m_nID - res::ID_FILE_MRU_FILE1);
    pCmdUI->Enable(m_pRecentFileList != nullptr && nIndex < m_pRecentFileList->GetCount());
}

void CWinApp::OnAppExit()
{
    if (m_pMainWnd != nullptr)
    {
        m_pMainWnd->close();
    }
}
