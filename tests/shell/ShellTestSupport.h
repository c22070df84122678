// What the shell's tests share: one QApplication on the offscreen platform,
// a folder of their own as current directory and settings location, the
// program started as from the command line, and a driver that answers the
// modal dialogs and menus the program opens.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "TestTempDir.h"
#include "core/doc/TraceloDoc.h"
#include "res/ShellResources.h"
#include "shell/ChildFrame.h"
#include "shell/MainFrame.h"
#include "shell/OpenGraphs.h"
#include "shell/RecentFileList.h"
#include "shell/TraceloApp.h"

// The one made by the tests' main.
inline QApplication& EnsureApp()
{
    return *qApp;
}

inline void ProcessEvents()
{
    for (int i = 0; i < 3; ++i)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

// Answers the next modal dialogs and pop-up menus in order, from a timer, as a
// person would while the program waits in them.
class CModalDriver
{
public:
    using FnAct = std::function<void(QWidget*)>;

    CModalDriver()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start();
    }

    // Presses the button with strButton on the next message box and keeps
    // the box's text and buttons.
    void AnswerMessageBox(const QString& strButton)
    {
        m_queue.push_back(
            [this, strButton](QWidget* pWidget)
            {
                auto* pBox = qobject_cast<QMessageBox*>(pWidget);
                ASSERT_NE(pBox, nullptr) << "expected a message box";
                m_vMessages.push_back(pBox->text());
                // In the order they stand, left to right.
                QList<QAbstractButton*> list = pBox->buttons();
                std::sort(list.begin(), list.end(),
                          [](QAbstractButton* a, QAbstractButton* b) {
                              return a->mapToGlobal(QPoint(0, 0)).x() <
                                     b->mapToGlobal(QPoint(0, 0)).x();
                          });
                QStringList buttons;
                for (QAbstractButton* pButton : list)
                {
                    buttons << pButton->text();
                }
                m_vButtons.push_back(buttons);
                m_vTitles.push_back(pBox->windowTitle());
                for (QAbstractButton* pButton : pBox->buttons())
                {
                    // Named as a person reads it, without the mnemonic's '&'.
                    if (QString(pButton->text()).remove(QLatin1Char('&')) == strButton)
                    {
                        pButton->click();
                        return;
                    }
                }
                ADD_FAILURE() << "no button " << strButton.toStdString();
                pBox->reject();
            });
    }

    // Chooses strPath in the next file dialog, or cancels it when empty.
    void AnswerFileDialog(const QString& strPath)
    {
        m_queue.push_back(
            [this, strPath](QWidget* pWidget)
            {
                auto* pDialog = qobject_cast<QFileDialog*>(pWidget);
                ASSERT_NE(pDialog, nullptr) << "expected a file dialog";
                m_vFileDialogTitles.push_back(pDialog->windowTitle());
                m_vFileDialogFilters.push_back(pDialog->nameFilters());
                m_vFileDialogSelected.push_back(pDialog->selectedFiles());
                if (strPath.isEmpty())
                {
                    pDialog->reject();
                }
                else
                {
                    pDialog->selectFile(strPath);
                    QMetaObject::invokeMethod(pDialog, "accept");
                }
            });
    }

    // Anything else: fnAct gets the modal widget or the open menu.
    void Then(FnAct fnAct) { m_queue.push_back(std::move(fnAct)); }

    bool Done() const { return m_queue.empty(); }

    std::vector<QString> m_vMessages;
    std::vector<QStringList> m_vButtons;
    std::vector<QString> m_vTitles;
    std::vector<QString> m_vFileDialogTitles;
    std::vector<QStringList> m_vFileDialogFilters;
    std::vector<QStringList> m_vFileDialogSelected;

private:
    void Poll()
    {
        if (m_queue.empty() || m_bActing)
        {
            return;
        }
        QWidget* pWidget = QApplication::activePopupWidget();
        if (pWidget == nullptr)
        {
            pWidget = QApplication::activeModalWidget();
        }
        if (pWidget == nullptr || !pWidget->isVisible() || pWidget == m_pLast)
        {
            return;
        }
        m_pLast = pWidget;
        FnAct fnAct = std::move(m_queue.front());
        m_queue.pop_front();
        m_bActing = true;
        fnAct(pWidget);
        m_bActing = false;
    }

    QTimer m_timer;
    std::deque<FnAct> m_queue;
    QPointer<QWidget> m_pLast;
    bool m_bActing = false;
};

// Input through the window system, as the platform delivers it: a right
// button press becomes a context-menu request, keys go through shortcuts.
inline void RightClick(QWidget* pWidget, const QPoint& pt)
{
    QWidget* pWindow = pWidget->window();
    QTest::mouseClick(pWindow->windowHandle(), Qt::RightButton, Qt::NoModifier,
                      pWidget->mapTo(pWindow, pt));
}

inline void KeyClick(QWidget* pWidget, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    // The offscreen platform does not give the activation back when a
    // dialog closes; the window a person types into is active.
    pWidget->window()->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(pWidget->window()));
    QTest::keyClick(pWidget->window()->windowHandle(), key, modifiers);
}

class CShellTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureApp();
        m_pDir = std::make_unique<CTestTempDir>();
        m_strOldDir = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(m_pDir->Path().string()));
        const QString strSettings = QString::fromStdString((m_pDir->Path() / "settings").string());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, strSettings);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, strSettings);
    }

    void TearDown() override
    {
        m_pApp.reset();
        ProcessEvents();
        QDir::setCurrent(m_strOldDir);
        m_pDir.reset();
    }

    // A new program, not started yet, so that a test can set it up (its
    // printer, say) before Start runs it.
    CTraceloApp& NewApp()
    {
        m_pApp.reset();
        ProcessEvents();
        m_pApp = std::make_unique<CTraceloApp>();
        m_bStarted = false;
        return *m_pApp;
    }

    // Starts the program with vArgs as its command line (the one NewApp
    // made, else a new one); returns what InitInstance returned.
    bool Start(const std::vector<std::string>& vArgs = {}, bool bRunEvents = true)
    {
        if (m_pApp == nullptr || m_bStarted)
        {
            NewApp();
        }
        m_bStarted = true;
        m_pApp->SetArguments(vArgs);
        const bool bOk = m_pApp->InitInstance();
        if (bRunEvents)
        {
            ProcessEvents();
        }
        return bOk;
    }

    // Ends the program as at exit: settings written, windows gone.
    void Stop()
    {
        if (m_pApp != nullptr)
        {
            m_pApp->ExitInstance();
            m_pApp.reset();
            ProcessEvents();
        }
    }

    CMainFrame* Frame() const { return m_pApp->GetMainWnd(); }
    std::vector<CChildFrame*> Children() const { return Frame()->GetChildFrames(); }
    std::vector<QString> ChildTitles() const
    {
        std::vector<QString> v;
        for (CChildFrame* p : Children())
        {
            v.push_back(p->windowTitle());
        }
        return v;
    }
    COpenGraphs& Graphs() const { return Frame()->Graphs(); }
    CRecentFileList& Recent() const { return *Frame()->RecentFiles(); }

    // Runs command nID when it is enabled, as its menu item, button or key would.
    void Command(unsigned nID)
    {
        QAction* pAction = Frame()->GetAction(nID);
        if (pAction != nullptr && pAction->isEnabled())
        {
            pAction->trigger();
        }
        ProcessEvents();
    }

    // Pop-up nPopup of menu bar nIDMenu (IDR_MAINFRAME or IDR_GRAPHTYPE),
    // showing or not, with its items as when it opens.
    QMenu* Menu(unsigned nIDMenu, int nPopup) const
    {
        const QString strTitle =
            QString::fromUtf8(res::FindMenu(nIDMenu)->m_popups[nPopup].m_pszTitle);
        QMenu* pFound = nullptr;
        // Both menu bars are made, the main frame's first.
        for (QMenu* pMenu : Frame()->findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
        {
            if (pMenu->title() == strTitle && (pFound == nullptr || nIDMenu != res::IDR_MAINFRAME))
            {
                pFound = pMenu;
            }
        }
        if (pFound != nullptr)
        {
            emit pFound->aboutToShow();
        }
        return pFound;
    }
    // Chooses the item of pMenu whose text begins with strPrefix ("&3 "), as
    // a click on it would.
    void ChooseItem(QMenu* pMenu, const QString& strPrefix)
    {
        emit pMenu->aboutToShow();
        for (QAction* pAction : pMenu->actions())
        {
            if (pAction->isVisible() && pAction->text().startsWith(strPrefix))
            {
                pAction->trigger();
                break;
            }
        }
        ProcessEvents();
    }
    // The n-th entry (from 1) of the Window menu's list.
    void ChooseWindow(int n)
    {
        ChooseItem(Menu(res::IDR_GRAPHTYPE, 3), QStringLiteral("&%1 ").arg(n));
    }

    QToolBar* ToolBar() const { return Frame()->findChild<QToolBar*>(QStringLiteral("toolbar")); }
    // The status bar's panes, the message pane first.
    QList<QLabel*> Panes() const
    {
        return Frame()->statusBar()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    }
    QString MessagePane() const { return Panes().front()->text(); }

    std::string File(const std::string& strName) const { return m_pDir->File(strName); }

    static void WriteBytes(const std::string& strPath, const std::vector<unsigned char>& vBytes)
    {
        std::ofstream out(strPath, std::ios::binary);
        out.write(reinterpret_cast<const char*>(vBytes.data()), std::streamsize(vBytes.size()));
    }
    static std::vector<unsigned char> ReadBytes(const std::string& strPath)
    {
        std::ifstream in(strPath, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // A new graph saved: window -2, 2, -2, 2, 500 divisions, grid on, no
    // functions.
    static std::vector<unsigned char> NewGraphBytes()
    {
        return {0, 0,    0, 0, 0, 0, 0, 0xC0, 0, 0,    0,    0, 0, 0, 0, 0x40, 0, 0, 0, 0, 0, 0,
                0, 0xC0, 0, 0, 0, 0, 0, 0,    0, 0x40, 0xF4, 1, 0, 0, 1, 0,    0, 0, 0, 0, 0, 0};
    }
    // The same with SIN(X) in red.
    static std::vector<unsigned char> SinGraphBytes()
    {
        std::vector<unsigned char> v = NewGraphBytes();
        v[40] = 1;
        for (int c : {6, int('S'), int('I'), int('N'), int('('), int('X'), int(')'), 0xFF, 0, 0, 0})
        {
            v.push_back(static_cast<unsigned char>(c));
        }
        return v;
    }

    std::unique_ptr<CTestTempDir> m_pDir;
    std::unique_ptr<CTraceloApp> m_pApp;
    bool m_bStarted = false;
    QString m_strOldDir;
};
