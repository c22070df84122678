#include "core/doc/FileErrors.h"

#include <cerrno>
#include <new>

#include "res/FileStrings.h"
#include "res/SamplingStrings.h"

std::string FormatMessage1(std::string_view strFormat, std::string_view strArgument)
{
    std::string strOut;
    strOut.reserve(strFormat.size() + strArgument.size());
    std::size_t pos = 0;
    while (pos < strFormat.size())
    {
        const std::size_t found = strFormat.find("%1", pos);
        if (found == std::string_view::npos)
        {
            strOut.append(strFormat.substr(pos));
            break;
        }
        strOut.append(strFormat.substr(pos, found - pos));
        strOut.append(strArgument);
        pos = found + 2;
    }
    return strOut;
}

std::string GetOpenErrorMessage(int nErrno, std::string_view strFileName)
{
    switch (nErrno)
    {
    case ENOENT:
    case ENOTDIR:
        return FormatMessage1(res::kFileNotFound, strFileName);
    case EACCES:
    case EPERM:
    case EISDIR: // a folder cannot be opened as a document
        return FormatMessage1(res::kAccessDenied, strFileName);
    case EMFILE:
    case ENFILE:
        return FormatMessage1(res::kTooManyOpenFiles, strFileName);
    default:
        return res::kFailedToOpenDoc;
    }
}

std::string GetCreateErrorMessage(int nErrno, std::string_view strFileName)
{
    switch (nErrno)
    {
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return FormatMessage1(res::kAccessDenied, strFileName);
    case ENOSPC:
    case EDQUOT:
    case EFBIG: // past the process's file-size limit
        return FormatMessage1(res::kDiskFull, strFileName);
    case EMFILE:
    case ENFILE:
        return FormatMessage1(res::kTooManyOpenFiles, strFileName);
    default:
        return res::kInvalidFileName;
    }
}

std::string GetWriteErrorMessage(int nErrno, std::string_view strFileName)
{
    switch (nErrno)
    {
    case ENOSPC:
    case EDQUOT:
    case EFBIG: // past the process's file-size limit
        return FormatMessage1(res::kDiskFull, strFileName);
    case EACCES:
    case EPERM:
    case EROFS:
        return FormatMessage1(res::kAccessDenied, strFileName);
    default:
        return res::kFailedToSaveDoc;
    }
}

CFileException::CFileException(EOperation eOperation, int nErrno, std::string strFileName)
    : m_eOperation(eOperation), m_nErrno(nErrno), m_strFileName(std::move(strFileName))
{
}

const char* CFileException::what() const noexcept
{
    return "file error";
}

std::string CFileException::GetErrorMessage() const
{
    switch (m_eOperation)
    {
    case EOperation::Open:
        return GetOpenErrorMessage(m_nErrno, m_strFileName);
    case EOperation::Create:
        return GetCreateErrorMessage(m_nErrno, m_strFileName);
    case EOperation::Write:
        break;
    }
    return GetWriteErrorMessage(m_nErrno, m_strFileName);
}

const char* CArchiveException::what() const noexcept
{
    return m_eCause == ECause::EndOfFile ? "unexpected end of archive" : "archive error";
}

std::string GetCurrentErrorMessage(bool bLoading)
{
    try
    {
        throw;
    }
    catch (const CFileException& e)
    {
        return e.GetErrorMessage();
    }
    catch (const CArchiveException& e)
    {
        return e.GetErrorMessage(bLoading);
    }
    catch (const std::bad_alloc&)
    {
        return res::kOutOfMemory;
    }
    catch (...)
    {
        return bLoading ? res::kFailedToOpenDoc : res::kFailedToSaveDoc;
    }
}

std::string CArchiveException::GetErrorMessage(bool bLoading) const
{
    if (bLoading)
    {
        return m_eCause == ECause::EndOfFile ? res::kUnexpectedFileFormat : res::kFailedToOpenDoc;
    }
    return res::kFailedToSaveDoc;
}
