#include "files/settings_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "common/context.h"
#include "common/text.h"
#include "common/values.h"
#include "files/settings_file_format.h"
#include "files/settings_file_io.h"
#include "link/address_lists.h"
#include "model/channels.h"
#include "model/identification.h"
#include "model/platform_profile.h"
#include "model/tables.h"

namespace kelvo {
namespace {

constexpr int kRamBlockLow = 112;   // RAM 0..111 are stored ...
constexpr int kRamBlockHigh = 128;  // ... and 128..255; 112..127 are not
constexpr int kEeBlockBytes = 512;
constexpr int kEeIdByte = 164;  // the identification byte's EEPROM copy

uint8_t imageByte(float value) {
    return static_cast<uint8_t>(std::clamp<long long>(ToInteger(value), 0, 255));
}

// Buffer index of block data byte i: type 1 skips RAM 112..127, the others are 1:1.
int bufferIndex(uint16_t type, int i) {
    if (type == kSetBlockRam && i >= kRamBlockLow) return i + (kRamBlockHigh - kRamBlockLow);
    return i;
}

void copyBlock(Context& ctx, std::span<const uint8_t> data, uint16_t type, bool load) {
    for (size_t i = 0; i < data.size(); ++i) {
        const int at = bufferIndex(type, static_cast<int>(i));
        if (at < kComBufferSize) ctx.ComBuffer[at] = data[i];
    }
    if (type == kSetBlockMask) {
        for (int a = 0; a < kEeBlockBytes; ++a) {
            const uint8_t mask = data[a + kSetMaskBlockPrefix];
            ctx.AddressMask[a] = mask;
            ctx.LastMaskBlock[a] = mask;
        }
    }
    if (!load) return;
    if (type == kSetBlockRam) {
        for (int i = 0; i < static_cast<int>(data.size()); ++i) {
            const int a = bufferIndex(type, i);
            ctx.RamImage[a] = data[i];
            ctx.RamRead[a] = true;
        }
    } else if (type == kSetBlockEeprom) {
        for (int a = 0; a < kEeBlockBytes; ++a) {
            ctx.EeImage[a] = data[a];
            ctx.EeRead[a] = true;
        }
        ctx.RamImage[kRamIdByte] = data[kEeIdByte];
        ctx.RamRead[kRamIdByte] = true;
    }
}

uint8_t merged(float kept, float loaded, uint8_t mask) {
    return static_cast<uint8_t>((imageByte(kept) & ~mask) | (imageByte(loaded) & mask));
}

// A file without blocks passes the block reader (it loads nothing); a load that took it
// would report settings it never had.
bool readSettingsBlock(Context& ctx, const std::string& path, int type, bool load) {
    if (!ReadSetBlock(ctx, path, type, true, load)) return false;
    const FileReadResult file = ReadFileBounded(path, kSetReaderLimit + 1);
    if (file.status == FileReadStatus::Ok && ParseSetFile(file.bytes).layout.blocks.empty()) {
        return failWith(ctx, "The settings file " + path +
                                 " holds no settings. Nothing was sent to the sensor.");
    }
    return true;
}

// The identity bytes a load would change, named the way a technician looks them up:
// "EEPROM 164 (identification byte), EEPROM 170-171 (serial number)"; empty for none.
template <typename Image>
std::string identityChanges(uint8_t platform, bool eeprom, const Image& before,
                            const Image& after) {
    const PlatformProfile* profile = FindPlatform(platform);
    if (!profile) return {};
    std::string named;
    const IdentityByte* first = nullptr;  // of the group being named
    int last = -2;
    auto nameGroup = [&] {
        if (!first) return;
        if (!named.empty()) named += ", ";
        named += std::string(eeprom ? "EEPROM " : "RAM ") + std::to_string(first->address);
        if (last != first->address) named += "-" + std::to_string(last);
        named += std::string(" (") + first->meaning + ")";
        first = nullptr;
    };
    for (const IdentityByte& b : profile->identity) {
        const int changed = imageByte(before[b.address]) ^ imageByte(after[b.address]);
        if (b.eeprom != eeprom || (changed & b.bits) == 0) continue;
        const bool continues = first && b.address == last + 1 &&
                               std::string_view(b.meaning) == std::string_view(first->meaning);
        if (!continues) nameGroup();
        if (!first) first = &b;
        last = b.address;
    }
    nameGroup();
    return named;
}

// A file that would rewrite who the sensor is goes through only when the user says so.
bool identityAccepted(Context& ctx, const std::string& path, const std::string& changes) {
    if (changes.empty()) return true;
    const std::string what =
        "The settings file " + path + " would change the sensor's identity: " + changes + ".";
    if (ctx.prompt.confirm(what + " Use it anyway?")) return true;
    return failWith(ctx, what + " Nothing was sent to the sensor.");
}

struct RamCopy {
    std::array<float, kRamImageSize> values;
    std::array<bool, kRamImageSize> read;
};

// Whether an intact file holds a block of the type, asked without a message when it does not.
bool hasBlock(const std::string& path, uint16_t type) {
    const FileReadResult file = ReadFileBounded(path, kSetReaderLimit + 1);
    if (file.status != FileReadStatus::Ok || file.fileSize != file.bytes.size()) return false;
    const SetFileParse parsed = ParseSetFile(file.bytes);
    return parsed.ok() && std::any_of(parsed.layout.blocks.begin(), parsed.layout.blocks.end(),
                                      [type](const SetFileBlock& b) { return b.type == type; });
}

bool loadPlatform5(Context& ctx, const std::string& path, int32_t listNo) {
    const float keptVersion = GetVersion(ctx);  // may fetch RAM 226 into the kept copy
    const RamCopy kept{ctx.RamImage, ctx.RamRead};
    auto restore = [&] {
        ctx.RamImage = kept.values;
        ctx.RamRead = kept.read;
        return false;
    };
    if (!readSettingsBlock(ctx, path, kSetBlockRam, true)) return restore();
    const uint8_t fileId = imageByte(ctx.RamImage[kRamIdByte]);
    if (GetVersion(ctx) != keptVersion || PlatformOfIdByte(fileId) != kPlatform5) {
        failWith(ctx, "This setfile can't be used on this sensor");
        return restore();
    }
    const float zero0 = GetZeroReference(ctx, 0);
    const float zero1 = GetZeroReference(ctx, 1);
    SelectAddressList(ctx, listNo);
    const auto settings = ctx.AddressMask;
    // Platform-5 files have no mask of their own; a backup carries one, which then says
    // exactly what the file puts back, calibration words beyond the settings included.
    if (hasBlock(path, kSetBlockMask)) {
        int maskType = kSetBlockMask;
        if (!ReadSetBlock(ctx, path, maskType, true, false)) return restore();
        for (int a = kRamBlockLow; a < kRamBlockHigh; ++a) ctx.AddressMask[a] = 0;
    }
    for (int a = 0; a < 256; ++a) {
        ctx.RamImage[a] = merged(kept.values[a], ctx.RamImage[a], ctx.AddressMask[a]);
        if (ctx.AddressMask[a] == 0) ctx.RamRead[a] = kept.read[a];
        ctx.RamToRestore[a] = ctx.AddressMask[a] != 0 && settings[a] == 0;
    }
    if (ctx.AddressMask[216] == 255) SetZeroReference(ctx, 0, zero0);
    if (ctx.AddressMask[223] == 255) SetZeroReference(ctx, 1, zero1);
    if (!identityAccepted(ctx, path, identityChanges(kPlatform5, false, kept.values, ctx.RamImage)))
        return restore();
    return true;
}

struct Platform6Identity {
    std::array<bool, 13> present{};
    int bit165 = 0;
    int byte58 = 0;
};

Platform6Identity identityOf(Context& ctx) {
    Platform6Identity id;
    for (int c = 0; c < 13; ++c)
        id.present[c] = ChannelPresent(ctx, static_cast<float>(c), false, false);
    // GetVersion (asked by ChannelPresent) has fetched EEPROM 165; the channel kind of the
    // CO2 channel is the byte at 58, fetched when it has not been read.
    id.bit165 = imageByte(ctx.EeImage[165]) & 1;
    id.byte58 = GetChannelKind(ctx, 11);
    return id;
}

}  // namespace

bool LearnLoadIdentity(Context& ctx) {
    const uint8_t platform = GetPlatform(ctx);
    GetVersion(ctx);
    if (platform == kPlatform6) identityOf(ctx);
    return ctx.ErrorText.empty();
}

namespace {

bool loadPlatform6or61(Context& ctx, const std::string& path, int32_t listNo, uint8_t platform) {
    // The identity questions come first: the bytes they fetch from the sensor belong in the
    // kept copy, whose bits outside the mask the merge keeps.
    const uint8_t idByte = GetIdByte(ctx);
    const float version = GetVersion(ctx);
    Platform6Identity identity;
    if (platform == kPlatform6) identity = identityOf(ctx);
    const auto keptEe = ctx.EeImage;
    const auto keptEeRead = ctx.EeRead;
    // The type-10 block also carries the identification byte into RAM 65.
    const float keptId = ctx.RamImage[kRamIdByte];
    const bool keptIdRead = ctx.RamRead[kRamIdByte];
    auto restore = [&] {
        ctx.EeImage = keptEe;
        ctx.EeRead = keptEeRead;
        ctx.RamImage[kRamIdByte] = keptId;
        ctx.RamRead[kRamIdByte] = keptIdRead;
        return false;
    };

    if (listNo != 0) {
        SelectAddressList(ctx, listNo);
    } else {
        if (!readSettingsBlock(ctx, path, kSetBlockMask, false)) return restore();
    }
    if (!readSettingsBlock(ctx, path, kSetBlockEeprom, true)) return restore();

    bool usable;
    if (platform == kPlatform6) {
        const Platform6Identity loaded = identityOf(ctx);
        usable = GetIdByte(ctx) == idByte && loaded.present == identity.present &&
                 loaded.bit165 == identity.bit165 && loaded.byte58 == identity.byte58;
    } else {
        usable = GetVersion(ctx) == version && GetPlatform(ctx) == platform;
    }
    if (!usable) {
        failWith(ctx, "This setfile can't be used on this sensor");
        return restore();
    }

    const float zero0 = GetZeroReference(ctx, 0);
    const float zero1 = GetZeroReference(ctx, 1);
    const float span0 = GetSpanReference(ctx, 0, true, false);
    const float span1 = GetSpanReference(ctx, 1, true, false);
    for (int a = 0; a < kEeBlockBytes; ++a) {
        ctx.EeImage[a] = merged(keptEe[a], ctx.EeImage[a], ctx.AddressMask[a]);
        if (ctx.AddressMask[a] == 0) ctx.EeRead[a] = keptEeRead[a];
    }
    // The file's identification byte came along into RAM 65; unless its EEPROM copy was
    // taken from the file too, the sensor keeps its own identity (a platform-61 file from
    // a sibling product would otherwise change the CO2 factor the image is read with).
    if (ctx.AddressMask[kEeIdByte] == 0) {
        ctx.RamImage[kRamIdByte] = keptId;
        ctx.RamRead[kRamIdByte] = keptIdRead;
    }
    const auto whole = [&](int address) { return ctx.AddressMask[address] == 255; };
    const int span0At = platform == kPlatform6 ? 36 : 34;
    const int zero0At = platform == kPlatform6 ? 38 : 58;
    const int span1At = platform == kPlatform6 ? 41 : 36;
    const int zero1At = platform == kPlatform6 ? 43 : 60;
    if (whole(span0At)) SetSpanReference(ctx, 0, true, span0);
    if (whole(zero0At)) SetZeroReference(ctx, 0, zero0);
    if (whole(span1At)) SetSpanReference(ctx, 1, true, span1);
    if (whole(zero1At)) SetZeroReference(ctx, 1, zero1);
    if (!identityAccepted(ctx, path, identityChanges(platform, true, keptEe, ctx.EeImage)))
        return restore();
    return true;
}

Bytes blockData(Context& ctx, uint16_t type, bool maskFromAddressMask) {
    Bytes data;
    if (type == kSetBlockRam) {
        for (int a = 0; a < 256; ++a) {
            if (a < kRamBlockLow || a >= kRamBlockHigh) data.push_back(imageByte(ctx.RamImage[a]));
        }
    } else if (type == kSetBlockEeprom) {
        for (int a = 0; a < kEeBlockBytes; ++a) data.push_back(imageByte(ctx.EeImage[a]));
    } else if (type == kSetBlockMask) {
        data.assign(kSetMaskBlockPrefix, 0);
        for (int a = 0; a < kEeBlockBytes; ++a) {
            data.push_back(maskFromAddressMask ? ctx.AddressMask[a] : ctx.LastMaskBlock[a]);
        }
    }
    return data;
}

// The blocks of an existing file worth keeping, with the new block put in place of the
// first block of its type or appended after the last.
Bytes blocksWithReplacement(const Bytes& old, const SetFileLayout& layout, const Bytes& block,
                            uint16_t type, uint16_t& count) {
    Bytes blocks;
    bool replaced = false;
    for (const SetFileBlock& b : layout.blocks) {
        const auto begin = old.begin() + static_cast<std::ptrdiff_t>(b.offset);
        const auto end = begin + 4 + b.length;
        if (!replaced && b.type == type) {
            blocks.insert(blocks.end(), block.begin(), block.end());
            replaced = true;
        } else {
            blocks.insert(blocks.end(), begin, end);
        }
    }
    count = static_cast<uint16_t>(layout.blocks.size());
    if (!replaced) {
        blocks.insert(blocks.end(), block.begin(), block.end());
        ++count;
    }
    return blocks;
}

}  // namespace

bool ReadSetBlock(Context& ctx, const std::string& Path, int& BlockType, bool ReportErrors,
                  bool Load) {
    std::fill(ctx.ComBuffer.begin(), ctx.ComBuffer.end(), 0);
    const FileReadResult file = ReadFileBounded(Path, kSetReaderLimit + 1);
    if (file.status == FileReadStatus::Missing) {
        failWith(ctx, "File not found " + Path);
        return false;
    }
    if (file.status == FileReadStatus::NotRegular) {
        failWith(ctx, file.error);
        return false;
    }
    if (file.status == FileReadStatus::Failed) {
        if (ReportErrors) failWith(ctx, file.error);
        return false;
    }
    const SetFileParse parsed = ParseSetFile(file.bytes);
    if (!parsed.ok() || file.fileSize != file.bytes.size()) {
        failWith(ctx, "File is damaged " + Path);
        return false;
    }
    int wanted = BlockType;
    for (const SetFileBlock& block : parsed.layout.blocks) {
        if (wanted == 0 && (block.type == kSetBlockRam || block.type == kSetBlockEeprom)) {
            wanted = block.type;
        }
        if (block.type != wanted) continue;
        BlockType = wanted;
        const std::span<const uint8_t> data(file.bytes.data() + block.offset + 4, block.length);
        copyBlock(ctx, data, block.type, Load);
        return true;
    }
    if (parsed.layout.blocks.empty()) return true;
    failWith(ctx, "Setfile error");
    return false;
}

bool LoadSettings(Context& ctx, const std::string& Path, int32_t ListNo) {
    const uint8_t platform = GetPlatform(ctx);
    if (platform == kPlatform5) return loadPlatform5(ctx, Path, ListNo);
    if (platform == kPlatform6 || platform == kPlatform61)
        return loadPlatform6or61(ctx, Path, ListNo, platform);
    // No block of the container holds this sensor's memory: saying "loaded" would be a lie.
    return failWith(ctx, "This setfile can't be used on this sensor");
}

std::string SettingsFileName(const std::string& Path) {
    return endsWithNoCase(Path, ".set") ? Path : Path + ".Set";
}

bool SaveSettings(Context& ctx, int BlockType, const std::string& Path, uint8_t WriterFlag,
                  bool MaskFromAddressMask) {
    auto fail = [&](const std::string& systemText) {
        ctx.ErrorText += systemText.empty() ? "Can't save settings." : systemText + ", ";
        return false;
    };
    int type = BlockType;
    if (type == 0) {
        const uint8_t platform = GetPlatform(ctx);
        if (platform == kPlatform5) type = kSetBlockRam;
        if (platform == kPlatform6 || platform == kPlatform61) type = kSetBlockEeprom;
    }
    if (!SetBlockLength(static_cast<uint16_t>(type))) return fail("");

    const std::string path = SettingsFileName(Path);

    const Bytes block =
        MakeSetBlock(static_cast<uint16_t>(type),
                     blockData(ctx, static_cast<uint16_t>(type), MaskFromAddressMask));
    Bytes blocks = block;
    uint16_t count = 1;
    if (!endsWithNoCase(path, "last.set")) {
        // An intact existing file keeps its other blocks; a damaged one is written anew.
        const FileReadResult old = ReadFileBounded(path, kSetReaderLimit + 1);
        if (old.status == FileReadStatus::Ok && old.fileSize == old.bytes.size()) {
            const SetFileParse parsed = ParseSetFile(old.bytes);
            if (parsed.ok()) {
                blocks = blocksWithReplacement(old.bytes, parsed.layout, block,
                                               static_cast<uint16_t>(type), count);
            }
        }
    }
    std::string error;
    if (!WriteFileAtomically(path, MakeSetFile(WriterFlag, count, blocks), error))
        return fail(error);
    return true;
}

}  // namespace kelvo
