#include "service/settings_diff.h"

#include <map>
#include <set>
#include <span>

#include "files/settings_file_format.h"
#include "service/setting_names.h"

namespace kelvo {
namespace {

constexpr int kRamGapFirst = 112;  // a RAM block skips RAM 112..127
constexpr int kRamGapLength = 16;

// Block type -> its data.
std::map<uint16_t, std::span<const uint8_t>> blocksOf(const Bytes& file, const SetFileParse& p) {
    std::map<uint16_t, std::span<const uint8_t>> blocks;
    for (const SetFileBlock& b : p.layout.blocks)
        blocks.try_emplace(b.type, std::span<const uint8_t>(file).subspan(b.offset + 4, b.length));
    return blocks;
}

std::string placeOf(uint16_t type, int index) {
    switch (type) {
        case kSetBlockRam:
            return "RAM " + std::to_string(index < kRamGapFirst ? index : index + kRamGapLength);
        case kSetBlockEeprom:
            return "EEPROM " + std::to_string(index);
        case kSetBlockMask:
            if (index < static_cast<int>(kSetMaskBlockPrefix))
                return "mask block byte " + std::to_string(index);
            return "mask of EEPROM " + std::to_string(index - kSetMaskBlockPrefix);
        default:
            return "block " + std::to_string(type) + " byte " + std::to_string(index);
    }
}

std::string valueText(const NamedSetting& s, uint32_t value) {
    return s.show ? s.show(value) : std::to_string(value);
}

void diffBlock(uint16_t type, std::span<const uint8_t> a, std::span<const uint8_t> b,
               SettingsDiff& diff) {
    std::set<const NamedSetting*> shown;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] == b[i]) continue;
        ++diff.bytes;
        const int index = static_cast<int>(i);
        const NamedSetting* named =
            type == kSetBlockRam
                ? FindPlatform5Setting(index < kRamGapFirst ? index : index + kRamGapLength)
                : nullptr;
        if (!named) {
            diff.lines.push_back(placeOf(type, index) + ": " + std::to_string(a[i]) + " -> " +
                                 std::to_string(b[i]));
            continue;
        }
        if (!shown.insert(named).second) continue;
        // Settings lie below the RAM gap or above it, so a block index maps back directly.
        const size_t first =
            named->address < kRamGapFirst ? named->address : named->address - kRamGapLength;
        uint32_t va = 0, vb = 0;
        for (int k = 0; k < named->width; ++k) {
            va = va * 256 + a[first + k];
            vb = vb * 256 + b[first + k];
        }
        std::string place = "RAM " + std::to_string(named->address);
        if (named->width > 1) place += "-" + std::to_string(named->address + named->width - 1);
        diff.lines.push_back(place + ": " + named->name + ": " + valueText(*named, va) + " -> " +
                             valueText(*named, vb) + " (" + std::to_string(va) + " -> " +
                             std::to_string(vb) + ")");
    }
}

}  // namespace

SettingsDiff DiffSettingsFiles(const Bytes& a, const std::string& nameA, const Bytes& b,
                               const std::string& nameB) {
    SettingsDiff diff;
    const SetFileParse pa = ParseSetFile(a);
    const SetFileParse pb = ParseSetFile(b);
    if (!pa.ok() || !pb.ok()) {
        const bool first = !pa.ok();
        diff.error = "File is damaged " + (first ? nameA : nameB) + " (" +
                     SetFileFaultText((first ? pa : pb).fault) + ")";
        return diff;
    }
    const auto blocksA = blocksOf(a, pa);
    const auto blocksB = blocksOf(b, pb);
    for (const auto& [type, data] : blocksA) {
        const auto other = blocksB.find(type);
        if (other == blocksB.end()) {
            diff.lines.push_back("block " + std::to_string(type) + " only in " + nameA);
            continue;
        }
        diffBlock(type, data, other->second, diff);
    }
    for (const auto& [type, data] : blocksB)
        if (!blocksA.count(type))
            diff.lines.push_back("block " + std::to_string(type) + " only in " + nameB);
    return diff;
}

}  // namespace kelvo
