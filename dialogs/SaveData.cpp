#include "dialogs/SaveData.h"

#include "dialogs/DialogFields.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString trForm(const char* text) {
    return QCoreApplication::translate("SaveData", text);
}

template <class W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

SaveData::SaveData(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("SaveData"));
    setWindowTitle(trForm("SaveData"));
    resize(503, 622);
    setFixedSize(size());
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);

    auto* countLabel = named(new QLabel(trForm("SelectionDataFrameNumber:"), this), "label_7");
    frameCount_ = named(new QLineEdit(QStringLiteral("1"), this), "lineEdit_DataFrameNum");

    auto* angles = named(new QGroupBox(trForm("SelectionAngleRange"), this), "groupBox_2");
    minAngle_ = named(new QLineEdit(QStringLiteral("0"), angles), "lineEdit_MinAngle");
    maxAngle_ = named(new QLineEdit(QStringLiteral("180"), angles), "lineEdit_MaxAngle");
    auto* angleLayout = new QGridLayout(angles);
    angleLayout->addWidget(named(new QLabel(trForm("MinAngle:"), angles), "label"), 0, 0);
    angleLayout->addWidget(minAngle_, 0, 1);
    angleLayout->addWidget(named(new QLabel(trForm("MaxAngle:"), angles), "label_1"), 1, 0);
    angleLayout->addWidget(maxAngle_, 1, 1);

    auto* lines = named(new QGroupBox(trForm("SelectionLidarLine"), this), "groupBox");
    auto* all = named(new QCheckBox(trForm("All/All no choice"), lines), "checkBox");
    auto* toggle =
        named(new QPushButton(trForm("Switch selection"), lines), "pushButton_toggleselection");
    auto* table = named(new QTableWidget(lines), "tableWidget_laserselection");
    table_ = std::make_unique<ChannelCheckTable>(table);
    auto* bulk = new QHBoxLayout;
    bulk->addWidget(all);
    bulk->addStretch();
    bulk->addWidget(toggle);
    auto* lineLayout = new QVBoxLayout(lines);
    lineLayout->addLayout(bulk);
    lineLayout->addWidget(table);

    boxNote_ = named(new QLabel(trForm("A selection box is set: only the points inside it are "
                                       "exported. Press \"Clear\" on the \"Lidar\" tab to "
                                       "export whole frames."),
                                this),
                     "label_SelectionBox");
    boxNote_->setWordWrap(true);
    boxNote_->hide();

    auto* ok = named(new QPushButton(trForm("Ok"), this), "pushButton_OK");
    auto* cancel = named(new QPushButton(trForm("Cancel"), this), "pushButton_Cancel");
    auto* count = new QHBoxLayout;
    count->addWidget(countLabel);
    count->addWidget(frameCount_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(count);
    layout->addWidget(angles);
    layout->addWidget(lines);
    layout->addWidget(boxNote_);
    layout->addLayout(buttons);

    connect(all, &QCheckBox::clicked, this, &SaveData::Checkstate);
    connect(toggle, &QPushButton::clicked, this, &SaveData::Parity);
    connect(ok, &QPushButton::clicked, this, &SaveData::onOk_Clicked);
    connect(cancel, &QPushButton::clicked, this, &SaveData::onCancel_Clicked);
}

SaveData::~SaveData() = default;

void SaveData::showSelectionBoxNote(bool boxActive) {
    boxNote_->setVisible(boxActive);
}

void SaveData::onCancel_Clicked() {
    close();
}

void SaveData::onOk_Clicked() {
    const int frames = DialogFields::integerOrZero(frameCount_->text());
    const QString problem = DialogFields::frameCountProblem(frames);
    if (!problem.isEmpty()) {
        QMessageBox box(QMessageBox::Warning, trForm("warring"), problem, QMessageBox::Ok, this);
        box.exec();
        return;
    }
    settings_.channels.laserSelected = table_->checkedFlags();
    settings_.frameCount = frames;
    settings_.minAngle = DialogFields::floatOrZero(minAngle_->text());
    settings_.maxAngle = DialogFields::floatOrZero(maxAngle_->text());
    close();
    emit sendOkSignal(true);
}

void SaveData::Checkstate() {
    table_->switchAll();
}

void SaveData::Parity() {
    table_->switchGroups();
}
