"""Frames of capture files: the values, order and numbers of lidar-export's
CSV rows of the same capture."""

import gc
import math
import warnings

import numpy as np
import pytest
import vantor

from conftest import (MARKER, assert_same_rows, cooked_frame, csv_rows, ethernet_frame,
                      export_csv, payloads_of, point_group, read_pcap, run_tool, write_pcap,
                      write_pcapng)

SELECTIONS = [
    ({}, []),
    ({"skip": 2, "count": 2}, ["--skip", "2", "--frames", "2"]),
    ({"channels": [0, 1, 2, 3, 64, 127], "min_angle": 0, "max_angle": 90},
     ["--channels", "0-3,64,127", "--min-angle", "0", "--max-angle", "90"]),
    ({"skip": 1, "count": 3, "channels": range(64), "min_angle": 270.5, "max_angle": 359.99},
     ["--skip", "1", "--frames", "3", "--channels", "0-63", "--min-angle", "270.5",
      "--max-angle", "359.99"]),
]


@pytest.mark.parametrize("arguments,options", SELECTIONS)
def test_frames_are_the_rows_of_the_csv_export(street, tmp_path, arguments, options):
    expected = export_csv(street, tmp_path / "street.csv", *options)
    frames = list(vantor.Capture(street).frames(**arguments))
    assert_same_rows(csv_rows(frames), expected)
    assert [f.number for f in frames] == list(range(1, len(frames) + 1))
    assert all((f.sensor, f.source) == ("10.0.0.7", "10.0.0.7:2370") for f in frames)


def test_points_hold_the_values_of_the_data_packets_bytes(tmp_path):
    groups = [point_group(9, 100, 256, 1), MARKER,
              bytes.fromhex("051194006400c8"),
              bytes.fromhex("0223280c800010"), MARKER]
    # Each group in a datagram of its own: the second frame ends in the fifth.
    records = [(1_700_000_000_000_000_000 + n * 1_000_000,
                ethernet_frame(payloads_of([g])[0])) for n, g in enumerate(groups)]
    path = write_pcap(tmp_path / "two-points.pcap", records)

    (frame,) = vantor.Capture(path).frames()
    assert frame.time_ns == records[4][0]
    assert frame.time == pytest.approx(records[4][0] / 1e9)
    p = frame.points
    assert p.dtype == vantor.POINT_DTYPE
    # Channel 2 before channel 5, whatever their order in the packets.
    assert list(p["channel"]) == [2, 5]
    assert list(p["intensity"]) == [16, 200]
    assert list(p["azimuth"]) == [np.float32(90), np.float32(45)]
    assert list(p["distance"]) == [np.float32(32), np.float32(1)]
    expected = [(0.0000407, 30.6822, -9.01589), (0.680559, 0.680558, -0.268080)]
    for row, xyz in zip(p, expected):
        for value, wanted in zip((row["x"], row["y"], row["z"]), xyz):
            assert math.isclose(value, wanted, rel_tol=2e-5, abs_tol=1e-7), (value, wanted)
    assert_same_rows(csv_rows([frame]), export_csv(path, tmp_path / "two-points.csv"))


def test_pcapng_with_cooked_headers_gives_the_same_frames_times_and_sensor(street, tmp_path):
    records = [(time, cooked_frame(frame)) for time, frame in read_pcap(street)]
    path = write_pcapng(tmp_path / "street.pcapng", records, link_type=113)

    pcap, pcapng = vantor.Capture(street), vantor.Capture(path)
    assert [str(s) for s in pcapng.sensors()] == ["10.0.0.7:2370"]
    pairs = list(zip(pcap.frames(), pcapng.frames(), strict=True))
    assert len(pairs) == len(pcap) == 6
    for a, b in pairs:
        assert (a.number, a.time_ns) == (b.number, b.time_ns)
        assert np.array_equal(a.points, b.points)
    assert_same_rows(csv_rows(f for _, f in pairs), export_csv(path, tmp_path / "ng.csv"))


def test_a_cut_capture_gives_its_frames_before_the_cut_then_warns(street, tmp_path):
    cut = tmp_path / "cut.pcap"
    whole = street.read_bytes()
    cut.write_bytes(whole[:-100])
    tool = run_tool("lidar-export", "--quiet", cut, tmp_path / "cut.csv")
    assert tool.returncode == 1
    rows = (tmp_path / "cut.csv").read_text().splitlines()[1:]

    with pytest.warns(vantor.TruncatedCaptureWarning) as warned:
        frames = list(vantor.Capture(cut).frames())
    assert len(frames) == 5
    assert_same_rows(csv_rows(frames), rows)
    (warning,) = warned
    # The tool's message is the same notice, then the frames it wrote.
    assert tool.stderr == f"lidar-export: {warning.message} 5 frames written.\n"

    # Wanted frames before the cut are read without a warning.
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        assert len(list(vantor.Capture(cut).frames(count=5))) == 5


def test_len_and_sensors_count_the_whole_frames_and_datagrams(street, tmp_path):
    capture = vantor.Capture(street)
    data_records = [f for _, f in read_pcap(street) if len(f) == 1248]
    frames = int(export_csv(street, tmp_path / "all.csv")[-1].split(",")[0])
    assert len(capture) == frames == 6
    (sensor,) = capture.sensors()
    assert (sensor.source, sensor.address, sensor.port) == ("10.0.0.7:2370", "10.0.0.7", 2370)
    assert (sensor.datagrams, sensor.frames) == (len(data_records), frames)

    # Its frames are taken by the sensor, its address, or its source; no other.
    for source in (sensor, "10.0.0.7", "10.0.0.7:2370"):
        assert len(list(capture.frames(count=1, source=source))) == 1
    with pytest.raises(ValueError, match="no sensor sends from 10.0.0.7:2368; the sensors heard: "
                                         "10.0.0.7$"):
        capture.frames(source="10.0.0.7:2368")


def test_a_frame_kept_after_the_loop_moved_on_is_unchanged(street):
    capture = vantor.Capture(street)
    frames = capture.frames()
    first = next(frames)
    kept = first.points
    copy = kept.copy()
    later = [f.points for f in frames]
    assert len(later) == 5
    del frames, capture, first
    gc.collect()
    assert np.array_equal(kept, copy)
    assert not any(np.shares_memory(kept, p) for p in later)
    kept["x"] += 1  # the user's own memory
    assert np.array_equal(kept["y"], copy["y"])
