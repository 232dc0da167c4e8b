#pragma once

#include "lidar/DataListRow.h"

#include <QAbstractTableModel>
#include <vector>

// The data list: its rows are kept as values and turned into text only when
// the list shows them, so a list of a hundred thousand rows is filled as
// fast as its rows are copied. Row n holds the row whose index is n; the six
// columns and their headers never change.
class DataListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The text of a cell, empty outside the list.
    QString text(int row, int column) const;

    // No rows.
    void clear();
    // Rows 0..n-1 become `rows` (indices 0..n-1, in order); the rows below
    // them stay as they were.
    void overwriteTop(const std::vector<DataListRow>& rows);
    // Exactly `rows` (indices 0..n-1, in order). `rows` is left holding the
    // previous rows' storage, for the next frame to reuse.
    void replaceAll(std::vector<DataListRow>& rows);

private:
    std::vector<DataListRow> rows_;
};
