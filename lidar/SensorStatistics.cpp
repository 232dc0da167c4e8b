#include "lidar/SensorStatistics.h"

const std::vector<SensorFigures>&
SensorStatistics::sample(double now, const std::vector<SensorCounts>& counts) {
    std::vector<SensorFigures> figures;
    figures.reserve(counts.size());
    const double seconds = sampled_ ? now - previousAt_ : 0;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const SensorCounts& c = counts[i];
        SensorFigures f;
        f.sensor = c.sensor;
        f.order = static_cast<int>(i);
        if (const SensorFigures* before = figuresOf(c.sensor)) {
            f.pointsPerFrame = before->pointsPerFrame;
        }
        // A sensor first heard since the previous sample had nothing then;
        // counts that went down were started again since.
        const SensorCounts* p = previousOf(c.sensor);
        SensorCounts base;
        if (p && c.datagrams >= p->datagrams && c.frames >= p->frames && c.points >= p->points) {
            base = *p;
        }
        if (seconds > 0) {
            f.datagramsPerSecond = static_cast<double>(c.datagrams - base.datagrams) / seconds;
            f.framesPerSecond = static_cast<double>(c.frames - base.frames) / seconds;
        }
        if (c.frames > base.frames) {
            f.pointsPerFrame = static_cast<double>(c.points - base.points) /
                               static_cast<double>(c.frames - base.frames);
        }
        figures.push_back(f);
    }
    figures_ = std::move(figures);
    previous_ = counts;
    previousAt_ = now;
    sampled_ = true;
    return figures_;
}

void SensorStatistics::reset() {
    previous_.clear();
    figures_.clear();
    sampled_ = false;
}

const SensorCounts* SensorStatistics::previousOf(const SensorId& sensor) const {
    for (const SensorCounts& c : previous_) {
        if (c.sensor == sensor) {
            return &c;
        }
    }
    return nullptr;
}

const SensorFigures* SensorStatistics::figuresOf(const SensorId& sensor) const {
    for (const SensorFigures& f : figures_) {
        if (f.sensor == sensor) {
            return &f;
        }
    }
    return nullptr;
}
