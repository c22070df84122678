#include "render/QtFonts.h"

#include <QByteArray>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QRawFont>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace
{
constexpr const char* kTahomaFile = "/usr/share/wine/fonts/tahoma.ttf";
// A cell height for a description that leaves the size to the device.
constexpr std::int32_t kDefaultCellHeight = 16;

bool IsFamilyInstalled(const QString& strFamily)
{
    const QStringList families = QFontDatabase::families();
    return std::any_of(families.begin(), families.end(),
                       [&](const QString& strName)
                       { return strName.compare(strFamily, Qt::CaseInsensitive) == 0; });
}

// Windows sizes a font by its cell, the OS/2 table's usWinAscent plus
// usWinDescent; Qt by its em. Falls back to the face's own ascent and
// descent where the table is missing.
void FaceMetrics(const QFont& font, double& dAscent, double& dDescent, double& dUnitsPerEm)
{
    QFont probe = font;
    probe.setPixelSize(256);
    const QRawFont raw = QRawFont::fromFont(probe);
    dUnitsPerEm = raw.isValid() ? raw.unitsPerEm() : 0.0;
    const QByteArray os2 = raw.isValid() ? raw.fontTable("OS/2") : QByteArray();
    if (dUnitsPerEm > 0 && os2.size() >= 78)
    {
        auto u16 = [&](int nOffset)
        {
            return static_cast<double>((static_cast<unsigned char>(os2[nOffset]) << 8) |
                                       static_cast<unsigned char>(os2[nOffset + 1]));
        };
        dAscent = u16(74);
        dDescent = u16(76);
        if (dAscent + dDescent > 0)
        {
            return;
        }
    }
    const QFontMetricsF metrics(probe);
    dUnitsPerEm = 256.0;
    dAscent = metrics.ascent();
    dDescent = metrics.descent();
    if (dAscent + dDescent <= 0)
    {
        dAscent = 205.0; // an ordinary sans face's proportions
        dDescent = 51.0;
    }
}
} // namespace

void RegisterTraceloFonts()
{
    // Asked each time rather than remembered: an application object that
    // ends takes its registered fonts with it.
    if (QGuiApplication::instance() == nullptr || IsFamilyInstalled(QStringLiteral("Tahoma")))
    {
        return;
    }
    if (QFile::exists(QString::fromLatin1(kTahomaFile)))
    {
        QFontDatabase::addApplicationFont(QString::fromLatin1(kTahomaFile));
    }
}

CQtFont CreateQtFont(const CFontDesc& desc)
{
    RegisterTraceloFonts();

    QFont font;
    const QString strFace = QString::fromStdString(desc.m_strFaceName);
    QStringList families;
    if (!strFace.isEmpty() && IsFamilyInstalled(strFace))
    {
        families << strFace;
    }
    families << QStringLiteral("DejaVu Sans") << QStringLiteral("Liberation Sans")
             << QStringLiteral("Arial") << QStringLiteral("Helvetica");
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(static_cast<QFont::Weight>(
        desc.m_nWeight <= 0 ? 400 : std::clamp<std::int32_t>(desc.m_nWeight, 1, 1000)));
    font.setItalic(desc.m_bItalic);
    font.setUnderline(desc.m_bUnderline);
    font.setStrikeOut(desc.m_bStrikeOut);
    // Windows places text glyph by glyph, without kerning.
    font.setKerning(false);
    if (desc.m_nQuality == 3) // non-antialiased quality
    {
        font.setStyleStrategy(QFont::NoAntialias);
    }

    double dAscent = 0, dDescent = 0, dUnitsPerEm = 0;
    FaceMetrics(font, dAscent, dDescent, dUnitsPerEm);
    const double dCell = dAscent + dDescent;

    CQtFont result;
    double dEm;
    if (desc.m_nHeight < 0)
    {
        dEm = std::abs(static_cast<double>(desc.m_nHeight));
        result.m_nCellHeight = static_cast<std::int32_t>(std::lround(dEm * dCell / dUnitsPerEm));
        result.m_nAscent = static_cast<std::int32_t>(std::lround(dEm * dAscent / dUnitsPerEm));
    }
    else
    {
        const std::int32_t nCell = desc.m_nHeight > 0 ? desc.m_nHeight : kDefaultCellHeight;
        dEm = nCell * dUnitsPerEm / dCell;
        result.m_nCellHeight = nCell;
        result.m_nAscent = static_cast<std::int32_t>(std::lround(nCell * dAscent / dCell));
    }
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(dEm))));

    if (desc.m_nWidth > 0)
    {
        const double dAverage = QFontMetricsF(font).averageCharWidth();
        if (dAverage > 0)
        {
            font.setStretch(std::clamp(
                static_cast<int>(std::lround(100.0 * desc.m_nWidth / dAverage)), 1, 4000));
        }
    }
    result.m_font = font;
    return result;
}

const CQtFont& CQtFontCache::GetSelected(const CDrawObjectTable& objects)
{
    const HDrawObject hFont = objects.GetSelected(EObjectKind::Font);
    auto it = m_mapFonts.find(hFont);
    if (it == m_mapFonts.end())
    {
        it = m_mapFonts.emplace(hFont, CreateQtFont(objects.GetFont())).first;
    }
    return it->second;
}
