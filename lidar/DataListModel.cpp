#include "lidar/DataListModel.h"

#include "lidar/DataListText.h"

#include <algorithm>

DataListModel::DataListModel(QObject* parent) : QAbstractTableModel(parent) {}

int DataListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int DataListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : DataListText::kColumnCount;
}

QVariant DataListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) {
        return {};
    }
    return text(index.row(), index.column());
}

QVariant DataListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < DataListText::kColumnCount) {
        return DataListText::headers().at(section);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

QString DataListModel::text(int row, int column) const {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) {
        return {};
    }
    return DataListText::cell(rows_[static_cast<std::size_t>(row)], column);
}

void DataListModel::clear() {
    if (rows_.empty()) {
        return;
    }
    beginRemoveRows(QModelIndex(), 0, static_cast<int>(rows_.size()) - 1);
    rows_.clear();
    endRemoveRows();
}

void DataListModel::overwriteTop(const std::vector<DataListRow>& rows) {
    const std::size_t kept = std::min(rows.size(), rows_.size());
    if (rows.size() > rows_.size()) {
        beginInsertRows(QModelIndex(), static_cast<int>(rows_.size()),
                        static_cast<int>(rows.size()) - 1);
        rows_.insert(rows_.end(), rows.begin() + static_cast<std::ptrdiff_t>(kept), rows.end());
        endInsertRows();
    }
    std::copy(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(kept), rows_.begin());
    if (kept > 0) {
        emit dataChanged(index(0, 0),
                         index(static_cast<int>(kept) - 1, DataListText::kColumnCount - 1));
    }
}

void DataListModel::replaceAll(std::vector<DataListRow>& rows) {
    const std::size_t before = rows_.size();
    const std::size_t after = rows.size();
    if (after < before) {
        beginRemoveRows(QModelIndex(), static_cast<int>(after), static_cast<int>(before) - 1);
        rows_.resize(after);
        endRemoveRows();
    }
    if (after > before) {
        beginInsertRows(QModelIndex(), static_cast<int>(before), static_cast<int>(after) - 1);
    }
    rows_.swap(rows);
    if (after > before) {
        endInsertRows();
    }
    const std::size_t changed = std::min(before, after);
    if (changed > 0) {
        emit dataChanged(index(0, 0),
                         index(static_cast<int>(changed) - 1, DataListText::kColumnCount - 1));
    }
}
