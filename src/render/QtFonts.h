// Qt side of the fonts: the one helper that turns a font description into a
// Qt font with Windows' size rule, so that the screen, printing, pictures
// and the metafile's text measurement all use the same font.
#pragma once

#include <QFont>
#include <unordered_map>

#include "core/plot/DrawDevice.h"
#include "core/plot/DrawObjects.h"

// Registers Wine's metric-compatible Tahoma (/usr/share/wine/fonts/tahoma.ttf)
// with Qt when the file is there and no Tahoma is installed. Needs a
// QGuiApplication; does nothing without one. CreateQtFont calls it itself.
void RegisterTraceloFonts();

struct CQtFont
{
    QFont m_font;
    std::int32_t m_nAscent = 0;     // from the cell's top to the baseline
    std::int32_t m_nCellHeight = 0; // ascent + descent
};

// A positive height is the cell height (the face's Windows ascent plus
// descent), a negative one the em height, as Windows sizes fonts; the em
// becomes a whole number of pixels, as on Windows. A face that is not
// installed falls back to a sans face. Escapement is left to the drawing.
CQtFont CreateQtFont(const CFontDesc& desc);

// The Qt fonts of one device's font objects, each made when first used and
// kept until its object is deleted.
class CQtFontCache
{
public:
    // The Qt font of the font selected in objects.
    const CQtFont& GetSelected(const CDrawObjectTable& objects);
    void Erase(HDrawObject hFont) { m_mapFonts.erase(hFont); }

private:
    std::unordered_map<HDrawObject, CQtFont> m_mapFonts;
};
