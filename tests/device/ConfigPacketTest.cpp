#include "device/ConfigPacket.h"
#include "InfoTestPacket.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(1, 2, 3, 456));

std::vector<std::uint8_t> bytesAt(const DeviceInfoPacket::Bytes& packet, std::size_t offset,
                                  std::size_t count) {
    return {packet.begin() + static_cast<std::ptrdiff_t>(offset),
            packet.begin() + static_cast<std::ptrdiff_t>(offset + count)};
}

// The fields as the window shows them before anything was edited.
ConfigFields untouched() {
    ConfigFields f;
    f.rotateSpeed = " 5 HZ";
    f.localTime = " Yes";
    f.motorState = "Run";
    return f;
}

class ConfigPacketBuild : public ::testing::Test {
protected:
    ConfigPacket::Built build(const ConfigFields& f) {
        ConfigPacket::Built built = ConfigPacket::build(info.bytes, f, kNow);
        EXPECT_TRUE(built.ok()) << built.refusal.toStdString();
        return built;
    }
    std::vector<std::uint8_t> built(const ConfigFields& f, std::size_t offset, std::size_t count) {
        return bytesAt(build(f).packet, offset, count);
    }
    std::vector<std::uint8_t> reported(std::size_t offset, std::size_t count) const {
        return bytesAt(info.bytes, offset, count);
    }

    InfoTestPacket info = InfoTestPacket().put(10, {10, 1, 2, 3});
};

using Bytes = std::vector<std::uint8_t>;

} // namespace

TEST_F(ConfigPacketBuild, FixedBytesAndTheCopiedRest) {
    const DeviceInfoPacket::Bytes packet = build(untouched()).packet;
    EXPECT_EQ(bytesAt(packet, 0, 8), (Bytes{0xAA, 0x00, 0xFF, 0x11, 0x22, 0x22, 0xAA, 0xAA}));
    EXPECT_EQ(bytesAt(packet, 52, 8), Bytes(8, 0));
    EXPECT_EQ(bytesAt(packet, 60, 1144), reported(60, 1144));
    EXPECT_EQ(bytesAt(packet, 32, 4), reported(32, 4));
    EXPECT_EQ(bytesAt(packet, 48, 2), reported(48, 2));
    EXPECT_EQ(bytesAt(packet, 1204, 2), (Bytes{0x0F, 0xF0}));
}

TEST_F(ConfigPacketBuild, MotorSpeedFollowsTheRate) {
    const struct {
        const char* rate;
        Bytes bytes;
    } cases[] = {{" 5 HZ", {0x01, 0x2C}},
                 {" 10 HZ", {0x02, 0x58}},
                 {" 20 HZ", {0x04, 0xB0}},
                 {"", {0x04, 0xB0}}};
    for (const auto& c : cases) {
        ConfigFields f = untouched();
        f.rotateSpeed = c.rate;
        EXPECT_EQ(built(f, 8, 2), c.bytes) << c.rate;
    }
}

TEST_F(ConfigPacketBuild, AddressFieldsOverwriteAndEmptyOnesKeepWhatWasReported) {
    ConfigFields f = untouched();
    EXPECT_EQ(built(f, 10, 8), reported(10, 8));
    EXPECT_EQ(built(f, 28, 4), Bytes(4, 0)); // no NTP server given
    f.sensorIp = "10.0.0.9";
    f.destIp = "10.0.0.77";
    f.ntpIp = "10.0.0.1";
    EXPECT_EQ(built(f, 10, 8), (Bytes{10, 0, 0, 9, 10, 0, 0, 77}));
    EXPECT_EQ(built(f, 28, 4), (Bytes{10, 0, 0, 1}));
    // The packet still goes to the address the sensor has now.
    EXPECT_EQ(build(f).destination, "10.1.2.3");
}

TEST_F(ConfigPacketBuild, UnsetSensorAddressIsReplacedByTheDefault) {
    for (std::uint8_t fill : {0x00, 0xFF}) {
        info.put(10, {fill, fill, fill, fill});
        const ConfigPacket::Built b = build(untouched());
        EXPECT_EQ(bytesAt(b.packet, 10, 4), (Bytes{0xC0, 0xA8, 0x01, 0xC8}));
        EXPECT_EQ(b.destination, "192.168.1.200");

        ConfigFields f = untouched();
        f.sensorIp = "10.0.0.9";
        EXPECT_EQ(build(f).destination, "192.168.1.200");
        EXPECT_EQ(built(f, 10, 4), (Bytes{10, 0, 0, 9}));

        DeviceInfoPacket::Bytes kept = info.bytes;
        EXPECT_TRUE(ConfigPacket::applyDefaultAddressRule(kept));
        EXPECT_EQ(bytesAt(kept, 10, 4), (Bytes{192, 168, 1, 200}));
    }
    info.put(10, {0, 0, 0, 1});
    EXPECT_EQ(build(untouched()).destination, "0.0.0.1");
    DeviceInfoPacket::Bytes kept = info.bytes;
    EXPECT_FALSE(ConfigPacket::applyDefaultAddressRule(kept));
    EXPECT_EQ(kept, info.bytes);
}

TEST_F(ConfigPacketBuild, PortsAreTakenFrom1025To65535) {
    info.put(24, {0x09, 0x40}).put(26, {0x09, 0x41});
    const struct {
        const char* text;
        Bytes bytes;
    } cases[] = {{"1024", {0x09, 0x40}},  {"1025", {0x04, 0x01}}, {"65535", {0xFF, 0xFF}},
                 {"65536", {0x09, 0x40}}, {"", {0x09, 0x40}},     {"8080", {0x1F, 0x90}}};
    for (const auto& c : cases) {
        ConfigFields f = untouched();
        f.dataPort = c.text;
        EXPECT_EQ(built(f, 24, 4), (Bytes{c.bytes[0], c.bytes[1], 0x09, 0x41})) << c.text;
        f = untouched();
        f.equipmentPort = c.text;
        Bytes equipment = c.bytes;
        if (equipment == Bytes{0x09, 0x40}) {
            equipment = {0x09, 0x41};
        }
        EXPECT_EQ(built(f, 24, 4), (Bytes{0x09, 0x40, equipment[0], equipment[1]})) << c.text;
    }
}

TEST_F(ConfigPacketBuild, MacFromTheFieldOrTheReportedOne) {
    info.put(18, {1, 2, 3, 4, 5, 6});
    const struct {
        const char* text;
        Bytes bytes;
    } cases[] = {{"00-0a-35-00-1e-53", {0x00, 0x0A, 0x35, 0x00, 0x1E, 0x53}},
                 {"AA:BB:CC:DD:EE:FF", {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}},
                 {"", {1, 2, 3, 4, 5, 6}},
                 {"00-0a-35-00-1e-5", {1, 2, 3, 4, 5, 6}},
                 {"zz-0a-35-00-1e-53", {1, 2, 3, 4, 5, 6}},
                 {"00-0a-35-00-1e- 5", {1, 2, 3, 4, 5, 6}},
                 {"00-0a-35-00-1e-531", {1, 2, 3, 4, 5, 6}}};
    for (const auto& c : cases) {
        ConfigFields f = untouched();
        f.mac = c.text;
        EXPECT_EQ(built(f, 18, 6), c.bytes) << c.text;
    }
}

TEST_F(ConfigPacketBuild, TimeIsTheHostClockOnlyWhenAsked) {
    ConfigFields f = untouched();
    EXPECT_EQ(built(f, 36, 10), (Bytes{26, 12, 7, 1, 2, 3, 0x01, 0xC8, 0, 0}));
    f.localTime = " No";
    EXPECT_EQ(built(f, 36, 10), Bytes(10, 0));
}

TEST_F(ConfigPacketBuild, MotorStateRunStopOrUnchanged) {
    info.put(46, {0x12, 0x34});
    ConfigFields f = untouched();
    EXPECT_EQ(built(f, 46, 2), (Bytes{0, 0}));
    f.motorState = "Stop";
    EXPECT_EQ(built(f, 46, 2), (Bytes{0, 1}));
    f.motorState = "";
    EXPECT_EQ(built(f, 46, 2), (Bytes{0x12, 0x34}));
}

TEST_F(ConfigPacketBuild, PacketIntervalDefaultsToOne) {
    const struct {
        const char* text;
        Bytes bytes;
    } cases[] = {{"", {0, 1}}, {"0", {0, 0}}, {"300", {0x01, 0x2C}}, {"65535", {0xFF, 0xFF}}};
    for (const auto& c : cases) {
        ConfigFields f = untouched();
        f.interval = c.text;
        EXPECT_EQ(built(f, 50, 2), c.bytes) << c.text;
    }
}

TEST(ConfigPacketRefusal, IncompleteAddressesAndOutOfRangeIntervalsAreRefusedByName) {
    const struct {
        QString ConfigFields::*field;
        const char* text;
        const char* named;
    } cases[] = {
        {&ConfigFields::sensorIp, "192.168.", "Lidar IP"},
        {&ConfigFields::sensorIp, "192.168.1.", "Lidar IP"},
        {&ConfigFields::sensorIp, "192", "Lidar IP"},
        {&ConfigFields::destIp, "10.0", "Computer IP"},
        {&ConfigFields::ntpIp, "1.2.3", "NTP IP"},
        {&ConfigFields::ntpIp, "1.2.3.256", "NTP IP"},
        {&ConfigFields::interval, "65536", "Packet interval"},
        {&ConfigFields::interval, "-1", "Packet interval"},
        {&ConfigFields::interval, "99999999999999999999", "Packet interval"},
        {&ConfigFields::interval, "ten", "Packet interval"},
    };
    for (const auto& c : cases) {
        ConfigFields f = untouched();
        f.*c.field = c.text;
        const ConfigPacket::Built b = ConfigPacket::build(InfoTestPacket().bytes, f, kNow);
        EXPECT_FALSE(b.ok()) << c.text;
        EXPECT_TRUE(b.refusal.startsWith(c.named)) << b.refusal.toStdString();
        EXPECT_TRUE(b.refusal.contains(c.text)) << b.refusal.toStdString();
        EXPECT_TRUE(b.refusal.endsWith(". Please reset it！")) << b.refusal.toStdString();
    }
}

TEST(ConfigFieldParsing, AddressNeedsFourDecimalPartsOfAByte) {
    EXPECT_EQ(parseAddressField("192.168.1.200"), (AddressBytes{192, 168, 1, 200}));
    EXPECT_EQ(parseAddressField("0.0.0.0"), (AddressBytes{0, 0, 0, 0}));
    EXPECT_EQ(parseAddressField("001.02.3.255"), (AddressBytes{1, 2, 3, 255}));
    EXPECT_EQ(addressFieldText({1, 2, 3, 255}), "1.2.3.255");
    EXPECT_EQ(addressFieldText({0, 0, 0, 0}), "0.0.0.0");
    for (const char* bad :
         {"", ".", "1.2.3", "1.2.3.", "1.2.3.4.", "1.2.3.4.5", "1..3.4", "1.2.3.256", "1.2.3.-4",
          "1.2.3.+4", " 1.2.3.4", "1.2.3.0x4", "1.2.3.0004"}) {
        EXPECT_FALSE(parseAddressField(bad)) << bad;
    }
}
