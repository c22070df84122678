// The application: start-up in its order, the command line, and the
// settings under the program's key (the recent files, the preview's pages);
// the main window does the rest.
#pragma once

#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "shell/CommandLineInfo.h"
#include "shell/Printing.h"

class CMainFrame;
class CRecentFileList;
class CTraceloDoc;
class QApplication;
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

    // The arguments after the program's name, byte for byte; by default the
    // process's as Qt decoded them.
    void SetArguments(std::vector<std::string> vArgs) { m_vArgs = std::move(vArgs); }

    // Start-up in its order; false ends the program.
    bool InitInstance();
    // The message loop; returns the exit code of ExitInstance.
    int Run();
    // Writes the settings back (not after /Unregister) and returns the
    // exit code.
    int ExitInstance();
    // Ends a program whose start-up returned false: ExitInstance's code
    // after /Unregister, else the command line's own (0 once the graph
    // named after /p or /pt has printed).
    int ExitWithoutRunning();

    // The main window; null before start-up made it or when it could not.
    CMainFrame* GetMainWnd() const { return m_pMainWnd.get(); }
    // What every print and preview starts from.
    CPrintSettings& GetPrintSettings() { return m_print; }
    int GetShellExitCode() const { return m_nShellExitCode; }

private:
    // Settings go to QSettings(pszRegistryKey, application name).
    void SetRegistryKey(const char* pszRegistryKey);
    // The settings, or nullptr when their file exists but is not a regular
    // file: then they are neither read nor written.
    std::unique_ptr<QSettings> GetProfile() const;
    QString GetProfileFileName() const;
    // Reads the preview setting; a list of nMaxMRU recent files, read, goes
    // to the main window.
    void LoadStdProfileSettings(unsigned nMaxMRU);
    void SaveStdProfileSettings();
    void WriteRecentFileList();
    // Removes the program's settings; true when nothing of them is left.
    bool Unregister();

    // Carries the command line out; false ends the program.
    bool ProcessShellCommand(CCommandLineInfo& rCmdInfo);
    CTraceloDoc* OpenDocumentFile(const std::string& strFileName);
    // Printing a file named on the command line (/p, /pt) once it is open.
    // Returns true when the program's work is done and it ends: the graph
    // was printed, or printing could not start and the user was told.
    bool PrintFromShell();

    std::string m_strAppName;
    std::string m_strRegistryKey;
    CPrintSettings m_print;
    // Read before the main window is made, which then keeps it.
    std::unique_ptr<CRecentFileList> m_pRecentFileList;
    std::unique_ptr<CMainFrame> m_pMainWnd;
    // Whether the main window starts shown (false for printing).
    bool m_bShowMainWindow = true;
    // The exit status when carrying out the command line ends the program:
    // 0 once the graph named after /p or /pt has printed.
    int m_nShellExitCode = 1;
    std::vector<std::string> m_vArgs;
    CCommandLineInfo m_cmdInfo;
};
