#pragma once

#include "lidar/DataPacket.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

// Writes capture files for tests and benchmarks: pcap (micro- or nanosecond
// time stamps, either byte order) and pcapng (either byte order, enhanced or
// simple packet blocks, several interfaces and sections), with data payloads
// wrapped in Ethernet (optionally VLAN-tagged), Linux cooked SLL or SLL2
// headers over IPv4/UDP.
class TestCaptureWriter {
public:
    enum class Format { Pcap, PcapNanoseconds, Pcapng };
    enum class Link { Ethernet, Vlan, QinQ, Sll, Sll2 };

    struct Options {
        Format format = Format::Pcap;
        Link link = Link::Ethernet;
        bool bigEndian = false;
        bool simplePackets = false;    // pcapng: SPB instead of EPB
        bool nanosecondStamps = false; // pcapng: interfaces in nanoseconds (if_tsresol 9)
    };

    // When record `n` (from 1) was captured, in nanoseconds since 1970: a
    // millisecond after the one before it.
    static std::int64_t recordTime(std::uint64_t n) {
        return (1700000000 + static_cast<std::int64_t>(n / 1000)) * 1000000000 +
               static_cast<std::int64_t>(n % 1000) * 1000000;
    }

    static std::uint16_t linkType(Link link) {
        switch (link) {
        case Link::Sll:
            return 113;
        case Link::Sll2:
            return 276;
        default:
            return 1;
        }
    }

    // Who sends a datagram: IPv4 address (host byte order) and UDP port.
    struct Source {
        std::uint32_t address = 0x7F000001;
        std::uint16_t port = 2368;
    };

    // The bytes of one captured frame carrying `payload` (UDP payload of
    // `size` bytes) behind the headers of `link`.
    static std::vector<std::uint8_t> frame(Link link, const std::uint8_t* payload,
                                           std::size_t size = DataPacket::kSize) {
        return frame(link, payload, size, Source{});
    }
    // The same, sent by `from`.
    static std::vector<std::uint8_t> frame(Link link, const std::uint8_t* payload, std::size_t size,
                                           Source from) {
        std::vector<std::uint8_t> f;
        auto put16 = [&f](unsigned v) {
            f.push_back(static_cast<std::uint8_t>(v >> 8));
            f.push_back(static_cast<std::uint8_t>(v));
        };
        const std::uint8_t source[6] = {0x02, 0, 0, 0, 0, 0x01};
        const std::uint8_t destination[6] = {0x02, 0, 0, 0, 0, 0x02};
        switch (link) {
        case Link::Ethernet:
        case Link::Vlan:
        case Link::QinQ:
            f.insert(f.end(), destination, destination + 6);
            f.insert(f.end(), source, source + 6);
            if (link == Link::QinQ) {
                put16(0x88A8);
                put16(100);
            }
            if (link != Link::Ethernet) {
                put16(0x8100);
                put16(7);
            }
            break;
        case Link::Sll:
            put16(0);   // sent to us
            put16(772); // loopback device
            put16(6);   // address length
            f.insert(f.end(), source, source + 6);
            put16(0); // address padding
            break;
        case Link::Sll2:
            put16(0x0800); // protocol
            put16(0);      // reserved
            put16(0);      // interface index 1
            put16(1);
            put16(772); // device type
            f.push_back(0);
            f.push_back(6);
            f.insert(f.end(), source, source + 6);
            put16(0);
            return withIpv4(f, payload, size, from, put16);
        }
        put16(0x0800);
        return withIpv4(f, payload, size, from, put16);
    }

    TestCaptureWriter(const std::string& path, const Options& options)
        : options_(options), file_(std::fopen(path.c_str(), "wb")), failed_(file_ == nullptr) {
        if (file_) {
            std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
        }
        if (options_.format == Format::Pcapng) {
            startSection(options_.bigEndian);
            addInterface(linkType(options_.link));
        } else {
            put32(options_.format == Format::Pcap ? 0xA1B2C3D4 : 0xA1B23C4D);
            put16(2);
            put16(4);
            put32(0);
            put32(0);
            put32(262144);
            put32(linkType(options_.link));
        }
    }
    ~TestCaptureWriter() { close(); }
    TestCaptureWriter(const TestCaptureWriter&) = delete;
    TestCaptureWriter& operator=(const TestCaptureWriter&) = delete;

    // Everything so far was written (after close(): and flushed).
    bool ok() const { return !failed_; }

    // pcapng: a new section (interfaces start again from 0).
    void startSection(bool bigEndian) {
        options_.bigEndian = bigEndian;
        put32(0x0A0D0D0A);
        put32(28);
        put32(0x1A2B3C4D);
        put16(1);
        put16(0);
        put32(0xFFFFFFFF); // section length unknown (64 bits)
        put32(0xFFFFFFFF);
        put32(28);
    }
    // pcapng: another interface of the current section; returns its id.
    int addInterface(std::uint16_t type) {
        const std::uint32_t length = options_.nanosecondStamps ? 28 : 20;
        put32(1);
        put32(length);
        put16(type);
        put16(0);
        put32(0); // no snapshot length limit
        if (options_.nanosecondStamps) {
            put16(9); // if_tsresol: 10^-9 s
            put16(1);
            const std::uint8_t resolution[4] = {9, 0, 0, 0};
            write(resolution, 4);
        }
        put32(length);
        return interfaces_++;
    }

    void writePayload(const std::uint8_t* payload) { writePayload(payload, Source{}); }
    void writePayload(const std::uint8_t* payload, Source from) {
        writeRecord(frame(options_.link, payload, DataPacket::kSize, from));
    }
    void writeRecord(const std::vector<std::uint8_t>& bytes, int interfaceId = 0) {
        writeRecord(bytes.data(), static_cast<std::uint32_t>(bytes.size()), interfaceId);
    }
    // `time` in nanoseconds since 1970; by default recordTime() of the record.
    void writeRecord(const std::uint8_t* bytes, std::uint32_t length, int interfaceId = 0,
                     std::optional<std::int64_t> at = std::nullopt) {
        ++records_;
        const std::int64_t time = at ? *at : recordTime(records_);
        const auto seconds = static_cast<std::uint32_t>(time / 1000000000);
        const auto fraction = static_cast<std::uint32_t>(time % 1000000000 / 1000);
        if (options_.format != Format::Pcapng) {
            put32(seconds);
            put32(options_.format == Format::Pcap ? fraction : fraction * 1000);
            put32(length);
            put32(length);
            write(bytes, length);
            return;
        }
        const std::uint32_t padded = (length + 3) & ~3u;
        if (options_.simplePackets) {
            put32(3);
            put32(16 + padded);
            put32(length);
        } else {
            const auto stamp =
                static_cast<std::uint64_t>(options_.nanosecondStamps ? time : time / 1000);
            put32(6);
            put32(32 + padded);
            put32(static_cast<std::uint32_t>(interfaceId));
            put32(static_cast<std::uint32_t>(stamp >> 32));
            put32(static_cast<std::uint32_t>(stamp));
            put32(length);
            put32(length);
        }
        write(bytes, length);
        const std::uint8_t zeros[3] = {};
        write(zeros, padded - length);
        put32(options_.simplePackets ? 16 + padded : 32 + padded);
    }

    void close() {
        if (file_) {
            failed_ = std::fclose(file_) != 0 || failed_;
            file_ = nullptr;
        }
    }

private:
    template <class Put16>
    static std::vector<std::uint8_t> withIpv4(std::vector<std::uint8_t>& f,
                                              const std::uint8_t* payload, std::size_t size,
                                              Source from, Put16 put16) {
        const std::size_t ip = f.size();
        put16(0x4500);
        put16(static_cast<unsigned>(20 + 8 + size));
        put16(0x1234); // identification
        put16(0x4000); // don't fragment
        put16(0x4011); // TTL 64, UDP
        put16(0);      // checksum, below
        for (int shift = 24; shift >= 0; shift -= 8) {
            f.push_back(static_cast<std::uint8_t>(from.address >> shift));
        }
        const std::uint8_t loopback[4] = {127, 0, 0, 1};
        f.insert(f.end(), loopback, loopback + 4);
        std::uint32_t sum = 0;
        for (std::size_t i = ip; i < ip + 20; i += 2) {
            sum += static_cast<std::uint32_t>(f[i] << 8 | f[i + 1]);
        }
        sum = (sum & 0xFFFF) + (sum >> 16);
        sum = (sum & 0xFFFF) + (sum >> 16);
        f[ip + 10] = static_cast<std::uint8_t>(~sum >> 8);
        f[ip + 11] = static_cast<std::uint8_t>(~sum);
        put16(from.port);
        put16(2368);
        put16(static_cast<unsigned>(8 + size));
        put16(0);
        f.insert(f.end(), payload, payload + size);
        return f;
    }

    void write(const std::uint8_t* bytes, std::size_t length) {
        if (file_ && length != 0 && std::fwrite(bytes, 1, length, file_) != length) {
            failed_ = true;
        }
    }
    void put16(std::uint16_t v) {
        const std::uint8_t b[2] = {static_cast<std::uint8_t>(options_.bigEndian ? v >> 8 : v),
                                   static_cast<std::uint8_t>(options_.bigEndian ? v : v >> 8)};
        write(b, 2);
    }
    void put32(std::uint32_t v) {
        put16(static_cast<std::uint16_t>(options_.bigEndian ? v >> 16 : v));
        put16(static_cast<std::uint16_t>(options_.bigEndian ? v : v >> 16));
    }

    Options options_;
    std::FILE* file_;
    bool failed_;
    int interfaces_ = 0;
    std::uint32_t records_ = 0;
};
