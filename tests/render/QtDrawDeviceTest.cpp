// The QPainter back end on a QImage: the pixels the drawing relies on.
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <random>

#include "core/expr/ExprEvaluator.h"
#include "core/plot/DrawPlot.h"
#include "core/plot/Fonts.h"
#include "core/plot/PlotArea.h"
#include "render/QtDrawDevice.h"
#include "render/QtFonts.h"

namespace
{
QImage WhiteImage(int w, int h, QColor color = Qt::white)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

QRgb At(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}
constexpr QRgb kWhite = 0xFFFFFF;
constexpr QRgb kBlack = 0x000000;

// The bounding box of every pixel that differs from the background.
QRect InkBox(const QImage& image, QRgb background)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
    {
        for (int x = 0; x < image.width(); ++x)
        {
            if (At(image, x, y) != background)
            {
                box = box.united(QRect(x, y, 1, 1));
            }
        }
    }
    return box;
}

TEST(QtDrawDevice, LinePaintsItsStartPixelAndNotItsEndPixel)
{
    struct
    {
        int x1, y1, x2, y2;
        int nxBeforeEnd, nyBeforeEnd;
    } cases[] = {
        {10, 10, 20, 10, 19, 10}, {20, 10, 10, 10, 11, 10}, {10, 10, 10, 20, 10, 19},
        {10, 20, 10, 10, 10, 11}, {10, 10, 20, 20, 19, 19}, {20, 20, 10, 10, 11, 11},
    };
    for (const auto& c : cases)
    {
        QImage image = WhiteImage(32, 32);
        {
            QPainter painter(&image);
            CQtDrawDevice dc(&painter);
            dc.MoveTo(c.x1, c.y1);
            dc.LineTo(c.x2, c.y2);
        }
        EXPECT_EQ(At(image, c.x1, c.y1), kBlack) << c.x1 << "," << c.y1;
        EXPECT_EQ(At(image, c.nxBeforeEnd, c.nyBeforeEnd), kBlack) << c.x1 << "," << c.y1;
        EXPECT_EQ(At(image, c.x2, c.y2), kWhite) << c.x1 << "," << c.y1;
        // Exactly one pixel wide.
        EXPECT_EQ(InkBox(image, kWhite),
                  QRect(QPoint(std::min(c.x1, c.nxBeforeEnd), std::min(c.y1, c.nyBeforeEnd)),
                        QPoint(std::max(c.x1, c.nxBeforeEnd), std::max(c.y1, c.nyBeforeEnd))));
    }
}

TEST(QtDrawDevice, LinesOfEverySlope)
{
    // One pixel per step along the longer axis, the other coordinate on the
    // nearest pixel, start painted, end not, in both directions.
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coordinate(2, 61);
    for (int nCase = 0; nCase < 400; ++nCase)
    {
        const int x1 = coordinate(rng), y1 = coordinate(rng);
        const int x2 = coordinate(rng), y2 = coordinate(rng);
        if (x1 == x2 && y1 == y2)
        {
            continue;
        }
        QImage image = WhiteImage(64, 64);
        {
            QPainter painter(&image);
            CQtDrawDevice dc(&painter);
            dc.MoveTo(x1, y1);
            dc.LineTo(x2, y2);
        }
        const int dx = x2 - x1, dy = y2 - y1;
        const bool bXMajor = std::abs(dx) >= std::abs(dy);
        int nPainted = 0, nStray = 0;
        for (int y = 0; y < 64; ++y)
        {
            for (int x = 0; x < 64; ++x)
            {
                if (At(image, x, y) == kWhite)
                {
                    continue;
                }
                ++nPainted;
                const double dIdeal = bXMajor ? y1 + static_cast<double>(dy) * (x - x1) / dx
                                              : x1 + static_cast<double>(dx) * (y - y1) / dy;
                if (std::fabs((bXMajor ? y : x) - dIdeal) > 0.5)
                {
                    ++nStray;
                }
            }
        }
        EXPECT_EQ(At(image, x1, y1), kBlack) << x1 << "," << y1 << " " << x2 << "," << y2;
        EXPECT_EQ(At(image, x2, y2), kWhite) << x1 << "," << y1 << " " << x2 << "," << y2;
        EXPECT_EQ(nPainted, std::max(std::abs(dx), std::abs(dy)));
        EXPECT_EQ(nStray, 0) << x1 << "," << y1 << " " << x2 << "," << y2;
    }
}

TEST(QtDrawDevice, LinesLeavingTheSurfaceKeepTheirPixels)
{
    // The part of a line on a small image is the same as on a large one.
    struct
    {
        int x1, y1, x2, y2;
    } cases[] = {{-100, 5, 300, 20}, {40, -1000, 10, 1000},        {-5, -5, 60, 70},
                 {70, 10, -30, 35},  {25, 25, 16000000, 16000001}, {20, 2000000000, 21, 5}};
    for (const auto& c : cases)
    {
        QImage small = WhiteImage(50, 50);
        QImage large = WhiteImage(550, 550);
        {
            QPainter painter(&small);
            CQtDrawDevice dc(&painter);
            dc.MoveTo(c.x1, c.y1);
            dc.LineTo(c.x2, c.y2);
        }
        {
            QPainter painter(&large);
            CQtDrawDevice dc(&painter);
            dc.MoveTo(c.x1 + 250, c.y1 + 250);
            dc.LineTo(c.x2 + 250, c.y2 + 250);
        }
        if (std::abs(c.y1) < 100000000)
        {
            EXPECT_EQ(small, large.copy(250, 250, 50, 50)) << c.x1 << "," << c.y1;
        }
        EXPECT_NE(InkBox(small, kWhite), QRect()) << c.x1 << "," << c.y1;
    }
}

TEST(QtDrawDevice, LineOfNoLengthAndPixelsAndPens)
{
    QImage image = WhiteImage(32, 32);
    {
        QPainter painter(&image);
        CQtDrawDevice dc(&painter);
        HDrawObject hPen = dc.CreatePen(CPenDesc{EPenStyle::Solid, 0, MakeRgb(255, 0, 0)});
        HDrawObject hOld = dc.SelectObject(hPen);
        dc.MoveTo(5, 5);
        dc.LineTo(5, 5);
        // A pixel keeps its own colour whatever the pen.
        dc.SetPixel(7, 7, MakeRgb(128, 128, 128));
        dc.SetPixel(8, 7, MakeRgb(0, 0, 255));
        dc.MoveTo(3, 20);
        dc.LineTo(6, 20);
        dc.SelectObject(hOld);
        EXPECT_TRUE(dc.DeleteObject(hPen));
        EXPECT_FALSE(dc.DeleteObject(hPen));
        dc.MoveTo(3, 22);
        dc.LineTo(6, 22);
    }
    EXPECT_EQ(At(image, 5, 5), kWhite);
    EXPECT_EQ(At(image, 7, 7), 0x808080u);
    EXPECT_EQ(At(image, 8, 7), 0x0000FFu);
    EXPECT_EQ(At(image, 4, 20), 0xFF0000u);
    EXPECT_EQ(At(image, 4, 22), kBlack); // the stock pen again
}

TEST(QtDrawDevice, InvertedRectangleDrawnTwiceRestores)
{
    QImage image = WhiteImage(40, 40);
    QImage original = image;
    QPainter painter(&image);
    CQtDrawDevice dc(&painter);
    painter.fillRect(QRect(0, 0, 20, 40), Qt::darkGreen);
    dc.Flush();
    original = image.copy();
    const HDrawObject hOldBrush = dc.SelectObject(dc.GetStockObject(EStockObject::NullBrush));
    EXPECT_EQ(dc.SetROP2(ERop2::NotXorPen), ERop2::CopyPen);
    // Drawn backwards, as a drag towards the upper left does.
    dc.Rectangle(30, 30, 10, 10);
    painter.end();
    const QRgb crInvertedGreen = (~QColor(Qt::darkGreen).rgb()) & 0xFFFFFF;
    EXPECT_EQ(At(image, 10, 10), crInvertedGreen); // corners inverted once
    EXPECT_EQ(At(image, 10, 20), crInvertedGreen);
    EXPECT_EQ(At(image, 29, 29), kBlack); // white inverted
    EXPECT_EQ(At(image, 29, 10), kBlack);
    EXPECT_EQ(At(image, 25, 10), kBlack);
    EXPECT_EQ(At(image, 30, 30), kWhite); // right and bottom excluded
    EXPECT_EQ(At(image, 29, 30), kWhite);
    EXPECT_EQ(At(image, 25, 25), kWhite); // null brush: inside untouched
    painter.begin(&image);
    CQtDrawDevice dc2(&painter);
    dc2.SelectObject(dc2.GetStockObject(EStockObject::NullBrush));
    dc2.SetROP2(ERop2::NotXorPen);
    dc2.Rectangle(10, 10, 30, 30);
    painter.end();
    EXPECT_EQ(image, original);
    (void)hOldBrush;
}

TEST(QtDrawDevice, LineKeepsTheRasterOperationItWasDrawnWith)
{
    // A white pen inverting black leaves it black; copied it paints white.
    QImage image = WhiteImage(20, 20, Qt::black);
    {
        QPainter painter(&image);
        CQtDrawDevice dc(&painter);
        HDrawObject hPen = dc.CreatePen(CPenDesc{EPenStyle::Solid, 0, MakeRgb(255, 255, 255)});
        HDrawObject hOld = dc.SelectObject(hPen);
        dc.SetROP2(ERop2::NotXorPen);
        dc.MoveTo(2, 5);
        dc.LineTo(12, 5);
        dc.SetROP2(ERop2::CopyPen);
        dc.MoveTo(2, 9);
        dc.LineTo(12, 9);
        dc.SelectObject(hOld);
        dc.DeleteObject(hPen);
    }
    EXPECT_EQ(At(image, 5, 5), kBlack);
    EXPECT_EQ(At(image, 5, 9), kWhite);
}

TEST(QtDrawDevice, RectangleFillsWithTheBrush)
{
    QImage image = WhiteImage(20, 20, Qt::black);
    {
        QPainter painter(&image);
        CQtDrawDevice dc(&painter);
        dc.Rectangle(2, 2, 10, 10); // black pen, white brush: the device's start
    }
    EXPECT_EQ(At(image, 2, 2), kBlack);
    EXPECT_EQ(At(image, 5, 5), kWhite);
    EXPECT_EQ(At(image, 9, 5), kBlack);
    EXPECT_EQ(At(image, 10, 5), kBlack); // outside: background
    EXPECT_EQ(At(image, 8, 8), kWhite);
}

TEST(QtDrawDevice, FontCellHeightIsTheRequestedHeight)
{
    QImage image = WhiteImage(10, 10);
    QPainter painter(&image);
    CQtDrawDevice dc(&painter);
    for (std::int32_t nHeight : {8, 12, 16, 17, 20, 24, 25, 35, 124, 144})
    {
        const CQtFont font = CreateQtFont(MakeLabelFont(nHeight, 0));
        EXPECT_EQ(font.m_nCellHeight, nHeight);
        EXPECT_GT(font.m_nAscent, nHeight / 2);
        EXPECT_LT(font.m_nAscent, nHeight);
        HDrawObject hFont = dc.CreateFont(MakeLabelFont(nHeight, 900));
        HDrawObject hOld = dc.SelectObject(hFont);
        const CDevSize size = dc.GetTextExtent("2.0000000000");
        EXPECT_EQ(size.m_nCy, nHeight);
        EXPECT_GT(size.m_nCx, nHeight * 2);
        dc.SelectObject(hOld);
        EXPECT_TRUE(dc.DeleteObject(hFont));
    }
}

TEST(QtDrawDevice, TahomaSizedByItsWindowsCell)
{
    const CQtFont font = CreateQtFont(MakeLabelFont(17, 0));
    if (QFontInfo(font.m_font).family() != QStringLiteral("Tahoma"))
    {
        GTEST_SKIP() << "Wine's Tahoma is not installed";
    }
    // usWinAscent 2049 and usWinDescent 423 of 2048 units per em: a cell of
    // 17 has an em of 14 pixels and an ascent of 14.
    EXPECT_EQ(font.m_font.pixelSize(), 14);
    EXPECT_EQ(font.m_nAscent, 14);
    EXPECT_EQ(CreateQtFont(MakeLabelFont(144, 0)).m_font.pixelSize(), 119);
}

TEST(QtDrawDevice, TextSitsInItsCellInItsDirection)
{
    struct
    {
        std::int32_t nEscapement;
        bool bUpwards;
    } cases[] = {{0, false}, {900, true}};
    for (const auto& c : cases)
    {
        QImage image = WhiteImage(220, 220);
        CDevSize size;
        {
            QPainter painter(&image);
            CQtDrawDevice dc(&painter);
            HDrawObject hFont = dc.CreateFont(MakeLabelFont(17, c.nEscapement));
            HDrawObject hOld = dc.SelectObject(hFont);
            dc.SetBkMode(EBkMode::Transparent);
            dc.SetTextColor(MakeRgb(0, 0, 255));
            size = dc.GetTextExtent("2.0000000000");
            dc.TextOut(60, 150, "2.0000000000");
            dc.SelectObject(hOld);
            dc.DeleteObject(hFont);
        }
        const QRect ink = InkBox(image, kWhite);
        ASSERT_FALSE(ink.isEmpty());
        // Upwards the cell spans the rows above the reference point. Glyph
        // edges may smear one pixel past the advance.
        const QRect cell = c.bUpwards ? QRect(60, 150 - size.m_nCx, size.m_nCy, size.m_nCx)
                                      : QRect(60, 150, size.m_nCx, size.m_nCy);
        EXPECT_TRUE(cell.adjusted(-1, -1, 1, 1).contains(ink))
            << c.nEscapement << ": ink " << ink.x() << "," << ink.y() << " " << ink.width() << "x"
            << ink.height();
        // The glyphs fill most of the cell along the text.
        if (c.bUpwards)
        {
            EXPECT_GT(ink.height(), size.m_nCx * 3 / 4);
            EXPECT_GT(ink.width(), 17 / 2);
        }
        else
        {
            EXPECT_GT(ink.width(), size.m_nCx * 3 / 4);
            EXPECT_GT(ink.height(), 17 / 2);
        }
    }
}

TEST(QtDrawDevice, OpaqueTextFillsItsCellTransparentDoesNot)
{
    for (EBkMode eMode : {EBkMode::Opaque, EBkMode::Transparent})
    {
        QImage image = WhiteImage(120, 40, Qt::black);
        {
            QPainter painter(&image);
            CQtDrawDevice dc(&painter);
            HDrawObject hFont = dc.CreateFont(MakeLabelFont(17, 0));
            HDrawObject hOld = dc.SelectObject(hFont);
            EXPECT_EQ(dc.SetBkMode(eMode), EBkMode::Opaque);
            EXPECT_EQ(dc.SetTextColor(MakeRgb(0, 0, 255)), 0u);
            dc.TextOut(5, 5, "1.5");
            dc.SelectObject(hOld);
            dc.DeleteObject(hFont);
        }
        const bool bOpaque = eMode == EBkMode::Opaque;
        // The cell's top left corner is blank in the glyphs' own pixels.
        EXPECT_EQ(At(image, 5, 5) == kWhite, bOpaque);
        EXPECT_EQ(At(image, 5, 21) == kWhite, bOpaque); // the last row of the cell
        EXPECT_EQ(At(image, 5, 22), kBlack);
        EXPECT_EQ(InkBox(image, kBlack).top() == 5, bOpaque);
    }
}

TEST(QtDrawDevice, ClipBoxIsTheDrawableRectangle)
{
    QImage image = WhiteImage(300, 200);
    QPainter painter(&image);
    {
        CQtDrawDevice dc(&painter);
        EXPECT_EQ(dc.GetClipBox(), (CDevRect{0, 0, 300, 200}));
    }
    painter.setClipRect(QRect(10, 20, 50, 60));
    CQtDrawDevice dc(&painter);
    EXPECT_EQ(dc.GetClipBox(), (CDevRect{10, 20, 60, 80}));
}

TEST(QtDrawDevice, DefaultGraphPixels)
{
    CExprEvaluator evaluator;
    CFunctionList functions;
    CGraphFunction constant(&evaluator);
    constant.m_strExpression = "1";
    constant.m_crColor = MakeRgb(255, 0, 0);
    constant.Sample(CPlotWindow{-2, 2, -2, 2}, 500);
    functions.push_back(std::move(constant));

    QImage image = WhiteImage(800, 600);
    CPlotLayout layout;
    {
        QPainter painter(&image);
        CQtDrawDevice dc(&painter);
        CPlotArea area;
        layout = DrawPlot(&dc, CDevRect{0, 0, 800, 600}, CPlotWindow{-2, 2, -2, 2}, &functions,
                          true, area);
    }
    EXPECT_EQ(layout.m_nPlotLeft, 123);
    // Frame corners and sides.
    for (QPoint pt : {QPoint(123, 23), QPoint(677, 23), QPoint(677, 577), QPoint(123, 577),
                      QPoint(124, 23), QPoint(677, 400)})
    {
        EXPECT_EQ(At(image, pt.x(), pt.y()), kBlack) << pt.x() << "," << pt.y();
    }
    EXPECT_EQ(At(image, 678, 300), kWhite);
    // Axes through the centre.
    EXPECT_EQ(At(image, 400, 100), kBlack);
    EXPECT_EQ(At(image, 200, 300), kBlack);
    EXPECT_EQ(At(image, 401, 100), kWhite);
    // A grid dot of x = -1 and the gap after it.
    EXPECT_EQ(At(image, 261, 27), 0x808080u);
    EXPECT_EQ(At(image, 261, 29), kWhite);
    EXPECT_EQ(At(image, 261, 439), 0x808080u); // 23 + 4 * 104: not a dot of y = -1 ...
    EXPECT_EQ(At(image, 263, 438), 0x808080u); // ... which has its own at 123 + 4 * 35
    // The constant 1 at device Y 161, from the second sample's pixel on.
    EXPECT_EQ(At(image, 300, 161), 0xFF0000u);
    EXPECT_EQ(At(image, 124, 161), 0xFF0000u);
    EXPECT_EQ(At(image, 300, 162), kWhite);
    // Blue labels: above, below, left and right of the plot.
    auto countBlue = [&](QRect rect)
    {
        int nCount = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
        {
            for (int x = rect.left(); x <= rect.right(); ++x)
            {
                QRgb rgb = At(image, x, y);
                if (qBlue(rgb) > 200 && qRed(rgb) < 80 && qGreen(rgb) < 80)
                {
                    ++nCount;
                }
            }
        }
        return nCount;
    };
    EXPECT_GT(countBlue(QRect(123, 5, 554, 17)), 30);
    EXPECT_GT(countBlue(QRect(123, 578, 554, 17)), 30);
    EXPECT_GT(countBlue(QRect(104, 23, 17, 554)), 30);
    EXPECT_GT(countBlue(QRect(678, 23, 17, 554)), 30);
    // Nothing else strays into the margins.
    EXPECT_EQ(countBlue(QRect(0, 0, 100, 600)), 0);
    EXPECT_EQ(InkBox(image.copy(0, 0, 800, 5), kWhite), QRect());
}

TEST(QtDrawDevice, ExtremeWindowsDrawWithoutFault)
{
    // Every window a file or a zoom can produce draws, in bounded time.
    constexpr double kMax = std::numeric_limits<double>::max();
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    const CPlotWindow windows[] = {
        {-kMax, kMax, -kMax, kMax},
        {1e300, std::nextafter(std::nextafter(1e300, kInf), kInf), -1e300, 1e300},
        {0, 1e-300, 0, 1e-300},
        {1e15, 1e15 + 10, -1e15 - 10, -1e15},
        {-1e-12, 1e-12, 5, 5 + 1e-12},
        {kNaN, 2, -2, kNaN},
        {-kInf, kInf, -kInf, kInf},
        {2, -2, 2, -2},
        {3, 3, 3, 3},
        {-1e308, 1e308, -1e-308, 1e-308},
    };
    CExprEvaluator evaluator;
    CFunctionList functions;
    for (const char* pszExpression : {"X", "1/X", "X^3*1E300", "SIN(X)", "SQRT(X)"})
    {
        CGraphFunction function(&evaluator);
        function.m_strExpression = pszExpression;
        function.m_crColor = MakeRgb(255, 0, 0);
        functions.push_back(std::move(function));
    }
    for (const CPlotWindow& w : windows)
    {
        for (CGraphFunction& function : functions)
        {
            function.Sample(w, 1000);
        }
        QImage image = WhiteImage(800, 600);
        {
            QPainter painter(&image);
            CQtDrawDevice dc(&painter);
            CPlotArea area;
            DrawPlot(&dc, CDevRect{0, 0, 800, 600}, w, &functions, true, area);
        }
        EXPECT_EQ(At(image, 123, 23), kBlack) << w.m_dXMin << " " << w.m_dXMax;
        EXPECT_EQ(At(image, 677, 577), kBlack) << w.m_dXMin << " " << w.m_dXMax;
    }
}
} // namespace

// On a surface with a device pixel ratio r, what the drawing covers at 1x,
// each logical pixel as a block of device pixels: r by r at a whole ratio,
// ceil(r) by ceil(r) from the nearest device pixel at a fractional one.
class QtDrawDeviceScaled : public testing::TestWithParam<double>
{
protected:
    static constexpr int kSize = 120;

    // Draws lines of every slope, single pixels, an outline and curves that
    // leave the plot (steep, a pole), all in black, on a white image with
    // that ratio.
    static QImage Draw(double dRatio)
    {
        const int nPixels = static_cast<int>(std::ceil(kSize * dRatio));
        QImage image = WhiteImage(nPixels, nPixels);
        image.setDevicePixelRatio(dRatio);
        CExprEvaluator evaluator;
        CFunctionList functions;
        for (const char* pszExpression : {"SIN(3*X)", "40*X", "1/(X-0.3)"})
        {
            CGraphFunction function(&evaluator);
            function.m_strExpression = pszExpression;
            function.Sample(CPlotWindow{-2, 2, -2, 2}, 97);
            functions.push_back(std::move(function));
        }
        QPainter painter(&image);
        CQtDrawDevice dc(&painter);
        for (const auto& line : {QLine(3, 3, 50, 9), QLine(60, 5, 62, 40), QLine(100, 100, 70, 90),
                                 QLine(5, 110, 40, 75), QLine(30, 20, 30, 21)})
        {
            dc.MoveTo(line.x1(), line.y1());
            dc.LineTo(line.x2(), line.y2());
        }
        for (int i = 0; i < 10; ++i)
        {
            dc.SetPixel(2 + 2 * i, 60, 0);
        }
        dc.SelectObject(dc.GetStockObject(EStockObject::NullBrush));
        dc.Rectangle(10, 20, 110, 116);
        for (const CGraphFunction& function : functions)
        {
            function.DrawCurve(&dc, 12, 96, 22, 92);
        }
        return image;
    }
};

TEST_P(QtDrawDeviceScaled, EachLogicalPixelBecomesOneBlock)
{
    const double r = GetParam();
    const QImage logical = Draw(1.0);
    const QImage scaled = Draw(r);
    const int t = static_cast<int>(std::ceil(r - 1e-9));
    auto anchor = [&](int v) { return static_cast<int>(std::floor(v * r + 0.5)); };
    QImage expected = WhiteImage(scaled.width(), scaled.height());
    for (int y = 0; y < kSize; ++y)
    {
        for (int x = 0; x < kSize; ++x)
        {
            if (At(logical, x, y) == kBlack)
            {
                for (int dy = 0; dy < t; ++dy)
                    for (int dx = 0; dx < t; ++dx)
                        if (anchor(x) + dx < expected.width() && anchor(y) + dy < expected.height())
                            expected.setPixel(anchor(x) + dx, anchor(y) + dy, 0xFF000000);
            }
        }
    }
    expected.setDevicePixelRatio(r);
    EXPECT_EQ(scaled, expected) << "ratio " << r;
    // A horizontal line is t device pixels thick wherever it is: the bottom
    // of the outline, between the sides.
    for (int x = anchor(10) + t; x < anchor(109); ++x)
    {
        int nThick = 0;
        for (int y = anchor(115) - 2; y < anchor(115) + t + 2; ++y)
            nThick += At(scaled, x, y) == kBlack;
        ASSERT_EQ(nThick, t) << "ratio " << r << " column " << x;
    }
}

TEST_P(QtDrawDeviceScaled, InvertedOutlineDrawnTwiceRestoresAndCoversItsPixelsOnce)
{
    const double r = GetParam();
    QImage image =
        WhiteImage(static_cast<int>(std::ceil(60 * r)), static_cast<int>(std::ceil(60 * r)));
    image.setDevicePixelRatio(r);
    const QImage original = image;
    // The second time with the corners given the other way round.
    auto invert = [&image](bool bReversed)
    {
        QPainter painter(&image);
        for (const QRect& rect : {QRect(5, 5, 30, 40), QRect(40, 10, 2, 2), QRect(45, 45, 1, 9)})
        {
            CQtDrawDevice dc(&painter);
            dc.SelectObject(dc.GetStockObject(EStockObject::NullBrush));
            dc.SetROP2(ERop2::NotXorPen);
            const QPoint a = rect.topLeft();
            const QPoint b = rect.bottomRight() + QPoint(1, 1);
            const QPoint from = bReversed ? b : a;
            const QPoint to = bReversed ? a : b;
            dc.Rectangle(from.x(), from.y(), to.x(), to.y());
        }
    };
    invert(false);
    // Inverted once: white turned black, nowhere left white inside a band.
    const int t = static_cast<int>(std::ceil(r - 1e-9));
    auto anchor = [&](int v) { return static_cast<int>(std::floor(v * r + 0.5)); };
    EXPECT_EQ(At(image, anchor(5), anchor(5)), kBlack);
    EXPECT_EQ(At(image, anchor(5) + t - 1, anchor(20)), kBlack);
    EXPECT_EQ(At(image, anchor(34) + t - 1, anchor(44) + t - 1), kBlack);
    EXPECT_EQ(At(image, anchor(20), anchor(20)), kWhite);
    invert(true);
    EXPECT_EQ(image, original) << "ratio " << r;
}

INSTANTIATE_TEST_SUITE_P(Ratios, QtDrawDeviceScaled,
                         testing::Values(1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0));
