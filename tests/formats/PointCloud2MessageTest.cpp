#include "formats/PointCloud2Message.h"
#include "ExpectedBytes.h"

#include <gtest/gtest.h>

// The CDR layout: a 4-byte encapsulation header, then each field aligned to
// its size counted from the end of that header.
TEST(PointCloud2Message, FieldsFollowEachOtherWithCdrAlignment) {
    PointCloud2Message::Cloud cloud;
    cloud.stampNanoseconds = 1'500000000;
    cloud.frameId = "ab";
    cloud.fields = {{"x", 0, PointCloud2Message::kFloat32, 1},
                    {"c", 4, PointCloud2Message::kUint16, 1}};
    cloud.pointStep = 8;
    cloud.width = 2;
    const std::string points = "0123456789abcdef";
    std::string message;
    PointCloud2Message::encode(message, cloud, points.data());

    const std::string pad(3, '\0');
    ExpectedBytes expected;
    expected
        .raw(std::string("\0\x01\0\0", 4)) // little-endian CDR
        .i32(1)                            // stamp: seconds
        .u32(500000000)                    // and nanoseconds
        .u32(3)
        .raw(std::string("ab\0", 3)) // frame_id with its NUL
        .raw(pad.substr(0, 1))       // to 16
        .u32(1)                      // height
        .u32(2)                      // width
        .u32(2)                      // fields
        .u32(2)
        .raw(std::string("x\0", 2))
        .raw(pad.substr(0, 2)) // to 36
        .u32(0)
        .u8(PointCloud2Message::kFloat32)
        .raw(pad) // to 44
        .u32(1)
        .u32(2)
        .raw(std::string("c\0", 2))
        .raw(pad.substr(0, 2))
        .u32(4)
        .u8(PointCloud2Message::kUint16)
        .raw(pad)
        .u32(1)
        .u8(0) // is_bigendian
        .raw(pad)
        .u32(8)  // point_step
        .u32(16) // row_step
        .u32(16)
        .raw(points)
        .u8(1); // is_dense
    EXPECT_EQ(hex(message), hex(expected.data));
}
