// tracelo-export writing Enhanced Metafiles: by --format or the output's
// extension, to a file or standard output, and the message and status of an
// output that cannot be written.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "EmfReader.h"
#include "TestTempDir.h"
#include "ToolRunner.h"

namespace
{

std::string Data(const std::string& strName)
{
    return std::string(TRACELO_TEST_DATA_DIR) + "/" + strName;
}

CToolRun RunExport(const std::vector<std::string>& args)
{
    return RunTool(TRACELO_EXPORT, args);
}

// The graph of sin-red.grf: the new-graph window and divisions, SIN(X) in red.
void ExpectSinRedGraph(const std::vector<std::uint8_t>& vBytes)
{
    emf::CFile file;
    ASSERT_EQ(file.Parse(vBytes), "");
    EXPECT_EQ(file.GetHeader().m_nBytes, vBytes.size());
    EXPECT_EQ(file.GetHeader().m_nRecords, file.GetRecords().size());
    const emf::CRect& rclBounds = file.GetHeader().m_rclBounds;
    EXPECT_GE(rclBounds.left, 0);
    EXPECT_GE(rclBounds.top, 0);
    EXPECT_LT(rclBounds.right, 532);
    EXPECT_LT(rclBounds.bottom, 532);
    std::vector<std::string> vPens;
    for (const emf::CRecord* p : file.OfType(emf::kCreatePen))
    {
        vPens.push_back(emf::CFile::Hex(emf::CFile::Pen(*p).m_crColor));
    }
    EXPECT_EQ(vPens, (std::vector<std::string>{"0000FF", "000000"}));
    EXPECT_EQ(file.OfType(emf::kSetPixelV).size(), 4u * 166u);
    std::vector<std::string> vTexts;
    for (const emf::CRecord* p : file.OfType(emf::kExtTextOutW))
    {
        vTexts.push_back(emf::CFile::Text(*p).m_strText);
    }
    EXPECT_EQ(vTexts, (std::vector<std::string>{"2.0000000000", "-2.0000000000", "-2.0000000000",
                                                "2.0000000000"}));
}

TEST(EmfTool, WritesTheGraphByFormatByExtensionAndToStandardOutput)
{
    CTestTempDir dir;
    const struct
    {
        const char* pszName;
        std::vector<std::string> vArgs;
        std::string strFile; // empty: standard output
    } cases[] = {
        {"named format",
         {Data("sin-red.grf"), "--format", "emf", "-o", dir.File("a.out")},
         "a.out"},
        {"extension", {Data("sin-red.grf"), "-o", dir.File("b.EMF")}, "b.EMF"},
        {"standard output", {Data("sin-red.grf"), "--format", "emf"}, ""},
    };
    std::vector<std::vector<std::uint8_t>> vOutputs;
    for (const auto& c : cases)
    {
        const CToolRun run = RunExport(c.vArgs);
        EXPECT_EQ(run.m_nStatus, 0) << c.pszName;
        EXPECT_EQ(run.m_strErr, "") << c.pszName;
        const std::vector<std::uint8_t> vBytes =
            c.strFile.empty() ? run.OutBytes() : ReadFileBytes(dir.File(c.strFile));
        if (!c.strFile.empty())
        {
            EXPECT_TRUE(run.OutBytes().empty()) << c.pszName;
        }
        ExpectSinRedGraph(vBytes);
        vOutputs.push_back(vBytes);
    }
    // The same graph gives the same bytes whichever way it is asked for.
    EXPECT_EQ(vOutputs[0], vOutputs[1]);
    EXPECT_EQ(vOutputs[0], vOutputs[2]);
}

TEST(EmfTool, UnwritableOutputGivesItsMessageStatusOneAndNoFile)
{
    CTestTempDir dir;
    std::filesystem::create_directory(dir.Path() / "cartella");
    const struct
    {
        const char* pszName;
        std::string strOutput;
        std::string strErr;
    } cases[] = {
        {"missing folder", dir.File("manca/g.emf"), "Nome file non valido.\n"},
        {"a folder", dir.File("cartella"), "Accesso a " + dir.File("cartella") + " negato.\n"},
    };
    for (const auto& c : cases)
    {
        const CToolRun run = RunExport({Data("sin-red.grf"), "--format", "emf", "-o", c.strOutput});
        EXPECT_EQ(run.m_nStatus, 1) << c.pszName;
        EXPECT_EQ(run.m_strErr, c.strErr) << c.pszName;
        EXPECT_EQ(dir.List(), (std::vector<std::string>{"cartella"})) << c.pszName;
        EXPECT_TRUE(std::filesystem::is_empty(dir.Path() / "cartella")) << c.pszName;
    }
}

TEST(EmfTool, AGraphWithTooFewDivisionsIsHeaderAndEndOnly)
{
    CTestTempDir dir;
    // The new graph's bytes with 10 divisions.
    std::vector<std::uint8_t> vGraph = ReadFileBytes(Data("new-graph.grf"));
    ASSERT_GE(vGraph.size(), 36u);
    vGraph[32] = 10;
    vGraph[33] = 0;
    vGraph[34] = 0;
    vGraph[35] = 0;
    WriteFileBytes(dir.File("g.grf"), vGraph);
    const CToolRun run = RunExport({dir.File("g.grf"), "--format", "emf"});
    EXPECT_EQ(run.m_nStatus, 0);
    emf::CFile file;
    ASSERT_EQ(file.Parse(run.OutBytes()), "");
    EXPECT_EQ(file.GetRecords().size(), 2u);
}

} // namespace
