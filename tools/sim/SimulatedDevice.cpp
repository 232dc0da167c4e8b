#include "tools/sim/SimulatedDevice.h"

#include "advanced/AdvancedPacket.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdio>

namespace {

using std::chrono::duration_cast;
using std::chrono::microseconds;
using std::chrono::milliseconds;

std::string dotted(const AddressBytes& a) {
    return addressFieldText(a).toStdString();
}

std::string macText(const MacBytes& m) {
    char text[18];
    std::snprintf(text, sizeof text, "%02x-%02x-%02x-%02x-%02x-%02x", m[0], m[1], m[2], m[3], m[4],
                  m[5]);
    return text;
}

std::string motorText(std::uint16_t state) {
    return state == DeviceState::kMotorRunning ? "running" : "stopped";
}

DeviceTime deviceTimeAt(SimulatedDevice::SystemClock::time_point t) {
    const auto us = duration_cast<microseconds>(t.time_since_epoch()).count();
    const QDateTime utc = QDateTime::fromMSecsSinceEpoch(us / 1000, Qt::UTC);
    DeviceTime time;
    time.yearSince2000 = static_cast<std::uint8_t>(utc.date().year() - 2000);
    time.month = static_cast<std::uint8_t>(utc.date().month());
    time.day = static_cast<std::uint8_t>(utc.date().day());
    time.hour = static_cast<std::uint8_t>(utc.time().hour());
    time.minute = static_cast<std::uint8_t>(utc.time().minute());
    time.second = static_cast<std::uint8_t>(utc.time().second());
    time.millisecond = static_cast<std::uint16_t>(utc.time().msec());
    time.microsecond = static_cast<std::uint16_t>(us % 1000);
    return time;
}

// The clock reading as a moment; nothing when it names no real time.
std::optional<SimulatedDevice::SystemClock::time_point> momentOf(const DeviceTime& t) {
    const QDate date(2000 + t.yearSince2000, t.month, t.day);
    const QTime clock(t.hour, t.minute, t.second, t.millisecond);
    if (!date.isValid() || !clock.isValid() || t.microsecond > 999) {
        return std::nullopt;
    }
    const qint64 ms = QDateTime(date, clock, Qt::UTC).toMSecsSinceEpoch();
    return SimulatedDevice::SystemClock::time_point(
        duration_cast<SimulatedDevice::SystemClock::duration>(milliseconds(ms) +
                                                              microseconds(t.microsecond)));
}

class Notes {
public:
    explicit Notes(std::vector<std::string>& notes) : notes_(notes) {}

    template <typename T>
    bool change(const char* name, T& setting, const T& value, std::string (*show)(const T&)) {
        if (setting == value) {
            return false;
        }
        notes_.push_back(std::string(name) + " " + show(setting) + " -> " + show(value));
        setting = value;
        return true;
    }
    // A setting a packet carries but the sensor does not take from it.
    template <typename T>
    void differs(const char* name, const T& setting, const T& value,
                 std::string (*show)(const T&)) {
        if (!(setting == value)) {
            notes_.push_back(std::string(name) + " " + show(value) + " differs from " +
                             show(setting));
        }
    }
    void refuse(const std::string& what) { notes_.push_back(what + " refused"); }
    void add(const std::string& note) { notes_.push_back(note); }

private:
    std::vector<std::string>& notes_;
};

std::string number(const std::uint16_t& n) {
    return std::to_string(n);
}
std::string motor(const std::uint16_t& state) {
    return motorText(state);
}

std::string hundredths(std::uint16_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%02u", value / 100u, value % 100u);
    return text;
}

std::string factors(const std::array<std::uint16_t, CalibrationTables::kSegmentCount>& values) {
    std::string text;
    for (std::uint16_t value : values) {
        text += (text.empty() ? "" : " ") + hundredths(value);
    }
    return text;
}

std::string range(const std::uint16_t& value) {
    return hundredths(value);
}

struct Serial {
    std::uint8_t model;
    std::uint8_t variant;
    std::uint32_t number;
    bool operator==(const Serial& o) const {
        return model == o.model && variant == o.variant && number == o.number;
    }
};

std::string serialText(const Serial& s) {
    return std::to_string(s.model) + "-" + std::to_string(s.variant) + "-" +
           std::to_string(static_cast<std::int32_t>(s.number));
}

std::string versionText(const std::array<std::uint8_t, 3>& v) {
    return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]);
}

template <typename Table>
void countChanges(Notes& notes, const char* name, const Table& before, const Table& after) {
    std::size_t changed = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        changed += before[i] != after[i] ? 1 : 0;
    }
    if (changed > 0) {
        notes.add(std::string(name) + ": " + std::to_string(changed) + " changed");
    }
}

} // namespace

std::string SimulatedDevice::hostAddress() const {
    return dotted(state_.destIp);
}

std::string SimulatedDevice::sensorAddress() const {
    return dotted(state_.sensorIp);
}

DeviceInfoPacket::Bytes SimulatedDevice::infoPacket(SystemClock::time_point now) const {
    DeviceState reported = state_;
    reported.time = deviceTimeAt(now + clockOffset_);
    return reported.toPacket();
}

SimulatedDevice::Applied SimulatedDevice::apply(ByteSpan config, SystemClock::time_point now) {
    const DeviceState wanted = DeviceState::fromPacket(config);
    Applied applied;
    Notes notes(applied.notes);

    if (wanted.motorRpm >= 1 && wanted.motorRpm <= kMaxRpm) {
        applied.rateChanged = notes.change("rpm", state_.motorRpm, wanted.motorRpm, number);
    } else {
        notes.refuse("rpm " + std::to_string(wanted.motorRpm));
    }
    if (wanted.motorState == DeviceState::kMotorRunning ||
        wanted.motorState == DeviceState::kMotorStopped) {
        applied.motorChanged = notes.change("motor", state_.motorState, wanted.motorState, motor);
    } else {
        notes.refuse("motor state " + std::to_string(wanted.motorState));
    }
    notes.change("interval", state_.packetInterval, wanted.packetInterval, number);
    if (wanted.sensorIp != state_.sensorIp) {
        applied.sensorAddress = wanted.sensorIp;
    }
    notes.change("host", state_.destIp, wanted.destIp, dotted);
    notes.change("MAC", state_.mac, wanted.mac, macText);
    const auto port = [&notes](const char* name, std::uint16_t& setting, std::uint16_t value) {
        if (value == 0) {
            notes.refuse(std::string(name) + " 0");
        } else {
            notes.change(name, setting, value, number);
        }
    };
    port("data port", state_.dataPort, wanted.dataPort);
    port("equipment port", state_.equipmentPort, wanted.equipmentPort);
    notes.change("NTP", state_.ntpIp, wanted.ntpIp, dotted);

    // A packet without a time leaves the clock running as it was.
    if (wanted.time != DeviceTime{0, 0, 0, 0, 0, 0, 0, 0}) {
        if (const auto moment = momentOf(wanted.time)) {
            clockOffset_ = *moment - now;
            const QDateTime shown = QDateTime::fromMSecsSinceEpoch(
                duration_cast<milliseconds>(moment->time_since_epoch()).count(), Qt::UTC);
            notes.add("clock set to " +
                      shown.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")).toStdString());
        } else {
            notes.refuse("clock reading");
        }
    }
    return applied;
}

SimulatedDevice::Applied SimulatedDevice::applyDefaults(ByteSpan config,
                                                        SystemClock::time_point now) {
    DeviceInfoPacket::Bytes packet{};
    std::copy_n(config.data(), packet.size(), packet.begin());
    std::copy(state_.mac.begin(), state_.mac.end(), packet.begin() + DeviceInfoPacket::kMac);
    return apply(ByteSpan(packet.data(), packet.size()), now);
}

SimulatedDevice::Applied SimulatedDevice::applyAdvanced(ByteSpan packet) {
    const AdvancedPacket::Contents sent = AdvancedPacket::read(packet);
    Applied applied;
    Notes notes(applied.notes);

    // The settings in front of the tables are not taken from this packet;
    // a sender that filled them with anything but what was reported says
    // it did not build on a reading.
    const DeviceState carried = DeviceState::fromPacket(packet);
    notes.differs("rpm", state_.motorRpm, carried.motorRpm, number);
    notes.differs("motor", state_.motorState, carried.motorState, number);
    notes.differs("interval", state_.packetInterval, carried.packetInterval, number);
    notes.differs("data port", state_.dataPort, carried.dataPort, number);
    notes.differs("equipment port", state_.equipmentPort, carried.equipmentPort, number);
    notes.differs("sensor", state_.sensorIp, carried.sensorIp, dotted);
    notes.differs("host", state_.destIp, carried.destIp, dotted);
    // (Not the MAC: the packet carries the one its frames were sent from,
    // which is the link's, not the one this sensor reports.)
    notes.differs("NTP", state_.ntpIp, carried.ntpIp, dotted);

    Serial serial{state_.modelCode, state_.variantCode, state_.serialNumber};
    notes.change("serial", serial, Serial{sent.modelCode, sent.variantCode, sent.serialNumber},
                 serialText);
    state_.modelCode = serial.model;
    state_.variantCode = serial.variant;
    state_.serialNumber = serial.number;
    notes.change("version", state_.firmware, sent.version, versionText);

    CalibrationTables& now = state_.calibration;
    const CalibrationTables& wanted = sent.calibration;
    countChanges(notes, "static values", now.staticValues, wanted.staticValues);
    countChanges(notes, "pitch entries", now.pitch, wanted.pitch);
    countChanges(notes, "azimuth entries", now.azimuth, wanted.azimuth);
    countChanges(notes, "reflectivity 1 bytes", now.reflectivity1, wanted.reflectivity1);
    countChanges(notes, "reflectivity 2 bytes", now.reflectivity2, wanted.reflectivity2);
    notes.change("segment factors", now.segmentFactors, wanted.segmentFactors, factors);
    now = wanted;
    notes.change("measure range", measureRange_, sent.measureRange, range);
    return applied;
}
