// The widget tests run in one QApplication, without a display unless one is asked for.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/ui/CPLOVAApp.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    plova::ui::ApplyApplicationFont();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
