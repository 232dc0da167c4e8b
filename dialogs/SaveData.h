#pragma once

#include "dialogs/ChannelCheckTable.h"
#include "lidar/ExportSettings.h"

#include <QWidget>
#include <memory>

class QLineEdit;

// The settings of a multi-frame CSV export: the number of frames, the
// azimuth window and the channels. "Ok" stores them, hides the window and
// emits sendOkSignal(true), which starts the export; a frame count below 1
// is refused with a "warring" box and the window stays open. "Cancel"
// hides it and keeps the previous settings.
class SaveData : public QWidget {
    Q_OBJECT
public:
    explicit SaveData(QWidget* parent = nullptr);
    ~SaveData() override;

    const ExportSettings& settings() const { return settings_; }

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
};
