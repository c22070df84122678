// Pictures of a graph (PNG, SVG, PDF), on their own and through
// tracelo-export.
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>

#include "QtGuiTestEnvironment.h"
#include <memory>
#include <sstream>
#include <sys/wait.h>

#include "doc/TraceloDoc.h"
#include "framework/TestTempDir.h"
#include "view/DrawPlot.h"
#include "view/ExportPicture.h"
#include "view/PlotArea.h"
#include "view/QtDrawDevice.h"

namespace
{
// A graph of two functions in a window other than the default.
void FillGraph(CTraceloDoc& doc)
{
    doc.m_dXMin = -3;
    doc.m_dXMax = 3;
    doc.m_dYMin = -1.5;
    doc.m_dYMax = 1.5;
    doc.m_nDivisions = 300;
    const std::pair<const char*, COLORREF> functions[] = {{"SIN(X)", MakeRgb(255, 0, 0)},
                                                          {"1/X", MakeRgb(0, 128, 0)}};
    for (const auto& f : functions)
    {
        auto pFunction = std::make_unique<CGraphFunction>(doc.m_pEvaluator.get());
        pFunction->m_strExpression = f.first;
        pFunction->m_crColor = f.second;
        doc.m_pFunctions->push_back(std::move(pFunction));
    }
}

QImage Decode(const std::string& strBytes)
{
    return QImage::fromData(QByteArray(strBytes.data(), static_cast<qsizetype>(strBytes.size())))
        .convertToFormat(QImage::Format_RGB32);
}

TEST(PictureSize, WidthByHeight)
{
    struct
    {
        const char* pszText;
        bool bValid;
        int w, h;
    } cases[] = {
        {"800x600", true, 800, 600}, {"1X1", true, 1, 1},      {"8192x8192", true, 8192, 8192},
        {"8193x10", false, 0, 0},    {"10x8193", false, 0, 0}, {"0x5", false, 0, 0},
        {"x5", false, 0, 0},         {"5x", false, 0, 0},      {"5", false, 0, 0},
        {"-5x5", false, 0, 0},       {"+5x5", false, 0, 0},    {" 5x5", false, 0, 0},
        {"5x5 ", false, 0, 0},       {"5x5x5", false, 0, 0},   {"99999999999x1", false, 0, 0},
        {"5.0x5", false, 0, 0},      {"", false, 0, 0},
    };
    for (const auto& c : cases)
    {
        int w = 0, h = 0;
        EXPECT_EQ(ParsePictureSize(c.pszText, w, h), c.bValid) << c.pszText;
        EXPECT_EQ(w, c.w) << c.pszText;
        EXPECT_EQ(h, c.h) << c.pszText;
    }
}

TEST(RenderPicture, PngIsTheViewOnWhite)
{
    CTraceloDoc doc;
    FillGraph(doc);
    const QImage image = Decode(RenderPicture(doc, EPictureFormat::Png, 800, 600));
    ASSERT_EQ(image.size(), QSize(800, 600));
    // The functions were sampled over the document's window and divisions.
    EXPECT_EQ(doc.m_pFunctions->front()->m_dXMin, -3.0);
    EXPECT_GE(doc.m_pFunctions->front()->m_pPoints->GetCount(), 300u);

    // The same as drawing the sequence on the window's white ground.
    QImage expected(800, 600, QImage::Format_RGB32);
    expected.fill(Qt::white);
    {
        QPainter painter(&expected);
        CQtDrawDevice dc(&painter);
        CPlotArea area;
        DrawPlot(&dc, CDevRect{0, 0, 800, 600}, CPlotWindow{-3, 3, -1.5, 1.5},
                 doc.m_pFunctions.get(), true, area);
    }
    EXPECT_EQ(image, expected);
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.pixel(400, 100) & 0xFFFFFF, 0u); // the Y axis
}

TEST(RenderPicture, SizeSetsTheLayout)
{
    CTraceloDoc doc;
    struct
    {
        int w, h;
        QPoint frame; // the plot area's top left corner
    } cases[] = {
        {300, 200, QPoint(66, 16)}, {200, 300, QPoint(16, 66)}, {1200, 900, QPoint(185, 35)}};
    for (const auto& c : cases)
    {
        const QImage image = Decode(RenderPicture(doc, EPictureFormat::Png, c.w, c.h));
        ASSERT_EQ(image.size(), QSize(c.w, c.h));
        EXPECT_EQ(image.pixel(c.frame) & 0xFFFFFF, 0u) << c.w;
        EXPECT_EQ(image.pixel(c.frame - QPoint(1, 1)) & 0xFFFFFF, 0xFFFFFFu) << c.w;
    }
    // Too small to hold a plot area: a white picture.
    const QImage blank = Decode(RenderPicture(doc, EPictureFormat::Png, 80, 80));
    ASSERT_EQ(blank.size(), QSize(80, 80));
    QImage white(80, 80, QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_EQ(blank, white);
}

TEST(RenderPicture, SvgIsVector)
{
    CTraceloDoc doc;
    FillGraph(doc);
    const std::string strSvg = RenderPicture(doc, EPictureFormat::Svg, 800, 600);
    QSvgRenderer renderer(QByteArray(strSvg.data(), static_cast<qsizetype>(strSvg.size())));
    ASSERT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.viewBox(), QRect(0, 0, 800, 600));
    for (const char* pszLabel : {"1.5000000000", "-1.5000000000", "-3.0000000000", "3.0000000000"})
    {
        EXPECT_NE(strSvg.find(std::string(">") + pszLabel + "<"), std::string::npos) << pszLabel;
    }
    // The X labels are turned a quarter counter-clockwise.
    EXPECT_NE(strSvg.find("matrix(0,-1,1,0,"), std::string::npos);
    // No pixels: lines are lines.
    EXPECT_EQ(strSvg.find("<image"), std::string::npos);

    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        renderer.render(&painter);
    }
    EXPECT_LT(qGray(image.pixel(400, 100)), 100); // the Y axis
    EXPECT_LT(qGray(image.pixel(123, 300)), 100); // the frame's left side
    EXPECT_EQ(image.pixel(50, 50) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(RenderPicture, PdfIsOnePageOfThePicturesSize)
{
    CTraceloDoc doc;
    FillGraph(doc);
    struct
    {
        int w, h;
        const char* pszMediaBox; // at 96 pixels per inch
    } cases[] = {{800, 600, "/MediaBox [0 0 600.000000 450.000000]"},
                 {1000, 700, "/MediaBox [0 0 750.000000 525.000000]"}};
    for (const auto& c : cases)
    {
        const std::string strPdf = RenderPicture(doc, EPictureFormat::Pdf, c.w, c.h);
        EXPECT_TRUE(strPdf.starts_with("%PDF-"));
        EXPECT_NE(strPdf.find(c.pszMediaBox), std::string::npos) << c.w;
        std::size_t nPages = 0;
        for (std::size_t n = strPdf.find("/Type /Page"); n != std::string::npos;
             n = strPdf.find("/Type /Page", n + 1))
        {
            nPages += strPdf.compare(n, 12, "/Type /Pages") != 0;
        }
        EXPECT_EQ(nPages, 1u);
    }
}

// tracelo-export with these arguments: its exit status and standard error.
struct CRun
{
    int m_nStatus = -1;
    std::string m_strErr;
};

CRun RunExport(const std::string& strArguments, const std::string& strStdout)
{
    CTestTempDir dir;
    const std::string strErrFile = dir.File("stderr");
    const std::string strCommand = std::string("'") + TRACELO_EXPORT + "' " + strArguments +
                                   " > '" + strStdout + "' 2> '" + strErrFile + "'";
    CRun run;
    const int nRaw = std::system(strCommand.c_str());
    run.m_nStatus = WIFEXITED(nRaw) ? WEXITSTATUS(nRaw) : -1;
    std::ifstream in(strErrFile, std::ios::binary);
    std::ostringstream err;
    err << in.rdbuf();
    run.m_strErr = err.str();
    return run;
}

QImage ReadImage(const std::string& strPath)
{
    QImage image(QString::fromStdString(strPath));
    return image.convertToFormat(QImage::Format_RGB32);
}

TEST(TraceloExportPictures, FormatFromOptionOrExtension)
{
    CTestTempDir dir;
    const std::string strGraph = std::string(TRACELO_TEST_DATA_DIR) + "/sin-red.grf";
    const std::string strOut = dir.File("stdout");
    struct
    {
        const char* pszArguments; // after the graph; %D is the temporary folder
        const char* pszFile;      // where the picture lands
        const char* pszKind;      // what the file starts with
        QSize size;
    } cases[] = {
        {"--format png -o %D/a.png", "a.png", "\x89PNG", QSize(800, 600)},
        {"-o %D/b.png", "b.png", "\x89PNG", QSize(800, 600)},
        {"-o %D/c.PNG --size 300x200", "c.PNG", "\x89PNG", QSize(300, 200)},
        {"--format png --size 640X480", "stdout", "\x89PNG", QSize(640, 480)},
        {"-o %D/d.svg", "d.svg", "<?xml", QSize()},
        {"--format=svg --size=1000x700 -o %D/e.picture", "e.picture", "<?xml", QSize()},
        {"-o %D/f.pdf", "f.pdf", "%PDF-", QSize()},
    };
    for (const auto& c : cases)
    {
        std::string strArguments = c.pszArguments;
        for (std::size_t n; (n = strArguments.find("%D")) != std::string::npos;)
        {
            strArguments.replace(n, 2, dir.File(""));
        }
        const CRun run = RunExport("'" + strGraph + "' " + strArguments, strOut);
        EXPECT_EQ(run.m_nStatus, 0) << c.pszArguments;
        EXPECT_EQ(run.m_strErr, "") << c.pszArguments;
        const std::vector<std::uint8_t> bytes = ReadFileBytes(dir.File(c.pszFile));
        const std::string strStart(c.pszKind);
        ASSERT_GE(bytes.size(), strStart.size()) << c.pszArguments;
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + strStart.size()), strStart)
            << c.pszArguments;
        if (c.size.isValid())
        {
            const QImage image = ReadImage(dir.File(c.pszFile));
            EXPECT_EQ(image.size(), c.size) << c.pszArguments;
        }
    }
    // The default picture: the sine in red over the grid.
    const QImage image = ReadImage(dir.File("a.png"));
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
    const std::string strGraph = std::string(TRACELO_TEST_DATA_DIR) + "/sin-red.grf";
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
        std::string strArguments = c.pszArguments;
        for (std::size_t n; (n = strArguments.find("%D")) != std::string::npos;)
        {
            strArguments.replace(n, 2, dir.File(""));
        }
        const CRun run = RunExport("'" + strGraph + "' " + strArguments, dir.File("stdout"));
        EXPECT_EQ(run.m_nStatus, 2) << c.pszArguments;
        EXPECT_EQ(run.m_strErr, std::string(c.pszError) + strUsage) << c.pszArguments;
        EXPECT_TRUE(ReadFileBytes(dir.File("stdout")).empty()) << c.pszArguments;
    }
}
} // namespace
