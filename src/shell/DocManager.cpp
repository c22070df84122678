#include "shell/DocManager.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>

#include "core/doc/Document.h"
#include "core/doc/FileErrors.h"
#include "res/FileStrings.h"
#include "res/ResourceIds.h"
#include "res/SamplingStrings.h"
#include "res/ShellResources.h"
#include "shell/ChildFrame.h"
#include "shell/MainFrame.h"
#include "shell/MessageBox.h"
#include "shell/RecentFileList.h"
#include "shell/View.h"

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

CDocTemplate::CDocTemplate(unsigned nIDResource, FnCreateDocument fnDocument, FnCreateFrame fnFrame,
                           FnCreateView fnView)
    : m_fnCreateDocument(std::move(fnDocument)), m_fnCreateFrame(std::move(fnFrame)),
      m_fnCreateView(std::move(fnView)), m_nIDResource(nIDResource)
{
}

std::string CDocTemplate::GetDocString(EDocStringIndex eIndex) const
{
    return res::GetDocString(m_nIDResource, eIndex);
}

CDocManager::CDocManager() = default;

CDocManager::~CDocManager()
{
    // Views that outlive the manager must not call back into it.
    for (CDocEntry& entry : m_vDocs)
    {
        for (CView* pView : entry.m_vViews)
        {
            pView->m_pDocManager = nullptr;
            pView->m_pDocument = nullptr;
        }
    }
}

void CDocManager::AddDocTemplate(std::unique_ptr<CDocTemplate> pTemplate)
{
    m_pTemplate = std::move(pTemplate);
}

CDocManager::CDocEntry* CDocManager::FindEntry(const CDocument* pDoc)
{
    auto it = std::find_if(m_vDocs.begin(), m_vDocs.end(),
                           [&](const CDocEntry& e) { return e.m_pDoc.get() == pDoc; });
    return it == m_vDocs.end() ? nullptr : &*it;
}

const CDocManager::CDocEntry* CDocManager::FindEntry(const CDocument* pDoc) const
{
    auto it = std::find_if(m_vDocs.begin(), m_vDocs.end(),
                           [&](const CDocEntry& e) { return e.m_pDoc.get() == pDoc; });
    return it == m_vDocs.end() ? nullptr : &*it;
}

CDocument* CDocManager::AddDocument(std::unique_ptr<CDocument> pDoc)
{
    CDocument* p = pDoc.get();
    m_vDocs.push_back(CDocEntry{std::move(pDoc), {}});
    return p;
}

void CDocManager::DestroyDocument(CDocument* pDoc)
{
    auto it = std::find_if(m_vDocs.begin(), m_vDocs.end(),
                           [&](const CDocEntry& e) { return e.m_pDoc.get() == pDoc; });
    if (it == m_vDocs.end())
    {
        return;
    }
    for (CView* pView : it->m_vViews)
    {
        pView->m_pDocManager = nullptr;
        pView->m_pDocument = nullptr;
    }
    // Out of the list first: the document's destructor runs on its own.
    std::unique_ptr<CDocument> pOwned = std::move(it->m_pDoc);
    m_vDocs.erase(it);
    pOwned.reset();
    if (m_pMainFrame != nullptr)
    {
        m_pMainFrame->OnUpdateFrameTitle();
    }
}

std::vector<CDocument*> CDocManager::GetDocuments() const
{
    std::vector<CDocument*> v;
    for (const CDocEntry& entry : m_vDocs)
    {
        v.push_back(entry.m_pDoc.get());
    }
    return v;
}

std::vector<CView*> CDocManager::GetViews(const CDocument* pDoc) const
{
    const CDocEntry* pEntry = FindEntry(pDoc);
    return pEntry != nullptr ? pEntry->m_vViews : std::vector<CView*>();
}

CChildFrame* CDocManager::CreateNewFrame(CDocument* pDoc)
{
    CDocEntry* pEntry = FindEntry(pDoc);
    if (pEntry == nullptr || m_pTemplate == nullptr || m_pMainFrame == nullptr)
    {
        return nullptr;
    }
    CChildFrame* pFrame = m_pTemplate->m_fnCreateFrame();
    CView* pView = m_pTemplate->m_fnCreateView();
    if (pFrame == nullptr || pView == nullptr)
    {
        delete pView;
        delete pFrame;
        return nullptr;
    }
    pFrame->m_pDocManager = this;
    pView->m_pDocument = pDoc;
    pView->m_pDocManager = this;
    pEntry->m_vViews.push_back(pView);
    pFrame->setWidget(pView);
    m_pMainFrame->AddChildFrame(pFrame);
    UpdateFrameCounts(pDoc);
    return pFrame;
}

void CDocManager::InitialUpdateFrame(CChildFrame* pFrame)
{
    if (CView* pView = pFrame->GetActiveView())
    {
        pView->OnInitialUpdate();
    }
    pFrame->show();
    m_pMainFrame->MDIActivate(pFrame);
}

void CDocManager::UpdateFrameCounts(CDocument* pDoc)
{
    CDocEntry* pEntry = FindEntry(pDoc);
    if (pEntry == nullptr)
    {
        return;
    }
    const bool bSeveral = pEntry->m_vViews.size() > 1;
    int nWindow = 1;
    for (CView* pView : pEntry->m_vViews)
    {
        if (CChildFrame* pFrame = pView->GetParentFrame())
        {
            pFrame->m_nWindow = bSeveral ? nWindow++ : 0;
            pFrame->OnUpdateFrameTitle();
        }
    }
    if (m_pMainFrame != nullptr)
    {
        m_pMainFrame->OnUpdateFrameTitle();
    }
}

CDocument* CDocManager::OnFileNew()
{
    if (m_pTemplate == nullptr)
    {
        return nullptr;
    }
    std::unique_ptr<CDocument> pNew = m_pTemplate->m_fnCreateDocument();
    if (pNew == nullptr || !pNew->OnNewDocument())
    {
        return nullptr;
    }
    ++m_nUntitledCount;
    pNew->SetTitle(m_pTemplate->GetDocString(CDocTemplate::docName) +
                   std::to_string(m_nUntitledCount));
    CDocument* pDoc = AddDocument(std::move(pNew));
    CChildFrame* pFrame = CreateNewFrame(pDoc);
    if (pFrame == nullptr)
    {
        DestroyDocument(pDoc);
        return nullptr;
    }
    InitialUpdateFrame(pFrame);
    return pDoc;
}

void CDocManager::OnFileOpen()
{
    std::string strFileName;
    if (!DoPromptFileName(strFileName, true))
    {
        return;
    }
    OpenDocumentFile(strFileName);
}

CDocument* CDocManager::OpenDocumentFile(const std::string& strFileName)
{
    if (m_pTemplate == nullptr)
    {
        return nullptr;
    }
    const std::string strPath = GetFullPath(strFileName);
    for (CDocEntry& entry : m_vDocs)
    {
        if (!entry.m_pDoc->GetPathName().empty() &&
            SamePath(entry.m_pDoc->GetPathName(), strPath) && !entry.m_vViews.empty())
        {
            if (CChildFrame* pFrame = entry.m_vViews.front()->GetParentFrame())
            {
                m_pMainFrame->MDIActivate(pFrame);
            }
            if (m_fnAddToRecentFileList)
            {
                m_fnAddToRecentFileList(strPath);
            }
            return entry.m_pDoc.get();
        }
    }

    m_bOpenRanOutOfMemory = false;
    CDocument* pDoc = nullptr;
    try
    {
        std::unique_ptr<CDocument> pNew = m_pTemplate->m_fnCreateDocument();
        if (pNew == nullptr)
        {
            return nullptr;
        }
        std::string strError;
        if (!pNew->OnOpenDocument(strPath, strError))
        {
            if (strError.empty())
            {
                strError = FormatMessage1(res::kFailedToOpenDoc, strPath);
            }
            m_bOpenRanOutOfMemory = strError == res::kOutOfMemory;
            AfxMessageBox(QString::fromStdString(strError), EMsgBoxButtons::Ok,
                          EMsgBoxIcon::Exclamation);
            return nullptr;
        }
        pNew->SetPathName(strPath);
        pDoc = AddDocument(std::move(pNew));
        CChildFrame* pFrame = CreateNewFrame(pDoc);
        if (pFrame == nullptr)
        {
            DestroyDocument(pDoc);
            return nullptr;
        }
        InitialUpdateFrame(pFrame);
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
        AfxMessageBox(QString::fromUtf8(res::kOutOfMemory), EMsgBoxButtons::Ok,
                      EMsgBoxIcon::Exclamation);
        return nullptr;
    }
    if (m_fnAddToRecentFileList)
    {
        m_fnAddToRecentFileList(strPath);
    }
    return pDoc;
}

bool CDocManager::DoPromptFileName(std::string& strFileName, bool bOpenFileDialog)
{
    QWidget* pParent = m_pMainFrame;
    QFileDialog dlg(pParent,
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

bool CDocManager::SaveModified(CDocument* pDoc)
{
    if (pDoc == nullptr || !pDoc->IsModified())
    {
        return true;
    }
    // The graph as its window's caption names it: the file's name, or the
    // title of a graph never saved.
    const QString strPrompt =
        QString::fromStdString(FormatMessage1(res::kSavePrompt, pDoc->GetTitle()));
    switch (AfxMessageBox(strPrompt, EMsgBoxButtons::YesNoCancel, EMsgBoxIcon::Question))
    {
    case EMsgBoxResult::Cancel:
        return false;
    case EMsgBoxResult::Yes:
        return DoFileSave(pDoc);
    default:
        return true;
    }
}

bool CDocManager::DoFileSave(CDocument* pDoc)
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
    if (strPath.empty() || !bExists || bReadOnly)
    {
        return DoSave(pDoc, nullptr);
    }
    return DoSave(pDoc, &strPath);
}

bool CDocManager::DoSave(CDocument* pDoc, const std::string* pstrPathName, bool bReplace)
{
    std::string strNewName = pstrPathName != nullptr ? *pstrPathName : std::string();
    if (strNewName.empty())
    {
        strNewName = pDoc->GetPathName();
        if (bReplace && strNewName.empty())
        {
            strNewName = ProposedFileName(pDoc->GetTitle());
        }
        if (!DoPromptFileName(strNewName, false))
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
        AfxMessageBox(QString::fromStdString(strError), EMsgBoxButtons::Ok,
                      EMsgBoxIcon::Exclamation);
        return false;
    }
    if (bReplace)
    {
        pDoc->SetPathName(strNewName);
        UpdateFrameCounts(pDoc);
        if (m_fnAddToRecentFileList)
        {
            m_fnAddToRecentFileList(strNewName);
        }
    }
    return true;
}

void CDocManager::CloseDocumentWindows(CDocument* pDoc)
{
    // Copied: each close takes a view out of the document's list.
    const std::vector<CView*> vViews = GetViews(pDoc);
    for (CView* pView : vViews)
    {
        if (CChildFrame* pFrame = pView->GetParentFrame())
        {
            pFrame->m_bCloseWithoutPrompt = true;
            if (!pFrame->close())
            {
                pFrame->m_bCloseWithoutPrompt = false;
            }
        }
    }
    // A document whose windows are gone (or that never had one) goes too.
    if (CDocEntry* pEntry = FindEntry(pDoc); pEntry != nullptr && pEntry->m_vViews.empty())
    {
        DestroyDocument(pDoc);
    }
}

void CDocManager::OnFileClose(CDocument* pDoc)
{
    if (!SaveModified(pDoc))
    {
        return;
    }
    CloseDocumentWindows(pDoc);
}

bool CDocManager::SaveAllModified()
{
    for (CDocument* pDoc : GetDocuments())
    {
        if (FindEntry(pDoc) != nullptr && !SaveModified(pDoc))
        {
            return false;
        }
    }
    return true;
}

void CDocManager::CloseAllDocuments()
{
    for (CDocument* pDoc : GetDocuments())
    {
        if (FindEntry(pDoc) != nullptr)
        {
            CloseDocumentWindows(pDoc);
        }
    }
}

bool CDocManager::CanCloseFrame(CChildFrame* pFrame)
{
    CDocument* pDoc = pFrame->GetActiveDocument();
    if (pDoc == nullptr)
    {
        return true;
    }
    const CDocEntry* pEntry = FindEntry(pDoc);
    if (pEntry != nullptr && pEntry->m_vViews.size() > 1)
    {
        return true; // another window still shows the document
    }
    return SaveModified(pDoc);
}

void CDocManager::OnFrameClosed(CChildFrame* pFrame)
{
    if (CView* pView = pFrame->GetActiveView())
    {
        RemoveView(pView);
    }
}

void CDocManager::RemoveView(CView* pView)
{
    CDocument* pDoc = pView->m_pDocument;
    CDocEntry* pEntry = FindEntry(pDoc);
    pView->m_pDocManager = nullptr;
    pView->m_pDocument = nullptr;
    if (pEntry == nullptr)
    {
        return;
    }
    auto& vViews = pEntry->m_vViews;
    vViews.erase(std::remove(vViews.begin(), vViews.end(), pView), vViews.end());
    if (vViews.empty())
    {
        DestroyDocument(pDoc);
    }
    else
    {
        UpdateFrameCounts(pDoc);
    }
}

CChildFrame* CDocManager::OpenNewWindow(CDocument* pDoc)
{
    CChildFrame* pFrame = CreateNewFrame(pDoc);
    if (pFrame != nullptr)
    {
        InitialUpdateFrame(pFrame);
    }
    return pFrame;
}
