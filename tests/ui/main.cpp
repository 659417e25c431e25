// Test main for the widget tests: an offscreen QApplication, and a private settings folder so
// that profile values written by one run never leak into the next or into the user's.

#include "engine/SoxLibrary.h"
#include "platform/IconTheme.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    SetUpIconTheme();
    if (!InitSoxLibrary())
        return 1;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
