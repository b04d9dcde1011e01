// kelvo-cli calibrate KIND [VALUE]: the calibrations of the sensor windows, with the
// reference value typed as a technician would type it into the window's input box.

#include <iostream>
#include <map>

#include "calibration/calibration.h"
#include "calibration/calibration_check.h"
#include "calibration/reference_value.h"
#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "common/values.h"
#include "model/channels.h"
#include "model/identification.h"
#include "model/platform_profile.h"
#include "model/tables.h"

namespace kelvo::cli {
namespace {

struct WordSpot {
    bool eeprom;
    int address;
};

struct Kind {
    bool needsValue;
    const char* help;
    ReferenceQuantity quantity = ReferenceQuantity::CO2;
};

constexpr const char* kForce = "--force";

const std::map<std::string, Kind>& kinds() {
    static const std::map<std::string, Kind> table{
        {"co2-zero", {false, "zero gas"}},
        {"co2-fresh-air", {false, "fresh air"}},
        {"co2-other", {true, "another known CO2 concentration"}},
        {"co2-span", {true, "span gas concentration"}},
        {"temp", {true, "the correct temperature", ReferenceQuantity::Temperature}},
        {"o2-zero", {false, "O2 zero", ReferenceQuantity::O2}},
        {"o2-span", {true, "the correct O2 reading", ReferenceQuantity::O2}},
    };
    return table;
}

uint8_t co2Channel(uint8_t platform) {
    switch (platform) {
        case kPlatform5:
            return 1;
        case kPlatform6:
            return 11;
        default:
            return 5;
    }
}

std::vector<WordSpot> tableSpots(int base, int table) {
    std::vector<WordSpot> spots;
    for (int e = 0; e < kTableEntries; ++e) spots.push_back({true, base + 34 * table + 2 * e});
    return spots;
}

// Where each calibration leaves the words it sends, so they can be shown afterwards.
std::vector<WordSpot> spotsOf(Context& ctx, const std::string& kind, uint8_t platform) {
    const bool co2SinglePoint = kind.rfind("co2-", 0) == 0 && kind != "co2-span";
    if (co2SinglePoint) {
        if (platform == kPlatform5) return {{false, 130}};
        if (platform == kPlatform7) return {{true, 14}};
        return {{true, 46}};
    }
    if (kind == "co2-span") {
        if (platform == kPlatform5) return {{false, 138}, {false, 216}};
        if (platform == kPlatform7) {
            auto spots = tableSpots(580, 0);
            spots.push_back({true, 976});
            return spots;
        }
        return tableSpots(308, GetChannelTable(ctx, co2Channel(platform)));
    }
    if (kind == "temp") {
        if (platform == kPlatform5) return {{false, 128}};
        if (platform == kPlatform7) return tableSpots(512, 0);
        const uint8_t c = platform == kPlatform6 ? (GetIdByte(ctx) == 223 ? 3 : 2) : 4;
        return tableSpots(308, GetChannelTable(ctx, c));
    }
    if (kind == "o2-zero") return {{true, 760}};
    return {{true, 0}};
}

bool runCalibration(Context& ctx, const std::string& kind, const std::string& value,
                    uint8_t platform) {
    if (kind == "co2-zero") return CalCO2SinglePoint(ctx, kPlatformChannel, false, kCalZero, "");
    if (kind == "co2-fresh-air") {
        return CalCO2SinglePoint(ctx, kPlatformChannel, false, kCalFreshAir, "");
    }
    if (kind == "co2-other") {
        return CalCO2SinglePoint(ctx, kPlatformChannel, false, kCalOther, value);
    }
    if (kind == "co2-span") {
        const uint8_t c = co2Channel(platform);
        const float raw = ParseChannelValue(ctx, value, c, false);
        if (platform == kPlatform7) return CalCO2SpanPlatform7(ctx, raw);
        return CalCO2Span(ctx, c, NumberText(raw), false);
    }
    if (kind == "temp") {
        return CalTemp(ctx, static_cast<float>(ParseNumber(value)), kPlatformChannel, false);
    }
    if (kind == "o2-zero") return CalO2Zero(ctx);
    return CalO2Span(ctx, ParseChannelValue(ctx, value, 6, false));
}

CalQuantity calQuantity(ReferenceQuantity quantity) {
    switch (quantity) {
        case ReferenceQuantity::Temperature:
            return CalQuantity::Temperature;
        case ReferenceQuantity::O2:
            return CalQuantity::O2;
        case ReferenceQuantity::CO2:
            break;
    }
    return CalQuantity::CO2;
}

// The reference the calibration aims at, in the unit the channel shows: the typed value,
// zero gas, or the fresh-air reference the sensor keeps (platform 7 knows only zero gas).
double aimedReference(Context& ctx, const std::string& kind, const std::string& value,
                      uint8_t platform) {
    if (kind == "co2-fresh-air" && platform != kPlatform7) {
        const float channel = PlatformCO2Channel(ctx);
        return ParseNumber(FormatChannelValue(ctx, GetZeroReference(ctx, 0), channel, false, true));
    }
    if (value.empty()) return 0;  // zero gas: CO2 or O2 zero, or fresh air on platform 7
    return ParseNumber(value);
}

int calibrate(const GlobalOptions& options, const std::vector<std::string>& given) {
    // A reference far from what the sensor reads is taken only with --force.
    std::vector<std::string> args;
    bool force = false;
    for (const std::string& arg : given) {
        if (arg == kForce)
            force = true;
        else
            args.push_back(arg);
    }
    const auto kind = args.empty() ? kinds().end() : kinds().find(args[0]);
    if (kind == kinds().end() || args.size() != (kind->second.needsValue ? 2u : 1u)) {
        std::cerr << "kelvo-cli: calibrate takes one of (and " << kForce
                  << " for a reference far from the reading):\n";
        for (const auto& [name, k] : kinds()) {
            std::cerr << "  " << name << (k.needsValue ? " VALUE" : "") << "  (" << k.help << ")\n";
        }
        return kExitUsage;
    }
    // A reference that is no number is refused before the port is opened.
    if (kind->second.needsValue && !StrictNumber(args[1])) {
        std::cerr << NotANumberMessage(args[1]) << "\n";
        return kExitUsage;
    }
    Session session(options);
    Context& ctx = session.ctx();
    const uint8_t platform = GetPlatform(ctx);
    if (platform == 0) return session.fail(kUnknownSensorMessage);
    if (kind->second.quantity == ReferenceQuantity::O2 && !HasO2Cell(platform)) {
        failWith(ctx, "This sensor has no O2 calibration.");
        return session.fail();
    }
    std::string value;
    if (kind->second.needsValue) {
        // The calibrations read the text leniently, which gives a plain decimal text the
        // same number as the check.
        const auto reference = CheckedReference(ctx, kind->second.quantity, args[1]);
        if (!reference) {
            // A value refused is a usage error; a sensor that could not say its unit is not.
            const bool refused = ctx.ErrorText.ends_with("Nothing was sent to the sensor.");
            session.fail("Can't read from sensor");
            return refused ? kExitUsage : kExitFailed;
        }
        value = args[1];
    }
    bool calibrated = false;
    {
        // The action ends (and is recorded, and says what reached the sensor) before its
        // result is printed.
        RecordedAction action(ctx, "kelvo-cli calibrate " + args[0],
                              ServiceRecorder::Kind::Calibration);
        action.referenceTyped(value);
        const double reference = aimedReference(ctx, args[0], value, platform);
        const std::string problem =
            ctx.ErrorText.empty()
                ? PlausibilityProblem(ctx, calQuantity(kind->second.quantity), reference)
                : ctx.ErrorText;
        if (!ctx.ErrorText.empty()) {
            action.finish(false);
            return session.fail("Can't read from sensor");
        }
        if (!problem.empty() && !force) {
            // Recorded as refused: the technician asked, and was told no.
            action.keepRecord();
            failWith(ctx,
                     problem + " Nothing was sent; use " + kForce + " to calibrate all the same.");
            action.finish(false);
            return session.fail();
        }
        if (!problem.empty()) std::cerr << problem << " Calibrating all the same (--force).\n";
        calibrated = action.finish(runCalibration(ctx, args[0], value, platform));
    }
    if (!calibrated) return session.fail("Calibration failed");

    for (const WordSpot& spot : spotsOf(ctx, args[0], platform)) {
        auto byteAt = [&](int a) {
            return ToInteger(spot.eeprom ? ctx.EeImage[a] : ctx.RamImage[a]);
        };
        const long long word = byteAt(spot.address) * 256 + byteAt(spot.address + 1);
        std::cout << (spot.eeprom ? "EEPROM " : "RAM ") << spot.address << ": " << word << "\n";
    }
    return kExitOk;
}

const RegisterCommand registered(
    {"calibrate",
     "calibrate co2-zero|co2-fresh-air|co2-other V|co2-span V|temp V|o2-zero|o2-span V "
     "[--force]",
     calibrate});

}  // namespace
}  // namespace kelvo::cli
