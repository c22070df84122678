// The base of a document: title, path name and modified flag, and the open
// and save paths that move a document to and from a file through its
// Serialize. The shell's open graphs (windows, prompts, recent files) sit on
// top of this and show the messages these paths return.
#pragma once

#include <string>

class CArchive;

class CDocument
{
public:
    CDocument();
    virtual ~CDocument();

    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    const std::string& GetTitle() const { return m_strTitle; }
    void SetTitle(const std::string& strTitle) { m_strTitle = strTitle; }

    // The file the document was read from or last saved to; empty for a new
    // document. SetPathName also makes the file's name (without its folder)
    // the title.
    const std::string& GetPathName() const { return m_strPathName; }
    void SetPathName(const std::string& strPathName);

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool bModified = true) { m_bModified = bModified; }

    // Makes the document a new, untitled one: DeleteContents, an empty path
    // and a clear modified flag. Derived classes call this first and then
    // set their own defaults; false means the document cannot be used.
    virtual bool OnNewDocument();

    // Hook to empty the document's data; the base has nothing to empty.
    virtual void DeleteContents();

    // Writes (ar.IsStoring()) or reads the document's data. Errors are
    // thrown as CArchiveException or CFileException.
    virtual void Serialize(CArchive& ar);

    // Reads the file at strPath. A zero-length file is not read at all.
    // On success the modified flag is clear; the caller takes the path name
    // (SetPathName). On failure strError holds the message to show the user
    // and the document keeps what it had before.
    virtual bool OnOpenDocument(const std::string& strPath, std::string& strError);

    // Writes the document to strPath through a temporary file in the same
    // folder that replaces the target only once it is completely on disk,
    // so a failed save never damages the file that was there. On success the
    // modified flag is clear; on failure strError holds the message and the
    // flag is unchanged.
    virtual bool OnSaveDocument(const std::string& strPath, std::string& strError);

private:
    std::string m_strTitle;
    std::string m_strPathName;
    bool m_bModified = false;
};
