// A long resample of a graph window: the progress dialog, its Annulla, and
// the one message when curves do not fit in memory.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <new>

#include "ShellTestSupport.h"
#include "core/doc/TraceloDoc.h"
#include "shell/MainFrame.h"
#include "shell/TraceloView.h"

namespace
{

class CSamplingProgressTest : public CShellTest
{
protected:
    CTraceloView* OpenView()
    {
        WriteBytes(File("seno"), SinGraphBytes());
        EXPECT_TRUE(Start({"seno"}));
        return Children()[0]->GetActiveView();
    }

    // Runs fn, answering every message box it shows; their texts.
    static QStringList AnswerMessageBoxes(const std::function<void()>& fn)
    {
        QStringList messages;
        QTimer driver;
        QObject::connect(&driver, &QTimer::timeout,
                         [&]
                         {
                             if (auto* pBox =
                                     qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                             {
                                 messages.append(pBox->text());
                                 pBox->buttons().front()->click();
                             }
                         });
        driver.start(10);
        fn();
        driver.stop();
        return messages;
    }

    // Functions whose sampling takes seconds at these divisions.
    static void MakeItSlow(CTraceloView* pView, int nFunctions, std::int32_t nDivisions)
    {
        CTraceloDoc* pDoc = pView->GetDocument();
        std::string strSlow = "X";
        for (int i = 0; i < 40; ++i)
            strSlow += "+SIN(X*" + std::to_string(i) + ")^2";
        for (int i = 0; i < nFunctions; ++i)
        {
            CGraphFunction function(pDoc->m_pEvaluator.get());
            // One text drawing RAND numbers among them, run in order.
            function.m_strExpression = i == 1 ? strSlow + "+RAND(1)" : strSlow;
            pDoc->m_pFunctions->push_back(std::move(function));
        }
        pDoc->m_nDivisions = nDivisions;
    }
};

TEST_F(CSamplingProgressTest, AnnullaStopsALongResampleAndLeavesTheWindowUsable)
{
    CTraceloView* pView = OpenView();
    CTraceloDoc* pDoc = pView->GetDocument();
    MakeItSlow(pView, 4, 2000000);

    QString strLabel;
    QString strButton;
    bool bModal = false;
    bool bProgressed = false;
    QElapsedTimer clicked;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout,
                     [&]
                     {
                         auto* pDlg =
                             qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
                         if (pDlg == nullptr || clicked.isValid())
                             return;
                         strLabel = pDlg->findChild<QLabel*>()->text();
                         auto* pButton = pDlg->findChild<QPushButton*>();
                         strButton = pButton->text();
                         bModal = pDlg->isModal();
                         if (pDlg->value() > 0)
                         {
                             bProgressed = true;
                             clicked.start();
                             pButton->click();
                         }
                     });
    driver.start(10);
    pView->ResampleAndRedraw();
    const qint64 nCancelMs = clicked.isValid() ? clicked.elapsed() : -1;
    driver.stop();
    std::printf("cancelled %lld ms after Annulla\n", static_cast<long long>(nCancelMs));

    EXPECT_EQ(strLabel, QString::fromUtf8("Calcolo delle funzioni in corso..."));
    EXPECT_EQ(strButton, QString::fromUtf8("Annulla"));
    EXPECT_TRUE(bModal);
    EXPECT_TRUE(bProgressed);
    ASSERT_TRUE(clicked.isValid());
    std::size_t nEmpty = 0;
    for (const CGraphFunction& function : *pDoc->m_pFunctions)
    {
        const std::size_t n = function.m_pPoints->GetCount();
        EXPECT_TRUE(n == 0 || n >= 2000000u) << n;
        nEmpty += n == 0;
    }
    EXPECT_GT(nEmpty, 0u);
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // The next resample starts afresh, quickly and without a dialog.
    pDoc->m_nDivisions = 500;
    pView->ResampleAndRedraw();
    for (const CGraphFunction& function : *pDoc->m_pFunctions)
        EXPECT_GE(function.m_pPoints->GetCount(), 500u);
    EXPECT_FALSE(pDoc->IsModified());
}

TEST_F(CSamplingProgressTest, CurvesThatDoNotFitAreReportedOnce)
{
    CTraceloView* pView = OpenView();
    CTraceloDoc* pDoc = pView->GetDocument();
    MakeItSlow(pView, 3, 1000000);
    setenv("TRACELO_MEMORY_LIMIT", "1000000", 1);

    const QStringList messages = AnswerMessageBoxes([pView] { pView->ResampleAndRedraw(); });
    unsetenv("TRACELO_MEMORY_LIMIT");

    EXPECT_EQ(messages, QStringList{QString::fromUtf8("Memoria insufficiente.")});
    for (const CGraphFunction& function : *pDoc->m_pFunctions)
        EXPECT_EQ(function.m_pPoints->GetCount(), 0u);
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(Children().size(), 1u);
}

TEST_F(CSamplingProgressTest, ACommandThatRunsOutOfMemoryIsReportedAndTheProgramGoesOn)
{
    CTraceloView* pView = OpenView();
    // A command that runs out of memory half-way.
    const QStringList messages = AnswerMessageBoxes(
        [this] { Frame()->RunCommand([] { throw std::bad_alloc(); }); });
    EXPECT_EQ(messages, QStringList{QString::fromUtf8("Memoria insufficiente.")});
    EXPECT_EQ(Children().size(), 1u);
    EXPECT_FALSE(pView->GetDocument()->m_pFunctions->empty());
}

} // namespace
