// The About box's layout and figures, and the view: what it copies at its
// first update, how it samples, and what a paint puts on the screen.
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

#include "ShellTestSupport.h"
#include "core/doc/TraceloDoc.h"
#include "res/ResourceIds.h"
#include "shell/AboutDlg.h"
#include "shell/Dialog.h"
#include "shell/TraceloView.h"

TEST(AboutFigures, MemoryAndDiskLines)
{
    EXPECT_EQ(FormatMemoryLine(134217728), "131072 KB");
    EXPECT_EQ(FormatMemoryLine(1023), "0 KB");
    struct CCase
    {
        std::optional<std::uint64_t> m_nFree;
        char m_chDrive;
        const char* m_pszLine;
    };
    const CCase kCases[] = {
        {std::uint64_t(512) * 8 * 1000, 'C', "4000 KB Free on C:"},
        {std::uint64_t(10737418240), '/', "10485760 KB Free on /:"}, // more than 4 GB
        {std::nullopt, '/', "Unavailable"},
    };
    for (const CCase& c : kCases)
    {
        EXPECT_EQ(FormatDiskLine(c.m_nFree, c.m_chDrive), c.m_pszLine);
    }
    EXPECT_EQ(CurrentDriveLetter(), '/');
    EXPECT_GT(QueryAvailableMemory(), 0u);
    EXPECT_TRUE(QueryCurrentDiskFree().has_value());
}

TEST(DialogUnits, WindowsRuleWithTheDialogFont)
{
    EnsureApp();
    const QFont font = GetDialogFont("MS Sans Serif", 8);
    ASSERT_EQ(QFontInfo(font).family(), "MS Sans Serif") << "fonts-wine is part of the set-up";
    const CDialogBaseUnits units = GetDialogBaseUnits(font);
    EXPECT_EQ(units.m_cx, 6);
    EXPECT_EQ(units.m_cy, 13);
    struct CCase
    {
        QRect m_rectDlu;
        QRect m_rectPixels;
    };
    const CCase kCases[] = {
        {QRect(178, 7, 50, 14), QRect(267, 11, 75, 23)}, // OK: 11.375 down, 22.75 up
        {QRect(0, 0, 235, 93), QRect(0, 0, 353, 151)},   // 352.5 rounds away from zero
        {QRect(13, 14, 21, 20), QRect(20, 23, 32, 33)},
    };
    for (const CCase& c : kCases)
    {
        EXPECT_EQ(MapDialogRect(c.m_rectDlu, units), c.m_rectPixels);
    }
}

using CAboutTest = CShellTest;

TEST(DialogUnits, ScaledScreensShowAScalableFaceNoWiderThanTheTemplate)
{
    // The template's face has bitmap strikes only, which Qt draws at their
    // 1x size on a scaled screen: there a scalable face takes its place.
    EnsureApp();
    const QFont font = GetDialogFont("MS Sans Serif", 8);
    const QStringList texts = {QStringLiteral("Copyright \u00a9 2026 gli autori di Tracelo"),
                               QStringLiteral("Free Disk"), QStringLiteral("N. Divisioni")};
    for (const qreal dRatio : {1.0, 1.25, 1.5, 2.0, 3.0})
    {
        const QFont screenFont = GetScreenDialogFont(font, dRatio, texts);
        if (dRatio == 1.0)
        {
            EXPECT_EQ(screenFont, font);
            continue;
        }
        EXPECT_TRUE(QFontDatabase::isSmoothlyScalable(QFontInfo(screenFont).family())) << dRatio;
        EXPECT_EQ(screenFont.pointSizeF(), 8.0);
        const QFontMetricsF before(font);
        const QFontMetricsF after(screenFont);
        for (const QString& strText : texts)
        {
            EXPECT_LE(after.horizontalAdvance(strText), before.horizontalAdvance(strText))
                << qPrintable(strText);
        }
    }
}

TEST_F(CAboutTest, TheBoxAtItsDialogUnitPositionsWithItsFigures)
{
    ASSERT_TRUE(Start());
    CModalDriver driver;
    struct CSeen
    {
        QString m_strCaption;
        QSize m_size;
        QRect m_rectOk;
        QString m_strOk;
        bool m_bOkFocused = false;
        bool m_bOkDefault = false;
        QStringList m_texts;
        QString m_strMemory;
        QString m_strDisk;
        QRect m_rectMemory;
    } seen;
    driver.Then(
        [&](QWidget* pWidget)
        {
            seen.m_strCaption = pWidget->windowTitle();
            seen.m_size = pWidget->size();
            auto* pOk = pWidget->findChild<QPushButton*>("control1");
            ASSERT_NE(pOk, nullptr);
            seen.m_rectOk = pOk->geometry();
            seen.m_strOk = pOk->text();
            seen.m_bOkFocused = pWidget->focusWidget() == pOk;
            seen.m_bOkDefault = pOk->isDefault();
            for (QLabel* pLabel : pWidget->findChildren<QLabel*>())
            {
                if (!pLabel->text().isEmpty())
                {
                    seen.m_texts << pLabel->text();
                }
            }
            auto* pMemory = pWidget->findChild<QLabel*>("control1008");
            auto* pDisk = pWidget->findChild<QLabel*>("control1009");
            ASSERT_NE(pMemory, nullptr);
            ASSERT_NE(pDisk, nullptr);
            seen.m_strMemory = pMemory->text();
            seen.m_strDisk = pDisk->text();
            seen.m_rectMemory = pMemory->geometry();
            pOk->click();
        });
    Command(res::ID_APP_ABOUT);
    ASSERT_TRUE(driver.Done());
    EXPECT_EQ(seen.m_strCaption, "Informazioni su Tracelo");
    EXPECT_EQ(seen.m_size, QSize(353, 151));
    EXPECT_EQ(seen.m_rectOk, QRect(267, 11, 75, 23));
    EXPECT_EQ(seen.m_rectMemory, QRect(153, 81, 171, 16));
    EXPECT_EQ(seen.m_strOk, "OK");
    EXPECT_TRUE(seen.m_bOkFocused);
    EXPECT_TRUE(seen.m_bOkDefault);
    EXPECT_TRUE(seen.m_texts.contains("Tracelo Versione 1.0"));
    EXPECT_TRUE(seen.m_texts.contains("Free Memory"));
    EXPECT_TRUE(seen.m_texts.contains("Free Disk"));
    EXPECT_TRUE(QRegularExpression("^[0-9]+ KB$").match(seen.m_strMemory).hasMatch())
        << seen.m_strMemory.toStdString();
    EXPECT_TRUE(QRegularExpression("^[0-9]+ KB Free on /:$").match(seen.m_strDisk).hasMatch())
        << seen.m_strDisk.toStdString();
}

using CViewTest = CShellTest;

TEST_F(CViewTest, InitialUpdateCopiesTheGraphAndSamplesOverItsWindow)
{
    WriteBytes(File("seno"), SinGraphBytes());
    ASSERT_TRUE(Start({"seno"}));
    auto* pView = Children()[0]->GetActiveView();
    ASSERT_NE(pView, nullptr);
    CTraceloDoc* pDoc = pView->GetDocument();
    EXPECT_EQ(pView->GetDocument(), pDoc);
    EXPECT_EQ(pView->GetFunctions(), pDoc->m_pFunctions.get());
    EXPECT_EQ(pView->GetEvaluator(), pDoc->m_pEvaluator.get());
    EXPECT_EQ(pView->GetWindow().m_dXMin, -2.0);
    EXPECT_EQ(pView->GetWindow().m_dXMax, 2.0);
    EXPECT_EQ(pView->GetWindow().m_dYMin, -2.0);
    EXPECT_EQ(pView->GetWindow().m_dYMax, 2.0);
    EXPECT_FALSE(pView->IsDragging());

    // The view's own window: the graph keeps its own and stays clean.
    CPlotWindow zoomed = pView->GetWindow();
    zoomed.m_dXMin = 0.0;
    zoomed.m_dXMax = 1.0;
    pView->SetWindow(zoomed);
    pView->ResampleAndRedraw();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr); // the wait cursor is gone
    const CGraphFunction& function = pDoc->m_pFunctions->front();
    EXPECT_EQ(function.m_pPoints->m_window.m_dXMin, 0.0);
    EXPECT_EQ(function.m_pPoints->m_window.m_dXMax, 1.0);
    EXPECT_EQ(function.m_pPoints->GetCount(), 500u);
    EXPECT_EQ(pDoc->m_window.m_dXMin, -2.0);
    EXPECT_FALSE(pDoc->IsModified());
}

TEST_F(CViewTest, PaintLaysTheSquareOutOnTheClientAreaOverTheWindowBackground)
{
    WriteBytes(File("seno"), SinGraphBytes());
    ASSERT_TRUE(Start({"seno"}));
    CChildFrame* pFrame = Children()[0];
    auto* pView = pFrame->GetActiveView();
    struct CCase
    {
        QSize m_client;
        std::int32_t m_nSide;
        std::int32_t m_nLeft;
        std::int32_t m_nTop;
    };
    const CCase kCases[] = {
        {QSize(800, 600), 554, 123, 23},
        {QSize(300, 500), 268, 16, 116}, // margin (300 + 500) / 60 = 13 is raised to 16
    };
    for (const CCase& c : kCases)
    {
        pFrame->resize(pFrame->size() + c.m_client - pView->size());
        ProcessEvents();
        ASSERT_EQ(pView->size(), c.m_client);
        const QImage image = pView->grab().toImage();
        EXPECT_EQ(pView->GetLayout().m_rectPage,
                  (CDevRect{0, 0, c.m_client.width(), c.m_client.height()}));
        EXPECT_EQ(pView->GetLayout().m_nPlotWidth, c.m_nSide);
        EXPECT_EQ(pView->GetLayout().m_nPlotHeight, c.m_nSide);
        EXPECT_EQ(pView->GetLayout().m_nPlotLeft, c.m_nLeft);
        EXPECT_EQ(pView->GetLayout().m_nPlotTop, c.m_nTop);
        // Background in the margin, the black frame on the plot's edge, the
        // Y axis in the middle, and the red curve somewhere inside.
        EXPECT_EQ(image.pixel(3, 3) & 0xFFFFFF, 0xFFFFFFu);
        const int nMidY = c.m_nTop + c.m_nSide / 4;
        EXPECT_EQ(image.pixel(c.m_nLeft, nMidY) & 0xFFFFFF, 0u);
        EXPECT_EQ(image.pixel(c.m_nLeft + c.m_nSide / 2, nMidY) & 0xFFFFFF, 0u);
        int nRed = 0;
        for (int x = c.m_nLeft; x < c.m_nLeft + c.m_nSide; ++x)
        {
            for (int y = c.m_nTop; y < c.m_nTop + c.m_nSide; ++y)
            {
                nRed += (image.pixel(x, y) & 0xFFFFFF) == 0xFF0000u;
            }
        }
        EXPECT_GT(nRed, c.m_nSide / 2);
    }
}
