// The graphs open in the program, each with the windows that show it: File
// New, File Open, Save, Save As, Close and exit with their dialogs, prompts
// and messages, the titles of graphs never saved and of their windows, and
// when a graph goes. What happened goes out as signals: the window that
// shows the graphs places and activates their windows, and keeps the
// recently used files.
#pragma once

#include <QObject>
#include <memory>
#include <string>
#include <vector>

class CChildFrame;
class CPrintSettings;
class CTraceloDoc;
class CTraceloView;
class QWidget;

class COpenGraphs : public QObject
{
    Q_OBJECT

public:
    // The dialogs and messages stand over pWindow; the graphs' views print
    // from print.
    COpenGraphs(QWidget* pWindow, CPrintSettings& print);
    ~COpenGraphs() override;

    COpenGraphs(const COpenGraphs&) = delete;
    COpenGraphs& operator=(const COpenGraphs&) = delete;

    // A new graph in its own window, titled "Tracel" and the count of
    // graphs made so far.
    CTraceloDoc* OnFileNew();
    // The "Apri" dialog, then OpenDocumentFile with the chosen name.
    void OnFileOpen();
    // Opens strFileName in a new window, or activates the window of the
    // graph that already shows it. A file that cannot be read shows its
    // message and opens nothing (null); so does memory running out, as
    // "Memoria insufficiente.".
    CTraceloDoc* OpenDocumentFile(const std::string& strFileName);
    // Whether the last OpenDocumentFile failed for lack of memory (the file
    // itself may be sound).
    bool OpenRanOutOfMemory() const { return m_bOpenRanOutOfMemory; }

    // "Salvare le modifiche a %1?" for a modified graph: true when it may
    // close (saved, or No), false for Annulla or a failed save.
    bool SaveModified(CTraceloDoc* pDoc);
    // Save: to the graph's file, or through Save As when it has none or the
    // file is read-only or gone.
    bool DoFileSave(CTraceloDoc* pDoc);
    // Save As: asks for a name, proposing the file's or the title's.
    bool DoSaveAs(CTraceloDoc* pDoc);
    // Close: asks about saving, then closes every window of the graph.
    void OnFileClose(CTraceloDoc* pDoc);

    // Asks about every modified graph in turn; false as soon as one may not
    // close.
    bool SaveAllModified();
    // Closes every window of every graph without asking.
    void CloseAllDocuments();

    // One more window on pDoc (the Window menu's new window), shown and
    // activated; null for a graph that is not open.
    CChildFrame* OpenNewWindow(CTraceloDoc* pDoc);

    std::vector<CTraceloDoc*> GetDocuments() const;

signals:
    // pFrame, a new graph window with its view, is to be placed; it shows
    // once it has been.
    void windowMade(CChildFrame* pFrame);
    // pFrame is to be the active window, restored when it is minimised.
    void windowToActivate(CChildFrame* pFrame);
    // A graph's title or its windows' captions have changed, or a graph
    // has gone.
    void titlesChanged();
    // A file was opened or saved under strPath.
    void fileUsed(const std::string& strPath);

protected:
    // A graph window's close: refused when the graph may not close yet
    // (Annulla, a failed save); once it may, its view leaves the graph.
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    struct CWindow
    {
        CChildFrame* m_pFrame = nullptr;
        CTraceloView* m_pView = nullptr;
        // The graph is being closed as a whole and has been asked about
        // saving already.
        bool m_bCloseWithoutPrompt = false;
    };
    struct CGraph
    {
        std::unique_ptr<CTraceloDoc> m_pDoc;
        std::vector<CWindow> m_vWindows;
    };

    CGraph* Find(const CTraceloDoc* pDoc);
    // The graph whose window has pObject as its frame or its view, and that
    // window; null when it is none of the graphs'. Compares pointers only:
    // pObject may be on its way out.
    CGraph* FindWindow(const QObject* pObject, CWindow** ppWindow);
    // Whether pFrame may close: it may when its graph has other windows or
    // may close itself.
    bool CanCloseFrame(const QObject* pFrame);
    // The window showing pView has closed or the view is going: it leaves its
    // graph, and a graph left without windows goes.
    void RemoveView(const QObject* pView);
    CTraceloDoc* Add(std::unique_ptr<CTraceloDoc> pDoc);
    void Destroy(CTraceloDoc* pDoc);
    // Numbers the windows of a graph (none when it has one) and updates
    // their captions and the main window's.
    void UpdateFrameCounts(CTraceloDoc* pDoc);
    void CloseDocumentWindows(CTraceloDoc* pDoc);
    // Saves to strPath, or asks for a name when it is empty; the graph takes
    // the name it was saved under.
    bool DoSave(CTraceloDoc* pDoc, std::string strPath);
    // The file dialogs: "Apri" for opening, "Salva con nome" for saving,
    // offering all files; strFileName proposes a name and returns the one
    // chosen. False when cancelled.
    bool PromptFileName(std::string& strFileName, bool bOpenFileDialog);

    QWidget* m_pWindow;
    CPrintSettings& m_print;
    // Graphs made with File New since the start: the number in the next
    // new graph's title is one more.
    int m_nUntitledCount = 0;
    bool m_bOpenRanOutOfMemory = false;
    std::vector<CGraph> m_vGraphs;
};

// An absolute, cleaned form of a path as given by the user (relative to the
// current folder); the name graphs and the recent-file list keep.
std::string GetFullPath(const std::string& strPath);

// The name Save As proposes for a graph without a file: its title cut
// before the first of ' ', '#', '%', ';', '/', '\'.
std::string ProposedFileName(const std::string& strTitle);
