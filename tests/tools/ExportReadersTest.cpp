// lidar-export's files read by readers that no one on this project wrote:
// MCAP and LAS by npm packages (installed by scripts/install-test-readers.sh
// into tests/readers and run with Node), PCD and PLY by the point-cloud
// library, each against the CSV of the same frames.

#include "ToolRunner.h"
#include "lidar/FrameCloudFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <pcl/io/pcd_io.h>
#include <pcl/io/ply_io.h>

using namespace ToolRunner;

namespace {

const QString kReaders = QStringLiteral(VANTOR_READERS_DIR);

// Adjusted standard GPS time: 18 leap seconds ahead of UTC since 2017.
QString gpsTime(std::int64_t unixNanoseconds) {
    const std::int64_t seconds = unixNanoseconds / 1000000000 - 315964800 + 18 - 1000000000;
    return QString::number(static_cast<double>(seconds) +
                               static_cast<double>(unixNanoseconds % 1000000000) * 1e-9,
                           'g', 17);
}

QString joined(const std::vector<QString>& values) {
    return QStringList(values.begin(), values.end()).join(',');
}

class ExportReaders : public ::testing::Test {
protected:
    void SetUp() override {
        // Missing readers fail the test: a skipped check would pass for one.
        ASSERT_FALSE(QStandardPaths::findExecutable("node").isEmpty())
            << "node is not installed (scripts/install-deps.sh test installs it)";
        ASSERT_TRUE(QDir(kReaders + "/node_modules/@mcap/core").exists())
            << "the readers are not installed in " << kReaders.toStdString()
            << ": run scripts/install-test-readers.sh (it needs the npm registry)";
        capture = path("street.pcap");
        // Three revolutions at 0.5 degree steps.
        street = std::make_unique<StreetCapture>(capture, 50, 3);
        ASSERT_EQ(street->frames.size(), 3u);
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    // Where lidar-export writes a format: out.csv, out.mcap, out_000001.las ...
    QString output(const QString& format) const {
        return format == "csv" || format == "mcap" ? path("out." + format) : path("out");
    }
    Result exportTo(const QString& format, const QStringList& options, const QString& from) {
        return run("lidar-export",
                   QStringList{"--format", format} + options + QStringList{from, output(format)});
    }
    // Every format with `options` (and `mcapOptions`) from the capture.
    void exportAll(const QStringList& options, const QStringList& mcapOptions = {}) {
        for (const QString format : {"csv", "mcap", "las", "pcd", "ply"}) {
            const Result r = exportTo(
                format, options + (format == "mcap" ? mcapOptions : QStringList()), capture);
            ASSERT_EQ(r.exitCode, 0) << format.toStdString() << ": " << r.err.constData();
        }
    }

    // A check script's verdict.
    void check(const QString& script, const QStringList& args) {
        QProcess node;
        node.start(QStandardPaths::findExecutable("node"),
                   QStringList{kReaders + "/" + script} + args);
        ASSERT_TRUE(node.waitForFinished(120000)) << script.toStdString() << " did not end";
        EXPECT_EQ(node.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(node.exitCode(), 0)
            << script.toStdString() << ":\n"
            << node.readAllStandardOutput().constData() << node.readAllStandardError().constData();
    }
    void checkMcap(const QString& topic, const QString& frameId, std::size_t first) {
        std::vector<QString> stamps;
        for (std::size_t f = first; f < street->times.size(); ++f) {
            stamps.push_back(QString::number(street->times[f]));
        }
        check("check-mcap.mjs", {output("mcap"), output("csv"), topic, frameId, joined(stamps)});
    }
    void checkLas(std::size_t first) {
        std::vector<QString> times;
        for (std::size_t f = first; f < street->times.size(); ++f) {
            times.push_back(gpsTime(street->times[f]));
        }
        check("check-las.mjs", {output("csv"), output("las"), joined(times)});
    }

    QTemporaryDir dir;
    QString capture;
    std::unique_ptr<StreetCapture> street;
};

} // namespace

TEST_F(ExportReaders, EveryFrameReadsBackAsItsCsvRowsInEachFormat) {
    exportAll({});
    checkMcap("/points", "lidar", 0);
    checkLas(0);

    const ChannelGeometry geometry;
    for (std::size_t f = 0; f < street->frames.size(); ++f) {
        const FramePointCloud expected =
            FrameCloudFile::pointsOf(street->frames[f], geometry, CsvExportFilter{});
        for (const auto format : {FrameCloudFile::Format::Pcd, FrameCloudFile::Format::Ply}) {
            const QString file = QStringLiteral("%1_%2.%3")
                                     .arg(output("pcd"))
                                     .arg(f + 1, 6, 10, QLatin1Char('0'))
                                     .arg(FrameCloudFile::suffixOf(format));
            SCOPED_TRACE(file.toStdString());
            FramePointCloud read;
            ASSERT_EQ(format == FrameCloudFile::Format::Pcd
                          ? pcl::io::loadPCDFile(file.toStdString(), read)
                          : pcl::io::loadPLYFile(file.toStdString(), read),
                      0);
            ASSERT_EQ(read.size(), expected.size());
            for (std::size_t i = 0; i < read.size(); i += 997) {
                EXPECT_EQ(read[i].x, expected[i].x);
                EXPECT_EQ(read[i].z, expected[i].z);
                EXPECT_EQ(read[i].intensity, expected[i].intensity);
                EXPECT_EQ(read[i].channel, expected[i].channel);
            }
        }
    }
    // Nothing left under a temporary name.
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.part"}, QDir::Files).isEmpty());
}

TEST_F(ExportReaders, ChannelsAzimuthsSkipAndCountApplyAsToTheCsv) {
    exportAll({"--skip", "1", "--frames", "1", "--channels", "0-63,100", "--min-angle", "10",
               "--max-angle", "200"},
              {"--topic", "/front/points", "--frame-id", "front"});
    street->times.pop_back(); // the third frame is not wanted
    checkMcap("/front/points", "front", 1);
    checkLas(1);
    EXPECT_FALSE(QFile::exists(path("out_000002.las")));
    EXPECT_TRUE(QFile::exists(path("out_000001.las")));
}

TEST_F(ExportReaders, ACaptureCutShortGivesAWholeFileOfTheFramesBeforeTheCut) {
    QFile whole(capture);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    const QString cut = path("cut.pcap");
    {
        QFile file(cut);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.left(bytes.size() - 2000)); // into the last frame's packets
    }
    for (const QString format : {"csv", "mcap"}) {
        const Result r = exportTo(format, {}, cut);
        EXPECT_EQ(r.exitCode, 1) << format.toStdString();
        EXPECT_TRUE(r.err.contains("truncated") && r.err.contains("2 frames written"))
            << r.err.constData();
    }
    street->times.pop_back();
    checkMcap("/points", "lidar", 0);
}

TEST_F(ExportReaders, TwoSensorsGiveOneMcapFileWithATopicEachThatReadsAsTheirCsvFiles) {
    // The street at two steps, the second twice as often, from two
    // addresses, their datagrams in turn; the times of the packets closing
    // each sensor's frames.
    SensorSimulator coarse(SyntheticScene::street(), 100);
    SensorSimulator fine(SyntheticScene::street(), 50);
    std::vector<SensorSimulator::Payload> a;
    std::vector<SensorSimulator::Payload> b;
    for (int r = 0; r < 2; ++r) {
        coarse.nextRevolution(a);
    }
    coarse.finish(a);
    for (int r = 0; r < 4; ++r) {
        fine.nextRevolution(b);
    }
    fine.finish(b);
    const QString both = path("both.pcap");
    TestCaptureWriter writer(both.toStdString(), {});
    FrameCutter cutA;
    FrameCutter cutB;
    std::vector<QString> timesA;
    std::vector<QString> timesB;
    std::uint64_t record = 0;
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        for (auto [payloads, source, cutter, times] :
             {std::tuple{&a, 0x0A000002u, &cutA, &timesA}, {&b, 0x0A000003u, &cutB, &timesB}}) {
            if (i < payloads->size()) {
                writer.writePayload((*payloads)[i].data(), {source, 2368});
                ++record;
                cutter->feed((*payloads)[i].data(), [&, times = times](const MuchLidarData&) {
                    times->push_back(QString::number(TestCaptureWriter::recordTime(record)));
                });
            }
        }
    }
    writer.close();
    ASSERT_TRUE(writer.ok());
    ASSERT_EQ(timesA.size(), 2u);
    ASSERT_EQ(timesB.size(), 4u);

    for (const QString format : {"csv", "mcap"}) {
        const Result r = exportTo(format, {}, both);
        ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    }
    EXPECT_FALSE(QFile::exists(path("out.csv")));
    check("check-mcap.mjs", {output("mcap"), path("out_10.0.0.2.csv"), "/lidar_10_0_0_2/points",
                             "lidar_10_0_0_2", joined(timesA), "2"});
    check("check-mcap.mjs", {output("mcap"), path("out_10.0.0.3.csv"), "/lidar_10_0_0_3/points",
                             "lidar_10_0_0_3", joined(timesB), "2"});
}
