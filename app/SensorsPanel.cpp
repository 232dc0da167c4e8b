#include "app/SensorsPanel.h"

#include "app/FormText.h"

#include <QButtonGroup>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QPainter>
#include <QRadioButton>
#include <QTableWidget>
#include <utility>

namespace {

constexpr int kAllRow = 0;

std::uint32_t addressOf(const AddressBytes& a) {
    return static_cast<std::uint32_t>(a[0]) << 24 | static_cast<std::uint32_t>(a[1]) << 16 |
           static_cast<std::uint32_t>(a[2]) << 8 | a[3];
}

QIcon swatch(const Rgb& colour) {
    QPixmap pixmap(12, 12);
    pixmap.fill(QColor(colour.r, colour.g, colour.b));
    QPainter border(&pixmap);
    border.setPen(Qt::black);
    border.drawRect(0, 0, 11, 11);
    return QIcon(pixmap);
}

QTableWidgetItem* figureItem() {
    auto* item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

double secondsNow() {
    static QElapsedTimer clock;
    if (!clock.isValid()) {
        clock.start();
    }
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

} // namespace

SensorsPanel::SensorsPanel(Sources sources, QWidget* parent)
    : QDockWidget(trForm("Sensors"), parent), sources_(std::move(sources)),
      table_(new QTableWidget(1, ColumnCount, this)), group_(new QButtonGroup(this)) {
    setObjectName(QStringLiteral("SensorsDock"));
    table_->setObjectName(QStringLiteral("tableWidget_Sensors"));
    setWidget(table_);
    table_->setHorizontalHeaderLabels({trForm("Sensor"), trForm("MAC"), trForm("Packets/s"),
                                       trForm("Frames/s"), trForm("Points/frame"), trForm("x (m)"),
                                       trForm("y (m)"), trForm("z (m)"), trForm("Roll (°)"),
                                       trForm("Pitch (°)"), trForm("Yaw (°)")});
    table_->horizontalHeader()->setToolTip(
        trForm("Each sensor's pose places its points when all sensors are shown: x, y, z in "
               "metres, then roll about x, pitch about y and yaw about z in degrees, turned in "
               "that order."));
    table_->verticalHeader()->hide();
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(false);
    // As high as its rows, so the 3D view keeps the rest of a small screen.
    table_->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    table_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    // The row of all sensors: the totals, and no pose of its own.
    auto* all = new QRadioButton(trForm("All sensors"), table_);
    all->setObjectName(QStringLiteral("radioButton_AllSensors"));
    group_->addButton(all, kAllRow);
    table_->setCellWidget(kAllRow, SensorColumn, all);
    for (int c = MacColumn; c < ColumnCount; ++c) {
        table_->setItem(kAllRow, c, figureItem());
    }
    connect(group_, QOverload<int>::of(&QButtonGroup::idClicked), this, &SensorsPanel::rowChosen);
    connect(table_, &QTableWidget::cellChanged, this, &SensorsPanel::cellEdited);

    timer_.setInterval(kRefreshMs);
    connect(&timer_, &QTimer::timeout, this, &SensorsPanel::refresh);
    timer_.start();
    refresh();
}

std::optional<SensorId> SensorsPanel::sensorOfRow(int row) const {
    if (row <= kAllRow || row > static_cast<int>(rows_.size())) {
        return std::nullopt;
    }
    return rows_[static_cast<std::size_t>(row - 1)];
}

int SensorsPanel::rowOf(const SensorId& sensor) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i] == sensor) {
            return static_cast<int>(i) + 1;
        }
    }
    return -1;
}

void SensorsPanel::restart() {
    statistics_.reset();
    updating_ = true;
    table_->setRowCount(1);
    rows_.clear();
    updating_ = false;
    refresh();
}

void SensorsPanel::refresh() {
    const std::vector<SensorFigures>& figures = statistics_.sample(
        secondsNow(), sources_.counts ? sources_.counts() : std::vector<SensorCounts>{});
    // Sensors only join, in the order first heard, within one run; a list
    // that does not begin with the rows shown belongs to another run.
    bool sameRun = figures.size() >= rows_.size();
    for (std::size_t i = 0; sameRun && i < rows_.size(); ++i) {
        sameRun = figures[i].sensor == rows_[i];
    }
    updating_ = true;
    if (!sameRun) {
        table_->setRowCount(1);
        rows_.clear();
    }
    for (std::size_t i = rows_.size(); i < figures.size(); ++i) {
        addRow(figures[i]);
    }
    showFigures(figures);
    updating_ = false;
}

void SensorsPanel::addRow(const SensorFigures& figures) {
    const int row = table_->rowCount();
    table_->insertRow(row);
    rows_.push_back(figures.sensor);
    auto* button = new QRadioButton(table_);
    button->setObjectName(QStringLiteral("radioButton_Sensor_") + figures.sensor.textWithPort());
    group_->addButton(button, row);
    table_->setCellWidget(row, SensorColumn, button);
    for (int c = MacColumn; c < FirstPoseColumn; ++c) {
        table_->setItem(row, c, figureItem());
    }
    for (int f = 0; f < SensorPose::kFields; ++f) {
        auto* item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(trForm("Double-click to type; kept for this address"));
        table_->setItem(row, FirstPoseColumn + f, item);
    }
    showPose(row, sources_.poseOf ? sources_.poseOf(figures.sensor) : SensorPose{});
    showShownRow();
}

void SensorsPanel::showFigures(const std::vector<SensorFigures>& figures) {
    std::vector<DeviceReport> reports;
    if (sources_.reports) {
        reports = sources_.reports();
    }
    double packets = 0;
    double frames = 0;
    for (std::size_t i = 0; i < figures.size(); ++i) {
        const SensorFigures& f = figures[i];
        const int row = static_cast<int>(i) + 1;
        auto* button = static_cast<QRadioButton*>(table_->cellWidget(row, SensorColumn));
        button->setText(f.sensor.label(rows_));
        const std::optional<Rgb> colour =
            sources_.colourOf ? sources_.colourOf(f.sensor) : std::nullopt;
        button->setIcon(colour ? swatch(*colour) : QIcon());
        QString mac;
        for (const DeviceReport& r : reports) {
            if (addressOf(r.sender) == f.sensor.address) {
                mac = macText(r.mac());
            }
        }
        table_->item(row, MacColumn)->setText(mac);
        table_->item(row, PacketsColumn)->setText(QString::number(f.datagramsPerSecond, 'f', 0));
        table_->item(row, FramesColumn)->setText(QString::number(f.framesPerSecond, 'f', 1));
        table_->item(row, PointsColumn)->setText(QString::number(f.pointsPerFrame, 'f', 0));
        packets += f.datagramsPerSecond;
        frames += f.framesPerSecond;
    }
    table_->item(kAllRow, PacketsColumn)->setText(QString::number(packets, 'f', 0));
    table_->item(kAllRow, FramesColumn)->setText(QString::number(frames, 'f', 1));
}

void SensorsPanel::showPose(int row, const SensorPose& pose) {
    const bool was = std::exchange(updating_, true);
    for (int f = 0; f < SensorPose::kFields; ++f) {
        table_->item(row, FirstPoseColumn + f)
            ->setText(SensorPose::fieldText(pose.values[static_cast<std::size_t>(f)]));
    }
    updating_ = was;
}

void SensorsPanel::showPoses() {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        showPose(static_cast<int>(i) + 1,
                 sources_.poseOf ? sources_.poseOf(rows_[i]) : SensorPose{});
    }
}

void SensorsPanel::showChoice(bool all, const std::optional<SensorId>& shown) {
    all_ = all;
    shown_ = shown;
    showShownRow();
}

void SensorsPanel::showShownRow() {
    // The radio button of what is shown; none while nothing is.
    const int row = all_ ? kAllRow : shown_ ? rowOf(*shown_) : -1;
    if (row < 0) {
        if (QAbstractButton* checked = group_->checkedButton()) {
            group_->setExclusive(false);
            checked->setChecked(false);
            group_->setExclusive(true);
        }
        return;
    }
    group_->button(row)->setChecked(true);
}

void SensorsPanel::rowChosen(int row) {
    if (row == kAllRow) {
        emit allChosen();
    } else if (const std::optional<SensorId> sensor = sensorOfRow(row)) {
        emit sensorChosen(*sensor);
    }
    // What is shown follows from the window (a choice may be refused).
    showShownRow();
}

void SensorsPanel::cellEdited(int row, int column) {
    if (updating_ || column < FirstPoseColumn) {
        return;
    }
    const std::optional<SensorId> sensor = sensorOfRow(row);
    if (!sensor) {
        return;
    }
    SensorPose pose = sources_.poseOf ? sources_.poseOf(*sensor) : SensorPose{};
    const auto field = static_cast<SensorPose::Field>(column - FirstPoseColumn);
    const std::optional<double> value =
        SensorPose::parseField(field, table_->item(row, column)->text());
    if (!value) {
        const QString name = table_->horizontalHeaderItem(column)->text();
        emit poseRefused(field <= SensorPose::Z
                             ? trForm("%1 of %2: a number of metres from -%3 to %3")
                                   .arg(name, sensor->text())
                                   .arg(SensorPose::kMaxMetres)
                             : trForm("%1 of %2: a number of degrees from -%3 to %3")
                                   .arg(name, sensor->text())
                                   .arg(SensorPose::kMaxDegrees));
        showPose(row, pose);
        return;
    }
    pose[field] = *value;
    showPose(row, pose);
    emit poseEdited(*sensor, pose);
}
