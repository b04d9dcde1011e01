#include "virtualsensor/pty_bridge.h"

#ifdef _WIN32

namespace kelvo::virtualsensor {
PtyBridge::~PtyBridge() = default;
bool PtyBridge::open() {
    return fail("Pseudo-terminals are not available on this system");
}
bool PtyBridge::serve(int) {
    return false;
}
bool PtyBridge::fail(const std::string& what) {
    error_ = what;
    return false;
}
void PtyBridge::sendToClient(const Bytes&) {}
}  // namespace kelvo::virtualsensor

#else

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kelvo::virtualsensor {
namespace {

constexpr int64_t kMaxSleepNs = 60'000'000'000;

bool makeRaw(int fd) {
    termios mode{};
    if (tcgetattr(fd, &mode) != 0) return false;
    cfmakeraw(&mode);
    cfsetispeed(&mode, B9600);
    cfsetospeed(&mode, B9600);
    return tcsetattr(fd, TCSANOW, &mode) == 0;
}

// Sleeps until a client byte or a stop request comes, or the sensor's next byte is due,
// to the nanosecond where the system can, so replies keep their line timing.
int waitForInput(pollfd* fds, size_t count, SerialPort& sensor, const Clock& clock) {
    // A byte that fell due since the last look (a busy machine can hold this loop up) is
    // no longer "on its way", so the next arrival would not wake us for it: look again at
    // once instead of sleeping until the client writes.
    std::optional<int64_t> next = sensor.nextArrivalNs();
    if (sensor.bytesWaiting() > 0) next = clock.tickNs();
#ifdef __linux__
    timespec timeout{};
    if (next) {
        const int64_t left = std::clamp<int64_t>(*next - clock.tickNs(), 0, kMaxSleepNs);
        timeout.tv_sec = static_cast<time_t>(left / 1'000'000'000);
        timeout.tv_nsec = static_cast<long>(left % 1'000'000'000);
    }
    return ::ppoll(fds, count, next ? &timeout : nullptr, nullptr);
#else
    int timeout = -1;
    if (next) {
        const int64_t left = std::clamp<int64_t>(*next - clock.tickNs(), 0, kMaxSleepNs);
        timeout = static_cast<int>((left + 999'999) / 1'000'000);
    }
    return ::poll(fds, count, timeout);
#endif
}

}  // namespace

PtyBridge::~PtyBridge() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
}

bool PtyBridge::fail(const std::string& what) {
    error_ = what + ": " + std::strerror(errno);
    return false;
}

bool PtyBridge::open() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) return fail("Cannot create a pseudo-terminal");
    if (grantpt(master_) != 0 || unlockpt(master_) != 0)
        return fail("Cannot unlock the pseudo-terminal");
    const char* name = ptsname(master_);
    if (!name) return fail("Cannot name the pseudo-terminal");
    path_ = name;
    // Raw on both ends before anyone else opens it, or the line discipline would echo and
    // translate bytes. Holding the client end open also keeps the master from reporting a
    // hang-up each time a client closes.
    slave_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY);
    if (slave_ < 0) return fail("Cannot open " + path_);
    if (!makeRaw(master_) || !makeRaw(slave_)) return fail("Cannot set raw mode on " + path_);
    // Never block: a client that does not read must not stall the sensor.
    const int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail("Cannot configure " + path_);
    return true;
}

void PtyBridge::sendToClient(const Bytes& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + sent, bytes.size() - sent);
        if (n > 0) {
            sent += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return;  // nobody reads: the bytes are lost, as on a real line
        }
    }
}

bool PtyBridge::serve(int stopFd) {
    if (master_ < 0) return false;
    sensor_.open();
    std::array<uint8_t, 256> buffer{};
    for (;;) {
        if (const Bytes due = sensor_.readAll(); !due.empty()) sendToClient(due);
        std::array<pollfd, 2> fds{pollfd{master_, POLLIN, 0}, pollfd{stopFd, POLLIN, 0}};
        const int ready = waitForInput(fds.data(), fds.size(), sensor_, clock_);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return fail("Waiting on " + path_ + " failed");
        }
        if (fds[1].revents != 0) return true;
        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(master_, buffer.data(), buffer.size());
            if (n > 0) {
                sensor_.write(Bytes(buffer.begin(), buffer.begin() + n));
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                return fail("Reading " + path_ + " failed");
            }
        } else if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            errno = EIO;
            return fail("The pseudo-terminal " + path_ + " closed");
        }
    }
}

}  // namespace kelvo::virtualsensor

#endif
