#pragma once

#include <cstddef>

// Sizes of the classic pcap file layout: one file header, then a record
// header in front of each captured frame.
namespace PcapFormat {

constexpr std::size_t kFileHeaderBytes = 24;
constexpr std::size_t kRecordHeaderBytes = 16;

} // namespace PcapFormat
