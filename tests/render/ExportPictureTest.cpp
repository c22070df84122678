// Pictures of a graph (PNG, SVG, PDF); tracelo-export's are tested in
// tests/cli.
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <gtest/gtest.h>
#include <memory>

#include "core/doc/TraceloDoc.h"
#include "core/plot/DrawPlot.h"
#include "core/plot/PlotArea.h"
#include "render/ExportPicture.h"
#include "render/QtDrawDevice.h"

namespace
{
// A graph of two functions in a window other than the default.
void FillGraph(CTraceloDoc& doc)
{
    doc.m_window.m_dXMin = -3;
    doc.m_window.m_dXMax = 3;
    doc.m_window.m_dYMin = -1.5;
    doc.m_window.m_dYMax = 1.5;
    doc.m_nDivisions = 300;
    const std::pair<const char*, COLORREF> functions[] = {{"SIN(X)", MakeRgb(255, 0, 0)},
                                                          {"1/X", MakeRgb(0, 128, 0)}};
    for (const auto& f : functions)
    {
        CGraphFunction function(doc.m_pEvaluator.get());
        function.m_strExpression = f.first;
        function.m_crColor = f.second;
        doc.m_pFunctions->push_back(std::move(function));
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
    EXPECT_EQ(doc.m_pFunctions->front().m_pPoints->m_window.m_dXMin, -3.0);
    EXPECT_GE(doc.m_pFunctions->front().m_pPoints->GetCount(), 300u);

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

} // namespace
