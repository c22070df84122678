#include "core/doc/AtomicFile.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/doc/FileErrors.h"

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

// Splits a path into its folder and its last name ("" when it ends in '/').
// The parts are built, not assigned from literals, which GCC 12's optimiser
// misreads as overlapping copies.
void SplitPath(const std::string& strPath, std::string& strFolder, std::string& strName)
{
    const std::size_t slash = strPath.rfind('/');
    if (slash == std::string::npos)
    {
        strFolder = std::string(1, '.');
        strName = strPath;
        return;
    }
    strFolder = slash == 0 ? std::string(1, '/') : strPath.substr(0, slash);
    strName = strPath.substr(slash + 1);
}

int OpenFolder(int atFd, const std::string& strFolder)
{
    int fd = ::openat(atFd, strFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 && errno == EACCES)
    {
        // A folder that may be searched and written but not listed.
        fd = ::openat(atFd, strFolder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
    return fd;
}

// A file larger than the process may write raises SIGXFSZ, which ends the
// program unless it is caught or ignored; ignored, the write fails with
// EFBIG and the save reports it.
void IgnoreFileSizeSignal()
{
    struct sigaction action = {};
    if (::sigaction(SIGXFSZ, nullptr, &action) == 0 && action.sa_handler == SIG_DFL)
    {
        ::signal(SIGXFSZ, SIG_IGN);
    }
}

// The temporary's names for one target: short, whatever the target's
// length, and the same at every save so that the next save finds what a
// killed one left.
std::string TemporaryName(const std::string& strTargetName, int nIndex)
{
    std::uint32_t nHash = 2166136261u; // FNV-1a
    for (const char c : strTargetName)
    {
        nHash = (nHash ^ static_cast<std::uint8_t>(c)) * 16777619u;
    }
    char szName[32];
    std::snprintf(szName, sizeof szName, ".~%08x-%d.tmp", nHash, nIndex);
    return szName;
}

constexpr int kTemporaryNames = 8;
constexpr int kMaxLinks = 40; // as the kernel follows

} // namespace

CAtomicFile::CAtomicFile(std::string strPath) : m_strPath(std::move(strPath))
{
}

CAtomicFile::~CAtomicFile()
{
    Discard();
}

void CAtomicFile::ResolveTarget()
{
    const auto failCreate = [this](int nErrno)
    { throw CFileException(CFileException::EOperation::Create, nErrno, m_strPath); };

    std::string strFolder;
    SplitPath(m_strPath, strFolder, m_strTargetName);
    // Everything below is relative to the folder, so a path as long as the
    // system allows still leaves room for the temporary's name.
    m_dirFd = OpenFolder(AT_FDCWD, strFolder);
    if (m_dirFd < 0)
    {
        failCreate(errno);
    }
    for (int nLinks = 0;; ++nLinks)
    {
        if (m_strTargetName.empty())
        {
            failCreate(EISDIR);
        }
        struct stat st = {};
        if (::fstatat(m_dirFd, m_strTargetName.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISLNK(st.st_mode))
        {
            return;
        }
        if (nLinks == kMaxLinks)
        {
            failCreate(ELOOP);
        }
        // Where anyone may create files but only remove their own, a link is
        // followed only when it is the user's or the folder owner's: the
        // kernel's protection of such folders, applied whatever its setting.
        struct stat folder = {};
        if (::fstat(m_dirFd, &folder) != 0)
        {
            failCreate(errno);
        }
        if ((folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0 &&
            st.st_uid != ::geteuid() && st.st_uid != folder.st_uid)
        {
            failCreate(EACCES);
        }
        std::string strLink(static_cast<std::size_t>(st.st_size) + 1, '\0');
        for (;;)
        {
            const ssize_t n =
                ::readlinkat(m_dirFd, m_strTargetName.c_str(), strLink.data(), strLink.size());
            if (n < 0)
            {
                failCreate(errno);
            }
            if (static_cast<std::size_t>(n) < strLink.size())
            {
                strLink.resize(static_cast<std::size_t>(n));
                break;
            }
            strLink.resize(2 * strLink.size()); // the link grew meanwhile
        }
        if (strLink.empty())
        {
            failCreate(ENOENT);
        }
        SplitPath(strLink, strFolder, m_strTargetName);
        // A relative link goes on from the folder it is in.
        const int nextFd = OpenFolder(strLink.front() == '/' ? AT_FDCWD : m_dirFd, strFolder);
        if (nextFd < 0)
        {
            failCreate(errno);
        }
        ::close(m_dirFd);
        m_dirFd = nextFd;
    }
}

int CAtomicFile::NameTemporary(int fd)
{
    const std::string strProcPath = "/proc/self/fd/" + std::to_string(fd);
    int nError = EEXIST;
    for (int nIndex = 0; nIndex < kTemporaryNames && nError == EEXIST; ++nIndex)
    {
        const std::string strName = TemporaryName(m_strTargetName, nIndex);
        for (int nTry = 0; nTry < 2; ++nTry)
        {
            if (fd >= 0)
            {
                nError = ::linkat(AT_FDCWD, strProcPath.c_str(), m_dirFd, strName.c_str(),
                                  AT_SYMLINK_FOLLOW) == 0
                             ? 0
                             : errno;
            }
            else
            {
                m_fd =
                    ::openat(m_dirFd, strName.c_str(),
                             O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0666);
                nError = m_fd >= 0 ? 0 : errno;
                if (m_fd >= 0)
                {
                    // Held until the temporary is renamed or removed: the
                    // sign that this save is still going on.
                    (void)::flock(m_fd, LOCK_EX | LOCK_NB);
                }
            }
            if (nError == 0)
            {
                m_strTempName = strName;
                return 0;
            }
            if (nError != EEXIST)
            {
                return nError;
            }
            // A temporary of this name that nobody holds was left by a save
            // that was killed: it goes, and its name is taken again.
            const int oldFd =
                ::openat(m_dirFd, strName.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
            if (oldFd < 0)
            {
                break;
            }
            struct stat st = {};
            const bool bStale = ::fstat(oldFd, &st) == 0 && S_ISREG(st.st_mode) &&
                                ::flock(oldFd, LOCK_EX | LOCK_NB) == 0;
            if (bStale)
            {
                (void)::unlinkat(m_dirFd, strName.c_str(), 0);
            }
            ::close(oldFd);
            if (!bStale)
            {
                break;
            }
        }
    }
    return nError;
}

void CAtomicFile::Open()
{
    const auto failCreate = [this](int nErrno)
    {
        Discard();
        throw CFileException(CFileException::EOperation::Create, nErrno, m_strPath);
    };

    IgnoreFileSizeSignal();
    if (m_strPath.empty())
    {
        failCreate(ENOENT);
    }
    try
    {
        ResolveTarget();
    }
    catch (...)
    {
        Discard();
        throw;
    }

    bool bExists = false;
    struct stat st = {};
    if (::fstatat(m_dirFd, m_strTargetName.c_str(), &st, 0) == 0)
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
        // Read-only as the file system marks it, even for a user who may
        // write anyway, as the program's own Save treats it.
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
            ::faccessat(m_dirFd, m_strTargetName.c_str(), W_OK, AT_EACCESS) != 0)
        {
            failCreate((st.st_mode & 0222) == 0 ? EACCES : errno);
        }
        bExists = true;
    }
    else if (errno != ENOENT)
    {
        failCreate(errno);
    }

#ifdef O_TMPFILE
    // Unnamed while it is written: a killed process leaves nothing. It is
    // named only for the rename, through /proc, so both must be there.
    if (m_bUnnamedAllowed && ::access("/proc/self/fd", X_OK) == 0)
    {
        m_fd = ::openat(m_dirFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        m_bUnnamed = m_fd >= 0;
        if (m_bUnnamed)
        {
            (void)::flock(m_fd, LOCK_EX | LOCK_NB);
        }
    }
#endif
    if (m_fd < 0)
    {
        const int nError = NameTemporary(-1);
        if (nError != 0)
        {
            failCreate(nError);
        }
    }
    if (bExists)
    {
        // The saved file keeps the old one's owner (when root saves another
        // user's file) and permissions, but never setuid or setgid on content
        // that is new.
        struct stat created = {};
        if (::geteuid() == 0 && ::fstat(m_fd, &created) == 0 &&
            (created.st_uid != st.st_uid || created.st_gid != st.st_gid))
        {
            (void)::fchown(m_fd, st.st_uid, st.st_gid);
        }
        (void)::fchmod(m_fd, st.st_mode & 0777);
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
    if (m_bUnnamed)
    {
        const int nError = NameTemporary(m_fd);
        if (nError != 0)
        {
            Fail(nError);
        }
    }
    if (::renameat(m_dirFd, m_strTempName.c_str(), m_dirFd, m_strTargetName.c_str()) != 0)
    {
        Fail(errno);
    }
    m_strTempName.clear();
    const int fd = m_fd;
    m_fd = -1;
    // Written and renamed already: a late error here loses nothing.
    ::close(fd);
    // Make the rename itself durable; a folder that cannot be synced still
    // holds the new file.
    (void)::fsync(m_dirFd);
    Discard();
}

void CAtomicFile::Discard()
{
    if (!m_strTempName.empty())
    {
        ::unlinkat(m_dirFd, m_strTempName.c_str(), 0);
        m_strTempName.clear();
    }
    if (m_fd >= 0)
    {
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_dirFd >= 0)
    {
        ::close(m_dirFd);
        m_dirFd = -1;
    }
    m_bUnnamed = false;
    m_vBuffer.clear();
}
