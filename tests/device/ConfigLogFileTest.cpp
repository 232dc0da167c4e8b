#include "device/ConfigLogFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <gtest/gtest.h>

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(1, 2, 3, 45));
const QString kTag = "Vantor_display_v2.1.0_201123";

std::array<std::uint8_t, 1206> countingPacket() {
    std::array<std::uint8_t, 1206> packet{};
    for (std::size_t i = 0; i < packet.size(); ++i) {
        packet[i] = static_cast<std::uint8_t>(i);
    }
    return packet;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

} // namespace

TEST(ConfigLogFile, FileGoesIntoTheTagAndDateFolder) {
    QTemporaryDir dir;
    ConfigLogFile log;
    ASSERT_TRUE(log.open(dir.path() + "/Log/", kTag, "Modify", kNow));
    EXPECT_EQ(log.path(), dir.path() + "/Log/" + kTag + "/2026-12-07/" + kTag +
                              "__2026-12-07-01-02-03-045__Modify.ini");
    EXPECT_TRUE(QFile::exists(log.path()));
}

TEST(ConfigLogFile, HexDumpHasSixBytesThenLinesOfSixteen) {
    QTemporaryDir dir;
    ConfigLogFile log;
    const auto packet = countingPacket();
    ASSERT_TRUE(log.open(dir.path() + "/", kTag, "Before", kNow));
    ASSERT_TRUE(log.writePacket(packet.data(), packet.size()));

    const QList<QByteArray> lines = readAll(log.path()).split('\n');
    ASSERT_EQ(lines.size(), 77); // 76 lines, each ending in a line break
    EXPECT_EQ(lines[0], "00 01 02 03 04 05 ");
    EXPECT_EQ(lines[1], "06 07 08 09 0a 0b 0c 0d 0e 0f 10 11 12 13 14 15 ");
    EXPECT_EQ(lines[75], "a6 a7 a8 a9 aa ab ac ad ae af b0 b1 b2 b3 b4 b5 ");
    EXPECT_TRUE(lines[76].isEmpty());
    for (int i = 1; i <= 75; ++i) {
        EXPECT_EQ(lines[i].size(), 48) << "line " << i;
    }
}

TEST(ConfigLogFile, ReopeningTheSameFileAppends) {
    QTemporaryDir dir;
    ConfigLogFile log;
    const auto packet = countingPacket();
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(log.open(dir.path() + "/", kTag, "New", kNow));
        ASSERT_TRUE(log.writePacket(packet.data(), packet.size()));
    }
    EXPECT_EQ(readAll(log.path()).count('\n'), 2 * 76);
}

TEST(ConfigLogFile, AFolderThatCannotBeMadeOnlyFailsTheLog) {
    QTemporaryDir dir;
    QFile blocker(dir.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ConfigLogFile log;
    const auto packet = countingPacket();
    EXPECT_FALSE(log.open(dir.path() + "/file/", kTag, "Before", kNow));
    EXPECT_FALSE(log.writePacket(packet.data(), packet.size()));
}
