#include "tools/export/SensorOutputs.h"

#include "lidar/FrameCloudFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <climits>

namespace {

QString suffixOf(ExportOptions::Format format) {
    using Format = ExportOptions::Format;
    switch (format) {
    case Format::Pcd:
        return FrameCloudFile::suffixOf(FrameCloudFile::Format::Pcd);
    case Format::Ply:
        return FrameCloudFile::suffixOf(FrameCloudFile::Format::Ply);
    case Format::Las:
        return FrameCloudFile::suffixOf(FrameCloudFile::Format::Las);
    case Format::Mcap:
        return QStringLiteral("mcap");
    case Format::Csv:
        break;
    }
    return QStringLiteral("csv");
}

} // namespace

SensorOutputs::SensorOutputs(const ExportOptions& options) : options_(options) {}

SensorOutputs::~SensorOutputs() = default;

QString SensorOutputs::fileTag(const SensorId& sensor, const std::vector<SensorId>& heard) {
    return sensor.label(heard).replace(QLatin1Char(':'), QLatin1Char('_'));
}

QString SensorOutputs::rosTag(const QString& fileTag) {
    return QString(fileTag).replace(QLatin1Char('.'), QLatin1Char('_'));
}

QString SensorOutputs::taggedOutput(const QString& output, const QString& suffix,
                                    const QString& tag) {
    if (QFileInfo(output).suffix().compare(suffix, Qt::CaseInsensitive) == 0) {
        QString stem = output;
        stem.chop(suffix.size() + 1);
        return QStringLiteral("%1_%2%3").arg(stem, tag, output.right(suffix.size() + 1));
    }
    return QStringLiteral("%1_%2").arg(output, tag);
}

bool SensorOutputs::wants(const SensorId& sensor) {
    if (!options_.source) {
        return true;
    }
    if (!source_ && options_.source->matches(sensor)) {
        source_ = sensor;
    }
    return source_ && *source_ == sensor;
}

std::vector<SensorId> SensorOutputs::wantedHeard() const {
    std::vector<SensorId> wanted;
    for (const SensorId& s : heard_ ? heard_() : std::vector<SensorId>{}) {
        if (!options_.source) {
            wanted.push_back(s);
        } else if (source_ ? *source_ == s : options_.source->matches(s)) {
            // The first heard that --source names.
            wanted.push_back(s);
            break;
        }
    }
    return wanted;
}

bool SensorOutputs::open(const QString& output) {
    if (output == QLatin1String("-")) {
        return true;
    }
    const QFileInfo folder(QFileInfo(output).absolutePath());
    if (!folder.isDir() || !folder.isWritable()) {
        return fail(QStringLiteral("cannot write %1: %2")
                        .arg(QDir::toNativeSeparators(output),
                             folder.isDir() ? QStringLiteral("its folder cannot be written into")
                                            : QStringLiteral("there is no such folder")));
    }
    return true;
}

std::unique_ptr<FrameOutput> SensorOutputs::create(const QString& tag, QString& name) const {
    const int frames = options_.frames > 0 ? options_.frames : INT_MAX;
    name = options_.output;
    if (options_.format == ExportOptions::Format::Mcap) {
        QString topic = options_.topic;
        QString frameId = options_.frameId;
        if (!tag.isEmpty()) {
            const QString ros = rosTag(tag);
            topic = QStringLiteral("/lidar_%1%2")
                        .arg(ros,
                             topic.startsWith(QLatin1Char('/')) ? topic : QLatin1Char('/') + topic);
            frameId = QStringLiteral("%1_%2").arg(frameId, ros);
        }
        return std::make_unique<McapOutput>(options_.filter, frames, topic, frameId, mcapFile_);
    }
    if (!tag.isEmpty()) {
        name = taggedOutput(options_.output, suffixOf(options_.format), tag);
    }
    return FrameOutput::create(options_);
}

FrameOutput* SensorOutputs::outputOf(const SensorId& sensor) {
    for (Output& o : outputs_) {
        if (o.sensor == sensor) {
            return o.output.get();
        }
    }
    return nullptr;
}

FrameOutput* SensorOutputs::openFor(const SensorId& sensor) {
    std::vector<SensorId> heard = wantedHeard();
    if (std::find(heard.begin(), heard.end(), sensor) == heard.end()) {
        heard.push_back(sensor);
    }
    if (!settled_) {
        settled_ = true;
        namedBySensor_ = !options_.source && heard.size() > 1;
    }
    const bool tagged = namedBySensor_ || !outputs_.empty();
    if (tagged && options_.output == QLatin1String("-")) {
        fail(QStringLiteral("several sensors send (%1): standard output takes one of them; "
                            "choose it with --source")
                 .arg(SensorId::labels(heard)));
        return nullptr;
    }
    if (!mcapFile_) {
        mcapFile_ = std::make_shared<McapOutput::File>();
    }
    QString name;
    std::unique_ptr<FrameOutput> output = create(tagged ? fileTag(sensor, heard) : QString(), name);
    if (!output->open(name)) {
        fail("cannot write " + output->error());
        return nullptr;
    }
    outputs_.push_back({sensor, std::move(output)});
    return outputs_.back().output.get();
}

bool SensorOutputs::writeFrame(const MuchLidarData& frame, std::int64_t time) {
    if (!error_.isEmpty() || !wants(frame.sensor)) {
        return error_.isEmpty();
    }
    FrameOutput* output = outputOf(frame.sensor);
    if (!output) {
        output = openFor(frame.sensor);
    }
    if (!output) {
        return false;
    }
    if (!output->writeFrame(frame, time)) {
        return fail("cannot write " + output->error());
    }
    return true;
}

bool SensorOutputs::openHeard() {
    for (const SensorId& sensor : wantedHeard()) {
        if (!outputOf(sensor) && !openFor(sensor)) {
            return false;
        }
    }
    return true;
}

bool SensorOutputs::endOutputs(bool (FrameOutput::*end)()) {
    bool ended = true;
    for (Output& o : outputs_) {
        // A topic without messages does no harm in a file that others fill.
        if (o.output->framesWritten() == 0 && options_.format != ExportOptions::Format::Mcap) {
            o.output->discard();
        } else if (!(o.output.get()->*end)()) {
            ended = false;
            fail("cannot write " + o.output->error());
        }
    }
    return ended && error_.isEmpty();
}

bool SensorOutputs::close() {
    return endOutputs(&FrameOutput::close);
}

bool SensorOutputs::keep() {
    return endOutputs(&FrameOutput::keep);
}

void SensorOutputs::discard() {
    for (Output& o : outputs_) {
        o.output->discard();
    }
}

bool SensorOutputs::complete() const {
    if (outputs_.empty()) {
        return false;
    }
    for (const Output& o : outputs_) {
        if (!o.output->complete()) {
            return false;
        }
    }
    // Sensors heard that have no output yet still owe their frames.
    const std::vector<SensorId> heard = wantedHeard();
    return std::all_of(heard.begin(), heard.end(), [this](const SensorId& s) {
        return std::any_of(outputs_.begin(), outputs_.end(),
                           [&s](const Output& o) { return o.sensor == s; });
    });
}

int SensorOutputs::framesWritten() const {
    int frames = 0;
    for (const Output& o : outputs_) {
        frames += o.output->framesWritten();
    }
    return frames;
}

int SensorOutputs::framesWanted() const {
    const int each = options_.frames > 0 ? options_.frames : INT_MAX;
    const auto outputs = static_cast<long long>(std::max<std::size_t>(outputs_.size(), 1));
    return static_cast<int>(std::min<long long>(each * outputs, INT_MAX));
}

std::uint64_t SensorOutputs::pointsWritten() const {
    std::uint64_t points = 0;
    for (const Output& o : outputs_) {
        points += o.output->pointsWritten();
    }
    return points;
}

QString SensorOutputs::writtenTo() const {
    QStringList files;
    for (const Output& o : outputs_) {
        const QString file = o.output->writtenTo();
        if (!files.contains(file)) {
            files << file;
        }
    }
    return files.join(QStringLiteral(", "));
}

QString SensorOutputs::summary() const {
    // First heard first, whichever gave a frame first.
    std::vector<const Output*> ordered;
    for (const Output& o : outputs_) {
        ordered.push_back(&o);
    }
    const std::vector<SensorId> heard = wantedHeard();
    const auto rank = [&heard](const Output* o) {
        return std::find(heard.begin(), heard.end(), o->sensor) - heard.begin();
    };
    std::stable_sort(ordered.begin(), ordered.end(),
                     [&rank](const Output* a, const Output* b) { return rank(a) < rank(b); });
    std::vector<SensorId> sensors;
    for (const Output* o : ordered) {
        sensors.push_back(o->sensor);
    }
    QStringList parts;
    for (const Output* o : ordered) {
        const int frames = o->output->framesWritten();
        parts << QStringLiteral("%1 %2, %3 points, of %4 to %5")
                     .arg(frames)
                     .arg(frames == 1 ? QStringLiteral("frame") : QStringLiteral("frames"))
                     .arg(o->output->pointsWritten())
                     .arg(o->sensor.label(sensors), o->output->writtenTo());
    }
    return parts.join(QStringLiteral("; "));
}

QString SensorOutputs::missingSource() const {
    if (!options_.source || source_) {
        return QString();
    }
    return SensorId::notHeard(*options_.source, heard_ ? heard_() : std::vector<SensorId>{});
}

bool SensorOutputs::fail(const QString& text) {
    if (error_.isEmpty()) {
        error_ = text;
    }
    return false;
}
