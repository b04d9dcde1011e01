#include "service/network_overview.h"

#include <cstdio>
#include <memory>

#include "common/context.h"
#include "files/csv_field.h"
#include "model/channels.h"
#include "model/identification.h"
#include "service/network_send.h"

namespace kelvo {
namespace {

// Enough for a glance at the line: the first channels a window shows.
constexpr size_t kMainChannels = 3;

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

// The image as it was once the sensor was identified and its channels known.
struct OverviewPoller::Known {
    decltype(Context::EeImage) ee;
    decltype(Context::EeRead) eeRead;
    decltype(Context::EeLast) eeLast;
    decltype(Context::RamImage) ram;
    decltype(Context::RamRead) ramRead;
    decltype(Context::RamLast) ramLast;
    std::vector<int> channels;
    std::vector<std::string> names;
    std::vector<std::string> units;
};

OverviewRow OverviewRowOf(const FoundSensor& sensor) {
    OverviewRow row;
    row.id = sensor.id;
    row.platform = sensor.platform;
    row.version = sensor.version;
    row.serial = sensor.serial;
    return row;
}

std::vector<int> ShownChannels(Context& ctx, uint8_t platform, bool measuredOnly) {
    std::vector<int> channels;
    const int last = platform == kPlatform5 ? 3 : platform == kPlatform6 ? 13 : 15;
    for (int c = 0; c <= last; ++c) {
        const auto channel = static_cast<float>(c);
        const bool shown = platform == kPlatform5 || platform == kPlatform6
                               ? ChannelPresent(ctx, channel, false, measuredOnly)
                               : !GetUnitText(ctx, channel).empty();
        if (shown) channels.push_back(c);
    }
    return channels;
}

std::string ClockText(double secondsOfDay) {
    const int minutes = static_cast<int>(secondsOfDay / 60) % (24 * 60);
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60, minutes % 60);
    return text;
}

std::string OverviewStateText(const OverviewRow& row) {
    switch (row.state) {
        case OverviewRow::State::Answering:
            return "answering";
        case OverviewRow::State::Busy:
            return "busy";
        case OverviewRow::State::NotAnswering:
            break;
    }
    return "not answering since " + row.silentSince;
}

std::vector<std::string> OverviewColumns() {
    return {"ID", "Platform", "Version", "Serial", "Values", "State"};
}

std::vector<std::string> OverviewFields(const OverviewRow& row) {
    return {std::to_string(row.id), row.platform ? std::to_string(row.platform) : "", row.version,
            row.serial, row.values, OverviewStateText(row)};
}

std::string OverviewCsv(const std::string& title, const std::vector<OverviewRow>& rows) {
    std::string text = CsvField("# " + title) + "\n" + CsvLine(OverviewColumns()) + "\n";
    for (const OverviewRow& row : rows) text += CsvLine(OverviewFields(row)) + "\n";
    return text;
}

bool OverviewPoller::poll(Context& ctx, OverviewRow& row) {
    ctx.ErrorText.clear();
    AddressNetworkSensor(ctx, row.id);
    auto found = known_.find(row.id);
    if (found == known_.end()) {
        const uint8_t platform = GetPlatform(ctx);
        auto known = std::make_shared<Known>();
        if (ctx.ErrorText.empty() && platform != 0) {
            for (int c : ShownChannels(ctx, platform, true)) {
                const auto channel = static_cast<float>(c);
                if (known->channels.size() == kMainChannels) break;
                known->channels.push_back(c);
                known->names.push_back(ChannelName(ctx, channel, false));
                known->units.push_back(GetUnitText(ctx, channel));
            }
        }
        if (ctx.ErrorText.empty()) {
            known->ee = ctx.EeImage;
            known->eeRead = ctx.EeRead;
            known->eeLast = ctx.EeLast;
            known->ram = ctx.RamImage;
            known->ramRead = ctx.RamRead;
            known->ramLast = ctx.RamLast;
            found = known_.emplace(row.id, std::move(known)).first;
        }
    } else {
        const Known& k = *found->second;
        ctx.EeImage = k.ee;
        ctx.EeRead = k.eeRead;
        ctx.EeLast = k.eeLast;
        ctx.RamImage = k.ram;
        ctx.RamRead = k.ramRead;
        ctx.RamLast = k.ramLast;
    }
    std::string values;
    if (found != known_.end()) {
        const Known& k = *found->second;
        for (size_t i = 0; i < k.channels.size() && ctx.ErrorText.empty(); ++i) {
            const auto channel = static_cast<float>(k.channels[i]);
            const float raw = GetChannelValue(ctx, channel, false);
            const std::string shown =
                k.names[i] + " " + trimmed(FormatChannelValue(ctx, raw, channel, false, false)) +
                (k.units[i].empty() ? "" : " " + k.units[i]);
            values += (values.empty() ? "" : "; ") + shown;
        }
    }
    if (isCancelled(ctx)) return false;
    if (!ctx.ErrorText.empty()) {
        ctx.ErrorText.clear();
        if (row.state != OverviewRow::State::NotAnswering)
            row.silentSince = ClockText(ctx.clock.secondsOfDay());
        row.state = OverviewRow::State::NotAnswering;
        return false;
    }
    row.values = values;
    row.state = OverviewRow::State::Answering;
    return true;
}

}  // namespace kelvo
