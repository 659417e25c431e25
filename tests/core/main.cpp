// Test main for the core tests: a QCoreApplication for QProcess and friends, and libsox
// initialised once before any test starts a thread.

#include "engine/SoxLibrary.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!InitSoxLibrary())
        return 1;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
