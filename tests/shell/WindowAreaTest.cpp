// The window area and the Window menu: cascade, tile, icons, scrolling and
// the list of windows; the message boxes' keys and place; the bars' and the
// menus' mouse behaviour.
#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QMdiArea>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "ShellTestSupport.h"
#include "res/ResourceIds.h"
#include "res/ShellResources.h"
#include "shell/MessageBox.h"
#include "shell/StatusBar.h"

namespace
{

class CWindowAreaTest : public CShellTest
{
protected:
    // The program with nCount graph windows, Tracel1 to Traceln, the last
    // one active.
    void StartWith(int nCount)
    {
        ASSERT_TRUE(Start());
        Frame()->resize(1000, 800);
        ProcessEvents();
        for (int i = 1; i < nCount; ++i)
        {
            Command(res::ID_FILE_NEW);
        }
    }
    QMdiArea* Area() const { return Frame()->findChild<QMdiArea*>(); }
    QSize AreaSize() const { return Area()->viewport()->size(); }
    // Top of the stack first.
    std::vector<CChildFrame*> StackFromTop() const
    {
        std::vector<CChildFrame*> v;
        const QList<QMdiSubWindow*> list = Area()->subWindowList(QMdiArea::StackingOrder);
        for (auto it = list.rbegin(); it != list.rend(); ++it)
        {
            v.push_back(dynamic_cast<CChildFrame*>(*it));
        }
        return v;
    }
    QStringList WindowMenu() const
    {
        QMenu* pWindow = Menu(res::IDR_GRAPHTYPE, 3);
        QStringList entries;
        for (QAction* pAction : pWindow->actions())
        {
            if (!pAction->isSeparator() && pAction->data().isNull())
            {
                entries << pAction->text() + (pAction->isChecked() ? "*" : "");
            }
        }
        return entries;
    }
};

} // namespace

TEST_F(CWindowAreaTest, CascadePlacesTheWindowsAsNewOnesWithTheActiveOnTop)
{
    StartWith(4);
    const std::vector<CChildFrame*> vFrames = Children();
    // Where new windows go: staggered by one step, all of one size.
    const QSize newSize = vFrames[2]->size();
    const int nStep = vFrames[2]->x() - vFrames[1]->x();
    ASSERT_GT(nStep, 10);
    ASSERT_EQ(newSize, QSize(AreaSize().width() * 3 / 4, AreaSize().height() * 3 / 4));

    // Tracel2 active and maximised, Tracel4 minimised, Tracel1 above Tracel3.
    Frame()->MDIActivate(vFrames[2]);
    Frame()->MDIActivate(vFrames[0]);
    vFrames[3]->showMinimized();
    Frame()->MDIActivate(vFrames[1]);
    vFrames[1]->showMaximized();
    ProcessEvents();

    // The icon goes to the bottom left, the others above it.
    Command(res::ID_WINDOW_CASCADE);
    EXPECT_FALSE(vFrames[1]->isMaximized());
    EXPECT_TRUE(vFrames[3]->isMinimized());
    const QSize icon = vFrames[3]->minimumSizeHint();
    EXPECT_EQ(vFrames[3]->geometry(), QRect(QPoint(0, AreaSize().height() - icon.height()), icon));
    const QSize cascadedSize(AreaSize().width() * 3 / 4,
                             (AreaSize().height() - icon.height()) * 3 / 4);
    const std::vector<CChildFrame*> vOrder = {vFrames[2], vFrames[0], vFrames[1]};
    for (std::size_t i = 0; i < vOrder.size(); ++i)
    {
        const int nOffset = nStep * int(i);
        EXPECT_EQ(vOrder[i]->geometry(), QRect(QPoint(nOffset, nOffset), cascadedSize)) << i;
        // The graph stays in view, not only the caption.
        EXPECT_GT(vOrder[i]->widget()->height(), cascadedSize.height() / 2) << i;
    }
    EXPECT_EQ(Frame()->MDIGetActive(), vFrames[1]);
    const std::vector<CChildFrame*> vStack = StackFromTop();
    EXPECT_EQ(vStack[0], vFrames[1]);
    EXPECT_EQ(vStack[1], vFrames[0]);
    // A new window comes next in the stagger.
    Command(res::ID_FILE_NEW);
    EXPECT_EQ(Children().back()->geometry(), QRect(QPoint(3 * nStep, 3 * nStep), newSize));
}

TEST_F(CWindowAreaTest, TileSplitsTheAreaIntoColumnsByTheSquareRoot)
{
    // Per window from the top of the stack: column, row, columns, rows in
    // that column.
    struct CPlace
    {
        int m_nColumn;
        int m_nRow;
        int m_nColumns;
        int m_nRows;
    };
    const std::vector<std::vector<CPlace>> kCases = {
        {{0, 0, 1, 1}},
        {{0, 0, 1, 2}, {0, 1, 1, 2}},
        {{0, 0, 1, 3}, {0, 1, 1, 3}, {0, 2, 1, 3}},
        {{0, 0, 2, 2}, {0, 1, 2, 2}, {1, 0, 2, 2}, {1, 1, 2, 2}},
        {{0, 0, 2, 2}, {0, 1, 2, 2}, {1, 0, 2, 3}, {1, 1, 2, 3}, {1, 2, 2, 3}},
        {{0, 0, 2, 3}, {0, 1, 2, 3}, {0, 2, 2, 3}, {1, 0, 2, 3}, {1, 1, 2, 3}, {1, 2, 2, 3}},
        {{0, 0, 3, 3},
         {0, 1, 3, 3},
         {0, 2, 3, 3},
         {1, 0, 3, 3},
         {1, 1, 3, 3},
         {1, 2, 3, 3},
         {2, 0, 3, 3},
         {2, 1, 3, 3},
         {2, 2, 3, 3}},
    };
    for (const std::vector<CPlace>& places : kCases)
    {
        const int n = int(places.size());
        StartWith(n);
        // The first window active, with the others stacked newest on top.
        CChildFrame* pActive = Children()[0];
        Frame()->MDIActivate(pActive);
        std::vector<CChildFrame*> vExpected = StackFromTop();
        ASSERT_EQ(vExpected[0], pActive);
        if (n > 1)
        {
            Children()[n - 1]->showMaximized(); // restored by the tile
            Frame()->MDIActivate(pActive);
        }
        ProcessEvents();
        vExpected = StackFromTop();
        Command(res::ID_WINDOW_TILE_HORZ);
        const QSize area = AreaSize();
        for (int i = 0; i < n; ++i)
        {
            const CPlace& p = places[i];
            const int w = area.width() / p.m_nColumns;
            const int h = area.height() / p.m_nRows;
            EXPECT_EQ(vExpected[i]->geometry(), QRect(p.m_nColumn * w, p.m_nRow * h, w, h))
                << n << " windows, window " << i;
            EXPECT_FALSE(vExpected[i]->isMaximized());
        }
        EXPECT_EQ(Frame()->MDIGetActive(), pActive) << n;
        EXPECT_TRUE(pActive->widget()->hasFocus() || !Frame()->isActiveWindow()) << n;
        Stop();
    }
}

TEST_F(CWindowAreaTest, IconsStayMinimisedInARowThatNoArrangedWindowCovers)
{
    // Tracel2 and Tracel4 minimised, Tracel4 the active one; both icons
    // dragged about by their captions first.
    const unsigned kCommands[] = {res::ID_WINDOW_TILE_HORZ, res::ID_WINDOW_CASCADE,
                                  res::ID_WINDOW_ARRANGE};
    for (unsigned nCommand : kCommands)
    {
        StartWith(4);
        const std::vector<CChildFrame*> vFrames = Children();
        vFrames[1]->showMinimized();
        Frame()->MDIActivate(vFrames[2]);
        Frame()->MDIActivate(vFrames[0]);
        vFrames[3]->showMinimized();
        Area()->setActiveSubWindow(vFrames[3]);
        ProcessEvents();
        ASSERT_EQ(Frame()->MDIGetActive(), vFrames[3]);
        const QRect before0 = vFrames[0]->geometry();
        const QRect before2 = vFrames[2]->geometry();
        for (const auto& [pIcon, ptTo] :
             {std::pair{vFrames[1], QPoint(300, 150)}, std::pair{vFrames[3], QPoint(60, 320)}})
        {
            const QPoint ptGrab(10, pIcon->height() / 2);
            const QPoint ptFrom = pIcon->pos();
            QTest::mousePress(pIcon, Qt::LeftButton, {}, ptGrab);
            for (int i = 1; i <= 4; ++i)
            {
                QTest::mouseMove(pIcon,
                                 pIcon->mapFromParent(ptFrom + (ptTo - ptFrom) * i / 4 + ptGrab));
            }
            QTest::mouseRelease(pIcon, Qt::LeftButton, {}, ptGrab);
            EXPECT_EQ(pIcon->pos(), ptTo) << nCommand;
            EXPECT_TRUE(pIcon->isMinimized()) << nCommand;
        }
        ProcessEvents();

        Command(nCommand);
        // The icons in a row at the bottom, the active one still minimised.
        const QSize area = AreaSize();
        const QSize icon = vFrames[1]->minimumSizeHint();
        const int nIconTop = area.height() - icon.height();
        EXPECT_EQ(vFrames[1]->geometry(), QRect(QPoint(0, nIconTop), icon)) << nCommand;
        EXPECT_EQ(vFrames[3]->geometry(), QRect(QPoint(icon.width(), nIconTop), icon)) << nCommand;
        EXPECT_TRUE(vFrames[1]->isMinimized()) << nCommand;
        EXPECT_TRUE(vFrames[3]->isMinimized()) << nCommand;
        EXPECT_EQ(Frame()->MDIGetActive(), vFrames[3]) << nCommand;
        if (nCommand == res::ID_WINDOW_TILE_HORZ)
        {
            // Tracel1 was above Tracel3: first, at the top.
            EXPECT_EQ(vFrames[0]->geometry(), QRect(0, 0, area.width(), nIconTop / 2));
            EXPECT_EQ(vFrames[2]->geometry(), QRect(0, nIconTop / 2, area.width(), nIconTop / 2));
        }
        else if (nCommand == res::ID_WINDOW_CASCADE)
        {
            EXPECT_EQ(vFrames[0]->geometry().bottom(), vFrames[0]->y() + nIconTop * 3 / 4 - 1);
            EXPECT_LT(vFrames[0]->geometry().bottom(), nIconTop);
        }
        else
        {
            EXPECT_EQ(vFrames[0]->geometry(), before0);
            EXPECT_EQ(vFrames[2]->geometry(), before2);
        }
        Stop();
    }
}

TEST_F(CWindowAreaTest, TheAreaScrollsToWhatLiesOutside)
{
    StartWith(1);
    CChildFrame* pFrame = Children()[0];
    pFrame->resize(600, 400);
    QScrollBar* pH = Area()->horizontalScrollBar();
    QScrollBar* pV = Area()->verticalScrollBar();
    EXPECT_FALSE(pH->isVisible());
    EXPECT_FALSE(pV->isVisible());

    struct CCase
    {
        const char* m_pszWhat;
        QSize m_mainSize;
        QPoint m_ptWindow;
        bool m_bHorizontal;
        bool m_bVertical;
    };
    const CCase kCases[] = {
        {"dragged off to the right", QSize(1000, 800), QPoint(500, 0), true, false},
        {"dragged off below", QSize(1000, 800), QPoint(0, 400), false, true},
        {"dragged off to the left and up", QSize(1000, 800), QPoint(-100, -100), true, true},
        {"main window made smaller", QSize(500, 400), QPoint(0, 0), true, true},
        {"all back inside", QSize(1000, 800), QPoint(0, 0), false, false},
    };
    for (const CCase& c : kCases)
    {
        Frame()->resize(c.m_mainSize);
        ProcessEvents();
        pFrame->move(c.m_ptWindow - QPoint(pH->value(), pV->value()));
        ProcessEvents();
        EXPECT_EQ(pH->isVisible(), c.m_bHorizontal) << c.m_pszWhat;
        EXPECT_EQ(pV->isVisible(), c.m_bVertical) << c.m_pszWhat;
        // Scrolled to either end, every edge of the window can be reached.
        pH->setValue(pH->maximum());
        pV->setValue(pV->maximum());
        ProcessEvents();
        const QRect viewport = Area()->viewport()->rect();
        EXPECT_LE(pFrame->geometry().right(), viewport.right()) << c.m_pszWhat;
        EXPECT_LE(pFrame->geometry().bottom(), viewport.bottom()) << c.m_pszWhat;
        pH->setValue(pH->minimum());
        pV->setValue(pV->minimum());
        ProcessEvents();
        EXPECT_GE(pFrame->geometry().left(), 0) << c.m_pszWhat;
        EXPECT_GE(pFrame->geometry().top(), 0) << c.m_pszWhat;
    }
}

TEST_F(CWindowAreaTest, TheWindowMenuAlwaysListsTheActiveWindow)
{
    StartWith(11);
    const std::vector<CChildFrame*> vFrames = Children();
    QStringList expected;
    for (int i = 1; i <= 8; ++i)
    {
        expected << QStringLiteral("&%1 Tracel%1").arg(i);
    }
    // Tracel11 active: ninth.
    EXPECT_EQ(WindowMenu(), expected + (QStringList{"&9 Tracel11*", "&Altre finestre..."}));
    ChooseWindow(9);
    EXPECT_EQ(Frame()->MDIGetActive(), vFrames[10]);
    // Tracel3 active: the first nine as they come.
    ChooseWindow(3);
    EXPECT_EQ(Frame()->MDIGetActive(), vFrames[2]);
    QStringList first9 = expected + QStringList{"&9 Tracel9", "&Altre finestre..."};
    first9[2] += "*";
    EXPECT_EQ(WindowMenu(), first9);
    ChooseWindow(9);
    EXPECT_EQ(Frame()->MDIGetActive(), vFrames[8]);
    // Nine windows: no "Altre finestre".
    vFrames[10]->close();
    vFrames[9]->close();
    ProcessEvents();
    EXPECT_EQ(WindowMenu().size(), 9);
    EXPECT_FALSE(WindowMenu().contains("&Altre finestre..."));
}

TEST_F(CWindowAreaTest, MoreWindowsListsEveryWindowAndActivatesTheChosenOne)
{
    StartWith(10);
    const std::vector<CChildFrame*> vFrames = Children();
    Frame()->MDIActivate(vFrames[3]);
    enum class EAnswer
    {
        Ok,
        DoubleClick,
        Cancel,
        Escape,
    };
    struct CCase
    {
        EAnswer m_eAnswer;
        int m_nChoose;
        int m_nActiveAfter;
    };
    const CCase kCases[] = {
        {EAnswer::Ok, 9, 9},     {EAnswer::Cancel, 1, 9}, {EAnswer::DoubleClick, 6, 6},
        {EAnswer::Escape, 0, 6}, {EAnswer::Ok, 0, 0},
    };
    for (const CCase& c : kCases)
    {
        const int nActiveBefore = int(
            std::find(vFrames.begin(), vFrames.end(), Frame()->MDIGetActive()) - vFrames.begin());
        CModalDriver driver;
        QString strTitle;
        QStringList items;
        int nSelected = -1;
        QStringList buttons;
        driver.Then(
            [&](QWidget* pWidget)
            {
                auto* pDialog = qobject_cast<QDialog*>(pWidget);
                ASSERT_NE(pDialog, nullptr);
                strTitle = pDialog->windowTitle();
                auto* pList = pDialog->findChild<QListWidget*>();
                ASSERT_NE(pList, nullptr);
                for (int i = 0; i < pList->count(); ++i)
                {
                    items << pList->item(i)->text();
                }
                nSelected = pList->currentRow();
                for (QAbstractButton* pButton : pDialog->findChild<QDialogButtonBox*>()->buttons())
                {
                    buttons << pButton->text();
                }
                QListWidgetItem* pItem = pList->item(c.m_nChoose);
                const QPoint pt = pList->visualItemRect(pItem).center();
                QTest::mouseClick(pList->viewport(), Qt::LeftButton, {}, pt);
                switch (c.m_eAnswer)
                {
                case EAnswer::Ok:
                    pDialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
                    break;
                case EAnswer::DoubleClick:
                    QTest::mouseDClick(pList->viewport(), Qt::LeftButton, {}, pt);
                    break;
                case EAnswer::Cancel:
                    pDialog->findChild<QDialogButtonBox*>()
                        ->button(QDialogButtonBox::Cancel)
                        ->click();
                    break;
                case EAnswer::Escape:
                    QTest::keyClick(pDialog, Qt::Key_Escape);
                    break;
                }
            });
        ChooseItem(Menu(res::IDR_GRAPHTYPE, 3), "&Altre finestre");
        ASSERT_TRUE(driver.Done());
        EXPECT_EQ(strTitle, "Seleziona finestra");
        ASSERT_EQ(items.size(), 10);
        for (int i = 0; i < 10; ++i)
        {
            EXPECT_EQ(items[i], QStringLiteral("Tracel%1").arg(i + 1));
        }
        EXPECT_EQ(nSelected, nActiveBefore);
        EXPECT_EQ(buttons.contains("OK"), true);
        EXPECT_EQ(buttons.contains("Annulla"), true);
        EXPECT_EQ(Frame()->MDIGetActive(), vFrames[c.m_nActiveAfter]) << c.m_nChoose;
    }
}

TEST_F(CWindowAreaTest, MessageBoxButtonsAnswerTheirKeys)
{
    StartWith(1);
    struct CCase
    {
        Qt::Key m_eKey;
        Qt::KeyboardModifiers m_modifiers;
        EMsgBoxResult m_eResult;
    };
    const CCase kCases[] = {
        {Qt::Key_S, Qt::AltModifier, EMsgBoxResult::Yes},
        {Qt::Key_S, Qt::NoModifier, EMsgBoxResult::Yes},
        {Qt::Key_N, Qt::AltModifier, EMsgBoxResult::No},
        {Qt::Key_N, Qt::NoModifier, EMsgBoxResult::No},
        {Qt::Key_Escape, Qt::NoModifier, EMsgBoxResult::Cancel},
        {Qt::Key_Return, Qt::NoModifier, EMsgBoxResult::Yes},
    };
    for (const CCase& c : kCases)
    {
        CModalDriver driver;
        QStringList buttons;
        QString strDefault;
        driver.Then(
            [&](QWidget* pWidget)
            {
                auto* pBox = qobject_cast<QMessageBox*>(pWidget);
                ASSERT_NE(pBox, nullptr);
                for (QAbstractButton* pButton : pBox->buttons())
                {
                    buttons << pButton->text();
                }
                strDefault = pBox->defaultButton()->text();
                // Typed into the box, as the window system delivers keys.
                pBox->activateWindow();
                EXPECT_TRUE(QTest::qWaitForWindowActive(pBox));
                QTest::keyClick(pBox->windowHandle(), c.m_eKey, c.m_modifiers);
            });
        const EMsgBoxResult eResult =
            ShowMessageBox(Frame(), "Salvare le modifiche a Tracel1?", EMsgBoxButtons::YesNoCancel);
        ASSERT_TRUE(driver.Done());
        EXPECT_EQ(eResult, c.m_eResult) << c.m_eKey << " " << c.m_modifiers;
        buttons.sort();
        EXPECT_EQ(buttons, (QStringList{"&No", "&Sì", "Annulla"}));
        EXPECT_EQ(strDefault, "&Sì");
    }
}

TEST_F(CWindowAreaTest, MessageBoxesStandCentredOverTheMainWindow)
{
    StartWith(1);
    Frame()->setGeometry(60, 50, 900, 700);
    // A box for another window of the program, far from the main window's
    // centre: it still stands over the main window.
    QDialog other(Frame());
    other.setGeometry(900, 700, 200, 100);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    for (EMsgBoxButtons eButtons : {EMsgBoxButtons::Ok, EMsgBoxButtons::YesNoCancel})
    {
        CModalDriver driver;
        QPoint ptCentre;
        driver.Then(
            [&](QWidget* pWidget)
            {
                ptCentre = pWidget->frameGeometry().center();
                qobject_cast<QMessageBox*>(pWidget)->reject();
            });
        ShowMessageBox(&other, "Un messaggio piuttosto lungo, che fa la finestra larga", eButtons);
        ASSERT_TRUE(driver.Done());
        const QPoint ptMain = Frame()->frameGeometry().center();
        EXPECT_LE((ptCentre - ptMain).manhattanLength(), 2)
            << ptCentre.x() << "," << ptCentre.y() << " vs " << ptMain.x() << "," << ptMain.y();
    }
}

TEST_F(CWindowAreaTest, RightClickOnTheBarsOpensNothing)
{
    StartWith(1);
    QToolBar& toolBar = *ToolBar();
    QWidget* pButton = toolBar.widgetForAction(toolBar.actions().front());
    const struct
    {
        const char* m_pszWhat;
        QWidget* m_pWidget;
        QPoint m_pt;
    } kCases[] = {
        {"toolbar button", pButton, QPoint(5, 5)},
        {"toolbar beyond its buttons", &toolBar, QPoint(toolBar.width() - 3, 5)},
        {"menu bar beyond its menus", Frame()->menuBar(),
         QPoint(Frame()->menuBar()->width() - 5, 5)},
        {"status bar", Frame()->statusBar(), QPoint(5, 5)},
    };
    for (const auto& c : kCases)
    {
        CModalDriver driver;
        bool bOpened = false;
        driver.Then(
            [&](QWidget* pWidget)
            {
                bOpened = true;
                pWidget->close();
            });
        RightClick(c.m_pWidget, c.m_pt);
        ProcessEvents();
        EXPECT_FALSE(bOpened) << c.m_pszWhat;
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << c.m_pszWhat;
        EXPECT_TRUE(toolBar.isVisible()) << c.m_pszWhat;
    }
}

TEST_F(CWindowAreaTest, DisabledMenuItemsShowTheirPromptsWhenHighlighted)
{
    StartWith(1);
    struct CCase
    {
        int m_nMenu;
        unsigned m_nID;
    };
    const CCase kCases[] = {
        {1, res::ID_EDIT_UNDO},  {1, res::ID_EDIT_CUT},       {1, res::ID_EDIT_COPY},
        {1, res::ID_EDIT_PASTE}, {0, res::ID_FILE_MRU_FILE1},
    };
    for (const CCase& c : kCases)
    {
        QMenu* pMenu = Menu(res::IDR_GRAPHTYPE, c.m_nMenu);
        pMenu->popup(Frame()->mapToGlobal(QPoint(20, 20)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(pMenu));
        QAction* pItem = nullptr;
        for (QAction* pAction : pMenu->actions())
        {
            if (pAction->data().toUInt() == c.m_nID && pAction->isVisible())
            {
                pItem = pAction;
            }
        }
        ASSERT_NE(pItem, nullptr) << c.m_nID;
        EXPECT_FALSE(pItem->isEnabled()) << c.m_nID;
        const std::string strPrompt = res::GetCommandPrompt(c.m_nID);
        ASSERT_FALSE(strPrompt.empty()) << c.m_nID;
        Frame()->SetMessageText("Pronto");
        // The pointer over the item.
        QTest::mouseMove(pMenu, pMenu->actionGeometry(pItem).center());
        ProcessEvents();
        EXPECT_EQ(pMenu->activeAction(), pItem) << c.m_nID;
        EXPECT_EQ(MessagePane().toStdString(), strPrompt) << c.m_nID;
        pMenu->hide();
        ProcessEvents();
    }
    // From the keyboard: the arrow keys stop on disabled items too.
    QMenu* pEdit = Menu(res::IDR_GRAPHTYPE, 1);
    pEdit->popup(Frame()->mapToGlobal(QPoint(20, 20)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pEdit));
    QTest::keyClick(pEdit, Qt::Key_Down);
    ProcessEvents();
    ASSERT_NE(pEdit->activeAction(), nullptr);
    EXPECT_EQ(pEdit->activeAction()->data().toUInt(), res::ID_EDIT_UNDO);
    EXPECT_EQ(MessagePane().toStdString(), res::GetCommandPrompt(res::ID_EDIT_UNDO));
    pEdit->hide();
    ProcessEvents();
}
