// Qt side of the fonts: the one helper that turns a font description into a
// Qt font with Windows' size rule, so that the screen, printing, pictures
// and the metafile's text measurement all use the same font.
#pragma once

#include <QFont>

#include "view/DrawDevice.h"

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
