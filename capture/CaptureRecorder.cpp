#include "capture/CaptureRecorder.h"

#include "capture/LiveCapture.h"
#include "capture/PcapFormat.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <pcap/pcap.h>

namespace {

struct DumpCloser {
    void operator()(pcap_dumper_t* dump) const { pcap_dump_close(dump); }
};
using DumpFile = std::unique_ptr<pcap_dumper_t, DumpCloser>;

using Clock = std::chrono::steady_clock;
constexpr auto kStatisticsInterval = std::chrono::milliseconds(500);

} // namespace

CaptureRecorder::CaptureRecorder(QObject* parent) : QThread(parent) {}

CaptureRecorder::~CaptureRecorder() {
    stop = true;
    wait();
}

void CaptureRecorder::run() {
    packetsWritten_ = 0;
    bytesWritten_ = 0;
    kernelDrops_ = -1;
    fileCreated_ = false;
    const QString path = QFile::decodeName(recordPath);

    QString error;
    const std::unique_ptr<LiveCapture> capture = LiveCapture::open(adapter, kReadTimeout, &error);
    if (!capture) {
        emit SendError(error);
        return;
    }
    if (!capture->setFilter(captureFilter, &error)) {
        emit SendError(error + "\n" + tr("The data port must be a port number."));
        return;
    }
    const DumpFile dump(pcap_dump_open(capture->handle(), recordPath.constData()));
    if (!dump) {
        emit SendError(tr("The capture file %1 cannot be created: %2")
                           .arg(path, QString::fromLocal8Bit(pcap_geterr(capture->handle()))));
        return;
    }
    fileCreated_ = true;
    bytesWritten_ = PcapFormat::kFileHeaderBytes;

    const auto updateDrops = [&] {
        pcap_stat stats{};
        if (pcap_stats(capture->handle(), &stats) == 0) {
            kernelDrops_ = stats.ps_drop;
        }
    };
    auto nextStatistics = Clock::now();
    // After a stop request, what the kernel captured before it is written
    // without waiting for more, for at most one read time-out.
    std::optional<Clock::time_point> drainUntil;
    for (;;) {
        if (!drainUntil && stop) {
            drainUntil = Clock::now() + kReadTimeout;
        }
        if (drainUntil && Clock::now() >= *drainUntil) {
            break;
        }
        LiveCapture::Frame frame;
        const LiveCapture::ReadResult result =
            drainUntil ? capture->nextPending(frame, &error) : capture->next(frame, &error);
        if (Clock::now() >= nextStatistics) {
            updateDrops();
            nextStatistics = Clock::now() + kStatisticsInterval;
        }
        if (result == LiveCapture::ReadResult::Error) {
            emit SendError(error);
            break;
        }
        if (result == LiveCapture::ReadResult::Timeout) {
            if (drainUntil) {
                break;
            }
            continue;
        }
        const auto* header = static_cast<const pcap_pkthdr*>(frame.header);
        pcap_dump(reinterpret_cast<u_char*>(dump.get()), header, frame.data);
        if (pcap_dump_flush(dump.get()) != 0) {
            emit SendError(tr("Writing the capture file %1 failed: %2")
                               .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
            break;
        }
        ++packetsWritten_;
        bytesWritten_ += PcapFormat::kRecordHeaderBytes + header->caplen;
    }
    updateDrops();
}
