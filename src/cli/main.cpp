// tracelo-export: a graph file to a table of samples or another format,
// without a display.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unistd.h>
#include <vector>

#include "cli/ExportFormats.h"
#include "core/doc/Archive.h"
#include "core/doc/AtomicFile.h"
#include "core/doc/FileErrors.h"
#include "core/doc/TraceloDoc.h"
#include "render/ExportPicture.h"
#include "res/ExportStrings.h"
#include "res/ProgramInfo.h"
#include "res/SamplingStrings.h"

namespace
{

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Standard output, buffered; a failed write throws like a failed save.
class CStdoutSink : public CByteSink
{
public:
    void Write(const void* pData, std::size_t nSize) override
    {
        const auto* p = static_cast<const char*>(pData);
        m_strBuffer.append(p, nSize);
        if (m_strBuffer.size() >= 64 * 1024)
        {
            Flush();
        }
    }

    void Flush()
    {
        const char* p = m_strBuffer.data();
        std::size_t nLeft = m_strBuffer.size();
        while (nLeft > 0)
        {
            const ssize_t n = ::write(STDOUT_FILENO, p, nLeft);
            if (n < 0 && errno == EINTR)
            {
                continue;
            }
            if (n <= 0)
            {
                const int nError = n < 0 ? errno : ENOSPC;
                m_strBuffer.clear();
                throw CFileException(CFileException::EOperation::Write, nError,
                                     res::kStandardOutput);
            }
            p += n;
            nLeft -= static_cast<std::size_t>(n);
        }
        m_strBuffer.clear();
    }

private:
    std::string m_strBuffer;
};

// The sampling's progress on standard error, when that is a terminal and
// the work lasts more than half a second: one line, rewritten in place and
// cleared at the end.
class CProgressLine
{
public:
    explicit CProgressLine(CSamplingOptions& options)
    {
        options.m_pDone = &m_nDone;
        options.m_pTotal = &m_nTotal;
        if (::isatty(STDERR_FILENO) == 1)
            m_thread = std::thread([this] { Run(); });
    }
    ~CProgressLine()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bStop = true;
        }
        m_wake.notify_one();
        if (m_thread.joinable())
            m_thread.join();
    }
    CProgressLine(const CProgressLine&) = delete;
    CProgressLine& operator=(const CProgressLine&) = delete;

private:
    void Run()
    {
        using namespace std::chrono_literals;
        const auto start = std::chrono::steady_clock::now();
        bool bShown = false;
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_wake.wait_for(lock, 100ms, [this] { return m_bStop; }))
        {
            if (std::chrono::steady_clock::now() - start < 500ms)
                continue;
            const std::uint64_t nTotal = m_nTotal.load();
            const std::uint64_t nDone = std::min(m_nDone.load(), nTotal);
            const int nPercent = nTotal != 0 ? static_cast<int>(nDone * 100 / nTotal) : 0;
            std::fprintf(stderr, "\r%s %3d%%", res::kSamplingProgress, nPercent);
            std::fflush(stderr);
            bShown = true;
        }
        if (bShown)
        {
            // Blanks over the text, a space and "100%".
            std::fprintf(stderr, "\r%*s\r",
                         static_cast<int>(sizeof(res::kSamplingProgress) - 1 + 5), "");
            std::fflush(stderr);
        }
    }

    std::atomic<std::uint64_t> m_nDone{0};
    std::atomic<std::uint64_t> m_nTotal{0};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_bStop = false;
    std::thread m_thread;
};

std::string FormatNames()
{
    std::string strNames;
    for (const CExportFormat& format : GetExportFormats())
    {
        strNames += strNames.empty() ? "" : ", ";
        strNames += format.m_pszName;
    }
    return strNames;
}

int UsageError(const std::string& strReason)
{
    std::fprintf(stderr, "tracelo-export: %s\n%s\n", strReason.c_str(), res::kExportUsage);
    return kExitUsage;
}

// 0, or 1 when standard output could not take the text.
int PrintInfo(const std::string& strText)
{
    std::fputs(strText.c_str(), stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : kExitFailure;
}

std::string HelpText()
{
    std::string strHelp = res::kExportUsage;
    strHelp += "\n\n";
    strHelp += res::kExportHelp;
    for (const CExportFormat& format : GetExportFormats())
    {
        std::string strName = format.m_pszName;
        strName.resize(std::max<std::size_t>(strName.size(), 8), ' ');
        strHelp += "  " + strName + " " + format.m_pszDescription + "\n";
    }
    strHelp += res::kExportExitStatus;
    return strHelp;
}

struct CArguments
{
    std::string m_strGraph;
    std::string m_strFormat;
    std::string m_strOutput;
    std::string m_strSize;
    bool m_bHaveGraph = false;
    bool m_bHaveSize = false;
    bool m_bHaveFormat = false;
    bool m_bHaveOutput = false;
    bool m_bHelp = false;
    bool m_bVersion = false;
};

// Empty on success, else the reason for the usage error.
std::string ParseArguments(const std::vector<std::string_view>& args, CArguments& parsed)
{
    bool bOptionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        const std::string_view arg = args[i];
        if (!bOptionsEnded && (arg == "-h" || arg == "--help"))
        {
            parsed.m_bHelp = true;
            return {};
        }
        if (!bOptionsEnded && arg == "--version")
        {
            parsed.m_bVersion = true;
            return {};
        }
        if (!bOptionsEnded && arg == "--")
        {
            bOptionsEnded = true;
            continue;
        }
        if (!bOptionsEnded && arg.size() > 1 && arg[0] == '-')
        {
            std::string_view name = arg;
            std::string_view value;
            bool bHaveValue = false;
            if (const std::size_t eq = arg.find('='); arg.starts_with("--") && eq != arg.npos)
            {
                name = arg.substr(0, eq);
                value = arg.substr(eq + 1);
                bHaveValue = true;
            }
            std::string* pTarget = nullptr;
            bool* pSeen = nullptr;
            if (name == "--format")
            {
                pTarget = &parsed.m_strFormat;
                pSeen = &parsed.m_bHaveFormat;
            }
            else if (name == "-o" || name == "--output")
            {
                pTarget = &parsed.m_strOutput;
                pSeen = &parsed.m_bHaveOutput;
            }
            else if (name == "--size")
            {
                pTarget = &parsed.m_strSize;
                pSeen = &parsed.m_bHaveSize;
            }
            else
            {
                return FormatMessage1(res::kExportUnknownOption, arg);
            }
            if (!bHaveValue)
            {
                if (i + 1 >= args.size())
                {
                    return FormatMessage1(res::kExportMissingValue, name);
                }
                value = args[++i];
            }
            if (*pSeen)
            {
                return FormatMessage1(res::kExportRepeatedOption, name);
            }
            if (value.empty())
            {
                return FormatMessage1(res::kExportMissingValue, name);
            }
            *pTarget = std::string(value);
            *pSeen = true;
            continue;
        }
        if (parsed.m_bHaveGraph)
        {
            return FormatMessage1(res::kExportExtraArgument, arg);
        }
        parsed.m_strGraph = std::string(arg);
        parsed.m_bHaveGraph = true;
    }
    if (!parsed.m_bHaveGraph)
    {
        return res::kExportMissingGraph;
    }
    if (!parsed.m_bHaveFormat)
    {
        // The output file's extension may name the format.
        const CExportFormat* pFormat =
            parsed.m_bHaveOutput ? FindExportFormatOfFile(parsed.m_strOutput) : nullptr;
        if (pFormat == nullptr)
        {
            return res::kExportMissingFormat;
        }
        parsed.m_strFormat = pFormat->m_pszName;
    }
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string_view> args(argv + 1, argv + argc);
    CArguments parsed;
    if (const std::string strReason = ParseArguments(args, parsed); !strReason.empty())
    {
        return UsageError(strReason);
    }
    if (parsed.m_bHelp || parsed.m_bVersion)
    {
        return PrintInfo(parsed.m_bHelp ? HelpText() : res::VersionText());
    }
    const CExportFormat* pFormat = FindExportFormat(parsed.m_strFormat);
    if (pFormat == nullptr)
    {
        return UsageError(FormatMessage1(res::kExportUnknownFormat, parsed.m_strFormat) + " (" +
                          FormatNames() + ")");
    }

    CExportOptions options;
    if (parsed.m_bHaveSize &&
        !ParsePictureSize(parsed.m_strSize, options.m_nWidth, options.m_nHeight))
    {
        return UsageError(FormatMessage1(res::kExportBadSize, parsed.m_strSize));
    }

    CTraceloDoc doc;
    std::string strError;
    if (!doc.OnOpenDocument(parsed.m_strGraph, strError))
    {
        std::fprintf(stderr, "%s\n", strError.c_str());
        return kExitFailure;
    }

    try
    {
        const CProgressLine progress(options.m_sampling);
        if (parsed.m_bHaveOutput)
        {
            CAtomicFile file(parsed.m_strOutput);
            file.Open();
            pFormat->m_pfnExport(doc, options, file);
            file.Commit();
        }
        else
        {
            CStdoutSink out;
            pFormat->m_pfnExport(doc, options, out);
            out.Flush();
        }
    }
    catch (...)
    {
        // Curves that do not fit, or any other allocation: nothing written.
        strError = GetCurrentErrorMessage(false);
    }
    if (!strError.empty())
    {
        std::fprintf(stderr, "%s\n", strError.c_str());
        return kExitFailure;
    }
    return 0;
}
