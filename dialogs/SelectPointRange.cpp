#include "dialogs/SelectPointRange.h"

#include "dialogs/DialogFields.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString trForm(const char* text) {
    return QCoreApplication::translate("SelectPointRange", text);
}

std::array<double*, 6> membersOf(PointRange& r) {
    return {&r.xMin, &r.xMax, &r.yMin, &r.yMax, &r.zMin, &r.zMax};
}

} // namespace

SelectPointRange::SelectPointRange(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("SelectPointRange"));
    setWindowTitle(trForm("SelectPointRange"));
    resize(590, 260);
    setWindowModality(Qt::ApplicationModal);

    const char* rows[3][3] = {{"label_X", "lineEdit_Xmin", "lineEdit_Xmax"},
                              {"label_Y", "lineEdit_Ymin", "lineEdit_Ymax"},
                              {"label_Z", "lineEdit_Zmin", "lineEdit_Zmax"}};
    const char* labels[3] = {"选取 X 的范围：", "选取 Y 的范围：", "选取 Z 的范围："};
    auto* grid = new QGridLayout;
    for (int r = 0; r < 3; ++r) {
        auto* label = new QLabel(trForm(labels[r]), this);
        label->setObjectName(QString::fromLatin1(rows[r][0]));
        grid->addWidget(label, r, 0);
        for (int k = 0; k < 2; ++k) {
            QLineEdit*& field = fields_[2 * r + k];
            field = new QLineEdit(this);
            field->setObjectName(QString::fromLatin1(rows[r][1 + k]));
            grid->addWidget(field, r, 1 + k);
        }
    }
    auto* ok = new QPushButton(trForm("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    auto* cancel = new QPushButton(trForm("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &SelectPointRange::okButton_clicked);
    connect(cancel, &QPushButton::clicked, this, &SelectPointRange::cancelButton_clicked);
}

void SelectPointRange::showWithValues(const PointRange& range) {
    range_ = range;
    const auto members = membersOf(range_);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        fields_[i]->setText(DialogFields::generalNumber(*members[i]));
    }
    show();
    raise();
    activateWindow();
}

void SelectPointRange::okButton_clicked() {
    const auto members = membersOf(range_);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        *members[i] = DialogFields::numberOrZero(fields_[i]->text());
    }
    emit sendOkCliced();
}

void SelectPointRange::cancelButton_clicked() {
    close();
}
