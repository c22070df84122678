// The shell's pieces that need no window: the command line, the recent-file
// list, the proposed save name and the resource tables that the menus and
// panes are built from.
#include <QCoreApplication>
#include <QSettings>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

#include "TestTempDir.h"
#include "res/ShellResources.h"
#include "shell/CommandLineInfo.h"
#include "shell/OpenGraphs.h"
#include "shell/RecentFileList.h"

TEST(CommandLine, SwitchesFileNamesAndCase)
{
    struct CCase
    {
        std::vector<std::string> m_vArgs;
        CCommandLineInfo::EShellCommand m_eCommand;
        std::string m_strFile;
        std::string m_strPrinter;
    };
    const CCase kCases[] = {
        {{}, CCommandLineInfo::FileNew, "", ""},
        {{"graph"}, CCommandLineInfo::FileOpen, "graph", ""},
        {{"/p", "graph"}, CCommandLineInfo::FilePrint, "graph", ""},
        {{"-p", "graph"}, CCommandLineInfo::FilePrint, "graph", ""},
        // Upper case is not the print switch: the file opens normally.
        {{"/P", "graph"}, CCommandLineInfo::FileOpen, "graph", ""},
        {{"/pt", "graph", "Laser", "drv", "LPT1"}, CCommandLineInfo::FilePrintTo, "graph", "Laser"},
        {{"/PT", "graph"}, CCommandLineInfo::FileOpen, "graph", ""},
        {{"/Unregister"}, CCommandLineInfo::AppUnregister, "", ""},
        {{"/unregister"}, CCommandLineInfo::AppUnregister, "", ""},
        {{"-UNREGSERVER"}, CCommandLineInfo::AppUnregister, "", ""},
        {{"/dde"}, CCommandLineInfo::FileDDE, "", ""},
        {{"/DDE"}, CCommandLineInfo::FileNew, "", ""},
        {{"/Embedding", "graph"}, CCommandLineInfo::FileOpen, "graph", ""},
        {{"/Automation"}, CCommandLineInfo::FileNew, "", ""},
        {{"/whatever", "graph", "second"}, CCommandLineInfo::FileOpen, "graph", ""},
        // Full paths here begin with '/' too: they are file names.
        {{"/home/anna/seno"}, CCommandLineInfo::FileOpen, "/home/anna/seno", ""},
        {{"/p", "/home/anna/seno"}, CCommandLineInfo::FilePrint, "/home/anna/seno", ""},
        {{"/tmp"}, CCommandLineInfo::FileOpen, "/tmp", ""},
    };
    for (const CCase& c : kCases)
    {
        CCommandLineInfo info;
        info.ParseCommandLine(c.m_vArgs);
        const std::string strArgs = ::testing::PrintToString(c.m_vArgs);
        EXPECT_EQ(info.m_nShellCommand, c.m_eCommand) << strArgs;
        EXPECT_EQ(info.m_strFileName, c.m_strFile) << strArgs;
        EXPECT_EQ(info.m_strPrinterName, c.m_strPrinter) << strArgs;
    }
    CCommandLineInfo info;
    info.ParseCommandLine({"/pt", "graph", "Laser", "drv", "LPT1"});
    EXPECT_EQ(info.m_strDriverName, "drv");
    EXPECT_EQ(info.m_strPortName, "LPT1");
    CCommandLineInfo embedded;
    embedded.ParseCommandLine({"/Embedding"});
    EXPECT_TRUE(embedded.m_bRunEmbedded);
}

TEST(RecentFileList, NewestFirstNoDuplicatesFourKept)
{
    CRecentFileList list("Recent File List", "File%d", 4, 30);
    for (const char* psz : {"/a/1", "/a/2", "/a/3", "/a/4", "/a/5"})
    {
        list.Add(psz);
    }
    ASSERT_EQ(list.GetCount(), 4);
    EXPECT_EQ(list[0], "/a/5");
    EXPECT_EQ(list[3], "/a/2");
    list.Add("/a/3"); // reopened: moves up, not in twice
    ASSERT_EQ(list.GetCount(), 4);
    EXPECT_EQ(list[0], "/a/3");
    EXPECT_EQ(list[1], "/a/5");
    EXPECT_EQ(list[2], "/a/4");
    EXPECT_EQ(list[3], "/a/2");
    list.Remove(1);
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list[1], "/a/4");
    list.Add("");
    EXPECT_EQ(list.GetCount(), 3);
}

TEST(RecentFileList, DisplayNames)
{
    struct CCase
    {
        const char* m_pszPath;
        const char* m_pszCurrentDir;
        const char* m_pszShown;
    };
    const CCase kCases[] = {
        {"/home/anna/seno", "/tmp", "/home/anna/seno"},
        {"/home/anna/seno", "/home/anna", "seno"},
        {"/home/anna/seno", "/home/anna/", "seno"},
        {"/seno", "/", "seno"},
        // 36 characters: folders after the root give way to "...".
        {"/home/anna/grafici/lavoro/onda sin", "/tmp", "/.../grafici/lavoro/onda sin"},
        {"/home/anna/documenti/grafici/lavoro/onda", "/tmp", "/.../grafici/lavoro/onda"},
        // Exactly 30 characters stay whole.
        {"/home/anna/grafici/abcdefghijk", "/tmp", "/home/anna/grafici/abcdefghijk"},
        // A name too long for the root and "..." is shown alone.
        {"/home/un-nome-di-file-davvero-molto-lungo", "/tmp",
         "un-nome-di-file-davvero-molto-lungo"},
        // Characters, not bytes: "è" counts once.
        {"/home/anna/grafici/èèèè-x/onda", "/tmp", "/home/anna/grafici/èèèè-x/onda"},
    };
    for (const CCase& c : kCases)
    {
        CRecentFileList list("Recent File List", "File%d", 4, 30);
        list.Add(c.m_pszPath);
        EXPECT_EQ(list.GetDisplayName(0, c.m_pszCurrentDir), c.m_pszShown) << c.m_pszPath;
    }
    EXPECT_EQ(AbbreviatePath("/home/un-nome-di-file-davvero-molto-lungo", 30, false), "");
    EXPECT_EQ(EscapeMnemonics("R&D && co"), "R&&D &&&& co");
}

TEST(RecentFileList, KeptInItsSectionAcrossARestart)
{
    CTestTempDir dir;
    const QString strFile = QString::fromStdString(dir.File("settings.ini"));
    {
        CRecentFileList list("Recent File List", "File%d", 4, 30);
        list.Add("/x/old");
        list.Add("/x/new");
        QSettings settings(strFile, QSettings::IniFormat);
        settings.setValue("Recent File List/File4", "/stale"); // removed by the write
        list.WriteList(settings);
    }
    QSettings settings(strFile, QSettings::IniFormat);
    EXPECT_EQ(settings.value("Recent File List/File1").toString(), "/x/new");
    EXPECT_EQ(settings.value("Recent File List/File2").toString(), "/x/old");
    EXPECT_FALSE(settings.contains("Recent File List/File4"));
    CRecentFileList list("Recent File List", "File%d", 4, 30);
    list.ReadList(settings);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list[0], "/x/new");
    EXPECT_EQ(list[1], "/x/old");
}

// Names come back byte for byte, whatever their bytes; those that are text
// stay text in the settings.
TEST(RecentFileList, NamesComeBackByteForByte)
{
    const std::string kPaths[] = {
        "/x/seno",
        "/x/caff\xC3\xA8 @ 100%", // UTF-8
        "/x/caff\xE8",            // Latin-1, not UTF-8
        "/x/\xFF\xFE/\x80",       // no text at all
        "/x/@ByteArray(seno)",
    };
    CTestTempDir dir;
    const QString strFile = QString::fromStdString(dir.File("settings.ini"));
    {
        CRecentFileList list("Recent File List", "File%d", 5, 30);
        for (auto it = std::rbegin(kPaths); it != std::rend(kPaths); ++it)
        {
            list.Add(*it);
        }
        QSettings settings(strFile, QSettings::IniFormat);
        list.WriteList(settings);
    }
    QSettings settings(strFile, QSettings::IniFormat);
    EXPECT_EQ(settings.value("Recent File List/File2").toString(),
              QString::fromUtf8("/x/caff\u00E8 @ 100%"));
    CRecentFileList list("Recent File List", "File%d", 5, 30);
    list.ReadList(settings);
    ASSERT_EQ(list.GetCount(), 5);
    for (int i = 0; i < 5; ++i)
    {
        EXPECT_EQ(list[i], kPaths[i]) << i;
    }
}

TEST(SaveAs, ProposedNameIsTheTitleCutBeforeTheFirstBadCharacter)
{
    struct CCase
    {
        const char* m_pszTitle;
        const char* m_pszName;
    };
    const CCase kCases[] = {
        {"Tracel1", "Tracel1"}, {"my graph", "my"}, {"a#b", "a"},  {"50%", "50"},
        {"x;y", "x"},           {"d/e", "d"},       {"f\\g", "f"}, {" lead", ""},
    };
    for (const CCase& c : kCases)
    {
        EXPECT_EQ(ProposedFileName(c.m_pszTitle), c.m_pszName) << c.m_pszTitle;
    }
}

TEST(Resources, CommandStringsSplitIntoPromptAndTooltip)
{
    struct CCase
    {
        unsigned m_nID;
        const char* m_pszPrompt;
        const char* m_pszTooltip;
    };
    const CCase kCases[] = {
        {57600, "Crea un nuovo documento", "Nuovo"},
        {57601, "Apre un documento esistente", "Apri"},
        {57637, "Elimina una funzione dal grafico", ""},
        {57620, "Apre questo documento", ""},
        {57664,
         "Visualizza le informazioni sul programma, il numero di versione e le informazioni di "
         "copyright",
         "Informazioni su"},
        {32777, "", ""}, // the context menu's commands have no string
    };
    for (const CCase& c : kCases)
    {
        EXPECT_EQ(res::GetCommandPrompt(c.m_nID), c.m_pszPrompt) << c.m_nID;
        EXPECT_EQ(res::GetCommandTooltip(c.m_nID), c.m_pszTooltip) << c.m_nID;
    }
    EXPECT_EQ(res::LoadString(32777), nullptr);
}

TEST(Resources, DocumentStringFields)
{
    const char* kFields[] = {"", "Tracel", "Tracel", "", "", "Tracelo.Document", "Tracel Document"};
    for (int i = 0; i < 7; ++i)
    {
        EXPECT_EQ(res::GetDocString(129, i), kFields[i]) << i;
    }
    EXPECT_EQ(res::GetDocString(129, 7), "");
}
