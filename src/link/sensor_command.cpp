#include "link/sensor_command.h"

#include <array>
#include <optional>

#include "common/context.h"
#include "common/id_byte.h"
#include "link/line_attempts.h"
#include "link/link_frames.h"
#include "link/port_hold.h"
#include "link/sensor_mem_write.h"

namespace kelvo {
namespace {

using namespace link;

struct CommandTexts {
    const char* status;
    const char* failure;
};

constexpr std::array<CommandTexts, 6> kTexts{{
    {"Saving to RAM", "Can't save to RAM"},
    {"Saving to EEPROM", "Can't save to EEPROM"},
    {"Locking EEPROM", "Can't lock EEPROM"},
    {"Unlocking EEPROM", "Can't unlock EEPROM"},
    {"Saving ID to EEPROM", "Can't save ID to sensor"},
    {"TWA reset", "Can't reset TWA"},
}};

// The platform-6 sensor refuses an unlock while its TMO counter runs; writing 1 to this
// RAM byte resets the counter.
constexpr int kTmoCounterAddress = 230;

bool isKnownCommand(int32_t command) {
    return command >= 0 && command <= 5;
}

bool resetTmoCounter(Context& ctx) {
    ctx.RamImage[kTmoCounterAddress] = 1;
    ctx.StatusText = "Resetting TMO counter";
    return SensorMemWrite(
        ctx, {.span = ramRange(kTmoCounterAddress, 1), .keepOpen = true, .writeAll = true});
}

Outcome exchange(Context& ctx, int32_t command, const Bytes& frame) {
    ctx.StatusText = kTexts[command].status;
    ctx.events.processEvents();
    if (!sendEachByte(ctx, frame)) return Outcome::Fail;
    // An unlock whose answer is lost may still have reached the sensor; one it refused has not.
    const bool wasOpen = ctx.EepromMayBeUnlocked;
    if (command == kUnlockEeprom) ctx.EepromMayBeUnlocked = true;
    Stopwatch since(ctx.clock);
    if (!waitForBytes(ctx, 1, since, kCommandPolicy.replyWait)) return Outcome::Retry;
    const Bytes reply = ctx.port.readAll();
    if (!reply.empty() && isAcknowledge(reply.front())) return Outcome::Done;
    if (!reply.empty()) ctx.EepromMayBeUnlocked = wasOpen;
    return Outcome::Retry;
}

bool runCommand(Context& ctx, int32_t command) {
    if (!isKnownCommand(command)) {
        return failWith(ctx, "Unknown sensor command " + std::to_string(command));
    }
    if (!checkSensorAddress(ctx)) return false;
    if (command == kUnlockEeprom && platformKeepingMask(ctx) == kPlatform6 && !resetTmoCounter(ctx))
        return false;
    // Known before the line is claimed: an unidentified sensor keeps identification's
    // message, and a command the dialect lacks fails at once instead of after every attempt.
    const int protocol = protocolKeepingMask(ctx);
    if (protocol == 0) return false;
    const std::optional<Bytes> frame = commandFrame(command, protocol);
    if (!frame) return false;
    if (!ensureOpen(ctx)) return false;
    const bool done = runAttempts(ctx, kCommandPolicy, nullptr,
                                  [&](Stopwatch&) { return exchange(ctx, command, *frame); });
    if (done && command == kLockEeprom) ctx.EepromMayBeUnlocked = false;
    return done;
}

}  // namespace

bool SensorCommand(Context& ctx, int32_t Command, bool KeepOpen) {
    const bool ok = runCommand(ctx, Command);
    if (!KeepOpen) releasePort(ctx);
    if (!ok && ctx.ErrorText.empty() && isKnownCommand(Command))
        ctx.ErrorText = kTexts[Command].failure;
    return ok;
}

}  // namespace kelvo
