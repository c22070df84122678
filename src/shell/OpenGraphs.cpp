#include "shell/OpenGraphs.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>

#include "core/doc/FileErrors.h"
#include "core/doc/TraceloDoc.h"
#include "res/FileStrings.h"
#include "res/ResourceIds.h"
#include "res/SamplingStrings.h"
#include "res/ShellResources.h"
#include "shell/ChildFrame.h"
#include "shell/MessageBox.h"
#include "shell/RecentFileList.h"
#include "shell/TraceloView.h"

namespace
{

// Windows reads "*.*" as every file; here it would hide names without a dot,
// and graph files have no extension of their own. The filter keeps its text
// and matches every name.
void MatchAllFiles(QFileDialog& dlg)
{
    if (auto* pModel = dlg.findChild<QFileSystemModel*>())
    {
        pModel->setNameFilters({QStringLiteral("*")});
    }
}

} // namespace

std::string GetFullPath(const std::string& strPath)
{
    if (strPath.empty())
    {
        return strPath;
    }
#ifdef _WIN32
    return QDir::cleanPath(QFileInfo(QString::fromStdString(strPath)).absoluteFilePath())
        .toStdString();
#else
    // In bytes, as the file system names files: a name that is not UTF-8
    // must come out as it went in.
    std::string strFull = strPath;
    if (strFull.front() != '/')
    {
        std::string strCurrent(256, '\0');
        while (::getcwd(strCurrent.data(), strCurrent.size()) == nullptr)
        {
            if (errno != ERANGE)
            {
                return strPath;
            }
            strCurrent.resize(2 * strCurrent.size());
        }
        strCurrent.resize(std::strlen(strCurrent.c_str()));
        strFull = strCurrent + "/" + strFull;
    }
    // Without "." and empty parts, ".." taking away the part before it.
    std::vector<std::string> vParts;
    std::size_t nPos = 0;
    while (nPos <= strFull.size())
    {
        const std::size_t nSlash = std::min(strFull.find('/', nPos), strFull.size());
        const std::string strPart = strFull.substr(nPos, nSlash - nPos);
        nPos = nSlash + 1;
        if (strPart.empty() || strPart == ".")
        {
            continue;
        }
        if (strPart == "..")
        {
            if (!vParts.empty())
            {
                vParts.pop_back();
            }
            continue;
        }
        vParts.push_back(strPart);
    }
    std::string strClean;
    for (const std::string& strPart : vParts)
    {
        strClean += "/" + strPart;
    }
    return strClean.empty() ? "/" : strClean;
#endif
}

std::string ProposedFileName(const std::string& strTitle)
{
    const std::size_t nBad = strTitle.find_first_of(" #%;/\\");
    return nBad == std::string::npos ? strTitle : strTitle.substr(0, nBad);
}

COpenGraphs::COpenGraphs(QWidget* pWindow, CPrintSettings& print)
    : m_pWindow(pWindow), m_print(print)
{
}

COpenGraphs::~COpenGraphs()
{
    // Views that outlive the set show nothing more.
    for (CGraph& graph : m_vGraphs)
    {
        for (CWindow& window : graph.m_vWindows)
        {
            window.m_pView->Detach();
        }
    }
}

COpenGraphs::CGraph* COpenGraphs::Find(const CTraceloDoc* pDoc)
{
    auto it = std::find_if(m_vGraphs.begin(), m_vGraphs.end(),
                           [&](const CGraph& g) { return g.m_pDoc.get() == pDoc; });
    return it == m_vGraphs.end() ? nullptr : &*it;
}

COpenGraphs::CGraph* COpenGraphs::FindWindow(const QObject* pObject, CWindow** ppWindow)
{
    for (CGraph& graph : m_vGraphs)
    {
        for (CWindow& window : graph.m_vWindows)
        {
            if (static_cast<const QObject*>(window.m_pFrame) == pObject ||
                static_cast<const QObject*>(window.m_pView) == pObject)
            {
                *ppWindow = &window;
                return &graph;
            }
        }
    }
    return nullptr;
}

CTraceloDoc* COpenGraphs::Add(std::unique_ptr<CTraceloDoc> pDoc)
{
    CTraceloDoc* p = pDoc.get();
    m_vGraphs.push_back(CGraph{std::move(pDoc), {}});
    return p;
}

void COpenGraphs::Destroy(CTraceloDoc* pDoc)
{
    CGraph* pGraph = Find(pDoc);
    if (pGraph == nullptr)
    {
        return;
    }
    for (CWindow& window : pGraph->m_vWindows)
    {
        window.m_pView->Detach();
    }
    // Out of the list first: the graph's destructor runs on its own.
    std::unique_ptr<CTraceloDoc> pOwned = std::move(pGraph->m_pDoc);
    m_vGraphs.erase(m_vGraphs.begin() + (pGraph - m_vGraphs.data()));
    pOwned.reset();
    emit titlesChanged();
}

std::vector<CTraceloDoc*> COpenGraphs::GetDocuments() const
{
    std::vector<CTraceloDoc*> v;
    for (const CGraph& graph : m_vGraphs)
    {
        v.push_back(graph.m_pDoc.get());
    }
    return v;
}

CChildFrame* COpenGraphs::OpenNewWindow(CTraceloDoc* pDoc)
{
    CGraph* pGraph = Find(pDoc);
    if (pGraph == nullptr)
    {
        return nullptr;
    }
    auto* pFrame = new CChildFrame();
    auto* pView = new CTraceloView(pDoc, &m_print);
    pFrame->setWidget(pView);
    pGraph->m_vWindows.push_back(CWindow{pFrame, pView});
    pFrame->installEventFilter(this);
    // A view that goes without its window closing (the main window going)
    // leaves its graph too.
    QObject::connect(pView, &QObject::destroyed, this, [this](QObject* p) { RemoveView(p); });
    emit windowMade(pFrame);
    UpdateFrameCounts(pDoc);
    pView->OnInitialUpdate();
    pFrame->show();
    emit windowToActivate(pFrame);
    return pFrame;
}

void COpenGraphs::UpdateFrameCounts(CTraceloDoc* pDoc)
{
    CGraph* pGraph = Find(pDoc);
    if (pGraph == nullptr)
    {
        return;
    }
    const bool bSeveral = pGraph->m_vWindows.size() > 1;
    int nWindow = 1;
    for (CWindow& window : pGraph->m_vWindows)
    {
        window.m_pFrame->SetWindowNumber(bSeveral ? nWindow++ : 0);
    }
    emit titlesChanged();
}

CTraceloDoc* COpenGraphs::OnFileNew()
{
    auto pNew = std::make_unique<CTraceloDoc>();
    if (!pNew->OnNewDocument())
    {
        return nullptr;
    }
    ++m_nUntitledCount;
    pNew->SetTitle(res::GetDocString(res::IDR_GRAPHTYPE, res::kDocNameField) +
                   std::to_string(m_nUntitledCount));
    CTraceloDoc* pDoc = Add(std::move(pNew));
    if (OpenNewWindow(pDoc) == nullptr)
    {
        Destroy(pDoc);
        return nullptr;
    }
    return pDoc;
}

void COpenGraphs::OnFileOpen()
{
    std::string strFileName;
    if (!PromptFileName(strFileName, true))
    {
        return;
    }
    OpenDocumentFile(strFileName);
}

CTraceloDoc* COpenGraphs::OpenDocumentFile(const std::string& strFileName)
{
    const std::string strPath = GetFullPath(strFileName);
    for (CGraph& graph : m_vGraphs)
    {
        if (!graph.m_pDoc->GetPathName().empty() &&
            SamePath(graph.m_pDoc->GetPathName(), strPath) && !graph.m_vWindows.empty())
        {
            emit windowToActivate(graph.m_vWindows.front().m_pFrame);
            emit fileUsed(strPath);
            return graph.m_pDoc.get();
        }
    }

    m_bOpenRanOutOfMemory = false;
    CTraceloDoc* pDoc = nullptr;
    try
    {
        auto pNew = std::make_unique<CTraceloDoc>();
        std::string strError;
        if (!pNew->OnOpenDocument(strPath, strError))
        {
            if (strError.empty())
            {
                strError = FormatMessage1(res::kFailedToOpenDoc, strPath);
            }
            m_bOpenRanOutOfMemory = strError == res::kOutOfMemory;
            ShowMessageBox(m_pWindow, QString::fromStdString(strError), EMsgBoxButtons::Ok,
                           EMsgBoxIcon::Exclamation);
            return nullptr;
        }
        pNew->SetPathName(strPath);
        pDoc = Add(std::move(pNew));
        if (OpenNewWindow(pDoc) == nullptr)
        {
            Destroy(pDoc);
            return nullptr;
        }
    }
    catch (const std::bad_alloc&)
    {
        // Memory ran out while the graph was read or its window made: it is
        // not opened, and every other graph stays as it was.
        if (pDoc != nullptr)
        {
            CloseDocumentWindows(pDoc);
        }
        m_bOpenRanOutOfMemory = true;
        ShowMessageBox(m_pWindow, QString::fromUtf8(res::kOutOfMemory), EMsgBoxButtons::Ok,
                       EMsgBoxIcon::Exclamation);
        return nullptr;
    }
    emit fileUsed(strPath);
    return pDoc;
}

bool COpenGraphs::PromptFileName(std::string& strFileName, bool bOpenFileDialog)
{
    QFileDialog dlg(m_pWindow,
                    QString::fromUtf8(bOpenFileDialog ? res::kOpenTitle : res::kSaveAsTitle));
#ifndef _WIN32
    dlg.setOption(QFileDialog::DontUseNativeDialog);
#endif
    dlg.setObjectName(QStringLiteral("TraceloFileDialog"));
    dlg.setAcceptMode(bOpenFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dlg.setFileMode(bOpenFileDialog ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dlg.setNameFilter(QString::fromUtf8(res::kAllFilesFilter));
    MatchAllFiles(dlg);
    QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg, [&dlg] { MatchAllFiles(dlg); });
    if (!strFileName.empty())
    {
        dlg.selectFile(QString::fromStdString(strFileName));
    }
    if (dlg.exec() != QDialog::Accepted)
    {
        return false;
    }
    const QStringList files = dlg.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
    {
        return false;
    }
    strFileName = files.front().toStdString();
    return true;
}

bool COpenGraphs::SaveModified(CTraceloDoc* pDoc)
{
    if (pDoc == nullptr || !pDoc->IsModified())
    {
        return true;
    }
    // The graph as its window's caption names it: the file's name, or the
    // title of a graph never saved.
    const QString strPrompt =
        QString::fromStdString(FormatMessage1(res::kSavePrompt, pDoc->GetTitle()));
    switch (ShowMessageBox(m_pWindow, strPrompt, EMsgBoxButtons::YesNoCancel,
                           EMsgBoxIcon::Question))
    {
    case EMsgBoxResult::Cancel:
        return false;
    case EMsgBoxResult::Yes:
        return DoFileSave(pDoc);
    default:
        return true;
    }
}

bool COpenGraphs::DoFileSave(CTraceloDoc* pDoc)
{
    const std::string strPath = pDoc->GetPathName();
#ifdef _WIN32
    const QFileInfo info(QString::fromStdString(strPath));
    const bool bExists = info.exists();
    // Read-only as the file system marks it, with no write permission for
    // anyone, even when the user could write it anyway.
    const bool bReadOnly =
        !info.isWritable() ||
        !(info.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
#else
    // The path's own bytes, which need not be UTF-8.
    struct stat st = {};
    const bool bExists = !strPath.empty() && ::stat(strPath.c_str(), &st) == 0;
    const bool bReadOnly = bExists && ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
                                       ::access(strPath.c_str(), W_OK) != 0);
#endif
    return DoSave(pDoc, strPath.empty() || !bExists || bReadOnly ? std::string() : strPath);
}

bool COpenGraphs::DoSaveAs(CTraceloDoc* pDoc)
{
    return DoSave(pDoc, std::string());
}

bool COpenGraphs::DoSave(CTraceloDoc* pDoc, std::string strNewName)
{
    if (strNewName.empty())
    {
        strNewName = pDoc->GetPathName();
        if (strNewName.empty())
        {
            strNewName = ProposedFileName(pDoc->GetTitle());
        }
        if (!PromptFileName(strNewName, false))
        {
            return false;
        }
        strNewName = GetFullPath(strNewName);
    }
    std::string strError;
    if (!pDoc->OnSaveDocument(strNewName, strError))
    {
        if (strError.empty())
        {
            strError = res::kFailedToSaveDoc;
        }
        ShowMessageBox(m_pWindow, QString::fromStdString(strError), EMsgBoxButtons::Ok,
                       EMsgBoxIcon::Exclamation);
        return false;
    }
    pDoc->SetPathName(strNewName);
    UpdateFrameCounts(pDoc);
    emit fileUsed(strNewName);
    return true;
}

void COpenGraphs::CloseDocumentWindows(CTraceloDoc* pDoc)
{
    // Copied: each close takes a window out of the graph's list.
    CGraph* pGraph = Find(pDoc);
    std::vector<CChildFrame*> vFrames;
    for (const CWindow& window : pGraph != nullptr ? pGraph->m_vWindows : std::vector<CWindow>())
    {
        vFrames.push_back(window.m_pFrame);
    }
    for (CChildFrame* pFrame : vFrames)
    {
        CWindow* pWindow = nullptr;
        if (FindWindow(pFrame, &pWindow) == nullptr)
        {
            continue;
        }
        pWindow->m_bCloseWithoutPrompt = true;
        if (!pFrame->close() && FindWindow(pFrame, &pWindow) != nullptr)
        {
            pWindow->m_bCloseWithoutPrompt = false;
        }
    }
    // A graph whose windows are gone (or that never had one) goes too.
    if (pGraph = Find(pDoc); pGraph != nullptr && pGraph->m_vWindows.empty())
    {
        Destroy(pDoc);
    }
}

void COpenGraphs::OnFileClose(CTraceloDoc* pDoc)
{
    if (!SaveModified(pDoc))
    {
        return;
    }
    CloseDocumentWindows(pDoc);
}

bool COpenGraphs::SaveAllModified()
{
    for (CTraceloDoc* pDoc : GetDocuments())
    {
        if (Find(pDoc) != nullptr && !SaveModified(pDoc))
        {
            return false;
        }
    }
    return true;
}

void COpenGraphs::CloseAllDocuments()
{
    for (CTraceloDoc* pDoc : GetDocuments())
    {
        if (Find(pDoc) != nullptr)
        {
            CloseDocumentWindows(pDoc);
        }
    }
}

bool COpenGraphs::CanCloseFrame(const QObject* pFrame)
{
    CWindow* pWindow = nullptr;
    CGraph* pGraph = FindWindow(pFrame, &pWindow);
    if (pGraph == nullptr || pWindow->m_bCloseWithoutPrompt || pGraph->m_vWindows.size() > 1)
    {
        return true; // asked already, or another window still shows the graph
    }
    return SaveModified(pGraph->m_pDoc.get());
}

bool COpenGraphs::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pEvent->type() != QEvent::Close)
    {
        return false;
    }
    if (!CanCloseFrame(pWatched))
    {
        pEvent->ignore();
        return true;
    }
    // Nothing refuses the close from here: the window's view leaves now.
    CWindow* pWindow = nullptr;
    if (FindWindow(pWatched, &pWindow) != nullptr)
    {
        CTraceloView* pView = pWindow->m_pView;
        pView->Detach();
        RemoveView(pView);
    }
    return false;
}

void COpenGraphs::RemoveView(const QObject* pView)
{
    CWindow* pWindow = nullptr;
    CGraph* pGraph = FindWindow(pView, &pWindow);
    if (pGraph == nullptr)
    {
        return;
    }
    CTraceloDoc* pDoc = pGraph->m_pDoc.get();
    pGraph->m_vWindows.erase(pGraph->m_vWindows.begin() + (pWindow - pGraph->m_vWindows.data()));
    if (pGraph->m_vWindows.empty())
    {
        Destroy(pDoc);
    }
    else
    {
        UpdateFrameCounts(pDoc);
    }
}
