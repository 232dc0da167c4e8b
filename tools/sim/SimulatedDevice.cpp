#include "tools/sim/SimulatedDevice.h"

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
