// The main frame's bars and keys, and the graph window's context menu.
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <clocale>
#include <cstdlib>

#include "ShellTestSupport.h"
#include "core/doc/TraceloDoc.h"
#include "res/ResourceIds.h"
#include "shell/ChildFrame.h"
#include "shell/StatusBar.h"
#include "shell/TraceloView.h"

namespace
{

QStringList MenuEntries(QMenu* pMenu)
{
    QStringList entries;
    for (QAction* pAction : pMenu->actions())
    {
        entries << (pAction->isSeparator() ? QStringLiteral("-") : pAction->text());
    }
    return entries;
}

// Chooses the entry strText of the open menu with the keyboard, as a person
// would, or closes the menu with Escape when strText is empty.
CModalDriver::FnAct ChooseMenuEntry(const QString& strText, QStringList* pEntries,
                                    QPoint* pTopLeft = nullptr, bool* pAllEnabled = nullptr)
{
    return [=](QWidget* pWidget)
    {
        auto* pMenu = qobject_cast<QMenu*>(pWidget);
        ASSERT_NE(pMenu, nullptr) << "expected a menu";
        *pEntries = MenuEntries(pMenu);
        if (pTopLeft != nullptr)
        {
            *pTopLeft = pMenu->pos();
        }
        if (pAllEnabled != nullptr)
        {
            *pAllEnabled = true;
            for (QAction* pAction : pMenu->actions())
            {
                *pAllEnabled = *pAllEnabled && (pAction->isSeparator() || pAction->isEnabled());
            }
        }
        if (strText.isEmpty())
        {
            QTest::keyClick(pMenu, Qt::Key_Escape);
            return;
        }
        for (QAction* pAction : pMenu->actions())
        {
            if (pAction->text() == strText)
            {
                pMenu->setActiveAction(pAction);
                QTest::keyClick(pMenu, Qt::Key_Return);
                return;
            }
        }
        ADD_FAILURE() << "no entry " << strText.toStdString();
        pMenu->close();
    };
}

const QStringList kContextMenu = {"Modifica parametri",
                                  "-",
                                  "Nuova Funzione",
                                  "Modifica Funzione",
                                  "Elimina Funzione",
                                  "-",
                                  "Esporta Metafile",
                                  "-",
                                  "Ops!"};

} // namespace

using CFrameTest = CShellTest;

TEST_F(CFrameTest, RightClickAnywhereInTheGraphWindowOpensMenu102AtThePointer)
{
    ASSERT_TRUE(Start());
    Command(res::ID_FILE_NEW);
    auto* pFirst = dynamic_cast<CChildFrame*>(Children()[0]);
    ASSERT_NE(pFirst, nullptr);
    EXPECT_EQ(Frame()->MDIGetActive(), Children()[1]);
    QWidget* pView = pFirst->widget();

    // In the view of the inactive window: it becomes active, the menu opens
    // at the pointer, and "Ops!" changes nothing.
    CModalDriver driver;
    QStringList entries;
    QPoint ptMenu;
    bool bAllEnabled = false;
    driver.Then(ChooseMenuEntry("Ops!", &entries, &ptMenu, &bAllEnabled));
    const QPoint ptClick(10, 10); // not under the window in front
    RightClick(pView, ptClick);
    ProcessEvents();
    ASSERT_TRUE(driver.Done());
    EXPECT_EQ(entries, kContextMenu);
    EXPECT_TRUE(bAllEnabled);
    EXPECT_EQ(ptMenu, pView->mapToGlobal(ptClick));
    EXPECT_EQ(Frame()->MDIGetActive(), pFirst);
    EXPECT_FALSE(pFirst->GetActiveDocument()->IsModified());

    // On the caption: the same menu, not the window's system menu.
    driver.Then(ChooseMenuEntry(QString(), &entries));
    QContextMenuEvent caption(QContextMenuEvent::Mouse, QPoint(20, 5),
                              pFirst->mapToGlobal(QPoint(20, 5)));
    QApplication::sendEvent(pFirst, &caption);
    ASSERT_TRUE(driver.Done());
    EXPECT_EQ(entries, kContextMenu);
}

TEST_F(CFrameTest, FromTheKeyboardTheMenuOpensFivePixelsIntoTheClientArea)
{
    ASSERT_TRUE(Start());
    auto* pFrame = dynamic_cast<CChildFrame*>(Children()[0]);
    QWidget* pView = pFrame->widget();
    const QPoint ptExpected = pView->mapToGlobal(QPoint(5, 5));

    CModalDriver driver;
    QStringList entries;
    QPoint ptShiftF10;
    QPoint ptMenuKey;
    QPoint ptCall;
    driver.Then(ChooseMenuEntry(QString(), &entries, &ptShiftF10));
    driver.Then(ChooseMenuEntry(QString(), &entries, &ptMenuKey));
    driver.Then(ChooseMenuEntry(QString(), &entries, &ptCall));
    KeyClick(pView, Qt::Key_F10, Qt::ShiftModifier);
    ProcessEvents();
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(0, 0),
                              pView->mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(pView, &menuKey);
    ProcessEvents();
    // Only both coordinates at -1 mean the keyboard.
    pFrame->OnContextMenu(QPoint(-1, 7));
    ASSERT_TRUE(driver.Done());
    EXPECT_EQ(ptShiftF10, ptExpected);
    EXPECT_EQ(ptMenuKey, ptExpected);
    // Taken as a point (the platform keeps the menu on the screen).
    EXPECT_EQ(ptCall.y(), 7);
    EXPECT_NE(ptCall, ptExpected);
}

TEST_F(CFrameTest, TheChosenCommandReachesTheViewOfTheWindowClicked)
{
    ASSERT_TRUE(Start());
    // One graph in two windows, and another graph told apart by its divisions.
    Command(res::ID_WINDOW_NEW);
    Command(res::ID_FILE_NEW);
    auto* pView2 = Children()[1]->GetActiveView();
    auto* pView3 = Children()[2]->GetActiveView();
    ASSERT_NE(pView2, nullptr);
    ASSERT_NE(pView3, nullptr);
    pView3->GetDocument()->m_nDivisions = 123;
    const struct
    {
        CTraceloView* m_pView;
        const char* m_pszEntry;
        const char* m_pszDialog; // the title of the dialog the command opens, or none
        const char* m_pszShown;  // a field of that dialog, telling which graph it edits
    } kCases[] = {
        {pView2, "Ops!", nullptr, nullptr},
        {pView3, "Modifica parametri", "Impostazione Parametri", "123"},
        {pView2, "Modifica parametri", "Impostazione Parametri", "500"},
        {pView2, "Nuova Funzione", "Proprietà della Funzione...", nullptr},
    };
    for (const auto& c : kCases)
    {
        SCOPED_TRACE(c.m_pszEntry);
        CModalDriver driver;
        QStringList entries;
        QString strTitle;
        QStringList fields;
        driver.Then(ChooseMenuEntry(c.m_pszEntry, &entries));
        if (c.m_pszDialog != nullptr)
        {
            driver.Then(
                [&](QWidget* pWidget)
                {
                    strTitle = pWidget->windowTitle();
                    for (QLineEdit* pEdit : pWidget->findChildren<QLineEdit*>())
                    {
                        fields << pEdit->text();
                    }
                    QMetaObject::invokeMethod(pWidget, "reject");
                });
        }
        Frame()->findChild<QMdiArea*>()->tileSubWindows(); // nothing covers anything
        RightClick(c.m_pView, QPoint(30, 30));
        ProcessEvents();
        ASSERT_TRUE(driver.Done());
        EXPECT_EQ(Frame()->MDIGetActive()->GetActiveView(), c.m_pView);
        if (c.m_pszDialog != nullptr)
        {
            EXPECT_EQ(strTitle, QString::fromUtf8(c.m_pszDialog));
        }
        if (c.m_pszShown != nullptr)
        {
            EXPECT_TRUE(fields.contains(c.m_pszShown)) << fields.join(",").toStdString();
        }
    }
    // Escape runs nothing: no dialog opens.
    CModalDriver driver;
    QStringList entries;
    bool bOpened = false;
    driver.Then(ChooseMenuEntry(QString(), &entries));
    driver.Then(
        [&](QWidget* pWidget)
        {
            bOpened = true;
            pWidget->close();
        });
    RightClick(pView3, QPoint(30, 30));
    ProcessEvents();
    EXPECT_FALSE(bOpened);
}

TEST_F(CFrameTest, RightClickOutsideTheGraphWindowsOpensNoGraphMenu)
{
    ASSERT_TRUE(Start());
    CModalDriver driver;
    QStringList entries;
    driver.Then(ChooseMenuEntry(QString(), &entries));
    for (QWidget* pWidget : {static_cast<QWidget*>(Frame()->statusBar()),
                             static_cast<QWidget*>(Frame()->findChild<QMdiArea*>()->viewport())})
    {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(3, 3),
                                pWidget->mapToGlobal(QPoint(3, 3)));
        QApplication::sendEvent(pWidget, &event);
        ProcessEvents();
    }
    EXPECT_TRUE(entries.isEmpty());
}

TEST_F(CFrameTest, ToolbarHasElevenPositionsWithTheirTooltipsAndEditButtonsDisabled)
{
    ASSERT_TRUE(Start());
    struct CButton
    {
        unsigned m_nID;
        const char* m_pszTooltip;
        bool m_bEnabled;
    };
    const CButton kButtons[] = {
        {res::ID_FILE_NEW, "Nuovo", true},
        {res::ID_FILE_OPEN, "Apri", true},
        {res::ID_FILE_SAVE, "Salva", true},
        {0, "", false},
        {res::ID_EDIT_CUT, "Taglia", false},
        {res::ID_EDIT_COPY, "Copia", false},
        {res::ID_EDIT_PASTE, "", false},
        {0, "", false},
        {res::ID_FILE_PRINT, "Stampa", true},
        {0, "", false},
        {res::ID_APP_ABOUT, "Informazioni su", true},
    };
    const QList<QAction*> actions = ToolBar()->actions();
    ASSERT_EQ(actions.size(), qsizetype(std::size(kButtons)));
    for (qsizetype i = 0; i < actions.size(); ++i)
    {
        const CButton& b = kButtons[i];
        QAction* pAction = actions[i];
        EXPECT_EQ(pAction->isSeparator(), b.m_nID == 0) << i;
        if (b.m_nID == 0)
        {
            continue;
        }
        // The same action as the menus' and the keys'.
        EXPECT_EQ(pAction, Frame()->GetAction(b.m_nID)) << i;
        EXPECT_EQ(pAction->isEnabled(), b.m_bEnabled) << i;
        EXPECT_FALSE(pAction->icon().isNull()) << i;
        EXPECT_FALSE(pAction->isIconVisibleInMenu()) << i;
        QWidget* pButton = ToolBar()->widgetForAction(pAction);
        ASSERT_NE(pButton, nullptr);
        EXPECT_EQ(pButton->size(), QSize(29, 28));
        // The tooltip a person sees when resting on the button; none for Paste.
        QToolTip::hideText();
        for (int nWait = 0; nWait < 100 && QToolTip::isVisible(); ++nWait)
        {
            QTest::qWait(10);
        }
        QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), pButton->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(pButton, &help);
        EXPECT_EQ(QToolTip::isVisible() ? QToolTip::text() : QString(), b.m_pszTooltip) << i;
        QToolTip::hideText();
    }
    EXPECT_EQ(ToolBar()->iconSize(), QSize(22, 21));
    EXPECT_TRUE(ToolBar()->isMovable());
    EXPECT_EQ(ToolBar()->allowedAreas(), Qt::AllToolBarAreas);

    // With no graph open, Save and Print have no one to handle them.
    Command(res::ID_FILE_CLOSE);
    for (QAction* pAction : actions)
    {
        const unsigned nID = pAction->data().toUInt();
        if (nID == res::ID_FILE_SAVE || nID == res::ID_FILE_PRINT)
        {
            EXPECT_FALSE(pAction->isEnabled()) << nID;
        }
        if (nID == res::ID_FILE_NEW)
        {
            EXPECT_TRUE(pAction->isEnabled());
        }
    }
}

TEST_F(CFrameTest, MessagePaneShowsPromptsAndThenPronto)
{
    ASSERT_TRUE(Start());
    EXPECT_EQ(MessagePane(), "Pronto");

    // The pointer on a menu item, then the menu closed.
    QMenu* pFile = Menu(res::IDR_GRAPHTYPE, 0);
    pFile->popup(Frame()->mapToGlobal(QPoint(20, 20)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pFile));
    QTest::mouseMove(pFile, pFile->actionGeometry(Frame()->GetAction(res::ID_FILE_OPEN)).center());
    ProcessEvents();
    EXPECT_EQ(MessagePane(), "Apre un documento esistente");
    pFile->hide();
    ProcessEvents();
    EXPECT_EQ(MessagePane(), "Pronto");

    // The pointer on a toolbar button, then away from it.
    QWidget* pAbout = ToolBar()->widgetForAction(ToolBar()->actions().back());
    QTest::mouseMove(pAbout, QPoint(5, 5));
    ProcessEvents();
    EXPECT_EQ(MessagePane(), "Visualizza le informazioni sul programma, il numero di "
                             "versione e le informazioni di copyright");
    QTest::mouseMove(Frame()->statusBar(), QPoint(5, 5));
    ProcessEvents();
    EXPECT_EQ(MessagePane(), "Pronto");
}

TEST_F(CFrameTest, StatusBarPanesAndTheClock)
{
    // Before the first refresh: the panes' strings, each pane as wide as its
    // text but the message pane, which takes the rest.
    {
        CStatusBar bar;
        const QList<QLabel*> panes = bar.findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
        const QStringList kFirst = {"", "MA", "NUM", "BS", "Date", "Time"};
        ASSERT_EQ(panes.size(), kFirst.size());
        const QFontMetrics metrics(bar.font());
        for (qsizetype i = 0; i < panes.size(); ++i)
        {
            EXPECT_EQ(panes[i]->text(), kFirst[i]) << i;
            EXPECT_EQ(panes[i]->frameStyle(),
                      i == 0 ? QFrame::NoFrame : QFrame::Panel | QFrame::Sunken)
                << i;
            if (i > 0)
            {
                EXPECT_EQ(panes[i]->width(),
                          metrics.horizontalAdvance(kFirst[i]) + 2 * (3 + panes[i]->frameWidth()))
                    << i;
            }
        }
    }

    ASSERT_TRUE(Start({}, false));
    QStatusBar* pBar = Frame()->statusBar();
    auto* pClock = pBar->findChild<QTimer*>("clock4096");
    ASSERT_NE(pClock, nullptr);
    EXPECT_EQ(pClock->interval(), 1000);
    EXPECT_TRUE(pClock->isActive());
    const auto tick = [pClock] { QMetaObject::invokeMethod(pClock, "timeout"); };

    // Shown, the panes have their texts at once; the clock refreshes them.
    const QList<QLabel*> panes = Panes();
    const QFontMetrics metrics(pBar->font());
    const auto paneWidth = [&](const QString& str)
    { return metrics.horizontalAdvance(str) + 2 * (3 + panes[1]->frameWidth()); };
    const std::time_t now = std::time(nullptr);
    const QString strDate = QString::fromLocal8Bit(FormatClockText("%x", now).c_str());
    EXPECT_EQ(panes[4]->text(), strDate);
    EXPECT_EQ(panes[4]->width(), paneWidth(strDate));
    EXPECT_FALSE(panes[5]->text().isEmpty());
    // The lock panes keep the width of their texts, and are empty while the
    // platform cannot tell the locks' state.
    EXPECT_EQ(panes[1]->width(), paneWidth("MA"));
    EXPECT_EQ(panes[1]->text(), "");

    // Hidden, the panes are not refreshed; shown again, they are at once.
    Command(res::ID_VIEW_STATUS_BAR);
    panes[4]->setText("stale");
    tick();
    EXPECT_EQ(panes[4]->text(), "stale");
    Command(res::ID_VIEW_STATUS_BAR);
    EXPECT_EQ(panes[4]->text(), strDate);

    // Not while a modal dialog is open.
    CModalDriver driver;
    QString strDuring;
    driver.Then(
        [&](QWidget* pWidget)
        {
            panes[4]->setText("stale");
            tick();
            strDuring = panes[4]->text();
            QMetaObject::invokeMethod(pWidget, "reject");
        });
    Command(res::ID_APP_ABOUT);
    ASSERT_TRUE(driver.Done());
    EXPECT_EQ(strDuring, "stale");
}

TEST(ClockText, DateAndTimeInTheUsersLocale)
{
    struct CCase
    {
        const char* m_pszLocale;
        const char* m_pszDate;
        const char* m_pszTime;
    };
    // 2026-03-07 09:05:03 UTC
    const std::time_t t = 1772874303;
    const CCase kCases[] = {
        {"it_IT.UTF-8", "07/03/2026", "09:05:03"},
        {"en_US.UTF-8", "03/07/2026", "09:05:03 AM"},
        {"C", "03/07/26", "09:05:03"},
    };
    setenv("TZ", "UTC", 1);
    tzset();
    for (const CCase& c : kCases)
    {
        if (std::setlocale(LC_ALL, c.m_pszLocale) == nullptr)
        {
            ADD_FAILURE() << "locale " << c.m_pszLocale << " is not installed";
            continue;
        }
        EXPECT_EQ(FormatClockText("%x", t), c.m_pszDate) << c.m_pszLocale;
        EXPECT_EQ(FormatClockText("%X", t), c.m_pszTime) << c.m_pszLocale;
    }
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(FormatClockText("", t), "");
}

TEST_F(CFrameTest, CtrlOAndCtrlAOpenTheOpenDialog)
{
    ASSERT_TRUE(Start());
    for (Qt::Key key : {Qt::Key_O, Qt::Key_A})
    {
        CModalDriver driver;
        driver.AnswerFileDialog(QString());
        KeyClick(Frame(), key, Qt::ControlModifier);
        ProcessEvents();
        EXPECT_TRUE(driver.Done()) << key;
        ASSERT_EQ(driver.m_vFileDialogTitles.size(), 1u);
        EXPECT_EQ(driver.m_vFileDialogTitles[0], "Apri");
    }
    CModalDriver driver;
    KeyClick(Frame(), Qt::Key_N, Qt::ControlModifier);
    ProcessEvents();
    EXPECT_EQ(ChildTitles().back(), "Tracel2");
}

TEST_F(CFrameTest, WindowMenuListsTheGraphWindowsAndActivatesThem)
{
    ASSERT_TRUE(Start());
    Command(res::ID_FILE_NEW);
    Command(res::ID_WINDOW_NEW);
    QMenu* pWindow = Menu(res::IDR_GRAPHTYPE, 3);
    EXPECT_EQ(MenuEntries(pWindow),
              (QStringList{"&Nuova finestra", "&Sovrapponi", "&Affianca", "&Disponi icone", "-",
                           "&1 Tracel1", "&2 Tracel2:1", "&3 Tracel2:2"}));
    EXPECT_TRUE(pWindow->actions().back()->isChecked());
    ChooseWindow(1);
    EXPECT_EQ(Frame()->MDIGetActive(), Children()[0]);
    EXPECT_EQ(Frame()->windowTitle(), "Tracelo - Tracel1");
    for (unsigned nID : {res::ID_WINDOW_CASCADE, res::ID_WINDOW_TILE_HORZ, res::ID_WINDOW_ARRANGE})
    {
        Command(nID);
        EXPECT_EQ(Children().size(), 3u);
    }
}
