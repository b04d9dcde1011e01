// kelvo-cli values: the measured value of every channel the sensor has, once or every
// 2 seconds like a sensor window; with --csv in the measurement log's format.

#include <iostream>
#include <sstream>
#include <vector>

#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "common/context.h"
#include "files/measurement_log.h"
#include "model/channels.h"
#include "model/identification.h"
#include "qt/local_timestamp.h"
#include "service/network_overview.h"

namespace kelvo::cli {
namespace {

constexpr const char* kName = "values";
// The sensor windows poll at this period too.
constexpr int64_t kWatchPeriodMs = 2000;

// One line per channel: name, value and unit, separated by tabs; or one CSV row.
bool printValues(Context& ctx, const std::vector<int>& channels, bool csv) {
    std::ostringstream out;
    std::vector<std::string> values;
    for (int c : channels) {
        const float channel = static_cast<float>(c);
        const float raw = GetChannelValue(ctx, channel, false);
        values.push_back(FormatChannelValue(ctx, raw, channel, false, false));
        out << ChannelName(ctx, channel, false) << "\t" << values.back() << "\t"
            << GetUnitText(ctx, channel) << "\n";
    }
    if (!ctx.ErrorText.empty()) return false;
    if (csv) {
        std::cout << MeasurementLogRow(IsoLocalTimestamp().toStdString(), values) << std::flush;
    } else {
        std::cout << out.str() << std::flush;
    }
    return true;
}

std::string csvHeader(Context& ctx, const std::vector<int>& channels) {
    std::vector<LogColumn> columns;
    for (int c : channels) {
        const float channel = static_cast<float>(c);
        columns.push_back({ChannelName(ctx, channel, false), GetUnitText(ctx, channel)});
    }
    return MeasurementLogHeader(SerialText(ctx), columns);
}

int values(const GlobalOptions& options, const std::vector<std::string>& args) {
    const ParsedArgs parsed = parseArgs(args, {"--watch", "--csv"}, {});
    if (!parsed.error.empty()) return usageError(kName, parsed.error);
    if (!parsed.positional.empty()) return usageError(kName, "takes only --watch and --csv");
    const bool watch = parsed.flags.count("--watch") > 0;
    const bool csv = parsed.flags.count("--csv") > 0;

    Session session(options);
    Context& ctx = session.ctx();
    const uint8_t platform = GetPlatform(ctx);
    if (platform == 0) return session.fail(kUnknownSensorMessage);
    const std::vector<int> channels = ShownChannels(ctx, platform);
    if (!ctx.ErrorText.empty()) return session.fail();
    if (csv) {
        const std::string header = csvHeader(ctx, channels);
        if (!ctx.ErrorText.empty()) return session.fail();
        std::cout << header;
    }
    for (bool first = true;; first = false) {
        if (!first && !csv) std::cout << "\n";
        const int64_t next = ctx.clock.tickMs() + kWatchPeriodMs;
        if (!printValues(ctx, channels, csv)) return session.fail();
        if (!watch) return kExitOk;
        session.endAction();
        while (ctx.clock.tickMs() < next) ctx.events.idle(next);
    }
}

const RegisterCommand registered(
    {kName, "values [--watch] [--csv]  measured value of every channel (--watch: every 2 s;"
     " --csv: as the measurement log writes it)", values});

}  // namespace
}  // namespace kelvo::cli
