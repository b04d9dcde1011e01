#pragma once
// What each platform's window moves between the image and the sensor: the reads that make
// the whole image it shows, and the writes of its "Send to sensor". Start-up, the windows,
// "Send file to sensor" and the command line ask here instead of keeping copies.

#include <cstdint>
#include <vector>

namespace kelvo {

struct Context;

// The address lists the plans name.
constexpr int32_t kListPlatform5Settings = 6;  // the platform-5 settings in RAM
constexpr int32_t kListWholeRam = 8;           // RAM 0..255
constexpr int32_t kListWholeEeprom = 30;       // EEPROM 0..511

// A selection of one memory: an address list, or a range when count > 0.
struct MemorySpan {
    bool eeprom = false;
    int32_t list = 0;
    int address = 0;
    int count = 0;
};

// One write of a send, with what SensorMemWrite is asked to do around it.
struct WriteStep {
    MemorySpan span;
    bool commit = false;
    bool keepOpen = false;
    bool unlock = false;
    bool lock = false;
    bool writeAll = false;
};

// The reads that give a platform's window the whole image it shows and sends; empty for
// a platform without a window.
std::vector<MemorySpan> WholeImageReads(uint8_t platform);
// The writes of the platform window's "Send to sensor", in the order they are made.
std::vector<WriteStep> SettingsSendSteps(uint8_t platform);
// Whether the window's "Save settings" reads the whole image afresh first; the platform-6
// window saves what it holds.
bool SaveReadsWholeImage(uint8_t platform);
// The spans those writes cover.
std::vector<MemorySpan> SpansOf(const std::vector<WriteStep>& steps);

// Each read in turn, the port closed afterwards; false at the first that fails, and for
// an empty plan.
bool ReadSpans(Context& ctx, const std::vector<MemorySpan>& spans);
// Each write in turn; a step runs only when the one before it succeeded.
bool RunWriteSteps(Context& ctx, const std::vector<WriteStep>& steps);

// A byte whose read flag is clear holds no value from the sensor or from a file (a read was
// cancelled or failed, or the window never read it): sending it would write a value from
// nowhere. This reads such bytes of the spans from the sensor and leaves every byte whose
// value is known exactly as it was, even where a read block runs over it. True when
// nothing was missing or everything missing was read.
bool ReadUnknownBytes(Context& ctx, const std::vector<MemorySpan>& spans);

}  // namespace kelvo
