#include <QApplication>
#include <cstdio>
#include <string_view>

#include "app/TraceloApp.h"
#include "framework/CommandLineInfo.h"
#include "res/ProgramInfo.h"

namespace
{

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
