// Advanced parameter and default configuration packets as the simulated
// sensor takes them from the network, captured frames as the advanced window
// judges them, and parameter files. Any bytes are recognised exactly when
// they have their packet's form; a built packet reads back the values it was
// built from, whatever its buffer held before; the sensor then reports what a
// packet carried and changes nothing else; "Refresh state" followed by "Set"
// sends back what the sensor reported; a parameter file holds the bytes.

#include "FuzzCheck.h"
#include "advanced/AdvancedFields.h"
#include "advanced/AdvancedPacket.h"
#include "advanced/DefaultConfigPacket.h"
#include "advanced/ParameterFile.h"
#include "advanced/RefreshTexts.h"
#include "capture/DeviceInfoFrame.h"
#include "device/ConfigPacket.h"
#include "tools/sim/EthernetUdpFrame.h"
#include "tools/sim/SimOptions.h"
#include "tools/sim/SimulatedDevice.h"

#include <QList>
#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using Bytes = DeviceInfoPacket::Bytes;
using Frame = std::vector<std::uint8_t>;

constexpr std::uint8_t kHeader[] = {0xAA, 0x00, 0xFF, 0x11, 0x22, 0x22, 0xAA, 0xAA};
constexpr std::uint8_t kSignature[] = {0x55, 0xAA, 0xAA, 0x55, 0x33, 0x33, 0x11, 0x11};
constexpr std::uint8_t kInfoStart[] = {0xA5, 0xFF, 0x00, 0x5A};
constexpr AddressBytes kDefaultSensor{192, 168, 1, 200};
constexpr AddressBytes kDefaultHost{192, 168, 1, 102};
constexpr std::size_t kTime = DeviceInfoPacket::kTime;
constexpr std::size_t kTimeSize = DeviceInfoPacket::kTimeSize;

// 2026-01-01 00:00:00 UTC: the simulated sensor's "now" for every input.
const SimulatedDevice::SystemClock::time_point kNow{std::chrono::seconds(1767225600)};

ByteSpan spanOf(const Bytes& b) {
    return ByteSpan(b.data(), b.size());
}

ByteSpan spanOf(const Frame& f) {
    return ByteSpan(f.data(), f.size());
}

std::uint16_t be16(const std::uint8_t* p, std::size_t offset) {
    return static_cast<std::uint16_t>(p[offset] << 8 | p[offset + 1]);
}

std::uint32_t be32(const std::uint8_t* p, std::size_t offset) {
    return static_cast<std::uint32_t>(be16(p, offset)) << 16 | be16(p, offset + 2);
}

bool same(const void* a, const void* b, std::size_t n) {
    return std::memcmp(a, b, n) == 0;
}

bool zeroFrom(const Bytes& p, std::size_t from, std::size_t to) {
    return std::all_of(p.begin() + static_cast<std::ptrdiff_t>(from),
                       p.begin() + static_cast<std::ptrdiff_t>(to),
                       [](std::uint8_t b) { return b == 0; });
}

template <std::size_t N>
std::array<std::uint8_t, N> bytesAt(const Bytes& p, std::size_t offset) {
    std::array<std::uint8_t, N> out{};
    std::copy_n(p.begin() + static_cast<std::ptrdiff_t>(offset), N, out.begin());
    return out;
}

const DeviceState& initialDevice() {
    static const DeviceState device = SimOptions::defaultDevice();
    return device;
}

void checkRecognisers(const std::uint8_t* data, std::size_t size) {
    const bool configShaped = size == DeviceInfoPacket::kSize && same(data, kHeader, 8) &&
                              data[size - 2] == 0x0F && data[size - 1] == 0xF0;
    const bool advanced = AdvancedPacket::isAdvancedPacket(data, size);
    FUZZ_CHECK(advanced == (configShaped && same(data + 52, kSignature, 8)));

    // A default packet is the one of any moment, whatever time it carries.
    const bool defaults = DefaultConfigPacket::isDefaultConfigPacket(data, size);
    bool defaultsApartFromTime = false;
    if (size == DeviceInfoPacket::kSize) {
        Bytes timed =
            DefaultConfigPacket::build(QDateTime(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC));
        std::copy_n(data + kTime, 6, timed.begin() + kTime);
        defaultsApartFromTime = same(timed.data(), data, size);
    }
    FUZZ_CHECK(defaults == defaultsApartFromTime);
    FUZZ_CHECK(!(defaults && advanced));

    FUZZ_CHECK(DeviceInfoFrame::isDeviceInfoFrame(data, size) ==
               (size == DeviceInfoFrame::kFrameSize && same(data + 42, kInfoStart, 4)));
}

// What the sensor takes from any packet, at the offsets it reads.
void checkRead(const Bytes& p) {
    const AdvancedPacket::Contents c = AdvancedPacket::read(spanOf(p));
    const CalibrationTables& t = c.calibration;
    for (std::size_t i = 0; i < 128; ++i) {
        FUZZ_CHECK(t.staticValues[i] == static_cast<std::int8_t>(p[70 + i]));
        FUZZ_CHECK(t.staticValues[128 + i] == static_cast<std::int8_t>(p[512 + i]));
    }
    for (std::size_t k = 0; k < 48; ++k) {
        FUZZ_CHECK(t.pitch[k] == be16(p.data(), 268 + 2 * k));
        FUZZ_CHECK(t.azimuth[k] == be16(p.data(), 364 + 2 * k));
        FUZZ_CHECK(t.reflectivity1[k] == static_cast<std::int8_t>(p[460 + k]));
        FUZZ_CHECK(t.reflectivity2[k] == static_cast<std::int8_t>(p[640 + k]));
    }
    for (std::size_t k = 0; k < 7; ++k) {
        FUZZ_CHECK(t.segmentFactors[k] == be16(p.data(), 198 + 2 * k));
    }
    FUZZ_CHECK(c.modelCode == p[60] && c.variantCode == p[61]);
    FUZZ_CHECK(c.serialNumber == be32(p.data(), 62));
    FUZZ_CHECK(same(c.version.data(), p.data() + 67, 3));
    FUZZ_CHECK(c.measureRange == be16(p.data(), 212));
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

void checkParameterFile(const Bytes& packet) {
    const QByteArray text = ParameterFile::text(packet);
    FUZZ_CHECK(text.size() == ParameterFile::kFileSize);
    const QList<QByteArray> lines = text.split('\n');
    FUZZ_CHECK(lines.size() == 76);
    std::size_t next = 0;
    for (int l = 0; l < lines.size(); ++l) {
        QByteArray line = lines[l];
        const bool last = l == lines.size() - 1;
        FUZZ_CHECK(line.endsWith('\r') == !last);
        line.chop(last ? 0 : 1);
        const int count = l == 0 ? 6 : 16;
        FUZZ_CHECK(line.size() == 3 * count);
        for (int i = 0; i < count; ++i) {
            const char* byte = line.constData() + 3 * i;
            const int high = hexValue(byte[0]);
            const int low = hexValue(byte[1]);
            FUZZ_CHECK(high >= 0 && low >= 0 && byte[2] == ' ');
            FUZZ_CHECK((high << 4 | low) == packet[next++]);
        }
    }
    FUZZ_CHECK(next == packet.size());
}

// The sensor's device-information packet as the advanced window captures it.
Frame capturedInfoFrame(const SimulatedDevice& device, const Bytes& p) {
    const Bytes info = device.infoPacket(kNow);
    const EthernetUdpFrame::Endpoints endpoints{be32(p.data(), 10), be32(p.data(), 14),
                                                be16(p.data(), 24), be16(p.data(), 26)};
    Frame frame = EthernetUdpFrame::build(endpoints, be16(p.data(), 4), info.data(), info.size());
    FUZZ_CHECK(DeviceInfoFrame::isDeviceInfoFrame(frame.data(), frame.size()));
    FUZZ_CHECK(!DeviceInfoFrame::isDeviceInfoFrame(frame.data(), frame.size() - 1));
    frame.push_back(0);
    FUZZ_CHECK(!DeviceInfoFrame::isDeviceInfoFrame(frame.data(), frame.size()));
    frame.pop_back();
    return frame;
}

// The values of the window's fields, in every range the fields allow,
// spread over the input; a byte chooses how 16-bit words are signed.
AdvancedValues valuesOf(const Bytes& p) {
    AdvancedValues v;
    const bool signedWords = (p[1] & 1) != 0;
    const auto word = [&](std::size_t offset) {
        const int raw = be16(p.data(), offset);
        return signedWords && raw >= 0x8000 ? raw - 0x10000 : raw;
    };
    for (std::size_t i = 0; i < 128; ++i) {
        v.staticValues[i] = static_cast<std::int8_t>(p[70 + i]);
        v.staticValues[128 + i] = static_cast<std::int8_t>(p[512 + i]);
    }
    for (std::size_t k = 0; k < 32; ++k) {
        v.pitchValues[k] = word(268 + 2 * k);
        v.azimuthValues[k] = word(364 + 2 * k);
    }
    for (std::size_t k = 0; k < 16; ++k) {
        v.intensityValues[k] = static_cast<std::int8_t>(p[460 + k]);
        v.intensityValues[16 + k] = static_cast<std::int8_t>(p[640 + k]);
    }
    for (std::size_t k = 0; k < 7; ++k) {
        v.segmentFactors[k] = be16(p.data(), 198 + 2 * k);
    }
    v.measureRange = be16(p.data(), 212);
    v.serialBytes = bytesAt<6>(p, 60);
    v.versionNumbers = {p[67], p[68], p[69]};
    return v;
}

QDateTime momentOf(const Bytes& p) {
    return QDateTime(QDate(2000 + p[36] % 100, 1 + p[37] % 12, 1 + p[38] % 28),
                     QTime(p[39] % 24, p[40] % 60, p[41] % 60, be16(p.data(), 42) % 1000), Qt::UTC);
}

// Builds over the input's bytes, on a captured frame that reports the input,
// and checks every field; returns the packet.
Bytes checkBuild(const Bytes& p, const AdvancedValues& v, const Frame& captured) {
    Frame frame = captured;
    std::copy(p.begin(), p.end(), frame.begin() + 42);
    const QDateTime now = momentOf(p);

    Bytes packet = p;
    AdvancedPacket::build(packet, v, spanOf(frame), now);
    // Nothing of what the buffer held before shows.
    Bytes fresh{};
    AdvancedPacket::build(fresh, v, spanOf(frame), now);
    FUZZ_CHECK(packet == fresh);

    FUZZ_CHECK(AdvancedPacket::isAdvancedPacket(packet.data(), packet.size()));
    FUZZ_CHECK(!DefaultConfigPacket::isDefaultConfigPacket(packet.data(), packet.size()));
    FUZZ_CHECK(same(packet.data() + 10, frame.data() + 26, 8));
    FUZZ_CHECK(same(packet.data() + 18, frame.data() + 6, 6));
    // Motor speed, ports, NTP address, motor state and packet interval as
    // reported, whatever they are.
    FUZZ_CHECK(same(packet.data() + 8, p.data() + 8, 2));
    FUZZ_CHECK(same(packet.data() + 24, p.data() + 24, 12));
    FUZZ_CHECK(same(packet.data() + 46, p.data() + 46, 6));
    const std::uint8_t time[] = {static_cast<std::uint8_t>(now.date().year() - 2000),
                                 static_cast<std::uint8_t>(now.date().month()),
                                 static_cast<std::uint8_t>(now.date().day()),
                                 static_cast<std::uint8_t>(now.time().hour()),
                                 static_cast<std::uint8_t>(now.time().minute()),
                                 static_cast<std::uint8_t>(now.time().second())};
    FUZZ_CHECK(same(packet.data() + kTime, time, sizeof time));
    FUZZ_CHECK(be16(packet.data(), 42) == now.time().msec());
    FUZZ_CHECK(zeroFrom(packet, 44, 46));
    FUZZ_CHECK(packet[66] == p[66]);
    FUZZ_CHECK(zeroFrom(packet, 214, 268) && zeroFrom(packet, 508, 512) &&
               zeroFrom(packet, 688, 1204));

    const AdvancedPacket::Contents c = AdvancedPacket::read(spanOf(packet));
    const CalibrationTables& t = c.calibration;
    for (std::size_t i = 0; i < 256; ++i) {
        FUZZ_CHECK(t.staticValues[i] == v.staticValues[i]);
    }
    // Entries no field shows go back as reported.
    const CalibrationTables reported = CalibrationTables::fromInfoPacket(spanOf(p));
    for (std::size_t k = 0; k < 48; ++k) {
        const bool shown = k < 32;
        FUZZ_CHECK(t.pitch[k] ==
                   (shown ? static_cast<std::uint16_t>(v.pitchValues[k]) : reported.pitch[k]));
        FUZZ_CHECK(t.azimuth[k] ==
                   (shown ? static_cast<std::uint16_t>(v.azimuthValues[k]) : reported.azimuth[k]));
        FUZZ_CHECK(t.reflectivity1[k] ==
                   (k < 16 ? v.intensityValues[k] : reported.reflectivity1[k]));
        FUZZ_CHECK(t.reflectivity2[k] ==
                   (k < 16 ? v.intensityValues[16 + k] : reported.reflectivity2[k]));
    }
    for (std::size_t k = 0; k < 7; ++k) {
        FUZZ_CHECK(t.segmentFactors[k] == v.segmentFactors[k]);
    }
    FUZZ_CHECK(c.measureRange == v.measureRange);
    FUZZ_CHECK(c.modelCode == v.serialBytes[0] && c.variantCode == v.serialBytes[1]);
    FUZZ_CHECK(c.serialNumber == be32(v.serialBytes.data(), 2));
    FUZZ_CHECK(same(c.version.data(), v.versionNumbers.data(), 3));
    return packet;
}

// The sensor reports the tables and identity of the packet at the offsets of
// its device-information packet, keeps everything else, and has notes
// exactly when something changed.
void checkTakesAdvanced(SimulatedDevice& device, const Bytes& packet) {
    const DeviceState before = device.state();
    const std::uint16_t rangeBefore = device.measureRange();
    const SimulatedDevice::Applied applied = device.applyAdvanced(spanOf(packet));
    FUZZ_CHECK(!applied.sensorAddress && !applied.rateChanged && !applied.motorChanged);

    const Bytes info = device.infoPacket(kNow);
    const SettingData s = DeviceInfoPacket::decodeSettingData(spanOf(info));
    FUZZ_CHECK(same(s.channelTableA, packet.data() + 70, 128));
    FUZZ_CHECK(same(s.channelTableB, packet.data() + 512, 128));
    FUZZ_CHECK(same(s.tableC, packet.data() + 268, 96));
    FUZZ_CHECK(same(s.tableD, packet.data() + 364, 96));
    FUZZ_CHECK(same(s.tableE, packet.data() + 460, 48));
    FUZZ_CHECK(same(s.tableF, packet.data() + 640, 48));
    for (std::size_t k = 0; k < 7; ++k) {
        FUZZ_CHECK(s.words[k] == be16(packet.data(), 198 + 2 * k));
    }
    FUZZ_CHECK(s.status60 == packet[60] && s.status61 == packet[61]);
    FUZZ_CHECK(same(s.status62, packet.data() + 62, 4));
    FUZZ_CHECK(s.status66[0] == 'V' && same(s.status66 + 1, packet.data() + 67, 3));
    FUZZ_CHECK(device.measureRange() == be16(packet.data(), 212));

    const DeviceState& after = device.state();
    DeviceState rest = after;
    rest.calibration = before.calibration;
    rest.modelCode = before.modelCode;
    rest.variantCode = before.variantCode;
    rest.serialNumber = before.serialNumber;
    rest.firmware = before.firmware;
    FUZZ_CHECK(rest == before);
    // The settings in front of the tables are compared, not taken.
    const DeviceState carried = DeviceState::fromPacket(spanOf(packet));
    const bool carriesWhatItReports =
        carried.motorRpm == before.motorRpm && carried.motorState == before.motorState &&
        carried.packetInterval == before.packetInterval && carried.dataPort == before.dataPort &&
        carried.equipmentPort == before.equipmentPort && carried.sensorIp == before.sensorIp &&
        carried.destIp == before.destIp && carried.ntpIp == before.ntpIp;
    FUZZ_CHECK(applied.notes.empty() ==
               (after == before && device.measureRange() == rangeBefore && carriesWhatItReports));
    // Taken twice, only what it carries apart from the tables is noted again.
    FUZZ_CHECK(device.applyAdvanced(spanOf(packet)).notes.empty() == carriesWhatItReports);
}

// A clock reading a configuration packet may set: zero for none, otherwise
// a real moment.
enum class Reading { None, Valid, Invalid };

Reading readingOf(const std::uint8_t* t) {
    if (std::all_of(t, t + kTimeSize, [](std::uint8_t b) { return b == 0; })) {
        return Reading::None;
    }
    const bool valid = QDate::isValid(2000 + t[0], t[1], t[2]) && t[3] < 24 && t[4] < 60 &&
                       t[5] < 60 && be16(t, 6) < 1000 && be16(t, 8) < 1000;
    return valid ? Reading::Valid : Reading::Invalid;
}

// The reported clock follows a valid reading and ignores any other.
void checkClock(const Bytes& config, const Bytes& infoBefore, const Bytes& info,
                const std::vector<std::string>& notes) {
    const Reading reading = readingOf(config.data() + kTime);
    const Bytes& expected = reading == Reading::Valid ? config : infoBefore;
    FUZZ_CHECK(same(info.data() + kTime, expected.data() + kTime, kTimeSize));
    const bool refused =
        std::find(notes.begin(), notes.end(), "clock reading refused") != notes.end();
    FUZZ_CHECK(refused == (reading == Reading::Invalid));
}

// The settings of a configuration packet, each taken where the sensor can
// hold it and refused otherwise; the sensor moves only when its caller says.
void checkTakesConfig(SimulatedDevice& device, const Bytes& config, bool keepsMac) {
    const DeviceState before = device.state();
    const Bytes infoBefore = device.infoPacket(kNow);
    const SimulatedDevice::Applied applied =
        keepsMac ? device.applyDefaults(spanOf(config), kNow) : device.apply(spanOf(config), kNow);

    DeviceState expected = before;
    const std::uint16_t rpm = be16(config.data(), 8);
    if (rpm >= 1 && rpm <= SimulatedDevice::kMaxRpm) {
        expected.motorRpm = rpm;
    }
    const std::uint16_t motor = be16(config.data(), 46);
    if (motor == DeviceState::kMotorRunning || motor == DeviceState::kMotorStopped) {
        expected.motorState = motor;
    }
    expected.packetInterval = be16(config.data(), 50);
    expected.destIp = bytesAt<4>(config, 14);
    if (!keepsMac) {
        expected.mac = bytesAt<6>(config, 18);
    }
    expected.dataPort = be16(config.data(), 24) != 0 ? be16(config.data(), 24) : before.dataPort;
    expected.equipmentPort =
        be16(config.data(), 26) != 0 ? be16(config.data(), 26) : before.equipmentPort;
    expected.ntpIp = bytesAt<4>(config, 28);
    FUZZ_CHECK(device.state() == expected);
    FUZZ_CHECK(applied.rateChanged == (expected.motorRpm != before.motorRpm));
    FUZZ_CHECK(applied.motorChanged == (expected.motorState != before.motorState));
    const AddressBytes wantedAddress = bytesAt<4>(config, 10);
    FUZZ_CHECK(applied.sensorAddress.has_value() == (wantedAddress != before.sensorIp));
    FUZZ_CHECK(!applied.sensorAddress || *applied.sensorAddress == wantedAddress);

    const Bytes info = device.infoPacket(kNow);
    checkClock(config, infoBefore, info, applied.notes);
    const DeviceState reported = DeviceState::fromPacket(spanOf(info));
    FUZZ_CHECK(reported.calibration == before.calibration);
    FUZZ_CHECK(reported.motorRpm == expected.motorRpm && reported.mac == expected.mac);
}

// The default packet of any moment, or of a reading that names none.
void checkTakesDefaults(SimulatedDevice& device, const Bytes& p) {
    Bytes defaults = DefaultConfigPacket::build(momentOf(p));
    std::copy_n(p.begin() + kTime, 6, defaults.begin() + kTime);
    FUZZ_CHECK(DefaultConfigPacket::isDefaultConfigPacket(defaults.data(), defaults.size()));
    const MacBytes mac = device.state().mac;
    checkTakesConfig(device, defaults, true);
    const DeviceState& s = device.state();
    FUZZ_CHECK(s.motorRpm == 300 && s.motorState == DeviceState::kMotorRunning &&
               s.packetInterval == 1 && s.destIp == kDefaultHost && s.mac == mac &&
               s.dataPort == 2368 && s.equipmentPort == 2369);
    device.moveTo(kDefaultSensor);
}

// A configuration-shaped packet, handed on as the sensor's receiver does.
void checkTakesAnyConfig(SimulatedDevice& device, Bytes config) {
    std::copy(std::begin(kHeader), std::end(kHeader), config.begin());
    config[1204] = 0x0F;
    config[1205] = 0xF0;
    FUZZ_CHECK(ConfigPacket::isConfigPacket(config.data(), config.size()));
    if (AdvancedPacket::isAdvancedPacket(config.data(), config.size())) {
        checkTakesAdvanced(device, config);
    } else {
        checkTakesConfig(device, config,
                         DefaultConfigPacket::isDefaultConfigPacket(config.data(), config.size()));
    }
}

// The fields "Refresh state" fills from any status, with a typed measure
// range, are accepted by "Set", which sends back every value the window
// shows byte for byte.
void checkRefreshThenSet(const Bytes& info, const Frame& frame) {
    const SettingData status = DeviceInfoPacket::decodeSettingData(spanOf(info));
    AdvancedFields shown = refreshTexts(status);
    shown.measureRange = QStringLiteral("160");
    const AdvancedFieldsRead fields = readAdvancedFields(shown);
    FUZZ_CHECK(fields.ok());
    Frame reporting = frame;
    std::copy(info.begin(), info.end(), reporting.begin() + 42);
    Bytes packet{};
    AdvancedPacket::build(packet, fields.values, spanOf(reporting), momentOf(info));
    const AdvancedPacket::Contents sent = AdvancedPacket::read(spanOf(packet));
    FUZZ_CHECK(sent.calibration == CalibrationTables::fromInfoPacket(spanOf(info)));
    // Serial number and version, whatever the codes and numbers.
    FUZZ_CHECK(same(packet.data() + 60, info.data() + 60, 10));
    FUZZ_CHECK(sent.measureRange == 16000);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    checkRecognisers(data, size);
    Bytes p{};
    std::memcpy(p.data(), data, std::min(size, p.size()));
    checkRead(p);
    checkParameterFile(p);

    SimulatedDevice device(initialDevice());
    const Frame frame = capturedInfoFrame(device, p);
    Bytes advanced = p;
    std::copy(std::begin(kSignature), std::end(kSignature), advanced.begin() + 52);
    checkTakesAnyConfig(device, advanced);
    checkTakesAdvanced(device, checkBuild(p, valuesOf(p), frame));
    checkTakesDefaults(device, p);
    checkTakesAnyConfig(device, p);
    checkRefreshThenSet(p, frame);
    return 0;
}
