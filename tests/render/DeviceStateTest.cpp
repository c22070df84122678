// The state every drawing device shares: the same calls give the same
// answers on the QPainter back end, the EMF writer and the recorder.
#include <QImage>
#include <QPainter>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "EmfTestUtil.h"
#include "RecordingDevice.h"
#include "render/EmfDevice.h"
#include "render/QtDrawDevice.h"

namespace
{
constexpr COLORREF kRed = MakeRgb(255, 0, 0);

// One device of each back end, with what it needs alive beside it.
struct CDevices
{
    QImage m_image{64, 64, QImage::Format_RGB32};
    QPainter m_painter{&m_image};
    CQtDrawDevice m_qt{&m_painter};
    CEmfDevice m_emf{emftest::TestReference(), "g"};
    CRecordingDevice m_recording;

    std::vector<std::pair<const char*, CDrawDeviceBase*>> All()
    {
        return {{"qt", &m_qt}, {"emf", &m_emf}, {"recording", &m_recording}};
    }
};

CFontDesc Font(std::int32_t nHeight)
{
    CFontDesc font;
    font.m_nHeight = nHeight;
    font.m_strFaceName = "Tahoma";
    return font;
}

TEST(DeviceState, EveryBackEndAnswersTheSameRules)
{
    emftest::EnsureApplication();
    const HDrawObject hBlackPen = CDrawObjectTable::StockHandle(EStockObject::BlackPen);
    const HDrawObject hSystemFont = CDrawObjectTable::StockHandle(EStockObject::SystemFont);
    const HDrawObject hNullBrush = CDrawObjectTable::StockHandle(EStockObject::NullBrush);
    const HDrawObject hWhiteBrush = CDrawObjectTable::StockHandle(EStockObject::WhiteBrush);
    // Each step returns what the call gave, as a number, on a fresh device.
    const struct
    {
        const char* m_pszName;
        std::function<std::int64_t(CDrawDeviceBase&)> m_fnStep;
        std::int64_t m_nExpected;
    } kCases[] = {
        {"a pen counts up from 1",
         [](CDrawDeviceBase& dc) {
             return dc.CreatePen(CPenDesc{EPenStyle::Solid, 0, kRed});
         },
         1},
        {"a negative width is refused",
         [](CDrawDeviceBase& dc) {
             return dc.CreatePen(CPenDesc{EPenStyle::Solid, -1, kRed});
         },
         0},
        {"selecting gives the stock pen back",
         [](CDrawDeviceBase& dc) {
             return dc.SelectObject(dc.CreatePen(CPenDesc{EPenStyle::Solid, 0, kRed}));
         },
         hBlackPen},
        {"a brush replaces the white brush",
         [&](CDrawDeviceBase& dc)
         { return dc.SelectObject(dc.GetStockObject(EStockObject::NullBrush)); },
         hWhiteBrush},
        {"a font replaces the system font",
         [](CDrawDeviceBase& dc) { return dc.SelectObject(dc.CreateFont(Font(-11))); },
         hSystemFont},
        {"selecting nothing changes nothing",
         [](CDrawDeviceBase& dc) { return dc.SelectObject(0) + dc.SelectObject(77); }, 0},
        {"a selected pen stays",
         [](CDrawDeviceBase& dc)
         {
             const HDrawObject hPen = dc.CreatePen(CPenDesc{EPenStyle::Solid, 0, kRed});
             dc.SelectObject(hPen);
             return dc.DeleteObject(hPen);
         },
         0},
        {"a stock object stays", [&](CDrawDeviceBase& dc) { return dc.DeleteObject(hNullBrush); },
         0},
        {"deleted once only",
         [](CDrawDeviceBase& dc)
         {
             const HDrawObject hFont = dc.CreateFont(Font(12));
             return 2 * dc.DeleteObject(hFont) + dc.DeleteObject(hFont);
         },
         2},
        {"handles are not reused",
         [](CDrawDeviceBase& dc)
         {
             dc.DeleteObject(dc.CreatePen(CPenDesc{EPenStyle::Solid, 0, kRed}));
             return dc.CreateFont(Font(12));
         },
         2},
        {"raster operation",
         [](CDrawDeviceBase& dc)
         {
             const auto ePrevious = dc.SetROP2(ERop2::NotXorPen);
             return 100 * static_cast<int>(ePrevious) + static_cast<int>(dc.GetROP2());
         },
         1310},
        {"background mode",
         [](CDrawDeviceBase& dc)
         {
             const auto ePrevious = dc.SetBkMode(EBkMode::Transparent);
             return 100 * static_cast<int>(ePrevious) + static_cast<int>(dc.GetBkMode());
         },
         201},
        {"text colour",
         [](CDrawDeviceBase& dc)
         { return dc.SetTextColor(kRed) + 0x10000000LL * dc.SetTextColor(0); },
         0x10000000LL * kRed},
        {"LineTo moves the current position",
         [](CDrawDeviceBase& dc)
         {
             dc.MoveTo(3, 4);
             dc.LineTo(10, 20);
             return 1000 * dc.GetCurrentPosition().m_nX + dc.GetCurrentPosition().m_nY;
         },
         10020},
        {"measuring after the font was deleted uses the system font",
         [](CDrawDeviceBase& dc)
         {
             const HDrawObject hFont = dc.CreateFont(Font(30));
             const HDrawObject hOld = dc.SelectObject(hFont);
             const std::int64_t nTall = dc.GetTextExtent("X").m_nCy;
             dc.SelectObject(hOld);
             dc.DeleteObject(hFont);
             return 100 * nTall + dc.GetTextExtent("X").m_nCy;
         },
         3016},
    };
    for (const auto& c : kCases)
    {
        CDevices devices;
        for (auto [pszDevice, pDevice] : devices.All())
        {
            EXPECT_EQ(c.m_fnStep(*pDevice), c.m_nExpected) << c.m_pszName << " on " << pszDevice;
        }
    }
}

} // namespace
