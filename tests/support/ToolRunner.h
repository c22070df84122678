// Runs a program of the tree as its own process, as from a shell, with both
// of its output streams captured.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "TestTempDir.h"

inline std::string ShellQuote(const std::string& str)
{
    std::string strOut = "'";
    for (const char c : str)
    {
        strOut += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return strOut + "'";
}

inline std::string ReadText(const std::string& strPath)
{
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

struct CToolRun
{
    int m_nStatus = -1; // the exit status; -1 when it did not exit
    std::string m_strOut;
    std::string m_strErr;

    std::vector<std::uint8_t> OutBytes() const
    {
        return std::vector<std::uint8_t>(m_strOut.begin(), m_strOut.end());
    }
};

inline CToolRun RunTool(const std::string& strProgram, const std::vector<std::string>& args)
{
    CTestTempDir dir;
    std::string strCommand = ShellQuote(strProgram);
    for (const std::string& arg : args)
    {
        strCommand += " " + ShellQuote(arg);
    }
    strCommand +=
        " >" + ShellQuote(dir.File("out")) + " 2>" + ShellQuote(dir.File("err")) + " </dev/null";
    const int nStatus = std::system(strCommand.c_str());
    CToolRun run;
    run.m_nStatus = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    run.m_strOut = ReadText(dir.File("out"));
    run.m_strErr = ReadText(dir.File("err"));
    return run;
}
