#include "ToolRunner.h"
#include "support/TestCaptureWriter.h"
#include "support/TestPackets.h"
#include "tools/export/ProgressLine.h"

#include "capture/CaptureFile.h"
#include "lidar/FramePoint.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <pcl/io/pcd_io.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace ToolRunner;

namespace {

using Format = TestCaptureWriter::Format;
using Link = TestCaptureWriter::Link;

// Points before the first marker, five frames, and points after the last
// marker: only the five frames are whole.
const std::vector<int> kFrameSizes = {100, 200, 300, 400, 500};

std::vector<DataPacketWriter::Payload> samplePayloads() {
    TestPackets t;
    int next = 0;
    t.points(next, 300);
    next += 300;
    t.marker();
    for (int size : kFrameSizes) {
        t.points(next, size);
        next += size;
        t.marker();
    }
    t.points(next, 50);
    return t.finish();
}

// The frames a receiver cuts from the payloads.
std::vector<MuchLidarData> framesOf(const std::vector<DataPacketWriter::Payload>& payloads) {
    FrameCutter cutter;
    std::vector<MuchLidarData> frames;
    for (const auto& p : payloads) {
        cutter.feed(p.data(), [&](const MuchLidarData& f) { frames.push_back(f); });
    }
    return frames;
}

QByteArray csvOf(const std::vector<MuchLidarData>& frames, const CsvExportFilter& filter = {}) {
    const ChannelGeometry geometry;
    CsvRowWriter writer(geometry, CsvRowWriter::Layout::MultiFrame);
    std::string text;
    writer.appendHeader(text);
    int n = 0;
    for (const MuchLidarData& frame : frames) {
        writer.appendFrame(text, frame, filter, ++n);
    }
    return QByteArray::fromStdString(text);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(path);
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class LidarExportCapture : public ::testing::Test {
protected:
    void SetUp() override {
        payloads = samplePayloads();
        frames = framesOf(payloads);
        ASSERT_EQ(frames.size(), kFrameSizes.size());
        for (std::size_t f = 0; f < frames.size(); ++f) {
            ASSERT_EQ(frames[f].size(), static_cast<std::size_t>(kFrameSizes[f]));
        }
        capture = path("sample.pcap");
        write(capture, {});
    }

    QString path(const char* name) const { return dir.path() + "/" + name; }
    void write(const QString& file, const TestCaptureWriter::Options& options) {
        TestCaptureWriter writer(file.toStdString(), options);
        for (const auto& p : payloads) {
            writer.writePayload(p.data());
        }
        writer.close();
        ASSERT_TRUE(writer.ok());
    }
    std::vector<MuchLidarData> framesFrom(std::size_t first, std::size_t count) const {
        return {frames.begin() + static_cast<std::ptrdiff_t>(first),
                frames.begin() + static_cast<std::ptrdiff_t>(first + count)};
    }
    static void expectOneLineError(const Result& r, const QString& contains) {
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.constData();
        EXPECT_TRUE(r.err.startsWith("lidar-export: ")) << r.err.constData();
        EXPECT_TRUE(r.err.contains(contains.toUtf8())) << r.err.constData();
    }

    QTemporaryDir dir;
    std::vector<DataPacketWriter::Payload> payloads;
    std::vector<MuchLidarData> frames;
    QString capture;
};

} // namespace

TEST_F(LidarExportCapture, WritesEveryWholeFrameAndNothingBeforeTheFirstMarkerOrAfterTheLast) {
    const QString out = path("all.csv");
    const Result r = run("lidar-export", {capture, out});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(r.err, "lidar-export: wrote 5 frames, 1500 points, to " + out.toUtf8() + "\n");
    EXPECT_TRUE(readFile(out) == csvOf(frames));
}

TEST_F(LidarExportCapture, SkipsAndCountsFramesAndFiltersLikeLiveExport) {
    Result r = run("lidar-export", {"--skip", "1", "--frames", "2", capture, path("two.csv")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(readFile(path("two.csv")) == csvOf(framesFrom(1, 2)));

    // Point i of the sample lies on channel i % 128 at azimuth i / 100 degrees.
    r = run("lidar-export", {"--channels", "3-40", "--min-angle", "12", "--max-angle", "14",
                             "--skip", "3", "--quiet", capture, "-"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
    CsvExportFilter filter;
    filter.channels.fill(false);
    for (int c = 3; c <= 40; ++c) {
        filter.channels[c] = true;
    }
    filter.minAngle = 12;
    filter.maxAngle = 14;
    const QByteArray expected = csvOf(framesFrom(3, 2), filter);
    EXPECT_GT(expected.count('\n'), 20);
    EXPECT_LT(expected.count('\n'), 200);
    EXPECT_TRUE(r.out == expected);
}

TEST_F(LidarExportCapture, PcapngAndCookedCapturesGiveTheSameRows) {
    const QString ng = path("sll2.pcapng");
    write(ng, {Format::Pcapng, Link::Sll2, true, false});
    const QString vlan = path("vlan-ns.pcap");
    write(vlan, {Format::PcapNanoseconds, Link::Vlan, false, false});
    for (const QString& file : {ng, vlan}) {
        const Result r = run("lidar-export", {"--quiet", file, "-"});
        ASSERT_EQ(r.exitCode, 0) << r.err.constData();
        EXPECT_TRUE(r.out == csvOf(frames)) << qPrintable(file);
    }
}

TEST_F(LidarExportCapture, UnreadableOrMalformedCapturesFailWithOneLine) {
    // An existing output stays as it was when the capture cannot be read.
    const QString out = path("kept.csv");
    writeFile(out, "earlier results\n");
    expectOneLineError(run("lidar-export", {path("missing.pcap"), out}), path("missing.pcap"));
    EXPECT_EQ(readFile(out), "earlier results\n");

    writeFile(path("notes.pcap"), "some notes, not a capture\n");
    expectOneLineError(run("lidar-export", {path("notes.pcap"), out}), "not a capture");
    EXPECT_EQ(readFile(out), "earlier results\n");

    // Packets, but a single marker: no whole frame.
    TestPackets single;
    single.points(0, 10);
    single.marker();
    single.points(10, 10);
    {
        TestCaptureWriter writer(path("one-marker.pcap").toStdString(), {});
        for (const auto& p : single.finish()) {
            writer.writePayload(p.data());
        }
    }
    expectOneLineError(run("lidar-export", {path("one-marker.pcap"), path("none.csv")}),
                       "0 frames written");
}

TEST_F(LidarExportCapture, ACaptureCutShortGivesTheFramesBeforeTheCutAndFails) {
    const QByteArray whole = readFile(capture);
    writeFile(path("cut.pcap"), whole.left(whole.size() - 100));
    // The last record held the last marker.
    const int cutAt = 24 + static_cast<int>(payloads.size() - 1) * 1264;
    const Result r = run("lidar-export", {path("cut.pcap"), path("cut.csv")});
    expectOneLineError(r, QStringLiteral("truncated at byte %1").arg(cutAt));
    EXPECT_TRUE(r.err.contains("4 frames written")) << r.err.constData();
    EXPECT_TRUE(readFile(path("cut.csv")) == csvOf(framesFrom(0, 4)));
}

TEST_F(LidarExportCapture, StopsReadingOnceTheWantedFramesAreWritten) {
    // The cut after the wanted frames is never reached.
    const QByteArray whole = readFile(capture);
    writeFile(path("cut.pcap"), whole.left(whole.size() - 100));
    const Result r = run("lidar-export", {"--frames", "2", path("cut.pcap"), path("two.csv")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(readFile(path("two.csv")) == csvOf(framesFrom(0, 2)));
}

TEST_F(LidarExportCapture, ACaptureWithoutDataPacketsLeavesAnExistingOutputAlone) {
    const QString out = path("kept.csv");
    writeFile(out, "earlier results\n");
    {
        TestCaptureWriter writer(path("arp.pcap").toStdString(), {});
        writer.writeRecord(std::vector<std::uint8_t>(42, 0x06));
    }
    expectOneLineError(run("lidar-export", {path("arp.pcap"), out}), "no data packet");
    EXPECT_EQ(readFile(out), "earlier results\n");
}

TEST_F(LidarExportCapture, ACaptureShortenedDuringTheExportStopsItWithANotice) {
    // Far more CSV than a pipe holds: the tool waits on its output while the
    // capture is cut behind the part it has read.
    TestPackets many;
    for (int f = 0; f < 200; ++f) {
        many.points(0, 1000);
        many.marker();
    }
    payloads = many.finish();
    const QString file = path("shortened.pcap");
    write(file, {});
    const auto before = CaptureFile::open(file, nullptr);
    ASSERT_TRUE(before);
    const QString fifo = path("rows.csv");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    QProcess tool;
    start(tool, "lidar-export", {file, fifo});
    // Opens once the tool has indexed the capture and opened its output.
    const int rows = ::open(QFile::encodeName(fifo).constData(), O_RDONLY);
    ASSERT_GE(rows, 0);
    char buffer[1 << 16];
    ASSERT_GT(::read(rows, buffer, sizeof buffer), 0);
    const int lost = 1000;
    const qint64 cut = 24 + 1264 * lost + 600;
    ASSERT_TRUE(QFile::resize(file, cut));
    while (::read(rows, buffer, sizeof buffer) > 0) {
    }
    ::close(rows);
    ASSERT_TRUE(tool.waitForFinished(60000));

    Result r;
    r.exitCode = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    r.err = tool.readAllStandardError();
    expectOneLineError(r, before->shortenedNotice(static_cast<std::uint64_t>(cut), lost));
}

TEST_F(LidarExportCapture, FewerFramesThanWantedAreWrittenAndReported) {
    const Result r =
        run("lidar-export", {"--skip", "4", "--frames", "3", capture, path("short.csv")});
    expectOneLineError(r, "5 complete frames and 4 were skipped: 1 frames written of 3 wanted");
    EXPECT_TRUE(readFile(path("short.csv")) == csvOf(framesFrom(4, 1)));
}

TEST_F(LidarExportCapture, PerFrameFilesAreNamedFromTheOutputWithTheNumberOfTheWrittenFrame) {
    Result r = run("lidar-export",
                   {"--format", "pcd", "--skip", "2", "--frames", "2", capture, path("run.pcd")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(r.err, "lidar-export: wrote 2 frames, 700 points, to " +
                         path("run_000001.pcd").toUtf8() + " ... " +
                         path("run_000002.pcd").toUtf8() + "\n");
    for (int n = 1; n <= 2; ++n) {
        FramePointCloud read;
        const QString file = path("run_00000%1.pcd").arg(n);
        ASSERT_EQ(pcl::io::loadPCDFile(file.toStdString(), read), 0);
        EXPECT_EQ(read.size(), frames[n + 1].size());
    }
    EXPECT_FALSE(QFile::exists(path("run_000003.pcd")));

    // Another suffix stays in the name; frames the filters leave empty get
    // no file, which the closing line says.
    r = run("lidar-export",
            {"--format", "ply", "--min-angle", "3.5", "--max-angle", "4.5", capture, path("a.b")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(r.err, "lidar-export: wrote 5 frames, 101 points, to " +
                         path("a.b_000001.ply").toUtf8() + " ... " +
                         path("a.b_000002.ply").toUtf8() +
                         " (3 frames had no point to write and no file)\n");
}

TEST_F(LidarExportCapture, OneFrameIsOneFrameAndALasFileNamesTheToolThatWroteIt) {
    const Result version = run("lidar-export", {"--version"});
    const QByteArray program = version.out.left(version.out.indexOf('\n'));
    ASSERT_TRUE(program.startsWith("lidar-export ")) << version.out.constData();
    const Result r =
        run("lidar-export", {"--format", "las", "--frames", "1", capture, path("one")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(r.err, "lidar-export: wrote 1 frame, 100 points, to " +
                         path("one_000001.las").toUtf8() + "\n");
    // The public header block's generating software: 32 bytes from byte 58.
    EXPECT_EQ(readFile(path("one_000001.las")).mid(58, 32), program.leftJustified(32, '\0'));
}

TEST_F(LidarExportCapture, AFailedExportSaysWhyAndLeavesNoFileThatLooksWhole) {
    for (const char* format : {"mcap", "las"}) {
        expectOneLineError(run("lidar-export", {"--format", format, capture, path("none/out")}),
                           "cannot write " + path("none"));
    }
    // Files may grow to 8 KiB: the MCAP file fails at its end, the LAS files
    // at the third frame's (300 points of 28 bytes).
    for (const char* format : {"mcap", "las"}) {
        QProcess tool;
        tool.start("bash", {"-c", "trap '' XFSZ; ulimit -f 8; exec \"$0\" \"$@\"",
                            binary("lidar-export"), "--format", format, capture, path("big")});
        ASSERT_TRUE(tool.waitForFinished(60000));
        Result r;
        r.exitCode = tool.exitCode();
        r.err = tool.readAllStandardError();
        expectOneLineError(r, "File too large");
    }
    const QStringList left = QDir(dir.path()).entryList({"big*"}, QDir::Files);
    EXPECT_EQ(left, (QStringList{"big_000001.las", "big_000002.las"}));
}

TEST(ProgressLine, RewritesOneLineAFewTimesASecondAndWipesIt) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    EXPECT_FALSE(ProgressLine::isTerminal(out));
    {
        ProgressLine line(out, true);
        line.show("reading 10%");
        line.show("reading 11%"); // too soon: left out
        line.show("done 100%", true);
    } // wiped when it goes
    ProgressLine off(out, false);
    off.show("never", true);
    std::rewind(out);
    char text[256] = {};
    const std::size_t n = std::fread(text, 1, sizeof text - 1, out);
    std::fclose(out);
    EXPECT_EQ(std::string(text, n), "\rreading 10%\033[K\rdone 100%\033[K\r\033[K");
}
