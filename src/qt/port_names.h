#pragma once
// What a port name means: "3" is the third serial port, "virtual:6v3" a built-in virtual
// sensor, anything else the device's own name.

#include <string>

namespace kelvo::qt {

struct PortTarget {
    enum class Kind { Serial, Virtual, VirtualNetwork, Invalid };
    Kind kind = Kind::Invalid;
    std::string device;  // Serial: the device to open ("COM3", "/dev/ttyS2", "/dev/pts/4")
    int platform = 0;    // Virtual: 5, 6, 61 or 7
    int version = 0;
    std::string error;  // Invalid: why
};

constexpr const char* kVirtualPrefix = "virtual:";
// Four virtual sensors on one line, at network IDs 1 to 4.
constexpr const char* kVirtualNetworkName = "virtual:net";

PortTarget resolvePortName(const std::string& name);

// The version a virtual sensor of the platform has when the name gives none.
int defaultVirtualVersion(int platform);

}  // namespace kelvo::qt
