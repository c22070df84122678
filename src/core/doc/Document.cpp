#include "core/doc/Document.h"

#include <utility>

#include "core/doc/Archive.h"
#include "core/doc/AtomicFile.h"
#include "core/doc/FileErrors.h"

CDocument::CDocument() = default;
CDocument::~CDocument() = default;

void CDocument::SetPathName(const std::string& strPathName)
{
    m_strPathName = strPathName;
    const std::size_t slash = strPathName.rfind('/');
    m_strTitle = slash == std::string::npos ? strPathName : strPathName.substr(slash + 1);
}

bool CDocument::OnNewDocument()
{
    DeleteContents();
    m_strPathName.clear();
    SetModifiedFlag(false);
    return true;
}

void CDocument::DeleteContents()
{
}

void CDocument::Serialize(CArchive& /*ar*/)
{
}

bool CDocument::OnOpenDocument(const std::string& strPath, std::string& strError)
{
    const bool bWasModified = IsModified();
    std::string strMessage;
    try
    {
        CFileSource file(strPath);
        if (file.GetSize() == 0)
        {
            // An empty file is a document with nothing in it.
            DeleteContents();
        }
        else
        {
            // Modified while it is being read: a half-read document is never clean.
            SetModifiedFlag(true);
            CArchive ar(file);
            Serialize(ar);
        }
    }
    catch (...)
    {
        // Memory running out included: the document stays as it was and
        // the program goes on.
        strMessage = GetCurrentErrorMessage(true);
    }
    if (!strMessage.empty())
    {
        SetModifiedFlag(bWasModified);
        strError = std::move(strMessage);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnSaveDocument(const std::string& strPath, std::string& strError)
{
    try
    {
        CAtomicFile file(strPath);
        file.Open();
        CArchive ar(file);
        Serialize(ar);
        file.Commit();
    }
    catch (...)
    {
        strError = GetCurrentErrorMessage(false);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}
