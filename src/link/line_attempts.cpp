#include "link/line_attempts.h"

#include <cmath>

#include "common/context.h"
#include "common/id_byte.h"
#include "common/values.h"
#include "link/com_log.h"
#include "link/link_frames.h"
#include "link/sensor_mem_read.h"

namespace kelvo::link {
namespace {

// A read reply is at most 8 bytes (about 9 ms at 9600 baud); the rest is the sensor's
// own turnaround, which is slow on a loaded network.
constexpr Ms kReadReplyWait{200};
// A write is acknowledged only after the sensor has programmed the bytes.
constexpr Ms kWriteReplyWait{1000};
// Saving a whole memory (RAM to EEPROM or back) takes the sensor seconds.
constexpr Ms kCommandReplyWait{3000};
// The sensor answers the request-to-send within a few character times.
constexpr Ms kAnswerTime{100};
// Commands are retried often; a short answer time keeps a dead line from blocking long.
constexpr Ms kCommandAnswerTime{20};
// A short quiet gap before each attempt so that stray replies to the last one are over.
constexpr Ms kAttemptPause{5};
constexpr Ms kNoPause{0};
constexpr int kNever = -1;

// A modem-style adapter that fell out of data mode comes back on DTR and "ATO".
const Bytes kBackOnline{'A', 'T', 'O'};

bool wakeLine(Context& ctx) {
    ctx.port.setDtr(true);
    ctx.port.setDtr(false);
    return sendEachByte(ctx, kBackOnline);
}

bool reopen(Context& ctx) {
    ctx.port.close();
    return ctx.port.open();
}

// While an action holds the port, the line's quiet time before an attempt is counted from
// the end of the last exchange, so the time between two transactions counts towards it.
void pauseBeforeAttempt(Context& ctx, Ms pause) {
    if (pause <= kNoPause) return;
    if (ctx.PortHolds == 0 || ctx.LineQuietSinceNs < 0) return waitFor(ctx, pause);
    Stopwatch since(ctx.clock, ctx.LineQuietSinceNs);
    waitOut(ctx, since, pause);
}

void lineFellQuiet(Context& ctx) {
    ctx.LineQuietSinceNs = ctx.clock.tickNs();
}

enum class Handshake { Clear, NoClear, PortError };

Handshake handshakeOnce(Context& ctx, const AttemptPolicy& policy, ComLog* log, Stopwatch& since) {
    ctx.port.readAll();
    const auto rts = static_cast<uint8_t>(kRequestToSendBase + ToInteger(ctx.SensorAddress));
    if (!ctx.port.write({rts})) return Handshake::PortError;
    if (log) log->requestToSend(rts);
    Stopwatch answer(ctx.clock);
    if (!waitForBytes(ctx, 1, answer, policy.answerTime)) {
        if (log) log->noClearToSend();
        return Handshake::NoClear;
    }
    const Bytes reply = ctx.port.readAll();
    since = Stopwatch(ctx.clock);
    if (reply.empty()) return Handshake::NoClear;
    if (log) log->clearToSend(reply.front());
    return reply.front() == kClearToSend ? Handshake::Clear : Handshake::NoClear;
}

Handshake handshake(Context& ctx, const AttemptPolicy& policy, ComLog* log, Stopwatch& since) {
    const Handshake line = handshakeOnce(ctx, policy, log, since);
    lineFellQuiet(ctx);
    return line;
}

}  // namespace

AttemptPolicy readPolicy(uint8_t maxTries) {
    return {.pauseBeforeAttempt = kAttemptPause,
            .answerTime = kAnswerTime,
            .replyWait = kReadReplyWait,
            .giveUpAt = maxTries,
            // Late enough that a busy network had its chance, early enough to matter.
            .reopenAt = 15,
            .wakeLineAt = 10,
            .stopOnErrorText = true,
            .discardBeforeSettle = false};
}

// A write frame may already have been programmed when its status got lost; few retries.
const AttemptPolicy kWritePolicy{.pauseBeforeAttempt = kAttemptPause,
                                 .answerTime = kAnswerTime,
                                 .replyWait = kWriteReplyWait,
                                 .giveUpAt = 10,
                                 .reopenAt = 5,
                                 .wakeLineAt = kNever,
                                 .stopOnErrorText = false,  // checked before each block
                                 // The frame is built while the sensor settles.
                                 .discardBeforeSettle = true};

const AttemptPolicy kCommandPolicy{.pauseBeforeAttempt = kNoPause,
                                   .answerTime = kCommandAnswerTime,
                                   .replyWait = kCommandReplyWait,
                                   .giveUpAt = 100,
                                   .reopenAt = 50,
                                   .wakeLineAt = kNever,
                                   .stopOnErrorText = true,
                                   .discardBeforeSettle = false};

bool runAttempts(Context& ctx, const AttemptPolicy& policy, ComLog* log, const Exchange& exchange) {
    for (int counter = 0;;) {
        pauseBeforeAttempt(ctx, policy.pauseBeforeAttempt);
        if (counter == policy.wakeLineAt && !wakeLine(ctx)) return false;
        if (policy.stopOnErrorText && !ctx.ErrorText.empty()) return false;
        if (counter >= policy.giveUpAt) return false;
        if (counter == policy.reopenAt && !reopen(ctx)) return false;
        ++counter;
        if (log) log->newAttempt();
        Stopwatch sinceClear(ctx.clock);
        const Handshake line = handshake(ctx, policy, log, sinceClear);
        if (line == Handshake::PortError) return false;
        if (line == Handshake::NoClear) continue;
        if (!policy.discardBeforeSettle) waitOut(ctx, sinceClear, kFrameSettle);
        ctx.port.readAll();
        const Outcome outcome = exchange(sinceClear);
        lineFellQuiet(ctx);
        switch (outcome) {
            case Outcome::Done:
                return true;
            case Outcome::Fail:
                return false;
            case Outcome::Retry:
                break;
        }
    }
}

bool answersHandshake(Context& ctx) {
    Stopwatch since(ctx.clock);
    return handshake(ctx, readPolicy(1), nullptr, since) == Handshake::Clear;
}

bool checkSensorAddress(Context& ctx) {
    const float address = ctx.SensorAddress;
    if (address >= 0 && address <= kHighestSensorAddress && std::floor(address) == address)
        return true;
    return failWith(ctx, "Sensor address " + NumberText(address) + " is out of range (0 to " +
                             std::to_string(kHighestSensorAddress) + ")");
}

bool checkRange(Context& ctx, float Address, uint8_t Count, bool Eeprom, int top) {
    if (Count == 0) return true;
    const long long first = ToInteger(Address);
    const long long last = first + Count - 1;
    if (first >= 0 && last <= top) return true;
    return failWith(ctx, "Address " + std::to_string(first) + " to " + std::to_string(last) +
                             " is outside the sensor's " + (Eeprom ? "EEPROM" : "RAM") + " (0 to " +
                             std::to_string(top) + ")");
}

namespace {
// The identification byte, fetched as the sensor model fetches it (with the serial bytes
// that follow it, port left open) when the image does not hold it yet; 0 when that fails.
uint8_t idByteKeepingMask(Context& ctx) {
    if (!ctx.RamRead[kRamIdByte]) {
        const auto mask = ctx.AddressMask;
        const bool read = SensorMemRead(ctx, ReadRequest{ramRange(kRamIdByte, 3), true});
        ctx.AddressMask = mask;
        if (!read) return 0;
    }
    return static_cast<uint8_t>(ToInteger(ctx.RamImage[kRamIdByte]) & 0xFF);
}
}  // namespace

uint8_t platformKeepingMask(Context& ctx) {
    const uint8_t platform = PlatformOfIdByte(idByteKeepingMask(ctx));
    if (platform == 0) failWith(ctx, "Unknown product");
    return platform;
}
uint8_t protocolKeepingMask(Context& ctx) {
    const uint8_t protocol = ProtocolOfIdByte(idByteKeepingMask(ctx));
    if (protocol == 0) {
        failWith(ctx, "Unknown product");
        failWith(ctx, "Unkown protokol");
    }
    return protocol;
}

bool ensureOpen(Context& ctx) {
    return ctx.port.isOpen() || ctx.port.open();
}

bool sendEachByte(Context& ctx, const Bytes& bytes) {
    for (uint8_t byte : bytes)
        if (!ctx.port.write({byte})) return false;
    return true;
}

}  // namespace kelvo::link
