#pragma once
// Reads and writes said by name instead of by a row of positional flags.

#include <cstdint>

namespace kelvo {

// A selection of one memory: an address list, or a range when count > 0.
struct MemorySpan {
    bool eeprom = false;
    int32_t list = 0;
    int address = 0;
    int count = 0;
};

inline MemorySpan eepromRange(int address, int count) {
    return {true, 0, address, count};
}
inline MemorySpan ramRange(int address, int count) {
    return {false, 0, address, count};
}
inline MemorySpan eepromList(int32_t list) {
    return {true, list, 0, 0};
}
inline MemorySpan ramList(int32_t list) {
    return {false, list, 0, 0};
}

struct ReadRequest {
    MemorySpan span;
    bool keepOpen = false;  // leave the port open for the next read of a run
    uint8_t maxTries = 100;
    bool reportError = true;  // "Can't read from sensor" when it fails
};

struct WriteRequest {
    MemorySpan span;
    bool commit = false;    // then save to RAM (after EEPROM) or to EEPROM (after RAM)
    bool keepOpen = false;  // leave the port open for the next write of a run
    bool unlock = false;    // EEPROM: unlock first
    bool lock = false;      // EEPROM: lock afterwards
    bool writeAll = false;  // EEPROM: send selected bytes even when unchanged
};

}  // namespace kelvo
