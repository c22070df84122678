// The drawing device on a QPainter: a widget, an image, a printer, an SVG or
// a PDF. The painter must be active; the device draws without antialiasing
// and in the painter's device units.
#pragma once

#include <QLine>
#include <QPainter>
#include <QPen>
#include <QPoint>
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

    QPainter* m_pPainter;
    CQtFontCache m_fonts;
    // A raster surface gets whole pixels; a vector one gets lines through
    // pixel centres.
    bool m_bRaster;
    bool m_bRasterOps;
    // Runs of pixels (rows or columns, inclusive) of lines and single pixels
    // held back to be painted in one call, all of one colour and raster
    // operation.
    std::vector<QLine> m_vRuns;
    std::vector<QPoint> m_vPoints; // runs of one pixel
    COLORREF m_crRuns = 0;
    bool m_bRunsInvert = false;
};
