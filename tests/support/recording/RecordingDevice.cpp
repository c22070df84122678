#include "RecordingDevice.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

CRecordingDevice::CRecordingDevice(CDevRect rectClip)
    : m_rectClip(rectClip), m_measure(&CRecordingDevice::MeasureByCharacters)
{
}

CDevSize CRecordingDevice::MeasureByCharacters(const CFontDesc& font, const std::string& strText)
{
    std::int32_t nCharacters = 0;
    for (char ch : strText)
    {
        if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80) // not a continuation byte
        {
            ++nCharacters;
        }
    }
    const std::int32_t nCell = font.m_nHeight != 0 ? std::abs(font.m_nHeight) : 16;
    return CDevSize{nCharacters * (nCell / 2), nCell};
}

CDrawRecord& CRecordingDevice::Record(EDrawOp eOp)
{
    CDrawRecord& record = m_vRecords.emplace_back();
    record.m_eOp = eOp;
    return record;
}

std::vector<CDrawRecord> CRecordingDevice::GetRecords(EDrawOp eOp) const
{
    std::vector<CDrawRecord> vRecords;
    std::copy_if(m_vRecords.begin(), m_vRecords.end(), std::back_inserter(vRecords),
                 [eOp](const CDrawRecord& record) { return record.m_eOp == eOp; });
    return vRecords;
}

std::size_t CRecordingDevice::Count(EDrawOp eOp) const
{
    return static_cast<std::size_t>(std::count_if(m_vRecords.begin(), m_vRecords.end(),
                                                  [eOp](const CDrawRecord& record)
                                                  { return record.m_eOp == eOp; }));
}

HDrawObject CRecordingDevice::CreatePen(const CPenDesc& pen)
{
    HDrawObject hPen = m_bFailPens ? 0 : CDrawDeviceBase::CreatePen(pen);
    CDrawRecord& record = Record(EDrawOp::CreatePen);
    record.m_pen = pen;
    record.m_crColor = pen.m_crColor;
    record.m_hObject = hPen;
    record.m_nResult = hPen;
    m_nLive += hPen != 0 ? 1 : 0;
    return hPen;
}

HDrawObject CRecordingDevice::CreateFont(const CFontDesc& font)
{
    HDrawObject hFont = CDrawDeviceBase::CreateFont(font);
    CDrawRecord& record = Record(EDrawOp::CreateFont);
    record.m_font = font;
    record.m_hObject = hFont;
    record.m_nResult = hFont;
    m_nLive += hFont != 0 ? 1 : 0;
    return hFont;
}

HDrawObject CRecordingDevice::GetStockObject(EStockObject eObject)
{
    HDrawObject hObject = CDrawDeviceBase::GetStockObject(eObject);
    CDrawRecord& record = Record(EDrawOp::GetStockObject);
    record.m_hObject = hObject;
    record.m_nResult = hObject;
    return hObject;
}

HDrawObject CRecordingDevice::SelectObject(HDrawObject hObject)
{
    HDrawObject hPrevious = CDrawDeviceBase::SelectObject(hObject);
    if (hPrevious == 0)
    {
        ++m_nMisuses;
    }
    CDrawRecord& record = Record(EDrawOp::SelectObject);
    record.m_hObject = hObject;
    record.m_nResult = hPrevious;
    return hPrevious;
}

bool CRecordingDevice::DeleteObject(HDrawObject hObject)
{
    bool bDeleted = CDrawDeviceBase::DeleteObject(hObject);
    if (bDeleted)
    {
        --m_nLive;
    }
    else
    {
        ++m_nMisuses;
    }
    CDrawRecord& record = Record(EDrawOp::DeleteObject);
    record.m_hObject = hObject;
    record.m_nResult = bDeleted ? 1 : 0;
    return bDeleted;
}

void CRecordingDevice::MoveTo(std::int32_t x, std::int32_t y)
{
    CDrawRecord& record = Record(EDrawOp::MoveTo);
    record.m_nX1 = x;
    record.m_nY1 = y;
    CDrawDeviceBase::MoveTo(x, y);
}

void CRecordingDevice::DrawLine(CDevPoint ptFrom, CDevPoint ptTo)
{
    CDrawRecord& record = Record(EDrawOp::LineTo);
    record.m_nX1 = ptFrom.m_nX;
    record.m_nY1 = ptFrom.m_nY;
    record.m_nX2 = ptTo.m_nX;
    record.m_nY2 = ptTo.m_nY;
    record.m_hObject = GetObjects().GetSelected(EObjectKind::Pen);
    record.m_pen = GetObjects().GetPen();
    record.m_crColor = record.m_pen.m_crColor;
    record.m_nValue = static_cast<std::int32_t>(GetROP2());
}

void CRecordingDevice::SetPixel(std::int32_t x, std::int32_t y, COLORREF crColor)
{
    CDrawRecord& record = Record(EDrawOp::SetPixel);
    record.m_nX1 = x;
    record.m_nY1 = y;
    record.m_crColor = crColor;
}

void CRecordingDevice::Rectangle(std::int32_t nLeft, std::int32_t nTop, std::int32_t nRight,
                                 std::int32_t nBottom)
{
    CDrawRecord& record = Record(EDrawOp::Rectangle);
    record.m_nX1 = nLeft;
    record.m_nY1 = nTop;
    record.m_nX2 = nRight;
    record.m_nY2 = nBottom;
    record.m_hObject = GetObjects().GetSelected(EObjectKind::Brush);
    record.m_pen = GetObjects().GetPen();
    record.m_crColor = record.m_pen.m_crColor;
    record.m_nValue = static_cast<std::int32_t>(GetROP2());
}

ERop2 CRecordingDevice::SetROP2(ERop2 eRop)
{
    ERop2 ePrevious = CDrawDeviceBase::SetROP2(eRop);
    CDrawRecord& record = Record(EDrawOp::SetROP2);
    record.m_nValue = static_cast<std::int32_t>(eRop);
    record.m_nResult = static_cast<std::int32_t>(ePrevious);
    return ePrevious;
}

EBkMode CRecordingDevice::SetBkMode(EBkMode eMode)
{
    EBkMode ePrevious = CDrawDeviceBase::SetBkMode(eMode);
    CDrawRecord& record = Record(EDrawOp::SetBkMode);
    record.m_nValue = static_cast<std::int32_t>(eMode);
    record.m_nResult = static_cast<std::int32_t>(ePrevious);
    return ePrevious;
}

COLORREF CRecordingDevice::SetTextColor(COLORREF crColor)
{
    COLORREF crPrevious = CDrawDeviceBase::SetTextColor(crColor);
    CDrawRecord& record = Record(EDrawOp::SetTextColor);
    record.m_crColor = crColor;
    record.m_nResult = crPrevious;
    return crPrevious;
}

void CRecordingDevice::TextOut(std::int32_t x, std::int32_t y, const std::string& strText)
{
    CDrawRecord& record = Record(EDrawOp::TextOut);
    record.m_nX1 = x;
    record.m_nY1 = y;
    record.m_strText = strText;
    record.m_crColor = GetTextColor();
    record.m_hObject = GetObjects().GetSelected(EObjectKind::Font);
    record.m_font = GetObjects().GetFont();
    record.m_eBkMode = GetBkMode();
}

CDevSize CRecordingDevice::GetTextExtent(const std::string& strText)
{
    CDevSize size = m_measure(GetObjects().GetFont(), strText);
    CDrawRecord& record = Record(EDrawOp::GetTextExtent);
    record.m_strText = strText;
    record.m_hObject = GetObjects().GetSelected(EObjectKind::Font);
    record.m_font = GetObjects().GetFont();
    record.m_nX1 = size.m_nCx;
    record.m_nY1 = size.m_nCy;
    return size;
}

CDevRect CRecordingDevice::GetClipBox()
{
    Record(EDrawOp::GetClipBox);
    return m_rectClip;
}
