// The EMF back end of the drawing device, read back with the tests' own
// reader: the records of each operation, the header, the bounds and the
// measuring of text.
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

#include "EmfReader.h"
#include "EmfTestUtil.h"
#include "core/plot/Fonts.h"
#include "render/EmfDevice.h"
#include "render/QtDrawDevice.h"

namespace
{
using emftest::EnsureApplication;
using emftest::Parse;
using emftest::TestReference;

constexpr COLORREF kRed = MakeRgb(255, 0, 0);
constexpr COLORREF kBlue = MakeRgb(0, 0, 255);
constexpr COLORREF kGrey = MakeRgb(128, 128, 128);

// The record lines of what fn draws, end of file included.
std::vector<std::string> LinesOf(const std::function<void(CEmfDevice&)>& fn)
{
    CEmfDevice dc(TestReference(), "g");
    fn(dc);
    return Parse(dc.Finish()).Describe();
}

TEST(EmfDevice, RecordsEveryOperationInOrder)
{
    EnsureApplication();
    struct
    {
        const char* pszName;
        std::function<void(CEmfDevice&)> fn;
        std::vector<std::string> vExpected;
    } cases[] = {
        {"a pen's life",
         [](CEmfDevice& dc)
         {
             const HDrawObject hPen = dc.CreatePen(CPenDesc{EPenStyle::Solid, 0, kRed});
             const HDrawObject hOld = dc.SelectObject(hPen);
             dc.MoveTo(1, 2);
             dc.LineTo(3, 4);
             dc.SelectObject(hOld);
             dc.DeleteObject(hPen);
         },
         {"create pen 0 0 0000FF", "select pen 0 0 0000FF", "move 1,2", "line 3,4",
          "select stock 7", "delete pen 0 0 0000FF", "eof"}},
        {"single pixels in their own colour",
         [](CEmfDevice& dc)
         {
             dc.SetPixel(5, 6, kGrey);
             dc.SetPixel(-1, 70000, kRed);
         },
         {"pixel 5,6 808080", "pixel -1,70000 0000FF", "eof"}},
        {"modes and text colour",
         [](CEmfDevice& dc)
         {
             dc.SetBkMode(EBkMode::Transparent);
             dc.SetTextColor(kBlue);
             dc.SetROP2(ERop2::NotXorPen);
             dc.SetROP2(ERop2::CopyPen);
             dc.SetBkMode(EBkMode::Opaque);
         },
         {"bkmode 1", "textcolor FF0000", "rop2 10", "rop2 13", "bkmode 2", "eof"}},
        {"a rectangle with the null brush",
         [](CEmfDevice& dc)
         {
             const HDrawObject hOld = dc.SelectObject(dc.GetStockObject(EStockObject::NullBrush));
             dc.Rectangle(1, 2, 10, 20);
             dc.SelectObject(hOld);
         },
         {"select stock 5", "rectangle 1,2 10,20", "select stock 0", "eof"}},
        {"both label fonts and their texts",
         [](CEmfDevice& dc)
         {
             const HDrawObject hHorizontal = dc.CreateFont(MakeLabelFont(12, 0));
             const HDrawObject hVertical = dc.CreateFont(MakeLabelFont(12, 900));
             const HDrawObject hOld = dc.SelectObject(hHorizontal);
             dc.TextOut(10, 4, "2.0000000000");
             dc.SelectObject(hVertical);
             dc.TextOut(3, 300, "-2.0000000000");
             dc.SelectObject(hOld);
             dc.DeleteObject(hHorizontal);
             dc.DeleteObject(hVertical);
         },
         {"create font 12 0 0 0 400 Tahoma", "create font 12 0 900 900 400 Tahoma",
          "select font 12 0 0 0 400 Tahoma", "text 10,4 2.0000000000",
          "select font 12 0 900 900 400 Tahoma", "text 3,300 -2.0000000000", "select stock 13",
          "delete font 12 0 0 0 400 Tahoma", "delete font 12 0 900 900 400 Tahoma", "eof"}},
        {"text beyond Latin-1, and no text at all",
         [](CEmfDevice& dc)
         {
             dc.TextOut(0, 0, "2,5 \xE2\x82\xAC \xF0\x9D\x91\xA5");
             dc.TextOut(7, 8, "");
         },
         {"text 0,0 2,5 \xE2\x82\xAC \xF0\x9D\x91\xA5", "text 7,8 ", "eof"}},
        {"asking changes nothing",
         [](CEmfDevice& dc)
         {
             dc.GetTextExtent("abc");
             dc.GetClipBox();
             dc.GetStockObject(EStockObject::BlackPen);
         },
         {"eof"}},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(LinesOf(c.fn), c.vExpected) << c.pszName;
    }
}

TEST(EmfDevice, RefusedOperationsRecordNothing)
{
    EnsureApplication();
    struct
    {
        const char* pszName;
        std::function<bool(CEmfDevice&)> fn; // true when the call was refused as it should be
    } cases[] = {
        {"deleting the selected pen",
         [](CEmfDevice& dc)
         {
             const HDrawObject hPen = dc.CreatePen(CPenDesc{EPenStyle::Solid, 0, kRed});
             dc.SelectObject(hPen);
             return !dc.DeleteObject(hPen);
         }},
        {"deleting a stock object", [](CEmfDevice& dc)
         { return !dc.DeleteObject(dc.GetStockObject(EStockObject::BlackPen)); }},
        {"deleting twice",
         [](CEmfDevice& dc)
         {
             const HDrawObject hPen = dc.CreatePen(CPenDesc{EPenStyle::Solid, 0, kRed});
             return dc.DeleteObject(hPen) && !dc.DeleteObject(hPen);
         }},
        {"selecting nothing", [](CEmfDevice& dc) { return dc.SelectObject(0) == 0; }},
        {"selecting an unknown handle", [](CEmfDevice& dc) { return dc.SelectObject(12345) == 0; }},
        {"a pen of negative width",
         [](CEmfDevice& dc) {
             return dc.CreatePen(CPenDesc{EPenStyle::Solid, -1, kRed}) == 0;
         }},
    };
    for (const auto& c : cases)
    {
        CEmfDevice dc(TestReference(), "g");
        EXPECT_TRUE(c.fn(dc)) << c.pszName;
        // What was refused left no record; what was done before it did.
        for (const std::string& strLine : Parse(dc.Finish()).Describe())
        {
            EXPECT_TRUE(strLine.starts_with("create ") || strLine.starts_with("select pen") ||
                        strLine == "delete pen 0 0 0000FF" || strLine == "eof")
                << c.pszName << ": " << strLine;
        }
    }
}

TEST(EmfDevice, ReturnsThePreviousSettingsAndObjects)
{
    EnsureApplication();
    CEmfDevice dc(TestReference(), "g");
    EXPECT_EQ(dc.SetBkMode(EBkMode::Transparent), EBkMode::Opaque);
    EXPECT_EQ(dc.SetBkMode(EBkMode::Opaque), EBkMode::Transparent);
    EXPECT_EQ(dc.SetTextColor(kBlue), MakeRgb(0, 0, 0));
    EXPECT_EQ(dc.SetTextColor(kRed), kBlue);
    EXPECT_EQ(dc.SetROP2(ERop2::NotXorPen), ERop2::CopyPen);
    EXPECT_EQ(dc.SetROP2(ERop2::CopyPen), ERop2::NotXorPen);
    const HDrawObject hPen = dc.CreatePen(CPenDesc{EPenStyle::Solid, 0, kRed});
    const HDrawObject hFont = dc.CreateFont(MakeLabelFont(12, 0));
    EXPECT_EQ(dc.SelectObject(hPen), dc.GetStockObject(EStockObject::BlackPen));
    EXPECT_EQ(dc.SelectObject(hFont), dc.GetStockObject(EStockObject::SystemFont));
    EXPECT_EQ(dc.SelectObject(dc.GetStockObject(EStockObject::BlackPen)), hPen);
    // The reference screen is the surface a recorder offers.
    EXPECT_EQ(dc.GetClipBox(), (CDevRect{0, 0, 1000, 800}));
}

TEST(EmfDevice, HeaderOfARecording)
{
    EnsureApplication();
    CEmfDevice dc(TestReference(), "Grafico 1");
    dc.SetPixel(10, 20, kGrey);
    dc.MoveTo(1, 1);
    dc.LineTo(2, 2);
    const std::vector<std::uint8_t> vBytes = dc.Finish();
    const emf::CFile file = Parse(vBytes);
    const emf::CHeader& h = file.GetHeader();
    EXPECT_EQ(h.m_nSignature, emf::kSignature);
    EXPECT_EQ(h.m_nVersion, 0x10000u);
    EXPECT_EQ(h.m_nBytes, vBytes.size());
    EXPECT_EQ(h.m_nRecords, file.GetRecords().size());
    EXPECT_EQ(file.GetRecords().size(), 5u); // header, pixel, move, line, end
    EXPECT_EQ(h.m_nReserved, 0);
    EXPECT_EQ(h.m_nDeviceCx, 1000);
    EXPECT_EQ(h.m_nDeviceCy, 800);
    EXPECT_EQ(h.m_nMillimetersCx, 250);
    EXPECT_EQ(h.m_nMillimetersCy, 200);
    // The end record repeats its own size as its last field.
    const emf::CRecord& eof = file.GetRecords().back();
    EXPECT_EQ(eof.U32(eof.m_vData.size() - 4), eof.m_vData.size());
}

TEST(EmfDevice, DescriptionNamesTheProgramThenThePictureAndEndsWithTwoNuls)
{
    EnsureApplication();
    const std::u16string strProgram = u"Functions generated with Tracelo by Brenwick";
    struct
    {
        const char* pszName;
        std::string strTitle;
        std::u16string strPicture;
    } cases[] = {
        {"a title", "Grafico 1", u"Grafico 1"},
        {"no title", "", u""},
        {"beyond ASCII", "Citt\xC3\xA0 \xE2\x82\xAC", u"Citt\u00E0 \u20AC"},
        {"a NUL would end the picture early", std::string("a\0b", 3), u"ab"},
    };
    for (const auto& c : cases)
    {
        CEmfDevice dc(TestReference(), c.strTitle);
        const emf::CHeader h = Parse(dc.Finish()).GetHeader();
        const std::u16string strExpected = strProgram + u'\0' + c.strPicture + u'\0' + u'\0';
        EXPECT_EQ(h.m_strDescription, strExpected) << c.pszName;
        EXPECT_EQ(h.m_nDescription, strExpected.size()) << c.pszName;
        EXPECT_EQ(h.m_offDescription % 4, 0u) << c.pszName;
        EXPECT_GE(h.m_offDescription, 88u) << c.pszName; // after the fixed fields
    }
}

TEST(EmfDevice, BoundsAndFrameAreTheExtentDrawn)
{
    EnsureApplication();
    struct
    {
        const char* pszName;
        std::function<void(CEmfDevice&)> fn;
        emf::CRect rclBounds;
    } cases[] = {
        {"nothing drawn", [](CEmfDevice&) {}, {0, 0, -1, -1}},
        {"moves and settings draw nothing",
         [](CEmfDevice& dc)
         {
             dc.MoveTo(100, 100);
             dc.SetBkMode(EBkMode::Transparent);
             dc.SetTextColor(kBlue);
         },
         {0, 0, -1, -1}},
        {"one pixel", [](CEmfDevice& dc) { dc.SetPixel(5, 6, kGrey); }, {5, 6, 5, 6}},
        {"a line, whichever way it runs",
         [](CEmfDevice& dc)
         {
             dc.MoveTo(30, 5);
             dc.LineTo(10, 20);
         },
         {10, 5, 30, 20}},
        {"pixels and lines together",
         [](CEmfDevice& dc)
         {
             dc.SetPixel(50, 60, kGrey);
             dc.MoveTo(17, 17);
             dc.LineTo(515, 17);
         },
         {17, 17, 515, 60}},
        {"a rectangle covers up to right - 1 and bottom - 1",
         [](CEmfDevice& dc) { dc.Rectangle(1, 2, 10, 20); },
         {1, 2, 9, 19}},
    };
    for (const auto& c : cases)
    {
        CEmfDevice dc(TestReference(), "g");
        c.fn(dc);
        const emf::CHeader h = Parse(dc.Finish()).GetHeader();
        EXPECT_EQ(h.m_rclBounds, c.rclBounds) << c.pszName;
        // The frame covers the same pixels in hundredths of a millimetre,
        // 25 per pixel on the test screen.
        const emf::CRect rclFrame =
            c.rclBounds.right < c.rclBounds.left
                ? emf::CRect{0, 0, -1, -1}
                : emf::CRect{c.rclBounds.left * 25, c.rclBounds.top * 25,
                             (c.rclBounds.right + 1) * 25 - 1, (c.rclBounds.bottom + 1) * 25 - 1};
        EXPECT_EQ(h.m_rclFrame, rclFrame) << c.pszName;
    }
}

TEST(EmfDevice, TextCarriesItsAdvancesAndTheBoundsOfItsTurnedCell)
{
    EnsureApplication();
    const std::string strText = "-2.0000000000";
    for (const std::int32_t nEscapement : {0, 900})
    {
        CEmfDevice dc(TestReference(), "g");
        const HDrawObject hFont = dc.CreateFont(MakeLabelFont(12, nEscapement));
        dc.SelectObject(hFont);
        const CDevSize size = dc.GetTextExtent(strText);
        ASSERT_GT(size.m_nCx, 0);
        EXPECT_EQ(size.m_nCy, 12); // the cell height asked for
        dc.TextOut(40, 300, strText);
        const emf::CFile file = Parse(dc.Finish());
        const auto vTexts = file.OfType(emf::kExtTextOutW);
        ASSERT_EQ(vTexts.size(), 1u);
        const emf::CText text = emf::CFile::Text(*vTexts[0]);
        EXPECT_EQ(text.m_strText, strText);
        EXPECT_EQ(text.m_nGraphicsMode, 1u); // compatible
        EXPECT_EQ(text.m_fOptions, 0u);
        ASSERT_EQ(text.m_vDx.size(), strText.size());
        std::int32_t nSum = 0;
        for (std::int32_t nDx : text.m_vDx)
        {
            EXPECT_GE(nDx, 0);
            nSum += nDx;
        }
        EXPECT_EQ(nSum, size.m_nCx) << nEscapement;
        // Horizontal: the cell right and below the reference point. Turned
        // upwards: the cell right of it and above it.
        const emf::CRect rclExpected = nEscapement == 0
                                           ? emf::CRect{40, 300, 40 + size.m_nCx - 1, 311}
                                           : emf::CRect{40, 300 - size.m_nCx, 51, 299};
        EXPECT_EQ(text.m_rclBounds, rclExpected) << nEscapement;
        EXPECT_EQ(file.GetHeader().m_rclBounds, rclExpected) << nEscapement;
    }
}

TEST(EmfDevice, TextIsMeasuredAsOnTheReferenceDevice)
{
    EnsureApplication();
    // The view's widget stands in as a raster device of the screen's
    // resolution; the QPainter back end measures on its own device.
    QImage image(200, 200, QImage::Format_RGB32);
    CEmfReference reference = TestReference();
    reference.m_pMeasureDevice = &image;
    CEmfDevice dcEmf(reference, "g");
    QPainter painter(&image);
    CQtDrawDevice dcScreen(&painter);
    for (const std::int32_t nHeight : {12, 17, 35, 144})
    {
        const HDrawObject hEmf = dcEmf.CreateFont(MakeLabelFont(nHeight, 0));
        const HDrawObject hScreen = dcScreen.CreateFont(MakeLabelFont(nHeight, 0));
        dcEmf.SelectObject(hEmf);
        dcScreen.SelectObject(hScreen);
        for (const char* pszText : {"2.0000000000", "-1234.5000000000", "0,1000000000"})
        {
            EXPECT_EQ(dcEmf.GetTextExtent(pszText), dcScreen.GetTextExtent(pszText))
                << nHeight << " " << pszText;
        }
    }
}

TEST(EmfDevice, HandlesAreReusedAndCountedInTheHeader)
{
    EnsureApplication();
    CEmfDevice dc(TestReference(), "g");
    // Three objects at once at most, as the axes need; then many in turn, as
    // one pen per curve is.
    const HDrawObject hPen = dc.CreatePen(CPenDesc{EPenStyle::Solid, 0, 0});
    const HDrawObject hFont1 = dc.CreateFont(MakeLabelFont(12, 0));
    const HDrawObject hFont2 = dc.CreateFont(MakeLabelFont(12, 900));
    dc.DeleteObject(hPen);
    dc.DeleteObject(hFont1);
    dc.DeleteObject(hFont2);
    for (int i = 0; i < 100; ++i)
    {
        const HDrawObject h = dc.CreatePen(CPenDesc{EPenStyle::Solid, 0, kRed});
        const HDrawObject hOld = dc.SelectObject(h);
        dc.SelectObject(hOld);
        dc.DeleteObject(h);
    }
    const emf::CFile file = Parse(dc.Finish());
    std::uint32_t nHighest = 0;
    for (const emf::CRecord* pRecord : file.OfType(emf::kCreatePen))
    {
        nHighest = std::max(nHighest, emf::CFile::Pen(*pRecord).m_nIndex);
    }
    for (const emf::CRecord* pRecord : file.OfType(emf::kExtCreateFontIndirectW))
    {
        nHighest = std::max(nHighest, emf::CFile::Font(*pRecord).m_nIndex);
    }
    EXPECT_EQ(nHighest, 3u);
    // The handle table needs its entry 0 and the three indices.
    EXPECT_EQ(file.GetHeader().m_nHandles, 4);
}

TEST(EmfDevice, FinishesOnce)
{
    EnsureApplication();
    CEmfDevice dc(TestReference(), "g");
    dc.Finish();
    EXPECT_THROW(dc.Finish(), std::logic_error);
}

} // namespace
