#pragma once

#include "dialogs/PointRange.h"

#include <QWidget>
#include <array>

class QLineEdit;

// Edits the selection box as minimum and maximum x, y and z. The window
// shows it with its current box; "OK" stores the six fields (text that is
// not a number reads as 0, bounds are kept as typed) and emits
// sendOkCliced(), leaving the window open. "Cancel" closes it.
class SelectPointRange : public QWidget {
    Q_OBJECT
public:
    explicit SelectPointRange(QWidget* parent = nullptr);

    // Writes `range` into the fields and shows the window.
    void showWithValues(const PointRange& range);
    const PointRange& range() const { return range_; }

signals:
    void sendOkCliced();

public slots:
    void okButton_clicked();
    void cancelButton_clicked();

private:
    PointRange range_;
    // Xmin, Xmax, Ymin, Ymax, Zmin, Zmax.
    std::array<QLineEdit*, 6> fields_{};
};
