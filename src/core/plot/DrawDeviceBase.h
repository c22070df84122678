// What every drawing device keeps the same way: its pens, brushes and fonts
// with the handle rules of CDrawObjectTable, the current position, the text
// colour, the background mode and the raster operation. A back end derives
// from it, draws, and overrides a state operation only to add its own work
// (an EMF record, a recorded call), calling the base for the state itself.
#pragma once

#include "core/plot/DrawDevice.h"
#include "core/plot/DrawObjects.h"

class CDrawDeviceBase : public CDrawDevice
{
public:
    // A solid pen of width 0 or more; anything else fails (returns 0).
    HDrawObject CreatePen(const CPenDesc& pen) override;
    HDrawObject CreateFont(const CFontDesc& font) override;
    HDrawObject GetStockObject(EStockObject eObject) override;
    HDrawObject SelectObject(HDrawObject hObject) override;
    bool DeleteObject(HDrawObject hObject) override;
    void MoveTo(std::int32_t x, std::int32_t y) override;
    // Moves the current position to (x, y) and has the back end draw the line.
    void LineTo(std::int32_t x, std::int32_t y) final;
    ERop2 SetROP2(ERop2 eRop) override;
    EBkMode SetBkMode(EBkMode eMode) override;
    COLORREF SetTextColor(COLORREF crColor) override;

    const CDrawObjectTable& GetObjects() const { return m_objects; }
    CDevPoint GetCurrentPosition() const { return m_ptCurrent; }
    EBkMode GetBkMode() const { return m_eBkMode; }
    COLORREF GetTextColor() const { return m_crText; }
    ERop2 GetROP2() const { return m_eRop; }

protected:
    // A line with the current pen and raster operation; the start pixel is
    // painted, the end pixel is not. The current position is already ptTo.
    virtual void DrawLine(CDevPoint ptFrom, CDevPoint ptTo) = 0;

private:
    CDrawObjectTable m_objects;
    CDevPoint m_ptCurrent;
    EBkMode m_eBkMode = EBkMode::Opaque;
    COLORREF m_crText = 0;
    ERop2 m_eRop = ERop2::CopyPen;
};
