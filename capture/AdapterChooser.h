#pragma once

#include "capture/CaptureAdapter.h"

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Which adapter live captures (the recorder, the advanced parameter window)
// read from. Only adapters that deliver Ethernet frames and are up and
// running can carry the sensor's traffic: those that are not loopback and
// have an IPv4 address come first, in list order; loopback comes last.
namespace AdapterChooser {

// The adapters fit for the sensor's traffic, most likely first.
std::vector<CaptureAdapter> candidates(const std::vector<CaptureAdapter>& adapters);

struct Decision {
    enum class Kind {
        Use,        // take candidates.front() without asking
        AskUser,    // several non-loopback candidates: the user picks one (loopback last)
        NoCandidate // nothing can carry the traffic
    };
    Kind kind = Kind::NoCandidate;
    std::vector<CaptureAdapter> candidates; // for AskUser, front() is preselected
};

// Pure: the choice over a given adapter list. `remembered` (the name chosen
// earlier in this run, empty for none) wins while it is still a candidate;
// exactly one non-loopback candidate is used; several are put to the user;
// with no non-loopback candidate a loopback one is used.
Decision decide(const std::vector<CaptureAdapter>& adapters, const std::string& remembered);

// Asks the user to pick one of `candidates` (front() preselected); nothing
// when the user cancels. Supplied by the window, so this layer stays free
// of widgets.
using Picker = std::function<std::optional<std::string>(const std::vector<CaptureAdapter>&)>;

// Lists the host's adapters, decides, asks `pick` when needed (without a
// picker the preselected adapter is taken) and remembers the user's answer
// until the program ends. Returns the adapter name, or nothing
// with a text for the user in `errorText` (no candidate, listing failed,
// cancelled: then errorText stays empty).
std::optional<std::string> resolve(const Picker& pick, QString* errorText);

// The adapter remembered by resolve(); empty before the first choice.
std::string remembered();
void forget(); // for tests

} // namespace AdapterChooser
