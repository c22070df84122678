#include "core/plot/Fonts.h"

CFontDesc MakeLabelFont(std::int32_t nHeight, std::int32_t nEscapement)
{
    CFontDesc font;
    font.m_nHeight = nHeight;
    font.m_nWidth = 0;
    font.m_nEscapement = nEscapement;
    font.m_nOrientation = nEscapement;
    font.m_nWeight = 400;
    font.m_nCharSet = 0;
    font.m_nOutPrecision = 0;
    font.m_nClipPrecision = 0;
    font.m_nQuality = 0;
    font.m_nPitchAndFamily = 0x20; // default pitch, Swiss family
    font.m_strFaceName = kLabelFaceName;
    return font;
}
