#include "render/ExportPicture.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "core/doc/TraceloDoc.h"
#include "core/plot/DrawPlot.h"
#include "core/plot/PlotArea.h"
#include "render/GuiScope.h"
#include "render/ImagePlot.h"
#include "render/QtDrawDevice.h"
#include "render/QtFonts.h"

namespace
{
// Pictures are drawn at the screen's 96 pixels per inch, so that a vector
// page has the size the pixels would have on screen.
constexpr int kScreenDpi = 96;

void DrawGraph(QPainter& painter, CTraceloDoc& doc, int nWidth, int nHeight)
{
    CQtDrawDevice dc(&painter);
    CPlotArea area;
    DrawPlot(&dc, CDevRect{0, 0, nWidth, nHeight}, doc.m_window, doc.m_pFunctions.get(),
             doc.m_bGrid, area);
}
} // namespace

bool ParsePictureSize(std::string_view strSize, int& nWidth, int& nHeight)
{
    const std::size_t nCross = strSize.find_first_of("xX");
    if (nCross == std::string_view::npos)
    {
        return false;
    }
    auto parse = [](std::string_view strPart, int& nValue)
    {
        if (strPart.empty() || strPart.front() < '0' || strPart.front() > '9')
        {
            return false;
        }
        const auto result =
            std::from_chars(strPart.data(), strPart.data() + strPart.size(), nValue);
        return result.ec == std::errc() && result.ptr == strPart.data() + strPart.size() &&
               nValue >= 1 && nValue <= kMaxPictureSide;
    };
    int w = 0, h = 0;
    if (!parse(strSize.substr(0, nCross), w) || !parse(strSize.substr(nCross + 1), h))
    {
        return false;
    }
    nWidth = w;
    nHeight = h;
    return true;
}

std::string RenderPicture(CTraceloDoc& doc, EPictureFormat eFormat, int nWidth, int nHeight,
                          const CSamplingOptions& sampling)
{
    CGuiScope gui;
    RegisterTraceloFonts();

    if (doc.m_pFunctions != nullptr)
    {
        SampleAllOrThrow(*doc.m_pFunctions, doc.m_window, doc.m_nDivisions, sampling);
    }

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    switch (eFormat)
    {
    case EPictureFormat::Png:
    {
        QImage image(nWidth, nHeight, QImage::Format_RGB32);
        if (image.isNull())
        {
            return std::string();
        }
        image.fill(Qt::white);
        image.setDotsPerMeterX(qRound(kScreenDpi / 0.0254));
        image.setDotsPerMeterY(qRound(kScreenDpi / 0.0254));
        QPainter painter(&image);
        {
            // The curves on as many threads as the sampling.
            CQtDrawDevice dc(&painter);
            CPlotArea area;
            DrawPlotOnImage(image, dc, CDevRect{0, 0, nWidth, nHeight}, doc.m_window,
                            doc.m_pFunctions.get(), doc.m_bGrid, area, sampling.m_nThreads);
        }
        painter.end();
        if (!image.save(&buffer, "PNG"))
        {
            return std::string();
        }
        break;
    }
    case EPictureFormat::Svg:
    {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(QSize(nWidth, nHeight));
        generator.setViewBox(QRect(0, 0, nWidth, nHeight));
        generator.setResolution(kScreenDpi);
        generator.setTitle(QStringLiteral("Tracelo"));
        QPainter painter(&generator);
        DrawGraph(painter, doc, nWidth, nHeight);
        painter.end();
        break;
    }
    case EPictureFormat::Pdf:
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kScreenDpi);
        writer.setCreator(QStringLiteral("Tracelo"));
        const QPageSize pageSize(QSizeF(nWidth * 72.0 / kScreenDpi, nHeight * 72.0 / kScreenDpi),
                                 QPageSize::Point, QString(), QPageSize::ExactMatch);
        writer.setPageLayout(QPageLayout(pageSize, QPageLayout::Portrait, QMarginsF()));
        QPainter painter(&writer);
        DrawGraph(painter, doc, nWidth, nHeight);
        painter.end();
        break;
    }
    }
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
