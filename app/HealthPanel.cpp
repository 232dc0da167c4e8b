#include "app/HealthPanel.h"

#include "app/FormText.h"
#include "lidar/SensorTable.h"

namespace {

QString deviceAge(const HealthFigures& f) {
    return f.secondsSinceDevicePacket ? trForm("%1 s").arg(*f.secondsSinceDevicePacket, 0, 'f', 1)
                                      : trForm("none");
}

} // namespace

HealthPanel::HealthPanel(Sources sources, QWidget* parent)
    : QLabel(parent), sources_(std::move(sources)) {
    setObjectName(QStringLiteral("label_Health"));
    setTextFormat(Qt::PlainText);
    // Room for the usual figures, so the status bar does not shift as they
    // change every second.
    HealthFigures usual;
    usual.datagramsPerSecond = 88888;
    usual.framesReceivedPerSecond = 88.8;
    usual.framesDrawnPerSecond = 88.8;
    setMinimumWidth(fontMetrics().horizontalAdvance(line(usual)));
    connect(&timer_, &QTimer::timeout, this, &HealthPanel::refresh);
    timer_.start(kRefreshMs);
    reset();
}

void HealthPanel::frameArrived(std::size_t points, bool captureEdge) {
    ++framesReceived_;
    if (!captureEdge) {
        watch_.add(points);
    }
}

void HealthPanel::reset() {
    health_.reset(seconds(Clock::now()), counts());
    refresh();
}

void HealthPanel::refresh() {
    const std::optional<Clock::time_point> device = sources_.lastDevicePacket();
    figures_ = health_.sample(seconds(Clock::now()), counts(),
                              device ? std::optional<double>(seconds(*device)) : std::nullopt);
    setText(line(figures_));
    setToolTip(details(figures_));
    const QString look = figures_.lost() > 0 ? QStringLiteral("color: rgb(200, 0, 0);") : QString();
    if (styleSheet() != look) {
        setStyleSheet(look);
    }
}

ReceptionCounts HealthPanel::counts() const {
    ReceptionCounts c = sources_.counts();
    c.framesReceived = framesReceived_;
    c.oddFrames = watch_.oddFrames();
    return c;
}

double HealthPanel::seconds(Clock::time_point t) {
    return std::chrono::duration<double>(t.time_since_epoch()).count();
}

QString HealthPanel::line(const HealthFigures& f) {
    // The figures and one word on losses; the tooltip has the details. With
    // nothing arriving the figures are all 0, and only that is said.
    const std::uint64_t lost = f.lost();
    if (f.noData) {
        return lost == 0 ? trForm("no data") : trForm("no data, lost %1").arg(lost);
    }
    return trForm("%1 pkt/s  %2/%3 fps  %4")
        .arg(f.datagramsPerSecond, 0, 'f', 0)
        .arg(QString::number(f.framesReceivedPerSecond, 'g', 3),
             QString::number(f.framesDrawnPerSecond, 'g', 3),
             lost == 0 ? trForm("OK") : trForm("lost %1").arg(lost));
}

QString HealthPanel::details(const HealthFigures& f) {
    return trForm("Data datagrams: %1 per second\n"
                  "Frames received: %2 per second, drawn: %3 per second\n"
                  "Datagrams dropped by the system (receive buffer full): %4\n"
                  "Datagrams of the wrong size, ignored: %5\n"
                  "Datagrams from further sources than the %6 sensors taken, dropped: %7\n"
                  "Frames whose point count differs by more than 10% from the median of the "
                  "last 20 (a sign of lost datagrams): %8\n"
                  "Time since the last device packet: %9\n"
                  "Counted since the start or the last Clear; updated every second.")
        .arg(f.datagramsPerSecond, 0, 'f', 0)
        .arg(f.framesReceivedPerSecond, 0, 'f', 1)
        .arg(f.framesDrawnPerSecond, 0, 'f', 1)
        .arg(f.kernelDrops)
        .arg(f.wrongSize)
        .arg(SensorTable::kMaxSensors)
        .arg(f.sensorBound)
        .arg(f.oddFrames)
        .arg(deviceAge(f));
}
