#include "tools/export/ChannelList.h"
#include "tools/export/ExportOptions.h"
#include "tools/sim/SimOptions.h"

#include <gtest/gtest.h>

namespace {

std::vector<int> listed(const ChannelList::Flags& flags) {
    std::vector<int> channels;
    for (int c = 0; c < static_cast<int>(flags.size()); ++c) {
        if (flags[c]) {
            channels.push_back(c);
        }
    }
    return channels;
}

ExportOptions::Parsed parseExport(QStringList args) {
    args.prepend("lidar-export");
    return ExportOptions::parse(args);
}

SimOptions::Parsed parseSim(QStringList args) {
    args.prepend("sensor-sim");
    return SimOptions::parse(args);
}

} // namespace

TEST(ChannelList, NumbersAndInclusiveRanges) {
    ChannelList::Flags flags{};
    QString error;
    ASSERT_TRUE(ChannelList::parse("0-3,7,100-102, 127", flags, error)) << qPrintable(error);
    EXPECT_EQ(listed(flags), (std::vector<int>{0, 1, 2, 3, 7, 100, 101, 102, 127}));
    ASSERT_TRUE(ChannelList::parse("5-5,5", flags, error));
    EXPECT_EQ(listed(flags), (std::vector<int>{5}));
}

TEST(ChannelList, MalformedListsAreRefusedAndChangeNothing) {
    ChannelList::Flags flags{};
    flags[9] = true;
    for (const char* text :
         {"", " ", "128", "-1", "3-1", "a", "1-2-3", "1,,2", "0-128", "1.5", "0-"}) {
        QString error;
        EXPECT_FALSE(ChannelList::parse(text, flags, error)) << text;
        EXPECT_FALSE(error.isEmpty()) << text;
        EXPECT_EQ(listed(flags), std::vector<int>{9}) << text;
    }
}

TEST(ExportOptions, LiveExportWithFilters) {
    const auto p = parseExport({"--listen", "2370", "--group", "224.1.1.1", "--frames", "4",
                                "--channels", "0-3,100", "--min-angle", "10", "--max-angle", "20.5",
                                "--timeout", "1.5", "out.csv"});
    ASSERT_EQ(p.outcome, ExportOptions::Outcome::Run) << qPrintable(p.message);
    const ExportOptions& o = p.options;
    EXPECT_EQ(o.listenPort, 2370);
    EXPECT_EQ(o.group, "224.1.1.1");
    EXPECT_EQ(o.frames, 4);
    EXPECT_EQ(listed(o.filter.channels), (std::vector<int>{0, 1, 2, 3, 100}));
    EXPECT_EQ(o.filter.minAngle, 10.0f);
    EXPECT_EQ(o.filter.maxAngle, 20.5f);
    EXPECT_EQ(o.timeoutSeconds, 1.5);
    EXPECT_EQ(o.output, "out.csv");
    EXPECT_FALSE(o.filter.box);
}

TEST(ExportOptions, DefaultsKeepEveryPointAndWaitForEver) {
    const auto p = parseExport({"--listen", "2368", "--frames", "1", "-"});
    ASSERT_EQ(p.outcome, ExportOptions::Outcome::Run) << qPrintable(p.message);
    EXPECT_EQ(listed(p.options.filter.channels).size(), 128u);
    EXPECT_TRUE(p.options.filter.minAngle <= 0 && p.options.filter.maxAngle >= 655.35f);
    EXPECT_EQ(p.options.timeoutSeconds, 0);
    EXPECT_TRUE(p.options.group.empty());
    EXPECT_EQ(p.options.output, "-");
}

TEST(ExportOptions, ACaptureFileBeforeTheOutputReadsTheCapture) {
    auto p = parseExport({"run.pcapng", "out.csv"});
    ASSERT_EQ(p.outcome, ExportOptions::Outcome::Run) << qPrintable(p.message);
    EXPECT_EQ(p.options.capture, "run.pcapng");
    EXPECT_EQ(p.options.output, "out.csv");
    EXPECT_EQ(p.options.frames, 0); // every frame
    EXPECT_EQ(p.options.skip, 0);
    EXPECT_EQ(p.options.listenPort, 0);

    p = parseExport({"--skip", "3", "--frames", "2", "--channels", "5", "run.pcap", "-"});
    ASSERT_EQ(p.outcome, ExportOptions::Outcome::Run) << qPrintable(p.message);
    EXPECT_EQ(p.options.skip, 3);
    EXPECT_EQ(p.options.frames, 2);
    EXPECT_EQ(listed(p.options.filter.channels), std::vector<int>{5});
    EXPECT_EQ(p.options.output, "-");
}

TEST(ExportOptions, FormatsOtherThanCsvWriteNamedFilesAndMcapHasATopicAndFrame) {
    auto p = parseExport({"run.pcap", "out.csv"});
    EXPECT_EQ(p.options.format, ExportOptions::Format::Csv);
    EXPECT_EQ(p.options.topic, "/points");
    EXPECT_EQ(p.options.frameId, "lidar");
    p = parseExport({"--format", "las", "run.pcap", "street"});
    ASSERT_EQ(p.outcome, ExportOptions::Outcome::Run) << qPrintable(p.message);
    EXPECT_EQ(p.options.format, ExportOptions::Format::Las);
    p = parseExport({"--format", "mcap", "--topic", "/front/points", "--frame-id", "front",
                     "--listen", "2368", "--frames", "3", "live.mcap"});
    ASSERT_EQ(p.outcome, ExportOptions::Outcome::Run) << qPrintable(p.message);
    EXPECT_EQ(p.options.format, ExportOptions::Format::Mcap);
    EXPECT_EQ(p.options.topic, "/front/points");
    EXPECT_EQ(p.options.frameId, "front");

    p = parseExport({"--format", "xyz", "run.pcap", "out"});
    EXPECT_EQ(p.outcome, ExportOptions::Outcome::Error);
    EXPECT_EQ(p.message, "--format \"xyz\" is unknown: use csv, pcd, ply, las, mcap");
}

TEST(ExportOptions, BadArgumentsGiveOneLineErrors) {
    const QStringList ok = {"--listen", "2368", "--frames", "1"};
    const std::vector<QStringList> cases = {
        {"--frames", "1", "out.csv"},            // no source
        {"--listen", "2368", "out.csv"},         // no frame count
        ok,                                      // no output
        ok + QStringList{"a.csv", "b.csv"},      // two outputs
        {"--listen", "0", "--frames", "1", "-"}, // port range
        {"--listen", "65536", "--frames", "1", "-"},
        {"--listen", "x", "--frames", "1", "-"},
        {"--listen", "2368", "--frames", "0", "-"}, // never ends
        {"--listen", "2368", "--frames", "-3", "-"},
        ok + QStringList{"--group", "192.168.1.5", "-"}, // not multicast
        ok + QStringList{"--group", "224.1.1", "-"},
        ok + QStringList{"--channels", "0-200", "-"},
        ok + QStringList{"--min-angle", "abc", "-"},
        ok + QStringList{"--max-angle", "nan", "-"},
        ok + QStringList{"--min-angle", "200", "--max-angle", "100", "-"},
        ok + QStringList{"--timeout", "0", "-"},
        ok + QStringList{"--timeout", "soon", "-"},
        ok + QStringList{"--bogus", "-"},
        {"--listen"},
        {"a.pcap", "b.pcap", "out.csv"},         // two captures
        ok + QStringList{"a.pcap", "out.csv"},   // live and a capture
        {"--group", "224.1.1.1", "a.pcap", "-"}, // live options with a capture
        {"--timeout", "3", "a.pcap", "-"},
        {"--skip", "-1", "a.pcap", "-"},
        {"--skip", "x", "a.pcap", "-"},
        {"--frames", "0", "a.pcap", "-"},
        ok + QStringList{"--skip", "1", "-"},   // skipping is for captures
        {"--format", "pcd", "a.pcap", "-"},     // files, not standard output
        {"--topic", "/t", "a.pcap", "out.csv"}, // MCAP options with CSV
        {"--format", "mcap", "--frame-id", " ", "a.pcap", "out.mcap"},
    };
    for (const QStringList& args : cases) {
        const auto p = parseExport(args);
        EXPECT_EQ(p.outcome, ExportOptions::Outcome::Error) << qPrintable(args.join(' '));
        EXPECT_FALSE(p.message.isEmpty()) << qPrintable(args.join(' '));
        EXPECT_FALSE(p.message.contains('\n')) << qPrintable(p.message);
    }
    EXPECT_EQ(parseExport({"--help"}).outcome, ExportOptions::Outcome::Help);
}

TEST(ExportOptions, ASourceAndTheSensorListing) {
    auto p = parseExport({"--source", "10.0.0.2:2400", "street.pcap", "out.csv"});
    ASSERT_EQ(p.outcome, ExportOptions::Outcome::Run) << qPrintable(p.message);
    ASSERT_TRUE(p.options.source);
    EXPECT_EQ(p.options.source->textWithPort(), "10.0.0.2:2400");
    EXPECT_FALSE(p.options.listSensors);

    // Listed, not written: no OUTPUT, and live no frame count.
    p = parseExport({"--list-sensors", "street.pcap"});
    ASSERT_EQ(p.outcome, ExportOptions::Outcome::Run) << qPrintable(p.message);
    EXPECT_TRUE(p.options.listSensors);
    EXPECT_EQ(p.options.capture, "street.pcap");
    p = parseExport({"--list-sensors", "--listen", "2368", "--timeout", "5"});
    ASSERT_EQ(p.outcome, ExportOptions::Outcome::Run) << qPrintable(p.message);
    EXPECT_EQ(p.options.listenPort, 2368);

    for (const char* bad : {"10.0.0", "10.0.0.2:0", "host:1", "10.0.0.2:"}) {
        p = parseExport({"--source", bad, "street.pcap", "out.csv"});
        EXPECT_EQ(p.outcome, ExportOptions::Outcome::Error) << bad;
        EXPECT_TRUE(p.message.startsWith("--source needs an address")) << qPrintable(p.message);
    }
}

TEST(SimOptions, DefaultsAndValues) {
    auto p = parseSim({});
    ASSERT_EQ(p.outcome, SimOptions::Outcome::Run) << qPrintable(p.message);
    EXPECT_EQ(p.options.host, "127.0.0.1");
    EXPECT_FALSE(p.options.hostGiven);
    EXPECT_EQ(p.options.port, 2368);
    EXPECT_EQ(p.options.rate, 10);
    EXPECT_EQ(p.options.azimuthStep, 20);
    EXPECT_EQ(p.options.frames, 0);

    p = parseSim({"--host", "127.0.0.2", "--port", "2400", "--rate", "20", "--step", "0.07",
                  "--frames", "3", "--write-pcap", "x.pcap", "--source-ip", "127.0.0.1",
                  "--quiet"});
    ASSERT_EQ(p.outcome, SimOptions::Outcome::Run) << qPrintable(p.message);
    EXPECT_TRUE(p.options.hostGiven);
    EXPECT_EQ(p.options.port, 2400);
    EXPECT_EQ(p.options.rate, 20);
    EXPECT_EQ(p.options.azimuthStep, 7);
    EXPECT_EQ(p.options.frames, 3);
    EXPECT_EQ(p.options.pcapPath, "x.pcap");
    EXPECT_EQ(p.options.sourceAddress, "127.0.0.1");
    EXPECT_TRUE(p.options.quiet);
}

TEST(SimOptions, TheDeviceReportsWhatTheOptionsSay) {
    auto p = parseSim({});
    ASSERT_EQ(p.outcome, SimOptions::Outcome::Run) << qPrintable(p.message);
    const DeviceState& d = p.options.device;
    EXPECT_EQ(d.sensorIp, (AddressBytes{127, 0, 0, 1}));
    EXPECT_EQ(d.destIp, (AddressBytes{127, 0, 0, 1}));
    EXPECT_EQ(d.dataPort, 2368);
    EXPECT_EQ(d.equipmentPort, 2369);
    EXPECT_EQ(d.motorRpm, 600);
    EXPECT_EQ(d.motorState, DeviceState::kMotorRunning);
    EXPECT_EQ(d.packetInterval, 1);
    EXPECT_EQ(p.options.seconds, 0);

    p = parseSim({"--host",
                  "192.168.1.102",
                  "--source-ip",
                  "192.168.1.200",
                  "--port",
                  "2400",
                  "--rate",
                  "20",
                  "--equipment-port",
                  "2401",
                  "--mac",
                  "00:0A:35:00:1e:53",
                  "--motor",
                  "stop",
                  "--interval",
                  "65535",
                  "--ntp",
                  "10.0.0.1",
                  "--latitude",
                  "03016.1234S",
                  "--longitude",
                  "1.5W",
                  "--firmware",
                  "3.0.255",
                  "--board-version",
                  "2021.3.4-V3.2.17",
                  "--seconds",
                  "30"});
    ASSERT_EQ(p.outcome, SimOptions::Outcome::Run) << qPrintable(p.message);
    const DeviceState& e = p.options.device;
    EXPECT_EQ(e.sensorIp, (AddressBytes{192, 168, 1, 200}));
    EXPECT_EQ(e.destIp, (AddressBytes{192, 168, 1, 102}));
    EXPECT_EQ(e.dataPort, 2400);
    EXPECT_EQ(e.equipmentPort, 2401);
    EXPECT_EQ(e.motorRpm, 1200);
    EXPECT_EQ(e.mac, (MacBytes{0x00, 0x0A, 0x35, 0x00, 0x1E, 0x53}));
    EXPECT_EQ(e.motorState, DeviceState::kMotorStopped);
    EXPECT_EQ(e.packetInterval, 65535);
    EXPECT_EQ(e.ntpIp, (AddressBytes{10, 0, 0, 1}));
    EXPECT_EQ(e.latitude, "03016.1234");
    EXPECT_EQ(e.latitudeHemisphere, 'S');
    EXPECT_EQ(e.longitude, "1.5");
    EXPECT_EQ(e.longitudeHemisphere, 'W');
    EXPECT_EQ(e.firmware, (std::array<std::uint8_t, 3>{3, 0, 255}));
    EXPECT_EQ(e.boardVersion, (std::array<std::uint8_t, 6>{0x07, 0xE5, 3, 4, 0x32, 0x17}));
    EXPECT_EQ(p.options.seconds, 30);
}

TEST(SimOptions, BadArgumentsGiveOneLineErrors) {
    const std::vector<QStringList> cases = {
        {"--host", "localhost"},
        {"--port", "0"},
        {"--port", "70000"},
        {"--rate", "0"},
        {"--rate", "-1"},
        {"--rate", "fast"},
        {"--step", "0"},
        {"--step", "0.005"},
        {"--step", "0.123"},
        {"--step", "400"},
        {"--frames", "-1"},
        {"--write-pcap", "x.pcap"},
        {"--source-ip", "1.2.3"},
        {"extra"},
        {"--bogus"},
        {"--equipment-port", "0"},
        {"--mac", "00-0a-35-00-1e"},
        {"--mac", "00-0a-35:00-1e-53"},
        {"--mac", "00-0a-35-00-1e-5g"},
        {"--motor", "Run"},
        {"--interval", "65536"},
        {"--interval", "-1"},
        {"--ntp", "10.0.0"},
        {"--latitude", "3016.1234E"},
        {"--latitude", "03016.12345N"},
        {"--latitude", "3016 12N"},
        {"--longitude", "12011.5N"},
        {"--firmware", "2.1"},
        {"--firmware", "2.1.256"},
        {"--board-version", "2020.11.23"},
        {"--seconds", "-1"},
    };
    for (const QStringList& args : cases) {
        const auto p = parseSim(args);
        EXPECT_EQ(p.outcome, SimOptions::Outcome::Error) << qPrintable(args.join(' '));
        EXPECT_FALSE(p.message.isEmpty()) << qPrintable(args.join(' '));
        EXPECT_FALSE(p.message.contains('\n')) << qPrintable(p.message);
    }
}
