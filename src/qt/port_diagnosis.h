#pragma once
// Why a serial device cannot be opened, in words a technician can act on, so the port pick
// list can mark it before anyone tries to start on it.

#include <string>

namespace kelvo::qt {

// Empty when the device opens. Opening it briefly is the only sure test of "in use", so
// this opens and closes the device; nothing is sent.
std::string portProblem(const std::string& device);

}  // namespace kelvo::qt
