// What loading a graph costs in memory: every heap allocation of this test
// program is counted, so the cost of a function record and the peak of a
// refused file are measured, not estimated.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <malloc.h>
#include <memory>
#include <new>
#include <string>
#include <unistd.h>
#include <vector>

#include "TestTempDir.h"
#include "core/doc/Archive.h"
#include "core/doc/FileErrors.h"
#include "core/doc/TraceloDoc.h"

namespace
{

std::atomic<std::int64_t> g_nLive{0};
std::atomic<std::int64_t> g_nPeak{0};
std::atomic<std::int64_t> g_nCount{0};
// Above this many live bytes an allocation fails, so that a loader that
// grows without bound is stopped quickly instead of filling the machine.
std::atomic<std::int64_t> g_nCap{INT64_MAX};

void* CountedAlloc(std::size_t nSize)
{
    void* p = std::malloc(nSize == 0 ? 1 : nSize);
    if (p == nullptr)
    {
        throw std::bad_alloc();
    }
    const auto n = static_cast<std::int64_t>(::malloc_usable_size(p));
    const std::int64_t nLive = g_nLive.fetch_add(n) + n;
    if (nLive > g_nCap.load())
    {
        g_nLive.fetch_sub(n);
        std::free(p);
        throw std::bad_alloc();
    }
    g_nCount.fetch_add(1);
    std::int64_t nPeak = g_nPeak.load();
    while (nLive > nPeak && !g_nPeak.compare_exchange_weak(nPeak, nLive))
    {
    }
    return p;
}

void CountedFree(void* p) noexcept
{
    if (p != nullptr)
    {
        g_nLive.fetch_sub(static_cast<std::int64_t>(::malloc_usable_size(p)));
        std::free(p);
    }
}

// Heap use from its construction on: bytes live now, the peak, allocations.
class CHeapMeter
{
public:
    CHeapMeter() : m_nStart(g_nLive.load()), m_nCountStart(g_nCount.load())
    {
        g_nPeak.store(m_nStart);
    }
    std::int64_t Live() const { return g_nLive.load() - m_nStart; }
    std::int64_t Peak() const { return g_nPeak.load() - m_nStart; }
    std::int64_t Allocations() const { return g_nCount.load() - m_nCountStart; }

private:
    std::int64_t m_nStart;
    std::int64_t m_nCountStart;
};

class CCapGuard
{
public:
    explicit CCapGuard(std::int64_t nBytes) { g_nCap.store(g_nLive.load() + nBytes); }
    ~CCapGuard() { g_nCap.store(INT64_MAX); }
};

using Bytes = std::vector<std::uint8_t>;

Bytes Header(std::int32_t nCount)
{
    Bytes bytes(44, 0);
    const double dMin = -2.0;
    const double dMax = 2.0;
    const std::int32_t nDivisions = 500;
    const std::int32_t nGrid = 1;
    std::memcpy(&bytes[0], &dMin, 8);
    std::memcpy(&bytes[8], &dMax, 8);
    std::memcpy(&bytes[16], &dMin, 8);
    std::memcpy(&bytes[24], &dMax, 8);
    std::memcpy(&bytes[32], &nDivisions, 4);
    std::memcpy(&bytes[36], &nGrid, 4);
    std::memcpy(&bytes[40], &nCount, 4);
    return bytes;
}

Bytes GraphOf(std::int32_t nCount, const std::string& strText)
{
    Bytes bytes = Header(nCount);
    for (std::int32_t i = 0; i < nCount; ++i)
    {
        bytes.push_back(static_cast<std::uint8_t>(strText.size()));
        bytes.insert(bytes.end(), strText.begin(), strText.end());
        bytes.insert(bytes.end(), {0xFF, 0, 0, 0});
    }
    return bytes;
}

std::string Load(CTraceloDoc& doc, CByteSource& source)
{
    try
    {
        CArchive ar(source);
        doc.Serialize(ar);
    }
    catch (const CArchiveException& e)
    {
        return e.GetErrorMessage(true);
    }
    catch (const std::bad_alloc&)
    {
        return "out of memory";
    }
    return {};
}

// A pipe-like source: its bytes come in order and its size is not known.
class CStreamSource : public CByteSource
{
public:
    explicit CStreamSource(Bytes bytes) : m_bytes(std::move(bytes)) {}
    std::size_t Read(void* pBuffer, std::size_t nSize) override
    {
        const std::size_t n = std::min(nSize, m_bytes.size() - m_nPos);
        std::memcpy(pBuffer, m_bytes.data() + m_nPos, n);
        m_nPos += n;
        return n;
    }
    std::uint64_t GetRemaining() const override { return UINT64_MAX; } // unknown

private:
    Bytes m_bytes;
    std::size_t m_nPos = 0;
};

} // namespace

void* operator new(std::size_t nSize)
{
    return CountedAlloc(nSize);
}
void* operator new[](std::size_t nSize)
{
    return CountedAlloc(nSize);
}
void operator delete(void* p) noexcept
{
    CountedFree(p);
}
void operator delete[](void* p) noexcept
{
    CountedFree(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    CountedFree(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    CountedFree(p);
}

namespace
{

// A record costs its place in the list, nothing more until it is sampled:
// no allocation of its own, no curve storage, no text storage for a short
// text. A file's list is allocated once for its count; a stream's grows as
// its records arrive, by doubling, so it may hold up to twice the records
// and, while it moves, both blocks at once.
TEST(LoadingMemory, ARecordCostsItsPlaceInTheListAndNothingBeside)
{
    constexpr double kFunction = sizeof(CGraphFunction);
    const std::string strLong(40, 'X'); // beyond the text's own buffer
    const struct
    {
        const char* m_pszName;
        std::int32_t m_nCount;
        std::string m_strText;
        bool m_bStream;
        // Bytes a record may take beside its place in the list, and the
        // allocations it may make: its text's, when the text is long.
        double m_dTextBytes;
        std::int64_t m_nTextAllocations;
    } kFiles[] = {
        {"1,000,000 empty functions", 1000000, "", false, 0, 0},
        {"1000 functions X", 1000, "X", false, 0, 0},
        {"1000 functions SIN(X)*COS(X)", 1000, "SIN(X)*COS(X)", false, 0, 0},
        {"1000 functions of 40 characters", 1000, strLong, false, 64, 1},
        {"1,000,000 empty functions from a stream", 1000000, "", true, 0, 0},
        {"1000 functions X from a stream", 1000, "X", true, 0, 0},
    };
    for (const auto& file : kFiles)
    {
        const Bytes bytes = GraphOf(file.m_nCount, file.m_strText);
        CTraceloDoc doc;
        CMemorySource memory(bytes);
        CStreamSource stream(bytes);
        CByteSource& source = file.m_bStream ? static_cast<CByteSource&>(stream) : memory;
        const CHeapMeter meter;
        ASSERT_EQ(Load(doc, source), "") << file.m_pszName;
        ASSERT_EQ(doc.m_pFunctions->size(), static_cast<std::size_t>(file.m_nCount));
        EXPECT_EQ(doc.m_pFunctions->back().m_strExpression, file.m_strText);
        EXPECT_FALSE(doc.m_pFunctions->back().m_pPoints.IsAllocated());
        const double dLivePerRecord = static_cast<double>(meter.Live()) / file.m_nCount;
        const double dPeakPerRecord = static_cast<double>(meter.Peak()) / file.m_nCount;
        std::cout << file.m_pszName << ": file " << bytes.size() << " bytes, heap after loading "
                  << meter.Live() << " bytes (" << dLivePerRecord << " a record), peak "
                  << meter.Peak() << ", allocations " << meter.Allocations() << "\n";
        // The list's own blocks, and a few for reading the memory left from
        // /proc.
        EXPECT_LE(meter.Allocations(),
                  file.m_nCount * file.m_nTextAllocations + file.m_nCount / 100 + 32)
            << file.m_pszName;
        if (file.m_bStream)
        {
            EXPECT_LE(dLivePerRecord, 2 * kFunction + file.m_dTextBytes) << file.m_pszName;
            EXPECT_LE(dPeakPerRecord, 3 * kFunction + file.m_dTextBytes) << file.m_pszName;
        }
        else
        {
            EXPECT_LE(dLivePerRecord, kFunction + 1 + file.m_dTextBytes) << file.m_pszName;
            EXPECT_LE(dPeakPerRecord, kFunction + 1 + file.m_dTextBytes) << file.m_pszName;
        }
    }
}

// Counts that the data cannot hold are refused before the loader grows: a
// sparse file of 4 GiB whose count is 2^31-1 (5 bytes a record would need
// 10 GiB), and a stream that ends long before its count or its string.
TEST(LoadingMemory, CountOrLengthBeyondTheDataIsRefusedWithoutGrowing)
{
    CTestTempDir dir;
    const std::string strSparse = dir.File("sparse");
    {
        const Bytes header = Header(INT32_MAX);
        const int fd = ::open(strSparse.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, header.data(), header.size()), static_cast<ssize_t>(header.size()));
        ASSERT_EQ(::ftruncate(fd, std::int64_t{4} << 30), 0);
        ::close(fd);
    }
    {
        const CCapGuard cap(64 << 20);
        const CHeapMeter meter;
        CTraceloDoc doc;
        std::string strError;
        EXPECT_FALSE(doc.OnOpenDocument(strSparse, strError));
        EXPECT_EQ(strError, "Formato file inatteso.");
        EXPECT_LT(meter.Peak(), 1 << 20);
    }

    Bytes fewRecords = GraphOf(3, "X");
    fewRecords[40] = 0xFF;
    fewRecords[41] = 0xFF;
    fewRecords[42] = 0xFF;
    fewRecords[43] = 0x7F;
    Bytes hugeString = Header(1);
    hugeString.insert(hugeString.end(), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    hugeString.resize(hugeString.size() + 10, 'X');
    for (const Bytes& bytes : {fewRecords, hugeString})
    {
        const CCapGuard cap(64 << 20);
        CStreamSource stream(bytes);
        CTraceloDoc doc;
        const CHeapMeter meter;
        EXPECT_EQ(Load(doc, stream), "Formato file inatteso.");
        EXPECT_LT(meter.Peak(), 1 << 20);
        EXPECT_TRUE(doc.m_pFunctions->empty());
    }
}

// TRACELO_MEMORY_LIMIT for the time of one scope.
class CMemoryLimit
{
public:
    explicit CMemoryLimit(std::uint64_t nBytes)
    {
        setenv("TRACELO_MEMORY_LIMIT", std::to_string(nBytes).c_str(), 1);
    }
    ~CMemoryLimit() { unsetenv("TRACELO_MEMORY_LIMIT"); }
};

// Records that would not fit in the memory left are refused before they are
// allocated, from a file and from a stream, and an allocation that fails
// while reading is reported the same way; the open graph stays as it was.
TEST(LoadingMemory, RecordsThatDoNotFitAreRefusedAsOutOfMemory)
{
    CTestTempDir dir;
    const std::string strFile = dir.File("milione");
    const Bytes million = GraphOf(1000000, "");
    {
        const int fd = ::open(strFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, million.data(), million.size()),
                  static_cast<ssize_t>(million.size()));
        ::close(fd);
    }
    const std::uint64_t nNeed = 1000000 * kBytesPerLoadedFunction;

    auto openedGraph = []
    {
        auto pDoc = std::make_unique<CTraceloDoc>();
        CGraphFunction function(pDoc->m_pEvaluator.get());
        function.m_strExpression = "SIN(X)";
        pDoc->m_pFunctions->push_back(std::move(function));
        return pDoc;
    };
    auto unchanged = [](const CTraceloDoc& doc)
    {
        return doc.m_pFunctions->size() == 1 &&
               doc.m_pFunctions->front().m_strExpression == "SIN(X)" && !doc.IsModified() &&
               doc.m_nDivisions == 500;
    };

    {
        // From a file, before anything is allocated.
        const CMemoryLimit limit(nNeed - 1);
        const auto pDoc = openedGraph();
        const CHeapMeter meter;
        std::string strError;
        EXPECT_FALSE(pDoc->OnOpenDocument(strFile, strError));
        EXPECT_EQ(strError, "Memoria insufficiente.");
        EXPECT_TRUE(unchanged(*pDoc));
        EXPECT_LT(meter.Peak(), 1 << 20);
    }
    {
        // A genuine file of 2^31-1 empty records (all zeros, left sparse):
        // 10 GB that would need about 190 GB of functions.
        const std::string strHuge = dir.File("enorme");
        const Bytes header = Header(INT32_MAX);
        const int fd = ::open(strHuge.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, header.data(), header.size()), static_cast<ssize_t>(header.size()));
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(header.size() + std::uint64_t{INT32_MAX} * 5)),
                  0);
        ::close(fd);
        const CCapGuard cap(64 << 20);
        const auto pDoc = openedGraph();
        const CHeapMeter meter;
        std::string strError;
        EXPECT_FALSE(pDoc->OnOpenDocument(strHuge, strError));
        EXPECT_EQ(strError, "Memoria insufficiente.");
        EXPECT_TRUE(unchanged(*pDoc));
        EXPECT_LT(meter.Peak(), 1 << 20);
    }
    {
        // From a stream, before its list grows into a block that would not
        // fit.
        const CMemoryLimit limit(nNeed / 4);
        CTraceloDoc doc;
        CStreamSource stream(million);
        const CHeapMeter meter;
        EXPECT_EQ(Load(doc, stream), "out of memory");
        EXPECT_TRUE(doc.m_pFunctions->empty());
        EXPECT_LT(static_cast<std::uint64_t>(meter.Peak()), nNeed / 4);
    }
    {
        // While a stream's list moves into a larger block it holds both:
        // whatever the limit, the records are loaded within it or refused.
        bool bLoaded = false;
        for (const double dTimes : {1.0, 1.25, 1.5, 2.0, 3.0})
        {
            const auto nLimit = static_cast<std::uint64_t>(static_cast<double>(nNeed) * dTimes);
            const CMemoryLimit limit(nLimit);
            CTraceloDoc doc;
            CStreamSource stream(million);
            const CHeapMeter meter;
            const std::string strResult = Load(doc, stream);
            EXPECT_TRUE(strResult.empty() || strResult == "out of memory") << strResult;
            bLoaded = bLoaded || strResult.empty();
            // Reading the memory left from /proc takes a few small blocks.
            EXPECT_LE(static_cast<std::uint64_t>(meter.Peak()), nLimit + (64 << 10)) << dTimes;
        }
        EXPECT_TRUE(bLoaded);
    }
    {
        // An allocation that fails in the middle of the records.
        const auto pDoc = openedGraph();
        const CCapGuard cap(static_cast<std::int64_t>(nNeed / 2));
        std::string strError;
        EXPECT_FALSE(pDoc->OnOpenDocument(strFile, strError));
        EXPECT_EQ(strError, "Memoria insufficiente.");
        EXPECT_TRUE(unchanged(*pDoc));
    }
    {
        // Just enough: loaded.
        const CMemoryLimit limit(nNeed);
        CTraceloDoc doc;
        std::string strError;
        EXPECT_TRUE(doc.OnOpenDocument(strFile, strError)) << strError;
        EXPECT_EQ(doc.m_pFunctions->size(), 1000000u);
    }
}

} // namespace
