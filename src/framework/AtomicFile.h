// Writes a file so that it appears complete or not at all: the bytes go to
// a temporary file in the target's folder, which is flushed to disk and then
// renamed over the target. Until Commit the old file is untouched; any
// failure, or destruction without Commit, removes the temporary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/Archive.h"

class CAtomicFile : public CByteSink
{
public:
    // strPath is the file to write, as the user named it (messages name it
    // so); a symbolic link is followed, so the file it points to is replaced.
    explicit CAtomicFile(std::string strPath);
    ~CAtomicFile() override;

    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    // Creates the temporary file. Refuses a target that is a folder, a
    // device or a pipe, or that exists but may not be written. Throws
    // CFileException (EOperation::Create).
    void Open();
    // Throws CFileException (EOperation::Write).
    void Write(const void* pData, std::size_t nSize) override;
    // Puts the complete file in place. Throws CFileException
    // (EOperation::Write); the temporary is gone then and the target as it was.
    void Commit();
    // Drops what was written; the target stays as it was.
    void Discard();

    const std::string& GetTempPath() const { return m_strTempPath; }

private:
    void Flush();
    [[noreturn]] void Fail(int nErrno);

    std::string m_strPath;   // as given, for messages
    std::string m_strTarget; // the file actually replaced
    std::string m_strTempPath;
    int m_fd = -1;
    std::vector<std::uint8_t> m_vBuffer;
};
