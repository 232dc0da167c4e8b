#include "python/PythonFrame.h"

#include <cstdlib>

namespace py = pybind11;

namespace {

py::array arrayOwning(PointBuffer&& buffer) {
    const auto count = static_cast<py::ssize_t>(buffer.size());
    // The capsule frees the points with the last array that uses them.
    py::capsule owner(buffer.data(), [](void* memory) { std::free(memory); });
    PointRecord* points = buffer.release();
    return py::array_t<PointRecord>({count}, {static_cast<py::ssize_t>(sizeof(PointRecord))},
                                    points, owner);
}

} // namespace

PythonFrame::PythonFrame(ConvertedFrame&& frame)
    : points_(arrayOwning(std::move(frame.points))), number_(frame.number), timeNs_(frame.time),
      sensor_(frame.sensor) {}
