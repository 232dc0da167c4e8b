"""Failures reach Python as exceptions with the tools' own texts."""

import os

import pytest
import vantor

from conftest import MARKER, ethernet_frame, payloads_of, point_group, run_tool, write_pcap


def tool_failure(capture, out):
    """lidar-export's one-line failure for a capture, without its prefix."""
    done = run_tool("lidar-export", capture, out)
    assert done.returncode == 1
    assert done.stderr.startswith("lidar-export: ") and done.stderr.endswith("\n")
    return done.stderr[len("lidar-export: "):-1]


def not_a_capture(path):
    path.write_text("Points_X,Points_Y,Points_Z\n1,2,3\n")


def no_data_packet(path):
    write_pcap(path, [(0, bytes(42))])


def missing(path):
    pass


@pytest.mark.parametrize("make", [not_a_capture, no_data_packet, missing])
def test_a_file_that_gives_no_frames_raises_the_tools_text(tmp_path, make):
    path = tmp_path / "input.pcap"
    make(path)
    with pytest.raises(vantor.CaptureError) as raised:
        vantor.Capture(path)
    assert str(raised.value) == tool_failure(path, tmp_path / "out.csv")
    assert isinstance(raised.value, vantor.Error)


def test_a_capture_shortened_while_open_raises_the_players_notice(tmp_path):
    groups = []
    for f in range(200):
        groups += [point_group(c % 128, (f + c) % 36000, 5000 + c, c % 256) for c in range(1000)]
        groups.append(MARKER)
    payloads = payloads_of(groups)
    path = write_pcap(tmp_path / "shortened.pcap",
                      [(n * 10**6, ethernet_frame(p)) for n, p in enumerate(payloads)])
    frames = vantor.Capture(path).frames()
    assert len(next(frames)) == 1000

    # Far beyond what is read ahead of the loop: inside the record of
    # data packet `lost` (records of 16 + 1248 bytes after the 24-byte header).
    lost = 1000
    cut = 24 + 1264 * lost + 600
    os.truncate(path, cut)
    with pytest.raises(vantor.CaptureError) as raised:
        for _ in frames:
            pass
    markers = sum(p[g:g + 3] == MARKER[:3] for p in payloads[:lost] for g in range(0, 1197, 7))
    assert str(raised.value) == (
        f"{path}: the capture file was shortened while it was open: its byte {cut}, "
        f"in frame {markers} (data packet {lost}), can no longer be read.")
    # The loop has ended.
    assert list(frames) == []


@pytest.mark.parametrize("arguments,message", [
    ({"channels": [0, 128]}, "channel 128 is not one of 0 to 127"),
    ({"channels": []}, "empty channel list"),
    ({"min_angle": 90, "max_angle": 45}, "min_angle is above max_angle"),
    ({"skip": -1}, "skip needs a count of 0 or more, not -1"),
    ({"count": 0}, "count needs 1 or more, not 0"),
])
def test_arguments_out_of_range_are_refused_before_reading(tmp_path, arguments, message):
    path = write_pcap(tmp_path / "one.pcap", [(0, ethernet_frame(payloads_of([MARKER])[0]))])
    with pytest.raises(ValueError, match=message):
        vantor.Capture(path).frames(**arguments)
