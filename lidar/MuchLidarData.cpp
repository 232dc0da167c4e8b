#include "lidar/MuchLidarData.h"

void registerMuchLidarDataMetaType() {
    qRegisterMetaType<MuchLidarData>("MuchLidarData");
    qRegisterMetaType<MuchLidarData>("struct MuchLidarData");
}
