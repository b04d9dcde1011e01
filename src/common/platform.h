#pragma once
// The few doors through which the core reaches the outside world. Each has one real
// implementation (Qt, or the standard library) and a fake in tests/support.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvo {

using Bytes = std::vector<uint8_t>;

class SerialPort {
public:
    virtual ~SerialPort() = default;

    // The name the port opens: "1" (COM1 or /dev/ttyS0), "/dev/ttyUSB0", "virtual:6v3".
    virtual void setPortName(const std::string& name) = 0;
    virtual std::string portName() const = 0;

    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    virtual int bytesWaiting() = 0;
    virtual Bytes readAll() = 0;
    virtual bool write(const Bytes& bytes) = 0;
    // Ports without DTR control (pseudo-terminals, some USB adapters) ignore this quietly.
    virtual void setDtr(bool on) = 0;

    // Why the last open or transfer failed, in the port's own words.
    virtual std::string errorString() const = 0;

    // A simulated line knows when its next byte lands; waits use it to sleep exactly
    // that long instead of polling. Real ports wake the event loop by themselves.
    virtual std::optional<int64_t> nextArrivalMs() const { return std::nullopt; }
    // The same moment on the Clock's tickNs(), for waits that can sleep finer than a tick.
    virtual std::optional<int64_t> nextArrivalNs() const { return std::nullopt; }
};

inline constexpr int64_t kNsPerMs = 1'000'000;

class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic milliseconds; never wraps in practice and never goes back.
    virtual int64_t tickMs() const = 0;
    // The same tick in nanoseconds where the clock has them (tickMs() == tickNs() / 10^6).
    virtual int64_t tickNs() const { return tickMs() * kNsPerMs; }
    // Time of day in seconds since midnight (wall clock; may jump back at midnight).
    virtual double secondsOfDay() const = 0;
};

class EventPump {
public:
    virtual ~EventPump() = default;
    // Let the user interface run, then block until input may have arrived or the
    // deadline (on the Clock's tick) has passed. Never spins.
    virtual void idle(int64_t deadlineMs) = 0;
    // The same with a deadline on the Clock's tickNs(), for pumps that can sleep finer than
    // a millisecond; the others round the deadline up, so a wait is never cut short.
    virtual void idleNs(int64_t deadlineNs) { idle((deadlineNs + kNsPerMs - 1) / kNsPerMs); }
    // Let pending user-interface events run without waiting.
    virtual void processEvents() = 0;
};

class Prompter {
public:
    enum class Icon { Plain, Critical };

    virtual ~Prompter() = default;
    // Message box with an OK button and the application's title.
    virtual void message(const std::string& text, Icon icon = Icon::Plain) = 0;
    // Input box; an empty text when the user cancels or enters nothing.
    virtual std::string input(const std::string& prompt) = 0;
    // File dialogs with a filter such as "(*.Set)|*.Set"; nullopt when cancelled.
    virtual std::optional<std::string> openFile(const std::string& filter) = 0;
    virtual std::optional<std::string> saveFile(const std::string& filter) = 0;
    // A Yes/No question whose safe answer is No: true only when the user says Yes. Where
    // nobody can be asked, the answer is No.
    virtual bool confirm(const std::string& question) {
        (void)question;
        return false;
    }
    // A question whose usual answer is to go on: Enter goes on, Escape answers No. Where
    // nobody can be asked, the answer is No all the same.
    virtual bool proceed(const std::string& question) { return confirm(question); }
};

}  // namespace kelvo
