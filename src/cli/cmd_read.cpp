// kelvo-cli read: a selection of the sensor's EEPROM or RAM, as hex lines or JSON.

#include <cstdio>
#include <iostream>
#include <sstream>

#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "common/context.h"
#include "link/address_lists.h"
#include "link/sensor_mem_read.h"

namespace kelvo::cli {
namespace {

constexpr const char* kName = "read";
constexpr int kBytesPerLine = 16;
constexpr int kTopEeprom = 1023;
constexpr int kTopRam = 255;

struct Image {
    const float* values;
    const bool* read;
    int top;
};

Image imageOf(const Context& ctx, bool eeprom) {
    if (eeprom) return {ctx.EeImage.data(), ctx.EeRead.data(), kTopEeprom};
    return {ctx.RamImage.data(), ctx.RamRead.data(), kTopRam};
}

int byteValue(float value) {
    return static_cast<int>(value) & 0xFF;
}

void printHex(const Image& image) {
    for (int line = 0; line <= image.top; line += kBytesPerLine) {
        bool any = false;
        for (int a = line; a < line + kBytesPerLine && a <= image.top; ++a) any |= image.read[a];
        if (!any) continue;
        char text[16];
        std::snprintf(text, sizeof text, "%04X:", line);
        std::cout << text;
        for (int a = line; a < line + kBytesPerLine && a <= image.top; ++a) {
            if (image.read[a])
                std::snprintf(text, sizeof text, " %02X", byteValue(image.values[a]));
            else
                std::snprintf(text, sizeof text, " --");
            std::cout << text;
        }
        std::cout << "\n";
    }
}

void printJson(const Image& image, bool eeprom) {
    std::ostringstream out;
    out << "{\"memory\":\"" << (eeprom ? "eeprom" : "ram") << "\",\"bytes\":{";
    bool first = true;
    for (int a = 0; a <= image.top; ++a) {
        if (!image.read[a]) continue;
        out << (first ? "" : ",") << "\"" << a << "\":" << byteValue(image.values[a]);
        first = false;
    }
    out << "}}";
    std::cout << out.str() << "\n";
}

int readMemory(const GlobalOptions& options, const std::vector<std::string>& args) {
    const ParsedArgs parsed = parseArgs(args, {"--json"}, {"--list", "--address", "--count"});
    if (!parsed.error.empty()) return usageError(kName, parsed.error);
    const std::optional<bool> eeprom = parseMemory(parsed.positional);
    if (!eeprom) return usageError(kName, "say which memory: eeprom or ram");
    const bool byList = parsed.values.count("--list") > 0;
    const bool byRange = parsed.values.count("--address") || parsed.values.count("--count");
    if (byList == byRange)
        return usageError(kName, "give either --list N or --address A --count C");

    int32_t listNo = 0;
    long long address = 0, count = 0;
    if (byList) {
        const auto list = parseWhole(parsed.values.at("--list"), 1, INT32_MAX);
        if (!list || !IsKnownAddressList(static_cast<int32_t>(*list)))
            return usageError(kName, "--list takes the number of an address list, not '" +
                                         parsed.values.at("--list") + "'");
        listNo = static_cast<int32_t>(*list);
    } else {
        if (!parsed.values.count("--address") || !parsed.values.count("--count"))
            return usageError(kName, "--address and --count go together");
        const int top = *eeprom ? kTopEeprom : kTopRam;
        const auto a = parseWhole(parsed.values.at("--address"), 0, top);
        if (!a)
            return usageError(kName,
                              "--address takes a whole number from 0 to " + std::to_string(top));
        const auto c = parseWhole(parsed.values.at("--count"), 1, 255);
        if (!c) return usageError(kName, "--count takes a whole number from 1 to 255");
        address = *a;
        count = *c;
    }

    Session session(options);
    Context& ctx = session.ctx();
    bool report = true;
    if (!SensorMemRead(ctx, listNo, static_cast<float>(address), static_cast<uint8_t>(count),
                       *eeprom, false, 100, report))
        return session.fail("Can't read from sensor");
    const Image image = imageOf(ctx, *eeprom);
    if (parsed.flags.count("--json"))
        printJson(image, *eeprom);
    else
        printHex(image);
    return kExitOk;
}

const RegisterCommand registered(
    {kName, "read eeprom|ram (--list N | --address A --count C) [--json]  read sensor memory",
     readMemory});

}  // namespace
}  // namespace kelvo::cli
