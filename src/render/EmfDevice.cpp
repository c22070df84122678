#include "render/EmfDevice.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include <uemf.h>

namespace
{
// libUEMF writes the finished file through a stream it opens by name; the
// bytes are taken from its buffer instead, so that the caller writes them
// safely, and the stream goes nowhere.
#ifdef _WIN32
constexpr const char* kNullDevice = "NUL";
#else
constexpr const char* kNullDevice = "/dev/null";
#endif

constexpr std::uint32_t kInitialBufferSize = 64 * 1024;
constexpr std::uint32_t kBufferGrowth = 1024 * 1024;
constexpr std::uint32_t kHandleTableSize = 16;

// A screen of 96 dots per inch, for a reference without a usable size.
constexpr double kDefaultMillimetresPerPixel = 25.4 / 96.0;

EMFTRACK* Track(void* p)
{
    return static_cast<EMFTRACK*>(p);
}
EMFHANDLES* Handles(void* p)
{
    return static_cast<EMFHANDLES*>(p);
}

U_COLORREF ToEmfColor(COLORREF cr)
{
    U_COLORREF color;
    color.Red = ColorRed(cr);
    color.Green = ColorGreen(cr);
    color.Blue = ColorBlue(cr);
    color.Reserved = 0;
    return color;
}

U_POINTL ToEmfPoint(std::int32_t x, std::int32_t y)
{
    U_POINTL pt;
    pt.x = x;
    pt.y = y;
    return pt;
}

U_RECTL ToEmfRect(std::int32_t nLeft, std::int32_t nTop, std::int32_t nRight, std::int32_t nBottom)
{
    U_RECTL rect;
    rect.left = nLeft;
    rect.top = nTop;
    rect.right = nRight;
    rect.bottom = nBottom;
    return rect;
}

U_SIZEL ToEmfSize(std::int32_t cx, std::int32_t cy)
{
    U_SIZEL size;
    size.cx = cx;
    size.cy = cy;
    return size;
}

std::int32_t ClampTo32(std::int64_t nValue)
{
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(nValue, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
}

std::int32_t ClampTo32(double dValue)
{
    if (!(dValue > std::numeric_limits<std::int32_t>::min()))
    {
        return std::numeric_limits<std::int32_t>::min();
    }
    if (!(dValue < std::numeric_limits<std::int32_t>::max()))
    {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(dValue);
}

double MillimetresPerPixel(std::int32_t nMillimetres, std::int32_t nPixels)
{
    if (nMillimetres <= 0 || nPixels <= 0)
    {
        return kDefaultMillimetresPerPixel;
    }
    return static_cast<double>(nMillimetres) / nPixels;
}

// A UTF-16 name in a fixed field of nUnits, cut to leave room for the NUL
// that ends it.
template <std::size_t nUnits>
void CopyName(const std::u16string& strName, std::uint16_t (&aField)[nUnits])
{
    std::fill(std::begin(aField), std::end(aField), 0);
    const std::size_t nCount = std::min(strName.size(), nUnits - 1);
    for (std::size_t i = 0; i < nCount; ++i)
    {
        aField[i] = strName[i];
    }
}
} // namespace

CEmfReference GetScreenReference(const QScreen* pScreen, const QPaintDevice* pMeasureDevice)
{
    CEmfReference reference;
    reference.m_pMeasureDevice = pMeasureDevice;
    if (pScreen == nullptr && QGuiApplication::instance() != nullptr)
    {
        pScreen = QGuiApplication::primaryScreen();
    }
    if (pScreen == nullptr)
    {
        return reference;
    }
    const double dRatio = pScreen->devicePixelRatio() > 0 ? pScreen->devicePixelRatio() : 1.0;
    const QSize size = pScreen->size();
    if (size.width() > 0 && size.height() > 0)
    {
        reference.m_sizePixels = CDevSize{ClampTo32(std::round(size.width() * dRatio)),
                                          ClampTo32(std::round(size.height() * dRatio))};
    }
    const QSizeF sizeMillimetres = pScreen->physicalSize();
    if (sizeMillimetres.width() >= 1 && sizeMillimetres.height() >= 1)
    {
        reference.m_sizeMillimeters = CDevSize{ClampTo32(std::round(sizeMillimetres.width())),
                                               ClampTo32(std::round(sizeMillimetres.height()))};
    }
    else
    {
        reference.m_sizeMillimeters = CDevSize{
            ClampTo32(std::round(reference.m_sizePixels.m_nCx * kDefaultMillimetresPerPixel)),
            ClampTo32(std::round(reference.m_sizePixels.m_nCy * kDefaultMillimetresPerPixel))};
    }
    return reference;
}

struct CEmfDevice::CTextLayout
{
    std::u16string m_strText;
    std::vector<std::uint32_t> m_vAdvances; // one per UTF-16 unit
    CDevSize m_size;
};

CEmfDevice::CEmfDevice(const CEmfReference& reference, const std::string& strPictureName)
    : m_reference(reference)
{
    // Application name, NUL, picture name, NUL and one more NUL: readers
    // walk the strings up to the double NUL.
    std::u16string strPicture = QString::fromStdString(strPictureName).toStdU16String();
    std::erase(strPicture, u'\0');
    m_strDescription = QString::fromLatin1(kMetafileDescription).toStdU16String();
    m_strDescription += u'\0';
    m_strDescription += strPicture;
    m_strDescription += u'\0';
    m_strDescription += u'\0';

    EMFTRACK* pTrack = nullptr;
    if (emf_start(kNullDevice, kInitialBufferSize, kBufferGrowth, &pTrack) != 0)
    {
        throw std::bad_alloc();
    }
    m_pTrack = pTrack;
    EMFHANDLES* pHandles = nullptr;
    if (emf_htable_create(kHandleTableSize, kHandleTableSize, &pHandles) != 0)
    {
        Release();
        throw std::bad_alloc();
    }
    m_pHandles = pHandles;

    // The header comes first; its bounds, frame and counts are only known at
    // the end, when Finish puts the completed header in its place.
    Append(MakeHeader());
    if (m_bFailed)
    {
        Release();
        throw std::bad_alloc();
    }
}

CEmfDevice::~CEmfDevice()
{
    Release();
}

void CEmfDevice::Release()
{
    if (m_pHandles != nullptr)
    {
        EMFHANDLES* pHandles = Handles(m_pHandles);
        emf_htable_free(&pHandles);
        m_pHandles = nullptr;
    }
    if (m_pTrack != nullptr)
    {
        EMFTRACK* pTrack = Track(m_pTrack);
        if (pTrack->fp != nullptr)
        {
            std::fclose(pTrack->fp);
            pTrack->fp = nullptr;
        }
        emf_free(&pTrack);
        m_pTrack = nullptr;
    }
}

void CEmfDevice::Append(char* pRecord)
{
    if (pRecord == nullptr)
    {
        m_bFailed = true;
        return;
    }
    if (!m_bFailed && !m_bFinished)
    {
        EMFTRACK* pTrack = Track(m_pTrack);
        const auto* pEmr = reinterpret_cast<const U_EMR*>(pRecord);
        // The header counts the file's bytes in 32 bits.
        if (pTrack->used + pEmr->nSize > std::numeric_limits<std::uint32_t>::max() ||
            emf_append(reinterpret_cast<U_ENHMETARECORD*>(pRecord), pTrack, U_REC_KEEP) != 0)
        {
            m_bFailed = true;
        }
    }
    std::free(pRecord);
}

void CEmfDevice::Include(std::int64_t nLeft, std::int64_t nTop, std::int64_t nRight,
                         std::int64_t nBottom)
{
    const CEmfBounds add{ClampTo32(nLeft), ClampTo32(nTop), ClampTo32(nRight), ClampTo32(nBottom)};
    if (add.IsEmpty())
    {
        return;
    }
    if (m_bounds.IsEmpty())
    {
        m_bounds = add;
        return;
    }
    m_bounds.m_nLeft = std::min(m_bounds.m_nLeft, add.m_nLeft);
    m_bounds.m_nTop = std::min(m_bounds.m_nTop, add.m_nTop);
    m_bounds.m_nRight = std::max(m_bounds.m_nRight, add.m_nRight);
    m_bounds.m_nBottom = std::max(m_bounds.m_nBottom, add.m_nBottom);
}

char* CEmfDevice::MakeHeader() const
{
    // Without a frame given, the frame is the extent drawn, in hundredths of
    // a millimetre of the reference screen.
    U_RECTL rclBounds = ToEmfRect(0, 0, -1, -1);
    U_RECTL rclFrame = ToEmfRect(0, 0, -1, -1);
    if (!m_bounds.IsEmpty())
    {
        rclBounds =
            ToEmfRect(m_bounds.m_nLeft, m_bounds.m_nTop, m_bounds.m_nRight, m_bounds.m_nBottom);
        const double dx = 100.0 * MillimetresPerPixel(m_reference.m_sizeMillimeters.m_nCx,
                                                      m_reference.m_sizePixels.m_nCx);
        const double dy = 100.0 * MillimetresPerPixel(m_reference.m_sizeMillimeters.m_nCy,
                                                      m_reference.m_sizePixels.m_nCy);
        rclFrame = ToEmfRect(ClampTo32(std::floor(m_bounds.m_nLeft * dx)),
                             ClampTo32(std::floor(m_bounds.m_nTop * dy)),
                             ClampTo32(std::ceil((m_bounds.m_nRight + 1.0) * dx) - 1.0),
                             ClampTo32(std::ceil((m_bounds.m_nBottom + 1.0) * dy) - 1.0));
    }
    std::vector<std::uint16_t> vDescription(m_strDescription.begin(), m_strDescription.end());
    return U_EMRHEADER_set(
        rclBounds, rclFrame, nullptr, static_cast<U_CBSTR>(vDescription.size()),
        vDescription.data(),
        ToEmfSize(m_reference.m_sizePixels.m_nCx, m_reference.m_sizePixels.m_nCy),
        ToEmfSize(m_reference.m_sizeMillimeters.m_nCx, m_reference.m_sizeMillimeters.m_nCy), 0);
}

HDrawObject CEmfDevice::CreatePen(const CPenDesc& pen)
{
    const HDrawObject hPen = CDrawDeviceBase::CreatePen(pen);
    if (hPen == 0)
    {
        return 0;
    }
    U_POINT width;
    width.x = pen.m_nWidth;
    width.y = 0;
    std::uint32_t nIndex = 0;
    Append(createpen_set(&nIndex, Handles(m_pHandles),
                         logpen_set(U_PS_SOLID, width, ToEmfColor(pen.m_crColor))));
    m_mapIndices[hPen] = nIndex;
    return hPen;
}

HDrawObject CEmfDevice::CreateFont(const CFontDesc& font)
{
    const HDrawObject hFont = CDrawDeviceBase::CreateFont(font);
    if (hFont == 0)
    {
        return 0;
    }
    const std::u16string strFace = QString::fromStdString(font.m_strFaceName).toStdU16String();
    U_LOGFONT_PANOSE elfw;
    std::memset(&elfw, 0, sizeof elfw);
    U_LOGFONT& lf = elfw.elfLogFont;
    lf.lfHeight = font.m_nHeight;
    lf.lfWidth = font.m_nWidth;
    lf.lfEscapement = font.m_nEscapement;
    lf.lfOrientation = font.m_nOrientation;
    lf.lfWeight = font.m_nWeight;
    lf.lfItalic = font.m_bItalic ? 1 : 0;
    lf.lfUnderline = font.m_bUnderline ? 1 : 0;
    lf.lfStrikeOut = font.m_bStrikeOut ? 1 : 0;
    lf.lfCharSet = font.m_nCharSet;
    lf.lfOutPrecision = font.m_nOutPrecision;
    lf.lfClipPrecision = font.m_nClipPrecision;
    lf.lfQuality = font.m_nQuality;
    lf.lfPitchAndFamily = font.m_nPitchAndFamily;
    CopyName(strFace, lf.lfFaceName);
    CopyName(strFace, elfw.elfFullName);
    // No PANOSE classification: every field "no fit", as a font made from a
    // logical description gets.
    elfw.elfPanose.bFamilyType = 1;
    elfw.elfPanose.bSerifStyle = 1;
    elfw.elfPanose.bWeight = 1;
    elfw.elfPanose.bProportion = 1;
    elfw.elfPanose.bContrast = 1;
    elfw.elfPanose.bStrokeVariation = 1;
    elfw.elfPanose.bArmStyle = 1;
    elfw.elfPanose.bLetterform = 1;
    elfw.elfPanose.bMidline = 1;
    elfw.elfPanose.bXHeight = 1;
    std::uint32_t nIndex = 0;
    Append(extcreatefontindirectw_set(&nIndex, Handles(m_pHandles), nullptr,
                                      reinterpret_cast<const char*>(&elfw)));
    m_mapIndices[hFont] = nIndex;
    return hFont;
}

HDrawObject CEmfDevice::SelectObject(HDrawObject hObject)
{
    const HDrawObject hPrevious = CDrawDeviceBase::SelectObject(hObject);
    if (hPrevious == 0)
    {
        return 0;
    }
    // A stock object is named in the file by the same number as here.
    const bool bStock = GetObjects().Find(hObject)->m_bStock;
    const std::uint32_t nIndex = bStock ? hObject : m_mapIndices.at(hObject);
    Append(selectobject_set(nIndex, Handles(m_pHandles)));
    return hPrevious;
}

bool CEmfDevice::DeleteObject(HDrawObject hObject)
{
    if (!CDrawDeviceBase::DeleteObject(hObject))
    {
        return false;
    }
    auto it = m_mapIndices.find(hObject);
    if (it != m_mapIndices.end())
    {
        std::uint32_t nIndex = it->second;
        Append(deleteobject_set(&nIndex, Handles(m_pHandles)));
        m_mapIndices.erase(it);
    }
    m_fonts.Erase(hObject);
    return true;
}

void CEmfDevice::MoveTo(std::int32_t x, std::int32_t y)
{
    CDrawDeviceBase::MoveTo(x, y);
    Append(U_EMRMOVETOEX_set(ToEmfPoint(x, y)));
}

void CEmfDevice::DrawLine(CDevPoint ptFrom, CDevPoint ptTo)
{
    const std::int32_t x = ptTo.m_nX;
    const std::int32_t y = ptTo.m_nY;
    const std::int64_t nHalfWidth = GetObjects().GetPen().m_nWidth / 2;
    Include(std::min(ptFrom.m_nX, x) - nHalfWidth, std::min(ptFrom.m_nY, y) - nHalfWidth,
            std::max(ptFrom.m_nX, x) + nHalfWidth, std::max(ptFrom.m_nY, y) + nHalfWidth);
    Append(U_EMRLINETO_set(ToEmfPoint(x, y)));
}

void CEmfDevice::SetPixel(std::int32_t x, std::int32_t y, COLORREF crColor)
{
    Include(x, y, x, y);
    Append(U_EMRSETPIXELV_set(ToEmfPoint(x, y), ToEmfColor(crColor)));
}

void CEmfDevice::Rectangle(std::int32_t nLeft, std::int32_t nTop, std::int32_t nRight,
                           std::int32_t nBottom)
{
    // Recorded with the arguments as given, so that playing the record back
    // draws the same rectangle; it covers right - 1 and bottom - 1.
    Include(std::min(nLeft, nRight), std::min(nTop, nBottom),
            static_cast<std::int64_t>(std::max(nLeft, nRight)) - 1,
            static_cast<std::int64_t>(std::max(nTop, nBottom)) - 1);
    Append(U_EMRRECTANGLE_set(ToEmfRect(nLeft, nTop, nRight, nBottom)));
}

ERop2 CEmfDevice::SetROP2(ERop2 eRop)
{
    const ERop2 ePrevious = CDrawDeviceBase::SetROP2(eRop);
    Append(U_EMRSETROP2_set(static_cast<std::uint32_t>(eRop)));
    return ePrevious;
}

EBkMode CEmfDevice::SetBkMode(EBkMode eMode)
{
    const EBkMode ePrevious = CDrawDeviceBase::SetBkMode(eMode);
    Append(U_EMRSETBKMODE_set(static_cast<std::uint32_t>(eMode)));
    return ePrevious;
}

COLORREF CEmfDevice::SetTextColor(COLORREF crColor)
{
    const COLORREF crPrevious = CDrawDeviceBase::SetTextColor(crColor);
    Append(U_EMRSETTEXTCOLOR_set(ToEmfColor(crColor)));
    return crPrevious;
}

CEmfDevice::CTextLayout CEmfDevice::LayOutText(const std::string& strText)
{
    const CQtFont& font = m_fonts.GetSelected(GetObjects());
    const QFontMetrics metrics(font.m_font, m_reference.m_pMeasureDevice);
    const QString strQText = QString::fromStdString(strText);

    CTextLayout layout;
    layout.m_strText = strQText.toStdU16String();
    layout.m_vAdvances.reserve(layout.m_strText.size());
    // Each character's advance is the growth of the measured prefix, so that
    // the advances add up to the width measured for the whole text.
    int nPrevious = 0;
    for (qsizetype i = 0; i < strQText.size(); ++i)
    {
        if (strQText.at(i).isHighSurrogate() && i + 1 < strQText.size() &&
            strQText.at(i + 1).isLowSurrogate())
        {
            layout.m_vAdvances.push_back(0); // the pair advances on its second unit
            continue;
        }
        const int nPrefix = metrics.horizontalAdvance(strQText.left(i + 1));
        layout.m_vAdvances.push_back(static_cast<std::uint32_t>(std::max(0, nPrefix - nPrevious)));
        nPrevious = nPrefix;
    }
    layout.m_size = CDevSize{nPrevious, font.m_nCellHeight};
    return layout;
}

CDevSize CEmfDevice::GetTextExtent(const std::string& strText)
{
    const CQtFont& font = m_fonts.GetSelected(GetObjects());
    const QFontMetrics metrics(font.m_font, m_reference.m_pMeasureDevice);
    return CDevSize{metrics.horizontalAdvance(QString::fromStdString(strText)), font.m_nCellHeight};
}

void CEmfDevice::TextOut(std::int32_t x, std::int32_t y, const std::string& strText)
{
    const CTextLayout layout = LayOutText(strText);

    // The text cell turned by the font's escapement about the reference
    // point (counter-clockwise, on a surface whose y grows downwards).
    U_RECTL rclBounds = ToEmfRect(0, 0, -1, -1);
    if (!layout.m_strText.empty() && layout.m_size.m_nCx > 0 && layout.m_size.m_nCy > 0)
    {
        const double dAngle =
            GetObjects().GetFont().m_nEscapement * 3.14159265358979323846 / 1800.0;
        const double dCos = std::cos(dAngle);
        const double dSin = std::sin(dAngle);
        double dLeft = 0, dTop = 0, dRight = 0, dBottom = 0;
        bool bFirst = true;
        for (const auto& [u, v] :
             {std::pair{0.0, 0.0},
              {static_cast<double>(layout.m_size.m_nCx), 0.0},
              {0.0, static_cast<double>(layout.m_size.m_nCy)},
              {static_cast<double>(layout.m_size.m_nCx), static_cast<double>(layout.m_size.m_nCy)}})
        {
            const double dx = u * dCos + v * dSin;
            const double dy = -u * dSin + v * dCos;
            dLeft = bFirst ? dx : std::min(dLeft, dx);
            dRight = bFirst ? dx : std::max(dRight, dx);
            dTop = bFirst ? dy : std::min(dTop, dy);
            dBottom = bFirst ? dy : std::max(dBottom, dy);
            bFirst = false;
        }
        // Rounded to a millionth first, so that a cosine of 6e-17 is zero.
        auto snap = [](double d) { return std::round(d * 1e6) / 1e6; };
        const std::int64_t nLeft = x + static_cast<std::int64_t>(std::floor(snap(dLeft)));
        const std::int64_t nTop = y + static_cast<std::int64_t>(std::floor(snap(dTop)));
        const std::int64_t nRight = x + static_cast<std::int64_t>(std::ceil(snap(dRight))) - 1;
        const std::int64_t nBottom = y + static_cast<std::int64_t>(std::ceil(snap(dBottom))) - 1;
        Include(nLeft, nTop, nRight, nBottom);
        rclBounds =
            ToEmfRect(ClampTo32(nLeft), ClampTo32(nTop), ClampTo32(nRight), ClampTo32(nBottom));
    }

    std::vector<std::uint16_t> vText(layout.m_strText.begin(), layout.m_strText.end());
    std::vector<std::uint32_t> vAdvances = layout.m_vAdvances;
    // libUEMF wants buffers even for an empty text.
    vText.push_back(0);
    vAdvances.push_back(0);
    char* pText = emrtext_set(ToEmfPoint(x, y), static_cast<U_NUM_STR>(layout.m_strText.size()), 2,
                              vText.data(), U_ETO_NONE, ToEmfRect(0, 0, -1, -1), vAdvances.data());
    if (pText == nullptr)
    {
        m_bFailed = true;
        return;
    }
    // In the compatible graphics mode the record carries the scale from
    // device units to hundredths of a millimetre.
    const auto fxScale =
        static_cast<U_FLOAT>(100.0 * MillimetresPerPixel(m_reference.m_sizeMillimeters.m_nCx,
                                                         m_reference.m_sizePixels.m_nCx));
    const auto fyScale =
        static_cast<U_FLOAT>(100.0 * MillimetresPerPixel(m_reference.m_sizeMillimeters.m_nCy,
                                                         m_reference.m_sizePixels.m_nCy));
    Append(U_EMREXTTEXTOUTW_set(rclBounds, U_GM_COMPATIBLE, fxScale, fyScale,
                                reinterpret_cast<PU_EMRTEXT>(pText)));
    std::free(pText);
}

CDevRect CEmfDevice::GetClipBox()
{
    return CDevRect{0, 0, m_reference.m_sizePixels.m_nCx, m_reference.m_sizePixels.m_nCy};
}

std::vector<std::uint8_t> CEmfDevice::Finish()
{
    if (m_bFinished)
    {
        throw std::logic_error("CEmfDevice::Finish called twice");
    }
    EMFTRACK* pTrack = Track(m_pTrack);
    char* pEof = U_EMREOF_set(0, nullptr, pTrack);
    if (pEof != nullptr)
    {
        // The end record's last field must repeat the record's own size
        // (readers find the record from the end of the file by it); libUEMF
        // puts the size of the whole file there.
        const std::uint32_t nSize = reinterpret_cast<const U_EMR*>(pEof)->nSize;
        std::memcpy(pEof + nSize - sizeof nSize, &nSize, sizeof nSize);
    }
    Append(pEof);
    m_bFinished = true;
    if (m_bFailed)
    {
        throw std::bad_alloc();
    }

    // The header made at the start, now with the extent drawn. Only the
    // bounds and frame differ, so the new one has the same size.
    char* pHeader = MakeHeader();
    if (pHeader == nullptr)
    {
        throw std::bad_alloc();
    }
    const std::uint32_t nHeaderSize = reinterpret_cast<const U_EMR*>(pHeader)->nSize;
    if (nHeaderSize != reinterpret_cast<const U_EMR*>(pTrack->buf)->nSize)
    {
        std::free(pHeader);
        throw std::logic_error("the metafile header changed its size");
    }
    std::memcpy(pTrack->buf, pHeader, nHeaderSize);
    std::free(pHeader);

    // Completes the counts of the header (bytes, records, handles) and writes
    // the buffer to the null device.
    if (emf_finish(pTrack, Handles(m_pHandles)) != 0)
    {
        throw std::runtime_error("the metafile could not be completed");
    }
    return std::vector<std::uint8_t>(reinterpret_cast<const std::uint8_t*>(pTrack->buf),
                                     reinterpret_cast<const std::uint8_t*>(pTrack->buf) +
                                         pTrack->used);
}
