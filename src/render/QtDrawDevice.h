// The drawing device on a QPainter: a widget, an image, a printer, an SVG or
// a PDF. The painter must be active; the device draws without antialiasing
// and in the painter's device units.
//
// On a raster surface with a device pixel ratio r other than 1 (a screen
// scaled to 150% or 200%), units are logical pixels, and every pixel that a
// line, a single pixel or a rectangle's outline covers at 1x becomes a block
// of device pixels: r by r at a whole ratio, so that the picture is the 1x
// one enlarged; ceil(r) by ceil(r) anchored at the nearest device pixel at a
// fractional one, so that lines keep one thickness and no gaps. Text is
// drawn by Qt at the device's own resolution.
#pragma once

#include <QLine>
#include <QPainter>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <QTransform>
#include <vector>

#include "core/plot/DrawDeviceBase.h"
#include "render/QtFonts.h"

class CQtDrawDevice : public CDrawDeviceBase
{
public:
    explicit CQtDrawDevice(QPainter* pPainter);
    // Paints what is still held back.
    ~CQtDrawDevice() override;

    CQtDrawDevice(const CQtDrawDevice&) = delete;
    CQtDrawDevice& operator=(const CQtDrawDevice&) = delete;

    bool DeleteObject(HDrawObject hObject) override;
    void SetPixel(std::int32_t x, std::int32_t y, COLORREF crColor) override;
    void Rectangle(std::int32_t nLeft, std::int32_t nTop, std::int32_t nRight,
                   std::int32_t nBottom) override;
    void TextOut(std::int32_t x, std::int32_t y, const std::string& strText) override;
    CDevSize GetTextExtent(const std::string& strText) override;
    CDevRect GetClipBox() override;
    // Only pixels count on a raster surface drawn with the copy pen and a
    // one-pixel pen; a vector surface is given every line that has a length,
    // an inverting operation every line.
    ECurveTrace GetCurveTrace() override;

    // From now on paints only the columns [nFrom, nTo) of the surface, so
    // that devices on several threads can draw one image side by side, each
    // in its own columns, with the pixels one device would paint.
    void LimitToColumns(std::int32_t nFrom, std::int32_t nTo);

    // Paints the pixels of lines and single pixels held back so far: they are
    // collected to be painted in one call. Every other operation flushes
    // first, so the order of drawing is kept.
    void Flush();

protected:
    void DrawLine(CDevPoint ptFrom, CDevPoint ptTo) override;

private:
    QPen CurrentQPen() const;
    // Whether an operation that follows the raster operation inverts now.
    bool Inverts(bool bUseRop) const;
    void ApplyComposition(bool bInvert);
    bool CanRasterize(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const;
    void AddRun(COLORREF crColor, bool bUseRop, int x1, int y1, int x2, int y2);
    // The surface's size in the device's units.
    QSize SurfaceSize() const;
    // Device pixels of the logical pixels x1..x2, y1..y2 (inclusive).
    QRect Block(int x1, int y1, int x2, int y2) const;
    // Paints device-pixel rectangles with the world transform undone.
    void FillDeviceRects(const QRect* pRects, int nCount, const QColor& color);
    void OutlineInBlocks(int nLeft, int nTop, int nRight, int nBottom, const QColor& color);

    QPainter* m_pPainter;
    CQtFontCache m_fonts;
    // A raster surface gets whole pixels; a vector one gets lines through
    // pixel centres.
    bool m_bRaster;
    bool m_bRasterOps;
    // Set on a raster surface whose device pixels are not the units: the
    // mapping of a logical pixel to its block of device pixels.
    bool m_bBlocks = false;
    double m_dScale = 1.0;
    double m_dOffsetX = 0.0;
    double m_dOffsetY = 0.0;
    int m_nThickness = 1; // device pixels a block spans
    QTransform m_toDevice;
    std::vector<QRect> m_vBlocks;
    // Runs of pixels (rows or columns, inclusive) of lines and single pixels
    // held back to be painted in one call, all of one colour and raster
    // operation.
    std::vector<QLine> m_vRuns;
    std::vector<QPoint> m_vPoints; // runs of one pixel
    COLORREF m_crRuns = 0;
    bool m_bRunsInvert = false;
};
