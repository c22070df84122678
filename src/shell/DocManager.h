// The document manager with the program's one document template: File New,
// File Open, Save, Save As, Close and exit, with their dialogs, prompts and
// messages; which windows show which document, and when a document goes.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CDocument;
class CChildFrame;
class CMainFrame;
class CView;

// Binds a document class, its window frame and its view, and names them
// through the document string of its resource id.
class CDocTemplate
{
public:
    using FnCreateDocument = std::function<std::unique_ptr<CDocument>()>;
    using FnCreateFrame = std::function<CChildFrame*()>;
    using FnCreateView = std::function<CView*()>;

    enum EDocStringIndex
    {
        windowTitle = 0,
        docName = 1,
        fileNewName = 2,
        filterName = 3,
        filterExt = 4,
        regFileTypeId = 5,
        regFileTypeName = 6,
    };

    CDocTemplate(unsigned nIDResource, FnCreateDocument fnDocument, FnCreateFrame fnFrame,
                 FnCreateView fnView);

    unsigned GetResourceID() const { return m_nIDResource; }
    std::string GetDocString(EDocStringIndex eIndex) const;

    FnCreateDocument m_fnCreateDocument;
    FnCreateFrame m_fnCreateFrame;
    FnCreateView m_fnCreateView;

private:
    unsigned m_nIDResource;
};

class CDocManager
{
public:
    CDocManager();
    virtual ~CDocManager();

    CDocManager(const CDocManager&) = delete;
    CDocManager& operator=(const CDocManager&) = delete;

    void AddDocTemplate(std::unique_ptr<CDocTemplate> pTemplate);
    CDocTemplate* GetTemplate() const { return m_pTemplate.get(); }
    void SetMainFrame(CMainFrame* pFrame) { m_pMainFrame = pFrame; }
    CMainFrame* GetMainFrame() const { return m_pMainFrame; }

    // Called with the full path of every file opened or saved under a name.
    std::function<void(const std::string&)> m_fnAddToRecentFileList;

    // A new, untitled document in its own window; its title is the
    // document name and the count of documents made so far.
    CDocument* OnFileNew();
    // The "Apri" dialog, then OpenDocumentFile with the chosen name.
    void OnFileOpen();
    // Opens strFileName in a new window, or activates the window of the
    // document that already shows it. A file that cannot be read shows its
    // message and opens nothing (null).
    // Memory running out is caught and shown as "Memoria insufficiente.".
    CDocument* OpenDocumentFile(const std::string& strFileName);
    // Whether the last OpenDocumentFile failed for lack of memory (the file
    // itself may be sound).
    bool OpenRanOutOfMemory() const { return m_bOpenRanOutOfMemory; }

    // The file dialogs: "Apri" for opening, "Salva con nome" for saving,
    // offering all files; strFileName proposes a name and returns the one
    // chosen. False when cancelled.
    virtual bool DoPromptFileName(std::string& strFileName, bool bOpenFileDialog);

    // "Salvare le modifiche a %1?" for a modified document: true when it may
    // close (saved, or No), false for Annulla or a failed save.
    bool SaveModified(CDocument* pDoc);
    // Save: to the document's file, or through Save As when it has none or
    // the file is read-only or gone.
    bool DoFileSave(CDocument* pDoc);
    // Saves to *pstrPathName, or asks for a name when it is null. bReplace:
    // the document takes the new name.
    bool DoSave(CDocument* pDoc, const std::string* pstrPathName, bool bReplace = true);
    // Close: asks about saving, then closes every window of the document.
    void OnFileClose(CDocument* pDoc);

    // Asks about every modified document in turn; false as soon as one may
    // not close.
    bool SaveAllModified();
    // Closes every window of every document without asking.
    void CloseAllDocuments();

    // Whether pFrame may close: it may when its document has other windows
    // or may close itself.
    bool CanCloseFrame(CChildFrame* pFrame);
    // pFrame has closed: its view leaves the document, and a document left
    // without windows is destroyed.
    void OnFrameClosed(CChildFrame* pFrame);
    void RemoveView(CView* pView);

    // One more window on pDoc (the Window menu's new window).
    CChildFrame* OpenNewWindow(CDocument* pDoc);

    std::vector<CDocument*> GetDocuments() const;
    std::vector<CView*> GetViews(const CDocument* pDoc) const;
    // Numbers the windows of a document (none when it has one) and updates
    // their captions and the main window's.
    void UpdateFrameCounts(CDocument* pDoc);

    // Documents made with File New since the start: the number in the next
    // untitled document's title is one more.
    int m_nUntitledCount = 0;

private:
    struct CDocEntry
    {
        std::unique_ptr<CDocument> m_pDoc;
        std::vector<CView*> m_vViews;
    };

    CDocEntry* FindEntry(const CDocument* pDoc);
    const CDocEntry* FindEntry(const CDocument* pDoc) const;
    CDocument* AddDocument(std::unique_ptr<CDocument> pDoc);
    void DestroyDocument(CDocument* pDoc);
    CChildFrame* CreateNewFrame(CDocument* pDoc);
    void InitialUpdateFrame(CChildFrame* pFrame);
    void CloseDocumentWindows(CDocument* pDoc);

    std::unique_ptr<CDocTemplate> m_pTemplate;
    CMainFrame* m_pMainFrame = nullptr;
    bool m_bOpenRanOutOfMemory = false;
    std::vector<CDocEntry> m_vDocs;
};

// An absolute, cleaned form of a path as given by the user (relative to the
// current folder); the name documents and the recent-file list keep.
std::string GetFullPath(const std::string& strPath);

// The name Save As proposes for a document without a file: its title cut
// before the first of ' ', '#', '%', ';', '/', '\'.
std::string ProposedFileName(const std::string& strTitle);
