// The application: start-up in its order, the one document type (a graph
// in a child frame with its view), the command line and the About box.
#pragma once

#include <string>
#include <vector>

#include "shell/CommandLineInfo.h"
#include "shell/WinApp.h"

class CMainFrame;
class QApplication;

// Qt's side of the start: the program's resources and Italian texts in the
// toolkit's own dialogs.
void PrepareQtApplication(QApplication& app);

class CTraceloApp : public CWinApp
{
public:
    CTraceloApp();
    ~CTraceloApp() override;

    bool InitInstance() override;

    void OnAppAbout();
    // The application's and the graphs' commands on the frame's actions.
    void ConnectCommands(CMainFrame& frame);
    bool PrintFromShell(CDocument* pDoc, const CCommandLineInfo& rCmdInfo) override;

    // The arguments after the program's name; by default the process's.
    std::vector<std::string> m_vArgs;
    CCommandLineInfo m_cmdInfo;
};
