// tracelo-export writing pictures (PNG, SVG, PDF): the format from --format
// or the output's extension, the size, standard output, and the usage errors.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "TestTempDir.h"
#include "ToolRunner.h"

namespace
{

// The arguments after the graph, split at spaces; %D is the folder dir.
CToolRun RunExport(const CTestTempDir& dir, const std::string& strArguments)
{
    std::vector<std::string> args = {std::string(TRACELO_TEST_DATA_DIR) + "/sin-red.grf"};
    std::istringstream in(strArguments);
    for (std::string strArg; in >> strArg;)
    {
        for (std::size_t n; (n = strArg.find("%D")) != std::string::npos;)
        {
            strArg.replace(n, 2, dir.Path().string());
        }
        args.push_back(strArg);
    }
    return RunTool(TRACELO_EXPORT, args);
}

QImage Decode(const std::vector<std::uint8_t>& bytes)
{
    return QImage::fromData(QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                       static_cast<qsizetype>(bytes.size())))
        .convertToFormat(QImage::Format_RGB32);
}

TEST(TraceloExportPictures, FormatFromOptionOrExtension)
{
    CTestTempDir dir;
    struct
    {
        const char* pszArguments; // after the graph
        const char* pszFile;      // where the picture lands; null: standard output
        const char* pszKind;      // what the file starts with
        QSize size;
    } cases[] = {
        {"--format png -o %D/a.png", "a.png", "\x89PNG", QSize(800, 600)},
        {"-o %D/b.png", "b.png", "\x89PNG", QSize(800, 600)},
        {"-o %D/c.PNG --size 300x200", "c.PNG", "\x89PNG", QSize(300, 200)},
        {"--format png --size 640X480", nullptr, "\x89PNG", QSize(640, 480)},
        {"-o %D/d.svg", "d.svg", "<?xml", QSize()},
        {"--format=svg --size=1000x700 -o %D/e.picture", "e.picture", "<?xml", QSize()},
        {"-o %D/f.pdf", "f.pdf", "%PDF-", QSize()},
    };
    for (const auto& c : cases)
    {
        const CToolRun run = RunExport(dir, c.pszArguments);
        EXPECT_EQ(run.m_nStatus, 0) << c.pszArguments;
        EXPECT_EQ(run.m_strErr, "") << c.pszArguments;
        const std::vector<std::uint8_t> bytes =
            c.pszFile == nullptr ? run.OutBytes() : ReadFileBytes(dir.File(c.pszFile));
        if (c.pszFile != nullptr)
        {
            EXPECT_EQ(run.m_strOut, "") << c.pszArguments;
        }
        const std::string strStart(c.pszKind);
        ASSERT_GE(bytes.size(), strStart.size()) << c.pszArguments;
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + strStart.size()), strStart)
            << c.pszArguments;
        if (c.size.isValid())
        {
            EXPECT_EQ(Decode(bytes).size(), c.size) << c.pszArguments;
        }
    }
    // The default picture: the sine in red over the grid.
    const QImage image = Decode(ReadFileBytes(dir.File("a.png")));
    ASSERT_EQ(image.size(), QSize(800, 600));
    EXPECT_EQ(image.pixel(261, 27) & 0xFFFFFF, 0x808080u);
    int nRed = 0;
    for (int x = 124; x < 677; ++x)
    {
        for (int y = 24; y < 577; ++y)
        {
            nRed += (image.pixel(x, y) & 0xFFFFFF) == 0xFF0000u;
        }
    }
    EXPECT_GT(nRed, 500);
}

TEST(TraceloExportPictures, UsageErrors)
{
    CTestTempDir dir;
    const std::string strUsage =
        "Uso: tracelo-export FILEGRAFICO --format FORMATO [-o USCITA] [--size LxA]\n";
    struct
    {
        const char* pszArguments;
        const char* pszError;
    } cases[] = {
        {"--format png --size 0x600",
         "tracelo-export: dimensione non valida: 0x600 (LxA, da 1 a 8192 pixel)\n"},
        {"--format png --size 9000x10",
         "tracelo-export: dimensione non valida: 9000x10 (LxA, da 1 a 8192 pixel)\n"},
        {"--format png --size big",
         "tracelo-export: dimensione non valida: big (LxA, da 1 a 8192 pixel)\n"},
        {"--format png --size 10x10 --size 20x20", "tracelo-export: opzione ripetuta: --size\n"},
        {"-o %D/x.bmp", "tracelo-export: manca --format\n"},
        {"-o %D/noextension", "tracelo-export: manca --format\n"},
    };
    for (const auto& c : cases)
    {
        const CToolRun run = RunExport(dir, c.pszArguments);
        EXPECT_EQ(run.m_nStatus, 2) << c.pszArguments;
        EXPECT_EQ(run.m_strErr, std::string(c.pszError) + strUsage) << c.pszArguments;
        EXPECT_EQ(run.m_strOut, "") << c.pszArguments;
    }
    EXPECT_TRUE(dir.List().empty());
}

} // namespace
