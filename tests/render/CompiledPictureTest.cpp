// Graphs sampled through the compiled form of their expressions look exactly
// as when every sample is read from the text itself: the same points and the
// same pixels.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <memory>
#include <vector>

#include "core/expr/ExprEvaluator.h"
#include "core/expr/GraphFunction.h"
#include "core/plot/DrawPlot.h"
#include "core/plot/PlotArea.h"
#include "render/QtDrawDevice.h"

namespace
{

// The samples of Sample's walk, each read by the literal evaluation.
void SampleLiterally(CGraphFunction& fn, CExprEvaluator& ev, const CPlotWindow& w, std::int32_t n)
{
    fn.m_pPoints->m_window = w;
    fn.m_pPoints->DeleteAllPoints();
    const double step = (w.m_dXMax - w.m_dXMin) / n;
    for (double x = w.m_dXMin; x < w.m_dXMax;)
    {
        const double y = ev.EvaluateLiteral(fn.m_strExpression, x);
        if (!ev.HasError())
            fn.m_pPoints->AddPoint(x, y);
        const double next = x + step;
        if (!(next > x))
            break;
        x = next;
    }
}

QImage Draw(const CFunctionList& functions, const CPlotWindow& w)
{
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    {
        CQtDrawDevice dc(&painter);
        CPlotArea area;
        DrawPlot(&dc, CDevRect{0, 0, 800, 600}, w, &functions, true, area);
    }
    painter.end();
    return image;
}

struct CGraphCase
{
    std::vector<const char*> m_vTexts;
    CPlotWindow m_window;
    std::int32_t m_nDivisions;
};

TEST(CompiledPicture, SamePointsAndSamePixels)
{
    const CGraphCase kGraphs[] = {
        {{"SIN(X)^2+0.5*X", "X^3-X", "1/X", "SQRT(X)", "TAN(X)"}, {-2, 2, -2, 2}, 500},
        {{"EXP(-X^2/2)*COS(5*X)", "((X+1)*(X-1))/(X^2+1)", "LN(X)", "-X^2", "2*-X"},
         {-3.5, 1.25, -1, 0.5},
         2000},
        {{"ABS(SIN(X*PI))", "SIGN(X)*X%50", "COSEC(X)", "2X", "ACOS(X)+ASIN(X)"},
         {-1e-3, 1e-3, -2, 2},
         777},
        {{"X", "SIN(1/X)", "COSH(X)-SINH(X)", "LOG(ABS(X))"}, {-1e6, 1e6, -1e6, 1e6}, 10000},
    };
    for (const CGraphCase& g : kGraphs)
    {
        CExprEvaluator ev;
        CFunctionList compiled;
        CFunctionList literal;
        for (const char* psz : g.m_vTexts)
        {
            compiled.emplace_back(&ev);
            compiled.back().m_strExpression = psz;
            compiled.back().m_crColor = 0x0000FF;
            compiled.back().Sample(g.m_window, g.m_nDivisions);
            literal.emplace_back(&ev);
            literal.back().m_strExpression = psz;
            literal.back().m_crColor = 0x0000FF;
            SampleLiterally(literal.back(), ev, g.m_window, g.m_nDivisions);

            const CPointList& a = *compiled.back().m_pPoints;
            const CPointList& b = *literal.back().m_pPoints;
            ASSERT_EQ(a.GetCount(), b.GetCount()) << psz;
            for (std::size_t i = 0; i < a.GetCount(); ++i)
            {
                const CCurvePoint& p = a.GetData()[i];
                const CCurvePoint& q = b.GetData()[i];
                ASSERT_EQ(p.m_dX, q.m_dX) << psz;
                ASSERT_TRUE((std::isnan(p.m_dY) && std::isnan(q.m_dY)) ||
                            std::bit_cast<std::uint64_t>(p.m_dY) ==
                                std::bit_cast<std::uint64_t>(q.m_dY))
                    << psz << " at " << p.m_dX;
            }
        }
        EXPECT_EQ(Draw(compiled, g.m_window), Draw(literal, g.m_window)) << g.m_vTexts[0];
    }
}

} // namespace
