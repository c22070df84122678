#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "TestTempDir.h"
#include "framework/Archive.h"
#include "framework/AtomicFile.h"
#include "framework/Document.h"
#include "framework/FileErrors.h"

namespace
{

using Bytes = std::vector<std::uint8_t>;

// A document holding one string, to exercise the open and save paths.
class CTextDoc : public CDocument
{
public:
    void Serialize(CArchive& ar) override
    {
        ++m_nSerializeCalls;
        if (ar.IsStoring())
        {
            ar.WriteString(m_strText);
        }
        else
        {
            m_strText = ar.ReadString();
        }
    }
    std::string m_strText;
    int m_nSerializeCalls = 0;
};

// Lowers a resource limit for the life of the object.
class CLimit
{
public:
    CLimit(int nResource, rlim_t nSoft) : m_nResource(nResource)
    {
        ::getrlimit(nResource, &m_old);
        rlimit lowered = m_old;
        lowered.rlim_cur = nSoft;
        ::setrlimit(nResource, &lowered);
    }
    ~CLimit() { ::setrlimit(m_nResource, &m_old); }

private:
    int m_nResource;
    rlimit m_old{};
};

// Writing past RLIMIT_FSIZE fails with EFBIG instead of raising SIGXFSZ.
class CIgnoreFileSizeSignal
{
public:
    CIgnoreFileSizeSignal() { m_old = std::signal(SIGXFSZ, SIG_IGN); }
    ~CIgnoreFileSizeSignal() { std::signal(SIGXFSZ, m_old); }

private:
    void (*m_old)(int) = nullptr;
};

bool IsRoot()
{
    return ::geteuid() == 0;
}

TEST(DocumentTest, PathNameGivesTheTitle)
{
    CTextDoc doc;
    doc.SetTitle("Tracelo1");
    EXPECT_EQ(doc.GetTitle(), "Tracelo1");
    doc.SetPathName("/home/anna/grafici/seno.trc");
    EXPECT_EQ(doc.GetPathName(), "/home/anna/grafici/seno.trc");
    EXPECT_EQ(doc.GetTitle(), "seno.trc");
    doc.SetPathName("locale");
    EXPECT_EQ(doc.GetTitle(), "locale");
}

TEST(DocumentTest, NewDocumentHasNoPathAndIsClean)
{
    CTextDoc doc;
    doc.SetPathName("/tmp/x");
    doc.SetModifiedFlag();
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.GetPathName(), "");
    EXPECT_FALSE(doc.IsModified());
}

TEST(DocumentTest, SaveAndOpenRoundTrip)
{
    CTestTempDir dir;
    const std::string strPath = dir.File("doc");
    CTextDoc doc;
    doc.m_strText = "SIN(X)";
    doc.SetModifiedFlag();
    std::string strError;
    ASSERT_TRUE(doc.OnSaveDocument(strPath, strError)) << strError;
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(ReadFileBytes(strPath), (Bytes{6, 'S', 'I', 'N', '(', 'X', ')'}));
    EXPECT_EQ(dir.List(), std::vector<std::string>{"doc"});

    CTextDoc other;
    other.SetModifiedFlag();
    ASSERT_TRUE(other.OnOpenDocument(strPath, strError)) << strError;
    EXPECT_EQ(other.m_strText, "SIN(X)");
    EXPECT_FALSE(other.IsModified());
}

TEST(DocumentTest, ZeroLengthFileIsNotRead)
{
    CTestTempDir dir;
    WriteFileBytes(dir.File("empty"), {});
    CTextDoc doc;
    doc.m_strText = "untouched";
    std::string strError;
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("empty"), strError));
    EXPECT_EQ(doc.m_nSerializeCalls, 0);
    EXPECT_FALSE(doc.IsModified());
}

struct COpenFailureCase
{
    const char* m_pszName;
    // Prepares the path to open in dir and returns it.
    std::string (*m_pfnPrepare)(const CTestTempDir& dir);
    const char* m_pszMessage; // %1: the path
};

void PrintTo(const COpenFailureCase& c, std::ostream* os)
{
    *os << c.m_pszName;
}

class OpenFailureTest : public ::testing::TestWithParam<COpenFailureCase>
{
};

TEST_P(OpenFailureTest, ReportsTheMessageAndKeepsTheDocument)
{
    CTestTempDir dir;
    const std::string strPath = GetParam().m_pfnPrepare(dir);
    CTextDoc doc;
    doc.m_strText = "before";
    std::string strError;
    EXPECT_FALSE(doc.OnOpenDocument(strPath, strError));
    EXPECT_EQ(strError, FormatMessage1(GetParam().m_pszMessage, strPath));
    EXPECT_EQ(doc.m_strText, "before");
    EXPECT_FALSE(doc.IsModified());
}

INSTANTIATE_TEST_SUITE_P(
    Files, OpenFailureTest,
    ::testing::Values(COpenFailureCase{"Missing",
                                       [](const CTestTempDir& d) { return d.File("nessuno"); },
                                       "%1 non trovato."},
                      COpenFailureCase{"MissingFolder",
                                       [](const CTestTempDir& d) { return d.File("manca/file"); },
                                       "%1 non trovato."},
                      COpenFailureCase{"Folder",
                                       [](const CTestTempDir& d)
                                       {
                                           std::filesystem::create_directory(d.Path() / "cartella");
                                           return d.File("cartella");
                                       },
                                       "Accesso a %1 negato."},
                      // A pipe nobody writes to: refused at once, never waited on.
                      COpenFailureCase{"Pipe",
                                       [](const CTestTempDir& d)
                                       {
                                           ::mkfifo(d.File("tubo").c_str(), 0600);
                                           return d.File("tubo");
                                       },
                                       "Impossibile aprire il documento."},
                      COpenFailureCase{"Truncated",
                                       [](const CTestTempDir& d)
                                       {
                                           WriteFileBytes(d.File("corto"), {5, 'a', 'b'});
                                           return d.File("corto");
                                       },
                                       "Formato file inatteso."}),
    [](const ::testing::TestParamInfo<COpenFailureCase>& info) { return info.param.m_pszName; });

TEST(DocumentTest, FailedOpenKeepsTheModifiedFlag)
{
    CTextDoc doc;
    doc.SetModifiedFlag();
    std::string strError;
    EXPECT_FALSE(doc.OnOpenDocument("/nonexistent-tracelo/x", strError));
    EXPECT_TRUE(doc.IsModified());
}

TEST(DocumentTest, TooManyOpenFiles)
{
    CTestTempDir dir;
    WriteFileBytes(dir.File("doc"), {1, 'X'});
    std::vector<int> fds;
    std::string strError;
    CTextDoc doc;
    // The sanitizers check a polymorphic call the first time with the help
    // of a pipe: make those first calls while descriptors are still free.
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("doc"), strError));
    ASSERT_FALSE(doc.OnOpenDocument(dir.File("none"), strError));
    strError.clear();
    {
        CLimit limit(RLIMIT_NOFILE, 64);
        for (int fd = ::dup(0); fd >= 0; fd = ::dup(0))
        {
            fds.push_back(fd);
        }
        EXPECT_FALSE(doc.OnOpenDocument(dir.File("doc"), strError));
        for (const int fd : fds)
        {
            ::close(fd);
        }
    }
    EXPECT_EQ(strError, "Non è stato possibile aprire " + dir.File("doc") +
                            " poiché vi sono troppi file aperti.");
}

TEST(DocumentTest, UnreadableFileIsAccessDenied)
{
    if (IsRoot())
    {
        GTEST_SKIP() << "root reads every file";
    }
    CTestTempDir dir;
    WriteFileBytes(dir.File("doc"), {1, 'X'});
    ::chmod(dir.File("doc").c_str(), 0);
    CTextDoc doc;
    std::string strError;
    EXPECT_FALSE(doc.OnOpenDocument(dir.File("doc"), strError));
    EXPECT_EQ(strError, "Accesso a " + dir.File("doc") + " negato.");
}

TEST(AtomicFileTest, FailureWhileWritingKeepsTheOldFile)
{
    CTestTempDir dir;
    const std::string strPath = dir.File("grafico");
    const Bytes old = {1, 2, 3, 4, 5};
    WriteFileBytes(strPath, old);

    CTextDoc doc;
    doc.m_strText.assign(200000, 'x'); // more than the file size limit below
    doc.SetModifiedFlag();
    std::string strError;
    {
        CIgnoreFileSizeSignal ignore;
        CLimit limit(RLIMIT_FSIZE, 1000);
        EXPECT_FALSE(doc.OnSaveDocument(strPath, strError));
    }
    EXPECT_EQ(strError, "Impossibile salvare il documento.");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(ReadFileBytes(strPath), old);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"grafico"}); // no temporary left
}

TEST(AtomicFileTest, DiscardedWithoutCommitKeepsTheOldFile)
{
    CTestTempDir dir;
    const std::string strPath = dir.File("grafico");
    WriteFileBytes(strPath, {9, 9});
    {
        CAtomicFile file(strPath);
        file.Open();
        const Bytes data(100000, 7);
        file.Write(data.data(), data.size());
        EXPECT_EQ(dir.List().size(), 2u);
    }
    EXPECT_EQ(ReadFileBytes(strPath), (Bytes{9, 9}));
    EXPECT_EQ(dir.List(), std::vector<std::string>{"grafico"});
}

TEST(AtomicFileTest, CommitReplacesTheFileAndKeepsItsPermissions)
{
    CTestTempDir dir;
    const std::string strPath = dir.File("grafico");
    WriteFileBytes(strPath, {9, 9});
    ::chmod(strPath.c_str(), 0640);
    const Bytes data = {1, 2, 3};
    CAtomicFile file(strPath);
    file.Open();
    file.Write(data.data(), data.size());
    file.Commit();
    EXPECT_EQ(ReadFileBytes(strPath), data);
    struct stat st = {};
    ASSERT_EQ(::stat(strPath.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"grafico"});
}

TEST(AtomicFileTest, SymbolicLinkIsFollowed)
{
    CTestTempDir dir;
    const std::string strReal = dir.File("vero");
    const std::string strLink = dir.File("collegamento");
    WriteFileBytes(strReal, {9});
    std::filesystem::create_symlink(strReal, strLink);
    CTextDoc doc;
    doc.m_strText = "X";
    std::string strError;
    ASSERT_TRUE(doc.OnSaveDocument(strLink, strError)) << strError;
    EXPECT_TRUE(std::filesystem::is_symlink(strLink));
    EXPECT_EQ(ReadFileBytes(strReal), (Bytes{1, 'X'}));
}

struct CSaveFailureCase
{
    const char* m_pszName;
    std::string (*m_pfnPrepare)(const CTestTempDir& dir);
    const char* m_pszMessage;
};

void PrintTo(const CSaveFailureCase& c, std::ostream* os)
{
    *os << c.m_pszName;
}

class SaveFailureTest : public ::testing::TestWithParam<CSaveFailureCase>
{
};

TEST_P(SaveFailureTest, ReportsTheMessageAndWritesNothing)
{
    CTestTempDir dir;
    const std::string strPath = GetParam().m_pfnPrepare(dir);
    const auto before = dir.List();
    CTextDoc doc;
    doc.m_strText = "X";
    doc.SetModifiedFlag();
    std::string strError;
    EXPECT_FALSE(doc.OnSaveDocument(strPath, strError));
    EXPECT_EQ(strError, FormatMessage1(GetParam().m_pszMessage, strPath));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(dir.List(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, SaveFailureTest,
    ::testing::Values(CSaveFailureCase{"MissingFolder",
                                       [](const CTestTempDir& d) { return d.File("manca/g"); },
                                       "Nome file non valido."},
                      CSaveFailureCase{"Folder",
                                       [](const CTestTempDir& d)
                                       {
                                           std::filesystem::create_directory(d.Path() / "cartella");
                                           return d.File("cartella");
                                       },
                                       "Accesso a %1 negato."},
                      CSaveFailureCase{"Pipe",
                                       [](const CTestTempDir& d)
                                       {
                                           ::mkfifo(d.File("tubo").c_str(), 0600);
                                           return d.File("tubo");
                                       },
                                       "Accesso a %1 negato."},
                      CSaveFailureCase{"EmptyName",
                                       [](const CTestTempDir&) { return std::string(); },
                                       "Nome file non valido."}),
    [](const ::testing::TestParamInfo<CSaveFailureCase>& info) { return info.param.m_pszName; });

TEST(AtomicFileTest, ReadOnlyFileOrFolderIsAccessDenied)
{
    if (IsRoot())
    {
        GTEST_SKIP() << "root writes everywhere";
    }
    CTestTempDir dir;
    const std::string strFile = dir.File("solalettura");
    WriteFileBytes(strFile, {7});
    ::chmod(strFile.c_str(), 0444);
    CTextDoc doc;
    std::string strError;
    EXPECT_FALSE(doc.OnSaveDocument(strFile, strError));
    EXPECT_EQ(strError, "Accesso a " + strFile + " negato.");
    EXPECT_EQ(ReadFileBytes(strFile), Bytes{7});

    std::filesystem::create_directory(dir.Path() / "chiusa");
    ::chmod(dir.File("chiusa").c_str(), 0555);
    const std::string strInside = dir.File("chiusa") + "/g";
    EXPECT_FALSE(doc.OnSaveDocument(strInside, strError));
    EXPECT_EQ(strError, "Accesso a " + strInside + " negato.");
}

} // namespace
