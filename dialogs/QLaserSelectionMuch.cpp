#include "dialogs/QLaserSelectionMuch.h"

#include "platform/ImagePath.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString trForm(const char* text) {
    return QCoreApplication::translate("QLaserSelectionMuch", text);
}

} // namespace

QLaserSelectionMuch::QLaserSelectionMuch(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("QLaserSelectionMuch"));
    setWindowTitle(trForm("QLaserSelectionMuch"));
    setWindowIcon(ImagePath::icon(QStringLiteral("Resources/images/corvane.ico")));
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    resize(360, 498);
    setFixedSize(360, 498);

    auto* all = new QCheckBox(trForm("All/All no choice"), this);
    all->setObjectName(QStringLiteral("checkBox"));
    auto* toggle = new QPushButton(trForm("Switch selection"), this);
    toggle->setObjectName(QStringLiteral("pushButton_toggleselection"));
    auto* table = new QTableWidget(this);
    table->setObjectName(QStringLiteral("tableWidget_laserselection"));
    table_ = std::make_unique<ChannelCheckTable>(table);
    futureDialogs_ = new QCheckBox(trForm("Applicable to future dialogs"), this);
    futureDialogs_->setObjectName(QStringLiteral("checkBox_2"));
    auto* ok = new QPushButton(trForm("OK"), this);
    ok->setObjectName(QStringLiteral("pushButton_OK"));
    auto* cancel = new QPushButton(trForm("Cancel"), this);
    cancel->setObjectName(QStringLiteral("pushButton_Cancel"));

    auto* top = new QHBoxLayout;
    top->addWidget(all);
    top->addStretch();
    top->addWidget(toggle);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(table);
    layout->addWidget(futureDialogs_);
    layout->addLayout(buttons);

    connect(all, &QCheckBox::clicked, this, &QLaserSelectionMuch::Checkstate);
    connect(toggle, &QPushButton::clicked, this, &QLaserSelectionMuch::Parity);
    connect(futureDialogs_, &QCheckBox::clicked, this, &QLaserSelectionMuch::Checkstate2);
    connect(ok, &QPushButton::clicked, this, &QLaserSelectionMuch::onOk_Clicked);
    connect(cancel, &QPushButton::clicked, this, &QLaserSelectionMuch::onCancel_Clicked);
}

QLaserSelectionMuch::~QLaserSelectionMuch() = default;

void QLaserSelectionMuch::onCancel_Clicked() {
    close();
}

void QLaserSelectionMuch::onOk_Clicked() {
    selection_.laserSelected = table_->checkedFlags();
}

void QLaserSelectionMuch::Checkstate() {
    table_->switchAll();
}

void QLaserSelectionMuch::Checkstate2() {
    // Keeps the boxes as they are for the dialogs to come: a checked box is
    // checked again.
    if (!futureDialogs_->isChecked()) {
        return;
    }
    for (int c = 0; c < ChannelCheckTable::kChannels; ++c) {
        if (table_->box(c)->isChecked()) {
            table_->box(c)->setChecked(true);
        }
    }
}

void QLaserSelectionMuch::Parity() {
    table_->switchGroups();
}
