#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct pcap;
struct pcap_dumper;

// Writes Ethernet frames into a classic pcap capture file through libpcap.
class PcapFileWriter {
public:
    PcapFileWriter() = default;
    ~PcapFileWriter();
    PcapFileWriter(const PcapFileWriter&) = delete;
    PcapFileWriter& operator=(const PcapFileWriter&) = delete;

    // Creates (or replaces) the file and writes its header.
    bool open(const std::string& path);
    // Appends one frame with its capture time in microseconds since 1970.
    bool write(const std::uint8_t* frame, std::size_t size, std::int64_t timeMicroseconds);
    // Flushes and closes; false when anything could not be written.
    bool close();

    const std::string& error() const { return error_; }

private:
    pcap* handle_ = nullptr;
    pcap_dumper* dumper_ = nullptr;
    std::string error_;
};
