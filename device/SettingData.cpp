#include "device/SettingData.h"

void registerSettingDataMetaTypes() {
    qRegisterMetaType<SettingData>("SettingData");
    qRegisterMetaType<SettingData>("struct SettingData");
    qRegisterMetaType<std::vector<int>>("std::vector<int>");
}
