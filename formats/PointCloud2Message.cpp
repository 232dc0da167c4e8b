#include "formats/PointCloud2Message.h"

#include "formats/LittleEndian.h"
#include "formats/UnixTime.h"

namespace PointCloud2Message {

namespace {

using namespace LittleEndian;

// CDR aligns each primitive to its size, counted from the end of the
// 4-byte encapsulation header.
class CdrWriter {
public:
    explicit CdrWriter(std::string& out) : out_(out), start_(out.size() + 4) {
        out_.append("\x00\x01\x00\x00", 4); // little-endian CDR, no options
    }

    void u8(std::uint8_t v) { putU8(out_, v); }
    void u32(std::uint32_t v) {
        align(4);
        putU32(out_, v);
    }
    void i32(std::int32_t v) {
        align(4);
        putI32(out_, v);
    }
    // Length with the terminating NUL, the bytes, the NUL.
    void string(const std::string& text) {
        u32(static_cast<std::uint32_t>(text.size() + 1));
        out_ += text;
        out_ += '\0';
    }
    void bytes(const char* data, std::size_t size) {
        u32(static_cast<std::uint32_t>(size));
        out_.append(data, size);
    }

private:
    void align(std::size_t size) {
        const std::size_t misalignment = (out_.size() - start_) % size;
        if (misalignment != 0) {
            out_.append(size - misalignment, '\0');
        }
    }

    std::string& out_;
    std::size_t start_;
};

} // namespace

std::string schema() {
    const std::string separator =
        "================================================================================\n";
    return "std_msgs/Header header\n"
           "uint32 height\n"
           "uint32 width\n"
           "sensor_msgs/PointField[] fields\n"
           "bool is_bigendian\n"
           "uint32 point_step\n"
           "uint32 row_step\n"
           "uint8[] data\n"
           "bool is_dense\n" +
           separator +
           "MSG: std_msgs/Header\n"
           "builtin_interfaces/Time stamp\n"
           "string frame_id\n" +
           separator +
           "MSG: builtin_interfaces/Time\n"
           "int32 sec\n"
           "uint32 nanosec\n" +
           separator +
           "MSG: sensor_msgs/PointField\n"
           "uint8 INT8=1\n"
           "uint8 UINT8=2\n"
           "uint8 INT16=3\n"
           "uint8 UINT16=4\n"
           "uint8 INT32=5\n"
           "uint8 UINT32=6\n"
           "uint8 FLOAT32=7\n"
           "uint8 FLOAT64=8\n"
           "string name\n"
           "uint32 offset\n"
           "uint8 datatype\n"
           "uint32 count\n";
}

void encode(std::string& out, const Cloud& cloud, const char* points) {
    const UnixTime stamp = UnixTime::fromNanoseconds(cloud.stampNanoseconds);
    CdrWriter cdr(out);
    cdr.i32(static_cast<std::int32_t>(stamp.seconds));
    cdr.u32(static_cast<std::uint32_t>(stamp.nanoseconds));
    cdr.string(cloud.frameId);
    cdr.u32(1); // height
    cdr.u32(cloud.width);
    cdr.u32(static_cast<std::uint32_t>(cloud.fields.size()));
    for (const Field& field : cloud.fields) {
        cdr.string(field.name);
        cdr.u32(field.offset);
        cdr.u8(field.datatype);
        cdr.u32(field.count);
    }
    cdr.u8(0); // is_bigendian
    cdr.u32(cloud.pointStep);
    cdr.u32(cloud.pointStep * cloud.width); // row_step
    cdr.bytes(points, std::size_t{cloud.pointStep} * cloud.width);
    cdr.u8(cloud.dense ? 1 : 0);
}

} // namespace PointCloud2Message
