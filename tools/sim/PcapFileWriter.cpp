#include "tools/sim/PcapFileWriter.h"

#include <cerrno>
#include <cstdio>
#include <pcap/pcap.h>
#include <system_error>

PcapFileWriter::~PcapFileWriter() {
    close();
}

bool PcapFileWriter::open(const std::string& path) {
    close();
    error_.clear();
    handle_ = pcap_open_dead(DLT_EN10MB, 65535);
    if (handle_ == nullptr) {
        error_ = "cannot create a capture handle";
        return false;
    }
    dumper_ = pcap_dump_open(handle_, path.c_str());
    if (dumper_ == nullptr) {
        error_ = pcap_geterr(handle_);
        pcap_close(handle_);
        handle_ = nullptr;
        return false;
    }
    return true;
}

bool PcapFileWriter::write(const std::uint8_t* frame, std::size_t size,
                           std::int64_t timeMicroseconds) {
    if (dumper_ == nullptr) {
        return false;
    }
    pcap_pkthdr header{};
    header.ts.tv_sec = static_cast<time_t>(timeMicroseconds / 1000000);
    header.ts.tv_usec = static_cast<suseconds_t>(timeMicroseconds % 1000000);
    header.caplen = static_cast<bpf_u_int32>(size);
    header.len = static_cast<bpf_u_int32>(size);
    pcap_dump(reinterpret_cast<u_char*>(dumper_), &header, frame);
    // pcap_dump reports nothing; the stream's error flag does.
    if (std::ferror(pcap_dump_file(dumper_))) {
        error_ = std::generic_category().message(errno);
        return false;
    }
    return true;
}

bool PcapFileWriter::close() {
    bool ok = true;
    if (dumper_ != nullptr) {
        if (pcap_dump_flush(dumper_) != 0 || std::ferror(pcap_dump_file(dumper_))) {
            error_ = std::generic_category().message(errno);
            ok = false;
        }
        pcap_dump_close(dumper_);
        dumper_ = nullptr;
    }
    if (handle_ != nullptr) {
        pcap_close(handle_);
        handle_ = nullptr;
    }
    return ok;
}
