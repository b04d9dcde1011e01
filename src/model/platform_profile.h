#pragma once
// What differs between sensor platforms and their software versions, in one table: the
// window each opens, its EEPROM size, the reads that make the whole image its window shows,
// the writes of its "Send to sensor", how its settings files are saved and loaded, and
// which versions the program takes. Start-up, the windows, "Send file to sensor" and the
// command line ask here; none keeps its own copy.

#include <cstdint>
#include <vector>

#include "common/id_byte.h"
#include "link/memory_request.h"

namespace kelvo {

struct Context;

// The address lists the program names.
constexpr int32_t kListPlatform5Settings = 6;    // the platform-5 settings in RAM
constexpr int32_t kListWholeRam = 8;             // RAM 0..255
constexpr int32_t kListPlatform61Settings = 12;  // what a platform-61 file carries
constexpr int32_t kListPlatform6Settings = 13;   // what a platform-6 file carries
constexpr int32_t kListPlatform6Version2Settings = 15;
constexpr int32_t kListWholeEeprom = 30;  // EEPROM 0..511
constexpr int32_t kListFirstTable = 32;   // + table number: a table's 34 bytes

// The sensor windows, one for each kind of settings layout.
enum class WindowKind { Frm5, Frm5Chart, Frm6, Frm61 };

// What the sensor's own display shows and where the sensor keeps it: the display mode and
// shift button of platform 5, the display sequence of the others. A span of count 0: the
// sensor keeps no such setting.
struct DisplaySettings {
    MemorySpan mode{};          // an index into the display modes
    MemorySpan shiftStep{};     // bits 0-4 the shift amount's step, bits 5-7 its channel
    MemorySpan shiftChannel{};  // bits 0-3 the shift channel, bits 4-7 its unit code
    int shiftChannels = 0;      // the shift button shifts one of channels 0 .. shiftChannels - 1
    // The four positions of the display sequence, each naming a channel: two to a byte in
    // the nibbles of two bytes (the first position low), or a byte each.
    enum class Sequence { None, Nibbles, Bytes };
    Sequence sequence = Sequence::None;
    MemorySpan sequencePlace{};
    int sequenceChannels = 0;  // a position names one of channels 0 .. sequenceChannels - 1
};

// One block of a settings file as a window saves it.
struct SaveBlock {
    int type = 0;
    bool maskFromAddressMask = false;
};

// A byte that says which sensor this is; a settings file must not change it unasked.
struct IdentityByte {
    bool eeprom = true;
    int address = 0;
    const char* meaning = "";
    uint8_t bits = 0xFF;  // the bits that carry the identity
};

struct PlatformProfile {
    Platform platform = kPlatformUnknown;
    int firstVersion = 0;  // the software versions the entry covers
    int lastVersion = 0;
    WindowKind window = WindowKind::Frm5;
    bool definitionFile = false;  // channels and tables come from a production definition
    std::vector<MemorySpan> wholeImage{};
    std::vector<WriteRequest> send{};
    // The window's "Send to sensor" where it sends less than a settings file does (the TWA
    // window sends only what it shows); empty: the window sends `send`.
    std::vector<WriteRequest> windowSend{};
    // The measured values a live window polls, in order, on one open port; empty where the
    // window reads its channels itself.
    std::vector<ReadRequest> measurements{};
    int32_t loadList = 0;  // what a load takes from a file; 0 = the mask stored with it
    int32_t saveList = 0;  // selected before the blocks are written; 0 = none
    std::vector<SaveBlock> saveBlocks{};  // empty: the sensor's settings fit no settings file
    uint8_t writerFlag = 1;
    bool saveReadsWholeImage = true;  // "Save settings" reads the sensor afresh first
    bool sendFileAccepted = false;    // "Send file to sensor" writes into it
    // CO2 single-point calibrations against fresh air or another known gas. Platform 7 has
    // only its zero: either of those would zero it in whatever gas it sits in.
    bool co2ReferenceCalibrations = true;
    // An O2 cell on channel 6: its calibrations and checks are offered only here.
    bool o2Cell = false;
    // The identification byte and serial number, where a settings file's block holds them.
    std::vector<IdentityByte> identity{};
    // What naming the sensor reads beyond its identification byte (software version and
    // serial number), and what a settings file's load checks besides (the channel set), so
    // that an action can fetch them in one pass with its own bytes: the lazy routines of the
    // identification would ask for each word in a block of its own.
    std::vector<MemorySpan> namingReads{};
    std::vector<MemorySpan> loadCheckReads{};
    // The byte holding the sensor's network ID and how a new ID is sent: the sensor answers
    // the new ID once it has taken its settings anew (the commit). span.count 0: none.
    WriteRequest networkId{};
    DisplaySettings display{};
};

// The entry for a platform and software version; nullptr for a sensor the program does
// not take (a version that is not a whole number included).
const PlatformProfile* FindProfile(uint8_t platform, float version);
// What every version of a platform shares (reads, sends, memory); nullptr for none.
const PlatformProfile* FindPlatform(uint8_t platform);

// Whether sensors of the platform carry an O2 cell.
bool HasO2Cell(uint8_t platform);

// The reads that give a platform's window the whole image it shows and sends; empty for
// a platform without a window.
std::vector<MemorySpan> WholeImageReads(uint8_t platform);
// The writes of the platform window's "Send to sensor", in the order they are made.
std::vector<WriteRequest> SettingsSendSteps(uint8_t platform);
// Those of the version's own window, which may send less than a settings file (the
// platform-5 TWA-alarm versions); a version the program does not know gets the platform's.
std::vector<WriteRequest> SettingsSendSteps(uint8_t platform, float version);
// The reads of the platform window's measurement poll, in the order they are made.
std::vector<ReadRequest> MeasurementReads(uint8_t platform);
// The spans those writes cover.
std::vector<MemorySpan> SpansOf(const std::vector<WriteRequest>& steps);

// Each read in turn, the port closed afterwards; false at the first that fails, and for
// an empty plan.
bool ReadSpans(Context& ctx, const std::vector<MemorySpan>& spans);
// Each read in turn, as the requests say; false at the first that fails, and for an empty
// plan.
bool RunReads(Context& ctx, const std::vector<ReadRequest>& reads);
// Each write in turn; a step runs only when the one before it succeeded.
bool RunWriteSteps(Context& ctx, const std::vector<WriteRequest>& steps);
// A settings send: the steps, then the RAM bytes a loaded backup puts back beyond them
// (RamToRestore), which it clears once they are sent.
bool SendSettings(Context& ctx, const std::vector<WriteRequest>& steps);

// A byte whose read flag is clear holds no value from the sensor or from a file (a read was
// cancelled or failed, or the window never read it): sending it would write a value from
// nowhere. This reads such bytes of the spans from the sensor and leaves every byte whose
// value is known exactly as it was, even where a read block runs over it. True when
// nothing was missing or everything missing was read.
bool ReadUnknownBytes(Context& ctx, const std::vector<MemorySpan>& spans);
// The same for a selection of one memory, given per address (true = wanted). keepOpen
// leaves the port open for what follows.
bool ReadUnknownSelected(Context& ctx, bool eeprom, const std::vector<bool>& selected,
                         bool keepOpen = false);
// The unknown bytes of a selection (empty: none) read together with those that name the
// sensor, and, for a backup where the platform's settings files hold this memory, with
// those a load of the backup checks; blocks are shared where they lie close. The port stays
// open. A sensor of no platform we know gets its selection alone.
bool ReadWithIdentity(Context& ctx, bool eeprom, std::vector<bool> selected, bool forBackup);

}  // namespace kelvo
