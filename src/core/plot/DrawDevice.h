// The drawing device: the few operations of a Windows-style device context
// that the plot drawing needs, in integer device units (x to the right, y
// downwards, one unit per device pixel). The drawing code speaks only to this
// interface; the back ends are the QPainter one (screen, images, printers,
// SVG, PDF), the EMF writer and the recorder used by the tests.
#pragma once

#include <cstdint>
#include <string>

#include "core/expr/Color.h"

struct CDevPoint
{
    std::int32_t m_nX = 0;
    std::int32_t m_nY = 0;
    bool operator==(const CDevPoint&) const = default;
};

struct CDevSize
{
    std::int32_t m_nCx = 0;
    std::int32_t m_nCy = 0;
    bool operator==(const CDevSize&) const = default;
};

// Right and bottom are exclusive, as in a window's client rectangle.
struct CDevRect
{
    std::int32_t m_nLeft = 0;
    std::int32_t m_nTop = 0;
    std::int32_t m_nRight = 0;
    std::int32_t m_nBottom = 0;
    bool operator==(const CDevRect&) const = default;
};

// The numeric values are those of the Windows constants, so that the EMF
// writer can record them as they are.
enum class EPenStyle : std::int32_t
{
    Solid = 0,
};

enum class EBkMode : std::int32_t
{
    Transparent = 1, // text is drawn without filling its cell
    Opaque = 2,      // the text cell is filled with the background colour (white)
};

enum class ERop2 : std::int32_t
{
    NotXorPen = 10, // pixel = NOT(pen XOR pixel): the same figure drawn twice restores
    CopyPen = 13,   // pixel = pen
};

enum class EStockObject : std::int32_t
{
    WhiteBrush = 0, // the brush a device starts with
    NullBrush = 5,  // fills nothing
    BlackPen = 7,   // the pen a device starts with: solid, one pixel, black
    SystemFont = 13 // the font a device starts with
};

// A pen of width 0 or 1 is one device pixel wide on every device.
struct CPenDesc
{
    EPenStyle m_eStyle = EPenStyle::Solid;
    std::int32_t m_nWidth = 0;
    COLORREF m_crColor = 0;
    bool operator==(const CPenDesc&) const = default;
};

struct CBrushDesc
{
    bool m_bNull = false;
    COLORREF m_crColor = 0;
    bool operator==(const CBrushDesc&) const = default;
};

// A logical font as Windows describes it, so that every back end (and the
// EMF file) can carry the same description.
struct CFontDesc
{
    // > 0: cell height (ascent + descent); < 0: character (em) height;
    // 0: the device's default size.
    std::int32_t m_nHeight = 0;
    std::int32_t m_nWidth = 0;      // average character width; 0: the face's own aspect
    std::int32_t m_nEscapement = 0; // tenths of a degree, counter-clockwise
    std::int32_t m_nOrientation = 0;
    std::int32_t m_nWeight = 400; // 400 normal, 700 bold
    bool m_bItalic = false;
    bool m_bUnderline = false;
    bool m_bStrikeOut = false;
    std::uint8_t m_nCharSet = 0; // ANSI
    std::uint8_t m_nOutPrecision = 0;
    std::uint8_t m_nClipPrecision = 0;
    std::uint8_t m_nQuality = 0;
    std::uint8_t m_nPitchAndFamily = 0;
    std::string m_strFaceName;
    bool operator==(const CFontDesc&) const = default;
};

// A pen, brush or font of one device; 0 stands for none (a failed creation).
using HDrawObject = std::uint32_t;

// How much of a curve's polyline a device must be given to show it as it is.
enum class ECurveTrace
{
    EveryPoint,  // every move and line, one of each per sample (a recorder)
    SkipRepeats, // a sample on the same device point as the one before may be left out
    Pixels,      // only the pixels painted count: lines may be merged and left out
};

class CDrawDevice
{
public:
    virtual ~CDrawDevice() = default;

    // Return 0 when the object cannot be created.
    virtual HDrawObject CreatePen(const CPenDesc& pen) = 0;
    virtual HDrawObject CreateFont(const CFontDesc& font) = 0;
    virtual HDrawObject GetStockObject(EStockObject eObject) = 0;

    // Makes the object current and returns the one of its kind that was
    // current before, which the caller selects again before deleting its
    // own. An unknown handle (0 included) changes nothing and returns 0.
    virtual HDrawObject SelectObject(HDrawObject hObject) = 0;
    // Refuses stock objects, selected objects and unknown handles.
    virtual bool DeleteObject(HDrawObject hObject) = 0;

    virtual void MoveTo(std::int32_t x, std::int32_t y) = 0;
    // A line with the current pen from the current position to (x, y): the
    // start pixel is painted, the end pixel is not. (x, y) becomes current.
    virtual void LineTo(std::int32_t x, std::int32_t y) = 0;
    // One pixel in that colour, whatever the pen and raster operation.
    virtual void SetPixel(std::int32_t x, std::int32_t y, COLORREF crColor) = 0;
    // Outline with the pen, inside filled with the brush; covers left to
    // right - 1 and top to bottom - 1.
    virtual void Rectangle(std::int32_t nLeft, std::int32_t nTop, std::int32_t nRight,
                           std::int32_t nBottom) = 0;

    // Each returns the previous setting.
    virtual ERop2 SetROP2(ERop2 eRop) = 0;
    virtual EBkMode SetBkMode(EBkMode eMode) = 0;
    virtual COLORREF SetTextColor(COLORREF crColor) = 0;

    // strText is UTF-8. The reference point is the top left corner of the
    // text cell in the text's own direction (the font's escapement).
    virtual void TextOut(std::int32_t x, std::int32_t y, const std::string& strText) = 0;
    // Width and height (the cell height) of the text in the current font,
    // unturned.
    virtual CDevSize GetTextExtent(const std::string& strText) = 0;
    // The drawable rectangle.
    virtual CDevRect GetClipBox() = 0;

    // What a curve drawn now, with the current pen and raster operation,
    // must be traced with.
    virtual ECurveTrace GetCurveTrace() { return ECurveTrace::EveryPoint; }
};
