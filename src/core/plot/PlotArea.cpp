#include "core/plot/PlotArea.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "core/plot/Fonts.h"
#include "core/plot/Mapping.h"

namespace
{
constexpr double kExactIntegers = 9007199254740992.0; // 2^53

// The next integer-valued double above dValue (itself integer-valued and
// finite). Beyond 2^53 every double is an integer and adding one no longer
// moves it.
double NextIntegerUp(double dValue)
{
    if (std::fabs(dValue) < kExactIntegers)
    {
        return dValue + 1.0;
    }
    return std::nextafter(dValue, std::numeric_limits<double>::infinity());
}

double NextIntegerDown(double dValue)
{
    if (std::fabs(dValue) < kExactIntegers)
    {
        return dValue - 1.0;
    }
    return std::nextafter(dValue, -std::numeric_limits<double>::infinity());
}

// Orders doubles as integers, so that bisection halves the number of doubles
// between two values rather than their difference.
std::int64_t OrdinalOf(double dValue)
{
    std::int64_t nBits;
    std::memcpy(&nBits, &dValue, sizeof nBits);
    return nBits >= 0 ? nBits : std::numeric_limits<std::int64_t>::min() - nBits;
}

double DoubleOfOrdinal(std::int64_t nOrdinal)
{
    std::int64_t nBits =
        nOrdinal >= 0 ? nOrdinal : std::numeric_limits<std::int64_t>::min() - nOrdinal;
    double dValue;
    std::memcpy(&dValue, &nBits, sizeof dValue);
    return dValue;
}

// An integer-valued double strictly between dLow and dHigh (both positive
// integers with at least one integer between them), near the middle of the
// doubles between them.
double MiddleInteger(double dLow, double dHigh)
{
    double dMiddle = std::floor(DoubleOfOrdinal(OrdinalOf(dLow) / 2 + OrdinalOf(dHigh) / 2));
    if (!(dMiddle > dLow) || !(dMiddle < dHigh))
    {
        dMiddle = NextIntegerUp(dLow);
    }
    return dMiddle;
}

// Walks the whole numbers of one side of zero as the grid rule does (1, 2, 3
// ... or -1, -2, -3 ...) and calls visit(n) once for every distinct device
// coordinate n strictly between nLow and nHigh that one of them maps to.
// u counts outwards from zero (u = nSide * v); only the u with dLowU < u <
// dHighU can lie inside the window. Where many integers share one device unit
// (a window wider than the plot area has pixels, or far from the origin) the
// walk leaps over them by bisection, so it visits at most one integer per
// device unit plus a bisection for each: bounded for every window.
template <typename MapFn, typename VisitFn>
void WalkWholeNumbers(int nSide, double dLowU, double dHighU, std::int32_t nLow, std::int32_t nHigh,
                      MapFn map, VisitFn visit)
{
    double dFirst = std::max(1.0, NextIntegerUp(std::floor(dLowU)));
    double dLast = NextIntegerDown(std::ceil(dHighU));
    if (!(dFirst <= dLast))
    {
        return;
    }
    auto deviceOf = [&](double u) { return map(nSide * u); };
    // The direction the device coordinate moves as u grows, to stop once the
    // walk has passed the far edge.
    const bool bRising = deviceOf(dLast) >= deviceOf(dFirst);

    double u = dFirst;
    for (;;)
    {
        const std::int32_t nDevice = deviceOf(u);
        if (nLow < nDevice && nDevice < nHigh)
        {
            visit(nDevice);
        }
        if ((bRising && nDevice >= nHigh) || (!bRising && nDevice <= nLow) || u >= dLast)
        {
            return;
        }
        double dNext = NextIntegerUp(u);
        if (deviceOf(dNext) != nDevice)
        {
            u = dNext;
            continue;
        }
        // Several integers on this device unit: find the first one beyond it.
        if (deviceOf(dLast) == nDevice)
        {
            return;
        }
        double dSame = dNext;
        double dOther = dLast;
        while (NextIntegerUp(dSame) < dOther)
        {
            double dMiddle = MiddleInteger(dSame, dOther);
            if (deviceOf(dMiddle) == nDevice)
            {
                dSame = dMiddle;
            }
            else
            {
                dOther = dMiddle;
            }
        }
        u = dOther;
    }
}

bool IsUsableRange(double dMin, double dMax)
{
    // A window with a bound that is not finite, or with no width, maps no
    // whole number strictly inside the plot area.
    return std::isfinite(dMin) && std::isfinite(dMax) && dMax > dMin;
}
} // namespace

CPlotArea::CPlotArea()
    : m_crGrid(MakeRgb(128, 128, 128)), m_crAxis(MakeRgb(0, 0, 0)), m_crText(MakeRgb(0, 0, 255))
{
}

CPlotArea::~CPlotArea() = default;

void CPlotArea::SetArea(const CPlotWindow& window, std::int32_t nLeft, std::int32_t nWidth,
                        std::int32_t nTop, std::int32_t nHeight)
{
    m_window = window;
    m_nLeft = nLeft;
    m_nWidth = nWidth;
    m_nTop = nTop;
    m_nHeight = nHeight;
}

void CPlotArea::DrawGrid(CDrawDevice* pDC) const
{
    const std::int64_t l = m_nLeft;
    const std::int64_t t = m_nTop;
    const std::int64_t nRight = l + m_nWidth;
    const std::int64_t nBottom = t + m_nHeight;
    if (m_nWidth <= 0 || m_nHeight <= 0 || nRight > std::numeric_limits<std::int32_t>::max() ||
        nBottom > std::numeric_limits<std::int32_t>::max())
    {
        return;
    }
    // A spacing below one unit would never reach the far edge.
    const std::int64_t nStep = std::max<std::int64_t>(std::min(l, t) / 5, 1);
    const CPlotWindow& win = m_window;

    if (IsUsableRange(win.m_dXMin, win.m_dXMax))
    {
        auto mapX = [this, &win](double v)
        { return MapX(v, win.m_dXMin, win.m_dXMax, m_nLeft, m_nWidth); };
        auto drawVertical = [&](std::int32_t x)
        {
            for (std::int64_t y = t; y < nBottom; y += nStep)
            {
                pDC->SetPixel(x, static_cast<std::int32_t>(y), m_crGrid);
            }
        };
        WalkWholeNumbers(1, win.m_dXMin, win.m_dXMax, m_nLeft, static_cast<std::int32_t>(nRight),
                         mapX, drawVertical);
        WalkWholeNumbers(-1, -win.m_dXMax, -win.m_dXMin, m_nLeft, static_cast<std::int32_t>(nRight),
                         mapX, drawVertical);
    }
    if (IsUsableRange(win.m_dYMin, win.m_dYMax))
    {
        auto mapY = [this, &win](double v)
        { return MapY(v, win.m_dYMin, win.m_dYMax, m_nTop, m_nHeight); };
        auto drawHorizontal = [&](std::int32_t y)
        {
            for (std::int64_t x = l; x < nRight; x += nStep)
            {
                pDC->SetPixel(static_cast<std::int32_t>(x), y, m_crGrid);
            }
        };
        WalkWholeNumbers(1, win.m_dYMin, win.m_dYMax, m_nTop, static_cast<std::int32_t>(nBottom),
                         mapY, drawHorizontal);
        WalkWholeNumbers(-1, -win.m_dYMax, -win.m_dYMin, m_nTop, static_cast<std::int32_t>(nBottom),
                         mapY, drawHorizontal);
    }
}

void CPlotArea::DrawAxes(CDrawDevice* pDC) const
{
    // Sums in 64 bits and back: the layout never comes near the 32-bit
    // limits, and an odd caller's rectangle wraps instead of overflowing.
    auto add = [](std::int64_t a, std::int64_t b)
    { return static_cast<std::int32_t>(static_cast<std::uint32_t>(a + b)); };
    const std::int32_t l = m_nLeft;
    const std::int32_t w = m_nWidth;
    const std::int32_t t = m_nTop;
    const std::int32_t h = m_nHeight;
    const std::int32_t r = add(l, w);
    const std::int32_t b = add(t, h);

    // The device positions of x = 0 and y = 0.
    const CPlotWindow& win = m_window;
    const std::int32_t x0 = TruncateToDevice(l - w * win.m_dXMin / (win.m_dXMax - win.m_dXMin));
    const std::int32_t y0 = TruncateToDevice(static_cast<double>(static_cast<std::int64_t>(t) + h) +
                                             h * win.m_dYMin / (win.m_dYMax - win.m_dYMin));

    const HDrawObject hPen = pDC->CreatePen(CPenDesc{EPenStyle::Solid, 0, m_crAxis});
    const HDrawObject hOldPen = hPen != 0 ? pDC->SelectObject(hPen) : 0;

    pDC->MoveTo(l, t);
    pDC->LineTo(r, t);
    pDC->LineTo(r, b);
    pDC->LineTo(l, b);
    pDC->LineTo(l, t);
    if (t < y0 && y0 < b)
    {
        pDC->MoveTo(l, y0);
        pDC->LineTo(r, y0);
    }
    if (l < x0 && x0 < r)
    {
        pDC->MoveTo(x0, t);
        pDC->LineTo(x0, b);
    }
    if (hPen != 0)
    {
        pDC->SelectObject(hOldPen);
    }

    const std::int32_t cx0 = add(l, w / 2);
    const std::int32_t cy0 = add(t, h / 2);
    const std::int32_t nFontHeight =
        static_cast<std::int32_t>(static_cast<std::int64_t>(std::min(l, t)) * 3 / 4);
    const HDrawObject hHorizontal = pDC->CreateFont(MakeLabelFont(nFontHeight, 0));
    const HDrawObject hVertical = pDC->CreateFont(MakeLabelFont(nFontHeight, 900));

    const EBkMode eOldMode = pDC->SetBkMode(EBkMode::Transparent);
    const COLORREF crOldText = pDC->SetTextColor(m_crText);

    // A font that could not be created leaves the current one in use.
    HDrawObject hOldFont = 0;
    auto selectFont = [&](HDrawObject hFont)
    {
        if (hFont != 0)
        {
            HDrawObject hPrevious = pDC->SelectObject(hFont);
            if (hOldFont == 0)
            {
                hOldFont = hPrevious;
            }
        }
    };

    selectFont(hHorizontal);
    const std::string strYMax = FormatBound(win.m_dYMax);
    const CDevSize sizeYMax = pDC->GetTextExtent(strYMax);
    const std::int32_t xh = add(cx0, -(sizeYMax.m_nCx / 2));
    pDC->TextOut(xh, add(t, -static_cast<std::int64_t>(sizeYMax.m_nCy) - 1), strYMax);
    pDC->TextOut(xh, add(b, 1), FormatBound(win.m_dYMin));

    selectFont(hVertical);
    const std::string strXMin = FormatBound(win.m_dXMin);
    const CDevSize sizeXMin = pDC->GetTextExtent(strXMin);
    const std::int32_t yv = add(cy0, sizeXMin.m_nCx / 2);
    pDC->TextOut(add(l, -static_cast<std::int64_t>(sizeXMin.m_nCy) - 2), yv, strXMin);
    pDC->TextOut(add(r, 1), yv, FormatBound(win.m_dXMax));

    if (hOldFont != 0)
    {
        pDC->SelectObject(hOldFont);
    }
    pDC->SetTextColor(crOldText);
    pDC->SetBkMode(eOldMode);
    if (hHorizontal != 0)
    {
        pDC->DeleteObject(hHorizontal);
    }
    if (hVertical != 0)
    {
        pDC->DeleteObject(hVertical);
    }
    if (hPen != 0)
    {
        pDC->DeleteObject(hPen);
    }
}

std::string FormatBound(double dValue)
{
    // The widest double in fixed notation has 309 integer digits.
    char szBuffer[400];
    int nLength = std::snprintf(szBuffer, sizeof szBuffer, "%02.10f", dValue);
    if (nLength < 0)
    {
        return std::string();
    }
    if (static_cast<std::size_t>(nLength) >= sizeof szBuffer)
    {
        std::string strText(static_cast<std::size_t>(nLength) + 1, '\0');
        std::snprintf(strText.data(), strText.size(), "%02.10f", dValue);
        strText.resize(static_cast<std::size_t>(nLength));
        return strText;
    }
    return std::string(szBuffer, static_cast<std::size_t>(nLength));
}
