// The drawing device on a QPainter: a widget, an image, a printer, an SVG or
// a PDF. The painter must be active; the device draws without antialiasing
// and in the painter's device units.
#pragma once

#include <QLine>
#include <QPainter>
#include <QPen>
#include <QPoint>
#include <unordered_map>
#include <vector>

#include "view/DrawDevice.h"
#include "view/DrawObjects.h"
#include "view/QtFonts.h"

class CQtDrawDevice : public CDrawDevice
{
public:
    explicit CQtDrawDevice(QPainter* pPainter);
    // Paints what is still held back.
    ~CQtDrawDevice() override;

    CQtDrawDevice(const CQtDrawDevice&) = delete;
    CQtDrawDevice& operator=(const CQtDrawDevice&) = delete;

    HDrawObject CreatePen(const CPenDesc& pen) override;
    HDrawObject CreateFont(const CFontDesc& font) override;
    HDrawObject GetStockObject(EStockObject eObject) override;
    HDrawObject SelectObject(HDrawObject hObject) override;
    bool DeleteObject(HDrawObject hObject) override;
    void MoveTo(std::int32_t x, std::int32_t y) override;
    void LineTo(std::int32_t x, std::int32_t y) override;
    void SetPixel(std::int32_t x, std::int32_t y, COLORREF crColor) override;
    void Rectangle(std::int32_t nLeft, std::int32_t nTop, std::int32_t nRight,
                   std::int32_t nBottom) override;
    ERop2 SetROP2(ERop2 eRop) override;
    EBkMode SetBkMode(EBkMode eMode) override;
    COLORREF SetTextColor(COLORREF crColor) override;
    void TextOut(std::int32_t x, std::int32_t y, const std::string& strText) override;
    CDevSize GetTextExtent(const std::string& strText) override;
    CDevRect GetClipBox() override;

    // Paints the pixels of lines and single pixels held back so far: they are
    // collected to be painted in one call. Every other operation flushes
    // first, so the order of drawing is kept.
    void Flush();

private:
    const CQtFont& CurrentFont();
    QPen CurrentQPen() const;
    // Whether an operation that follows the raster operation inverts now.
    bool Inverts(bool bUseRop) const;
    void ApplyComposition(bool bInvert);
    bool CanRasterize(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const;
    void AddRun(COLORREF crColor, bool bUseRop, int x1, int y1, int x2, int y2);

    QPainter* m_pPainter;
    CDrawObjectTable m_objects;
    std::unordered_map<HDrawObject, CQtFont> m_mapFonts;
    CQtFont m_systemFont;
    bool m_bSystemFont = false;
    // A raster surface gets whole pixels; a vector one gets lines through
    // pixel centres.
    bool m_bRaster;
    bool m_bRasterOps;
    CDevPoint m_ptCurrent;
    EBkMode m_eBkMode = EBkMode::Opaque;
    COLORREF m_crText = 0;
    ERop2 m_eRop = ERop2::CopyPen;
    // Runs of pixels (rows or columns, inclusive) of lines and single pixels
    // held back to be painted in one call, all of one colour and raster
    // operation.
    std::vector<QLine> m_vRuns;
    std::vector<QPoint> m_vPoints; // runs of one pixel
    COLORREF m_crRuns = 0;
    bool m_bRunsInvert = false;
};
