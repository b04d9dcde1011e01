#include "service/network_send.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <filesystem>

#include "common/context.h"
#include "common/values.h"
#include "files/definition_file.h"
#include "files/settings_file.h"
#include "link/port_hold.h"
#include "link/sensor_link.h"
#include "link/sensor_mem_read.h"
#include "model/identification.h"
#include "model/platform_profile.h"
#include "service/bus_scan.h"
#include "service/history.h"

namespace kelvo {
namespace {

constexpr int kMismatchesNamed = 3;

// What a load left to be sent, per address of the memory the settings live in: the bits the
// file sets (0 = none), the value they must read back as, and what the sensor held there
// when it was read for the send. A byte the send leaves as it was read is proven by that
// read; only the others need reading again, which keeps a send to many sensors about as
// quick as single sends.
struct FileBytes {
    bool eeprom = true;
    std::vector<uint8_t> mask;
    std::vector<uint8_t> value;
    std::vector<uint8_t> before;
    std::vector<bool> readBack;
};

uint8_t byteOf(float value) {
    return static_cast<uint8_t>(ToInteger(value) & 0xFF);
}

std::string memoryName(bool eeprom) {
    return eeprom ? "EEPROM " : "RAM ";
}

// The sensor and the file, as the fit checks found them: refusals come from the checks,
// failures from a sensor that did not answer.
enum class Stage { Identify, Check, Send, Verify };

struct Attempt {
    Stage stage = Stage::Identify;
    HistoryEntry entry;  // who the sensor is, for a refusal's history line
};

bool fitAndLoad(Context& ctx, const std::string& path, Attempt& attempt, FileBytes& file) {
    const uint8_t platform = GetPlatform(ctx);
    if (!ctx.RamRead[kRamIdByte]) return false;  // no answer: the read's message stands
    attempt.stage = Stage::Check;
    attempt.entry.platform = platform;
    const PlatformProfile* sensor = FindPlatform(platform);
    if (!sensor || sensor->saveBlocks.empty()) return FailUnknownSensor(ctx);
    if (sensor->definitionFile && !LoadDefinition(ctx)) return false;
    attempt.stage = Stage::Identify;
    if (!ReadSpans(ctx, WholeImageReads(platform))) return false;
    const float version = GetVersion(ctx);
    attempt.entry.version = NumberText(version);
    attempt.entry.serial = SerialText(ctx);
    if (!ctx.ErrorText.empty()) return false;
    attempt.stage = Stage::Check;
    const PlatformProfile* profile = FindProfile(platform, version);
    if (!profile || !profile->sendFileAccepted) return FailUnknownSensor(ctx);

    const MemorySpan idByte = profile->networkId.span;
    auto idImage = [&]() -> float& {
        return idByte.eeprom ? ctx.EeImage[idByte.address] : ctx.RamImage[idByte.address];
    };
    const float ownId = idByte.count > 0 ? idImage() : 0;
    if (!LoadSettings(ctx, path, profile->loadList)) return false;
    if (idByte.count > 0) idImage() = ownId;

    file.eeprom = !profile->send.empty() && profile->send.front().span.eeprom;
    const int size = file.eeprom ? 512 : 256;
    file.mask.assign(size, 0);
    file.value.assign(size, 0);
    file.before.assign(size, 0);
    file.readBack.assign(size, false);
    for (int a = 0; a < size; ++a) {
        file.mask[a] = ctx.AddressMask[a];
        file.value[a] = byteOf(file.eeprom ? ctx.EeImage[a] : ctx.RamImage[a]);
        file.before[a] = byteOf(file.eeprom ? ctx.EeLast[a] : ctx.RamLast[a]);
        const bool known = file.eeprom ? ctx.EeRead[a] : ctx.RamRead[a];
        file.readBack[a] = !known || ((file.before[a] ^ file.value[a]) & file.mask[a]) != 0;
    }
    if (idByte.count > 0 && idByte.eeprom == file.eeprom) file.mask[idByte.address] = 0;

    attempt.stage = Stage::Send;
    ctx.StatusText = "Saving to sensor";
    return SendSettings(ctx, profile->send);
}

// Compares every byte the file sets with the sensor, reading again those the send changed,
// and names those that differ from what was sent.
bool verify(Context& ctx, const FileBytes& file) {
    std::fill(ctx.AddressMask.begin(), ctx.AddressMask.end(), 0);
    bool any = false;
    for (size_t a = 0; a < file.mask.size(); ++a) {
        if (!file.mask[a] || !file.readBack[a]) continue;
        ctx.AddressMask[a] = 255;
        any = true;
    }
    ctx.StatusText = "Reading back";
    if (any && !SensorMemRead(ctx, 0, 0, 0, file.eeprom, false)) return false;
    std::string named;
    int mismatches = 0;
    for (size_t a = 0; a < file.mask.size(); ++a) {
        const uint8_t m = file.mask[a];
        if (!m) continue;
        const uint8_t holds = !file.readBack[a]           ? file.before[a]
                              : file.eeprom ? byteOf(ctx.EeImage[a])
                                            : byteOf(ctx.RamImage[a]);
        if ((holds & m) == (file.value[a] & m)) continue;
        if (++mismatches <= kMismatchesNamed) {
            named += (named.empty() ? "" : ", ") + memoryName(file.eeprom) + std::to_string(a) +
                     " (sent " + std::to_string(file.value[a] & m) + ", reads " +
                     std::to_string(holds & m) + ")";
        }
    }
    if (mismatches == 0) return true;
    if (mismatches > kMismatchesNamed)
        named += " and " + std::to_string(mismatches - kMismatchesNamed) + " more";
    return failWith(ctx, "The sensor reads back otherwise than sent at " + named);
}

// A sensor the file does not fit leaves no trace in the journal, which records sends; the
// commissioning record still wants its line.
void recordRefusal(Context& ctx, Attempt& attempt, const std::string& why) {
    if (!ctx.serviceRecorder) return;
    attempt.entry.time = std::chrono::system_clock::now();
    attempt.entry.backup = "none: nothing was sent";
    attempt.entry.result = "refused";
    attempt.entry.message = why;
    std::string error;
    if (!AppendHistory(ctx.AppDir, attempt.entry, error))
        ctx.prompt.message("The service history could not be written: " + error);
}

std::string sentence(std::string text) {
    if (!text.empty() && text.back() != '.') text += '.';
    return text;
}

}  // namespace

std::string NetworkSendLine(const NetworkSendResult& r) {
    const std::string head = "ID " + std::to_string(r.id) + ": ";
    switch (r.outcome) {
        case NetworkSendResult::Outcome::Verified:
            return head + "sent and verified";
        case NetworkSendResult::Outcome::Refused:
            return head + "refused: " + r.detail;
        case NetworkSendResult::Outcome::Failed:
            return head + "failed: " + r.detail;
        case NetworkSendResult::Outcome::NotSent:
            break;
    }
    return head + "not sent: " + (r.detail.empty() ? "stopped before it" : r.detail);
}

std::optional<std::vector<int>> ParseNetworkIds(const std::string& text, std::string& error) {
    std::vector<int> ids;
    auto number = [](std::string_view part, int& value) {
        const auto [end, problem] = std::from_chars(part.data(), part.data() + part.size(), value);
        return !part.empty() && problem == std::errc() && end == part.data() + part.size() &&
               value >= kFirstNetworkId && value <= kLastNetworkId;
    };
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        const std::string_view item =
            std::string_view(text).substr(start, comma == std::string::npos ? comma : comma - start);
        const size_t dash = item.find('-');
        int first = -1;
        int last = -1;
        const bool ok = dash == std::string_view::npos
                            ? number(item, first) && number(item, last)
                            : number(item.substr(0, dash), first) &&
                                  number(item.substr(dash + 1), last) && first <= last;
        if (!ok) {
            error = "'" + std::string(item) +
                    "' is not a network ID from 0 to 29 or a range of them such as 3-4";
            return std::nullopt;
        }
        for (int id = first; id <= last; ++id) {
            if (std::find(ids.begin(), ids.end(), id) != ids.end()) {
                error = "network ID " + std::to_string(id) + " is named twice";
                return std::nullopt;
            }
            ids.push_back(id);
        }
        if (comma == std::string::npos) return ids;
        start = comma + 1;
    }
}

void AddressNetworkSensor(Context& ctx, int id) {
    SensorLinkInit(ctx, static_cast<uint8_t>(id));
    // The link forgets the small EEPROM only; a platform-7 sensor's upper half would pass
    // for the next sensor's.
    ctx.EeImage.fill(0);
    ctx.EeLast.fill(0);
    ctx.EeRead.fill(false);
    ctx.AddressMask.fill(0);
    ctx.RamImage.fill(0);
    ctx.RamLast.fill(0);
    ctx.RamRead.fill(false);
    ctx.RamToRestore.fill(false);
}

NetworkSendResult SendFileToNetworkSensor(Context& ctx, const std::string& path, int id) {
    NetworkSendResult result;
    result.id = id;
    ctx.ErrorText.clear();
    AddressNetworkSensor(ctx, id);
    Attempt attempt;
    attempt.entry.action =
        "Send file to network " + std::filesystem::path(path).filename().string() + " (ID " +
        std::to_string(id) + ")";
    bool ok = false;
    bool cancelled = false;
    int written = 0;
    {
        RecordedAction action(ctx, attempt.entry.action);
        FileBytes file;
        ctx.BytesWritten = 0;
        ok = fitAndLoad(ctx, path, attempt, file);
        written = ctx.BytesWritten;
        if (ok) {
            attempt.stage = Stage::Verify;
            ok = verify(ctx, file);
        }
        cancelled = isCancelled(ctx);
        // The journal turns a failure into what reached the sensor and the way back.
        action.finish(ok);
    }
    using Outcome = NetworkSendResult::Outcome;
    const bool sent = attempt.stage == Stage::Send || attempt.stage == Stage::Verify;
    if (ok) {
        result.outcome = Outcome::Verified;
    } else if (cancelled && written == 0) {
        result.outcome = Outcome::NotSent;
        result.detail = "cancelled";
    } else {
        // Past the checks the journal has said what reached the sensor and the way back.
        result.outcome = attempt.stage == Stage::Check ? Outcome::Refused : Outcome::Failed;
        result.detail = sentence(isCancelled(ctx) ? "Stopped part-way" : ctx.ErrorText);
        if (attempt.stage == Stage::Identify) result.detail += " Nothing was sent.";
        if (sent && written == 0 && !ctx.EepromMayBeUnlocked &&
            result.detail.rfind("Nothing was sent", 0) != 0)
            result.detail += " Nothing reached the sensor.";
        if (!sent) recordRefusal(ctx, attempt, result.detail);
    }
    ctx.ErrorText.clear();
    if (cancelled) cancel(ctx);  // the run stops here
    return result;
}

std::vector<NetworkSendResult> SendFileToNetwork(Context& ctx, const std::string& path,
                                                 const std::vector<int>& ids,
                                                 const NetworkSendHooks& hooks) {
    const float keptAddress = ctx.SensorAddress;
    std::vector<NetworkSendResult> results;
    {
        // One opening of the port for the whole run.
        const PortHold hold(ctx);
        bool stopped = false;
        for (int id : ids) {
            stopped = stopped || isCancelled(ctx) || (hooks.stopRequested && hooks.stopRequested());
            NetworkSendResult result;
            result.id = id;
            if (!stopped) {
                if (hooks.starting) hooks.starting(id);
                result = SendFileToNetworkSensor(ctx, path, id);
            }
            if (hooks.done) hooks.done(result);
            results.push_back(std::move(result));
        }
    }
    AddressNetworkSensor(ctx, static_cast<int>(kSingleSensorAddress));
    ctx.SensorAddress = keptAddress;
    return results;
}

}  // namespace kelvo
