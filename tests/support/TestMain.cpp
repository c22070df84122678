// The one main of the test programs. All of a program's cases run in one
// process: before each, the process-wide state goes back to how it was when
// the program started. Built three ways, by what the program needs of Qt:
// nothing; a QGuiApplication (fonts and their metrics); or the shell's
// QApplication, with a watch on dialogs and menus that nobody answers. The
// application lives in main, so it is gone before the exit handlers run, as
// in the program itself.
#include <gtest/gtest.h>

#include "ProcessState.h"

#if defined(TRACELO_TEST_QT_GUI) || defined(TRACELO_TEST_QT_SHELL)
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QGuiApplication>
#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#endif

#ifdef TRACELO_TEST_QT_SHELL
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include "shell/TraceloApp.h"
#endif

namespace
{

#if defined(TRACELO_TEST_QT_GUI) || defined(TRACELO_TEST_QT_SHELL)

// Qt's share of the state: the settings, kept in a folder of the program's
// own and emptied before each case, the application's names, the default
// locale, a wait cursor left on, and the pointer, moved out of every window.
class CQtStateListener : public ::testing::EmptyTestEventListener
{
    static constexpr QPoint kNowhere{-10000, -10000};

public:
    CQtStateListener()
        : m_strAppName(QCoreApplication::applicationName()),
          m_strOrgName(QCoreApplication::organizationName()),
          m_strOrgDomain(QCoreApplication::organizationDomain())
    {
    }

    void OnTestStart(const ::testing::TestInfo&) override
    {
        const QString strSettings = m_settingsDir.filePath(QStringLiteral("settings"));
        QDir(strSettings).removeRecursively();
        for (const QSettings::Format eFormat : {QSettings::NativeFormat, QSettings::IniFormat})
        {
            QSettings::setPath(eFormat, QSettings::UserScope, strSettings);
            QSettings::setPath(eFormat, QSettings::SystemScope, strSettings);
        }
        QCoreApplication::setApplicationName(m_strAppName);
        QCoreApplication::setOrganizationName(m_strOrgName);
        QCoreApplication::setOrganizationDomain(m_strOrgDomain);
        QLocale::setDefault(m_locale);
        while (QGuiApplication::overrideCursor() != nullptr)
        {
            QGuiApplication::restoreOverrideCursor();
        }
        MovePointerAway();
    }

private:
    // The pointer's last position and time are kept by Qt for the window
    // system's events: a case that clicks through a window leaves them for
    // the next, whose first move to the same point would bring no event. The
    // pointer is moved the same way into a window shown far away, then closed.
    static void MovePointerAway()
    {
        QWindow window;
        window.setGeometry(QRect(kNowhere, QSize(2, 2)));
        window.show();
        if (QTest::qWaitForWindowExposed(&window))
        {
            QTest::mouseMove(&window, QPoint(1, 1));
        }
        QCoreApplication::processEvents();
    }

    QTemporaryDir m_settingsDir;
    QString m_strAppName;
    QString m_strOrgName;
    QString m_strOrgDomain;
    QLocale m_locale;
};

#endif

#ifdef TRACELO_TEST_QT_SHELL

// A dialog or menu that no test answers would wait for a person forever:
// after a while it fails the test that opened it and is closed.
constexpr qint64 kUnansweredMs = 20000;

void WatchForUnansweredWindows(QTimer& timer)
{
    static QPointer<QWidget> s_pOpen;
    static QElapsedTimer s_since;
    QObject::connect(&timer, &QTimer::timeout,
                     []
                     {
                         QWidget* pWidget = QApplication::activePopupWidget();
                         if (pWidget == nullptr)
                         {
                             pWidget = QApplication::activeModalWidget();
                         }
                         if (pWidget != s_pOpen.data())
                         {
                             s_pOpen = pWidget;
                             s_since.start();
                             return;
                         }
                         if (pWidget == nullptr || s_since.elapsed() < kUnansweredMs)
                         {
                             return;
                         }
                         QString strWhat = pWidget->windowTitle();
                         if (auto* pBox = qobject_cast<QMessageBox*>(pWidget))
                         {
                             strWhat += QStringLiteral(": ") + pBox->text();
                         }
                         ADD_FAILURE() << "nobody answered " << pWidget->metaObject()->className()
                                       << " \"" << strWhat.toStdString() << "\"";
                         if (auto* pDialog = qobject_cast<QDialog*>(pWidget))
                         {
                             pDialog->reject();
                         }
                         else
                         {
                             pWidget->close();
                         }
                         s_pOpen = nullptr;
                     });
    timer.start(500);
}

#endif

int RunAllTests()
{
    // Owned by Google Test once appended.
    ::testing::TestEventListeners& listeners = ::testing::UnitTest::GetInstance()->listeners();
    listeners.Append(new CProcessStateListener);
#if defined(TRACELO_TEST_QT_GUI) || defined(TRACELO_TEST_QT_SHELL)
    listeners.Append(new CQtStateListener);
#endif
    return RUN_ALL_TESTS();
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
#if defined(TRACELO_TEST_QT_GUI) || defined(TRACELO_TEST_QT_SHELL)
    qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
#if defined(TRACELO_TEST_QT_SHELL)
    QApplication app(argc, argv);
    PrepareQtApplication(app);
    QApplication::setQuitOnLastWindowClosed(false);
    QTimer watchdog;
    WatchForUnansweredWindows(watchdog);
#elif defined(TRACELO_TEST_QT_GUI)
    QGuiApplication app(argc, argv);
#endif
    return RunAllTests();
}
