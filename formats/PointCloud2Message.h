#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// ROS 2's sensor_msgs/msg/PointCloud2 in its CDR encoding (little-endian
// CDR, as ROS 2 sends and records it): one row of points of a fixed layout,
// the fields' names, offsets and types, and a header with a stamp and a
// frame id.
namespace PointCloud2Message {

// The PointField datatypes used here.
enum Datatype : std::uint8_t { kUint16 = 4, kFloat32 = 7 };

struct Field {
    std::string name;
    std::uint32_t offset = 0;
    std::uint8_t datatype = kFloat32;
    std::uint32_t count = 1;
};

constexpr const char* kSchemaName = "sensor_msgs/msg/PointCloud2";
constexpr const char* kSchemaEncoding = "ros2msg";
constexpr const char* kMessageEncoding = "cdr";

// The message definition with the definitions it depends on, each after a
// separator line and its "MSG:" name, as ROS 2 recordings store it.
std::string schema();

struct Cloud {
    std::int64_t stampNanoseconds = 0; // since 1970
    std::string frameId;
    std::vector<Field> fields;
    std::uint32_t pointStep = 0;
    std::uint32_t width = 0; // points in the one row
    bool dense = true;       // no invalid (NaN) coordinates
};

// Appends the encoded message to `out`; `points` holds width * pointStep
// bytes, in the machine's (little-endian) order.
void encode(std::string& out, const Cloud& cloud, const char* points);

} // namespace PointCloud2Message
