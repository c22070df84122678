// The drawing device that records an Enhanced Metafile: every operation the
// drawing makes becomes one EMF record, in order, built by libUEMF. The
// records stay in memory until Finish, which completes the header and hands
// back the bytes of the file; writing them is the caller's business, so that
// a file appears complete or not at all. Text needs a QGuiApplication, for
// the fonts that measure it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/plot/DrawDeviceBase.h"
#include "render/QtFonts.h"

class QPaintDevice;
class QScreen;

// The text of the header's description before the picture's own name.
inline constexpr char kMetafileDescription[] = "Functions generated with Tracelo by Brenwick";

// The reference device of a recording: the screen the picture is made for.
// Its size goes into the header, and text is measured with its metrics (the
// attribute context), so that labels sit where they sit on that screen.
struct CEmfReference
{
    CDevSize m_sizePixels{800, 600};
    CDevSize m_sizeMillimeters{203, 152};
    // Text is measured as on this device (the view's widget); null: with the
    // screen's default metrics.
    const QPaintDevice* m_pMeasureDevice = nullptr;
};

// The reference of pScreen, or of the primary screen when pScreen is null.
// Needs a QGuiApplication; without any screen it describes a 96 dpi screen of
// 800 by 600 pixels.
CEmfReference GetScreenReference(const QScreen* pScreen = nullptr,
                                 const QPaintDevice* pMeasureDevice = nullptr);

// A rectangle with both corners inclusive, as EMF bounds are; empty (right
// below left) until something is drawn.
struct CEmfBounds
{
    std::int32_t m_nLeft = 0;
    std::int32_t m_nTop = 0;
    std::int32_t m_nRight = -1;
    std::int32_t m_nBottom = -1;

    bool IsEmpty() const { return m_nRight < m_nLeft || m_nBottom < m_nTop; }
    bool operator==(const CEmfBounds&) const = default;
};

class CEmfDevice : public CDrawDeviceBase
{
public:
    // strPictureName is the second string of the header's description (the
    // graph's title). Throws std::bad_alloc when the recording cannot start.
    CEmfDevice(const CEmfReference& reference, const std::string& strPictureName);
    ~CEmfDevice() override;

    CEmfDevice(const CEmfDevice&) = delete;
    CEmfDevice& operator=(const CEmfDevice&) = delete;

    HDrawObject CreatePen(const CPenDesc& pen) override;
    HDrawObject CreateFont(const CFontDesc& font) override;
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
    // Answered by the reference device with the same font.
    CDevSize GetTextExtent(const std::string& strText) override;
    // The reference screen, as a metafile recorder answers.
    CDevRect GetClipBox() override;

    // Ends the recording: the end-of-file record, then the header completed
    // with the bounds and frame of what was drawn and with the counts of
    // bytes, records and handles. Returns the bytes of the file. Throws
    // std::bad_alloc when memory ran out at any point of the recording. No
    // drawing is recorded after it.
    std::vector<std::uint8_t> Finish();

protected:
    void DrawLine(CDevPoint ptFrom, CDevPoint ptTo) override;

private:
    struct CTextLayout;

    // Frees libUEMF's buffer and handle table.
    void Release();
    // Takes a record made by libUEMF (null when it could not be made), adds it
    // and frees it.
    void Append(char* pRecord);
    void Include(std::int64_t nLeft, std::int64_t nTop, std::int64_t nRight, std::int64_t nBottom);
    char* MakeHeader() const;
    CTextLayout LayOutText(const std::string& strText);

    CEmfReference m_reference;
    std::u16string m_strDescription;
    void* m_pTrack = nullptr;   // libUEMF's record buffer (EMFTRACK)
    void* m_pHandles = nullptr; // libUEMF's handle table (EMFHANDLES)
    bool m_bFailed = false;
    bool m_bFinished = false;

    // Our handle of each created object and the index it has in the file.
    std::unordered_map<HDrawObject, std::uint32_t> m_mapIndices;
    CQtFontCache m_fonts;
    CEmfBounds m_bounds;
};
