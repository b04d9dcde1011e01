#include "service/setting_names.h"

#include <vector>

#include "common/values.h"
#include "settings/platform5_codecs.h"

namespace kelvo {
namespace {

std::string baseLine(uint32_t word) {
    return p5::baseLineText(static_cast<uint16_t>(word)) + " %";
}
std::string intTime(uint32_t n) {
    return p5::intTimeText(static_cast<uint8_t>(n)) + " s";
}
std::string triggerTime(uint32_t bits) {
    return p5::triggerTimeText(static_cast<uint8_t>(bits)) + ((bits & 128) ? " min" : " s");
}
std::string triggerLevel(uint32_t bits) {
    return p5::triggerLevelText(static_cast<uint8_t>(bits));
}
std::string shift(uint32_t bits) {
    return "channel " + std::to_string(bits >> 5) + ", " +
           NumberText(p5::shiftAmount(static_cast<uint8_t>(bits)));
}

const std::vector<NamedSetting>& platform5Settings() {
    static const std::vector<NamedSetting> table = [] {
        std::vector<NamedSetting> t{
            {31, 1, "Display mode"},
            {32, 1, "Shift button", shift},
            {57, 1, "Output ranges"},
            {187, 1, "Trigger time", triggerTime},
            {188, 1, "Trigger level", triggerLevel},
            {205, 1, "Temperature unit"},
            {207, 1, "Shift channel"},
            {208, 1, "Network ID"},
        };
        for (int j = 0; j < 2; ++j) {
            const std::string out = "Out " + std::to_string(j + 1);
            t.push_back({189 + 4 * j, 1, out + " configuration"});
            t.push_back({190 + 4 * j, 2, out + " base line", baseLine});
            t.push_back({192 + 4 * j, 1, out + " int time", intTime});
        }
        for (int c = 0; c < 4; ++c) {
            t.push_back({128 + 2 * c, 2, "Zero word, channel " + std::to_string(c)});
            t.push_back({136 + 2 * c, 2, "Span word, channel " + std::to_string(c)});
        }
        return t;
    }();
    return table;
}

}  // namespace

const NamedSetting* FindPlatform5Setting(int ramAddress) {
    for (const NamedSetting& s : platform5Settings())
        if (ramAddress >= s.address && ramAddress < s.address + s.width) return &s;
    return nullptr;
}

}  // namespace kelvo
