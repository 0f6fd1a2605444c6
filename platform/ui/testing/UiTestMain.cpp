// The window tests run in one QApplication with the program's font, without
// a display unless one is asked for. Each window test program compiles this
// file as its main().
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/ui/DialogLayout.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    plova::ui::ApplyApplicationFont();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
