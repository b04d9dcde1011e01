#pragma once
// The bytes of a settings file: a 17-byte header (writer flag, checksum, payload length,
// block count, ten zero bytes) followed by typed blocks. Pure functions over bytes, so the
// reader, the writer, the inspect command and the fuzz target share one parser.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/platform.h"

namespace kelvo {

constexpr size_t kSetHeaderSize = 17;
// The reader holds at most this much of a file; every file we write is smaller.
constexpr size_t kSetReaderLimit = 1501;

constexpr uint16_t kSetBlockRam = 1;      // RAM 0..111 and 128..255 (platform 5)
constexpr uint16_t kSetBlockEeprom = 10;  // EEPROM 0..511 (platforms 6 and 61)
constexpr uint16_t kSetBlockMask = 15;    // 30 zero bytes, then the mask of EEPROM 0..511
constexpr size_t kSetMaskBlockPrefix = 30;

struct SetFileBlock {
    uint16_t type = 0;
    uint16_t length = 0;
    size_t offset = 0;  // of the block header; the data follows 4 bytes later
};

struct SetFileLayout {
    uint8_t writerFlag = 0;
    uint16_t storedChecksum = 0;
    uint16_t computedChecksum = 0;
    uint16_t payloadLength = 0;
    uint16_t blockCount = 0;  // the reader walks only the low byte of it
    std::vector<SetFileBlock> blocks;
};

enum class SetFileFault {
    None,
    TooShort,        // fewer than 18 bytes
    TooLong,         // more than the reader holds
    EmptyPayload,    // payload length 0
    LengthMismatch,  // payload length is not the file length minus 17
    BadChecksum,
    BlockOutside,    // a counted block reaches beyond the end of the file
    BadBlockLength,  // a block of a known type with another length than its type has
};

struct SetFileParse {
    SetFileFault fault = SetFileFault::None;
    SetFileLayout layout;  // header fields are filled as far as the file has them
    bool ok() const { return fault == SetFileFault::None; }
};

SetFileParse ParseSetFile(std::span<const uint8_t> bytes);
std::string SetFileFaultText(SetFileFault fault);

uint16_t SetFileChecksum(std::span<const uint8_t> payload);
// The data length a block type must have; nullopt for types we do not know.
std::optional<uint16_t> SetBlockLength(uint16_t type);

// A block as it is written: type, length and data.
Bytes MakeSetBlock(uint16_t type, std::span<const uint8_t> data);
// A whole file from its blocks (already made with MakeSetBlock), with a fresh header.
Bytes MakeSetFile(uint8_t writerFlag, uint16_t blockCount, std::span<const uint8_t> blocks);

}  // namespace kelvo
