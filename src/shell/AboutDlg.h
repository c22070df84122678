// The About box: name and version, and the machine's available memory and
// the free space of the current directory's file system when it opens.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "shell/Dialog.h"

// "%lu KB" of nBytes / 1024.
std::string FormatMemoryLine(std::uint64_t nBytes);
// "%lu KB Free on %c:" of nFreeBytes / 1024 and chDrive, or "Unavailable"
// when the free space is not known.
std::string FormatDiskLine(std::optional<std::uint64_t> nFreeBytes, char chDrive);

// Physical memory available to programs now, in bytes.
std::uint64_t QueryAvailableMemory();
// Free space for the user on the file system of the current directory, in
// bytes; nothing when it cannot be told.
std::optional<std::uint64_t> QueryCurrentDiskFree();
// What stands in the drive letter's place: the current drive's letter
// where there are drives, '/' here.
char CurrentDriveLetter();

class CAboutDlg : public CDialog
{
public:
    explicit CAboutDlg(QWidget* pParent = nullptr);
    ~CAboutDlg() override;

    bool OnInitDialog() override;
};
