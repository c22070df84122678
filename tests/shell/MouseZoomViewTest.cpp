// The left mouse button on a graph window, with real mouse events: the
// read-out in the message pane, the rubber band, zoom, pan and the way back.
#include <QTest>
#include <clocale>
#include <cmath>

#include "PlotWindowTesting.h"
#include "ShellTestSupport.h"
#include "core/doc/TraceloDoc.h"
#include "res/ResourceIds.h"
#include "shell/StatusBar.h"
#include "shell/TraceloView.h"

namespace
{

class CMouseTest : public CShellTest
{
protected:
    void TearDown() override
    {
        std::setlocale(LC_ALL, "C");
        CShellTest::TearDown();
    }

    // A graph of SIN(X) in a window whose client area is 800 x 600, drawn
    // once so that its plot area is stored.
    CTraceloView* OpenView()
    {
        WriteBytes(File("seno"), SinGraphBytes());
        EXPECT_TRUE(Start({"seno"}));
        return SizedView(Children()[0]);
    }

    CTraceloView* SizedView(CChildFrame* pFrame)
    {
        auto* pView = pFrame->GetActiveView();
        pFrame->resize(pFrame->size() + QSize(800, 600) - pView->size());
        ProcessEvents();
        EXPECT_EQ(pView->size(), QSize(800, 600));
        pView->grab();
        EXPECT_EQ(pView->GetLayout().m_nPlotWidth, 554);
        return pView;
    }

    static void Click(CTraceloView* pView, QPoint pt) { Drag(pView, pt, pt); }
    static void Drag(CTraceloView* pView, QPoint from, QPoint to)
    {
        QTest::mousePress(pView, Qt::LeftButton, {}, from);
        QTest::mouseMove(pView, to);
        QTest::mouseRelease(pView, Qt::LeftButton, {}, to);
        ProcessEvents();
    }
};

TEST_F(CMouseTest, ReadOutInTheMessagePaneInTheUsersLocale)
{
    CTraceloView* pView = OpenView();
    struct
    {
        const char* m_pszLocale;
        QPoint m_pt;
        const char* m_pszText;
    } kCases[] = {
        {"en_US.UTF-8", {400, 300}, "X = 0.000000000000000   Y = 0.000000000000000"},
        {"en_US.UTF-8", {123, 23}, "X = -2.000000000000000   Y = 2.000000000000000"},
        {"it_IT.UTF-8", {400, 300}, "X = 0,000000000000000   Y = 0,000000000000000"},
        {"it_IT.UTF-8", {123, 23}, "X = -2,000000000000000   Y = 2,000000000000000"},
    };
    for (const auto& c : kCases)
    {
        ASSERT_NE(std::setlocale(LC_ALL, c.m_pszLocale), nullptr);
        QTest::mouseMove(pView, c.m_pt);
        EXPECT_EQ(MessagePane(), c.m_pszText) << c.m_pszLocale;
    }
}

TEST_F(CMouseTest, ClickAndTheEquivalentDragGiveTheSameWindow)
{
    CTraceloView* pView = OpenView();
    Click(pView, {400, 300});
    const CPlotWindow clicked = pView->GetWindow();
    EXPECT_TRUE(WindowNear(clicked, {-0.99639, 0.99639, -0.99639, 0.99639}, 1e-5));
    // The curve was resampled over the new window.
    const CGraphFunction& fn = pView->GetFunctions()->front();
    EXPECT_EQ(fn.m_pPoints->m_window.m_dXMin, clicked.m_dXMin);
    EXPECT_EQ(fn.m_pPoints->GetData()[0].m_dX, clicked.m_dXMin);

    Drag(pView, {400, 300}, {300, 200}); // backwards: the document's window
    EXPECT_EQ(pView->GetWindow(), (CPlotWindow{-2, 2, -2, 2}));
    Drag(pView, {262, 162}, {538, 438});
    EXPECT_EQ(pView->GetWindow(), clicked);
}

// The second press of a double-click is a double-click, not a button-down:
// only the first click zooms, and the second release lets the mouse go.
TEST_F(CMouseTest, ADoubleClickZoomsOnce)
{
    CTraceloView* pView = OpenView();
    struct CDoubleClickCounter : QObject
    {
        int m_nCount = 0;
        bool eventFilter(QObject* /*pWatched*/, QEvent* pEvent) override
        {
            m_nCount += pEvent->type() == QEvent::MouseButtonDblClick ? 1 : 0;
            return false;
        }
    } counter;
    pView->installEventFilter(&counter);
    // Through the window, as the platform delivers two quick clicks.
    QWindow* pWindow = pView->window()->windowHandle();
    const QPoint pt = pView->mapTo(pView->window(), QPoint(400, 300));
    QTest::mouseDClick(pWindow, Qt::LeftButton, {}, pt);
    ProcessEvents();
    pView->removeEventFilter(&counter);
    ASSERT_EQ(counter.m_nCount, 1);
    const CPlotWindow window = pView->GetWindow();
    EXPECT_TRUE(WindowNear(window, {-0.99639, 0.99639, -0.99639, 0.99639}, 1e-5));
    EXPECT_FALSE(pView->IsDragging());
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);

    // A click after it is a click again.
    QTest::mouseClick(pWindow, Qt::LeftButton, {}, pt);
    ProcessEvents();
    // (w/4 .. w/4 of a 554-pixel plot area: 276 of its pixels.)
    EXPECT_NEAR(pView->GetWindow().m_dXMax - pView->GetWindow().m_dXMin,
                (window.m_dXMax - window.m_dXMin) * 276 / 554, 1e-9);
}

TEST_F(CMouseTest, ClicksOutsideThePlotAreaPanByAQuarter)
{
    CTraceloView* pView = OpenView();
    struct
    {
        QPoint m_pt;
        CPlotWindow m_window;
    } kCases[] = {
        {{50, 300}, {-2.99639, 1.00361, -2, 2}},
        {{700, 300}, {-1.00361, 2.99639, -2, 2}},
        {{400, 10}, {-2, 2, -1.00361, 2.99639}},
        {{400, 590}, {-2, 2, -2.99639, 1.00361}},
    };
    for (const auto& c : kCases)
    {
        Click(pView, c.m_pt);
        EXPECT_TRUE(WindowNear(pView->GetWindow(), c.m_window, 1e-5))
            << c.m_pt.x() << "," << c.m_pt.y();
        Drag(pView, {400, 300}, {500, 200}); // upwards: back to the document's window
        EXPECT_EQ(pView->GetWindow(), (CPlotWindow{-2, 2, -2, 2}));
    }
}

TEST_F(CMouseTest, AHorizontalDragIsAClickWhereItEnds)
{
    CTraceloView* pView = OpenView();
    Drag(pView, {200, 200}, {400, 200});
    const CPlotWindow dragged = pView->GetWindow();
    Drag(pView, {400, 300}, {300, 400});
    Click(pView, {400, 200});
    EXPECT_EQ(pView->GetWindow(), dragged);
    EXPECT_NEAR(dragged.m_dXMin, -0.99639, 1e-5);
    EXPECT_NEAR(dragged.m_dYMax, 1.7184116, 1e-5);
}

TEST_F(CMouseTest, TheNarrowestWindowHolds)
{
    CTraceloView* pView = OpenView();
    pView->SetWindow(CPlotWindow{0.0, 1e-10, 0.0, 1e-10});
    pView->ResampleAndRedraw();
    pView->grab();
    Drag(pView, {300, 300}, {301, 301});
    EXPECT_EQ(pView->GetWindow(), (CPlotWindow{0.0, 1e-10, 0.0, 1e-10}));
    EXPECT_EQ(pView->GetFunctions()->front().m_pPoints->m_window.m_dXMax,
              1e-10); // resampled all the same
}

TEST_F(CMouseTest, ZoomingChangesNeitherTheGraphNorItsModifiedFlag)
{
    CTraceloView* pView = OpenView();
    CTraceloDoc* pDoc = pView->GetDocument();
    Click(pView, {400, 300});
    Click(pView, {50, 300});
    Drag(pView, {200, 200}, {500, 450});
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(pDoc->m_window.m_dXMin, -2.0);
    EXPECT_EQ(pDoc->m_window.m_dXMax, 2.0);
    EXPECT_EQ(pDoc->m_window.m_dYMin, -2.0);
    EXPECT_EQ(pDoc->m_window.m_dYMax, 2.0);
}

TEST_F(CMouseTest, TwoWindowsOnOneGraphZoomApart)
{
    CTraceloView* pFirst = OpenView();
    Command(res::ID_WINDOW_NEW);
    ASSERT_EQ(Children().size(), 2u);
    CChildFrame* pOtherFrame = Frame()->MDIGetActive();
    CTraceloView* pSecond = SizedView(pOtherFrame);
    ASSERT_NE(pSecond, pFirst);
    Click(pSecond, {400, 300});
    EXPECT_EQ(pFirst->GetWindow(), (CPlotWindow{-2, 2, -2, 2}));
    EXPECT_NEAR(pSecond->GetWindow().m_dXMin, -0.99639, 1e-5);
}

TEST_F(CMouseTest, TheRubberBandInvertsWithoutDrawingTheGraphAgain)
{
    CTraceloView* pView = OpenView();
    const QImage before = pView->grab().toImage();
    const CGraphFunction& fn = pView->GetFunctions()->front();
    const CCurvePoint* pPoints = fn.m_pPoints->GetData();

    QTest::mousePress(pView, Qt::LeftButton, {}, {200, 150});
    EXPECT_EQ(pView->cursor().shape(), Qt::CrossCursor);
    QTest::mouseMove(pView, {300, 250});
    const QImage band = pView->grab().toImage();
    // The outline's corners and edges are inverted; inside and outside not.
    for (QPoint pt : {QPoint(200, 150), QPoint(250, 150), QPoint(200, 200), QPoint(299, 249)})
        EXPECT_EQ(band.pixel(pt) & 0xFFFFFF, ~before.pixel(pt) & 0xFFFFFF)
            << pt.x() << "," << pt.y();
    for (QPoint pt : {QPoint(250, 200), QPoint(300, 250), QPoint(199, 150)})
        EXPECT_EQ(band.pixel(pt), before.pixel(pt)) << pt.x() << "," << pt.y();
    // Moving the band neither resampled nor changed the window.
    EXPECT_EQ(fn.m_pPoints->GetData(), pPoints);
    EXPECT_EQ(fn.m_pPoints->m_window.m_dXMin, -2.0);
    EXPECT_EQ(pView->GetRubberBandCorner(), (CDevPoint{300, 250}));

    QTest::mouseRelease(pView, Qt::LeftButton, {}, {300, 250});
    ProcessEvents();
    EXPECT_FALSE(pView->IsDragging());
    EXPECT_NE(pView->cursor().shape(), Qt::CrossCursor);
}

TEST_F(CMouseTest, NothingHappensWithoutAPlotArea)
{
    // A client area of 20 x 20 leaves no room for a plot area.
    WriteBytes(File("seno"), SinGraphBytes());
    ASSERT_TRUE(Start({"seno"}));
    CChildFrame* pFrame = Children()[0];
    auto* pView = pFrame->GetActiveView();
    pFrame->resize(pFrame->size() + QSize(20, 20) - pView->size());
    ProcessEvents();
    pView->grab();
    ASSERT_LE(pView->GetLayout().m_nPlotWidth, 0);
    Frame()->SetMessageText(QStringLiteral("prima"));
    QTest::mouseMove(pView, {10, 10});
    EXPECT_EQ(MessagePane(), "prima");
    Click(pView, {10, 10});
    Drag(pView, {5, 5}, {15, 15});
    EXPECT_EQ(pView->GetWindow(), (CPlotWindow{-2, 2, -2, 2}));
    EXPECT_FALSE(pView->IsDragging());
}

} // namespace

namespace
{

using CManyWindowsTest = CMouseTest;

TEST_F(CManyWindowsTest, AHundredWindowsOnOneGraph)
{
    CTraceloView* pFirst = OpenView();
    for (int i = 1; i < 100; ++i)
        Command(res::ID_WINDOW_NEW);
    ASSERT_EQ(Children().size(), 100u);
    // Every window shows the one graph, with its own window to zoom.
    CTraceloDoc* pDoc = pFirst->GetDocument();
    for (CChildFrame* pFrame : Children())
    {
        auto* pView = pFrame->GetActiveView();
        ASSERT_NE(pView, nullptr);
        EXPECT_EQ(pView->GetDocument(), pDoc);
        EXPECT_EQ(pView->GetFunctions(), pDoc->m_pFunctions.get());
    }
    CTraceloView* pLast = SizedView(Frame()->MDIGetActive());
    Click(pLast, {400, 300});
    EXPECT_NEAR(pLast->GetWindow().m_dXMin, -0.99639, 1e-5);
    EXPECT_EQ(pFirst->GetWindow().m_dXMin, -2.0);
    EXPECT_FALSE(pDoc->IsModified());
}

} // namespace
