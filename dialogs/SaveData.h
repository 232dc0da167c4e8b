#pragma once

#include "dialogs/ChannelCheckTable.h"
#include "lidar/ExportSettings.h"

#include <QWidget>
#include <memory>

class QLabel;
class QLineEdit;

// The settings of a multi-frame CSV export: the number of frames, the
// azimuth window and the channels. "Ok" stores them, hides the window and
// emits sendOkSignal(true), which starts the export; a frame count below 1
// is refused with a "warring" box and the window stays open. "Cancel"
// hides it and keeps the previous settings. While the view has a selection
// box the window says that the export keeps to it.
class SaveData : public QWidget {
    Q_OBJECT
public:
    explicit SaveData(QWidget* parent = nullptr);
    ~SaveData() override;

    const ExportSettings& settings() const { return settings_; }
    // Shows or hides the note that only the points inside the selection
    // box are exported.
    void showSelectionBoxNote(bool boxActive);

signals:
    void sendOkSignal(bool finishFlag);

public slots:
    void onCancel_Clicked();
    void onOk_Clicked();
    void Checkstate();
    void Parity();

private:
    ExportSettings settings_;
    std::unique_ptr<ChannelCheckTable> table_;
    QLineEdit* frameCount_ = nullptr;
    QLineEdit* minAngle_ = nullptr;
    QLineEdit* maxAngle_ = nullptr;
    QLabel* boxNote_ = nullptr;
};
