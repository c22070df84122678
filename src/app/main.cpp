#include <QApplication>

#include "app/TraceloApp.h"
#include "framework/CommandLineInfo.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    PrepareQtApplication(app);
    CTraceloApp theApp;
    if (!theApp.InitInstance())
    {
        const int nCode = theApp.ExitInstance();
        const bool bUnregister =
            theApp.m_cmdInfo.m_nShellCommand == CCommandLineInfo::AppUnregister;
        return bUnregister ? nCode : 1;
    }
    return theApp.Run();
}
