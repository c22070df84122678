#include <cerrno>
#include <csignal>
#include <filesystem>
#include <new>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "TestTempDir.h"
#include "core/doc/Archive.h"
#include "core/doc/AtomicFile.h"
#include "core/doc/Document.h"
#include "core/doc/FileErrors.h"

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
        if (m_bOutOfMemory)
        {
            throw std::bad_alloc();
        }
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
    bool m_bOutOfMemory = false; // every Serialize runs out of memory
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

// Memory running out while a document is read or written is reported as
// such; the document and the file stay as they were.
TEST(DocumentTest, MemoryRunningOutIsReportedOnOpenAndSave)
{
    CTestTempDir dir;
    const std::string strPath = dir.File("testo");
    CTextDoc saved;
    saved.m_strText = "prima";
    std::string strError;
    ASSERT_TRUE(saved.OnSaveDocument(strPath, strError));
    const Bytes before = ReadFileBytes(strPath);
    for (const bool bSave : {false, true})
    {
        CTextDoc doc;
        doc.m_strText = "dopo";
        doc.SetModifiedFlag();
        doc.m_bOutOfMemory = true;
        strError.clear();
        EXPECT_FALSE(bSave ? doc.OnSaveDocument(strPath, strError)
                           : doc.OnOpenDocument(strPath, strError));
        EXPECT_EQ(strError, "Memoria insufficiente.") << bSave;
        EXPECT_EQ(doc.m_strText, "dopo");
        EXPECT_TRUE(doc.IsModified());
        EXPECT_EQ(ReadFileBytes(strPath), before);
        EXPECT_EQ(dir.List().size(), 1u);
    }
}

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
    EXPECT_EQ(strError, "Disco pieno durante l'accesso a " + strPath + ".");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(ReadFileBytes(strPath), old);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"grafico"}); // no temporary left
}

// Runs fnChild in a child process and returns how it ended (waitpid's status).
template <typename Fn> int RunInChild(Fn fnChild)
{
    const pid_t pid = ::fork();
    if (pid == 0)
    {
        fnChild();
        ::_exit(0);
    }
    int nStatus = 0;
    ::waitpid(pid, &nStatus, 0);
    return nStatus;
}

TEST(AtomicFileTest, FileSizeLimitIsADiskFullMessageNotTheEndOfTheProgram)
{
    CTestTempDir dir;
    const std::string strPath = dir.File("grafico");
    WriteFileBytes(strPath, {1, 2, 3});
    const int nStatus = RunInChild(
        [&]
        {
            // As a program started without anything ignoring the signal.
            std::signal(SIGXFSZ, SIG_DFL);
            CLimit limit(RLIMIT_FSIZE, 1000);
            CTextDoc doc;
            doc.m_strText.assign(200000, 'x');
            std::string strError;
            const bool bSaved = doc.OnSaveDocument(strPath, strError);
            ::_exit(!bSaved && strError == "Disco pieno durante l'accesso a " + strPath + "." ? 0
                                                                                              : 3);
        });
    ASSERT_TRUE(WIFEXITED(nStatus)) << "ended by signal " << WTERMSIG(nStatus);
    EXPECT_EQ(WEXITSTATUS(nStatus), 0);
    EXPECT_EQ(ReadFileBytes(strPath), (Bytes{1, 2, 3}));
    EXPECT_EQ(dir.List(), std::vector<std::string>{"grafico"});
}

// A save killed while it writes leaves nothing beside the old file, or (on
// file systems without unnamed files) one temporary that the next save of
// the same file removes.
TEST(AtomicFileTest, KilledSaveLeavesNothingTheNextSaveDoesNotClean)
{
    for (const bool bNamed : {false, true})
    {
        CTestTempDir dir;
        const std::string strPath = dir.File("grafico");
        WriteFileBytes(strPath, {1, 2, 3});
        for (int nKill = 0; nKill < 3; ++nKill)
        {
            const int nStatus = RunInChild(
                [&]
                {
                    CAtomicFile file(strPath);
                    if (bNamed)
                    {
                        file.UseNamedTemporary();
                    }
                    file.Open();
                    const Bytes data(200000, 7);
                    file.Write(data.data(), data.size());
                    ::raise(SIGKILL);
                });
            ASSERT_TRUE(WIFSIGNALED(nStatus));
            EXPECT_EQ(ReadFileBytes(strPath), (Bytes{1, 2, 3}));
            EXPECT_LE(dir.List().size(), bNamed ? 2u : 1u);
        }
        CTextDoc doc;
        doc.m_strText = "X";
        std::string strError;
        ASSERT_TRUE(doc.OnSaveDocument(strPath, strError)) << strError;
        EXPECT_EQ(ReadFileBytes(strPath), (Bytes{1, 'X'}));
        EXPECT_EQ(dir.List(), std::vector<std::string>{"grafico"}) << "named: " << bNamed;
    }
}

TEST(AtomicFileTest, LongestLegalPathSaves)
{
    // 4,090 characters: under the system's path limit of 4,096 with its
    // terminating zero, in folders of legal names of 200 characters.
    CTestTempDir dir;
    std::string strPath = dir.Path().string();
    while (strPath.size() + 1 + 200 < 4090 - 20)
    {
        strPath += "/" + std::string(200, 'c');
        ASSERT_EQ(::mkdir(strPath.c_str(), 0700), 0) << strPath.size();
    }
    strPath += "/" + std::string(4090 - strPath.size() - 1, 'g');
    ASSERT_EQ(strPath.size(), 4090u);
    CTextDoc doc;
    doc.m_strText = "X";
    std::string strError;
    ASSERT_TRUE(doc.OnSaveDocument(strPath, strError)) << strError;
    doc.m_strText = "Y";
    ASSERT_TRUE(doc.OnSaveDocument(strPath, strError)) << strError;
    EXPECT_EQ(ReadFileBytes(strPath), (Bytes{1, 'Y'}));
    const std::size_t slash = strPath.rfind('/');
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(strPath.substr(0, slash)),
                            std::filesystem::directory_iterator()),
              1);
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
        // Unnamed while it is written.
        EXPECT_EQ(dir.List(), std::vector<std::string>{"grafico"});
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

TEST(AtomicFileTest, ReadOnlyFileIsAccessDeniedEvenToRoot)
{
    // A file marked read-only is refused even to root, who could write it.
    CTestTempDir dir;
    const std::string strFile = dir.File("solalettura");
    WriteFileBytes(strFile, {7});
    ::chmod(strFile.c_str(), 0444);
    CTextDoc doc;
    std::string strError;
    EXPECT_FALSE(doc.OnSaveDocument(strFile, strError));
    EXPECT_EQ(strError, "Accesso a " + strFile + " negato.");
    EXPECT_EQ(ReadFileBytes(strFile), Bytes{7});
}

TEST(AtomicFileTest, ReadOnlyFolderIsAccessDenied)
{
    if (IsRoot())
    {
        GTEST_SKIP() << "root writes in any folder";
    }
    CTestTempDir dir;
    CTextDoc doc;
    std::string strError;
    std::filesystem::create_directory(dir.Path() / "chiusa");
    ::chmod(dir.File("chiusa").c_str(), 0555);
    const std::string strInside = dir.File("chiusa") + "/g";
    EXPECT_FALSE(doc.OnSaveDocument(strInside, strError));
    EXPECT_EQ(strError, "Accesso a " + strInside + " negato.");
}

// A link in a folder where anyone may create files, such as /tmp, is
// followed only when it is the user's or the folder owner's.
TEST(AtomicFileTest, LinkInAStickyWorldWritableFolderFromAnotherUserIsRefused)
{
    if (!IsRoot())
    {
        GTEST_SKIP() << "giving files to other users needs root";
    }
    constexpr uid_t kFolderOwner = 1;
    constexpr uid_t kOther = 2;
    const struct
    {
        const char* m_pszName;
        mode_t m_nFolderMode;
        uid_t m_nLinkOwner;
        bool m_bFollowed;
    } kCases[] = {
        {"another user's link in a sticky shared folder", 01777, kOther, false},
        {"the user's own link there", 01777, 0, true},
        {"the folder owner's link there", 01777, kFolderOwner, true},
        {"another user's link without the sticky bit", 0777, kOther, true},
        {"another user's link in a sticky folder only its owner writes", 01755, kOther, true},
    };
    for (const auto& c : kCases)
    {
        CTestTempDir dir;
        const std::string strVictim = dir.File("vero");
        WriteFileBytes(strVictim, {9});
        const std::string strShared = dir.File("condivisa");
        ASSERT_EQ(::mkdir(strShared.c_str(), 0700), 0);
        ASSERT_EQ(::chown(strShared.c_str(), kFolderOwner, kFolderOwner), 0);
        ASSERT_EQ(::chmod(strShared.c_str(), c.m_nFolderMode), 0);
        const std::string strLink = strShared + "/collegamento";
        ASSERT_EQ(::symlink(strVictim.c_str(), strLink.c_str()), 0);
        ASSERT_EQ(::lchown(strLink.c_str(), c.m_nLinkOwner, c.m_nLinkOwner), 0);

        CTextDoc doc;
        doc.m_strText = "X";
        std::string strError;
        EXPECT_EQ(doc.OnSaveDocument(strLink, strError), c.m_bFollowed) << c.m_pszName;
        EXPECT_EQ(strError, c.m_bFollowed ? std::string() : "Accesso a " + strLink + " negato.")
            << c.m_pszName;
        const Bytes expected = c.m_bFollowed ? Bytes{1, 'X'} : Bytes{9};
        EXPECT_EQ(ReadFileBytes(strVictim), expected) << c.m_pszName;
        EXPECT_TRUE(std::filesystem::is_symlink(strLink)) << c.m_pszName;
    }
}

TEST(AtomicFileTest, ReplacedFileKeepsOwnerAndGroupButNotSetuidOrSetgid)
{
    CTestTempDir dir;
    const std::string strPath = dir.File("grafico");
    WriteFileBytes(strPath, {9});
    const bool bRoot = IsRoot();
    if (bRoot)
    {
        ASSERT_EQ(::chown(strPath.c_str(), 1234, 5678), 0);
    }
    ASSERT_EQ(::chmod(strPath.c_str(), 06750), 0);
    CTextDoc doc;
    doc.m_strText = "X";
    std::string strError;
    ASSERT_TRUE(doc.OnSaveDocument(strPath, strError)) << strError;
    struct stat st = {};
    ASSERT_EQ(::stat(strPath.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0750u);
    if (bRoot)
    {
        EXPECT_EQ(st.st_uid, 1234u);
        EXPECT_EQ(st.st_gid, 5678u);
    }
}

} // namespace
