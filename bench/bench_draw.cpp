// Drawing speed: the whole drawing sequence into an 800 by 600 image, as a
// paint of the graph window does, from samples taken beforehand; beside it
// the same drawing with every segment traced (as before the reduction), one
// noise curve, the mapping loop after Qt has painted, and the PNG export on
// one thread and on two.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>

#include "RecordingDevice.h"
#include "core/doc/TraceloDoc.h"
#include "core/expr/ExprEvaluator.h"
#include "core/plot/DrawPlot.h"
#include "core/plot/Mapping.h"
#include "core/plot/PlotArea.h"
#include "core/plot/VectorState.h"
#include "render/ExportPicture.h"
#include "render/ImagePlot.h"
#include "render/QtDrawDevice.h"

namespace
{
const char* const kExpressions[] = {
    "SIN(X)",        "COS(3*X)",  "X^2/4-1",        "1/X",     "TAN(X)",
    "EXP(-X^2)*1.5", "SQRT(X+2)", "SIN(X)^2+0.5*X", "LN(X^2)", "(X+1)*(X-1)/(X^2+1)",
};

// nFunctions functions sampled nDivisions times over the window -2 to 2.
struct CGraph
{
    CExprEvaluator m_evaluator;
    CFunctionList m_functions;

    CGraph(int nFunctions, std::int32_t nDivisions)
    {
        for (int i = 0; i < nFunctions; ++i)
        {
            CGraphFunction function(&m_evaluator);
            function.m_strExpression = kExpressions[i % 10];
            function.m_crColor = MakeRgb(static_cast<std::uint8_t>(25 * i), 0, 200);
            function.Sample(CPlotWindow{-2, 2, -2, 2}, nDivisions);
            m_functions.push_back(std::move(function));
        }
    }
};

// The device as it was before curves were reduced: every sample moved to,
// every segment drawn.
class CEverySegmentDevice : public CQtDrawDevice
{
public:
    using CQtDrawDevice::CQtDrawDevice;
    ECurveTrace GetCurveTrace() override { return ECurveTrace::EveryPoint; }
};

template <typename TDevice = CQtDrawDevice>
void DrawOnce(QImage& image, const CGraph& graph, const CPlotWindow& window)
{
    image.fill(Qt::white);
    QPainter painter(&image);
    TDevice dc(&painter);
    CPlotArea area;
    DrawPlot(&dc, CDevRect{0, 0, 800, 600}, window, &graph.m_functions, true, area);
}

// range(2): 0 the reduced tracing, 1 every segment.
void BM_DrawPlotImage(benchmark::State& state)
{
    const CGraph graph(static_cast<int>(state.range(0)), static_cast<std::int32_t>(state.range(1)));
    QImage image(800, 600, QImage::Format_RGB32);
    for (auto _ : state)
    {
        if (state.range(2) == 0)
            DrawOnce(image, graph, CPlotWindow{-2, 2, -2, 2});
        else
            DrawOnce<CEverySegmentDevice>(image, graph, CPlotWindow{-2, 2, -2, 2});
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}
BENCHMARK(BM_DrawPlotImage)
    ->ArgNames({"functions", "divisions", "every_segment"})
    ->Args({10, 1000000, 0})
    ->Args({10, 1000000, 1})
    ->Args({10, 100000, 0})
    ->Args({10, 100000, 1})
    ->Args({4, 500, 0})
    ->Args({0, 0, 0})
    ->Unit(benchmark::kMillisecond);

// The same graph with its curves in bands on range(0) threads, as the view
// and the PNG export draw it.
void BM_DrawPlotThreads(benchmark::State& state)
{
    const CGraph graph(10, 1000000);
    QImage image(800, 600, QImage::Format_RGB32);
    for (auto _ : state)
    {
        image.fill(Qt::white);
        QPainter painter(&image);
        CQtDrawDevice dc(&painter);
        CPlotArea area;
        DrawPlotOnImage(image, dc, CDevRect{0, 0, 800, 600}, CPlotWindow{-2, 2, -2, 2},
                        &graph.m_functions, true, area, static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_DrawPlotThreads)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// One curve of RAND(1)/8192-2 at 1,000,000 divisions in the 554 by 554 plot
// area of an 800 by 600 view; range(0): 0 reduced, 1 every segment.
void BM_NoiseCurve(benchmark::State& state)
{
    CExprEvaluator evaluator;
    CGraphFunction function(&evaluator);
    function.m_strExpression = "RAND(1)/8192-2";
    function.Sample(CPlotWindow{-2, 2, -2, 2}, 1000000);
    QImage image(800, 600, QImage::Format_RGB32);
    for (auto _ : state)
    {
        image.fill(Qt::white);
        QPainter painter(&image);
        std::unique_ptr<CQtDrawDevice> pDC = state.range(0) == 0
                                                 ? std::make_unique<CQtDrawDevice>(&painter)
                                                 : std::make_unique<CEverySegmentDevice>(&painter);
        function.DrawCurve(pDC.get(), 123, 554, 23, 554);
        pDC.reset();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_NoiseCurve)->ArgName("every_segment")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The mapping loop of a 1,000,000-point curve right after Qt's raster code
// has painted a few lines; range(0): 0 as it is left, 1 with the upper
// vector state cleared first, 2 with no painting before.
__attribute__((noinline)) std::int64_t MapAll(const CPointList& points)
{
    std::int64_t nSum = 0;
    for (const CCurvePoint& pt : points)
    {
        nSum += MapX(pt.m_dX, -2, 2, 123, 554) + MapY(pt.m_dY, -2, 2, 23, 554);
    }
    return nSum;
}

void BM_MapAfterQtPaint(benchmark::State& state)
{
    const CGraph graph(1, 1000000);
    const CPointList& points = *graph.m_functions.front().m_pPoints;
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::blue, 0));
    const QLine lines[] = {QLine(10, 10, 10, 500), QLine(20, 30, 400, 30), QLine(5, 5, 600, 400)};
    for (auto _ : state)
    {
        state.PauseTiming();
        if (state.range(0) != 2)
            painter.drawLines(lines, 3);
        if (state.range(0) == 1)
            ClearUpperVectorState();
        state.ResumeTiming();
        benchmark::DoNotOptimize(MapAll(points));
    }
}
BENCHMARK(BM_MapAfterQtPaint)
    ->ArgName("state")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);

// tracelo-export's work for a graph of 10 functions at 1,000,000 divisions
// to an 800 by 600 PNG (sampling, drawing, encoding) on range(0) threads.
void BM_ExportPng(benchmark::State& state)
{
    CTraceloDoc doc;
    doc.OnNewDocument();
    for (int i = 0; i < 10; ++i)
    {
        CGraphFunction& function = doc.m_pFunctions->emplace_back(doc.m_pEvaluator.get());
        function.m_strExpression = kExpressions[i];
        function.m_crColor = MakeRgb(static_cast<std::uint8_t>(25 * i), 0, 200);
    }
    doc.m_nDivisions = 1000000;
    CSamplingOptions options;
    options.m_nThreads = static_cast<int>(state.range(0));
    static std::string s_strFirst; // the bytes of the first run, whatever its threads
    for (auto _ : state)
    {
        const std::string strPng = RenderPicture(doc, EPictureFormat::Png, 800, 600, options);
        if (s_strFirst.empty())
            s_strFirst = strPng;
        else if (strPng != s_strFirst)
            state.SkipWithError("the threads gave other bytes");
        benchmark::DoNotOptimize(strPng.data());
    }
}
BENCHMARK(BM_ExportPng)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The grid of windows far from the origin or far wider than the plot area.
void BM_GridExtremeWindow(benchmark::State& state)
{
    const CGraph graph(0, 0);
    const CPlotWindow windows[] = {
        {0, 1e300, -1e300, 0}, {1e15, 1e15 + 10, -1e15 - 10, -1e15}, {-1e6, 1e6, -1e6, 1e6}};
    QImage image(800, 600, QImage::Format_RGB32);
    for (auto _ : state)
    {
        DrawOnce(image, graph, windows[state.range(0)]);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_GridExtremeWindow)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// The drawing logic alone, without pixels: the records of one default paint.
void BM_DrawPlotRecorded(benchmark::State& state)
{
    const CGraph graph(4, 500);
    for (auto _ : state)
    {
        CRecordingDevice dc;
        CPlotArea area;
        DrawPlot(&dc, CDevRect{0, 0, 800, 600}, CPlotWindow{-2, 2, -2, 2}, &graph.m_functions, true,
                 area);
        benchmark::DoNotOptimize(dc.GetRecords().data());
    }
}
BENCHMARK(BM_DrawPlotRecorded)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
    {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
