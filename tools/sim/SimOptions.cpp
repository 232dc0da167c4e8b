#include "tools/sim/SimOptions.h"

#include "net/UdpSocket.h"

#include <QCommandLineParser>
#include <cmath>

SimOptions::Parsed SimOptions::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Stands in for the lidar: scans a synthetic street and sends its data datagrams, or "
        "writes them into a capture file.");
    const QCommandLineOption help({"h", "help"}, "Show this help.");
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
    const QCommandLineOption source("source-ip", "Local address to send from.", "ADDR");
    const QCommandLineOption quiet("quiet", "Print nothing but errors.");
    parser.addOptions({help, host, port, rate, step, frames, pcap, source, quiet});

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
