#include "core/plot/DrawDeviceBase.h"

#include <utility>

HDrawObject CDrawDeviceBase::CreatePen(const CPenDesc& pen)
{
    if (pen.m_eStyle != EPenStyle::Solid || pen.m_nWidth < 0)
    {
        return 0;
    }
    return m_objects.AddPen(pen);
}

HDrawObject CDrawDeviceBase::CreateFont(const CFontDesc& font)
{
    return m_objects.AddFont(font);
}

HDrawObject CDrawDeviceBase::GetStockObject(EStockObject eObject)
{
    return CDrawObjectTable::StockHandle(eObject);
}

HDrawObject CDrawDeviceBase::SelectObject(HDrawObject hObject)
{
    return m_objects.Select(hObject);
}

bool CDrawDeviceBase::DeleteObject(HDrawObject hObject)
{
    return m_objects.Delete(hObject);
}

void CDrawDeviceBase::MoveTo(std::int32_t x, std::int32_t y)
{
    m_ptCurrent = CDevPoint{x, y};
}

void CDrawDeviceBase::LineTo(std::int32_t x, std::int32_t y)
{
    const CDevPoint ptFrom = std::exchange(m_ptCurrent, CDevPoint{x, y});
    DrawLine(ptFrom, m_ptCurrent);
}

ERop2 CDrawDeviceBase::SetROP2(ERop2 eRop)
{
    return std::exchange(m_eRop, eRop);
}

EBkMode CDrawDeviceBase::SetBkMode(EBkMode eMode)
{
    return std::exchange(m_eBkMode, eMode);
}

COLORREF CDrawDeviceBase::SetTextColor(COLORREF crColor)
{
    return std::exchange(m_crText, crColor);
}
