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

// The memory address of a data block's byte, which its file's mask block is indexed by.
int addressOf(uint16_t type, int index) {
    return type == kSetBlockRam && index >= kRamGapFirst ? index + kRamGapLength : index;
}

// Whether a file takes the byte at a memory address: every byte, when it has no mask block.
bool carries(std::span<const uint8_t> mask, int address) {
    if (mask.empty()) return true;
    const size_t at = kSetMaskBlockPrefix + static_cast<size_t>(address);
    return at < mask.size() && mask[at] != 0;
}

void diffBlock(uint16_t type, std::span<const uint8_t> a, std::span<const uint8_t> b,
               std::span<const uint8_t> maskA, std::span<const uint8_t> maskB, SettingsDiff& diff) {
    std::set<const NamedSetting*> shown;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        // A byte one file does not take (a backup holds only what its action could change)
        // is no setting it would change.
        const int address = addressOf(type, static_cast<int>(i));
        if (carries(maskA, address) != carries(maskB, address)) ++diff.carriedByOne;
        if (!carries(maskA, address) || !carries(maskB, address)) continue;
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
    // Masks are compared as what each file takes, byte by byte, with the data they select.
    const auto maskOf = [](const auto& blocks) {
        const auto mask = blocks.find(kSetBlockMask);
        return mask == blocks.end() ? std::span<const uint8_t>() : mask->second;
    };
    for (const auto& [type, data] : blocksA) {
        const auto other = blocksB.find(type);
        if (other == blocksB.end()) {
            diff.lines.push_back("block " + std::to_string(type) + " only in " + nameA);
            continue;
        }
        if (type == kSetBlockMask && blocksA.size() > 1 && blocksB.size() > 1) continue;
        diffBlock(type, data, other->second, maskOf(blocksA), maskOf(blocksB), diff);
    }
    if (diff.carriedByOne > 0)
        diff.lines.push_back(std::to_string(diff.carriedByOne) +
                             (diff.carriedByOne == 1 ? " byte is" : " bytes are") +
                             " in one file only");
    for (const auto& [type, data] : blocksB)
        if (!blocksA.count(type))
            diff.lines.push_back("block " + std::to_string(type) + " only in " + nameB);
    return diff;
}

}  // namespace kelvo
