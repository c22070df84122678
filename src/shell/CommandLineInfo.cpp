#include "shell/CommandLineInfo.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace
{

bool EqualsNoCase(const std::string& a, const char* b)
{
    const std::string strB(b);
    return a.size() == strB.size() &&
           std::equal(a.begin(), a.end(), strB.begin(),
                      [](char x, char y)
                      {
                          return std::tolower(static_cast<unsigned char>(x)) ==
                                 std::tolower(static_cast<unsigned char>(y));
                      });
}

} // namespace

bool CCommandLineInfo::IsSwitch(const std::string& strArg)
{
    if (strArg.empty())
    {
        return false;
    }
    if (strArg[0] == '-')
    {
        return true;
    }
    if (strArg[0] != '/')
    {
        return false;
    }
#ifdef _WIN32
    return true;
#else
    // Here '/' also begins every full path: a path to something that exists,
    // or with a folder in it, is a file name, not a switch.
    if (strArg.find('/', 1) != std::string::npos)
    {
        return false;
    }
    std::error_code error;
    return !std::filesystem::exists(strArg, error);
#endif
}

void CCommandLineInfo::ParseCommandLine(const std::vector<std::string>& vArgs)
{
    for (std::size_t i = 0; i < vArgs.size(); ++i)
    {
        const std::string& strArg = vArgs[i];
        const bool bFlag = IsSwitch(strArg);
        const bool bLast = i + 1 == vArgs.size();
        ParseParam(bFlag ? strArg.substr(1) : strArg, bFlag, bLast);
    }
}

void CCommandLineInfo::ParseParam(const std::string& strParam, bool bFlag, bool bLast)
{
    if (bFlag)
    {
        ParseParamFlag(strParam);
    }
    else
    {
        ParseParamNotFlag(strParam);
    }
    ParseLast(bLast);
}

void CCommandLineInfo::ParseParamFlag(const std::string& strFlag)
{
    // "p", "pt" and "dde" are compared as written; the others in any case.
    if (strFlag == "pt")
    {
        m_nShellCommand = FilePrintTo;
    }
    else if (strFlag == "p")
    {
        m_nShellCommand = FilePrint;
    }
    else if (EqualsNoCase(strFlag, "Unregister") || EqualsNoCase(strFlag, "Unregserver"))
    {
        m_nShellCommand = AppUnregister;
    }
    else if (strFlag == "dde")
    {
        m_nShellCommand = FileDDE;
    }
    else if (EqualsNoCase(strFlag, "Embedding"))
    {
        m_bRunEmbedded = true;
    }
}

void CCommandLineInfo::ParseParamNotFlag(const std::string& strParam)
{
    if (m_strFileName.empty())
    {
        m_strFileName = strParam;
    }
    else if (m_nShellCommand == FilePrintTo && m_strPrinterName.empty())
    {
        m_strPrinterName = strParam;
    }
    else if (m_nShellCommand == FilePrintTo && m_strDriverName.empty())
    {
        m_strDriverName = strParam;
    }
    else if (m_nShellCommand == FilePrintTo && m_strPortName.empty())
    {
        m_strPortName = strParam;
    }
}

void CCommandLineInfo::ParseLast(bool bLast)
{
    if (bLast)
    {
        if (m_nShellCommand == FileNew && !m_strFileName.empty())
        {
            m_nShellCommand = FileOpen;
        }
    }
}
