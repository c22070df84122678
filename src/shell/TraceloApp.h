// The application: settings under the program's key, the recent-file list,
// the open graphs, the main window, start-up in its order, the command line
// and the About box.
#pragma once

#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "shell/CommandLineInfo.h"
#include "shell/OpenGraphs.h"

class CMainFrame;
class CTraceloDoc;
class CRecentFileList;
class QApplication;
class QPrinter;
class QSettings;

// Qt's side of the start: the program's resources and Italian texts in the
// toolkit's own dialogs.
void PrepareQtApplication(QApplication& app);

class CTraceloApp
{
public:
    // The application's name comes from string 57344; the arguments are the
    // process's.
    CTraceloApp();
    ~CTraceloApp();

    CTraceloApp(const CTraceloApp&) = delete;
    CTraceloApp& operator=(const CTraceloApp&) = delete;

    // Start-up in its order; false ends the program.
    bool InitInstance();
    // The message loop; returns the exit code of ExitInstance.
    int Run();
    // Writes the settings back (not after /Unregister) and returns the
    // exit code.
    int ExitInstance();

    // Settings go to QSettings(pszRegistryKey, application name).
    void SetRegistryKey(const char* pszRegistryKey);
    // The settings, or nullptr when their file exists but is not a regular
    // file: then they are neither read nor written.
    std::unique_ptr<QSettings> GetProfile() const;
    QString GetProfileFileName() const;
    // Reads the recent-file list of nMaxMRU entries and the preview setting.
    void LoadStdProfileSettings(unsigned nMaxMRU);
    void SaveStdProfileSettings();
    // Removes the program's settings; true when nothing of them is left.
    bool Unregister();

    CTraceloDoc* OpenDocumentFile(const std::string& strFileName);
    // Adds a file to the recent-file list and writes the list when it changed.
    void AddToRecentFileList(const std::string& strPathName);
    void WriteRecentFileList();

    // Parses the program's arguments (without argv[0]).
    void ParseCommandLine(CCommandLineInfo& rCmdInfo, const std::vector<std::string>& vArgs);
    // Carries the command line out; false ends the program.
    bool ProcessShellCommand(CCommandLineInfo& rCmdInfo);

    void OnFileNew();
    void OnFileOpen();
    // Printer set-up; the printing code provides the dialog.
    void OnFilePrintSetup();
    // Opens a file of the recent-file list; one that no longer opens leaves
    // the list.
    void OnOpenRecentFile(const std::string& strPath);
    void OnAppExit();
    void OnAppAbout();
    // The application's and the graphs' commands on the frame's actions.
    void ConnectCommands(CMainFrame& frame);

    // Printing a file named on the command line (/p, /pt) once it is open.
    // Returns true when the program's work is done and it ends: the graph
    // was printed, or printing could not start and the user was told.
    bool PrintFromShell();

    // The printer every print and preview starts from, as "Imposta
    // stampante" last set it up.
    QPrinter& GetPrinter();
    // The printer named after /pt when the program was started to print
    // there, else null.
    const std::string* GetPrintToPrinter() const;

    std::string m_strAppName;
    std::string m_strRegistryKey;
    COpenGraphs m_graphs{*this};
    std::unique_ptr<CRecentFileList> m_pRecentFileList;
    CMainFrame* m_pMainWnd = nullptr; // owned
    int m_nNumPreviewPages = 0;
    // Whether the main window starts shown (false for printing).
    bool m_bShowMainWindow = true;
    // The exit status when carrying out the command line ends the program:
    // 0 once the graph named after /p or /pt has printed.
    int m_nShellExitCode = 1;
    const CCommandLineInfo* m_pCmdInfo = nullptr;
    std::unique_ptr<QPrinter> m_pPrinter; // made when first used

    // The arguments after the program's name; by default the process's.
    std::vector<std::string> m_vArgs;
    CCommandLineInfo m_cmdInfo;
};
