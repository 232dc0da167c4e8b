// How lidar-export ends when it cannot finish: a full disk, a signal at any
// moment, a run without frames. Whatever happens, a file under its final
// name is whole; anything else is gone or keeps its .part name.

#include "ToolRunner.h"
#include "support/TestPackets.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>

using namespace ToolRunner;

namespace {

const char* const kFormats[] = {"csv", "pcd", "ply", "las", "mcap"};
const QByteArray kMcapMagic("\x89MCAP0\r\n", 8);

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList filesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

// What OUTPUT is given for a format: one file, or the stem of per-frame files.
QString outputIn(const QString& dir, const QString& format) {
    return dir + (format == "csv" || format == "mcap" ? "/out." + format : "/out");
}

// Frame `n`'s file of a per-frame format.
QString frameFile(const QString& format, int n) {
    return QStringLiteral("out_%1.%2").arg(n, 6, 10, QLatin1Char('0')).arg(format);
}

std::uint64_t le64(const QByteArray& bytes, int at) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) {
        v = v << 8 | static_cast<std::uint8_t>(bytes[at + i]);
    }
    return v;
}

// The message count of a finished MCAP file, from the statistics record
// (opcode 0x0B) of its summary, which the footer (opcode 0x02, before the
// closing magic) points at; -1 when the file is not finished.
long long mcapMessageCount(const QByteArray& file) {
    const int footer = file.size() - 8 - 29;
    if (footer < 8 || !file.startsWith(kMcapMagic) || !file.endsWith(kMcapMagic) ||
        file[footer] != '\x02') {
        return -1;
    }
    auto at = static_cast<long long>(le64(file, footer + 9));
    while (at > 0 && at + 9 <= footer) {
        const auto length = static_cast<long long>(le64(file, static_cast<int>(at) + 1));
        if (file[static_cast<int>(at)] == '\x0B') {
            return static_cast<long long>(le64(file, static_cast<int>(at) + 9));
        }
        at += 9 + length;
    }
    return -1;
}

class LidarExportEnding : public ::testing::TestWithParam<const char*> {
protected:
    QString format() const { return QString::fromLatin1(GetParam()); }
    // Every frame of the capture, or the first `frames`, into `dir`.
    QStringList exportArguments(const QString& dir, const QString& capture, int frames) const {
        return {"--quiet",
                "--format",
                format(),
                "--frames",
                QString::number(frames),
                capture,
                outputIn(dir, format())};
    }
    // The files an export left, byte for byte as in `reference`.
    void expectAsIn(const QString& folder, const QStringList& files, const QString& reference) {
        for (const QString& f : files) {
            EXPECT_TRUE(readFile(folder + "/" + f) == readFile(reference + "/" + f))
                << f.toStdString();
        }
    }

    QTemporaryDir dir;
};

} // namespace

TEST_P(LidarExportEnding, AFullDiskEndsTheExportWithTheReasonAndNoFileThatLooksWhole) {
    // Frames of the simulator's street at 1 degree, 36,130 points each: a
    // CSV frame of about 1.5 MB, a PCD or PLY file of 614 kB, a LAS file
    // and an MCAP message of 1 MB. Six do not fit into 2 MB in any format.
    const QString capture = dir.filePath("street.pcap");
    const StreetCapture street(capture, 100, 6);
    const int frames = static_cast<int>(street.frames.size());
    // Whole files to compare with, from a disk with room.
    const QString roomy = dir.filePath("roomy");
    ASSERT_TRUE(QDir().mkpath(roomy));
    const Result whole = run("lidar-export", exportArguments(roomy, capture, frames));
    ASSERT_EQ(whole.exitCode, 0) << whole.err.constData();

    // A file system of 2 MB of its own, in a mount namespace of the tool's
    // own; what is left on it is copied out for the test to see.
    const QString full = dir.filePath("full");
    const QString left = dir.filePath("left");
    ASSERT_TRUE(QDir().mkpath(full) && QDir().mkpath(left));
    QProcess tool;
    tool.start("unshare",
               QStringList{"-m", "sh", "-c",
                           "full=$1; left=$2; shift 2; "
                           "mount -t tmpfs -o size=2m tmpfs \"$full\" || exit 77; "
                           "\"$@\"; status=$?; cp -a \"$full/.\" \"$left/\" && exit $status",
                           "sh", full, left, binary("lidar-export")} +
                   exportArguments(full, capture, frames));
    ASSERT_TRUE(tool.waitForFinished(90000));
    const QByteArray err = tool.readAllStandardError();
    if (tool.exitCode() == 77 || (tool.exitCode() != 0 && err.startsWith("unshare:"))) {
        GTEST_SKIP() << "no mount namespace with a file system of its own here: "
                     << err.constData();
    }
    EXPECT_EQ(tool.exitCode(), 1) << err.constData();
    EXPECT_EQ(err.count('\n'), 1) << err.constData();
    EXPECT_TRUE(err.startsWith("lidar-export: cannot write " + full.toUtf8() + "/out"))
        << err.constData();
    EXPECT_TRUE(err.endsWith(": No space left on device\n")) << err.constData();

    // One file, or the frames' files before the one that did not fit, each
    // as a disk with room has it; no part file.
    const QStringList files = filesIn(left);
    if (format() == "csv" || format() == "mcap") {
        EXPECT_EQ(files, QStringList()) << format().toStdString();
    } else {
        EXPECT_FALSE(files.isEmpty());
        EXPECT_LT(files.size(), frames) << files.join(' ').toStdString();
        for (int n = 1; n <= files.size(); ++n) {
            EXPECT_EQ(files[n - 1], frameFile(format(), n));
        }
        expectAsIn(left, files, roomy);
    }
}

TEST_P(LidarExportEnding, ARunWithoutAFrameLeavesNothing) {
    // A capture without a whole frame: points, but a single marker.
    TestPackets single;
    single.points(0, 10);
    single.marker();
    single.points(10, 10);
    const QString oneMarker = dir.filePath("one-marker.pcap");
    {
        TestCaptureWriter writer(oneMarker.toStdString(), {});
        for (const auto& p : single.finish()) {
            writer.writePayload(p.data());
        }
    }
    const QString out = outputIn(dir.path(), format());
    Result r = run("lidar-export", {"--format", format(), oneMarker, out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("0 frames written")) << r.err.constData();

    // Live data that never comes.
    r = run("lidar-export", {"--format", format(), "--listen", QString::number(freeUdpPort()),
                             "--frames", "2", "--timeout", "0.5", out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("0 of 2 frames written")) << r.err.constData();
    EXPECT_EQ(filesIn(dir.path()), QStringList{"one-marker.pcap"});
}

TEST_P(LidarExportEnding, ASignalAtAnyMomentLeavesOnlyWholeFilesUnderTheirNames) {
    // 60 frames at 5 degrees, 9,216 points each.
    const QString capture = dir.filePath("street.pcap");
    const StreetCapture street(capture, 500, 60);
    const int frames = static_cast<int>(street.frames.size());
    const MuchLidarData& frame = street.frames.front();
    ASSERT_EQ(std::count(street.frames.begin(), street.frames.end(), frame), frames);
    const QString reference = dir.filePath("reference");
    ASSERT_TRUE(QDir().mkpath(reference));
    const Result whole = run("lidar-export", exportArguments(reference, capture, frames));
    ASSERT_EQ(whole.exitCode, 0) << whole.err.constData();
    const QStringList referenceFiles = filesIn(reference);
    if (format() == "csv") {
        ASSERT_TRUE(readFile(reference + "/out.csv") == expectedCsv(frame, frames));
    }
    qint64 total = 0;
    for (const QString& f : referenceFiles) {
        total += QFileInfo(reference + "/" + f).size();
    }

    for (const int signal : {SIGINT, SIGTERM, SIGKILL}) {
        const QString name = signal == SIGINT    ? QStringLiteral("SIGINT")
                             : signal == SIGTERM ? QStringLiteral("SIGTERM")
                                                 : QStringLiteral("SIGKILL");
        SCOPED_TRACE(name.toStdString());
        const QString out = dir.filePath(name);
        ASSERT_TRUE(QDir().mkpath(out));
        const auto writtenSoFar = [&] {
            qint64 size = 0;
            for (const QString& f : filesIn(out)) {
                size += QFileInfo(out + "/" + f).size();
            }
            return size;
        };
        // The signal once a random share of the output is on disk: the
        // tool may also have finished meanwhile, which must leave whole
        // files as well.
        const qint64 share = total * QRandomGenerator::global()->bounded(5, 90) / 100;
        QProcess tool;
        start(tool, "lidar-export", exportArguments(out, capture, frames));
        while (writtenSoFar() < share && !tool.waitForFinished(1)) {
        }
        signalIfRunning(tool, signal);
        ASSERT_TRUE(tool.waitForFinished(60000));
        const QByteArray err = tool.readAllStandardError();
        const QStringList files = filesIn(out);
        QStringList named;
        for (const QString& f : files) {
            if (!f.endsWith(".part")) {
                named << f;
            }
        }
        // Under its name a file is exactly the whole one.
        expectAsIn(out, named, reference);

        if (tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0) {
            // Finished before the signal counted.
            EXPECT_EQ(files, referenceFiles);
        } else if (tool.exitStatus() == QProcess::CrashExit) {
            // Only SIGKILL ends it at once; the others only once it has
            // finished and no longer listens.
            if (signal != SIGKILL) {
                EXPECT_EQ(files, referenceFiles);
            } else if (format() == "csv" && files == QStringList{"out.csv.part"}) {
                EXPECT_TRUE(expectedCsv(frame, frames).startsWith(readFile(out + "/" + files[0])));
            }
        } else {
            // Stopped at the next frame, saying how many are where.
            EXPECT_EQ(tool.exitCode(), 128 + signal);
            const QRegularExpressionMatch m =
                QRegularExpression(QStringLiteral("^lidar-export: interrupted by %1: (\\d+) of %2 "
                                                  "frames written to (.*)\\n$")
                                       .arg(name)
                                       .arg(frames))
                    .match(QString::fromUtf8(err));
            if (!m.hasMatch()) {
                EXPECT_EQ(err, "lidar-export: interrupted by " + name.toUtf8() +
                                   " before any frame was written\n");
                EXPECT_EQ(files, QStringList());
            } else if (format() == "csv" || format() == "mcap") {
                const int written = m.captured(1).toInt();
                const QString part = "out." + format() + ".part";
                EXPECT_EQ(m.captured(2), out + "/" + part);
                ASSERT_EQ(files, QStringList{part});
                const QByteArray bytes = readFile(out + "/" + part);
                // Every frame written whole; the MCAP file finished with them.
                if (format() == "csv") {
                    EXPECT_TRUE(bytes == expectedCsv(frame, written));
                } else {
                    EXPECT_EQ(mcapMessageCount(bytes), written);
                }
            } else {
                const int written = m.captured(1).toInt();
                EXPECT_TRUE(m.captured(2).endsWith(frameFile(format(), written)))
                    << err.constData();
                EXPECT_EQ(files, referenceFiles.mid(0, written));
            }
        }
        QDir(out).removeRecursively();
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, LidarExportEnding, ::testing::ValuesIn(kFormats),
                         [](const ::testing::TestParamInfo<const char*>& param) {
                             return std::string(param.param);
                         });

TEST(LidarExportStopped, CtrlCBetweenLiveFramesSaysHowManyAndWhereTheyAre) {
    // A small frame and its closing marker, sent again and again until two
    // are in the file: the first marker it receives starts the first frame.
    TestPackets packets;
    packets.points(0, 300);
    packets.marker();
    const std::vector<DataPacketWriter::Payload>& payloads = packets.finish();
    FrameCutter cutter;
    MuchLidarData frame;
    for (int twice = 0; twice < 2; ++twice) {
        for (const auto& p : payloads) {
            cutter.feed(p.data(), [&](const MuchLidarData& f) { frame = f; });
        }
    }
    ASSERT_EQ(frame.size(), 300u);

    QTemporaryDir dir;
    const QString out = dir.filePath("live.csv");
    const int port = freeUdpPort();
    QProcess tool;
    start(tool, "lidar-export",
          {"--listen", QString::number(port), "--frames", "1000", "--timeout", "60", out});
    UdpSocket sender;
    ASSERT_TRUE(sender.bindAny(0));
    const qint64 twoFrames = expectedCsv(frame, 2).size();
    const QString part = out + ".part";
    QElapsedTimer sending;
    sending.start();
    while (QFileInfo(part).size() < twoFrames && sending.elapsed() < 60000 &&
           !tool.waitForFinished(5)) {
        for (const auto& p : payloads) {
            sender.sendTo("127.0.0.1", static_cast<std::uint16_t>(port), p.data(), p.size());
        }
    }
    signalIfRunning(tool, SIGINT);
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tool.exitCode(), 130);
    const QByteArray err = tool.readAllStandardError();
    const QRegularExpressionMatch m =
        QRegularExpression("^lidar-export: interrupted by SIGINT: (\\d+) of 1000 frames written to "
                           "(.*)\\n$")
            .match(QString::fromUtf8(err));
    ASSERT_TRUE(m.hasMatch()) << err.constData();
    const int written = m.captured(1).toInt();
    EXPECT_GE(written, 2);
    EXPECT_EQ(m.captured(2), part);
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_TRUE(readFile(part) == expectedCsv(frame, written));
}
