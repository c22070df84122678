// The command line as the program reads it: switches after '/' or '-',
// the first plain argument as the file name, and for the "pt" switch the
// next three as printer, driver and port.
#pragma once

#include <string>
#include <vector>

class CCommandLineInfo
{
public:
    enum EShellCommand
    {
        FileNew,
        FileOpen,
        FilePrint,
        FilePrintTo,
        FileDDE,
        AppUnregister,
        FileNothing,
    };

    CCommandLineInfo() = default;

    // Takes one argument: pszParam without its '/' or '-' when bFlag.
    void ParseParam(const std::string& strParam, bool bFlag, bool bLast);

    // Reads every argument after the program's own name.
    void ParseCommandLine(const std::vector<std::string>& vArgs);

    // Whether strArg is a switch: it begins with '-' or '/'. Where '/' also
    // begins full paths, an argument with a further '/' or naming something
    // that exists is a file name instead.
    static bool IsSwitch(const std::string& strArg);

    EShellCommand m_nShellCommand = FileNew;
    std::string m_strFileName;
    std::string m_strPrinterName;
    std::string m_strDriverName;
    std::string m_strPortName;
    bool m_bRunEmbedded = false;

private:
    void ParseParamFlag(const std::string& strFlag);
    void ParseParamNotFlag(const std::string& strParam);
    void ParseLast(bool bLast);
};
