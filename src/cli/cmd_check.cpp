// kelvo-cli check QUANTITY REFERENCE: reads the channel against a reference gas or
// temperature and says whether it is within the calibration tolerance; writes nothing.
// Exit 0 within, 1 outside (or when the sensor could not be read).

#include <iostream>
#include <map>

#include "calibration/calibration_bump.h"
#include "calibration/reference_value.h"
#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "common/values.h"
#include "model/channels.h"
#include "model/identification.h"
#include "model/platform_profile.h"

namespace kelvo::cli {
namespace {

constexpr const char* kName = "check";

// The calibrate command's names for the quantities.
const std::map<std::string, CalQuantity> kQuantities{
    {"co2", CalQuantity::CO2}, {"temp", CalQuantity::Temperature}, {"o2", CalQuantity::O2}};

int check(const GlobalOptions& options, const std::vector<std::string>& args) {
    const auto quantity = args.size() == 2 ? kQuantities.find(args[0]) : kQuantities.end();
    if (quantity == kQuantities.end())
        return usageError(kName, "takes co2, temp or o2 and the reference in the unit shown");
    const auto reference = StrictNumber(args[1]);
    if (!reference) {
        std::cerr << NotANumberMessage(args[1]) << "\n";
        return kExitUsage;
    }
    Session session(options);
    Context& ctx = session.ctx();
    const uint8_t platform = GetPlatform(ctx);
    if (platform == 0) return session.fail(kUnknownSensorMessage);
    // An O2 cell is checked only where it has a unit.
    const bool hasO2 = HasO2Cell(platform) &&
                       !GetUnitText(ctx, QuantityChannel(ctx, CalQuantity::O2)).empty();
    if (quantity->second == CalQuantity::O2 && !hasO2) {
        if (ctx.ErrorText.empty()) ctx.ErrorText = "This sensor measures no O2.";
        return session.fail();
    }
    const BumpCheck result = CheckAgainstReference(ctx, quantity->second, *reference);
    if (!result.read) return session.fail("Can't read from sensor");
    std::cout << result.message << "\n";
    return result.within ? kExitOk : kExitFailed;
}

const RegisterCommand registered({kName, "check co2|temp|o2 REFERENCE", check});

}  // namespace
}  // namespace kelvo::cli
