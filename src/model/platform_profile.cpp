#include "model/platform_profile.h"

#include <algorithm>

#include "common/context.h"
#include "link/address_lists.h"
#include "link/sensor_mem_read.h"
#include "link/sensor_mem_write.h"
#include "model/identification.h"

namespace kelvo {

namespace {
constexpr uint8_t kWholeByte = 255;

// Which bytes of a memory a span selects.
std::vector<bool> selectedBy(Context& ctx, const MemorySpan& span, size_t size) {
    std::vector<bool> selected(size, false);
    if (span.count > 0) {
        for (int a = span.address; a < span.address + span.count && a < static_cast<int>(size); ++a)
            if (a >= 0) selected[a] = true;
        return selected;
    }
    const auto kept = ctx.AddressMask;
    std::fill(ctx.AddressMask.begin(), ctx.AddressMask.end(), 0);
    SelectAddressList(ctx, span.list);
    for (size_t a = 0; a < size; ++a) selected[a] = ctx.AddressMask[a] != 0;
    ctx.AddressMask = kept;
    return selected;
}

template <typename Image, typename Flags>
bool readUnknown(Context& ctx, bool eeprom, const std::vector<bool>& selected, Image& image,
                 Image& last, Flags& read, bool keepOpen) {
    std::vector<bool> unknown(read.size(), false);
    bool any = false;
    for (size_t a = 0; a < read.size(); ++a) {
        unknown[a] = selected[a] && !read[a];
        any = any || unknown[a];
    }
    if (!any) return true;

    const Image keptImage = image;
    const Image keptLast = last;
    const Flags keptRead = read;
    const auto keptMask = ctx.AddressMask;
    std::fill(ctx.AddressMask.begin(), ctx.AddressMask.end(), 0);
    for (size_t a = 0; a < unknown.size(); ++a)
        if (unknown[a]) ctx.AddressMask[a] = kWholeByte;
    const bool ok = SensorMemRead(ctx, 0, 0, 0, eeprom, keepOpen);
    // Reads come in whole words and blocks; a known byte the block ran over keeps its value.
    for (size_t a = 0; a < read.size(); ++a) {
        if (keptRead[a]) {
            image[a] = keptImage[a];
            last[a] = keptLast[a];
        }
    }
    ctx.AddressMask = keptMask;
    return ok;
}

// Platform 5 keeps its settings in RAM and saves them to its EEPROM itself.
const std::vector<MemorySpan> kPlatform5Reads{ramList(kListWholeRam)};
const std::vector<WriteRequest> kPlatform5Send{
    {ramList(kListPlatform5Settings), true, false, true, true, true}};
const std::vector<SaveBlock> kPlatform5File{{1, false}};
// The TWA-alarm versions send only what their window shows, on one open port: display mode,
// temperature unit, the second unit byte with the network ID, byte 230 as it was read, then
// the alarm rows and their relays, which the sensor then saves to its EEPROM.
const std::vector<WriteRequest> kPlatform5AlarmSend{
    {ramRange(31, 1), false, true, false, false, true},
    {ramRange(205, 1), false, true, false, false, true},
    {ramRange(207, 2), false, true, false, false, true},
    {ramRange(230, 1), false, true, false, false, true},
    {ramRange(162, 28), true, false, false, false, true}};

const std::vector<MemorySpan> kEepromReads{eepromList(kListWholeEeprom)};
// Only bytes that differ from what was read go out, between unlock and lock.
const std::vector<WriteRequest> kEepromSend{
    {eepromList(kListWholeEeprom), true, false, true, true, false}};
// Platform 6 writes the mask of what its file carries first, platform 61 last.
const std::vector<SaveBlock> kPlatform6File{{15, true}, {10, false}};
const std::vector<SaveBlock> kPlatform61File{{10, false}, {15, true}};

// The platform-7 settings lie in ranges of its 1024-byte EEPROM: network ID, alarm rows,
// serial text, alarm channels, display sequence.
const std::vector<MemorySpan> kPlatform7Reads{eepromRange(16, 1), eepromRange(834, 24),
                                              eepromRange(998, 3), eepromRange(925, 8),
                                              eepromRange(393, 4)};
// Only what the window shows goes out, on one open port, unlocked before the first write
// and locked after the last; the serial text is read but never written.
const std::vector<WriteRequest> kPlatform7Send{
    {eepromRange(16, 1), false, true, true, false, true},
    {eepromRange(834, 24), false, true, false, false, true},
    {eepromRange(925, 8), false, true, false, false, true},
    {eepromRange(1023, 1), false, true, false, false, true},
    {eepromRange(393, 4), false, false, false, true, true}};

// The poll: the channel words (temperature, CO2, O2 from RAM 20) and the status byte;
// platform 61 adds its detector words, platform 7 its alarm byte. The port is let go after
// the last read.
const std::vector<ReadRequest> kPlatform61Poll{
    {ramRange(20, 6), true}, {ramRange(40, 4), true}, {ramRange(67, 1), false}};
const std::vector<ReadRequest> kPlatform7Poll{
    {ramRange(20, 6), true}, {ramRange(67, 1), true}, {ramRange(210, 1), false}};

const std::vector<IdentityByte> kPlatform5Identity{
    {false, 65, "identification byte"}, {false, 66, "serial number"}, {false, 67, "serial number"}};
// The identification byte's copy, the version bit beside it, and the serial number. The
// other bits of 165 are settings that the platform-6 files carry.
const std::vector<IdentityByte> kEepromIdentity{{true, 164, "identification byte"},
                                                {true, 165, "version bit", 0x01},
                                                {true, 170, "serial number"},
                                                {true, 171, "serial number"}};

// The version byte (the serial number shares the identification byte's block).
const std::vector<MemorySpan> kPlatform5Naming{ramRange(226, 1)};
// The version bits at 90, 164-165 and 172-173, the serial number at 170-171.
const std::vector<MemorySpan> kEepromNaming{eepromRange(90, 2), eepromRange(164, 2),
                                            eepromRange(170, 4)};
// The platform-6 channel set: the CO2 channel's kind, the channel bits at 98 and 158.
const std::vector<MemorySpan> kPlatform6LoadCheck{eepromRange(58, 2), eepromRange(98, 2),
                                                  eepromRange(158, 2)};
const std::vector<MemorySpan> kPlatform7Naming{eepromRange(998, 3), eepromRange(1023, 1)};

// Platform 5 takes the ID in its RAM settings and saves them; the EEPROM platforms take it
// when they load their settings afresh after the lock.
const WriteRequest kPlatform5NetworkId{ramRange(208, 1), true, false, false, false, true};
const WriteRequest kEepromNetworkId{eepromRange(32, 1), true, false, true, true, true};
const WriteRequest kPlatform7NetworkId{eepromRange(16, 1), true, false, true, true, true};

// Platform 5 keeps its display mode and shift button in RAM beside its other settings; the
// EEPROM platforms keep a display sequence, platform 7 only the channels it can show.
const DisplaySettings kPlatform5Display{.mode = ramRange(31, 1),
                                        .shiftStep = ramRange(32, 1),
                                        .shiftChannel = ramRange(207, 1),
                                        .shiftChannels = 4};
const DisplaySettings kNibbleSequence{.sequence = DisplaySettings::Sequence::Nibbles,
                                      .sequencePlace = eepromRange(50, 2),
                                      .sequenceChannels = 13};
const DisplaySettings kPlatform7Display{.sequence = DisplaySettings::Sequence::Bytes,
                                        .sequencePlace = eepromRange(393, 4),
                                        .sequenceChannels = 9};

PlatformProfile platform5(int first, int last, WindowKind window, bool sendFile) {
    return {.platform = kPlatform5,
            .firstVersion = first,
            .lastVersion = last,
            .window = window,
            .definitionFile = true,
            .wholeImage = kPlatform5Reads,
            .send = kPlatform5Send,
            .windowSend =
                window == WindowKind::Frm5Chart ? kPlatform5AlarmSend : std::vector<WriteRequest>{},
            .loadList = kListPlatform5Settings,
            .saveBlocks = kPlatform5File,
            .writerFlag = 255,
            .sendFileAccepted = sendFile,
            .identity = kPlatform5Identity,
            .namingReads = kPlatform5Naming,
            .networkId = kPlatform5NetworkId,
            .display = kPlatform5Display};
}

PlatformProfile platform6(int first, int last, int32_t saveList) {
    return {.platform = kPlatform6,
            .firstVersion = first,
            .lastVersion = last,
            .window = WindowKind::Frm6,
            .wholeImage = kEepromReads,
            .send = kEepromSend,
            .saveList = saveList,
            // A version without a settings list has no settings file.
            .saveBlocks = saveList ? kPlatform6File : std::vector<SaveBlock>{},
            // The platform-6 window saves what it holds, edits and loaded files included.
            .saveReadsWholeImage = false,
            .sendFileAccepted = true,
            .identity = kEepromIdentity,
            .namingReads = kEepromNaming,
            .loadCheckReads = kPlatform6LoadCheck,
            .networkId = kEepromNetworkId,
            .display = kNibbleSequence};
}

const std::vector<PlatformProfile>& profiles() {
    static const std::vector<PlatformProfile> table{
        platform5(0, 0, WindowKind::Frm5, true),
        platform5(1, 2, WindowKind::Frm5Chart, true),
        // The last TWA version has a settings layout "Send file to sensor" does not know.
        platform5(3, 3, WindowKind::Frm5Chart, false),
        platform6(0, 1, kListPlatform6Settings),
        platform6(2, 2, kListPlatform6Version2Settings),
        platform6(3, 4, kListPlatform6Settings),
        platform6(5, 5, 0),
        {.platform = kPlatform61,
         .firstVersion = 0,
         .lastVersion = 1,
         .window = WindowKind::Frm61,
         .wholeImage = kEepromReads,
         .send = kEepromSend,
         .measurements = kPlatform61Poll,
         .saveList = kListPlatform61Settings,
         .saveBlocks = kPlatform61File,
         .sendFileAccepted = true,
         .o2Cell = true,
         .identity = kEepromIdentity,
         .namingReads = kEepromNaming,
         .networkId = kEepromNetworkId,
         .display = kNibbleSequence},
        // The settings-file container has no block for the 1024-byte EEPROM.
        {.platform = kPlatform7,
         .firstVersion = 1,
         .lastVersion = 2,
         .window = WindowKind::Frm61,
         .wholeImage = kPlatform7Reads,
         .send = kPlatform7Send,
         .measurements = kPlatform7Poll,
         .co2ReferenceCalibrations = false,
         .o2Cell = true,
         .namingReads = kPlatform7Naming,
         .networkId = kPlatform7NetworkId,
         .display = kPlatform7Display},
    };
    return table;
}
}  // namespace

const PlatformProfile* FindProfile(uint8_t platform, float version) {
    const bool whole = version >= 0 && version == static_cast<float>(static_cast<int>(version));
    if (!whole) return nullptr;
    const int v = static_cast<int>(version);
    for (const PlatformProfile& p : profiles()) {
        if (p.platform == platform && v >= p.firstVersion && v <= p.lastVersion) return &p;
    }
    return nullptr;
}

const PlatformProfile* FindPlatform(uint8_t platform) {
    for (const PlatformProfile& p : profiles()) {
        if (p.platform == platform) return &p;
    }
    return nullptr;
}

bool HasO2Cell(uint8_t platform) {
    const PlatformProfile* profile = FindPlatform(platform);
    return profile && profile->o2Cell;
}

std::vector<MemorySpan> WholeImageReads(uint8_t platform) {
    const PlatformProfile* p = FindPlatform(platform);
    return p ? p->wholeImage : std::vector<MemorySpan>{};
}

std::vector<WriteRequest> SettingsSendSteps(uint8_t platform) {
    const PlatformProfile* p = FindPlatform(platform);
    return p ? p->send : std::vector<WriteRequest>{};
}

std::vector<WriteRequest> SettingsSendSteps(uint8_t platform, float version) {
    const PlatformProfile* p = FindProfile(platform, version);
    if (!p) return SettingsSendSteps(platform);
    return p->windowSend.empty() ? p->send : p->windowSend;
}

std::vector<ReadRequest> MeasurementReads(uint8_t platform) {
    const PlatformProfile* p = FindPlatform(platform);
    return p ? p->measurements : std::vector<ReadRequest>{};
}

std::vector<MemorySpan> SpansOf(const std::vector<WriteRequest>& steps) {
    std::vector<MemorySpan> spans;
    for (const WriteRequest& step : steps) spans.push_back(step.span);
    return spans;
}

bool ReadSpans(Context& ctx, const std::vector<MemorySpan>& spans) {
    // No plan means no known platform: reading nothing is no success.
    if (spans.empty()) return failWith(ctx, kUnknownSensorMessage);
    for (const MemorySpan& s : spans) {
        if (!SensorMemRead(ctx, ReadRequest{s})) return false;
    }
    return true;
}

bool RunReads(Context& ctx, const std::vector<ReadRequest>& reads) {
    if (reads.empty()) return failWith(ctx, kUnknownSensorMessage);
    for (const ReadRequest& r : reads) {
        if (!SensorMemRead(ctx, r)) return false;
    }
    return true;
}

bool RunWriteSteps(Context& ctx, const std::vector<WriteRequest>& steps) {
    for (const WriteRequest& w : steps) {
        if (!SensorMemWrite(ctx, w)) return false;
    }
    return true;
}

bool SendSettings(Context& ctx, const std::vector<WriteRequest>& steps) {
    // Runs of the RAM bytes a loaded backup puts back, each run a write, the last saved to
    // the EEPROM as the settings are.
    std::vector<WriteRequest> restore;
    for (int a = 0; a < kRamImageSize; ++a) {
        if (!ctx.RamToRestore[a]) continue;
        int end = a;
        while (end < kRamImageSize && ctx.RamToRestore[end]) ++end;
        restore.push_back({ramRange(a, end - a), false, true, false, false, true});
        a = end;
    }
    if (!restore.empty()) {
        restore.back().commit = true;
        restore.back().keepOpen = false;
    }
    if (!RunWriteSteps(ctx, steps) || !RunWriteSteps(ctx, restore)) return false;
    ctx.RamToRestore.fill(false);
    return true;
}

bool ReadUnknownBytes(Context& ctx, const std::vector<MemorySpan>& spans) {
    for (const MemorySpan& span : spans) {
        const bool ok = span.eeprom
                            ? ReadUnknownSelected(ctx, true, selectedBy(ctx, span, kEeImageSize))
                            : ReadUnknownSelected(ctx, false, selectedBy(ctx, span, kRamImageSize));
        if (!ok) return false;
    }
    return true;
}

bool ReadUnknownSelected(Context& ctx, bool eeprom, const std::vector<bool>& selected,
                         bool keepOpen) {
    return eeprom ? readUnknown(ctx, true, selected, ctx.EeImage, ctx.EeLast, ctx.EeRead, keepOpen)
                  : readUnknown(ctx, false, selected, ctx.RamImage, ctx.RamLast, ctx.RamRead,
                                keepOpen);
}

bool ReadWithIdentity(Context& ctx, bool eeprom, std::vector<bool> selected, bool forBackup) {
    const PlatformProfile* profile = FindPlatform(PlatformOfIdByte(GetIdByte(ctx)));
    if (!ctx.ErrorText.empty()) return false;
    selected.resize(eeprom ? kEeImageSize : kRamImageSize, false);
    std::vector<MemorySpan> spans;
    if (profile) {
        spans = profile->namingReads;
        const bool filesHoldIt = profile->platform == kPlatform5 ? !eeprom : eeprom;
        if (forBackup && filesHoldIt && !profile->saveBlocks.empty())
            spans.insert(spans.end(), profile->loadCheckReads.begin(),
                         profile->loadCheckReads.end());
    }
    std::vector<MemorySpan> elsewhere;
    for (const MemorySpan& span : spans) {
        if (span.eeprom != eeprom) {
            elsewhere.push_back(span);
            continue;
        }
        for (int a = span.address; a < span.address + span.count; ++a) selected[a] = true;
    }
    if (!ReadUnknownSelected(ctx, eeprom, selected, true)) return false;
    for (const MemorySpan& span : elsewhere) {
        const size_t size = span.eeprom ? kEeImageSize : kRamImageSize;
        if (!ReadUnknownSelected(ctx, span.eeprom, selectedBy(ctx, span, size), true)) return false;
    }
    return true;
}

}  // namespace kelvo
