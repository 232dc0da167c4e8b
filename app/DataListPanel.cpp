#include "app/DataListPanel.h"

#include "app/TabCompactLabel.h"
#include "lidar/DataListModel.h"
#include "lidar/DataListText.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <algorithm>
#include <numeric>

DataListPanel::DataListPanel(QTableView& table, QStatusBar& statusBar, QWidget* window)
    : table_(table), window_(window) {
    table_.verticalHeader()->hide();
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
    // Two lines, Y above X and Z: on a screen 1366 pixels wide one line
    // cannot hold the nine figures beside the other items of the bar.
    auto* block = new QWidget(window);
    block->setObjectName(QStringLiteral("selectionStatistics"));
    auto* lines = new QGridLayout(block);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(0);
    lines->addWidget(labelY_, 0, 0, 1, 3);
    lines->addWidget(labelX_, 1, 0);
    lines->addWidget(label(10), 1, 1);
    lines->addWidget(labelZ_, 1, 2);
    statusBar.addWidget(block);
}

void DataListPanel::createModel() {
    const std::array<int, 6> widths = columnWidths();
    // The previous model (if any) goes with its last rows.
    DataListModel* old = model_;
    model_ = new DataListModel(window_);
    table_.setModel(model_);
    for (int c = 0; c < DataListText::kColumnCount; ++c) {
        table_.setColumnWidth(c, widths[static_cast<std::size_t>(c)]);
    }
    delete old;
}

std::array<int, 6> DataListPanel::columnWidths() const {
    std::array<int, 6> widths{};
    for (int c = 0; c < DataListText::kColumnCount; ++c) {
        widths[static_cast<std::size_t>(c)] = table_.columnWidth(c);
    }
    if (model_ != nullptr) {
        return widths;
    }
    // Digits measured as the font's widest one; the cell's text sits
    // between the focus frame's margins, beside the grid line.
    const QFontMetrics metrics(table_.font());
    QChar widestDigit = QLatin1Char('0');
    for (char d = '1'; d <= '9'; ++d) {
        if (metrics.horizontalAdvance(QLatin1Char(d)) > metrics.horizontalAdvance(widestDigit)) {
            widestDigit = QLatin1Char(d);
        }
    }
    const int margins =
        2 * (table_.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &table_) + 1) +
        (table_.showGrid() ? 1 : 0);
    const auto layout = DataListText::columnWidths();
    const auto longest = DataListText::longestCells();
    for (std::size_t c = 0; c < widths.size(); ++c) {
        QString text = longest[c];
        for (QChar& ch : text) {
            ch = ch.isDigit() ? widestDigit : ch;
        }
        widths[c] = std::max(layout[c], metrics.horizontalAdvance(text) + margins);
    }
    return widths;
}

void DataListPanel::clearList() {
    if (model_ != nullptr) {
        model_->clear();
    }
}

void DataListPanel::showFrameRows(std::vector<DataListRow>& rows, bool selectionActive) {
    if (model_ == nullptr) {
        return;
    }
    if (selectionActive) {
        model_->replaceAll(rows);
    } else {
        model_->overwriteTop(rows);
    }
}

void DataListPanel::showStatistics(const BoxStatistics& statistics) {
    const DataListText::StatisticsTexts texts = DataListText::statistics(statistics);
    labelX_->setText(texts.x);
    labelY_->setText(texts.y);
    labelZ_->setText(texts.z);
}

void DataListPanel::clearStatistics() {
    const DataListText::StatisticsTexts initial = DataListText::initialStatistics();
    labelX_->setText(initial.x);
    labelY_->setText(initial.y);
    labelZ_->setText(initial.z);
}

void DataListPanel::fitDock(QSplitter& splitter) {
    const std::array<int, 6> widths = columnWidths();
    int needed = std::accumulate(widths.begin(), widths.end(), 0);
    // Around the columns: the dock's margins, the table's frame and, once
    // rows fill it, the scroll bar.
    QWidget* dock = splitter.widget(0);
    needed += dock->width() - table_.viewport()->width();
    if (!table_.verticalScrollBar()->isVisible()) {
        needed += table_.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &table_);
    }
    const int total = splitter.width() - splitter.handleWidth();
    const int dockWidth = std::min(needed, total / 2);
    splitter.setStretchFactor(0, 0);
    splitter.setStretchFactor(1, 1);
    splitter.setSizes({dockWidth, total - dockWidth});
}

void DataListPanel::showListing(SelectionListing listing) {
    if (model_ != nullptr) {
        model_->replaceAll(listing.rows);
        table_.scrollToTop();
    }
    showStatistics(listing.statistics);
}
