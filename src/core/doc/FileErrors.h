// Failures of files and archives, and the messages the user is shown for
// them. The messages name the file as the user gave it.
#pragma once

#include <exception>
#include <string>
#include <string_view>

// Replaces every "%1" of strFormat with strArgument.
std::string FormatMessage1(std::string_view strFormat, std::string_view strArgument);

// The message for a system error (errno; 0 when no error code applies)
// while opening or reading a file to load it.
std::string GetOpenErrorMessage(int nErrno, std::string_view strFileName);
// ... while creating a file to save into.
std::string GetCreateErrorMessage(int nErrno, std::string_view strFileName);
// ... while writing, flushing or putting a saved file in place.
std::string GetWriteErrorMessage(int nErrno, std::string_view strFileName);

// A file operation the system refused.
class CFileException : public std::exception
{
public:
    enum class EOperation
    {
        Open,   // opening or reading a file to load it
        Create, // creating a file to save into
        Write   // writing, flushing, replacing the saved file
    };

    CFileException(EOperation eOperation, int nErrno, std::string strFileName);

    const char* what() const noexcept override;
    std::string GetErrorMessage() const;

    EOperation m_eOperation;
    int m_nErrno;
    std::string m_strFileName;
};

// Data that do not make a document: they end early, or cannot be written.
class CArchiveException : public std::exception
{
public:
    enum class ECause
    {
        EndOfFile, // the data end before the document does
        Generic    // anything else: loading or saving simply fails
    };

    explicit CArchiveException(ECause eCause) : m_eCause(eCause) {}

    const char* what() const noexcept override;
    // The message for a failure while loading (bLoading) or saving.
    std::string GetErrorMessage(bool bLoading) const;

    ECause m_eCause;
};

// The message for the exception being handled; call it in a catch block. A
// file's or archive's failure gives its own message (bLoading: the archive
// was read), memory running out "Memoria insufficiente.", anything else
// "Impossibile aprire il documento." when loading, else "Impossibile salvare
// il documento.".
std::string GetCurrentErrorMessage(bool bLoading);
