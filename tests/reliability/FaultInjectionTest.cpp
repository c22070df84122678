// Saving a graph or a metafile where the disk fills up in the middle, into a
// read-only folder, or into a folder that has vanished: the old file stays
// byte for byte, the graph stays modified, the failure has its message, and
// no temporary file is left behind.
#include <gtest/gtest.h>

#include <QGuiApplication>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "core/doc/Archive.h"
#include "core/doc/TraceloDoc.h"
#include "core/expr/GraphFunction.h"
#include "render/MetafileExport.h"

namespace fs = std::filesystem;

namespace
{

const std::string kOld = "the graph saved before";

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> FilesIn(const fs::path& dir)
{
    std::vector<std::string> v;
    for (const auto& entry : fs::directory_iterator(dir))
        v.push_back(entry.path().filename().string());
    std::sort(v.begin(), v.end());
    return v;
}

// A graph whose file is a few kilobytes.
std::unique_ptr<CTraceloDoc> BigGraph()
{
    auto pDoc = std::make_unique<CTraceloDoc>();
    for (int i = 0; i < 40; ++i)
    {
        pDoc->m_pFunctions->emplace_back(pDoc->m_pEvaluator.get());
        pDoc->m_pFunctions->back().m_strExpression = std::string(100, 'X');
    }
    pDoc->SetModifiedFlag(true);
    return pDoc;
}

CMetafile BigMetafile()
{
    std::unique_ptr<CTraceloDoc> pDoc = BigGraph();
    CMemorySink sink;
    ExportMetafile(*pDoc, sink);
    CMetafile metafile;
    metafile.m_vBytes = sink.GetData();
    return metafile;
}

// The three faults. Each prepares dir (holding the old file "grafico"),
// runs save(path) in the conditions of the fault and returns its message.
using FnSave = std::function<std::string(const std::string&)>;

class FaultInjection : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() / ("tracelo-faults-" + std::to_string(::getpid()));
        fs::create_directories(m_root);
    }
    void TearDown() override
    {
        if (m_bMounted)
            ::umount(m_dir.c_str());
        std::error_code ec;
        fs::permissions(m_dir, fs::perms::owner_all, ec);
        fs::remove_all(m_root, ec);
    }

    // dir with the old file in it.
    void MakeFolder()
    {
        m_dir = m_root / "cartella";
        fs::create_directories(m_dir);
        std::ofstream(m_dir / "grafico", std::ios::binary) << kOld;
    }

    // A file system of 64 KB, all but 1 KB of it taken by another file, so
    // that a save of a few kilobytes runs out of room in the middle. Needs
    // root; without it the process's file size limit stands in for the
    // full disk.
    std::string SaveOnAFullDisk(const FnSave& save)
    {
        m_dir = m_root / "cartella";
        fs::create_directories(m_dir);
        if (::geteuid() == 0 && ::mount("tmpfs", m_dir.c_str(), "tmpfs", 0, "size=64k") == 0)
        {
            m_bMounted = true;
            std::ofstream(m_dir / "grafico", std::ios::binary) << kOld;
            std::ofstream filler(m_dir / "altro", std::ios::binary);
            const std::string block(1024, 'f');
            for (int i = 0; i < 62 && filler; ++i)
                filler << block;
            filler.close();
            m_vOtherFiles = {"altro", "grafico"};
            return save((m_dir / "grafico").string());
        }
        std::ofstream(m_dir / "grafico", std::ios::binary) << kOld;
        m_vOtherFiles = {"grafico"};
        auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 1000;
        ::setrlimit(RLIMIT_FSIZE, &small);
        const std::string strMessage = save((m_dir / "grafico").string());
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        return strMessage;
    }

    // The folder made read-only; root ignores permissions, so the save then
    // runs in a child process as the unprivileged user, which reports its
    // message through a pipe.
    std::string SaveInAReadOnlyFolder(const FnSave& save)
    {
        MakeFolder();
        m_vOtherFiles = {"grafico"};
        fs::permissions(m_root, fs::perms::all);
        fs::permissions(m_dir, fs::perms::owner_read | fs::perms::owner_exec |
                                   fs::perms::group_read | fs::perms::group_exec |
                                   fs::perms::others_read | fs::perms::others_exec);
        if (::geteuid() != 0)
            return save((m_dir / "grafico").string());
        int fds[2];
        if (::pipe(fds) != 0)
            return "pipe";
        const pid_t pid = ::fork();
        if (pid == 0)
        {
            ::close(fds[0]);
            int nStatus = 1;
            if (::setgid(65534) == 0 && ::setuid(65534) == 0)
            {
                const std::string strMessage = save((m_dir / "grafico").string());
                nStatus = ::write(fds[1], strMessage.data(), strMessage.size()) < 0;
            }
            ::_exit(nStatus);
        }
        ::close(fds[1]);
        std::string strMessage;
        char buf[256];
        for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
            strMessage.append(buf, static_cast<std::size_t>(n));
        ::close(fds[0]);
        int nStatus = 0;
        ::waitpid(pid, &nStatus, 0);
        EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0);
        return strMessage;
    }

    std::string SaveInAVanishedFolder(const FnSave& save)
    {
        MakeFolder();
        const std::string strPath = (m_dir / "grafico").string();
        fs::remove_all(m_dir);
        const std::string strMessage = save(strPath);
        EXPECT_FALSE(fs::exists(m_dir)); // nothing made in its place
        return strMessage;
    }

    // The file saved to, as the messages name it.
    std::string Target() const { return (m_dir / "grafico").string(); }

    // The old file as it was and nothing else in the folder.
    void ExpectOldFileAlone()
    {
        if (!fs::exists(m_dir))
            return;
        EXPECT_EQ(ReadAll(m_dir / "grafico"), kOld);
        EXPECT_EQ(FilesIn(m_dir), m_vOtherFiles);
    }

    fs::path m_root;
    fs::path m_dir;
    bool m_bMounted = false;
    std::vector<std::string> m_vOtherFiles;
};

TEST_F(FaultInjection, GraphOnAFullDisk)
{
    std::unique_ptr<CTraceloDoc> pDoc = BigGraph();
    const std::string strMessage = SaveOnAFullDisk(
        [&](const std::string& strPath)
        {
            std::string strError;
            EXPECT_FALSE(pDoc->OnSaveDocument(strPath, strError));
            return strError;
        });
    EXPECT_EQ(strMessage, m_bMounted ? "Disco pieno durante l'accesso a " + Target() + "."
                                     : std::string("Impossibile salvare il documento."));
    EXPECT_TRUE(pDoc->IsModified());
    ExpectOldFileAlone();
}

TEST_F(FaultInjection, GraphInAReadOnlyFolder)
{
    std::unique_ptr<CTraceloDoc> pDoc = BigGraph();
    const std::string strMessage = SaveInAReadOnlyFolder(
        [&](const std::string& strPath)
        {
            std::string strError;
            pDoc->OnSaveDocument(strPath, strError);
            return strError;
        });
    EXPECT_EQ(strMessage, "Accesso a " + Target() + " negato.");
    EXPECT_TRUE(pDoc->IsModified());
    ExpectOldFileAlone();
}

TEST_F(FaultInjection, GraphInAVanishedFolder)
{
    std::unique_ptr<CTraceloDoc> pDoc = BigGraph();
    const std::string strMessage = SaveInAVanishedFolder(
        [&](const std::string& strPath)
        {
            std::string strError;
            EXPECT_FALSE(pDoc->OnSaveDocument(strPath, strError));
            return strError;
        });
    EXPECT_EQ(strMessage, "Nome file non valido.");
    EXPECT_TRUE(pDoc->IsModified());
}

TEST_F(FaultInjection, MetafileOnAFullDisk)
{
    const CMetafile metafile = BigMetafile();
    ASSERT_GT(metafile.m_vBytes.size(), 2000u);
    const std::string strMessage = SaveOnAFullDisk([&](const std::string& strPath)
                                                   { return SaveMetafile(metafile, strPath); });
    EXPECT_FALSE(strMessage.empty());
    if (m_bMounted)
    {
        EXPECT_EQ(strMessage, "Disco pieno durante l'accesso a " + Target() + ".");
    }
    ExpectOldFileAlone();
}

TEST_F(FaultInjection, MetafileInAReadOnlyFolder)
{
    const CMetafile metafile = BigMetafile();
    const std::string strMessage = SaveInAReadOnlyFolder(
        [&](const std::string& strPath) { return SaveMetafile(metafile, strPath); });
    EXPECT_EQ(strMessage, "Accesso a " + Target() + " negato.");
    ExpectOldFileAlone();
}

TEST_F(FaultInjection, MetafileInAVanishedFolder)
{
    const CMetafile metafile = BigMetafile();
    const std::string strMessage = SaveInAVanishedFolder(
        [&](const std::string& strPath) { return SaveMetafile(metafile, strPath); });
    EXPECT_EQ(strMessage, "Nome file non valido.");
}

} // namespace
