#pragma once

#include "lidar/BoxStatistics.h"
#include "lidar/DataListRow.h"
#include "lidar/FrameConverter.h"

#include <array>
#include <vector>

class DataListModel;
class QLabel;
class QSplitter;
class QStatusBar;
class QTableView;
class QWidget;

// The data list in its dock and the three statistics labels of the status
// bar: their creation, and writing rows and statistics into them. The
// list's columns keep their widths, the ones the user set included, across
// frames, selections and new starts; they start wide enough for the longest
// number each column can hold. The first column numbers the rows, so the
// table shows no row header of its own (one that widens with the count and
// shifts the columns).
class DataListPanel {
public:
    // Adds the labels to the left of `statusBar`, in two lines.
    DataListPanel(QTableView& table, QStatusBar& statusBar, QWidget* window);

    // A fresh, empty list (each start of reception or playback).
    void createModel();
    // Null before the first start.
    DataListModel* model() const { return model_; }
    // No rows left; before the first start there is no list to empty.
    void clearList();
    // The rows of a drawn frame: without a selection they go over the top of
    // the list, with one they are the whole list. `rows` keeps storage for
    // the next frame.
    void showFrameRows(std::vector<DataListRow>& rows, bool selectionActive);
    void showStatistics(const BoxStatistics& statistics);
    // The labels as before the first frame.
    void clearStatistics();
    // A fresh selection: the list is its rows.
    void showListing(SelectionListing listing);

    // Gives the list's dock, the first widget of `splitter`, the width its
    // columns need (at most half the splitter's), and the rest to the view;
    // later the view alone grows and shrinks with the window.
    void fitDock(QSplitter& splitter);

private:
    // Widths for a new list: the ones in use, or at the start the layout's
    // widths widened where a column's longest text would not fit.
    std::array<int, 6> columnWidths() const;

    QTableView& table_;
    QWidget* window_;
    DataListModel* model_ = nullptr;
    QLabel* labelX_ = nullptr;
    QLabel* labelY_ = nullptr;
    QLabel* labelZ_ = nullptr;
};
