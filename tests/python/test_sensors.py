"""Captures of several sensors: each sensor's frames are those lidar-export
writes of it, with or without --source, and the sensors those it lists."""

import numpy as np
import pytest
import vantor

from conftest import (CSV_HEADER, assert_same_rows, csv_rows, export_csv, list_sensors, merge_captures,
                      read_pcap, run_tool, sent_from, simulated_capture)

# Each sensor's frames as lidar-export --skip, --frames and --channels pick them.
SELECTIONS = [
    ({}, []),
    ({"skip": 1, "count": 2, "channels": range(32, 96), "min_angle": 10, "max_angle": 200},
     ["--skip", "1", "--frames", "2", "--channels", "32-95", "--min-angle", "10",
      "--max-angle", "200"]),
]


def export_per_sensor(capture, out, *options):
    """lidar-export's CSV files of a capture of several sensors, one per
    sensor: their rows (without the header) by file name."""
    done = run_tool("lidar-export", "--quiet", *options, capture, out)
    assert done.returncode == 0, done.stderr
    files = {}
    for path in out.parent.glob(out.stem + "_*" + out.suffix):
        lines = path.read_text().splitlines()
        assert lines[0] == CSV_HEADER
        files[path.name] = lines[1:]
    return files


@pytest.fixture(scope="session")
def alone(tmp_path_factory):
    """Two sensors' captures, each alone: 10.0.0.2 at 10 Hz and 0.8 degrees,
    10.0.0.3 at 20 Hz and 1.6 degrees."""
    folder = tmp_path_factory.mktemp("alone")
    return {
        "10.0.0.2": simulated_capture(folder / "a.pcap", 4, "--source-ip", "10.0.0.2"),
        "10.0.0.3": simulated_capture(folder / "b.pcap", 7, "--source-ip", "10.0.0.3",
                                      "--rate", "20", "--step", "1.6"),
    }


@pytest.fixture(scope="session")
def two_sensors(tmp_path_factory, alone):
    """Both sensors in one capture, their datagrams interleaved."""
    path = tmp_path_factory.mktemp("two") / "two.pcap"
    return merge_captures(path, read_pcap(alone["10.0.0.2"]), read_pcap(alone["10.0.0.3"]))


@pytest.mark.parametrize("arguments,options", SELECTIONS)
def test_each_sensors_frames_are_those_lidar_export_writes_of_it(two_sensors, alone, tmp_path,
                                                                arguments, options):
    capture = vantor.Capture(two_sensors)
    frames = list(capture.frames(**arguments))
    # File order: as each frame ends, whichever sensor's.
    assert [f.time_ns for f in frames] == sorted(f.time_ns for f in frames)

    files = export_per_sensor(two_sensors, tmp_path / "out.csv", *options)
    assert set(files) == {"out_10.0.0.2.csv", "out_10.0.0.3.csv"}
    for sensor in ("10.0.0.2", "10.0.0.3"):
        own = [f for f in frames if f.sensor == sensor]
        assert {f.source for f in own} == {sensor + ":2368"}
        rows = files[f"out_{sensor}.csv"]
        assert_same_rows(csv_rows(own), rows)
        chosen = list(capture.frames(source=sensor, **arguments))
        assert_same_rows(csv_rows(chosen),
                         export_csv(two_sensors, tmp_path / f"{sensor}.csv", "--source", sensor,
                                    *options))
        assert_same_rows(csv_rows(chosen), rows)
        # What the sensor alone gives.
        single = list(vantor.Capture(alone[sensor]).frames(**arguments))
        assert len(single) == len(own) > 0
        for a, b in zip(own, single):
            assert a.number == b.number
            assert np.array_equal(a.points, b.points)


def test_sensors_are_those_lidar_export_lists(two_sensors):
    capture = vantor.Capture(two_sensors)
    listed = [f"{s.source}  {s.datagrams} datagrams  {s.frames} frames" for s in capture.sensors()]
    assert listed == list_sensors(two_sensors)
    assert [(s.address, s.port) for s in capture.sensors()] == [("10.0.0.2", 2368),
                                                                 ("10.0.0.3", 2368)]
    assert len(capture) == sum(s.frames for s in capture.sensors()) == 4 + 7

    # A sensor is taken by itself, its address or its source.
    second = capture.sensors()[1]
    for source in (second, "10.0.0.3", "10.0.0.3:2368"):
        assert {f.source for f in capture.frames(source=source)} == {"10.0.0.3:2368"}


@pytest.mark.parametrize("source", ["10.0.0.9", "10.0.0.3:2369"])
def test_a_source_that_sends_nothing_raises_the_tools_text(two_sensors, tmp_path, source):
    tool = run_tool("lidar-export", "--quiet", "--source", source, two_sensors,
                    tmp_path / "out.csv")
    assert tool.returncode == 1
    with pytest.raises(ValueError) as raised:
        vantor.Capture(two_sensors).frames(source=source)
    assert tool.stderr == f"lidar-export: {raised.value}\n"
    for typo in ("10.0.0", "10.0.0.3:0", 3):
        with pytest.raises(ValueError, match="source needs a Sensor or an address"):
            vantor.Capture(two_sensors).frames(source=typo)


def test_an_address_of_two_sensors_takes_the_first_heard_as_lidar_export(alone, tmp_path):
    # Both sensors send from 10.0.0.2, the second from another port.
    path = merge_captures(tmp_path / "shared.pcap", read_pcap(alone["10.0.0.2"]),
                          sent_from(read_pcap(alone["10.0.0.3"]), (10, 0, 0, 2), 2369))
    capture = vantor.Capture(path)
    assert [s.source for s in capture.sensors()] == ["10.0.0.2:2368", "10.0.0.2:2369"]

    frames = list(capture.frames())
    assert {f.sensor for f in frames} == {"10.0.0.2"}
    files = export_per_sensor(path, tmp_path / "out.csv")
    for port in (2368, 2369):
        own = [f for f in frames if f.source == f"10.0.0.2:{port}"]
        assert_same_rows(csv_rows(own), files[f"out_10.0.0.2_{port}.csv"])

    first = list(capture.frames(source="10.0.0.2"))
    assert {f.source for f in first} == {capture.sensors()[0].source}
    assert_same_rows(csv_rows(first),
                     export_csv(path, tmp_path / "first.csv", "--source", "10.0.0.2"))
