#pragma once

#include "lidar/BoxStatistics.h"
#include "lidar/DataListRow.h"
#include "lidar/FrameConverter.h"

#include <vector>

class QLabel;
class QStandardItemModel;
class QStatusBar;
class QTableView;
class QWidget;

// The data list in its dock and the three statistics labels of the status
// bar: their creation, and writing rows and statistics into them.
class DataListPanel {
public:
    // Adds the labels, with their spacers, to the left of `statusBar`.
    DataListPanel(QTableView& table, QStatusBar& statusBar, QWidget* window);

    // A fresh, empty list (each start of reception or playback).
    void createModel();
    // Null before the first start.
    QStandardItemModel* model() const { return model_; }
    // No rows left, the columns and headers kept; before the first start
    // there is no list to empty.
    void clearList();
    void writeRows(const std::vector<DataListRow>& rows);
    void showStatistics(const BoxStatistics& statistics);
    // A fresh selection: the list starts again with its rows.
    void showListing(const SelectionListing& listing);
    // The first row the list shows.
    int firstVisibleRow() const;

private:
    void showModel();

    QTableView& table_;
    QWidget* window_;
    QStandardItemModel* model_ = nullptr;
    QLabel* labelX_ = nullptr;
    QLabel* labelY_ = nullptr;
    QLabel* labelZ_ = nullptr;
};
