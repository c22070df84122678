#include "framework/AtomicFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/FileErrors.h"

namespace
{

constexpr std::size_t kBufferSize = 64 * 1024;

int RetryWrite(int fd, const std::uint8_t* p, std::size_t nSize)
{
    while (nSize > 0)
    {
        const ssize_t n = ::write(fd, p, nSize);
        if (n < 0)
        {
            if (errno == EINTR)
            {
                continue;
            }
            return errno;
        }
        if (n == 0)
        {
            return ENOSPC;
        }
        p += n;
        nSize -= static_cast<std::size_t>(n);
    }
    return 0;
}

std::string FolderOf(const std::string& strPath)
{
    const std::size_t slash = strPath.rfind('/');
    if (slash == std::string::npos)
    {
        return ".";
    }
    return slash == 0 ? "/" : strPath.substr(0, slash);
}

} // namespace

CAtomicFile::CAtomicFile(std::string strPath)
    : m_strPath(std::move(strPath)), m_strTarget(m_strPath)
{
}

CAtomicFile::~CAtomicFile()
{
    Discard();
}

void CAtomicFile::Open()
{
    const auto failCreate = [this](int nErrno)
    { throw CFileException(CFileException::EOperation::Create, nErrno, m_strPath); };

    if (m_strPath.empty())
    {
        failCreate(ENOENT);
    }
    struct stat st = {};
    if (::lstat(m_strTarget.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
    {
        // Replace the file the link points to, not the link.
        if (char* pReal = ::realpath(m_strTarget.c_str(), nullptr))
        {
            m_strTarget = pReal;
            std::free(pReal);
        }
    }

    bool bExists = false;
    mode_t nMode = 0;
    if (::stat(m_strTarget.c_str(), &st) == 0)
    {
        if (S_ISDIR(st.st_mode))
        {
            failCreate(EISDIR);
        }
        if (!S_ISREG(st.st_mode))
        {
            // Renaming over a device or pipe would replace it, not write to it.
            failCreate(EACCES);
        }
        if (::access(m_strTarget.c_str(), W_OK) != 0)
        {
            failCreate(errno);
        }
        bExists = true;
        nMode = st.st_mode & 07777;
    }
    else if (errno != ENOENT)
    {
        failCreate(errno);
    }

    const std::string strFolder = FolderOf(m_strTarget);
    std::string strBase = m_strTarget.substr(m_strTarget.rfind('/') + 1);
    if (strBase.empty())
    {
        failCreate(EISDIR);
    }
    // Keep the temporary's name within the limit of a name even when the
    // target's name already is that long.
    if (strBase.size() > 200)
    {
        strBase.resize(200);
    }
    static unsigned s_nCounter = 0;
    for (int nAttempt = 0; nAttempt < 100; ++nAttempt)
    {
        m_strTempPath = strFolder + "/." + strBase + ".tmp" + std::to_string(::getpid()) + "-" +
                        std::to_string(++s_nCounter);
        m_fd =
            ::open(m_strTempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (m_fd >= 0 || errno != EEXIST)
        {
            break;
        }
    }
    if (m_fd < 0)
    {
        const int nError = errno;
        m_strTempPath.clear();
        failCreate(nError);
    }
    if (bExists)
    {
        // The saved file keeps the permissions the old one had.
        (void)::fchmod(m_fd, nMode);
    }
    m_vBuffer.reserve(kBufferSize);
}

void CAtomicFile::Fail(int nErrno)
{
    Discard();
    throw CFileException(CFileException::EOperation::Write, nErrno, m_strPath);
}

void CAtomicFile::Flush()
{
    if (!m_vBuffer.empty())
    {
        const int nError = RetryWrite(m_fd, m_vBuffer.data(), m_vBuffer.size());
        m_vBuffer.clear();
        if (nError != 0)
        {
            Fail(nError);
        }
    }
}

void CAtomicFile::Write(const void* pData, std::size_t nSize)
{
    if (m_fd < 0)
    {
        Fail(EBADF);
    }
    const auto* p = static_cast<const std::uint8_t*>(pData);
    if (m_vBuffer.size() + nSize > kBufferSize)
    {
        Flush();
    }
    if (nSize >= kBufferSize)
    {
        const int nError = RetryWrite(m_fd, p, nSize);
        if (nError != 0)
        {
            Fail(nError);
        }
        return;
    }
    m_vBuffer.insert(m_vBuffer.end(), p, p + nSize);
}

void CAtomicFile::Commit()
{
    if (m_fd < 0)
    {
        Fail(EBADF);
    }
    Flush();
    // On disk before it replaces the old file, so a crash leaves one of the two.
    if (::fsync(m_fd) != 0 && errno != EINVAL)
    {
        Fail(errno);
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR)
    {
        Fail(errno);
    }
    if (::rename(m_strTempPath.c_str(), m_strTarget.c_str()) != 0)
    {
        Fail(errno);
    }
    m_strTempPath.clear();
    // Make the rename itself durable; a folder that cannot be synced still
    // holds the new file.
    const int dirFd = ::open(FolderOf(m_strTarget).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0)
    {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
}

void CAtomicFile::Discard()
{
    if (m_fd >= 0)
    {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_strTempPath.empty())
    {
        ::unlink(m_strTempPath.c_str());
        m_strTempPath.clear();
    }
    m_vBuffer.clear();
}
