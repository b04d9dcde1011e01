// kelvo-cli write: values into the sensor's EEPROM or RAM through the write transaction.

#include <iostream>
#include <vector>

#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "common/context.h"
#include "link/sensor_mem_write.h"
#include "model/identification.h"
#include "model/platform_profile.h"

namespace kelvo::cli {
namespace {

constexpr const char* kName = "write";
constexpr int kTopEeprom = 1023;
constexpr int kTopRam = 255;
constexpr size_t kMostValues = 255;

std::optional<std::vector<float>> parseValues(const std::string& text) {
    std::vector<float> values;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const std::string item =
            text.substr(start, comma == std::string::npos ? comma : comma - start);
        const auto value = parseWhole(item, 0, 255);
        if (!value) return std::nullopt;
        values.push_back(static_cast<float>(*value));
        if (comma == std::string::npos) return values;
        start = comma + 1;
    }
}

// Reads what the write covers and this action has not read yet, before the new values go
// into the image: the backup keeps what the sensor holds there, an EEPROM write without
// --write-all skips unchanged bytes, and on the small EEPROM, which is written in whole
// words, a partner byte is never completed with a value nobody has seen. What names the
// sensor for the backup and the history comes in the same pass. Each byte once.
bool readCovering(Context& ctx, bool eeprom, int address, int count) {
    if (!ctx.ErrorText.empty()) return false;
    const bool wholeWords = eeprom && PlatformOfIdByte(GetIdByte(ctx)) != kPlatform7;
    const int top = eeprom ? kTopEeprom : kTopRam;
    std::vector<bool> wanted(top + 1, false);
    for (int a = address; a < address + count; ++a) {
        wanted[a] = true;
        if (wholeWords) wanted[a ^ 1] = true;
    }
    return ReadWithIdentity(ctx, eeprom, wanted, true);
}

int writeMemory(const GlobalOptions& options, const std::vector<std::string>& args) {
    const ParsedArgs parsed =
        parseArgs(args, {"--commit", "--keep-open", "--unlock", "--lock", "--write-all"},
                  {"--address", "--values"});
    if (!parsed.error.empty()) return usageError(kName, parsed.error);
    const std::optional<bool> eeprom = parseMemory(parsed.positional);
    if (!eeprom) return usageError(kName, "say which memory: eeprom or ram");
    if (!parsed.values.count("--address") || !parsed.values.count("--values"))
        return usageError(kName, "--address A and --values V1,V2,... are needed");
    const int top = *eeprom ? kTopEeprom : kTopRam;
    const auto address = parseWhole(parsed.values.at("--address"), 0, top);
    if (!address)
        return usageError(kName, "--address takes a whole number from 0 to " + std::to_string(top));
    const auto values = parseValues(parsed.values.at("--values"));
    if (!values)
        return usageError(kName, "--values takes whole numbers from 0 to 255, separated by commas");
    if (values->size() > kMostValues || *address + static_cast<long long>(values->size()) > top + 1)
        return usageError(kName, "too many values for the memory from that address");
    auto flag = [&parsed](const char* name) { return parsed.flags.count(name) > 0; };

    Session session(options);
    Context& ctx = session.ctx();
    const int a = static_cast<int>(*address);
    const int count = static_cast<int>(values->size());
    bool written = false;
    {
        // The action ends (and is recorded, and says what reached the sensor) before its
        // result is printed.
        RecordedAction action(ctx, "kelvo-cli write");
        if (!readCovering(ctx, *eeprom, a, count)) return session.fail("Can't read from sensor");
        for (int k = 0; k < count; ++k) {
            if (*eeprom)
                ctx.EeImage[a + k] = (*values)[k];
            else
                ctx.RamImage[a + k] = (*values)[k];
        }
        written = action.finish(SensorMemWrite(ctx, {.span = {*eeprom, 0, a, count},
                                                     .commit = flag("--commit"),
                                                     .keepOpen = flag("--keep-open"),
                                                     .unlock = flag("--unlock"),
                                                     .lock = flag("--lock"),
                                                     .writeAll = flag("--write-all")}));
    }
    if (!written) return session.fail("Can't save to sensor");
    return kExitOk;
}

const RegisterCommand registered(
    {kName,
     "write eeprom|ram --address A --values V1,V2,... [--commit] [--keep-open] [--unlock] "
     "[--lock] [--write-all]  write sensor memory",
     writeMemory});

}  // namespace
}  // namespace kelvo::cli
