// Curves on a raster image: the reduced tracing and the drawing in bands of
// columns paint exactly the pixels of every segment drawn one by one.
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <cmath>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <string>

#include "core/expr/ExprEvaluator.h"
#include "core/plot/CurveTrace.h"
#include "core/plot/DrawPlot.h"
#include "core/plot/Mapping.h"
#include "core/plot/PlotArea.h"
#include "render/ImagePlot.h"
#include "render/QtDrawDevice.h"

namespace
{
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
const CPlotWindow kWindow{-2, 2, -2, 2};

// The device as it was before any reduction: every sample moved to, every
// segment drawn.
class CEverySegmentDevice : public CQtDrawDevice
{
public:
    using CQtDrawDevice::CQtDrawDevice;
    ECurveTrace GetCurveTrace() override { return ECurveTrace::EveryPoint; }
};

// Counts the lines the curve gives the device.
class CLineCountingDevice : public CQtDrawDevice
{
public:
    using CQtDrawDevice::CQtDrawDevice;
    std::size_t m_nLines = 0;

protected:
    void DrawLine(CDevPoint ptFrom, CDevPoint ptTo) override
    {
        ++m_nLines;
        CQtDrawDevice::DrawLine(ptFrom, ptTo);
    }
};

// The counting walk of the sampling, with y from fn; a NaN x leaves the
// sample out, as a failed evaluation does.
void Fill(CGraphFunction& function, std::int32_t nDivisions,
          const std::function<double(double, std::uint32_t&)>& fn)
{
    CPointList& list = *function.m_pPoints;
    list.DeleteAllPoints();
    list.m_window = kWindow;
    const double dStep = (kWindow.m_dXMax - kWindow.m_dXMin) / nDivisions;
    std::uint32_t nSeed = 12345;
    for (double x = kWindow.m_dXMin; x < kWindow.m_dXMax; x += dStep)
    {
        const double y = fn(x, nSeed);
        if (!(x > -0.9 && x < -0.85)) // evaluation failed here
        {
            list.AddPoint(x, y);
        }
    }
}

// RAND(1)/8192-2: a draw of 0 to 32767, scaled.
double Noise(double, std::uint32_t& nSeed)
{
    nSeed = nSeed * 214013u + 2531011u;
    return ((nSeed >> 16) & 0x7FFF) / 8192.0 - 2;
}

struct CCurveCase
{
    const char* pszName;
    std::function<double(double, std::uint32_t&)> fn;
};

const CCurveCase kCurves[] = {
    {"smooth", [](double x, std::uint32_t&) { return std::sin(2 * x); }},
    {"steep", [](double x, std::uint32_t&) { return 40 * x * x * x; }},
    {"poles", [](double x, std::uint32_t&) { return std::tan(3 * x); }},
    {"gaps",
     [](double x, std::uint32_t&)
     {
         if (x > -0.5 && x < -0.2)
             return kNaN;
         if (x > 0.3 && x < 0.31)
             return x < 0.305 ? kInf : -kInf;
         return std::cos(3 * x) * 1.5;
     }},
    // Mapped far outside: beyond 2^63 on the left, on the right 2^32 above
    // the plot area, which the conversion wraps back inside.
    {"off scale", [](double x, std::uint32_t&)
     { return x < 0 ? x * 1e30 : 4294967296.0 / 30 + 1.5 * std::sin(3 * x); }},
    {"on the edges", [](double x, std::uint32_t&) { return std::round(std::sin(5 * x)) * 2; }},
    {"noise", Noise},
};

struct CBox
{
    const char* pszName;
    CCurveBox box;
};
const CBox kSmall{"120 square", {20, 120, 20, 120}};
const CBox kWide{"2000 wide", {20, 2000, 20, 120}};
const CBox kTall{"2000 tall", {20, 120, 20, 2000}};
const CBox kMid{"500 square", {20, 500, 20, 500}};

std::unique_ptr<CQtDrawDevice> MakeDevice(QPainter* pPainter, bool bEverySegment)
{
    if (bEverySegment)
    {
        return std::make_unique<CEverySegmentDevice>(pPainter);
    }
    return std::make_unique<CQtDrawDevice>(pPainter);
}

// The curve on a white image with a margin round the box, at a screen's
// device pixel ratio.
QImage DrawCurveImage(const CGraphFunction& function, const CCurveBox& box, bool bEverySegment,
                      qreal dRatio = 1.0)
{
    QImage image(QSize(box.m_nLeft * 2 + box.m_nWidth, box.m_nTop * 2 + box.m_nHeight) * dRatio,
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(dRatio);
    image.fill(Qt::white);
    QPainter painter(&image);
    function.DrawCurve(MakeDevice(&painter, bEverySegment).get(), box.m_nLeft, box.m_nWidth,
                       box.m_nTop, box.m_nHeight);
    return image;
}

TEST(CurvePixels, ReducedTracingPaintsEverySegmentsPixels)
{
    struct
    {
        int nCurve;
        const CBox& box;
        std::int32_t nDivisions;
    } cases[] = {
        {0, kSmall, 1000}, {0, kWide, 1000},   {0, kTall, 20000},    {1, kSmall, 1000},
        {1, kTall, 20000}, {1, kWide, 20000},  {2, kMid, 1000},      {2, kTall, 50000},
        {3, kSmall, 1000}, {3, kMid, 20000},   {4, kSmall, 1000},    {4, kSmall, 50000},
        {5, kWide, 1000},  {5, kSmall, 50000}, {6, kSmall, 1000},    {6, kWide, 20000},
        {6, kTall, 20000}, {6, kMid, 20000},   {6, kSmall, 1000000},
    };
    CExprEvaluator evaluator;
    for (const auto& c : cases)
    {
        const CCurveCase& curve = kCurves[c.nCurve];
        SCOPED_TRACE(std::string(curve.pszName) + ", " + c.box.pszName + ", " +
                     std::to_string(c.nDivisions) + " divisions");
        CGraphFunction function(&evaluator);
        Fill(function, c.nDivisions, curve.fn);
        const QImage reference = DrawCurveImage(function, c.box.box, true);
        const QImage reduced = DrawCurveImage(function, c.box.box, false);
        EXPECT_EQ(reduced, reference);
        // The case paints something, or it would prove nothing.
        EXPECT_NE(reference, DrawCurveImage(CGraphFunction(&evaluator), c.box.box, true));
    }
}

// On a scaled screen every logical pixel is a block of device pixels: the
// blocks of the reduced lines are those of every segment.
TEST(CurvePixels, ReducedTracingAtEveryScreenScale)
{
    CExprEvaluator evaluator;
    for (int nCurve : {0, 2, 6})
    {
        CGraphFunction function(&evaluator);
        Fill(function, 20000, kCurves[nCurve].fn);
        for (qreal dRatio : {1.25, 1.5, 2.0, 3.0})
        {
            SCOPED_TRACE(std::string(kCurves[nCurve].pszName) + " at " + std::to_string(dRatio));
            EXPECT_EQ(DrawCurveImage(function, kSmall.box, false, dRatio),
                      DrawCurveImage(function, kSmall.box, true, dRatio));
        }
    }
}

// The noise of the table, as the engine samples it.
TEST(CurvePixels, RandNoiseCostsLinesByThePixelsNotTheSamples)
{
    CExprEvaluator evaluator;
    CGraphFunction function(&evaluator);
    function.m_strExpression = "RAND(1)/8192-2";
    function.Sample(kWindow, 30000);
    // A piece of curve between two samples outside costs at most three
    // lines within each column it crosses and one into it: the work follows
    // the pixels and the breaks, not the samples.
    std::size_t nOutside = 0;
    for (const CCurvePoint& pt : *function.m_pPoints)
    {
        const std::int32_t y = MapY(pt.m_dY, -2, 2, 20, 120);
        nOutside += y <= 20 || y >= 140 ? 1 : 0;
    }
    QImage image(160, 160, QImage::Format_RGB32);
    QPainter painter(&image);
    CLineCountingDevice dc(&painter);
    function.DrawCurve(&dc, 20, 120, 20, 120);
    EXPECT_GT(dc.m_nLines, 120u);
    EXPECT_LE(dc.m_nLines, 4 * (121 + nOutside));
    EXPECT_LT(4 * (121 + nOutside), function.m_pPoints->GetCount() / 4);
}

// The same graph drawn on 1, 2 and 4 threads, and at a ratio of 1 by one
// device tracing every segment: later curves over earlier ones, the grid
// under them, the frame over them.
TEST(CurvePixels, BandsOnThreadsPaintWhatOneDevicePaints)
{
    CExprEvaluator evaluator;
    CFunctionList functions;
    for (int i = 0; i < 4; ++i)
    {
        CGraphFunction& function = functions.emplace_back(&evaluator);
        function.m_crColor = MakeRgb(static_cast<std::uint8_t>(60 * i), 0, 200);
        Fill(function, 40000, kCurves[(2 * i) % std::size(kCurves)].fn);
    }
    ASSERT_GE(40000u * 4, kSmallDrawing);
    auto draw = [&](qreal dRatio, int nThreads, bool bEverySegment)
    {
        QImage image(QSize(333, 250) * dRatio, QImage::Format_RGB32);
        image.setDevicePixelRatio(dRatio);
        image.fill(Qt::white);
        QPainter painter(&image);
        {
            CPlotArea area;
            if (bEverySegment)
            {
                CEverySegmentDevice dc(&painter);
                DrawPlot(&dc, CDevRect{0, 0, 333, 250}, kWindow, &functions, true, area);
            }
            else
            {
                CQtDrawDevice dc(&painter);
                DrawPlotOnImage(image, dc, CDevRect{0, 0, 333, 250}, kWindow, &functions, true,
                                area, nThreads);
            }
        }
        return image;
    };
    // At a whole device pixel ratio the bands' device pixels stay apart too.
    for (qreal dRatio : {1.0, 2.0})
    {
        const QImage reference = draw(dRatio, 1, dRatio == 1.0);
        for (int nThreads : {1, 2, 4})
        {
            SCOPED_TRACE(std::to_string(dRatio) + " ratio, " + std::to_string(nThreads) +
                         " threads");
            EXPECT_EQ(draw(dRatio, nThreads, false), reference);
        }
    }
}

// What each kind of surface asks a curve for: only pixels on a raster one
// with the copy pen and a one-pixel pen; every line of some length on a
// vector one or under a wider pen or a transformation; every move and line
// when the drawing inverts.
TEST(CurvePixels, EachSurfaceGetsTheTracingThatKeepsItsOutput)
{
    struct
    {
        const char* pszName;
        bool bVector;
        ERop2 eRop;
        std::int32_t nPenWidth;
        bool bScaled;
        ECurveTrace eTrace;
    } cases[] = {
        {"image", false, ERop2::CopyPen, 0, false, ECurveTrace::Pixels},
        {"image, pen of one", false, ERop2::CopyPen, 1, false, ECurveTrace::Pixels},
        {"image, inverting", false, ERop2::NotXorPen, 0, false, ECurveTrace::EveryPoint},
        {"image, wide pen", false, ERop2::CopyPen, 3, false, ECurveTrace::SkipRepeats},
        {"image, scaled", false, ERop2::CopyPen, 0, true, ECurveTrace::SkipRepeats},
        {"SVG", true, ERop2::CopyPen, 0, false, ECurveTrace::SkipRepeats},
        {"SVG, inverting", true, ERop2::NotXorPen, 0, false, ECurveTrace::EveryPoint},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        QImage image(50, 50, QImage::Format_RGB32);
        QBuffer buffer;
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        QPainter painter;
        ASSERT_TRUE(c.bVector ? painter.begin(&svg) : painter.begin(&image));
        if (c.bScaled)
        {
            painter.scale(2, 2);
        }
        CQtDrawDevice dc(&painter);
        dc.SetROP2(c.eRop);
        dc.SelectObject(dc.CreatePen(CPenDesc{EPenStyle::Solid, c.nPenWidth, 0}));
        EXPECT_EQ(dc.GetCurveTrace(), c.eTrace);
    }
}

// On a vector surface a sample repeating the device point of the one before
// is left out: the file is the one every sample gives.
TEST(CurvePixels, SvgBytesAreThoseOfEverySample)
{
    CExprEvaluator evaluator;
    CGraphFunction function(&evaluator);
    Fill(function, 20000, kCurves[2].fn);
    auto svg = [&](bool bEverySegment)
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(QSize(160, 160));
        QPainter painter(&generator);
        function.DrawCurve(MakeDevice(&painter, bEverySegment).get(), 20, 120, 20, 120);
        painter.end();
        return buffer.data();
    };
    const QByteArray bytes = svg(false);
    EXPECT_GT(bytes.count("<polyline"), 100);
    EXPECT_EQ(bytes, svg(true));
}

} // namespace
