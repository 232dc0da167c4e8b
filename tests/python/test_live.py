"""Live frames from the viewer's receiver, sent by sensor-sim on loopback
(inside the test suite's network namespace)."""

import signal
import socket
import subprocess
import sys
import time

import numpy as np
import pytest
import vantor

from conftest import BIN, run_tool, simulated_capture


@pytest.fixture
def simulator():
    """Starts sensor-sim sending to a port until the test ends."""
    started = []

    def start(port, *options):
        started.append(subprocess.Popen(
            [str(BIN / "sensor-sim"), "--quiet", "--step", "0.8", "--rate", "10",
             "--port", str(port), *options], stdout=subprocess.DEVNULL))

    yield start
    for process in started:
        process.kill()
        process.wait()


def test_live_frames_are_the_frames_of_the_simulators_capture(simulator, tmp_path):
    # The simulator sends the same revolution every time.
    capture = vantor.Capture(simulated_capture(tmp_path / "street.pcap", 2))
    selection = {"channels": range(32, 96), "min_angle": 30, "max_angle": 300}
    (expected,) = capture.frames(count=1, **selection)

    with vantor.listen(0, timeout=60, frames=3, **selection) as frames:
        simulator(frames.port)
        received = list(frames)
    assert [f.number for f in received] == [1, 2, 3]
    for frame in received:
        assert np.array_equal(frame.points, expected.points)
        assert frame.sensor == "127.0.0.1"
    assert received[0].time <= received[1].time <= received[2].time


def test_two_sensors_on_one_port_are_cut_apart_and_one_is_taken_by_source(simulator, tmp_path):
    # Each simulator sends the same revolution every time.
    options = {"127.0.0.2": [], "127.0.0.3": ["--rate", "20", "--step", "1.6"]}
    expected = {}
    for sensor, extra in options.items():
        capture = vantor.Capture(simulated_capture(tmp_path / f"{sensor}.pcap", 2, *extra))
        (expected[sensor],) = capture.frames(count=1)

    # Until both send: a sensor not heard yet is not waited for.
    with vantor.listen(0, timeout=60) as frames:
        for sensor, extra in options.items():
            simulator(frames.port, "--source-ip", sensor, *extra)
        heard = set()
        for frame in frames:
            heard.add(frame.sensor)
            if heard == set(options):
                break
        port = frames.port

    with vantor.listen(port, timeout=60, frames=3) as frames:
        received = list(frames)
    # Three of each, each numbered among its sensor's frames.
    for sensor in options:
        own = [f for f in received if f.sensor == sensor]
        assert [f.number for f in own] == [1, 2, 3]
        for frame in own:
            assert np.array_equal(frame.points, expected[sensor].points)
    assert len(received) == 6

    with vantor.listen(port, timeout=60, frames=2, source="127.0.0.3") as frames:
        received = list(frames)
    assert [(f.sensor, f.number) for f in received] == [("127.0.0.3", 1), ("127.0.0.3", 2)]

    # A source that does not send: the time-out says so, as lidar-export's does.
    with pytest.raises(vantor.Timeout) as raised:
        list(vantor.listen(port, timeout=2, frames=1, source="127.0.0.9"))
    tool = run_tool("lidar-export", "--listen", port, "--timeout", 2, "--frames", 1,
                    "--source", "127.0.0.9", "-")
    assert tool.returncode == 1
    ours = str(raised.value).split("; ", 1)
    theirs = tool.stderr.rstrip("\n").split("; ", 1)
    assert ours[0] == f"no complete frame within 2 s on port {port} (0 of 1 frames received)"
    # The senders heard within the time-out, first heard first.
    for text in (ours[1], theirs[1]):
        assert text.startswith("no sensor sends from 127.0.0.9; the sensors heard: ")
        heard = text.split(": ")[1].split(", ")
        assert len(set(heard)) == len(heard) > 0 and set(heard) <= set(options)


def test_a_port_in_use_raises_the_receivers_text():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as taken:
        taken.bind(("0.0.0.0", 0))
        port = taken.getsockname()[1]
        with pytest.raises(vantor.ReceiveError) as raised:
            vantor.listen(port)
        tool = run_tool("lidar-export", "--listen", port, "--frames", "1", "-")
    assert tool.returncode == 1
    assert str(raised.value) == f"Data Port:{port} : Bind Error"
    assert tool.stderr == f"lidar-export: {raised.value}\n"


def test_no_frame_within_the_timeout_raises_timeout():
    frames = vantor.listen(0, timeout=0.5, frames=2)
    with pytest.raises(vantor.Timeout) as raised:
        next(frames)
    assert isinstance(raised.value, TimeoutError)
    assert str(raised.value) == (
        f"no complete frame within 0.5 s on port {frames.port} (0 of 2 frames received)")
    # The receiver has stopped: the port is free again.
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as again:
        again.bind(("0.0.0.0", frames.port))


def wait_until_asleep(pid):
    """Waits until the main thread of a process sleeps: after it has printed,
    for the child below, that is in the wait for a frame."""
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline:
        with open(f"/proc/{pid}/task/{pid}/stat") as stat:
            if stat.read().rsplit(")", 1)[1].split()[0] == "S":
                return
        time.sleep(0.01)
    pytest.fail("the loop never waited")


def test_ctrl_c_stops_a_loop_that_waits_for_frames():
    script = ("import vantor\n"
              "frames = vantor.listen(0)\n"
              "print('waiting', flush=True)\n"
              "for frame in frames:\n"
              "    pass\n")
    process = subprocess.Popen([sys.executable, "-c", script], stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, text=True)
    try:
        assert process.stdout.readline() == "waiting\n"
        wait_until_asleep(process.pid)
        process.send_signal(signal.SIGINT)
        _, errors = process.communicate(timeout=60)
    finally:
        process.kill()
    assert process.returncode != 0
    assert errors.rstrip().endswith("KeyboardInterrupt")
