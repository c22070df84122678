// A drawing device that draws nothing and keeps every operation with its
// arguments, for checking the drawing's geometry exactly.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/plot/DrawDeviceBase.h"

enum class EDrawOp
{
    CreatePen,
    CreateFont,
    GetStockObject,
    SelectObject,
    DeleteObject,
    MoveTo,
    LineTo,
    SetPixel,
    Rectangle,
    SetROP2,
    SetBkMode,
    SetTextColor,
    TextOut,
    GetTextExtent,
    GetClipBox,
};

struct CDrawRecord
{
    EDrawOp m_eOp = EDrawOp::MoveTo;
    // MoveTo, SetPixel, TextOut: the point. LineTo: from (x1, y1) to (x2, y2).
    // Rectangle: left, top, right, bottom.
    std::int32_t m_nX1 = 0;
    std::int32_t m_nY1 = 0;
    std::int32_t m_nX2 = 0;
    std::int32_t m_nY2 = 0;
    // SetPixel and SetTextColor: the colour. LineTo: the current pen's
    // colour. TextOut: the text colour.
    COLORREF m_crColor = 0;
    // The object created, selected or deleted; for LineTo the current pen,
    // for TextOut and GetTextExtent the current font.
    HDrawObject m_hObject = 0;
    // What the call returned: the new or previous object, the previous
    // setting, 1 or 0 for DeleteObject.
    std::int64_t m_nResult = 0;
    // SetROP2, SetBkMode: the new setting.
    std::int32_t m_nValue = 0;
    std::string m_strText;
    CPenDesc m_pen;                      // CreatePen; LineTo: the current pen
    CFontDesc m_font;                    // CreateFont; TextOut, GetTextExtent: the current font
    EBkMode m_eBkMode = EBkMode::Opaque; // TextOut: the background mode
};

class CRecordingDevice : public CDrawDeviceBase
{
public:
    // Answers GetTextExtent; the default gives every UTF-8 character a width
    // of half the font's cell height and the cell height as height.
    using CTextMeasure = std::function<CDevSize(const CFontDesc&, const std::string&)>;

    explicit CRecordingDevice(CDevRect rectClip = CDevRect{0, 0, 800, 600});

    HDrawObject CreatePen(const CPenDesc& pen) override;
    HDrawObject CreateFont(const CFontDesc& font) override;
    HDrawObject GetStockObject(EStockObject eObject) override;
    HDrawObject SelectObject(HDrawObject hObject) override;
    bool DeleteObject(HDrawObject hObject) override;
    void MoveTo(std::int32_t x, std::int32_t y) override;
    void SetPixel(std::int32_t x, std::int32_t y, COLORREF crColor) override;
    void Rectangle(std::int32_t nLeft, std::int32_t nTop, std::int32_t nRight,
                   std::int32_t nBottom) override;
    ERop2 SetROP2(ERop2 eRop) override;
    EBkMode SetBkMode(EBkMode eMode) override;
    COLORREF SetTextColor(COLORREF crColor) override;
    void TextOut(std::int32_t x, std::int32_t y, const std::string& strText) override;
    CDevSize GetTextExtent(const std::string& strText) override;
    CDevRect GetClipBox() override;

    void SetTextMeasure(CTextMeasure measure) { m_measure = std::move(measure); }
    // Makes every CreatePen fail, as a device out of resources would.
    void SetFailPenCreation(bool bFail) { m_bFailPens = bFail; }

    const std::vector<CDrawRecord>& GetRecords() const { return m_vRecords; }
    std::vector<CDrawRecord> GetRecords(EDrawOp eOp) const;
    std::size_t Count(EDrawOp eOp) const;
    void Clear() { m_vRecords.clear(); }

    // Calls that broke the rules: deleting a selected, stock or unknown
    // object, selecting an unknown one.
    std::size_t GetMisuseCount() const { return m_nMisuses; }
    // Pens and fonts created and not yet deleted.
    std::size_t GetLiveCount() const { return m_nLive; }

    // The default measure, also usable on its own.
    static CDevSize MeasureByCharacters(const CFontDesc& font, const std::string& strText);

protected:
    void DrawLine(CDevPoint ptFrom, CDevPoint ptTo) override;

private:
    CDrawRecord& Record(EDrawOp eOp);

    CDevRect m_rectClip;
    std::vector<CDrawRecord> m_vRecords;
    CTextMeasure m_measure;
    bool m_bFailPens = false;
    std::size_t m_nMisuses = 0;
    std::size_t m_nLive = 0;
};
