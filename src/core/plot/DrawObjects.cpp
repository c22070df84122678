#include "core/plot/DrawObjects.h"

namespace
{
CDrawObject StockObject(EStockObject eObject)
{
    CDrawObject object;
    object.m_bStock = true;
    switch (eObject)
    {
    case EStockObject::WhiteBrush:
        object.m_eKind = EObjectKind::Brush;
        object.m_brush = CBrushDesc{false, MakeRgb(255, 255, 255)};
        break;
    case EStockObject::NullBrush:
        object.m_eKind = EObjectKind::Brush;
        object.m_brush = CBrushDesc{true, 0};
        break;
    case EStockObject::BlackPen:
        object.m_eKind = EObjectKind::Pen;
        object.m_pen = CPenDesc{EPenStyle::Solid, 0, MakeRgb(0, 0, 0)};
        break;
    case EStockObject::SystemFont:
        object.m_eKind = EObjectKind::Font;
        object.m_font.m_nHeight = 16;
        object.m_font.m_nWeight = 700;
        object.m_font.m_nPitchAndFamily = 0x20;
        object.m_font.m_strFaceName = "System";
        break;
    }
    return object;
}
} // namespace

CDrawObjectTable::CDrawObjectTable()
    : m_hPen(StockHandle(EStockObject::BlackPen)), m_hBrush(StockHandle(EStockObject::WhiteBrush)),
      m_hFont(StockHandle(EStockObject::SystemFont))
{
    for (EStockObject eObject : {EStockObject::WhiteBrush, EStockObject::NullBrush,
                                 EStockObject::BlackPen, EStockObject::SystemFont})
    {
        m_mapObjects.emplace(StockHandle(eObject), StockObject(eObject));
    }
}

HDrawObject CDrawObjectTable::StockHandle(EStockObject eObject)
{
    return kStockBase | static_cast<HDrawObject>(eObject);
}

HDrawObject CDrawObjectTable::Add(const CDrawObject& object)
{
    if (m_hNext >= kStockBase)
    {
        return 0; // out of handles: behaves as a failed creation
    }
    HDrawObject hObject = m_hNext++;
    m_mapObjects.emplace(hObject, object);
    return hObject;
}

HDrawObject CDrawObjectTable::AddPen(const CPenDesc& pen)
{
    CDrawObject object;
    object.m_eKind = EObjectKind::Pen;
    object.m_pen = pen;
    return Add(object);
}

HDrawObject CDrawObjectTable::AddFont(const CFontDesc& font)
{
    CDrawObject object;
    object.m_eKind = EObjectKind::Font;
    object.m_font = font;
    return Add(object);
}

const CDrawObject* CDrawObjectTable::Find(HDrawObject hObject) const
{
    auto it = m_mapObjects.find(hObject);
    return it == m_mapObjects.end() ? nullptr : &it->second;
}

HDrawObject CDrawObjectTable::Select(HDrawObject hObject)
{
    const CDrawObject* pObject = Find(hObject);
    if (pObject == nullptr)
    {
        return 0;
    }
    HDrawObject* pSlot = nullptr;
    switch (pObject->m_eKind)
    {
    case EObjectKind::Pen:
        pSlot = &m_hPen;
        break;
    case EObjectKind::Brush:
        pSlot = &m_hBrush;
        break;
    case EObjectKind::Font:
        pSlot = &m_hFont;
        break;
    }
    HDrawObject hPrevious = *pSlot;
    *pSlot = hObject;
    return hPrevious;
}

bool CDrawObjectTable::Delete(HDrawObject hObject)
{
    const CDrawObject* pObject = Find(hObject);
    if (pObject == nullptr || pObject->m_bStock || hObject == m_hPen || hObject == m_hBrush ||
        hObject == m_hFont)
    {
        return false;
    }
    m_mapObjects.erase(hObject);
    return true;
}

HDrawObject CDrawObjectTable::GetSelected(EObjectKind eKind) const
{
    switch (eKind)
    {
    case EObjectKind::Pen:
        return m_hPen;
    case EObjectKind::Brush:
        return m_hBrush;
    case EObjectKind::Font:
        return m_hFont;
    }
    return 0;
}

const CPenDesc& CDrawObjectTable::GetPen() const
{
    return Find(m_hPen)->m_pen;
}
const CBrushDesc& CDrawObjectTable::GetBrush() const
{
    return Find(m_hBrush)->m_brush;
}
const CFontDesc& CDrawObjectTable::GetFont() const
{
    return Find(m_hFont)->m_font;
}
