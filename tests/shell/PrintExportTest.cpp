// Printing, print preview, the metafile export command and printing from
// the command line, driven as a person would through the program's commands.
#include <QDialogButtonBox>
#include <QImage>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QToolButton>
#include <map>
#include <set>

#include "PlotWindowTesting.h"
#include "RecordingDevice.h"
#include "ShellTestSupport.h"
#include "core/doc/TraceloDoc.h"
#include "res/PrintStrings.h"
#include "res/ResourceIds.h"
#include "shell/Printing.h"
#include "shell/TraceloView.h"
#include "shell/TraceloViewPrint.h"

namespace
{

// 4800 x 6800 printer pixels at 1200 dpi, no margins.
void PrintToPdf(QPrinter& printer, const std::string& strPath)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(strPath));
    printer.setResolution(1200);
    printer.setFullPage(false);
    printer.setPageSize(QPageSize(QSizeF(4.0, 6800.0 / 1200.0), QPageSize::Inch));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
    printer.setPageOrientation(QPageLayout::Portrait);
}

int PdfPageCount(const std::string& strPath)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {QString::fromStdString(strPath)});
    EXPECT_TRUE(process.waitForFinished(30000));
    const QString strOut = QString::fromUtf8(process.readAllStandardOutput());
    for (const QString& strLine : strOut.split(QLatin1Char('\n')))
    {
        if (strLine.startsWith(QStringLiteral("Pages:")))
        {
            return strLine.mid(6).trimmed().toInt();
        }
    }
    return -1;
}

// A field of pdfinfo's report, e.g. "Title".
QString PdfInfoField(const std::string& strPath, const QString& strField)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {QString::fromStdString(strPath)});
    EXPECT_TRUE(process.waitForFinished(30000));
    const QString strOut = QString::fromUtf8(process.readAllStandardOutput());
    for (const QString& strLine : strOut.split(QLatin1Char('\n')))
    {
        if (strLine.startsWith(strField + QLatin1Char(':')))
        {
            return strLine.mid(strField.size() + 1).trimmed();
        }
    }
    return {};
}

// The first page at 120 dpi: one pixel for every ten printer pixels.
QImage RenderFirstPage(const std::string& strPath, const std::string& strPrefix)
{
    QProcess process;
    process.start(QStringLiteral("pdftoppm"),
                  {QStringLiteral("-r"), QStringLiteral("120"), QStringLiteral("-aaVector"),
                   QStringLiteral("no"), QStringLiteral("-singlefile"), QStringLiteral("-png"),
                   QString::fromStdString(strPath), QString::fromStdString(strPrefix)});
    EXPECT_TRUE(process.waitForFinished(60000));
    return QImage(QString::fromStdString(strPrefix + ".png"));
}

bool IsBlack(QRgb rgb)
{
    return qRed(rgb) < 100 && qGreen(rgb) < 100 && qBlue(rgb) < 100;
}

// The first and last black pixel of a row or a column.
std::pair<int, int> BlackExtent(const QImage& image, int nFixed, bool bRow)
{
    const int nLength = bRow ? image.width() : image.height();
    int nFirst = -1;
    int nLast = -1;
    for (int i = 0; i < nLength; ++i)
    {
        if (IsBlack(bRow ? image.pixel(i, nFixed) : image.pixel(nFixed, i)))
        {
            if (nFirst < 0)
            {
                nFirst = i;
            }
            nLast = i;
        }
    }
    return {nFirst, nLast};
}

class CPrintTest : public CShellTest
{
protected:
    CTraceloView* OpenSine()
    {
        WriteBytes(File("seno"), SinGraphBytes());
        EXPECT_TRUE(Start({"seno"}));
        return ActiveView();
    }

    CTraceloView* ActiveView() const { return Children().at(0)->GetActiveView(); }

    std::set<std::string> FilesInDir() const
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_pDir->Path()))
        {
            // The settings folder is where the file dialog keeps its state.
            if (entry.path().filename() != "settings")
            {
                names.insert(entry.path().filename().string());
            }
        }
        return names;
    }
};

} // namespace

// The page's printable area is the surface: margin c = (w + h) / 60, the
// largest centred square, labels 3c / 4 high, grid dots every min(left, top)
// / 5; an empty page rectangle takes the device's clipping box.
TEST_F(CPrintTest, PageLayoutInPrinterUnits)
{
    CTraceloView* pView = OpenSine();
    ASSERT_NE(pView, nullptr);
    struct CCase
    {
        QRect rectDraw;
        CDevRect rectClip;
        CDevRect rectPage;
        int nSide, nLeft, nTop, nFont, nDotStep;
    };
    const CCase cases[] = {
        {QRect(0, 0, 4800, 6800), {0, 0, 4800, 6800}, {0, 0, 4800, 6800}, 4414, 193, 1193, 144, 38},
        {QRect(0, 0, 6800, 4800), {0, 0, 6800, 4800}, {0, 0, 6800, 4800}, 4414, 1193, 193, 144, 38},
        // The preview's first drawing, before it gives the page.
        {QRect(), {0, 0, 1000, 1400}, {0, 0, 1000, 1400}, 920, 40, 240, 30, 8},
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.rectPage.m_nRight);
        CPrintInfo info;
        info.m_rectDraw = c.rectDraw;
        CRecordingDevice dc(c.rectClip);
        PrintPage(*pView, &dc, &info);

        EXPECT_EQ(info.m_nMinPage, 1);
        EXPECT_EQ(info.m_nMaxPage, 1);
        EXPECT_EQ(pView->GetLayout().m_rectPage, c.rectPage);
        EXPECT_EQ(pView->GetLayout().m_nPlotWidth, c.nSide);
        EXPECT_EQ(pView->GetLayout().m_nPlotHeight, c.nSide);
        EXPECT_EQ(pView->GetLayout().m_nPlotLeft, c.nLeft);
        EXPECT_EQ(pView->GetLayout().m_nPlotTop, c.nTop);

        const auto vFonts = dc.GetRecords(EDrawOp::CreateFont);
        ASSERT_FALSE(vFonts.empty());
        for (const CDrawRecord& r : vFonts)
        {
            EXPECT_EQ(r.m_font.m_nHeight, c.nFont);
        }
        // The dots of the vertical grid line at x = 1, top to bottom.
        std::map<int, std::vector<int>> mapColumns;
        for (const CDrawRecord& r : dc.GetRecords(EDrawOp::SetPixel))
        {
            mapColumns[r.m_nX1].push_back(r.m_nY1);
        }
        const int nX1 = c.nLeft + c.nSide * 3 / 4;
        ASSERT_EQ(mapColumns.count(nX1), 1u);
        const std::vector<int>& vDots = mapColumns[nX1];
        ASSERT_GT(vDots.size(), 10u);
        EXPECT_EQ(vDots.front(), c.nTop);
        for (std::size_t i = 1; i < vDots.size(); ++i)
        {
            ASSERT_EQ(vDots[i] - vDots[i - 1], c.nDotStep);
        }
        // Hairlines: every pen one device pixel.
        for (const CDrawRecord& r : dc.GetRecords(EDrawOp::CreatePen))
        {
            EXPECT_EQ(r.m_pen.m_nWidth, 0);
        }
    }
}

// Printing goes through the printer like any other: one page, the frame of
// the plot where the layout puts it, and the screen's view as it was.
TEST_F(CPrintTest, PrintsOnePageOnThePrinter)
{
    CTraceloView* pView = OpenSine();
    ASSERT_NE(pView, nullptr);
    pView->resize(800, 600);
    pView->grab();
    ASSERT_EQ(pView->GetLayout().m_nPlotWidth, 554);
    const CPlotWindow windowBefore = pView->GetWindow();

    const std::string strPdf = File("pagina.pdf");
    QPrinter& printer = m_pApp->GetPrintSettings().GetPrinter();
    PrintToPdf(printer, strPdf);
    ASSERT_EQ(printer.width(), 4800);
    ASSERT_EQ(printer.height(), 6800);
    printer.setFromTo(1, 3);
    Command(res::ID_FILE_PRINT_DIRECT);

    ASSERT_TRUE(std::filesystem::exists(strPdf));
    EXPECT_EQ(PdfPageCount(strPdf), 1);
    const QImage image = RenderFirstPage(strPdf, File("pagina"));
    ASSERT_EQ(image.size(), QSize(480, 680));
    // The frame: 4414 printer pixels from 193, 1193, a tenth of that here.
    const auto rowExtent = BlackExtent(image, 340, true);
    EXPECT_NEAR(rowExtent.first, 19, 1);
    EXPECT_NEAR(rowExtent.second, 460, 1);
    const auto columnExtent = BlackExtent(image, 100, false);
    EXPECT_NEAR(columnExtent.first, 119, 1);
    EXPECT_NEAR(columnExtent.second, 560, 1);
    // The red sine is on the page, inside the frame.
    int nRed = 0;
    for (int y = 0; y < image.height(); ++y)
    {
        for (int x = 0; x < image.width(); ++x)
        {
            const QRgb rgb = image.pixel(x, y);
            if (qRed(rgb) > 200 && qGreen(rgb) < 80 && qBlue(rgb) < 80)
            {
                ++nRed;
                EXPECT_TRUE(x >= 19 && x <= 461 && y >= 119 && y <= 561) << x << "," << y;
            }
        }
    }
    EXPECT_GT(nRed, 100);

    // The screen's layout and window are untouched.
    EXPECT_EQ(pView->GetLayout().m_rectPage, (CDevRect{0, 0, 800, 600}));
    EXPECT_EQ(pView->GetLayout().m_nPlotWidth, 554);
    EXPECT_EQ(pView->GetLayout().m_nPlotLeft, 123);
    EXPECT_EQ(pView->GetLayout().m_nPlotTop, 23);
    EXPECT_EQ(pView->GetWindow(), windowBefore);
    EXPECT_FALSE(pView->GetDocument()->IsModified());
}

// The print dialog: Cancel prints nothing; OK prints the one page.
TEST_F(CPrintTest, PrintDialogCancelAndOk)
{
    OpenSine();
    const std::string strPdf = File("dialogo.pdf");
    PrintToPdf(m_pApp->GetPrintSettings().GetPrinter(), strPdf);
    for (const bool bOk : {false, true})
    {
        CModalDriver driver;
        driver.Then(
            [bOk](QWidget* pWidget)
            {
                auto* pDialog = qobject_cast<QDialog*>(pWidget);
                ASSERT_NE(pDialog, nullptr);
                if (bOk)
                {
                    pDialog->accept();
                }
                else
                {
                    pDialog->reject();
                }
            });
        Command(res::ID_FILE_PRINT);
        EXPECT_TRUE(driver.Done());
        EXPECT_EQ(std::filesystem::exists(strPdf), bOk);
    }
    EXPECT_EQ(PdfPageCount(strPdf), 1);
}

// The preview shows one page with the pages side by side as last time, and
// The job, and the PDF a print to file makes, carry the graph's title.
TEST_F(CPrintTest, PrintJobsAreNamedByTheGraph)
{
    OpenSine();
    Command(res::ID_FILE_NEW); // Tracel1, active now
    struct CCase
    {
        unsigned m_nCommand;
        const char* m_pszFile;
        const char* m_pszTitle;
    };
    const CCase kCases[] = {
        {res::ID_FILE_PRINT_DIRECT, "nuovo.pdf", "Tracel1"},
        {res::ID_FILE_PRINT_DIRECT, "seno.pdf", "seno"},
    };
    for (const CCase& c : kCases)
    {
        if (std::string(c.m_pszTitle) == "seno")
        {
            ChooseWindow(1); // the first window: seno
        }
        const std::string strPdf = File(c.m_pszFile);
        PrintToPdf(m_pApp->GetPrintSettings().GetPrinter(), strPdf);
        Command(c.m_nCommand);
        ASSERT_TRUE(std::filesystem::exists(strPdf)) << c.m_pszFile;
        EXPECT_EQ(m_pApp->GetPrintSettings().GetPrinter().docName(), c.m_pszTitle);
        EXPECT_EQ(PdfInfoField(strPdf, QStringLiteral("Title")), c.m_pszTitle);
    }
}

// Opened in two-page mode, the preview's toolbar shows that mode's button
// pressed; in one-page mode the other.
TEST_F(CPrintTest, PreviewToolbarShowsTheRestoredMode)
{
    OpenSine();
    for (int nPages : {2, 1, 0})
    {
        m_pApp->GetPrintSettings().m_nNumPreviewPages = nPages;
        CModalDriver driver;
        bool bFacingChecked = false;
        bool bSingleChecked = false;
        bool bFacingButtonDown = false;
        QPrintPreviewWidget::ViewMode eMode = QPrintPreviewWidget::AllPagesView;
        driver.Then(
            [&](QWidget* pWidget)
            {
                auto* pDialog = qobject_cast<QPrintPreviewDialog*>(pWidget);
                ASSERT_NE(pDialog, nullptr);
                auto* pFacing = pDialog->findChild<QAction*>(QStringLiteral("facingModeAction"));
                auto* pSingle = pDialog->findChild<QAction*>(QStringLiteral("singleModeAction"));
                ASSERT_NE(pFacing, nullptr);
                ASSERT_NE(pSingle, nullptr);
                bFacingChecked = pFacing->isChecked();
                bSingleChecked = pSingle->isChecked();
                for (auto* pButton : pDialog->findChildren<QToolButton*>())
                {
                    if (pButton->defaultAction() == pFacing)
                    {
                        bFacingButtonDown = pButton->isChecked();
                    }
                }
                eMode = pDialog->findChild<QPrintPreviewWidget*>()->viewMode();
                pDialog->reject();
            });
        Command(res::ID_FILE_PRINT_PREVIEW);
        ASSERT_TRUE(driver.Done()) << nPages;
        const bool bFacing = nPages >= 2;
        EXPECT_EQ(bFacingChecked, bFacing) << nPages;
        EXPECT_EQ(bFacingButtonDown, bFacing) << nPages;
        EXPECT_EQ(bSingleChecked, !bFacing) << nPages;
        EXPECT_EQ(eMode, bFacing ? QPrintPreviewWidget::FacingPagesView
                                 : QPrintPreviewWidget::SinglePageView)
            << nPages;
    }
}

// remembers the choice under Settings/PreviewPages.
TEST_F(CPrintTest, PreviewShowsOnePageAndKeepsItsPageCount)
{
    OpenSine();
    m_pApp->GetPrintSettings().m_nNumPreviewPages = 2;
    CModalDriver driver;
    int nPages = -1;
    QPrintPreviewWidget::ViewMode eMode = QPrintPreviewWidget::AllPagesView;
    driver.Then(
        [&](QWidget* pWidget)
        {
            auto* pDialog = qobject_cast<QPrintPreviewDialog*>(pWidget);
            ASSERT_NE(pDialog, nullptr);
            auto* pPreview = pDialog->findChild<QPrintPreviewWidget*>();
            ASSERT_NE(pPreview, nullptr);
            pPreview->updatePreview();
            QCoreApplication::processEvents();
            nPages = pPreview->pageCount();
            eMode = pPreview->viewMode();
            pPreview->setSinglePageViewMode();
            pDialog->reject();
        });
    Command(res::ID_FILE_PRINT_PREVIEW);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(nPages, 1);
    EXPECT_EQ(eMode, QPrintPreviewWidget::FacingPagesView);
    EXPECT_EQ(m_pApp->GetPrintSettings().m_nNumPreviewPages, 1);
    Stop();
    QSettings settings(QStringLiteral("Local AppWizard-Generated Applications"),
                       QStringLiteral("Tracelo"));
    EXPECT_EQ(settings.value(QStringLiteral("Settings/PreviewPages")).toInt(), 1);
}

// The export records the picture, then asks for the file: ".emf" is added to
// a bare name, and Cancel leaves the folder as it was.
TEST_F(CPrintTest, ExportMetafileWritesTheChosenFile)
{
    CTraceloView* pView = OpenSine();
    pView->resize(800, 600);
    pView->grab();
    const std::set<std::string> before = FilesInDir();
    {
        CModalDriver driver;
        driver.AnswerFileDialog(QString());
        Command(res::ID_EXPORT_METAFILE);
        EXPECT_TRUE(driver.Done());
        ASSERT_EQ(driver.m_vFileDialogSelected.size(), 1u);
        ASSERT_FALSE(driver.m_vFileDialogSelected[0].isEmpty());
        EXPECT_TRUE(driver.m_vFileDialogSelected[0].front().endsWith(QStringLiteral("*.emf")));
    }
    EXPECT_EQ(FilesInDir(), before);

    {
        CModalDriver driver;
        driver.AnswerFileDialog(QString::fromStdString(File("grafico")));
        Command(res::ID_EXPORT_METAFILE);
        EXPECT_TRUE(driver.Done());
        EXPECT_TRUE(driver.m_vMessages.empty());
    }
    const std::vector<unsigned char> vBytes = ReadBytes(File("grafico.emf"));
    ASSERT_GT(vBytes.size(), 88u);
    EXPECT_EQ(vBytes[0], 1); // EMR_HEADER
    EXPECT_EQ(std::string(vBytes.begin() + 40, vBytes.begin() + 44), " EMF");
    EXPECT_FALSE(std::filesystem::exists(File("grafico")));
    // The view's screen layout is kept, and the graph is not modified.
    EXPECT_EQ(pView->GetLayout().m_rectPage, (CDevRect{0, 0, 800, 600}));
    EXPECT_EQ(pView->GetLayout().m_nPlotWidth, 554);
    EXPECT_FALSE(pView->GetDocument()->IsModified());
}

// /p prints the file without showing the main window and ends.
TEST_F(CPrintTest, CommandLinePrintsAndEnds)
{
    WriteBytes(File("seno"), SinGraphBytes());
    const std::string strPdf = File("riga.pdf");
    PrintToPdf(NewApp().GetPrintSettings().GetPrinter(), strPdf);
    EXPECT_FALSE(Start({"/p", "seno"}));
    EXPECT_FALSE(Frame()->isVisible());
    // Printed: the program ends with success.
    EXPECT_EQ(m_pApp->GetShellExitCode(), 0);
    ASSERT_TRUE(std::filesystem::exists(strPdf));
    EXPECT_EQ(PdfPageCount(strPdf), 1);
}

// Without a printer, or with one that does not exist, the program says
// printing could not start and ends; nothing waits for a printer.
TEST_F(CPrintTest, CommandLineWithoutPrinterReportsAndEnds)
{
    if (!QPrinterInfo::defaultPrinter().isNull())
    {
        GTEST_SKIP() << "a default printer is installed";
    }
    WriteBytes(File("seno"), SinGraphBytes());
    const std::vector<std::vector<std::string>> commandLines = {
        {"/p", "seno"},
        {"-p", "seno"},
        {"/pt", "seno", "Stampante inesistente", "driver", "porta"},
    };
    for (const auto& vArgs : commandLines)
    {
        SCOPED_TRACE(vArgs.front());
        CModalDriver driver;
        driver.AnswerMessageBox(QStringLiteral("OK"));
        EXPECT_FALSE(Start(vArgs));
        EXPECT_TRUE(driver.Done());
        ASSERT_EQ(driver.m_vMessages.size(), 1u);
        EXPECT_EQ(driver.m_vMessages[0], QString::fromUtf8(res::kFailedToStartPrint));
        EXPECT_FALSE(Frame()->isVisible());
        EXPECT_EQ(m_pApp->GetShellExitCode(), 1);
    }
}

// "/P" is not the print switch: the file just opens.
TEST_F(CPrintTest, UpperCasePOpensTheFile)
{
    WriteBytes(File("seno"), SinGraphBytes());
    const std::string strPdf = File("maiuscola.pdf");
    PrintToPdf(NewApp().GetPrintSettings().GetPrinter(), strPdf);
    EXPECT_TRUE(Start({"/P", "seno"}));
    ASSERT_EQ(Children().size(), 1u);
    EXPECT_EQ(ChildTitles()[0], QStringLiteral("seno"));
    EXPECT_TRUE(Frame()->isVisible());
    EXPECT_FALSE(std::filesystem::exists(strPdf));
}

// Choosing a file that exists asks first; a file that cannot be written is
// reported and nothing is left behind.
TEST_F(CPrintTest, ExportMetafileOverwritePromptAndWriteFailure)
{
    OpenSine();
    WriteBytes(File("vecchio.emf"), {'v', 'e', 'c', 'c', 'h', 'i', 'o'});
    {
        CModalDriver driver;
        QString strQuestion;
        // Accepted once the driver has returned, so that it answers the
        // question the dialog asks then.
        driver.Then(
            [this](QWidget* pWidget)
            {
                auto* pDialog = qobject_cast<QFileDialog*>(pWidget);
                ASSERT_NE(pDialog, nullptr);
                pDialog->selectFile(QString::fromStdString(File("vecchio.emf")));
                QMetaObject::invokeMethod(pDialog, "accept", Qt::QueuedConnection);
            });
        driver.Then(
            [&strQuestion](QWidget* pWidget)
            {
                auto* pBox = qobject_cast<QMessageBox*>(pWidget);
                ASSERT_NE(pBox, nullptr) << "expected the overwrite question";
                strQuestion = pBox->text();
                pBox->button(QMessageBox::Yes)->click();
            });
        Command(res::ID_EXPORT_METAFILE);
        EXPECT_TRUE(driver.Done());
        EXPECT_TRUE(strQuestion.contains(QStringLiteral("vecchio.emf")));
    }
    const std::vector<unsigned char> vBytes = ReadBytes(File("vecchio.emf"));
    ASSERT_GT(vBytes.size(), 88u);
    EXPECT_EQ(std::string(vBytes.begin() + 40, vBytes.begin() + 44), " EMF");

    // A file where the folder should be takes no new files, not even from the
    // super-user. (Not a folder of /proc: the file dialog would read its
    // files to tell their kinds, and /proc/kmsg never answers.)
    const std::string strBadPath = File("vecchio.emf") + "/grafico.emf";
    {
        CModalDriver driver;
        driver.AnswerFileDialog(QString::fromStdString(strBadPath));
        driver.AnswerMessageBox(QStringLiteral("OK"));
        Command(res::ID_EXPORT_METAFILE);
        EXPECT_TRUE(driver.Done());
        ASSERT_EQ(driver.m_vMessages.size(), 1u);
        EXPECT_FALSE(driver.m_vMessages[0].isEmpty());
    }
    EXPECT_EQ(ReadBytes(File("vecchio.emf")), vBytes);
}

// "Imposta stampante" sets up the printer of the next print.
TEST_F(CPrintTest, PrintSetupShowsTheSetUpDialog)
{
    OpenSine();
    CModalDriver driver;
    QString strTitle;
    QStringList buttons;
    driver.Then(
        [&](QWidget* pWidget)
        {
            auto* pDialog = qobject_cast<QDialog*>(pWidget);
            ASSERT_NE(pDialog, nullptr);
            strTitle = pDialog->windowTitle();
            if (auto* pBox = pDialog->findChild<QDialogButtonBox*>())
            {
                for (QAbstractButton* pButton : pBox->buttons())
                {
                    buttons << pButton->text();
                }
            }
            pDialog->reject();
        });
    Command(res::ID_FILE_PRINT_SETUP);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(strTitle, QString::fromUtf8(res::kPrintSetupTitle));
    EXPECT_TRUE(buttons.contains(QString::fromUtf8(res::kPrintSetupOk)));
}
