#include "advanced/AdvancedForm.h"

#include "platform/ImagePath.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("ACWPSetMuch", text);
}

constexpr int kStaticColumns = 8;
constexpr int kRowColumns = 3;      // the static rows are laid out in three columns
constexpr int kChannelsPerLine = 8; // the other tabs: eight channels down, four across
constexpr int kStaticFieldWidth = 52;

QLineEdit* lineEdit(QWidget* parent, const QString& name, const QString& text = {}) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    return edit;
}

// "channel  0：" ... "channel 31：", with the full-width colon.
QString channelLabel(int channel) {
    return tr("channel %1\uFF1A").arg(channel, 2);
}

struct NumberRow {
    const char* label;
    const char* name;
    const char* initial;
};

const NumberRow kNumberRows[] = {
    {"Serial Num\uFF1A", "lineEdit_SerialNumber", ""},
    {"Version Num\uFF1A", "lineEdit_Version", ""},
    {"Segment Factor 1\uFF1A", "lineEdit_seg", "0.5"},
    {"Segment Factor 2\uFF1A", "lineEdit_seg_2", "1"},
    {"Segment Factor 3\uFF1A", "lineEdit_seg_3", "1.5"},
    {"Segment Factor 4\uFF1A", "lineEdit_seg_4", "2"},
    {"Segment Factor 5\uFF1A", "lineEdit_seg_5", "2.5"},
    {"Segment Factor 6\uFF1A", "lineEdit_seg_6", "3"},
    {"Segment Factor 7\uFF1A", "lineEdit_seg_7", "3.5"},
    {"Measure range\uFF1A", "lineEdit_rangeselector", ""},
    {"Dest IP\uFF1A", "lineEdit_DestIP", "192.168.1.200"},
    {"Dest Port\uFF1A", "lineEdit_DestPort", "2368"},
};

QPushButton* button(QWidget* parent, const char* name, const char* text) {
    auto* b = new QPushButton(tr(text), parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

} // namespace

void AdvancedForm::setupUi(QWidget* window) {
    window->setWindowTitle(tr("ACWPSetMuch"));
    window->setWindowIcon(ImagePath::icon(QStringLiteral("Resources/images/corvane.ico")));
    window->resize(1366, 724);

    auto* left = new QVBoxLayout;
    leftColumn = left;
    left->addWidget(numberGroup(window));
    pushButton_SaveSettingfile = button(window, "pushButton_SaveSettingfile", "Save set file");
    pushButton_RecoverSetting = button(window, "pushButton_RecoverSetting", "Restore Laser set");
    pushButton_Refreshlidar = button(window, "pushButton_Refreshlidar", "Refresh state");
    pushButton_OK = button(window, "pushButton_OK", "Set");
    pushButton_Cancel = button(window, "pushButton_Cancel", "Cancel");
    left->addWidget(pushButton_SaveSettingfile);
    left->addWidget(pushButton_RecoverSetting);
    left->addStretch();
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {pushButton_Refreshlidar, pushButton_OK, pushButton_Cancel}) {
        buttons->addWidget(b);
    }
    left->addLayout(buttons);

    tabWidget = new QTabWidget(window);
    tabWidget->setObjectName(QStringLiteral("tabWidget"));
    tabWidget->addTab(staticTab(), tr("COR_STATIC"));
    tabWidget->addTab(channelTab("groupBox_PitchCalibrationSetting", "Pitching angle calibration",
                                 "lineEdit_PitchChannel_", pitch),
                      tr("COR_PITCH"));
    tabWidget->addTab(channelTab("groupBox_AzimuthCalibrationSetting", " Azimuth calibration",
                                 "lineEdit_AzimuthChannel_", azimuth),
                      tr("COR_AZIMUTH"));
    tabWidget->addTab(channelTab("groupBox_IntensityCalibrationSetting", "Reflectivity calibration",
                                 "lineEdit_IntensityChannel_", intensity),
                      tr("COR_INTENSITY"));

    auto* main = new QHBoxLayout(window);
    main->addLayout(left);
    main->addWidget(tabWidget, 1);
}

QWidget* AdvancedForm::numberGroup(QWidget* window) {
    groupBox_NumberSetting = new QGroupBox(tr("Version Num"), window);
    groupBox_NumberSetting->setObjectName(QStringLiteral("groupBox_NumberSetting"));
    auto* rows = new QFormLayout(groupBox_NumberSetting);
    std::array<QLineEdit*, std::size(kNumberRows)> edits{};
    for (std::size_t i = 0; i < std::size(kNumberRows); ++i) {
        const NumberRow& row = kNumberRows[i];
        edits[i] =
            lineEdit(groupBox_NumberSetting, QLatin1String(row.name), QLatin1String(row.initial));
        rows->addRow(new QLabel(tr(row.label), groupBox_NumberSetting), edits[i]);
    }
    lineEdit_SerialNumber = edits[0];
    lineEdit_Version = edits[1];
    std::copy(edits.begin() + 2, edits.begin() + 9, segmentFactors.begin());
    lineEdit_rangeselector = edits[9];
    // The field is narrower than the hint: the tip shows it whole.
    const QString rangeHint = tr("not reported by the sensor: type the range to set it");
    lineEdit_rangeselector->setPlaceholderText(rangeHint);
    lineEdit_rangeselector->setToolTip(rangeHint);
    lineEdit_DestIP = edits[10];
    lineEdit_DestPort = edits[11];
    return groupBox_NumberSetting;
}

QWidget* AdvancedForm::staticTab() {
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    auto* group = new QGroupBox(tr("Static calibration"));
    group->setObjectName(QStringLiteral("groupBox_StaticCalibrationSetting"));
    auto* grid = new QGridLayout(group);
    const int channels = AdvancedFields::kStaticCount / kStaticColumns;
    for (int c = 0; c < channels; ++c) {
        auto* row = new QGridLayout;
        row->addWidget(new QLabel(channelLabel(c), group), 0, 0, 2, 1);
        for (int j = 1; j <= kStaticColumns; ++j) {
            QLineEdit* edit = lineEdit(
                group, QStringLiteral("lineEdit__StaticChannel_%1").arg(kStaticColumns * c + j));
            edit->setMaximumWidth(kStaticFieldWidth);
            row->addWidget(edit, (j - 1) / 4, 1 + (j - 1) % 4);
            staticChannels[static_cast<std::size_t>(kStaticColumns * c + j - 1)] = edit;
        }
        // Rows 0, 3, 6 ... in the first column, 1, 4, 7 ... in the second.
        grid->addLayout(row, c / kRowColumns, c % kRowColumns);
    }
    auto* offsets = new QHBoxLayout;
    left_lineEdit = lineEdit(group, QStringLiteral("left_lineEdit"), QStringLiteral("0"));
    Right_lineEdit = lineEdit(group, QStringLiteral("Right_lineEdit"), QStringLiteral("0"));
    offsets->addWidget(new QLabel(tr("Left"), group));
    offsets->addWidget(left_lineEdit);
    offsets->addWidget(new QLabel(tr("Right"), group));
    offsets->addWidget(Right_lineEdit);
    offsets->addStretch();
    grid->addLayout(offsets, (channels + kRowColumns - 1) / kRowColumns, 0, 1, kRowColumns);
    scroll->setWidget(group);
    return scroll;
}

QWidget* AdvancedForm::channelTab(const char* groupName, const char* title, const char* fieldPrefix,
                                  std::array<QLineEdit*, AdvancedFields::kChannelCount>& fields) {
    auto* group = new QGroupBox(tr(title));
    group->setObjectName(QLatin1String(groupName));
    auto* grid = new QGridLayout(group);
    for (int n = 1; n <= AdvancedFields::kChannelCount; ++n) {
        QLineEdit* edit = lineEdit(group, QLatin1String(fieldPrefix) + QString::number(n));
        const int line = (n - 1) % kChannelsPerLine;
        const int column = 2 * ((n - 1) / kChannelsPerLine);
        grid->addWidget(new QLabel(channelLabel(n - 1), group), line, column);
        grid->addWidget(edit, line, column + 1);
        fields[static_cast<std::size_t>(n - 1)] = edit;
    }
    return group;
}

AdvancedFields AdvancedForm::fields() const {
    AdvancedFields f;
    for (std::size_t i = 0; i < staticChannels.size(); ++i) {
        f.staticChannels[i] = staticChannels[i]->text();
    }
    f.left = left_lineEdit->text();
    f.right = Right_lineEdit->text();
    for (std::size_t k = 0; k < pitch.size(); ++k) {
        f.pitch[k] = pitch[k]->text();
        f.azimuth[k] = azimuth[k]->text();
        f.intensity[k] = intensity[k]->text();
    }
    f.serialNumber = lineEdit_SerialNumber->text();
    f.version = lineEdit_Version->text();
    for (std::size_t k = 0; k < segmentFactors.size(); ++k) {
        f.segmentFactors[k] = segmentFactors[k]->text();
    }
    f.measureRange = lineEdit_rangeselector->text();
    return f;
}

void AdvancedForm::showRefreshed(const AdvancedFields& texts) {
    for (std::size_t k = 0; k < pitch.size(); ++k) {
        azimuth[k]->setText(texts.azimuth[k]);
        pitch[k]->setText(texts.pitch[k]);
        intensity[k]->setText(texts.intensity[k]);
    }
    for (std::size_t i = 0; i < staticChannels.size(); ++i) {
        staticChannels[i]->setText(texts.staticChannels[i]);
    }
    lineEdit_SerialNumber->setText(texts.serialNumber);
    for (std::size_t k = 0; k < segmentFactors.size(); ++k) {
        segmentFactors[k]->setText(texts.segmentFactors[k]);
    }
    lineEdit_Version->setText(texts.version);
    left_lineEdit->setText(texts.left);
    Right_lineEdit->setText(texts.right);
}

void AdvancedForm::clearChannels() {
    for (auto* table : {&azimuth, &intensity, &pitch}) {
        for (QLineEdit* edit : *table) {
            edit->clear();
        }
    }
    for (QLineEdit* edit : staticChannels) {
        edit->clear();
    }
    lineEdit_SerialNumber->clear();
    lineEdit_Version->clear();
}
