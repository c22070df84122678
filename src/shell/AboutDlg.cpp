#include "shell/AboutDlg.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <direct.h>
#include <windows.h>
#else
#include <sys/sysinfo.h>
#endif

#include "res/ShellResources.h"

namespace
{

// Fills the formats' "%lu" with n and "%c" with ch; the figures need more
// than 32 bits, which "%lu" does not promise everywhere.
std::string FillFormat(const char* pszFormat, std::uint64_t n, char ch)
{
    std::string str;
    for (const char* p = pszFormat; *p != '\0'; ++p)
    {
        if (p[0] == '%' && p[1] == 'l' && p[2] == 'u')
        {
            str += std::to_string(n);
            p += 2;
        }
        else if (p[0] == '%' && p[1] == 'c')
        {
            str += ch;
            p += 1;
        }
        else
        {
            str += *p;
        }
    }
    return str;
}

} // namespace

std::string FormatMemoryLine(std::uint64_t nBytes)
{
    return FillFormat(res::LoadString(res::IDS_MEMORY_FORMAT), nBytes / 1024, '\0');
}

std::string FormatDiskLine(std::optional<std::uint64_t> nFreeBytes, char chDrive)
{
    if (!nFreeBytes.has_value())
    {
        return res::LoadString(res::IDS_DISK_UNAVAILABLE);
    }
    return FillFormat(res::LoadString(res::IDS_DISK_FREE_FORMAT), *nFreeBytes / 1024, chDrive);
}

std::uint64_t QueryAvailableMemory()
{
#ifdef _WIN32
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (GlobalMemoryStatusEx(&status))
    {
        return status.ullAvailPhys;
    }
    return 0;
#else
    // MemAvailable counts what programs can have without swapping, caches
    // included; the kernel's free figure alone would leave those out.
    std::ifstream meminfo("/proc/meminfo");
    std::string strLine;
    while (std::getline(meminfo, strLine))
    {
        std::istringstream in(strLine);
        std::string strKey;
        std::uint64_t nKiB = 0;
        if (in >> strKey >> nKiB && strKey == "MemAvailable:")
        {
            return nKiB * 1024;
        }
    }
    struct sysinfo info
    {
    };
    if (sysinfo(&info) == 0)
    {
        return static_cast<std::uint64_t>(info.freeram) * info.mem_unit;
    }
    return 0;
#endif
}

std::optional<std::uint64_t> QueryCurrentDiskFree()
{
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    if (error)
    {
        return std::nullopt;
    }
    const std::filesystem::space_info space = std::filesystem::space(current, error);
    if (error || space.available == static_cast<std::uintmax_t>(-1))
    {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(space.available);
}

char CurrentDriveLetter()
{
#ifdef _WIN32
    const int nDrive = _getdrive();
    return nDrive > 0 ? static_cast<char>('A' + nDrive - 1) : '\\';
#else
    return '/';
#endif
}

CAboutDlg::CAboutDlg(QWidget* pParent) : CDialog(*res::FindDialog(res::IDD_ABOUTBOX), pParent)
{
}

CAboutDlg::~CAboutDlg() = default;

bool CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The label beside it says "Free Memory": the available memory is shown,
    // not the installed total.
    SetControlText(res::IDC_FREE_MEMORY,
                   QString::fromStdString(FormatMemoryLine(QueryAvailableMemory())));
    SetControlText(res::IDC_FREE_DISK, QString::fromStdString(FormatDiskLine(
                                           QueryCurrentDiskFree(), CurrentDriveLetter())));
    return true;
}
