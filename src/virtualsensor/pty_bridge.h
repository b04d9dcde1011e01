#pragma once
// Serves a virtual sensor on a pseudo-terminal, so that any program (kelvo-cli, kelvo, a
// terminal) can open it like a serial device. POSIX only.

#include <string>

#include "common/platform.h"
#include "virtualsensor/virtual_sensor.h"

namespace kelvo::virtualsensor {

class PtyBridge {
public:
    // sensor: a virtual sensor, or a virtual network of them.
    PtyBridge(SerialPort& sensor, const Clock& clock) : sensor_(sensor), clock_(clock) {}
    ~PtyBridge();
    PtyBridge(const PtyBridge&) = delete;
    PtyBridge& operator=(const PtyBridge&) = delete;

    // Creates the pseudo-terminal; false with error() when the system has none to give.
    bool open();
    // The device a client opens, e.g. "/dev/pts/4".
    const std::string& devicePath() const { return path_; }
    const std::string& error() const { return error_; }

    // Passes bytes between the client and the sensor, blocking in poll() between them,
    // until stopFd becomes readable (true) or the pseudo-terminal fails (false).
    bool serve(int stopFd);

private:
    bool fail(const std::string& what);
    void sendToClient(const Bytes& bytes);

    SerialPort& sensor_;
    const Clock& clock_;
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
    std::string error_;
};

}  // namespace kelvo::virtualsensor
