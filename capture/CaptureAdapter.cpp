#include "capture/CaptureAdapter.h"

std::string CaptureAdapter::label() const {
    if (ipv4Addresses.empty()) {
        return name;
    }
    std::string text = name + " (";
    for (std::size_t i = 0; i < ipv4Addresses.size(); ++i) {
        text += (i == 0 ? "" : ", ") + ipv4Addresses[i];
    }
    return text + ")";
}
