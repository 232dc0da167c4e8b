#include "TemporarySettings.h"

#include <QApplication>
#include <gtest/gtest.h>

// Widget tests need an application object; they run under Xvfb.
int main(int argc, char** argv) {
    const TemporarySettings settings;
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
