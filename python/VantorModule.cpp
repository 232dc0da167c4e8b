// The Python module vantor: capture files and live data read into NumPy
// arrays with the viewer's and lidar-export's own code.

#include "lidar/DataPacket.h"
#include "net/UdpSocket.h"
#include "python/CaptureStream.h"
#include "python/Listener.h"
#include "python/PointRecord.h"
#include "python/PythonCapture.h"
#include "python/PythonErrors.h"
#include "python/PythonFrame.h"
#include "python/PythonSensor.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

namespace py = pybind11;

namespace {

const char* const kModuleDoc =
    R"(Lidar frames from Vantor capture files and live data, as NumPy arrays.

vantor reads what the viewer and lidar-export read, with their own code: a
capture file (pcap or pcapng) or the sensor's data datagrams on the data
port. Each frame (one revolution) becomes a NumPy structured array with one
row per point: the rows of lidar-export's CSV export of that frame, in the
same order (channel by channel, 0 to 127, each channel's points as they
arrived) and with the same values (POINT_DTYPE):

    x, y, z    float32  metres
    intensity  uint8    0 to 255
    channel    uint8    laser 0 to 127
    azimuth    float32  degrees
    distance   float32  metres

Reading a capture:

    import vantor
    cap = vantor.Capture("street.pcap")
    print(len(cap), cap.sensors())       # whole frames; the sensors and their counts
    for frame in cap.frames(skip=10, count=5, channels=range(64),
                            min_angle=0, max_angle=90):
        pts = frame.points
        print(frame.number, frame.time, frame.sensor, len(pts), pts["z"].max())

Receiving live data (the data port, 2368 by default):

    for frame in vantor.listen(2368, timeout=5, frames=10):
        ...

Frames are cut at the sensor's frame markers as lidar-export cuts them: the
points before the first marker and after the last make no frame.
frame.number counts the frames a loop gives, from 1, as the CSV's
FrameNumbers; frame.time is when the frame's last datagram was captured (or
received, live), in seconds since 1970. Every frame's array is its own: keep
it as long as you like. A capture is read in one pass, a few frames ahead of
the loop; the loop may stop at any point, and Ctrl-C stops it at once.

Failures are exceptions with the texts the tools show: CaptureError (no such
file, not a capture, no data packet of the sensor, damaged, shortened while
it was open), ReceiveError (the data port in use) and Timeout, all of them
vantor.Error. A capture cut short gives its frames before the cut, then a
TruncatedCaptureWarning. Arguments out of range raise ValueError.

A sensor is the source address and port of its data datagrams
("192.168.1.200:2368"). A capture is read as one sensor's, named after the
sender of its first data packet; live frames do not name their sensor (their
sensor is "").

The vantor-viewer Debian package installs the module for Debian's python3.
After `cmake --install build --prefix PREFIX`, point Python at it:
    PYTHONPATH=PREFIX/lib/python3/dist-packages python3 -c "import vantor")";

// The arguments that choose the points of each frame, as lidar-export's
// --channels, --min-angle and --max-angle.
const char* const kPointArgumentsDoc = R"(
    channels   channel numbers to keep, such as range(64); None: all 128
    min_angle  lowest azimuth kept, degrees (inclusive); None: no limit
    max_angle  highest azimuth kept, degrees (inclusive); None: no limit)";

[[noreturn]] void valueError(const std::string& text) {
    throw py::value_error(text);
}

std::string formatNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

float angleOf(const char* name, double degrees) {
    const float angle = static_cast<float>(degrees);
    if (!std::isfinite(angle)) {
        valueError(std::string(name) + " needs degrees, not " + formatNumber(degrees));
    }
    return angle;
}

// The points a loop keeps: channels and an azimuth window, as lidar-export's
// --channels, --min-angle and --max-angle.
CsvExportFilter filterOf(const py::object& channels, std::optional<double> minAngle,
                         std::optional<double> maxAngle) {
    CsvExportFilter filter;
    if (!channels.is_none()) {
        if (py::isinstance<py::str>(channels) || py::isinstance<py::bytes>(channels)) {
            throw py::type_error("channels takes channel numbers, such as range(64) or [0, 5]");
        }
        filter.channels.fill(false);
        bool any = false;
        for (const py::handle item : py::iter(channels)) {
            const auto number = py::reinterpret_steal<py::object>(PyNumber_Index(item.ptr()));
            if (!number) {
                throw py::error_already_set();
            }
            const long channel = number.cast<long>();
            if (channel < 0 || channel >= DataPacket::kChannelCount) {
                valueError("channel " + std::to_string(channel) + " is not one of 0 to " +
                           std::to_string(DataPacket::kChannelCount - 1));
            }
            filter.channels[static_cast<std::size_t>(channel)] = true;
            any = true;
        }
        if (!any) {
            valueError("empty channel list");
        }
    }
    if (minAngle) {
        filter.minAngle = angleOf("min_angle", *minAngle);
    }
    if (maxAngle) {
        filter.maxAngle = angleOf("max_angle", *maxAngle);
    }
    if (filter.minAngle > filter.maxAngle) {
        valueError("min_angle is above max_angle: no point could be written");
    }
    return filter;
}

int countOf(const char* name, std::optional<int> count) {
    if (count && *count < 1) {
        valueError(std::string(name) + " needs 1 or more, not " + std::to_string(*count));
    }
    return count.value_or(0);
}

// A source as given to frames(): a Sensor, or "ADDR" or "ADDR:PORT".
SensorAddress sourceOf(const py::object& source) {
    if (py::isinstance<PythonSensor>(source)) {
        return source.cast<const PythonSensor&>().address;
    }
    SensorAddress sensor;
    if (!py::isinstance<py::str>(source) ||
        !SensorAddress::parse(source.cast<std::string>(), sensor)) {
        valueError("source needs a Sensor or \"ADDR[:PORT]\", not " +
                   py::repr(source).cast<std::string>());
    }
    return sensor;
}

std::string textOr(const std::string& text, const char* otherwise) {
    return text.empty() ? otherwise : text;
}

std::unique_ptr<FrameStream> captureFrames(PythonCapture& capture, int skip,
                                           std::optional<int> count, const py::object& channels,
                                           std::optional<double> minAngle,
                                           std::optional<double> maxAngle,
                                           const py::object& source) {
    if (skip < 0) {
        valueError("skip needs a count of 0 or more, not " + std::to_string(skip));
    }
    FrameSelection selection;
    selection.skip = skip;
    selection.count = countOf("count", count);
    selection.filter = filterOf(channels, minAngle, maxAngle);
    if (!source.is_none()) {
        selection.source = sourceOf(source);
        const SensorAddress& sensor = capture.firstSender();
        if (!sensor.matches(*selection.source)) {
            const SensorAddress& wanted = *selection.source;
            valueError("the capture holds no sensor " +
                       (wanted.port == 0 ? wanted.addressText() : wanted.text()) +
                       ": its sensor is " + textOr(sensor.text(), "unnamed"));
        }
    }
    return capture.frames(selection);
}

std::unique_ptr<Listener> listen(int port, std::optional<std::string> group,
                                 std::optional<double> timeout, std::optional<int> frames,
                                 const py::object& channels, std::optional<double> minAngle,
                                 std::optional<double> maxAngle) {
    if (port < 0 || port > 65535) {
        valueError("port needs 0 to 65535, not " + std::to_string(port));
    }
    if (group) {
        std::uint32_t address = 0;
        if (!UdpSocket::parseAddress(*group, address) || (address >> 28) != 0xE) {
            valueError("group needs a multicast address (224.0.0.0 to 239.255.255.255), not " +
                       *group);
        }
    }
    if (timeout && !(*timeout > 0 && *timeout <= 86400)) {
        valueError("timeout needs seconds above 0, not " + formatNumber(*timeout));
    }
    FrameSelection selection;
    selection.count = countOf("frames", frames);
    selection.filter = filterOf(channels, minAngle, maxAngle);
    auto listener =
        std::make_unique<Listener>(port, group.value_or(std::string()), timeout, selection);
    listener->start();
    return listener;
}

std::string sensorRepr(const PythonSensor& sensor) {
    return "Sensor('" + sensor.address.text() + "', datagrams=" + std::to_string(sensor.datagrams) +
           ", frames=" + std::to_string(sensor.frames) + ")";
}

py::object addressOrNone(const SensorAddress& address) {
    return address.known() ? py::object(py::str(address.addressText())) : py::none();
}

py::object portOrNone(const SensorAddress& address) {
    return address.known() ? py::object(py::int_(address.port)) : py::none();
}

} // namespace

PYBIND11_MODULE(vantor, m) {
    m.doc() = kModuleDoc;
    m.attr("__version__") = VANTOR_VERSION;

    PYBIND11_NUMPY_DTYPE(PointRecord, x, y, z, intensity, channel, azimuth, distance);
    m.attr("POINT_DTYPE") = py::dtype::of<PointRecord>();

    PythonErrors::define(m);

    py::class_<PythonSensor>(m, "Sensor",
                             R"(A sensor of a capture: the source of its data datagrams.

str(sensor) is its source, "ADDR:PORT"; frames(source=sensor) takes its frames.)")
        .def_property_readonly(
            "source", [](const PythonSensor& s) { return s.address.text(); },
            "\"ADDR:PORT\" of its data datagrams; \"\" when they do not say.")
        .def_property_readonly(
            "address", [](const PythonSensor& s) { return addressOrNone(s.address); },
            "The source address, dotted; None when not known.")
        .def_property_readonly(
            "port", [](const PythonSensor& s) { return portOrNone(s.address); },
            "The source port; None when not known.")
        .def_readonly("datagrams", &PythonSensor::datagrams, "Data datagrams in the capture.")
        .def_readonly("frames", &PythonSensor::frames, "Whole frames in the capture.")
        .def("__str__", [](const PythonSensor& s) { return s.address.text(); })
        .def("__repr__", &sensorRepr);

    py::class_<PythonFrame>(m, "Frame", R"(One frame (one revolution) of one sensor.

len(frame) is its number of points.)")
        .def_property_readonly(
            "points", &PythonFrame::points,
            "The points: a NumPy structured array of POINT_DTYPE (x, y, z, intensity, channel,\n"
            "azimuth, distance), one row per point, as the CSV export's rows. It owns its\n"
            "memory: it stays valid when the loop has moved on.")
        .def_property_readonly("number", &PythonFrame::number,
                               "The frame's number in its loop, from 1: the CSV's FrameNumbers.")
        .def_property_readonly(
            "time", [](const PythonFrame& f) { return static_cast<double>(f.timeNs()) / 1e9; },
            "When its last datagram was captured (received, live): seconds since 1970.")
        .def_property_readonly("time_ns", &PythonFrame::timeNs,
                               "The same in nanoseconds since 1970, as an integer.")
        .def_property_readonly("sensor", &PythonFrame::sensor,
                               "The sensor that sent it, \"ADDR:PORT\"; \"\" when it is not known.")
        .def("__len__", &PythonFrame::size)
        .def("__repr__", [](const PythonFrame& f) {
            return "Frame(number=" + std::to_string(f.number()) +
                   ", points=" + std::to_string(f.size()) +
                   ", time=" + std::to_string(static_cast<double>(f.timeNs()) / 1e9) +
                   ", sensor='" + f.sensor() + "')";
        });

    py::class_<FrameStream>(m, "Frames", R"(An iterator of Frame objects (from Capture.frames()).

A capture is read a few frames ahead of the loop. Leaving the loop early is
fine; close() (or leaving a with-block) stops the reading at once.)")
        .def("__iter__", [](FrameStream& s) -> FrameStream& { return s; })
        .def("__next__", &FrameStream::next,
             "The next frame. After the last one: StopIteration, or the exception that\n"
             "ended the reading.")
        .def("close", &FrameStream::close, "Stops reading; the iterator then ends.")
        .def("__enter__", [](FrameStream& s) -> FrameStream& { return s; })
        .def(
            "__exit__",
            [](FrameStream& s, const py::object&, const py::object&, const py::object&) {
                s.close();
            },
            py::arg("type"), py::arg("value"), py::arg("traceback"));

    py::class_<Listener, FrameStream>(m, "Listener",
                                      R"(Live frames from the data port (from listen()).

An iterator of Frame objects that receives with the viewer's own receiver
until it has the frames asked for, the time-out passes, or it is closed.
Frames the loop has not taken yet wait in a queue of a few; while it is
full, datagrams wait in the socket's receive buffer, and what overflows it is
lost (dropped counts it).)")
        .def_property_readonly("port", &Listener::port,
                               "The data port bound (the system's choice when 0 was asked).")
        .def_property_readonly(
            "dropped", &Listener::kernelDrops,
            "Datagrams the system dropped on the socket so far; -1 while not known.");

    py::class_<PythonCapture>(m, "Capture",
                              R"(A capture file (pcap or pcapng) opened for reading frames.

Capture(path) opens the file and reads it up to its first data packet of the
sensor; it raises CaptureError when the file cannot be read, is not a
capture, or holds no data packet. Iterating a Capture is iterating
frames().)")
        .def(py::init([](const py::object& path) {
                 return std::make_unique<PythonCapture>(
                     py::module_::import("os").attr("fsdecode")(path).cast<std::string>());
             }),
             py::arg("path"), "Opens the capture file at path (a str or a path-like object).")
        .def_property_readonly("path", &PythonCapture::path, "The file's path.")
        .def("__len__", &PythonCapture::frameCount,
             "The whole frames in the capture. The first call reads the whole file once,\n"
             "without decoding points; the answer is kept.")
        .def(
            "sensors",
            [](PythonCapture& capture) {
                std::vector<PythonSensor> sensors;
                for (const SensorFrames::Sensor& s : capture.census().sensors) {
                    sensors.push_back({s.address, s.datagrams, s.frames});
                }
                return sensors;
            },
            "The sensors in the capture, each with its data datagrams and whole frames\n"
            "(a list of Sensor). Read with len() in one pass over the file.")
        .def("frames", &captureFrames, py::arg("skip") = 0, py::arg("count") = py::none(),
             py::arg("channels") = py::none(), py::arg("min_angle") = py::none(),
             py::arg("max_angle") = py::none(), py::arg("source") = py::none(),
             (std::string(R"(Iterates the frames of the capture, as lidar-export --skip, --frames,
--channels, --min-angle and --max-angle select them from it.

    skip       frames passed over first (their points are not decoded)
    count      frames wanted after them; None: to the end)") +
              kPointArgumentsDoc + R"(
    source     the Sensor (or "ADDR[:PORT]") whose frames are wanted; None: all

Frames are numbered from 1 after the skipped ones. The capture is read once,
front to back, and no further than the last frame wanted; fewer frames than
wanted end the loop early. A capture cut short ends with a
TruncatedCaptureWarning after its frames before the cut; a file shortened
while it is read raises CaptureError.)")
                 .c_str())
        .def(
            "__iter__",
            [](PythonCapture& capture) { return std::unique_ptr<FrameStream>(capture.frames({})); })
        .def("__repr__", [](const PythonCapture& capture) {
            return "Capture(" + py::repr(py::str(capture.path())).cast<std::string>() + ")";
        });

    m.def("listen", &listen, py::arg("port") = 2368, py::arg("group") = py::none(),
          py::arg("timeout") = py::none(), py::arg("frames") = py::none(),
          py::arg("channels") = py::none(), py::arg("min_angle") = py::none(),
          py::arg("max_angle") = py::none(),
          (std::string(R"(Receives live frames on the data port: returns a Listener to iterate.

    port       the data port; 0 lets the system choose (Listener.port says which)
    group      a multicast group to join as well, such as "224.1.1.1"
    timeout    seconds without a complete frame after which the loop raises
               Timeout; None: wait for ever
    frames     frames wanted; None: until the loop stops)") +
           kPointArgumentsDoc + R"(

The receiver starts at once and listen() returns once the port is bound;
it raises ReceiveError with the viewer's text when the port cannot be bound
(it is in use). Frames are numbered from 1; their time is when they were
received. The first frame starts at the first frame marker received.)")
              .c_str());
}
