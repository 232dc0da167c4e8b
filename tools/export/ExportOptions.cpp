#include "tools/export/ExportOptions.h"

#include "net/UdpSocket.h"
#include "tools/ToolVersion.h"
#include "tools/export/ChannelList.h"

#include <QCommandLineParser>
#include <cmath>

ExportOptions::Parsed ExportOptions::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Writes lidar frames from live data (--listen) or from a capture file (pcap or pcapng) "
        "into a multi-frame CSV file, one PCD, PLY or LAS file per frame, or one MCAP file of "
        "ROS 2 PointCloud2 messages. A sensor is the source address (and port) of its data "
        "datagrams: when several send, each gets its own output (OUTPUT_ADDR.csv, "
        "OUTPUT_ADDR_000001.pcd, one MCAP topic /lidar_ADDR/points each), or --source takes "
        "one alone. Every file is written under NAME.part and renamed when whole. Ctrl-C or "
        "SIGTERM stops the export at the next frame and says how many frames were written and "
        "where; a file short of its frames keeps its .part name.");
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    const QCommandLineOption versionOption({"v", "version"}, "Show the version.");
    const QCommandLineOption listen("listen", "Receive live data on this UDP port.", "PORT");
    const QCommandLineOption group("group", "Also join this multicast group.", "ADDR");
    const QCommandLineOption frames(
        "frames", "Number of frames to write of each sensor (from a capture: default all).", "N");
    const QCommandLineOption skip(
        "skip", "Capture frames of each sensor to pass over first (default 0).", "K");
    const QCommandLineOption channels("channels",
                                      "Channels to write, e.g. 0-3,7,100-127 "
                                      "(default all).",
                                      "LIST");
    const QCommandLineOption minAngle("min-angle", "Lowest azimuth written, degrees.", "A");
    const QCommandLineOption maxAngle("max-angle", "Highest azimuth written, degrees.", "B");
    const QCommandLineOption timeout("timeout",
                                     "Give up after S seconds without a complete frame "
                                     "(default: wait). With --list-sensors: listen S seconds "
                                     "(default 2).",
                                     "S");
    const QCommandLineOption source(
        "source",
        "Export the sensor sending from ADDR (and PORT) alone, as if no other sent; without "
        "PORT, the first heard from ADDR.",
        "ADDR[:PORT]");
    const QCommandLineOption listSensors(
        "list-sensors",
        "List the sensors of the capture (or heard on the --listen port) with their datagram "
        "and frame counts, instead of exporting; no OUTPUT.");
    const QCommandLineOption quiet("quiet", "Print nothing but errors.");
    const QCommandLineOption format(
        "format",
        "csv (default): one file, a row per point. pcd, ply, las: one file per frame, "
        "OUTPUT_000001.pcd and on (x, y, z, intensity, channel). mcap: one file, a "
        "sensor_msgs/msg/PointCloud2 message per frame (x, y, z, intensity, channel, azimuth, "
        "distance).",
        "NAME");
    const QCommandLineOption topic(
        "topic", "The MCAP topic (default /points; of several sensors: /lidar_ADDR/points).",
        "NAME");
    const QCommandLineOption frameId(
        "frame-id", "The MCAP messages' frame_id (default lidar; of several sensors: lidar_ADDR).",
        "NAME");
    parser.addOptions({help, versionOption, listen, group, frames, skip, channels, minAngle,
                       maxAngle, timeout, quiet, format, topic, frameId, source, listSensors});
    parser.addPositionalArgument("CAPTURE", "The capture file to read (instead of --listen).",
                                 "[CAPTURE]");
    parser.addPositionalArgument(
        "OUTPUT", "The file to write (CSV: - for standard output; per-frame formats: the name "
                  "the frame numbers are added to).");

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
        result.message = toolVersionText("lidar-export");
        return result;
    }

    ExportOptions& o = result.options;
    bool ok = true;
    QStringList positional = parser.positionalArguments();
    o.listSensors = parser.isSet(listSensors);
    if (o.listSensors) {
        // Listed, not written: no OUTPUT to name.
        positional.append(QStringLiteral("-"));
    }
    if (positional.isEmpty()) {
        return fail("missing OUTPUT file (- for standard output)");
    }
    if (positional.size() > 2 || (positional.size() == 2 && parser.isSet(listen))) {
        return fail("unexpected argument: " + positional[parser.isSet(listen) ? 1 : 2]);
    }
    o.output = positional.back();
    if (positional.size() == 2) {
        o.capture = positional[0];
        for (const QCommandLineOption* liveOnly : {&listen, &group, &timeout}) {
            if (parser.isSet(*liveOnly)) {
                return fail("--" + liveOnly->names().first() + " is for live data, not a capture");
            }
        }
    } else if (!parser.isSet(listen)) {
        return fail("missing --listen PORT or a CAPTURE file");
    } else {
        o.listenPort = parser.value(listen).toInt(&ok);
        if (!ok || o.listenPort < 1 || o.listenPort > 65535) {
            return fail("--listen needs a port from 1 to 65535, not " + parser.value(listen));
        }
        if (parser.isSet(skip)) {
            return fail("--skip is for a capture file");
        }
    }
    if (parser.isSet(group)) {
        o.group = parser.value(group).toStdString();
        std::uint32_t address = 0;
        if (!UdpSocket::parseAddress(o.group, address) || (address >> 28) != 0xE) {
            return fail("--group needs a multicast address (224.0.0.0 to 239.255.255.255), not " +
                        parser.value(group));
        }
    }
    if (parser.isSet(frames)) {
        o.frames = parser.value(frames).toInt(&ok);
        if (!ok || o.frames < 1) {
            return fail("--frames needs a count of 1 or more, not " + parser.value(frames));
        }
    } else if (o.capture.isEmpty() && !o.listSensors) {
        return fail("missing --frames N");
    }
    if (parser.isSet(skip)) {
        o.skip = parser.value(skip).toInt(&ok);
        if (!ok || o.skip < 0) {
            return fail("--skip needs a count of 0 or more, not " + parser.value(skip));
        }
    }
    if (parser.isSet(channels)) {
        QString error;
        if (!ChannelList::parse(parser.value(channels), o.filter.channels, error)) {
            return fail("--channels: " + error);
        }
    }
    if (parser.isSet(minAngle)) {
        o.filter.minAngle = parser.value(minAngle).toFloat(&ok);
        if (!ok || !std::isfinite(o.filter.minAngle)) {
            return fail("--min-angle needs degrees, not " + parser.value(minAngle));
        }
    }
    if (parser.isSet(maxAngle)) {
        o.filter.maxAngle = parser.value(maxAngle).toFloat(&ok);
        if (!ok || !std::isfinite(o.filter.maxAngle)) {
            return fail("--max-angle needs degrees, not " + parser.value(maxAngle));
        }
    }
    if (o.filter.minAngle > o.filter.maxAngle) {
        return fail("--min-angle is above --max-angle: no point could be written");
    }
    if (parser.isSet(timeout)) {
        o.timeoutSeconds = parser.value(timeout).toDouble(&ok);
        if (!ok || !(o.timeoutSeconds > 0 && o.timeoutSeconds <= 86400)) {
            return fail("--timeout needs seconds above 0, not " + parser.value(timeout));
        }
    }
    o.quiet = parser.isSet(quiet);
    if (parser.isSet(format)) {
        const QString name = parser.value(format);
        const QStringList names = {"csv", "pcd", "ply", "las", "mcap"};
        if (!names.contains(name)) {
            return fail("--format \"" + name + "\" is unknown: use " + names.join(", "));
        }
        o.format = static_cast<Format>(names.indexOf(name)); // in the order of Format
    }
    for (const auto& [option, value] : {std::pair{&topic, &o.topic}, {&frameId, &o.frameId}}) {
        if (parser.isSet(*option)) {
            if (o.format != Format::Mcap) {
                return fail("--" + option->names().first() + " is for --format mcap");
            }
            *value = parser.value(*option);
            if (value->trimmed().isEmpty()) {
                return fail("--" + option->names().first() + " needs a name");
            }
        }
    }
    if (parser.isSet(source)) {
        o.source = SensorId::parse(parser.value(source));
        if (!o.source) {
            return fail("--source needs an address such as 10.0.0.2 or 10.0.0.2:2368, not " +
                        parser.value(source));
        }
    }
    if (o.format != Format::Csv && o.output == "-" && !o.listSensors) {
        return fail("--format " + parser.value(format) + " writes files: name one, not -");
    }
    result.outcome = Outcome::Run;
    return result;
}
