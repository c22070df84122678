// The shell's tests share one QApplication, made before the first test and
// gone before the program's exit handlers run, as in the program itself.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <gtest/gtest.h>

#include "app/TraceloApp.h"

namespace
{

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

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    PrepareQtApplication(app);
    QApplication::setQuitOnLastWindowClosed(false);
    QTimer watchdog;
    WatchForUnansweredWindows(watchdog);
    return RUN_ALL_TESTS();
}
