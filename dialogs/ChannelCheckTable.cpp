#include "dialogs/ChannelCheckTable.h"

#include "dialogs/DialogFields.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QTableWidget>

ChannelCheckTable::ChannelCheckTable(QTableWidget* table) {
    table->setRowCount(kChannels);
    table->setColumnCount(3);
    table->setHorizontalHeaderLabels(
        {QStringLiteral(" "), QStringLiteral("Channel"), QStringLiteral("V_angle")});
    table->verticalHeader()->hide();
    table->setSelectionBehavior(QAbstractItemView::SelectItems);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    const auto readOnly = [](const QString& text) {
        auto* item = new QTableWidgetItem(text);
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        return item;
    };
    for (int c = 0; c < kChannels; ++c) {
        boxes_[c] = new QCheckBox(table);
        boxes_[c]->setChecked(true);
        table->setCellWidget(c, 0, boxes_[c]);
        table->setItem(c, 1, readOnly(QString::number(c)));
        table->setItem(c, 2, readOnly(verticalAngleText(c)));
    }
}

void ChannelCheckTable::switchAll() {
    for (QCheckBox* b : boxes_) {
        b->setChecked(toggleState_);
    }
    toggleState_ = !toggleState_;
}

void ChannelCheckTable::switchGroups() {
    const bool oddGroups = toggleState_;
    for (int c = 0; c < kChannels; ++c) {
        boxes_[c]->setChecked(((c / 4) % 2 == 1) == oddGroups);
    }
    toggleState_ = !toggleState_;
}

std::array<int, ChannelCheckTable::kChannels> ChannelCheckTable::checkedFlags() const {
    std::array<int, kChannels> flags{};
    for (int c = 0; c < kChannels; ++c) {
        flags[c] = boxes_[c]->isChecked() ? 1 : 0;
    }
    return flags;
}

QString ChannelCheckTable::verticalAngleText(int channel) {
    return DialogFields::generalNumber(-17 + 0.25 * channel);
}
