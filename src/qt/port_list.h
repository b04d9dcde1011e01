#pragma once
// The ports a user can pick: the serial ports the system has, then the virtual sensors.

#include <string>
#include <vector>

namespace kelvo::qt {

struct PortChoice {
    std::string name;         // what the port field takes
    std::string description;  // for people
};

std::vector<PortChoice> availablePorts();
std::vector<PortChoice> virtualPorts();

}  // namespace kelvo::qt
