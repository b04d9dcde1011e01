#pragma once
// The line handshake and the one attempt loop that reads, writes and commands share.
// What differs between them is data: an AttemptPolicy.

#include <cstdint>
#include <functional>

#include "common/platform.h"
#include "link/link_waits.h"

namespace kelvo {
struct Context;
}

namespace kelvo::link {

class ComLog;

// After its clear-to-send the sensor needs a moment before it listens for the frame.
inline constexpr Ms kFrameSettle{8};

struct AttemptPolicy {
    Ms pauseBeforeAttempt;     // lets the sensor fall silent before we claim the line again
    Ms answerTime;             // how long the 223 may take
    Ms replyWait;              // how long the reply (or status byte) may take
    int giveUpAt;              // attempt count at which the transaction fails
    int reopenAt;              // attempt count at which the port is closed and reopened
    int wakeLineAt;            // attempt count for the DTR pulse and "ATO"; -1 = never
    bool stopOnErrorText;      // a set ErrorText ends the loop before any attempt
    bool discardBeforeSettle;  // discard input at once instead of after the settle time
};

AttemptPolicy readPolicy(uint8_t maxTries);
extern const AttemptPolicy kWritePolicy;
extern const AttemptPolicy kCommandPolicy;

enum class Outcome { Done, Retry, Fail };

// One exchange after a successful handshake: send the frame, take the reply. The
// stopwatch runs from the moment the 223 arrived (for waiting out kFrameSettle).
using Exchange = std::function<Outcome(Stopwatch& sinceClearToSend)>;

// Runs attempts until the exchange is Done (true), Fails, or the policy gives up (false).
bool runAttempts(Context& ctx, const AttemptPolicy& policy, ComLog* log, const Exchange& exchange);

// One handshake and nothing after it: whether a sensor answers 224 + SensorAddress with its
// clear-to-send. The port must be open; false also when it fails.
bool answersHandshake(Context& ctx);

// Every exchange opens with 224 + SensorAddress; an address that byte cannot carry is
// refused with a message in ErrorText.
bool checkSensorAddress(Context& ctx);
// A range that reaches past the memory's top cannot be transferred: refused with its own
// message, instead of quietly transferring nothing and reporting success.
bool checkRange(Context& ctx, float Address, uint8_t Count, bool Eeprom, int top);

// GetPlatform and GetProtocol, keeping AddressMask: identifying a sensor the first time
// reads its identification byte, and that read selects its own range in the mask.
uint8_t platformKeepingMask(Context& ctx);
uint8_t protocolKeepingMask(Context& ctx);

// Opens the port unless it is open already.
bool ensureOpen(Context& ctx);
// Sends bytes one per write, as the read and command transactions do.
bool sendEachByte(Context& ctx, const Bytes& bytes);

}  // namespace kelvo::link
