#pragma once

#include "advanced/AdvancedFields.h"

#include <array>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QVBoxLayout;
class QWidget;

// The widgets of the advanced parameter window, built in code from tables:
// 352 fields with the object names the window's users know.
class AdvancedForm {
public:
    // Builds the widgets as children of `window`, with its title, icon and size.
    void setupUi(QWidget* window);

    AdvancedFields fields() const;
    // Fills every field that "Refresh state" fills from `texts`, offsets included.
    void showRefreshed(const AdvancedFields& texts);
    // Empties the per-channel fields, then serial number and version.
    void clearChannels();

    QVBoxLayout* leftColumn = nullptr; // the number group and the buttons
    QGroupBox* groupBox_NumberSetting = nullptr;
    QLineEdit* lineEdit_SerialNumber = nullptr;
    QLineEdit* lineEdit_Version = nullptr;
    std::array<QLineEdit*, AdvancedFields::kSegmentCount> segmentFactors{}; // lineEdit_seg ...
    QLineEdit* lineEdit_rangeselector = nullptr;
    QLineEdit* lineEdit_DestIP = nullptr;
    QLineEdit* lineEdit_DestPort = nullptr;

    QPushButton* pushButton_SaveSettingfile = nullptr;
    QPushButton* pushButton_RecoverSetting = nullptr;
    QPushButton* pushButton_Refreshlidar = nullptr;
    QPushButton* pushButton_OK = nullptr;
    QPushButton* pushButton_Cancel = nullptr;

    QTabWidget* tabWidget = nullptr;
    std::array<QLineEdit*, AdvancedFields::kStaticCount> staticChannels{};
    QLineEdit* left_lineEdit = nullptr;
    QLineEdit* Right_lineEdit = nullptr;
    std::array<QLineEdit*, AdvancedFields::kChannelCount> pitch{};
    std::array<QLineEdit*, AdvancedFields::kChannelCount> azimuth{};
    std::array<QLineEdit*, AdvancedFields::kChannelCount> intensity{};

private:
    QWidget* numberGroup(QWidget* window);
    QWidget* staticTab();
    QWidget* channelTab(const char* groupName, const char* title, const char* fieldPrefix,
                        std::array<QLineEdit*, AdvancedFields::kChannelCount>& fields);
};
