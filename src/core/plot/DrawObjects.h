// The pens, brushes and fonts of one drawing device, with the selection of
// each kind. Every back end keeps its objects here, so that they all follow
// the same rules: stock objects are never deleted, a selected object cannot
// be deleted, and a handle is never reused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>

#include "core/plot/DrawDevice.h"

enum class EObjectKind
{
    Pen,
    Brush,
    Font
};

struct CDrawObject
{
    EObjectKind m_eKind = EObjectKind::Pen;
    bool m_bStock = false;
    CPenDesc m_pen;
    CBrushDesc m_brush;
    CFontDesc m_font;
};

class CDrawObjectTable
{
public:
    // Handles of stock objects; created objects count up from 1.
    static constexpr HDrawObject kStockBase = 0x80000000u;

    // Starts with the black pen, the white brush and the system font selected.
    CDrawObjectTable();

    HDrawObject AddPen(const CPenDesc& pen);
    HDrawObject AddFont(const CFontDesc& font);
    static HDrawObject StockHandle(EStockObject eObject);

    // Null for an unknown or deleted handle.
    const CDrawObject* Find(HDrawObject hObject) const;

    // Returns the previously selected object of the same kind, or 0 (and
    // changes nothing) for an unknown handle.
    HDrawObject Select(HDrawObject hObject);
    bool Delete(HDrawObject hObject);

    HDrawObject GetSelected(EObjectKind eKind) const;
    const CPenDesc& GetPen() const;
    const CBrushDesc& GetBrush() const;
    const CFontDesc& GetFont() const;

private:
    HDrawObject Add(const CDrawObject& object);

    std::map<HDrawObject, CDrawObject> m_mapObjects;
    HDrawObject m_hNext = 1;
    HDrawObject m_hPen;
    HDrawObject m_hBrush;
    HDrawObject m_hFont;
};
