// A binary archive: numbers little-endian without padding, strings with the
// length prefixes of the graph files, 8-bit text in Windows-1252. Errors are
// thrown: CArchiveException when data end early, CFileException from the
// file beneath.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Where a loading archive takes its bytes from.
class CByteSource
{
public:
    virtual ~CByteSource();
    // Reads up to nSize bytes; fewer only at the end of the data.
    virtual std::size_t Read(void* pBuffer, std::size_t nSize) = 0;
    // How many bytes are left, or kUnknownRemaining for a stream; lengths
    // read from the data are checked against it before anything of that
    // size is allocated.
    virtual std::uint64_t GetRemaining() const = 0;

    // A stream's remaining bytes: what is read from it is allocated only as
    // its bytes arrive.
    static constexpr std::uint64_t kUnknownRemaining = UINT64_MAX;
};

// Where a storing archive puts its bytes.
class CByteSink
{
public:
    virtual ~CByteSink();
    virtual void Write(const void* pData, std::size_t nSize) = 0;
};

class CMemorySource : public CByteSource
{
public:
    explicit CMemorySource(std::span<const std::uint8_t> data) : m_data(data) {}
    std::size_t Read(void* pBuffer, std::size_t nSize) override;
    std::uint64_t GetRemaining() const override { return m_data.size() - m_nPos; }

private:
    std::span<const std::uint8_t> m_data;
    std::size_t m_nPos = 0;
};

class CMemorySink : public CByteSink
{
public:
    void Write(const void* pData, std::size_t nSize) override;
    const std::vector<std::uint8_t>& GetData() const { return m_vData; }

private:
    std::vector<std::uint8_t> m_vData;
};

// A file opened for reading, taken as the bytes it holds when it is opened.
// Only regular files are accepted: a folder is refused as EISDIR, a device
// or pipe (which could block or never end) as an error without a cause.
class CFileSource : public CByteSource
{
public:
    // Throws CFileException (EOperation::Open) naming strPath.
    explicit CFileSource(const std::string& strPath);
    ~CFileSource() override;

    CFileSource(const CFileSource&) = delete;
    CFileSource& operator=(const CFileSource&) = delete;

    std::size_t Read(void* pBuffer, std::size_t nSize) override;
    std::uint64_t GetRemaining() const override { return m_nSize - m_nConsumed; }
    std::uint64_t GetSize() const { return m_nSize; }

private:
    std::string m_strPath;
    int m_fd = -1;
    std::uint64_t m_nSize = 0;
    std::uint64_t m_nConsumed = 0; // handed out to the reader
    std::vector<std::uint8_t> m_vBuffer;
    std::size_t m_nBufferPos = 0;
    std::size_t m_nBufferEnd = 0;
};

class CArchive
{
public:
    explicit CArchive(CByteSource& source) : m_pSource(&source) {}
    explicit CArchive(CByteSink& sink) : m_pSink(&sink) {}

    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsLoading() const { return m_pSource != nullptr; }
    bool IsStoring() const { return m_pSink != nullptr; }

    CArchive& operator<<(std::uint8_t n);
    CArchive& operator<<(std::uint16_t n);
    CArchive& operator<<(std::int32_t n);
    CArchive& operator<<(std::uint32_t n);
    CArchive& operator<<(double d);

    CArchive& operator>>(std::uint8_t& n);
    CArchive& operator>>(std::uint16_t& n);
    CArchive& operator>>(std::int32_t& n);
    CArchive& operator>>(std::uint32_t& n);
    CArchive& operator>>(double& d);

    // strText is UTF-8; it is stored as Windows-1252 with the shortest of
    // the three length prefixes (one byte, 0xFF + 16 bits, 0xFF 0xFFFF + 32
    // bits).
    void WriteString(std::string_view strText);
    // Reads a string in any of the prefix forms, also the 16-bit-character
    // form (0xFF 0xFFFE, then a second prefix and UTF-16LE units), and
    // returns it as UTF-8.
    std::string ReadString();

    void Write(const void* pData, std::size_t nSize);
    // Reads exactly nSize bytes or throws CArchiveException::EndOfFile.
    void Read(void* pBuffer, std::size_t nSize);
    // The source's remaining bytes (CByteSource::kUnknownRemaining for a
    // stream).
    std::uint64_t GetRemaining() const;

private:
    template <typename T> void WriteLittleEndian(T n);
    template <typename T> T ReadLittleEndian();
    // Length of the next string; bWide is set for 16-bit characters.
    std::uint64_t ReadStringLength(bool& bWide);

    CByteSource* m_pSource = nullptr;
    CByteSink* m_pSink = nullptr;
};
