#include "core/doc/Archive.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/doc/FileErrors.h"
#include "core/doc/TextEncoding.h"

CByteSource::~CByteSource() = default;
CByteSink::~CByteSink() = default;

std::size_t CMemorySource::Read(void* pBuffer, std::size_t nSize)
{
    const std::size_t nCount = std::min(nSize, m_data.size() - m_nPos);
    if (nCount > 0)
    {
        std::memcpy(pBuffer, m_data.data() + m_nPos, nCount);
        m_nPos += nCount;
    }
    return nCount;
}

void CMemorySink::Write(const void* pData, std::size_t nSize)
{
    const auto* p = static_cast<const std::uint8_t*>(pData);
    m_vData.insert(m_vData.end(), p, p + nSize);
}

CFileSource::CFileSource(const std::string& strPath) : m_strPath(strPath)
{
    // Non-blocking, so that opening a pipe without a writer does not wait.
    m_fd = ::open(strPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0)
    {
        throw CFileException(CFileException::EOperation::Open, errno, strPath);
    }
    struct stat st = {};
    int nError = 0;
    if (::fstat(m_fd, &st) != 0)
    {
        nError = errno;
    }
    else if (S_ISDIR(st.st_mode))
    {
        nError = EISDIR;
    }
    else if (!S_ISREG(st.st_mode) || st.st_size < 0)
    {
        nError = -1; // no message of its own: the generic one
    }
    if (nError != 0)
    {
        ::close(m_fd);
        m_fd = -1;
        throw CFileException(CFileException::EOperation::Open, nError < 0 ? 0 : nError, strPath);
    }
    m_nSize = static_cast<std::uint64_t>(st.st_size);
}

CFileSource::~CFileSource()
{
    if (m_fd >= 0)
    {
        ::close(m_fd);
    }
}

std::size_t CFileSource::Read(void* pBuffer, std::size_t nSize)
{
    auto* pOut = static_cast<std::uint8_t*>(pBuffer);
    std::size_t nDone = 0;
    while (nDone < nSize && m_nConsumed < m_nSize)
    {
        if (m_nBufferPos == m_nBufferEnd)
        {
            constexpr std::size_t kBufferSize = 64 * 1024;
            if (m_vBuffer.empty())
            {
                m_vBuffer.resize(static_cast<std::size_t>(
                    std::min<std::uint64_t>(kBufferSize, m_nSize - m_nConsumed)));
            }
            const std::size_t nWant = static_cast<std::size_t>(
                std::min<std::uint64_t>(m_vBuffer.size(), m_nSize - m_nConsumed));
            ssize_t nGot = 0;
            do
            {
                nGot = ::read(m_fd, m_vBuffer.data(), nWant);
            } while (nGot < 0 && errno == EINTR);
            if (nGot < 0)
            {
                throw CFileException(CFileException::EOperation::Open, errno, m_strPath);
            }
            if (nGot == 0)
            {
                // The file became shorter than it was: its data end here.
                m_nSize = m_nConsumed;
                break;
            }
            m_nBufferPos = 0;
            m_nBufferEnd = static_cast<std::size_t>(nGot);
        }
        const std::size_t nCount = std::min(nSize - nDone, m_nBufferEnd - m_nBufferPos);
        std::memcpy(pOut + nDone, m_vBuffer.data() + m_nBufferPos, nCount);
        m_nBufferPos += nCount;
        m_nConsumed += nCount;
        nDone += nCount;
    }
    return nDone;
}

template <typename T> void CArchive::WriteLittleEndian(T n)
{
    std::uint8_t bytes[sizeof(T)];
    for (std::size_t i = 0; i < sizeof(T); ++i)
    {
        bytes[i] = static_cast<std::uint8_t>(n >> (8 * i));
    }
    Write(bytes, sizeof(T));
}

template <typename T> T CArchive::ReadLittleEndian()
{
    std::uint8_t bytes[sizeof(T)];
    Read(bytes, sizeof(T));
    T n = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
    {
        n = static_cast<T>(n | (static_cast<T>(bytes[i]) << (8 * i)));
    }
    return n;
}

CArchive& CArchive::operator<<(std::uint8_t n)
{
    Write(&n, 1);
    return *this;
}

CArchive& CArchive::operator<<(std::uint16_t n)
{
    WriteLittleEndian(n);
    return *this;
}

CArchive& CArchive::operator<<(std::int32_t n)
{
    WriteLittleEndian(static_cast<std::uint32_t>(n));
    return *this;
}

CArchive& CArchive::operator<<(std::uint32_t n)
{
    WriteLittleEndian(n);
    return *this;
}

CArchive& CArchive::operator<<(double d)
{
    WriteLittleEndian(std::bit_cast<std::uint64_t>(d));
    return *this;
}

CArchive& CArchive::operator>>(std::uint8_t& n)
{
    Read(&n, 1);
    return *this;
}

CArchive& CArchive::operator>>(std::uint16_t& n)
{
    n = ReadLittleEndian<std::uint16_t>();
    return *this;
}

CArchive& CArchive::operator>>(std::int32_t& n)
{
    n = static_cast<std::int32_t>(ReadLittleEndian<std::uint32_t>());
    return *this;
}

CArchive& CArchive::operator>>(std::uint32_t& n)
{
    n = ReadLittleEndian<std::uint32_t>();
    return *this;
}

CArchive& CArchive::operator>>(double& d)
{
    d = std::bit_cast<double>(ReadLittleEndian<std::uint64_t>());
    return *this;
}

void CArchive::WriteString(std::string_view strText)
{
    const std::string strBytes = Utf8ToCp1252(strText);
    const std::uint64_t nLength = strBytes.size();
    if (nLength < 0xFF)
    {
        *this << static_cast<std::uint8_t>(nLength);
    }
    else if (nLength < 0xFFFE)
    {
        *this << std::uint8_t{0xFF} << static_cast<std::uint16_t>(nLength);
    }
    else if (nLength <= 0xFFFFFFFFu)
    {
        *this << std::uint8_t{0xFF} << std::uint16_t{0xFFFF} << static_cast<std::uint32_t>(nLength);
    }
    else
    {
        throw CArchiveException(CArchiveException::ECause::Generic);
    }
    Write(strBytes.data(), strBytes.size());
}

std::uint64_t CArchive::ReadStringLength(bool& bWide)
{
    bWide = false;
    std::uint8_t nByte = 0;
    *this >> nByte;
    if (nByte < 0xFF)
    {
        return nByte;
    }
    std::uint16_t nWord = 0;
    *this >> nWord;
    if (nWord == 0xFFFE)
    {
        // 16-bit characters; the real length follows in the usual forms.
        bWide = true;
        *this >> nByte;
        if (nByte < 0xFF)
        {
            return nByte;
        }
        *this >> nWord;
    }
    if (nWord < 0xFFFF)
    {
        return nWord;
    }
    std::uint32_t nDword = 0;
    *this >> nDword;
    return nDword;
}

std::string CArchive::ReadString()
{
    bool bWide = false;
    const std::uint64_t nLength = ReadStringLength(bWide);
    const std::uint64_t nBytes = bWide ? 2 * nLength : nLength;
    const std::uint64_t nRemaining = GetRemaining();
    std::string strBytes;
    if (nRemaining != CByteSource::kUnknownRemaining)
    {
        // A length the data cannot hold is a truncated file: refuse it
        // before allocating anything of that size.
        if (nBytes > nRemaining)
        {
            throw CArchiveException(CArchiveException::ECause::EndOfFile);
        }
        strBytes.resize(static_cast<std::size_t>(nBytes));
        Read(strBytes.data(), strBytes.size());
    }
    else
    {
        // A stream may end anywhere: grown as its bytes arrive, so a huge
        // length costs no more than the data that really follow it.
        constexpr std::uint64_t kChunk = 64 * 1024;
        while (strBytes.size() < nBytes)
        {
            const std::size_t nOld = strBytes.size();
            const auto nMore = static_cast<std::size_t>(std::min(kChunk, nBytes - nOld));
            strBytes.resize(nOld + nMore);
            Read(strBytes.data() + nOld, nMore);
        }
    }
    if (!bWide)
    {
        // Plain ASCII, what expressions are made of, reads the same in both
        // encodings: the bytes read are the text, with no second copy.
        if (std::all_of(strBytes.begin(), strBytes.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        {
            return strBytes;
        }
        return Cp1252ToUtf8(strBytes);
    }
    std::u16string strUnits(static_cast<std::size_t>(nLength), u'\0');
    for (std::size_t i = 0; i < strUnits.size(); ++i)
    {
        strUnits[i] = static_cast<char16_t>(static_cast<std::uint8_t>(strBytes[2 * i]) |
                                            (static_cast<std::uint8_t>(strBytes[2 * i + 1]) << 8));
    }
    return Cp1252ToUtf8(Utf16ToCp1252(strUnits));
}

void CArchive::Write(const void* pData, std::size_t nSize)
{
    if (m_pSink == nullptr)
    {
        throw CArchiveException(CArchiveException::ECause::Generic);
    }
    m_pSink->Write(pData, nSize);
}

void CArchive::Read(void* pBuffer, std::size_t nSize)
{
    if (m_pSource == nullptr)
    {
        throw CArchiveException(CArchiveException::ECause::Generic);
    }
    if (m_pSource->Read(pBuffer, nSize) != nSize)
    {
        throw CArchiveException(CArchiveException::ECause::EndOfFile);
    }
}

std::uint64_t CArchive::GetRemaining() const
{
    return m_pSource != nullptr ? m_pSource->GetRemaining() : 0;
}
