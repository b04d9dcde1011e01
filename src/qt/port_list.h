#pragma once
// The ports a user can pick: the serial ports the system has, then the virtual sensors.

#include <string>
#include <vector>

namespace kelvo::qt {

struct PortChoice {
    std::string name;         // what the port field takes
    std::string description;  // for people
    std::string problem;      // why it cannot be opened; empty when it can
};

// The serial ports, each tried once so that one that cannot be opened says why.
std::vector<PortChoice> availablePorts();
std::vector<PortChoice> virtualPorts();

}  // namespace kelvo::qt
