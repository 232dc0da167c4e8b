#include "app/DataListPanel.h"

#include "app/TabCompactLabel.h"
#include "lidar/DataListText.h"

#include <QScrollBar>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTableView>

DataListPanel::DataListPanel(QTableView& table, QStatusBar& statusBar, QWidget* window)
    : table_(table), window_(window) {
    const auto label = [window](int minimumWidth) {
        auto* l = new TabCompactLabel(window);
        l->setMinimumSize(minimumWidth, 20);
        return l;
    };
    const DataListText::StatisticsTexts initial = DataListText::initialStatistics();
    labelY_ = label(150);
    labelY_->setObjectName(QStringLiteral("statusLabelY"));
    labelY_->setText(initial.y);
    labelX_ = label(150);
    labelX_->setObjectName(QStringLiteral("statusLabelX"));
    labelX_->setText(initial.x);
    labelZ_ = label(150);
    labelZ_->setObjectName(QStringLiteral("statusLabelZ"));
    labelZ_->setText(initial.z);
    statusBar.addWidget(labelY_);
    statusBar.addWidget(label(100));
    statusBar.addWidget(labelX_);
    statusBar.addWidget(label(10));
    statusBar.addWidget(labelZ_);
}

void DataListPanel::createModel() {
    // The previous model (if any) goes with its last rows.
    QStandardItemModel* old = model_;
    model_ = new QStandardItemModel(0, DataListText::kColumnCount, window_);
    model_->setHorizontalHeaderLabels(DataListText::headers());
    showModel();
    delete old;
}

void DataListPanel::showModel() {
    table_.setModel(model_);
    const auto widths = DataListText::columnWidths();
    for (int c = 0; c < DataListText::kColumnCount; ++c) {
        table_.setColumnWidth(c, widths[c]);
    }
}

void DataListPanel::clearList() {
    if (model_ == nullptr) {
        return;
    }
    model_->clear();
    model_->setColumnCount(DataListText::kColumnCount);
    model_->setHorizontalHeaderLabels(DataListText::headers());
}

void DataListPanel::writeRows(const std::vector<DataListRow>& rows) {
    if (model_ == nullptr) {
        return;
    }
    // Each cell set in a shown model makes the view redo its layout, which
    // for a large selection costs time with the square of its rows: those
    // are written with the list detached.
    const bool detached = rows.size() > static_cast<std::size_t>(FrameConverter::kListedPoints);
    if (detached) {
        table_.setModel(nullptr);
    }
    for (const DataListRow& row : rows) {
        const auto cells = DataListText::cells(row);
        for (int c = 0; c < DataListText::kColumnCount; ++c) {
            model_->setItem(row.index, c, new QStandardItem(cells[c]));
        }
    }
    if (detached) {
        showModel();
    }
}

void DataListPanel::showStatistics(const BoxStatistics& statistics) {
    const DataListText::StatisticsTexts texts = DataListText::statistics(statistics);
    labelX_->setText(texts.x);
    labelY_->setText(texts.y);
    labelZ_->setText(texts.z);
}

void DataListPanel::showListing(const SelectionListing& listing) {
    clearList();
    writeRows(listing.rows);
    showStatistics(listing.statistics);
}

int DataListPanel::firstVisibleRow() const {
    return table_.verticalScrollBar()->value();
}
