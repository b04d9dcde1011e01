#include "service/network_id.h"

#include <charconv>

#include "common/context.h"
#include "common/values.h"
#include "link/port_hold.h"
#include "link/sensor_mem_read.h"
#include "link/sensor_mem_write.h"
#include "model/identification.h"
#include "model/platform_profile.h"
#include "service/bus_scan.h"
#include "service/network_send.h"

namespace kelvo {
namespace {

// A sensor that took its new ID answers at once; one that did not should not hold the user
// up for the hundred attempts of an ordinary read.
constexpr uint8_t kConfirmTries = 10;

float& imageAt(Context& ctx, const MemorySpan& span) {
    return span.eeprom ? ctx.EeImage[span.address] : ctx.RamImage[span.address];
}

// Reads the ID byte at the new address: the sensor is there when it answers and holds it.
bool answersAtNewId(Context& ctx, int to, const MemorySpan& idByte) {
    ctx.SensorAddress = static_cast<float>(to);
    ctx.StatusText = "Asking network ID " + std::to_string(to);
    const bool read = SensorMemRead(ctx, ReadRequest{idByte, true, kConfirmTries, false});
    if (read && ToInteger(imageAt(ctx, idByte)) == to) return true;
    ctx.ErrorText.clear();
    return failWith(ctx, "The sensor took network ID " + std::to_string(to) +
                             " but does not answer at it.");
}

}  // namespace

std::string NewNetworkIdProblem(const std::string& typed, int from) {
    const auto first = typed.find_first_not_of(' ');
    const std::string text =
        first == std::string::npos ? "" : typed.substr(first, typed.find_last_not_of(' ') - first + 1);
    if (text.empty()) return "Type the new network ID, a number from 0 to 29.";
    int id = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (error != std::errc() || end != text.data() + text.size())
        return "\"" + text + "\" is not a network ID. Type a number from 0 to 29.";
    if (id < kFirstNetworkId || id > kLastNetworkId)
        return "Network ID " + std::to_string(id) + " is outside 0 to 29.";
    if (id == from) return "The sensor already has network ID " + std::to_string(id) + ".";
    return {};
}

bool ChangeNetworkId(Context& ctx, int from, int to) {
    if (const std::string problem = NewNetworkIdProblem(std::to_string(to), from); !problem.empty())
        return failWith(ctx, problem);
    const PortHold hold(ctx);
    if (!ctx.port.isOpen() && !ctx.port.open())
        return failWith(ctx, "Can't open the port: " + ctx.port.errorString());

    // Two sensors on one ID would answer each other's requests at once.
    AddressNetworkSensor(ctx, to);
    ctx.StatusText = "Asking network ID " + std::to_string(to);
    if (SensorAnswers(ctx))
        return failWith(ctx, "Another sensor on the line answers network ID " + std::to_string(to) +
                                 ". Nothing was sent.");
    if (!ctx.ErrorText.empty()) return false;

    AddressNetworkSensor(ctx, from);
    const PlatformProfile* profile = FindPlatform(GetPlatform(ctx));
    if (!ctx.ErrorText.empty()) return false;
    if (!profile || profile->networkId.span.count == 0) return FailUnknownSensor(ctx);
    const WriteRequest write = profile->networkId;
    // On the small EEPROM a byte goes out with its word: both halves must be known.
    const bool wordWise = write.span.eeprom && profile->platform != kPlatform7;
    const MemorySpan known = wordWise ? eepromRange(write.span.address & ~1, 2) : write.span;
    ctx.StatusText = "Reading sensor";
    if (!SensorMemRead(ctx, ReadRequest{known, true})) return false;

    bool ok = false;
    {
        RecordedAction action(ctx, "Change network ID " + std::to_string(from) + " to " +
                                       std::to_string(to));
        imageAt(ctx, write.span) = static_cast<float>(to);
        ok = SensorMemWrite(ctx, write) && answersAtNewId(ctx, to, write.span);
        // A write cut short relocks where the sensor still answers: at its old ID.
        if (!ok) ctx.SensorAddress = static_cast<float>(from);
        action.finish(ok);
    }
    const bool cancelled = isCancelled(ctx);
    const std::string message = ctx.ErrorText;
    AddressNetworkSensor(ctx, ok ? to : from);
    ctx.ErrorText = message;
    if (cancelled) cancel(ctx);
    return ok;
}

}  // namespace kelvo
