// Writes a file so that it appears complete or not at all. The bytes go to
// a temporary file in the target's folder, unnamed while it is written where
// the file system allows it, which is flushed to disk and then renamed over
// the target. Until Commit the old file is untouched; any failure, or
// destruction without Commit, removes the temporary. A process killed while
// saving leaves nothing, or at most one temporary with a short name that the
// next save of the same target removes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/doc/Archive.h"

class CAtomicFile : public CByteSink
{
public:
    // strPath is the file to write, as the user named it (messages name it
    // so); a symbolic link is followed, so the file it points to is replaced,
    // except a link in a sticky world-writable folder (such as /tmp) that
    // belongs neither to the user nor to the folder's owner: another user may
    // have planted it there, and it is refused as access denied.
    explicit CAtomicFile(std::string strPath);
    ~CAtomicFile() override;

    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    // Always writes through a named temporary, as on file systems without
    // unnamed files. Call before Open.
    void UseNamedTemporary() { m_bUnnamedAllowed = false; }

    // Creates the temporary file. Refuses a target that is a folder, a
    // device or a pipe, or that exists but may not be written or is marked
    // read-only. Throws CFileException (EOperation::Create).
    void Open();
    // Throws CFileException (EOperation::Write).
    void Write(const void* pData, std::size_t nSize) override;
    // Puts the complete file in place. Throws CFileException
    // (EOperation::Write); the temporary is gone then and the target as it was.
    void Commit();
    // Drops what was written; the target stays as it was.
    void Discard();

private:
    void Flush();
    [[noreturn]] void Fail(int nErrno);
    // Finds the folder and name of the file to replace, following links.
    void ResolveTarget();
    // Creates (fd < 0) or links (fd >= 0, unnamed) the temporary under a
    // short name of its own, removing one that a killed save left; returns
    // 0 or an errno.
    int NameTemporary(int fd);

    std::string m_strPath;       // as given, for messages
    int m_dirFd = -1;            // the folder of the file replaced
    std::string m_strTargetName; // its name in that folder
    std::string m_strTempName;   // the named temporary, when there is one
    int m_fd = -1;
    bool m_bUnnamed = false;
    bool m_bUnnamedAllowed = true;
    std::vector<std::uint8_t> m_vBuffer;
};
