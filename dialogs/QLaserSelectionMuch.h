#pragma once

#include "dialogs/ChannelCheckTable.h"
#include "lidar/ChannelSelection.h"

#include <QWidget>
#include <memory>

class QCheckBox;

// Chooses which of the 128 channels are shown. "OK" stores the checked
// boxes in the selection that the window's frame conversion and picking
// read; the window stays open. "Cancel" hides it and changes nothing.
class QLaserSelectionMuch : public QWidget {
    Q_OBJECT
public:
    explicit QLaserSelectionMuch(QWidget* parent = nullptr);
    ~QLaserSelectionMuch() override;

    const ChannelSelection& selection() const { return selection_; }
    ChannelSelection& selection() { return selection_; }

public slots:
    void onCancel_Clicked();
    void onOk_Clicked();
    void Checkstate();
    void Checkstate2();
    void Parity();

private:
    ChannelSelection selection_;
    std::unique_ptr<ChannelCheckTable> table_;
    QCheckBox* futureDialogs_ = nullptr;
};
