// The editing tests share one QApplication, made before the first test and
// gone before the program's exit handlers run, as in the program itself.
#include <QApplication>
#include <gtest/gtest.h>

#include "app/TraceloApp.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    PrepareQtApplication(app);
    QApplication::setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
