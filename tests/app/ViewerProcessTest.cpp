// The viewer as a program of its own, ended as a desktop ends it.

#include "XDisplayWindows.h"
#include "support/QtWait.h"

#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(ViewerProcess, WhatTheWindowShowsIsKeptWhenTheDesktopEndsTheProgram) {
    XDisplayWindows windows;
    if (!windows.available()) {
        GTEST_SKIP() << "no X display to show the viewer on";
    }
    QTemporaryDir config;
    const QString file = config.filePath("Vantor/vantor-viewer.conf");
    {
        // What an earlier run left: point size 4 and a data port that the
        // window cannot use, so it shows the usual one instead.
        QSettings earlier(file, QSettings::IniFormat);
        earlier.setValue("view/pointSize", 4);
        earlier.setValue("network/dataPort", "99999");
    }

    QProcess viewer;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", config.path());
    viewer.setProcessEnvironment(environment);
    viewer.start(qEnvironmentVariable("VANTOR_BIN_DIR") + "/vantor-viewer", QStringList());
    ASSERT_TRUE(viewer.waitForStarted(30000));
    const bool shown = waitUntil(
        [&] { return windows.shown("Corvane_Vantor Viewer", viewer.processId()); }, 60000);
    EXPECT_TRUE(shown) << viewer.readAllStandardError().constData();

    viewer.terminate(); // SIGTERM
    ASSERT_TRUE(viewer.waitForFinished(60000));
    EXPECT_EQ(viewer.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(viewer.exitCode(), 0) << viewer.readAllStandardError().constData();

    const QSettings kept(file, QSettings::IniFormat);
    // What the window showed: the point size it was given, the usual data
    // port in place of the unusable one, and all the rest. (A setting
    // changed through the display would race the signal: nothing tells
    // when the program has taken the change in.)
    EXPECT_EQ(kept.value("view/pointSize").toInt(), 4);
    EXPECT_EQ(kept.value("network/dataPort").toString(), "2368");
    EXPECT_EQ(kept.value("view/preset"), QVariant(1));
    EXPECT_EQ(kept.value("network/multicastAddress").toString(), "224.1.1.1");
    EXPECT_FALSE(kept.value("window/geometry").toByteArray().isEmpty());
}
