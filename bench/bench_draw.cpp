// Drawing speed: the whole drawing sequence into an 800 by 600 image, as a
// paint of the graph window does, from samples taken beforehand.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>

#include "core/expr/ExprEvaluator.h"
#include "core/plot/DrawPlot.h"
#include "core/plot/PlotArea.h"
#include "RecordingDevice.h"
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

void DrawOnce(QImage& image, const CGraph& graph, const CPlotWindow& window)
{
    image.fill(Qt::white);
    QPainter painter(&image);
    CQtDrawDevice dc(&painter);
    CPlotArea area;
    DrawPlot(&dc, CDevRect{0, 0, 800, 600}, window, &graph.m_functions, true, area);
}

void BM_DrawPlotImage(benchmark::State& state)
{
    const CGraph graph(static_cast<int>(state.range(0)), static_cast<std::int32_t>(state.range(1)));
    QImage image(800, 600, QImage::Format_RGB32);
    for (auto _ : state)
    {
        DrawOnce(image, graph, CPlotWindow{-2, 2, -2, 2});
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}
BENCHMARK(BM_DrawPlotImage)
    ->Args({10, 100000})
    ->Args({4, 500})
    ->Args({0, 0})
    ->Unit(benchmark::kMillisecond);

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
