#include "capture/AdapterChooser.h"

#include "capture/LiveCapture.h"

#include <QCoreApplication>
#include <algorithm>
#include <mutex>

namespace {

constexpr int kEthernetLinkType = 1; // DLT_EN10MB

// The choice the user made, kept until the program ends.
std::mutex rememberedMutex;
std::string rememberedName;

bool fitForSensorTraffic(const CaptureAdapter& a) {
    return a.linkType == kEthernetLinkType && a.up && a.running;
}

int rank(const CaptureAdapter& a) {
    if (a.loopback) {
        return 2;
    }
    return a.ipv4Addresses.empty() ? 1 : 0;
}

} // namespace

namespace AdapterChooser {

std::vector<CaptureAdapter> candidates(const std::vector<CaptureAdapter>& adapters) {
    std::vector<CaptureAdapter> fit;
    std::copy_if(adapters.begin(), adapters.end(), std::back_inserter(fit), fitForSensorTraffic);
    std::stable_sort(fit.begin(), fit.end(), [](const CaptureAdapter& a, const CaptureAdapter& b) {
        return rank(a) < rank(b);
    });
    return fit;
}

Decision decide(const std::vector<CaptureAdapter>& adapters, const std::string& remembered) {
    Decision d;
    d.candidates = candidates(adapters);
    if (d.candidates.empty()) {
        d.kind = Decision::Kind::NoCandidate;
        return d;
    }
    const auto earlier =
        std::find_if(d.candidates.begin(), d.candidates.end(),
                     [&](const CaptureAdapter& a) { return a.name == remembered; });
    if (!remembered.empty() && earlier != d.candidates.end()) {
        std::rotate(d.candidates.begin(), earlier, earlier + 1);
        d.kind = Decision::Kind::Use;
        return d;
    }
    const auto nonLoopback = std::count_if(d.candidates.begin(), d.candidates.end(),
                                           [](const CaptureAdapter& a) { return !a.loopback; });
    // Loopback stays on the list the user sees: with sensor-sim on the same
    // machine it is the adapter that carries the traffic.
    d.kind = nonLoopback > 1 ? Decision::Kind::AskUser : Decision::Kind::Use;
    return d;
}

std::optional<std::string> resolve(const Picker& pick, QString* errorText) {
    QString listError;
    const std::vector<CaptureAdapter> adapters = LiveCapture::listAdapters(&listError);
    if (adapters.empty() && !listError.isEmpty()) {
        if (errorText) {
            *errorText = listError;
        }
        return std::nullopt;
    }
    const Decision d = decide(adapters, remembered());
    switch (d.kind) {
    case Decision::Kind::NoCandidate:
        if (errorText) {
            *errorText = QCoreApplication::translate(
                "AdapterChooser",
                "No network adapter can carry the sensor's traffic: none that delivers Ethernet "
                "frames is up and running. Connect the sensor and check the adapter's settings.");
        }
        return std::nullopt;
    case Decision::Kind::Use:
        return d.candidates.front().name;
    case Decision::Kind::AskUser:
        break;
    }
    // Without a way to ask, the preselected adapter is taken.
    const std::optional<std::string> chosen =
        pick ? pick(d.candidates) : std::optional<std::string>(d.candidates.front().name);
    if (chosen) {
        std::lock_guard<std::mutex> lock(rememberedMutex);
        rememberedName = *chosen;
    } else if (errorText) {
        errorText->clear();
    }
    return chosen;
}

std::string remembered() {
    std::lock_guard<std::mutex> lock(rememberedMutex);
    return rememberedName;
}

void forget() {
    std::lock_guard<std::mutex> lock(rememberedMutex);
    rememberedName.clear();
}

} // namespace AdapterChooser
