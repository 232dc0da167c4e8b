#include "tools/sim/SimOptions.h"

#include "net/UdpSocket.h"
#include "tools/ToolVersion.h"
#include "tools/sim/SeededCalibration.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <cmath>

namespace {

// GPS text as the device-information packet carries it: up to ten ASCII
// characters, then the hemisphere letter.
bool parseGpsText(const QString& text, const QString& hemispheres, std::string& value,
                  char& hemisphere) {
    static const QRegularExpression form(QStringLiteral("^[\\x21-\\x7E]{1,10}[A-Z]$"));
    if (!form.match(text).hasMatch() || !hemispheres.contains(text.back())) {
        return false;
    }
    value = text.chopped(1).toStdString();
    hemisphere = text.back().toLatin1();
    return true;
}

std::optional<std::array<std::uint8_t, 3>> parseFirmware(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 3) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 3> version{};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const uint value = parts[i].toUInt(&ok);
        if (!ok || value > 255 || !parts[i].front().isDigit()) {
            return std::nullopt;
        }
        version[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value);
    }
    return version;
}

} // namespace

DeviceState SimOptions::defaultDevice() {
    DeviceState d;
    d.sensorIp = {127, 0, 0, 1};
    d.destIp = {127, 0, 0, 1};
    d.mac = {0x02, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}; // a locally administered address
    d.motorRpm = 600;
    d.modelCode = 1;
    d.variantCode = 2;
    d.serialNumber = 20201123;
    d.firmware = {2, 1, 0};
    d.latitude = "04807.0380";
    d.latitudeHemisphere = 'N';
    d.longitude = "01131.0000";
    d.longitudeHemisphere = 'E';
    d.boardVersion = {0x07, 0xE4, 0x0B, 0x17, 0x21, 0x05}; // 2020.11.23-V2.1.05
    d.calibration = seededCalibration(kDefaultCalibrationSeed);
    return d;
}

SimOptions::Parsed SimOptions::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Stands in for the lidar: scans a synthetic street and sends its data datagrams, or "
        "writes them into a capture file. While sending it also reports its state in a device "
        "packet every second and, with --source-ip, takes configuration packets.");
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    const QCommandLineOption versionOption({"v", "version"}, "Show the version.");
    const QCommandLineOption host("host", "Destination address (default 127.0.0.1).", "ADDR");
    const QCommandLineOption port("port", "Destination data port (default 2368).", "N");
    const QCommandLineOption rate("rate", "Revolutions per second (default 10).", "HZ");
    const QCommandLineOption step(
        "step", "Azimuth step in degrees, a multiple of 0.01 (default 0.2).", "DEG");
    const QCommandLineOption frames("frames", "Revolutions to send; 0 sends until stopped.", "N");
    const QCommandLineOption pcap("write-pcap",
                                  "Write the traffic of --frames revolutions "
                                  "into a capture file instead of sending it.",
                                  "FILE");
    const QCommandLineOption source(
        "source-ip",
        "The sensor's own address: everything is sent from it, the device packets report it, "
        "and configuration packets are taken at it on port 2368. Without it nothing listens "
        "for configuration packets (on one machine port 2368 is the viewer's data port) and "
        "the packets report 127.0.0.1.",
        "ADDR");
    const QCommandLineOption equipmentPort(
        "equipment-port", "Port on the host that device packets go to (default 2369).", "N");
    const QCommandLineOption mac("mac", "MAC address reported (default 02-1a-2b-3c-4d-5e).",
                                 "XX-XX-XX-XX-XX-XX");
    const QCommandLineOption motor("motor", "Motor state at the start: run or stop.", "STATE");
    const QCommandLineOption interval("interval", "Packet interval setting (default 1).", "N");
    const QCommandLineOption ntp("ntp", "NTP server address reported (default 0.0.0.0).", "ADDR");
    const QCommandLineOption latitude(
        "latitude", "GPS latitude text and hemisphere (default 04807.0380N).", "TEXT");
    const QCommandLineOption longitude(
        "longitude", "GPS longitude text and hemisphere (default 01131.0000E).", "TEXT");
    const QCommandLineOption firmware("firmware", "Firmware version (default 2.1.0).", "A.B.C");
    const QCommandLineOption board("board-version",
                                   "Main-board firmware date and version "
                                   "(default 2020.11.23-V2.1.05).",
                                   "TEXT");
    const QCommandLineOption calibration(
        "calibration-seed",
        "Seed of the calibration tables reported at the start (default 1; 0 reports zeros). "
        "Seeds of 2 and more draw the tables over every value the packet can carry and report "
        "a serial number and version the named codes do not hold (--firmware still sets the "
        "version).",
        "N");
    const QCommandLineOption seconds("seconds", "End the run after this many seconds.", "N");
    const QCommandLineOption quiet("quiet", "Print nothing but errors.");
    parser.addOptions({help,        versionOption, host,     port,          rate,     step,
                       frames,      pcap,          source,   equipmentPort, mac,      motor,
                       interval,    ntp,           latitude, longitude,     firmware, board,
                       calibration, seconds,       quiet});

    Parsed result;
    auto fail = [&result](const QString& message) {
        result.outcome = Outcome::Error;
        result.message = message;
        return result;
    };
    if (!parser.parse(arguments)) {
        return fail(parser.errorText());
    }
    if (parser.isSet(help)) {
        result.outcome = Outcome::Help;
        result.message = parser.helpText();
        return result;
    }
    if (parser.isSet(versionOption)) {
        result.outcome = Outcome::Version;
        result.message = toolVersionText("sensor-sim");
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return fail("unexpected argument: " + parser.positionalArguments().first());
    }

    SimOptions& o = result.options;
    bool ok = true;
    std::uint32_t address = 0;
    if (parser.isSet(host)) {
        o.host = parser.value(host).toStdString();
        o.hostGiven = true;
        if (!UdpSocket::parseAddress(o.host, address)) {
            return fail("--host needs a dotted IPv4 address, not " + parser.value(host));
        }
    }
    if (parser.isSet(source)) {
        o.sourceAddress = parser.value(source).toStdString();
        if (!UdpSocket::parseAddress(o.sourceAddress, address)) {
            return fail("--source-ip needs a dotted IPv4 address, not " + parser.value(source));
        }
    }
    if (parser.isSet(port)) {
        const int value = parser.value(port).toInt(&ok);
        if (!ok || value < 1 || value > 65535) {
            return fail("--port needs a number from 1 to 65535, not " + parser.value(port));
        }
        o.port = static_cast<std::uint16_t>(value);
    }
    if (parser.isSet(rate)) {
        o.rate = parser.value(rate).toDouble(&ok);
        if (!ok || !(o.rate > 0 && o.rate <= 100)) {
            return fail("--rate needs revolutions per second above 0 and up to 100, not " +
                        parser.value(rate));
        }
    }
    if (parser.isSet(step)) {
        const double degrees = parser.value(step).toDouble(&ok);
        const double hundredths = degrees * 100;
        if (!ok || !(hundredths >= 1 - 1e-9 && hundredths <= 36000 + 1e-9) ||
            std::abs(hundredths - std::round(hundredths)) > 1e-6) {
            return fail("--step needs a multiple of 0.01 degrees from 0.01 to 360, not " +
                        parser.value(step));
        }
        o.azimuthStep = static_cast<int>(std::lround(hundredths));
    }
    if (parser.isSet(frames)) {
        o.frames = parser.value(frames).toInt(&ok);
        if (!ok || o.frames < 0) {
            return fail("--frames needs a count of 0 or more, not " + parser.value(frames));
        }
    }
    if (parser.isSet(seconds)) {
        o.seconds = parser.value(seconds).toInt(&ok);
        if (!ok || o.seconds < 0) {
            return fail("--seconds needs a count of 0 or more, not " + parser.value(seconds));
        }
    }

    DeviceState& d = o.device;
    if (!o.sourceAddress.empty()) {
        d.sensorIp =
            parseAddressField(QString::fromStdString(o.sourceAddress)).value_or(d.sensorIp);
    }
    // A group address is where the sensor sends, so it is what it reports.
    d.destIp = parseAddressField(QString::fromStdString(o.host)).value_or(d.destIp);
    d.dataPort = o.port;
    d.motorRpm = static_cast<std::uint16_t>(std::lround(o.rate * 60));
    if (parser.isSet(equipmentPort)) {
        const int value = parser.value(equipmentPort).toInt(&ok);
        if (!ok || value < 1 || value > 65535) {
            return fail("--equipment-port needs a number from 1 to 65535, not " +
                        parser.value(equipmentPort));
        }
        d.equipmentPort = static_cast<std::uint16_t>(value);
    }
    if (parser.isSet(mac)) {
        const QString text = parser.value(mac);
        const auto parsed = parseMacField(text);
        const bool separated = text.size() == 17 && text[2] == text[5] && text[5] == text[8] &&
                               text[8] == text[11] && text[11] == text[14] &&
                               (text[2] == '-' || text[2] == ':');
        if (!parsed || !separated) {
            return fail("--mac needs six two-digit hexadecimal numbers joined by - or :, not " +
                        text);
        }
        d.mac = *parsed;
    }
    if (parser.isSet(motor)) {
        const QString state = parser.value(motor);
        if (state != "run" && state != "stop") {
            return fail("--motor needs run or stop, not " + state);
        }
        d.motorState = state == "run" ? DeviceState::kMotorRunning : DeviceState::kMotorStopped;
    }
    if (parser.isSet(interval)) {
        const int value = parser.value(interval).toInt(&ok);
        if (!ok || value < 0 || value > 65535) {
            return fail("--interval needs a number from 0 to 65535, not " + parser.value(interval));
        }
        d.packetInterval = static_cast<std::uint16_t>(value);
    }
    if (parser.isSet(ntp)) {
        const auto server = parseAddressField(parser.value(ntp));
        if (!server) {
            return fail("--ntp needs a dotted IPv4 address, not " + parser.value(ntp));
        }
        d.ntpIp = *server;
    }
    if (parser.isSet(latitude) &&
        !parseGpsText(parser.value(latitude), "NS", d.latitude, d.latitudeHemisphere)) {
        return fail("--latitude needs up to 10 characters and N or S, not " +
                    parser.value(latitude));
    }
    if (parser.isSet(longitude) &&
        !parseGpsText(parser.value(longitude), "EW", d.longitude, d.longitudeHemisphere)) {
        return fail("--longitude needs up to 10 characters and E or W, not " +
                    parser.value(longitude));
    }
    if (parser.isSet(calibration)) {
        const uint seed = parser.value(calibration).toUInt(&ok);
        if (!ok) {
            return fail("--calibration-seed needs a number of 0 or more, not " +
                        parser.value(calibration));
        }
        applySeed(seed, d);
    }
    if (parser.isSet(firmware)) {
        const auto version = parseFirmware(parser.value(firmware));
        if (!version) {
            return fail("--firmware needs three numbers of 0..255 like 2.1.0, not " +
                        parser.value(firmware));
        }
        d.firmware = *version;
    }
    if (parser.isSet(board)) {
        const auto version = DeviceInfoPacket::mainBoardVersionBytes(parser.value(board));
        if (!version) {
            return fail("--board-version needs a text like 2020.11.23-V2.1.05, not " +
                        parser.value(board));
        }
        d.boardVersion = *version;
    }

    o.quiet = parser.isSet(quiet);
    if (parser.isSet(pcap)) {
        o.pcapPath = parser.value(pcap).toStdString();
        if (o.pcapPath.empty()) {
            return fail("--write-pcap needs a file name");
        }
        if (o.frames == 0) {
            return fail("--write-pcap needs --frames N with N of 1 or more");
        }
    }
    result.outcome = Outcome::Run;
    return result;
}
