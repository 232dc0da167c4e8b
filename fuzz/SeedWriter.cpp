// Writes the seed corpora of the fuzz targets (fuzz/corpus/) with the
// project's own writers: the packet writer, the sensor simulator, its pcap
// writer, the test capture writer, the device state and the advanced packet
// builders.
//
//   fuzz-seeds DIRECTORY    (then copy what changed into fuzz/corpus/)

#include "advanced/AdvancedPacket.h"
#include "advanced/DefaultConfigPacket.h"
#include "advanced/RefreshTexts.h"
#include "device/DeviceState.h"
#include "lidar/DataPacketWriter.h"
#include "support/TestCaptureWriter.h"
#include "tools/sim/EthernetUdpFrame.h"
#include "tools/sim/PcapFileWriter.h"
#include "tools/sim/SensorSimulator.h"
#include "tools/sim/SimOptions.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Payload = DataPacketWriter::Payload;
namespace fs = std::filesystem;

void writeBytes(const fs::path& path, const void* data, std::size_t size) {
    std::ofstream(path, std::ios::binary)
        .write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void writeText(const fs::path& path, const std::string& text) {
    writeBytes(path, text.data(), text.size());
}

// Three frames' worth of points around two markers, in three payloads.
std::vector<Payload> smallStream() {
    std::vector<Payload> payloads;
    DataPacketWriter writer([&](const Payload& p) { payloads.push_back(p); });
    for (int i = 0; i < 300; ++i) {
        if (i == 100 || i == 250) {
            writer.addMarker();
        }
        writer.addPoint(static_cast<std::uint8_t>(i % 128), static_cast<std::uint16_t>(i * 120),
                        256u * (100 + static_cast<std::uint32_t>(i)), static_cast<std::uint8_t>(i));
    }
    writer.flush();
    return payloads;
}

// The first payloads the simulator sends, at a coarse step.
std::vector<Payload> simulatorStream(std::size_t count) {
    SensorSimulator simulator(SyntheticScene::street(), 6000);
    std::vector<Payload> payloads;
    while (payloads.size() < count) {
        simulator.nextRevolution(payloads);
    }
    payloads.resize(count);
    return payloads;
}

void writeStream(const fs::path& path, const std::vector<Payload>& payloads) {
    std::ofstream out(path, std::ios::binary);
    for (const Payload& p : payloads) {
        out.write(reinterpret_cast<const char*>(p.data()), static_cast<std::streamsize>(p.size()));
    }
}

DeviceState sampleDevice() {
    DeviceState state;
    state.sensorIp = {192, 168, 1, 200};
    state.destIp = {192, 168, 1, 102};
    state.mac = {0x00, 0x0A, 0x35, 0x00, 0x1E, 0x53};
    state.ntpIp = {192, 168, 1, 1};
    state.time = {24, 12, 31, 23, 59, 59, 999, 999};
    state.latitude = "3112.3456";
    state.longitude = "12128.7654";
    state.firmware = {1, 2, 3};
    state.boardVersion = {0x07, 0xE4, 0x0B, 0x17, 0x21, 0x05};
    return state;
}

void writeCaptures(const fs::path& dir, const std::vector<Payload>& payloads) {
    using Writer = TestCaptureWriter;
    const DeviceInfoPacket::Bytes device = sampleDevice().toPacket();
    struct Variant {
        const char* name;
        Writer::Options options;
    };
    const Variant variants[] = {
        {"pcap-ethernet.pcap", {Writer::Format::Pcap, Writer::Link::Ethernet, false, false}},
        {"pcap-nanoseconds-big-endian.pcap",
         {Writer::Format::PcapNanoseconds, Writer::Link::Ethernet, true, false}},
        {"pcap-vlan.pcap", {Writer::Format::Pcap, Writer::Link::Vlan, false, false}},
        {"pcap-qinq.pcap", {Writer::Format::Pcap, Writer::Link::QinQ, true, false}},
        {"pcap-sll.pcap", {Writer::Format::Pcap, Writer::Link::Sll, false, false}},
        {"pcap-sll2.pcap", {Writer::Format::Pcap, Writer::Link::Sll2, false, false}},
        {"pcapng-ethernet.pcapng", {Writer::Format::Pcapng, Writer::Link::Ethernet, false, false}},
        {"pcapng-big-endian-simple.pcapng",
         {Writer::Format::Pcapng, Writer::Link::Ethernet, true, true}},
    };
    for (const Variant& v : variants) {
        Writer writer((dir / v.name).string(), v.options);
        writer.writeRecord(Writer::frame(v.options.link, device.data()));
        for (const Payload& p : payloads) {
            writer.writePayload(p.data());
        }
    }
    // Two sections, the second with two interfaces of different links.
    {
        Writer writer((dir / "pcapng-sections-interfaces.pcapng").string(),
                      {Writer::Format::Pcapng, Writer::Link::Ethernet, false, false});
        writer.writePayload(payloads.back().data());
        writer.startSection(true);
        const int sll = writer.addInterface(Writer::linkType(Writer::Link::Sll));
        const int ethernet = writer.addInterface(Writer::linkType(Writer::Link::Ethernet));
        writer.writeRecord(Writer::frame(Writer::Link::Sll, payloads.front().data()), sll);
        writer.writeRecord(Writer::frame(Writer::Link::Ethernet, payloads.back().data()), ethernet);
    }
    // As sensor-sim --write-pcap writes it, through libpcap.
    PcapFileWriter pcap;
    if (pcap.open((dir / "sensor-sim.pcap").string())) {
        const EthernetUdpFrame::Endpoints endpoints{0x7F000001, 0x7F000001, 2368, 2368};
        std::uint16_t id = 0;
        for (const Payload& p : simulatorStream(4)) {
            const auto frame = EthernetUdpFrame::build(endpoints, id++, p.data(), p.size());
            pcap.write(frame.data(), frame.size(), 1700000000000000 + id * 1000);
        }
        pcap.close();
    }
}

// What sensor-sim is sent: the advanced packet that "Set" builds from its
// refreshed calibration, the default packet, and its device frame as the
// advanced window captures it.
void writeAdvancedPackets(const fs::path& dir) {
    const DeviceInfoPacket::Bytes info = SimOptions::defaultDevice().toPacket();
    const EthernetUdpFrame::Endpoints endpoints{0xC0A801C8, 0xC0A80166, 2369, 2369};
    const std::vector<std::uint8_t> frame =
        EthernetUdpFrame::build(endpoints, 1, info.data(), info.size());
    writeBytes(dir / "frame", frame.data(), frame.size());

    const SettingData status =
        DeviceInfoPacket::decodeSettingData(ByteSpan(info.data(), info.size()));
    const QDateTime now(QDate(2026, 1, 2), QTime(3, 4, 5, 678), Qt::UTC);
    AdvancedFields shown = refreshTexts(status);
    shown.measureRange = QStringLiteral("160");
    DeviceInfoPacket::Bytes advanced{};
    AdvancedPacket::build(advanced, readAdvancedFields(shown).values,
                          ByteSpan(frame.data(), frame.size()), now);
    writeBytes(dir / "advanced", advanced.data(), advanced.size());
    const DeviceInfoPacket::Bytes defaults = DefaultConfigPacket::build(now);
    writeBytes(dir / "defaults", defaults.data(), defaults.size());
}

// Records of the sensor demultiplexer's target: no channel filter, then the
// payloads of `streams` interleaved datagram by datagram, each record a
// sender byte, a group count and the groups (markers spelt FE).
void writeSensorStreams(const fs::path& path, const std::vector<std::vector<Payload>>& streams,
                        std::uint8_t firstSender) {
    std::vector<std::uint8_t> bytes{0};
    for (std::size_t i = 0;; ++i) {
        bool any = false;
        for (std::size_t s = 0; s < streams.size(); ++s) {
            if (i >= streams[s].size()) {
                continue;
            }
            any = true;
            bytes.push_back(static_cast<std::uint8_t>(firstSender + s));
            bytes.push_back(static_cast<std::uint8_t>(DataPacket::kGroupCount));
            const Payload& p = streams[s][i];
            for (std::size_t g = 0; g < DataPacket::kGroupBytes; g += DataPacket::kGroupSize) {
                const bool marker = DataPacket::isFrameMarker(p.data() + g);
                for (std::size_t b = 0; b < DataPacket::kGroupSize; ++b) {
                    bytes.push_back(marker && b == 0 ? 0xFE : p[g + b]);
                }
            }
        }
        if (!any) {
            break;
        }
    }
    writeBytes(path, bytes.data(), bytes.size());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz-seeds DIRECTORY\n");
        return 2;
    }
    const fs::path root = argv[1];
    for (const char* target : {"data_packet", "sensor_demux", "device_info", "capture_index",
                               "config_fields", "channel_list", "advanced_packet"}) {
        fs::create_directories(root / target);
    }
    const std::vector<Payload> small = smallStream();
    writeStream(root / "data_packet" / "frames", small);
    writeStream(root / "data_packet" / "sensor-sim", simulatorStream(4));
    writeSensorStreams(root / "sensor_demux" / "two-sensors", {small, simulatorStream(4)}, 1);
    // As many senders as the bound, and one more.
    writeSensorStreams(root / "sensor_demux" / "beyond-the-bound",
                       std::vector<std::vector<Payload>>(17, small), 0);

    const DeviceInfoPacket::Bytes device = sampleDevice().toPacket();
    writeBytes(root / "device_info" / "sensor", device.data(), device.size());
    const DeviceInfoPacket::Bytes plain = DeviceState{}.toPacket();
    writeBytes(root / "device_info" / "defaults", plain.data(), plain.size());

    writeCaptures(root / "capture_index", small);

    writeText(root / "config_fields" / "window",
              "192.168.1.200\n192.168.1.102\n00-0a-35-00-1e-53\n2368\n2369\n192.168.1.1\n1\n"
              " 10 HZ\n Yes\nRun");
    writeText(root / "config_fields" / "unfinished", "192.168.\n\n0a:35\n1024\n65536\n\n65535\n");
    writeText(root / "channel_list" / "ranges", "0-3,7,100-127");
    writeText(root / "channel_list" / "one", "64");
    writeAdvancedPackets(root / "advanced_packet");
    return 0;
}
