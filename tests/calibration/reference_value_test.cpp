#include "calibration/reference_value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/context.h"
#include "common/values.h"
#include "support/virtual_sensor_rig.h"

namespace kelvo {
namespace {

// A typed reference is taken exactly when the word the sensor stores can hold it: a refusal
// names the range in the channel's unit, both its ends are taken as typed, and two words
// past either end are refused with the same message (a concentration stops at 0).
TEST(CheckedReference, TakesWhatTheWordHoldsAndNamesItsRangeExactly) {
    const std::string out = "\" is out of range: the sensor takes ";
    for (const auto& [platform, version] : {std::pair{5, 0}, {6, 0}, {61, 1}, {7, 1}}) {
        for (const auto quantity :
             {ReferenceQuantity::Temperature, ReferenceQuantity::CO2, ReferenceQuantity::O2}) {
            test::VirtualSensorRig rig(platform, version);
            Context& ctx = rig.ctx();
            ctx.AppDir = std::string(KELVO_SOURCE_DIR) + "/data";
            const auto check = [&](const std::string& answer) {
                ctx.ErrorText.clear();
                const auto number = CheckedReference(ctx, quantity, answer);
                return number;
            };
            SCOPED_TRACE(std::to_string(platform) + " quantity " +
                         std::to_string(static_cast<int>(quantity)));
            EXPECT_FALSE(check("12a"));
            EXPECT_EQ(ctx.ErrorText, NotANumberMessage("12a"));
            EXPECT_FALSE(check("9999999"));
            const std::string message = ctx.ErrorText;
            const auto from = message.find(out);
            ASSERT_NE(from, std::string::npos) << message;
            const std::string range = message.substr(from + out.size());
            const auto to = range.find(" to ");
            const double low = ParseNumber(range.substr(0, to)), high = ParseNumber(range.substr(to));
            EXPECT_EQ(low < 0, quantity == ReferenceQuantity::Temperature) << message;
            // Two in the last digit shown: more than a word on every channel here.
            const auto step = [](double v) {
                const std::string text = NumberText(v);
                const auto point = text.find('.');
                return point == std::string::npos ? 2 : 2 * std::pow(10.0, -double(text.size() - point - 1));
            };
            for (const double end : {low, high}) {
                EXPECT_EQ(check(NumberText(end)), end) << NumberText(end) << " " << ctx.ErrorText;
            }
            for (const double past : {low - step(low), high + step(high)}) {
                EXPECT_FALSE(check(NumberText(past))) << NumberText(past);
                EXPECT_EQ(ctx.ErrorText, "\"" + NumberText(past) + out + range) << NumberText(past);
            }
        }
    }
}

}  // namespace
}  // namespace kelvo
