"""Helpers of the vantor module's tests: the project's tools, capture files
written here from the published pcap and pcapng layouts, and the CSV rows of
frames."""

import os
import pathlib
import struct
import subprocess

import numpy as np
import pytest

BIN = pathlib.Path(os.environ["VANTOR_BIN_DIR"])

GROUPS_PER_PAYLOAD = 171
MARKER = bytes([0xFF, 0xAA, 0xBB, 0, 0, 0, 0])
# Carries no point; its second byte keeps a payload that starts with it data.
EMPTY_GROUP = bytes([0xFF, 0, 0, 0, 0, 0, 0])
CSV_HEADER = "FrameNumbers,Points_X,Points_Y,Points_Z,Laser_id,Azimuth,Distance,Intensity"


def run_tool(name, *args):
    """Runs build/bin/NAME; returns the finished process (text output)."""
    return subprocess.run([str(BIN / name), *map(str, args)], capture_output=True, text=True,
                          timeout=600)


def simulated_capture(path, frames, *options):
    """A capture of the simulator's street: `frames` revolutions at 0.8 degrees."""
    done = run_tool("sensor-sim", "--quiet", "--step", "0.8", "--frames", frames,
                    "--write-pcap", path, *options)
    assert done.returncode == 0, done.stderr
    return path


def export_csv(capture, out, *options):
    """lidar-export's CSV rows (without the header) of a capture."""
    done = run_tool("lidar-export", "--quiet", *options, capture, out)
    assert done.returncode == 0, done.stderr
    lines = pathlib.Path(out).read_text().splitlines()
    assert lines[0] == CSV_HEADER
    return lines[1:]


def csv_rows(frames):
    """The multi-frame CSV rows of frames, formatted as the C++ stream
    formats floats by default (%g: 6 significant digits)."""
    rows = []
    for frame in frames:
        p = frame.points
        text = {name: np.char.mod("%g", p[name].astype(np.float64))
                for name in ("x", "y", "z", "azimuth", "distance")}
        rows.extend(f"{frame.number},{x},{y},{z},{c},{a},{d},{i}" for x, y, z, c, a, d, i in zip(
            text["x"], text["y"], text["z"], p["channel"], text["azimuth"], text["distance"],
            p["intensity"]))
    return rows


def assert_same_rows(actual, expected):
    assert len(actual) == len(expected)
    for n, (a, e) in enumerate(zip(actual, expected)):
        assert a == e, f"row {n + 1}"


def point_group(channel, azimuth_raw, distance_raw, intensity):
    return struct.pack(">BH", channel, azimuth_raw) + distance_raw.to_bytes(3, "big") + \
        bytes([intensity])


def payloads_of(groups):
    """The groups packed into 1206-byte data payloads, the last filled with
    empty groups; the 9 trailer bytes are zero."""
    payloads = []
    for start in range(0, len(groups), GROUPS_PER_PAYLOAD):
        chunk = groups[start:start + GROUPS_PER_PAYLOAD]
        chunk += [EMPTY_GROUP] * (GROUPS_PER_PAYLOAD - len(chunk))
        payloads.append(b"".join(chunk) + bytes(9))
    return payloads


def ethernet_frame(payload, source=(10, 0, 0, 7), source_port=2368, destination_port=2368):
    """An untagged Ethernet II / IPv4 / UDP frame; checksums are left 0."""
    ip = struct.pack(">BBHHHBBH4B4B", 0x45, 0, 20 + 8 + len(payload), 1, 0, 64, 17, 0,
                     *source, 10, 0, 0, 1)
    udp = struct.pack(">HHHH", source_port, destination_port, 8 + len(payload), 0)
    return bytes(6 * [0xFF]) + bytes([2, 0, 0, 0, 0, 1]) + b"\x08\x00" + ip + udp + payload


def cooked_frame(ethernet):
    """The same datagram behind a Linux cooked (SLL) header instead."""
    sll = struct.pack(">HHH8sH", 0, 1, 6, ethernet[6:12] + b"\0\0", 0x0800)
    return sll + ethernet[14:]


def write_pcap(path, records, link_type=1):
    """records: (time in nanoseconds, frame bytes); microsecond stamps."""
    with open(path, "wb") as f:
        f.write(struct.pack("<IHHiIII", 0xA1B2C3D4, 2, 4, 0, 0, 65535, link_type))
        for time, frame in records:
            f.write(struct.pack("<IIII", time // 10**9, time % 10**9 // 1000, len(frame),
                                len(frame)))
            f.write(frame)
    return path


def read_pcap(path):
    """The (time in nanoseconds, frame bytes) of a microsecond pcap file."""
    data = pathlib.Path(path).read_bytes()
    assert struct.unpack_from("<I", data)[0] == 0xA1B2C3D4
    records, at = [], 24
    while at + 16 <= len(data):
        seconds, micros, length, _ = struct.unpack_from("<IIII", data, at)
        records.append((seconds * 10**9 + micros * 1000, data[at + 16:at + 16 + length]))
        at += 16 + length
    return records


def merge_captures(path, *inputs):
    """One capture of several sensors on one network, from the records of
    each input: each moved in time to begin where the first begins, as if
    all had been taken at once, then all in the order of their time."""
    merged = []
    for records in inputs:
        shift = inputs[0][0][0] - records[0][0]
        merged += [(time + shift, frame) for time, frame in records]
    # Stable: the first input's record first when two were taken at once.
    return write_pcap(path, sorted(merged, key=lambda record: record[0]))


def sent_from(records, address, port):
    """Ethernet records of IPv4/UDP datagrams with another source address and
    port."""
    source = bytes(address) + port.to_bytes(2, "big")
    return [(time, frame[:26] + source[:4] + frame[30:34] + source[4:] + frame[36:])
            for time, frame in records]


def write_pcapng(path, records, link_type):
    """One section, one interface (microsecond stamps), enhanced packet blocks."""
    def block(kind, body):
        length = 12 + len(body)
        return struct.pack("<II", kind, length) + body + struct.pack("<I", length)

    with open(path, "wb") as f:
        f.write(block(0x0A0D0D0A, struct.pack("<IHHq", 0x1A2B3C4D, 1, 0, -1)))
        f.write(block(1, struct.pack("<HHI", link_type, 0, 65535)))
        for time, frame in records:
            micros = time // 1000
            padded = frame + bytes(-len(frame) % 4)
            f.write(block(6, struct.pack("<IIIII", 0, micros >> 32, micros & 0xFFFFFFFF,
                                         len(frame), len(frame)) + padded))
    return path


def list_sensors(capture):
    """The lines of lidar-export --list-sensors of a capture."""
    done = run_tool("lidar-export", "--list-sensors", capture)
    assert done.returncode == 0, done.stderr
    return done.stdout.splitlines()


@pytest.fixture(scope="session")
def street(tmp_path_factory):
    """Six revolutions of the simulator's street, sent from 10.0.0.7:2370."""
    path = tmp_path_factory.mktemp("street") / "street.pcap"
    return simulated_capture(path, 6, "--source-ip", "10.0.0.7", "--port", "2370")
