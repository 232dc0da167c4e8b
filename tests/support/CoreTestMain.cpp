#include "TemporarySettings.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

// Tests that wait on signals need an application object for event loops.
int main(int argc, char** argv) {
    const TemporarySettings settings;
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
