#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

#include "res/ProgramInfo.h"
#include "res/ShellResources.h"
#include "shell/TraceloApp.h"

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

// --help and --version answer on standard output before Qt starts, so they
// need no display. Both begin with '-', so no file name is taken from them.
// Returns the exit status, or -1 when neither is given.
int AnswerInfoOption(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "--version")
        {
            std::fputs(arg == "--help" ? res::kTraceloHelp : res::VersionText().c_str(), stdout);
            // A failed write (a full disk, a closed pipe) is no success.
            return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
        }
    }
    return -1;
}

} // namespace

int main(int argc, char* argv[])
{
    if (const int nStatus = AnswerInfoOption(argc, argv); nStatus >= 0)
    {
        return nStatus;
    }
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
    theApp.SetArguments({argv + 1, argv + argc});
    if (!theApp.InitInstance())
    {
        return theApp.ExitWithoutRunning();
    }
    return theApp.Run();
}
