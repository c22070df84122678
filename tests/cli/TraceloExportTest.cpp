#include <cstdlib>
#include <cstring>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

#include <gtest/gtest.h>

#include "TestTempDir.h"
#include "ToolRunner.h"

namespace
{

using Bytes = std::vector<std::uint8_t>;

std::string Data(const std::string& strName)
{
    return std::string(TRACELO_TEST_DATA_DIR) + "/" + strName;
}

// Runs tracelo-export with these arguments, capturing both streams.
CToolRun RunExport(const std::vector<std::string>& args)
{
    return RunTool(TRACELO_EXPORT, args);
}

std::string AsText(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

TEST(TraceloExportTest, TableOfEveryKindOfSample)
{
    const CToolRun run = RunExport({Data("kinds.grf"), "--format", "table"});
    EXPECT_EQ(run.m_nStatus, 0);
    EXPECT_EQ(run.m_strErr, "");
    EXPECT_EQ(run.m_strOut, ReadText(Data("kinds.csv")));
}

TEST(TraceloExportTest, TableOfANewGraphsFunctionHasItsFiveHundredSamples)
{
    const CToolRun run = RunExport({"--format=table", Data("sin-red.grf")});
    ASSERT_EQ(run.m_nStatus, 0);
    EXPECT_EQ(run.m_strErr, "");
    std::istringstream lines(run.m_strOut);
    std::string strLine;
    std::vector<std::string> vLines;
    while (std::getline(lines, strLine))
    {
        vLines.push_back(strLine);
    }
    ASSERT_EQ(vLines.size(), 501u);
    EXPECT_EQ(vLines[0], "function,x,y");
    EXPECT_EQ(vLines[1].substr(0, 5), "1,-2,");
    EXPECT_EQ(vLines[500].substr(0, 21), "1,1.9920000000000033,");
}

TEST(TraceloExportTest, TableOfAGraphWithoutFunctionsIsTheHeader)
{
    const CToolRun run = RunExport({Data("new-graph.grf"), "--format", "table"});
    EXPECT_EQ(run.m_nStatus, 0);
    EXPECT_EQ(run.m_strOut, "function,x,y\n");
}

struct CGraphCase
{
    const char* m_pszFile;
    Bytes m_expected;
};

void PrintTo(const CGraphCase& c, std::ostream* os)
{
    *os << c.m_pszFile;
}

class GraphFormatTest : public ::testing::TestWithParam<CGraphCase>
{
};

TEST_P(GraphFormatTest, WritesTheGraphsBytes)
{
    const CToolRun run = RunExport({Data(GetParam().m_pszFile), "--format", "graph"});
    EXPECT_EQ(run.m_nStatus, 0);
    EXPECT_EQ(run.m_strErr, "");
    EXPECT_EQ(run.m_strOut, AsText(GetParam().m_expected));
}

Bytes FileBytes(const char* pszName)
{
    return ReadFileBytes(Data(pszName));
}

Bytes Corrected()
{
    // X 3..1 becomes 3..3.1, a NaN Y bound gives -2..2, 5 divisions 10,
    // grid 2 off; the bytes after the last record are gone.
    Bytes bytes = {0, 0, 0, 0, 0, 0, 8,    0x40, 0xCD, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 8,    0x40, 0,
                   0, 0, 0, 0, 0, 0, 0xC0, 0,    0,    0,    0,    0,    0,    0,    0x40, 10,   0,
                   0, 0, 0, 0, 0, 0, 1,    0,    0,    0,    1,    'X',  0xFF, 0,    0,    0};
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(Files, GraphFormatTest,
                         ::testing::Values(CGraphCase{"new-graph.grf", FileBytes("new-graph.grf")},
                                           CGraphCase{"sin-red.grf", FileBytes("sin-red.grf")},
                                           CGraphCase{"kinds.grf", FileBytes("kinds.grf")},
                                           CGraphCase{"needs-correction.grf", Corrected()}));

TEST(TraceloExportTest, FixturesHoldTheBytesOfTheFormat)
{
    EXPECT_EQ(FileBytes("new-graph.grf").size(), 44u);
    EXPECT_EQ(FileBytes("sin-red.grf").size(), 55u);
}

TEST(TraceloExportTest, OutputFileInsteadOfStandardOutput)
{
    CTestTempDir dir;
    const std::string strOut = dir.File("copia");
    WriteFileBytes(strOut, {1, 2, 3}); // replaced
    const CToolRun run = RunExport({Data("sin-red.grf"), "--format", "graph", "-o", strOut});
    EXPECT_EQ(run.m_nStatus, 0);
    EXPECT_EQ(run.m_strOut, "");
    EXPECT_EQ(run.m_strErr, "");
    EXPECT_EQ(ReadFileBytes(strOut), FileBytes("sin-red.grf"));
    EXPECT_EQ(dir.List(), std::vector<std::string>{"copia"});

    const CToolRun table =
        RunExport({Data("kinds.grf"), "--output", dir.File("t.csv"), "--format", "table"});
    EXPECT_EQ(table.m_nStatus, 0);
    EXPECT_EQ(ReadText(dir.File("t.csv")), ReadText(Data("kinds.csv")));
}

TEST(TraceloExportTest, GraphWrittenOverItself)
{
    CTestTempDir dir;
    const std::string strPath = dir.File("g");
    WriteFileBytes(strPath, FileBytes("needs-correction.grf"));
    const CToolRun run = RunExport({strPath, "--format", "graph", "-o", strPath});
    EXPECT_EQ(run.m_nStatus, 0);
    EXPECT_EQ(ReadFileBytes(strPath), Corrected());
}

// A file marked read-only is not replaced, as the program's Save refuses it,
// even when the user (root) could write it; nothing else is left behind.
TEST(TraceloExportTest, ReadOnlyOutputIsNotReplaced)
{
    CTestTempDir dir;
    const std::string strOut = dir.File("protetto");
    WriteFileBytes(strOut, {1, 2, 3});
    ASSERT_EQ(::chmod(strOut.c_str(), 0444), 0);
    for (const char* pszFormat : {"graph", "table", "emf"})
    {
        const CToolRun run = RunExport({Data("sin-red.grf"), "--format", pszFormat, "-o", strOut});
        EXPECT_EQ(run.m_nStatus, 1) << pszFormat;
        EXPECT_EQ(run.m_strErr, "Accesso a " + strOut + " negato.\n") << pszFormat;
        EXPECT_EQ(ReadFileBytes(strOut), (Bytes{1, 2, 3})) << pszFormat;
        EXPECT_EQ(dir.List(), std::vector<std::string>{"protetto"}) << pszFormat;
    }
}

struct CErrorCase
{
    const char* m_pszName;
    std::vector<std::string> m_args; // "@" + name: a file of tests/data; "~": a missing file
    int m_nStatus;
    std::string m_strErr; // exact standard error; for usage errors its first line
};

void PrintTo(const CErrorCase& c, std::ostream* os)
{
    *os << c.m_pszName;
}

class ExportErrorTest : public ::testing::TestWithParam<CErrorCase>
{
};

const char kMissing[] = "/nonexistent-tracelo-folder/grafico";

TEST_P(ExportErrorTest, MessageAndStatus)
{
    const CErrorCase& c = GetParam();
    std::vector<std::string> args;
    for (const std::string& arg : c.m_args)
    {
        args.push_back(arg.starts_with("@") ? Data(arg.substr(1)) : arg);
    }
    const CToolRun run = RunExport(args);
    EXPECT_EQ(run.m_nStatus, c.m_nStatus);
    EXPECT_EQ(run.m_strOut, "");
    if (c.m_nStatus == 2)
    {
        const std::string strUsage =
            "Uso: tracelo-export FILEGRAFICO --format FORMATO [-o USCITA] [--size LxA]\n";
        EXPECT_EQ(run.m_strErr, c.m_strErr + "\n" + strUsage);
    }
    else
    {
        EXPECT_EQ(run.m_strErr, c.m_strErr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExportErrorTest,
    ::testing::Values(CErrorCase{"MissingFile",
                                 {kMissing, "--format", "table"},
                                 1,
                                 "/nonexistent-tracelo-folder/grafico non trovato.\n"},
                      CErrorCase{"Folder", {"/", "--format", "table"}, 1, "Accesso a / negato.\n"},
                      CErrorCase{"CutInTheThirdRecord",
                                 {"@cut-in-third-record.grf", "--format", "graph"},
                                 1,
                                 "Formato file inatteso.\n"},
                      CErrorCase{"OutputInAMissingFolder",
                                 {"@sin-red.grf", "--format", "graph", "-o", kMissing},
                                 1,
                                 "Nome file non valido.\n"},
                      CErrorCase{"OutputIsAFolder",
                                 {"@sin-red.grf", "--format", "table", "-o", "/"},
                                 1,
                                 "Accesso a / negato.\n"},
                      CErrorCase{"NoArguments", {}, 2, "tracelo-export: manca il file del grafico"},
                      CErrorCase{"NoFormat", {"@sin-red.grf"}, 2, "tracelo-export: manca --format"},
                      CErrorCase{"UnknownFormat",
                                 {"@sin-red.grf", "--format", "bmp"},
                                 2,
                                 "tracelo-export: formato sconosciuto: bmp "
                                 "(table, graph, png, svg, pdf, emf)"},
                      // Usage is checked before the graph is opened.
                      CErrorCase{"UnknownFormatOfAMissingFile",
                                 {kMissing, "--format", "xyz"},
                                 2,
                                 "tracelo-export: formato sconosciuto: xyz "
                                 "(table, graph, png, svg, pdf, emf)"},
                      CErrorCase{"FormatWithoutValue",
                                 {"@sin-red.grf", "--format"},
                                 2,
                                 "tracelo-export: manca il valore di --format"},
                      CErrorCase{"EmptyOutput",
                                 {"@sin-red.grf", "--format", "table", "-o", ""},
                                 2,
                                 "tracelo-export: manca il valore di -o"},
                      CErrorCase{"UnknownOption",
                                 {"@sin-red.grf", "--format", "table", "--dpi", "300"},
                                 2,
                                 "tracelo-export: opzione sconosciuta: --dpi"},
                      CErrorCase{"TwoGraphs",
                                 {"@sin-red.grf", "@kinds.grf", "--format", "table"},
                                 2,
                                 std::string("tracelo-export: argomento in più: ") +
                                     TRACELO_TEST_DATA_DIR + "/kinds.grf"},
                      CErrorCase{"RepeatedFormat",
                                 {"@sin-red.grf", "--format", "table", "--format", "graph"},
                                 2,
                                 "tracelo-export: opzione ripetuta: --format"}),
    [](const ::testing::TestParamInfo<CErrorCase>& info) { return info.param.m_pszName; });

TEST(TraceloExportTest, HelpListsTheFormats)
{
    for (const char* psz : {"--help", "-h"})
    {
        const CToolRun run = RunExport({psz});
        EXPECT_EQ(run.m_nStatus, 0);
        EXPECT_EQ(run.m_strErr, "");
        EXPECT_TRUE(run.m_strOut.starts_with(
            "Uso: tracelo-export FILEGRAFICO --format FORMATO [-o USCITA] [--size LxA]\n"));
        EXPECT_NE(run.m_strOut.find("\n  table "), std::string::npos);
        EXPECT_NE(run.m_strOut.find("\n  graph "), std::string::npos);
    }
}

TEST(TraceloExportTest, DashDashEndsTheOptions)
{
    CTestTempDir dir;
    const std::string strPath = dir.File("-g");
    WriteFileBytes(strPath, FileBytes("sin-red.grf"));
    const CToolRun run = RunExport({"--format", "graph", "--", strPath});
    EXPECT_EQ(run.m_nStatus, 0);
    EXPECT_EQ(run.m_strOut, AsText(FileBytes("sin-red.grf")));
}

} // namespace

namespace
{

// A graph of nCount functions strText at nDivisions, in the file format.
Bytes GraphOf(const std::string& strText, int nCount, std::int32_t nDivisions)
{
    Bytes bytes;
    auto put = [&bytes](const void* p, std::size_t n)
    {
        const auto* b = static_cast<const std::uint8_t*>(p);
        bytes.insert(bytes.end(), b, b + n);
    };
    for (const double d : {-2.0, 2.0, -2.0, 2.0})
        put(&d, sizeof d);
    const std::int32_t aHeader[] = {nDivisions, 1, nCount};
    put(aHeader, sizeof aHeader);
    for (int i = 0; i < nCount; ++i)
    {
        const auto nLength = static_cast<std::uint8_t>(strText.size());
        put(&nLength, 1);
        put(strText.data(), strText.size());
        const std::uint32_t crColor = 0;
        put(&crColor, sizeof crColor);
    }
    return bytes;
}

// Curves that do not fit in the memory left to the program: the message once
// on standard error, status 1, no output file, for every format that samples.
TEST(TraceloExportTest, CurvesThatDoNotFitInMemoryAreReported)
{
    CTestTempDir dir;
    const std::string strGraph = dir.File("mille.grf");
    WriteFileBytes(strGraph, GraphOf("X", 1000, 1000000));
    // 20 MB: not even the X values and one curve of a million samples.
    setenv("TRACELO_MEMORY_LIMIT", "20000000", 1);
    for (const char* pszFormat : {"table", "png", "svg", "emf"})
    {
        SCOPED_TRACE(pszFormat);
        const CToolRun run = RunExport({strGraph, "--format", pszFormat, "-o", dir.File("uscita")});
        EXPECT_EQ(run.m_nStatus, 1);
        EXPECT_EQ(run.m_strErr, "Memoria insufficiente.\n");
        EXPECT_EQ(dir.List(), std::vector<std::string>{"mille.grf"});
    }
    // A graph that fits is exported as before under the same limit.
    const CToolRun run = RunExport({Data("kinds.grf"), "--format", "table"});
    EXPECT_EQ(run.m_nStatus, 0);
    EXPECT_EQ(run.m_strOut, ReadText(Data("kinds.csv")));
    unsetenv("TRACELO_MEMORY_LIMIT");
}

// A graph whose records alone would not fit is refused before it is read,
// with the same message and status.
TEST(TraceloExportTest, RecordsThatDoNotFitInMemoryAreReported)
{
    CTestTempDir dir;
    const std::string strGraph = dir.File("vuote.grf");
    WriteFileBytes(strGraph, GraphOf("", 1000000, 500));
    setenv("TRACELO_MEMORY_LIMIT", "1000000", 1);
    const CToolRun run = RunExport({strGraph, "--format", "table", "-o", dir.File("uscita")});
    unsetenv("TRACELO_MEMORY_LIMIT");
    EXPECT_EQ(run.m_nStatus, 1);
    EXPECT_EQ(run.m_strErr, "Memoria insufficiente.\n");
    EXPECT_EQ(dir.List(), std::vector<std::string>{"vuote.grf"});
}

// A sampling that lasts shows its progress on standard error when that is a
// terminal, on one line cleared at the end; otherwise nothing.
TEST(TraceloExportTest, ProgressOnATerminalOnly)
{
    if (std::system("command -v script >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no script(1) to give the program a terminal";
    CTestTempDir dir;
    const std::string strGraph = dir.File("lento.grf");
    std::string strSlow = "X";
    for (int i = 0; i < 12; ++i)
        strSlow += "+SIN(X*" + std::to_string(i) + ")^2";
    WriteFileBytes(strGraph, GraphOf(strSlow, 2, 1000000));
    const std::string strCommand =
        std::string(TRACELO_EXPORT) + " " + strGraph + " --format svg -o " + dir.File("uscita.svg");

    const CToolRun terminal = RunTool("script", {"-qec", strCommand + " >/dev/null", "/dev/null"});
    EXPECT_EQ(terminal.m_nStatus, 0);
    const std::string strLine = "\rCalcolo delle funzioni in corso... ";
    EXPECT_NE(terminal.m_strOut.find(strLine), std::string::npos) << terminal.m_strOut;
    EXPECT_NE(terminal.m_strOut.find("%\r"), std::string::npos);
    // Cleared: the last line written is blanks, back to its start.
    EXPECT_EQ(terminal.m_strOut.substr(terminal.m_strOut.rfind('\r', terminal.m_strOut.size() - 2)),
              "\r" + std::string(std::strlen("Calcolo delle funzioni in corso...") + 5, ' ') +
                  "\r");

    const CToolRun plain = RunExport({strGraph, "--format", "svg", "-o", dir.File("uscita.svg")});
    EXPECT_EQ(plain.m_nStatus, 0);
    EXPECT_EQ(plain.m_strErr, "");
}

} // namespace
