#pragma once
// Moving a sensor of a network to another network ID: the new ID must be free on the line,
// the change is backed up and recorded like any settings write, and the sensor must answer
// at its new ID afterwards.

#include <string>

namespace kelvo {

struct Context;

// What keeps the text from being a network ID for the sensor at `from`; empty when it is one.
std::string NewNetworkIdProblem(const std::string& typed, int from);

// Writes `to` into the network-ID byte of the sensor at `from` and asks it at `to`. Refused,
// with nothing sent, when any sensor already answers `to`. False with the reason (and, for
// a write cut short, what reached the sensor and the way back) in ErrorText. The link is left
// addressing the sensor where it answers, its image forgotten.
bool ChangeNetworkId(Context& ctx, int from, int to);

}  // namespace kelvo
