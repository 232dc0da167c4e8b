#include "formats/BinaryCloudFile.h"

namespace BinaryCloudFile {

std::string header(Kind kind, std::size_t points) {
    const std::string count = std::to_string(points);
    if (kind == Kind::Pcd) {
        return "# .PCD v0.7 - Point Cloud Data file format\n"
               "VERSION 0.7\n"
               "FIELDS x y z intensity channel\n"
               "SIZE 4 4 4 4 1\n"
               "TYPE F F F F U\n"
               "COUNT 1 1 1 1 1\n"
               "WIDTH " +
               count +
               "\n"
               "HEIGHT 1\n"
               "VIEWPOINT 0 0 0 1 0 0 0\n"
               "POINTS " +
               count +
               "\n"
               "DATA binary\n";
    }
    return "ply\n"
           "format binary_little_endian 1.0\n"
           "element vertex " +
           count +
           "\n"
           "property float x\n"
           "property float y\n"
           "property float z\n"
           "property float intensity\n"
           "property uchar channel\n"
           "end_header\n";
}

} // namespace BinaryCloudFile
