#include "tools/sim/SimulatedDevice.h"
#include "advanced/AdvancedPacket.h"
#include "advanced/DefaultConfigPacket.h"
#include "advanced/RefreshTexts.h"
#include "device/ConfigPacket.h"
#include "tools/sim/SimOptions.h"

#include <gtest/gtest.h>

namespace {

using SystemClock = SimulatedDevice::SystemClock;
using std::chrono::milliseconds;

// 2026-12-07 01:02:03.456 UTC.
const SystemClock::time_point kNow{milliseconds(1796605323456)};

ByteSpan spanOf(const DeviceInfoPacket::Bytes& packet) {
    return ByteSpan(packet.data(), packet.size());
}

// The fields as "Refresh state" fills them from `packet`, with the time not sent.
ConfigFields refreshed(const DeviceInfoPacket::Bytes& packet) {
    const DeviceState s = DeviceState::fromPacket(spanOf(packet));
    ConfigFields f;
    f.sensorIp = DeviceInfoPacket::addressText(spanOf(packet), DeviceInfoPacket::kSensorIp);
    f.destIp = DeviceInfoPacket::addressText(spanOf(packet), DeviceInfoPacket::kDestIp);
    f.ntpIp = DeviceInfoPacket::addressText(spanOf(packet), DeviceInfoPacket::kNtpIp);
    f.dataPort = QString::number(s.dataPort);
    f.equipmentPort = QString::number(s.equipmentPort);
    f.interval = QString::number(s.packetInterval);
    f.rotateSpeed = " 10 HZ";
    f.localTime = " No";
    f.motorState = "Run";
    return f;
}

class SimulatedDeviceTest : public ::testing::Test {
protected:
    SimulatedDevice::Applied send(const ConfigFields& f, const QDateTime& hostTime = {}) {
        const ConfigPacket::Built built = ConfigPacket::build(device.infoPacket(kNow), f, hostTime);
        EXPECT_TRUE(built.ok()) << built.refusal.toStdString();
        return device.apply(spanOf(built.packet), kNow);
    }
    // A configuration packet whose field at `offset` holds `bytes`.
    SimulatedDevice::Applied sendRaw(std::size_t offset,
                                     std::initializer_list<std::uint8_t> bytes) {
        DeviceInfoPacket::Bytes packet =
            ConfigPacket::build(device.infoPacket(kNow), refreshed(device.infoPacket(kNow)), {})
                .packet;
        std::copy(bytes.begin(), bytes.end(), packet.begin() + static_cast<long>(offset));
        return device.apply(spanOf(packet), kNow);
    }

    SimulatedDevice device{SimOptions::defaultDevice()};
};

} // namespace

TEST_F(SimulatedDeviceTest, ReportsItsStateWithItsClockInUtc) {
    const DeviceInfoPacket::Bytes p = device.infoPacket(kNow + std::chrono::microseconds(789));
    DeviceState expected = SimOptions::defaultDevice();
    expected.time = {26, 12, 7, 1, 2, 3, 456, 789};
    EXPECT_EQ(DeviceState::fromPacket(spanOf(p)), expected);
    EXPECT_EQ(device.hostAddress(), "127.0.0.1");
    EXPECT_EQ(device.revolutionsPerSecond(), 10);
    EXPECT_TRUE(device.motorRunning());
}

TEST_F(SimulatedDeviceTest, TakesTheSettingsTheViewerSends) {
    ConfigFields f = refreshed(device.infoPacket(kNow));
    f.rotateSpeed = " 20 HZ";
    f.motorState = "Stop";
    f.interval = "7";
    f.destIp = "127.0.0.9";
    f.dataPort = "2400";
    f.equipmentPort = "2401";
    f.ntpIp = "10.0.0.1";
    f.localTime = " Yes";
    const SimulatedDevice::Applied applied =
        send(f, QDateTime(QDate(2030, 1, 2), QTime(3, 4, 5, 600), Qt::UTC));

    EXPECT_EQ(applied.notes, (std::vector<std::string>{
                                 "rpm 600 -> 1200", "motor running -> stopped", "interval 1 -> 7",
                                 "host 127.0.0.1 -> 127.0.0.9", "data port 2368 -> 2400",
                                 "equipment port 2369 -> 2401", "NTP 0.0.0.0 -> 10.0.0.1",
                                 "clock set to 2030-01-02 03:04:05.600"}));
    EXPECT_TRUE(applied.rateChanged);
    EXPECT_TRUE(applied.motorChanged);
    EXPECT_FALSE(applied.sensorAddress);
    EXPECT_EQ(device.revolutionsPerSecond(), 20);
    EXPECT_FALSE(device.motorRunning());
    EXPECT_EQ(device.hostAddress(), "127.0.0.9");

    // The clock goes on from the time it was given.
    const DeviceState next =
        DeviceState::fromPacket(spanOf(device.infoPacket(kNow + std::chrono::seconds(2))));
    EXPECT_EQ(next.time, (DeviceTime{30, 1, 2, 3, 4, 7, 600, 0}));
    EXPECT_EQ(next.motorRpm, 1200);
    EXPECT_EQ(next.motorState, DeviceState::kMotorStopped);
    EXPECT_EQ(next.packetInterval, 7);
    EXPECT_EQ(next.dataPort, 2400);
    EXPECT_EQ(next.ntpIp, (AddressBytes{10, 0, 0, 1}));
}

TEST_F(SimulatedDeviceTest, TheSameSettingsChangeNothing) {
    const DeviceInfoPacket::Bytes before = device.infoPacket(kNow);
    const SimulatedDevice::Applied applied = send(refreshed(before));
    EXPECT_TRUE(applied.notes.empty());
    EXPECT_FALSE(applied.rateChanged);
    EXPECT_FALSE(applied.motorChanged);
    EXPECT_EQ(device.infoPacket(kNow), before);
}

TEST_F(SimulatedDeviceTest, SettingsItCannotHoldAreRefusedAndKept) {
    const DeviceState before = device.state();
    const struct {
        std::size_t offset;
        std::initializer_list<std::uint8_t> bytes;
        const char* note;
    } cases[] = {
        {8, {0x00, 0x00}, "rpm 0 refused"},
        {8, {0x17, 0x71}, "rpm 6001 refused"},
        {46, {0x00, 0x02}, "motor state 2 refused"},
        {24, {0x00, 0x00}, "data port 0 refused"},
        {26, {0x00, 0x00}, "equipment port 0 refused"},
        {36, {26, 2, 30, 1, 2, 3, 0, 0, 0, 0}, "clock reading refused"},
        {36, {26, 2, 3, 24, 0, 0, 0, 0, 0, 0}, "clock reading refused"},
    };
    for (const auto& c : cases) {
        const SimulatedDevice::Applied applied = sendRaw(c.offset, c.bytes);
        EXPECT_EQ(applied.notes, std::vector<std::string>{c.note}) << c.note;
        EXPECT_EQ(device.state(), before) << c.note;
    }
    EXPECT_EQ(DeviceState::fromPacket(spanOf(device.infoPacket(kNow))).time.hour, 1);
}

TEST_F(SimulatedDeviceTest, ANewSensorAddressIsTakenOnlyWhenTheCallerMovesThere) {
    ConfigFields f = refreshed(device.infoPacket(kNow));
    f.sensorIp = "127.0.0.7";
    const SimulatedDevice::Applied applied = send(f);
    ASSERT_TRUE(applied.sensorAddress);
    EXPECT_EQ(*applied.sensorAddress, (AddressBytes{127, 0, 0, 7}));
    EXPECT_EQ(device.sensorAddress(), "127.0.0.1");
    device.moveTo(*applied.sensorAddress);
    EXPECT_EQ(device.sensorAddress(), "127.0.0.7");
    EXPECT_EQ(DeviceState::fromPacket(spanOf(device.infoPacket(kNow))).sensorIp,
              (AddressBytes{127, 0, 0, 7}));
}

TEST_F(SimulatedDeviceTest, ReportsTheCalibrationOfAnAdvancedParameterPacket) {
    const DeviceState before = DeviceState::fromPacket(spanOf(device.infoPacket(kNow)));
    // The tables the sensor starts with are worth checking.
    EXPECT_NE(before.calibration, CalibrationTables{});
    EXPECT_EQ(before.calibration.segmentFactors[0], 29);

    AdvancedFields f =
        refreshTexts(DeviceInfoPacket::decodeSettingData(spanOf(device.infoPacket(kNow))));
    f.pitch[20] = "1.25";
    f.serialNumber = "K03212112345";
    f.measureRange = "120";
    const AdvancedFieldsRead read = readAdvancedFields(f);
    ASSERT_TRUE(read.ok()) << read.refusal.toStdString();
    // Built on a frame of the sensor's own packet, from its own address to
    // the host it reports.
    DeviceInfoPacket::Bytes reported = device.infoPacket(kNow);
    std::vector<std::uint8_t> frame(42, 0);
    frame.insert(frame.end(), reported.begin(), reported.end());
    std::copy_n(reported.begin() + 10, 8, frame.begin() + 26);
    DeviceInfoPacket::Bytes packet{};
    AdvancedPacket::build(packet, read.values, ByteSpan(frame.data(), frame.size()),
                          QDateTime::currentDateTime());

    // The settings in front of the tables are only compared.
    DeviceInfoPacket::Bytes stale = packet;
    stale[8] = 0;
    stale[9] = 0;
    EXPECT_EQ(SimulatedDevice(device.state()).applyAdvanced(spanOf(stale)).notes.front(),
              "rpm 0 differs from 600");

    const SimulatedDevice::Applied applied = device.applyAdvanced(spanOf(packet));
    EXPECT_EQ(applied.notes, (std::vector<std::string>{"serial 1-2-20201123 -> 3-1-12345",
                                                       "pitch entries: 1 changed",
                                                       "measure range 160.00 -> 120.00"}));
    const DeviceState after = DeviceState::fromPacket(spanOf(device.infoPacket(kNow)));
    CalibrationTables expected = before.calibration;
    expected.pitch[20] = 125;
    EXPECT_EQ(after.calibration, expected);
    EXPECT_EQ(after.serialNumber, 12345u);
    EXPECT_EQ(device.measureRange(), 12000);
}

TEST_F(SimulatedDeviceTest, TheDefaultPacketResetsWhatItSetsAndKeepsTheMac) {
    ConfigFields f = refreshed(device.infoPacket(kNow));
    f.interval = "9";
    f.rotateSpeed = " 20 HZ";
    send(f);
    const DeviceInfoPacket::Bytes defaults =
        DefaultConfigPacket::build(QDateTime(QDate(2026, 12, 7), QTime(1, 2, 3)));
    const SimulatedDevice::Applied applied = device.applyDefaults(spanOf(defaults), kNow);
    EXPECT_EQ(device.state().motorRpm, 300);
    EXPECT_EQ(device.state().packetInterval, 1);
    EXPECT_EQ(device.state().dataPort, 2368);
    EXPECT_EQ(device.state().equipmentPort, 2369);
    EXPECT_EQ(device.state().destIp, (AddressBytes{192, 168, 1, 102}));
    EXPECT_EQ(device.state().mac, SimOptions::defaultDevice().mac);
    ASSERT_TRUE(applied.sensorAddress);
    EXPECT_EQ(*applied.sensorAddress, (AddressBytes{192, 168, 1, 200}));
}
