// --help and --version of both programs: text on standard output, status 0,
// no window and no display needed; the other arguments keep their meaning.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ToolRunner.h"
#include "res/ExportStrings.h"
#include "res/ProgramInfo.h"

namespace
{

// Runs a program as from a shell with no display at all.
CToolRun RunWithoutDisplay(const std::string& strProgram, const std::vector<std::string>& args,
                           const std::string& strRedirect = {})
{
    std::vector<std::string> vEnvArgs = {"-u", "DISPLAY",         "-u",      "WAYLAND_DISPLAY",
                                         "-u", "QT_QPA_PLATFORM", strProgram};
    vEnvArgs.insert(vEnvArgs.end(), args.begin(), args.end());
    if (strRedirect.empty())
    {
        return RunTool("env", vEnvArgs);
    }
    // Standard output sent somewhere else, e.g. a full device.
    std::string strCommand = "env";
    for (const std::string& arg : vEnvArgs)
    {
        strCommand += " " + ShellQuote(arg);
    }
    strCommand += " >" + strRedirect + " 2>/dev/null </dev/null";
    const int nStatus = std::system(strCommand.c_str());
    CToolRun run;
    run.m_nStatus = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    return run;
}

struct CInfoCase
{
    const char* m_pszProgram;
    std::vector<std::string> m_args;
    const char* m_pszFirstLine; // what standard output begins with
    const char* m_pszAlsoContains;
};

std::string FirstLine(const std::string& str)
{
    return str.substr(0, str.find('\n'));
}

TEST(InfoOptionsTest, HelpAndVersionAnswerOnStandardOutputWithoutADisplay)
{
    const std::string strVersion = res::VersionLine();
    ASSERT_EQ(strVersion, "Tracelo 1.0.0.1");
    const CInfoCase cases[] = {
        {TRACELO_APP, {"--version"}, "Tracelo 1.0.0.1", "GPL-2.0-or-later"},
        {TRACELO_APP, {"--help"}, "Uso: tracelo [FILE]", "/Unregister"},
        // Wherever it stands, and before a file that does not exist.
        {TRACELO_APP, {"missing.grf", "--help"}, "Uso: tracelo [FILE]", "--version"},
        {TRACELO_APP, {"/p", "missing.grf", "--version"}, "Tracelo 1.0.0.1", "GARANZIA"},
        {TRACELO_EXPORT, {"--version"}, "Tracelo 1.0.0.1", "GPL-2.0-or-later"},
        {TRACELO_EXPORT, {"--help"}, res::kExportUsage, "tracelo(1), sezione\nESPRESSIONI"},
        {TRACELO_EXPORT, {"-h"}, res::kExportUsage, "Formati:"},
        {TRACELO_EXPORT, {"missing.grf", "--version"}, "Tracelo 1.0.0.1", "Copyright"},
    };
    for (const CInfoCase& c : cases)
    {
        SCOPED_TRACE(std::string(c.m_pszProgram) + " " + c.m_args.back());
        const CToolRun run = RunWithoutDisplay(c.m_pszProgram, c.m_args);
        EXPECT_EQ(run.m_nStatus, 0);
        EXPECT_EQ(run.m_strErr, "");
        EXPECT_EQ(FirstLine(run.m_strOut), c.m_pszFirstLine);
        EXPECT_NE(run.m_strOut.find(c.m_pszAlsoContains), std::string::npos) << run.m_strOut;
    }
}

TEST(InfoOptionsTest, VersionTextIsTheSameForBothPrograms)
{
    const CToolRun app = RunWithoutDisplay(TRACELO_APP, {"--version"});
    const CToolRun cli = RunWithoutDisplay(TRACELO_EXPORT, {"--version"});
    EXPECT_EQ(app.m_strOut, res::VersionText());
    EXPECT_EQ(cli.m_strOut, res::VersionText());
}

TEST(InfoOptionsTest, AFailedWriteIsAFailure)
{
    for (const char* pszProgram : {TRACELO_APP, TRACELO_EXPORT})
    {
        for (const char* pszOption : {"--help", "--version"})
        {
            SCOPED_TRACE(std::string(pszProgram) + " " + pszOption);
            EXPECT_EQ(RunWithoutDisplay(pszProgram, {pszOption}, "/dev/full").m_nStatus, 1);
        }
    }
}

TEST(InfoOptionsTest, OtherArgumentsKeepTheirMeaning)
{
    // After "--" a name is a graph file, even "--version".
    const CToolRun afterEnd =
        RunWithoutDisplay(TRACELO_EXPORT, {"--format", "table", "--", "--version"});
    EXPECT_EQ(afterEnd.m_nStatus, 1);
    EXPECT_EQ(afterEnd.m_strOut, "");
    EXPECT_NE(afterEnd.m_strErr, "");
    // An unknown option is still a usage error, not a version request.
    const CToolRun unknown = RunWithoutDisplay(TRACELO_EXPORT, {"--versions"});
    EXPECT_EQ(unknown.m_nStatus, 2);
    EXPECT_EQ(unknown.m_strOut, "");
    // Without --help or --version the window program needs its display.
    const CToolRun window = RunWithoutDisplay(TRACELO_APP, {"-version"});
    EXPECT_NE(window.m_nStatus, 0);
    EXPECT_EQ(window.m_strOut, "");
}

} // namespace
