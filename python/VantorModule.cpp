// The Python module vantor: capture files and live data read into NumPy
// arrays with the viewer's and lidar-export's own code.

#include "lidar/DataPacket.h"
#include "lidar/SensorStatistics.h"
#include "net/UdpSocket.h"
#include "python/CaptureStream.h"
#include "python/Listener.h"
#include "python/PointRecord.h"
#include "python/PythonCapture.h"
#include "python/PythonErrors.h"
#include "python/PythonFrame.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

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
frame.number counts the frames of its sensor that a loop gives, from 1, as
the CSV's FrameNumbers; frame.time is when the frame's last datagram was
captured (or received, live), in seconds since 1970. Every frame's array is
its own: keep it as long as you like. A capture is read in one pass, a few frames ahead of
the loop; the loop may stop at any point, and Ctrl-C stops it at once.

Failures are exceptions with the texts the tools show: CaptureError (no such
file, not a capture, no data packet, damaged, shortened while it was open),
ReceiveError (the data port in use) and Timeout, all of them
vantor.Error. A capture cut short gives its frames before the cut, then a
TruncatedCaptureWarning. Arguments out of range raise ValueError.

A sensor is the source address and port of its data datagrams: several
sensors in one capture or on one port are told apart by it, and each is cut
into frames on its own, so that no frame holds points of two. Without
source=, a loop gives every sensor's frames as they end, and count, skip
and frames= apply to each sensor; frame.sensor names the sensor by its
address as lidar-export does ("10.0.0.2"), frame.source by "ADDR:PORT".
frames(source=...) and listen(source=...) take one sensor's frames alone,
as lidar-export --source does; Capture.sensors() lists the sensors with
their counts, as lidar-export --list-sensors. Up to 16 sensors are taken;
datagrams from further sources are left out.

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

// A source as given to frames() and listen(): a Sensor, or "ADDR" or
// "ADDR:PORT" as lidar-export's --source takes it; None: every sensor.
std::optional<SensorId> sourceOf(const py::object& source) {
    if (source.is_none()) {
        return std::nullopt;
    }
    if (py::isinstance<SensorCounts>(source)) {
        return source.cast<const SensorCounts&>().sensor;
    }
    std::optional<SensorId> sensor;
    if (py::isinstance<py::str>(source)) {
        sensor = SensorId::parse(QString::fromStdString(source.cast<std::string>()));
    }
    if (!sensor) {
        valueError("source needs a Sensor or an address such as 10.0.0.2 or 10.0.0.2:2368, not " +
                   py::repr(source).cast<std::string>());
    }
    return sensor;
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
    selection.source = sourceOf(source);
    if (selection.source) {
        // Known once the capture is counted: counted now, unless it was.
        std::vector<SensorId> sensors;
        for (const SensorCounts& s : capture.census().sensors) {
            sensors.push_back(s.sensor);
        }
        const bool held = std::any_of(sensors.begin(), sensors.end(), [&](const SensorId& s) {
            return selection.source->matches(s);
        });
        if (!held) {
            valueError(QStringLiteral("%1: %2")
                           .arg(QString::fromStdString(capture.path()),
                                SensorId::notHeard(*selection.source, sensors))
                           .toStdString());
        }
    }
    return capture.frames(selection);
}

std::unique_ptr<Listener> listen(int port, std::optional<std::string> group,
                                 std::optional<double> timeout, std::optional<int> frames,
                                 const py::object& channels, std::optional<double> minAngle,
                                 std::optional<double> maxAngle, const py::object& source) {
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
    selection.source = sourceOf(source);
    auto listener =
        std::make_unique<Listener>(port, group.value_or(std::string()), timeout, selection);
    listener->start();
    return listener;
}

std::string sourceText(const SensorId& sensor) {
    return sensor.textWithPort().toStdString();
}

std::string sensorRepr(const SensorCounts& sensor) {
    return "Sensor('" + sourceText(sensor.sensor) +
           "', datagrams=" + std::to_string(sensor.datagrams) +
           ", frames=" + std::to_string(sensor.frames) + ")";
}

} // namespace

PYBIND11_MODULE(vantor, m) {
    m.doc() = kModuleDoc;
    m.attr("__version__") = VANTOR_VERSION;

    PYBIND11_NUMPY_DTYPE(PointRecord, x, y, z, intensity, channel, azimuth, distance);
    m.attr("POINT_DTYPE") = py::dtype::of<PointRecord>();

    PythonErrors::define(m);

    py::class_<SensorCounts>(m, "Sensor",
                             R"(A sensor of a capture: the source of its data datagrams, with
what it sent, as lidar-export --list-sensors lists it.

str(sensor) is its source, "ADDR:PORT"; frames(source=sensor) takes its frames.)")
        .def_property_readonly(
            "source", [](const SensorCounts& s) { return sourceText(s.sensor); },
            "\"ADDR:PORT\" of its data datagrams.")
        .def_property_readonly(
            "address", [](const SensorCounts& s) { return s.sensor.text().toStdString(); },
            "The source address, dotted: how lidar-export names the sensor.")
        .def_property_readonly(
            "port", [](const SensorCounts& s) { return s.sensor.port; }, "The source port.")
        .def_readonly("datagrams", &SensorCounts::datagrams, "Data datagrams in the capture.")
        .def_readonly("frames", &SensorCounts::frames, "Whole frames in the capture.")
        .def("__str__", [](const SensorCounts& s) { return sourceText(s.sensor); })
        .def("__repr__", &sensorRepr);

    py::class_<PythonFrame>(m, "Frame", R"(One frame (one revolution) of one sensor.

len(frame) is its number of points.)")
        .def_property_readonly(
            "points", &PythonFrame::points,
            "The points: a NumPy structured array of POINT_DTYPE (x, y, z, intensity, channel,\n"
            "azimuth, distance), one row per point, as the CSV export's rows. It owns its\n"
            "memory: it stays valid when the loop has moved on.")
        .def_property_readonly(
            "number", &PythonFrame::number,
            "The frame's number among its sensor's frames in the loop, from 1: the\n"
            "FrameNumbers of lidar-export's CSV file of that sensor.")
        .def_property_readonly(
            "time", [](const PythonFrame& f) { return static_cast<double>(f.timeNs()) / 1e9; },
            "When its last datagram was captured (received, live): seconds since 1970.")
        .def_property_readonly("time_ns", &PythonFrame::timeNs,
                               "The same in nanoseconds since 1970, as an integer.")
        .def_property_readonly(
            "sensor", [](const PythonFrame& f) { return f.sensor().text().toStdString(); },
            "The sensor that sent it, by its address (\"10.0.0.2\"), as lidar-export names it.")
        .def_property_readonly(
            "source", [](const PythonFrame& f) { return sourceText(f.sensor()); },
            "The sensor's \"ADDR:PORT\", as Sensor.source: it tells apart two sensors that\n"
            "share an address.")
        .def("__len__", &PythonFrame::size)
        .def("__repr__", [](const PythonFrame& f) {
            return "Frame(number=" + std::to_string(f.number()) +
                   ", points=" + std::to_string(f.size()) +
                   ", time=" + std::to_string(static_cast<double>(f.timeNs()) / 1e9) +
                   ", source='" + sourceText(f.sensor()) + "')";
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

Capture(path) opens the file and reads it up to its first data packet; it
raises CaptureError when the file cannot be read, is not a capture, or holds
no data packet. Iterating a Capture is iterating frames().)")
        .def(py::init([](const py::object& path) {
                 return std::make_unique<PythonCapture>(
                     py::module_::import("os").attr("fsdecode")(path).cast<std::string>());
             }),
             py::arg("path"), "Opens the capture file at path (a str or a path-like object).")
        .def_property_readonly("path", &PythonCapture::path, "The file's path.")
        .def("__len__", &PythonCapture::frameCount,
             "The whole frames in the capture, of every sensor. The first call reads the\n"
             "whole file once, without decoding points; the answer is kept.")
        .def(
            "sensors", [](PythonCapture& capture) { return capture.census().sensors; },
            "The sensors in the capture, first heard first, each with its data datagrams\n"
            "and whole frames (a list of Sensor): what lidar-export --list-sensors prints.\n"
            "Counted with len() in one pass over the file. Sources beyond the 16th are not\n"
            "taken as sensors: their datagrams are left out.")
        .def("frames", &captureFrames, py::arg("skip") = 0, py::arg("count") = py::none(),
             py::arg("channels") = py::none(), py::arg("min_angle") = py::none(),
             py::arg("max_angle") = py::none(), py::arg("source") = py::none(),
             (std::string(R"(Iterates the frames of the capture, as lidar-export --skip, --frames,
--channels, --min-angle, --max-angle and --source select them from it.

    skip       frames of each sensor passed over first (their points are not
               decoded)
    count      frames wanted of each sensor after them; None: to the end)") +
              kPointArgumentsDoc + R"(
    source     the sensor whose frames alone are wanted: a Sensor, or its
               address ("10.0.0.2", the first sensor heard at it) or
               "ADDR:PORT"; None: every sensor's

Without source, every sensor's frames come in the order they end in the
file, each naming its sensor (frame.sensor); each sensor's frames are those
it alone gives, numbered from 1 after its skipped ones, as lidar-export
numbers them in that sensor's file. A source that is no sensor of the
capture raises ValueError; to know that, a capture not yet counted (len(),
sensors()) is counted first.

The capture is read once, front to back, and no further than the last frame
wanted; fewer frames than wanted end the loop early. A capture cut short
ends with a TruncatedCaptureWarning after its frames before the cut; a file
shortened while it is read raises CaptureError.)")
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
          py::arg("max_angle") = py::none(), py::arg("source") = py::none(),
          (std::string(R"(Receives live frames on the data port: returns a Listener to iterate.

    port       the data port; 0 lets the system choose (Listener.port says which)
    group      a multicast group to join as well, such as "224.1.1.1"
    timeout    seconds without a complete frame after which the loop raises
               Timeout; None: wait for ever
    frames     frames wanted of each sensor; None: until the loop stops)") +
           kPointArgumentsDoc + R"(
    source     the sensor whose frames alone are wanted, as for
               Capture.frames(): the first sensor heard that it names;
               None: every sensor's

The receiver starts at once and listen() returns once the port is bound;
it raises ReceiveError with the viewer's text when the port cannot be bound
(it is in use). Every sensor sending to the port is cut on its own: frames
come as they are completed, each naming its sensor and numbered from 1
among its sensor's frames; their time is when they were received. A
sensor's first frame starts at its first frame marker received. With
frames, the loop ends once every sensor heard has given them.)")
              .c_str());
}
