#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "app/TraceloApp.h"
#include "framework/CommandLineInfo.h"
#include "res/ShellResources.h"

namespace
{

// While the application object is built, Qt ends the process when it finds
// no display (a fatal message, then abort). Its messages are held back then:
// a fatal one becomes the program's own message and exit status 1, the
// others are passed on once the start succeeded.
QtMessageHandler g_pfnQtHandler = nullptr;
bool g_bStarting = false;
std::vector<std::pair<QtMsgType, QString>> g_vHeldMessages;

void StartupMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    if (!g_bStarting)
    {
        g_pfnQtHandler(type, context, msg);
        return;
    }
    if (type == QtFatalMsg)
    {
        std::fprintf(stderr, "%s\n", res::kNoDisplay);
        std::_Exit(1); // nothing half-built to tear down
    }
    g_vHeldMessages.emplace_back(type, msg);
}

} // namespace

int main(int argc, char* argv[])
{
    g_pfnQtHandler = qInstallMessageHandler(StartupMessageHandler);
    g_bStarting = true;
    QApplication app(argc, argv);
    g_bStarting = false;
    for (const auto& [type, msg] : std::exchange(g_vHeldMessages, {}))
    {
        g_pfnQtHandler(type, QMessageLogContext(), msg);
    }

    PrepareQtApplication(app);
    CTraceloApp theApp;
    // The file names exactly as given, byte for byte, also those that are
    // not UTF-8; Qt has taken its own options out of argv.
    theApp.m_vArgs.assign(argv + 1, argv + argc);
    if (!theApp.InitInstance())
    {
        const int nCode = theApp.ExitInstance();
        const bool bUnregister =
            theApp.m_cmdInfo.m_nShellCommand == CCommandLineInfo::AppUnregister;
        return bUnregister ? nCode : 1;
    }
    return theApp.Run();
}
