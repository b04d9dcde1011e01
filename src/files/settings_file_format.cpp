#include "files/settings_file_format.h"

#include <algorithm>

namespace kelvo {
namespace {

uint16_t word(std::span<const uint8_t> bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

void putWord(Bytes& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace

uint16_t SetFileChecksum(std::span<const uint8_t> payload) {
    uint32_t sum = 0;
    for (uint8_t b : payload) sum += b;
    return static_cast<uint16_t>(sum & 0xFFFF);
}

std::optional<uint16_t> SetBlockLength(uint16_t type) {
    switch (type) {
        case kSetBlockRam:
            return 240;
        case kSetBlockEeprom:
            return 512;
        case kSetBlockMask:
            return 542;
        default:
            return std::nullopt;
    }
}

SetFileParse ParseSetFile(std::span<const uint8_t> bytes) {
    SetFileParse result;
    SetFileLayout& layout = result.layout;
    if (bytes.size() < kSetHeaderSize + 1) {
        result.fault = SetFileFault::TooShort;
        return result;
    }
    layout.writerFlag = bytes[0];
    layout.storedChecksum = word(bytes, 1);
    layout.payloadLength = word(bytes, 3);
    layout.blockCount = word(bytes, 5);
    layout.computedChecksum = SetFileChecksum(bytes.subspan(kSetHeaderSize));

    if (bytes.size() > kSetReaderLimit) {
        result.fault = SetFileFault::TooLong;
    } else if (layout.payloadLength == 0) {
        result.fault = SetFileFault::EmptyPayload;
    } else if (layout.payloadLength != bytes.size() - kSetHeaderSize) {
        // A truncated or extended file: its tail is not what the writer counted.
        result.fault = SetFileFault::LengthMismatch;
    } else if (layout.computedChecksum != layout.storedChecksum) {
        result.fault = SetFileFault::BadChecksum;
    }
    if (!result.ok()) return result;

    size_t at = kSetHeaderSize;
    const int count = layout.blockCount & 0xFF;
    for (int i = 0; i < count; ++i) {
        if (at + 4 > bytes.size()) {
            result.fault = SetFileFault::BlockOutside;
            return result;
        }
        SetFileBlock block{word(bytes, at), word(bytes, at + 2), at};
        if (at + 4 + block.length > bytes.size()) {
            result.fault = SetFileFault::BlockOutside;
            return result;
        }
        const auto expected = SetBlockLength(block.type);
        if (expected && *expected != block.length) {
            result.fault = SetFileFault::BadBlockLength;
            return result;
        }
        layout.blocks.push_back(block);
        at += 4 + block.length;
    }
    return result;
}

std::string SetFileFaultText(SetFileFault fault) {
    switch (fault) {
        case SetFileFault::None:
            return "intact";
        case SetFileFault::TooShort:
            return "shorter than 18 bytes";
        case SetFileFault::TooLong:
            return "longer than a settings file can be";
        case SetFileFault::EmptyPayload:
            return "payload length 0";
        case SetFileFault::LengthMismatch:
            return "payload length differs from the file length";
        case SetFileFault::BadChecksum:
            return "checksum differs";
        case SetFileFault::BlockOutside:
            return "a block reaches beyond the end of the file";
        case SetFileFault::BadBlockLength:
            return "a block has the wrong length for its type";
    }
    return "damaged";
}

Bytes MakeSetBlock(uint16_t type, std::span<const uint8_t> data) {
    Bytes block(4 + data.size());
    putWord(block, 0, type);
    putWord(block, 2, static_cast<uint16_t>(data.size()));
    std::copy(data.begin(), data.end(), block.begin() + 4);
    return block;
}

Bytes MakeSetFile(uint8_t writerFlag, uint16_t blockCount, std::span<const uint8_t> blocks) {
    Bytes file(kSetHeaderSize + blocks.size(), 0);
    std::copy(blocks.begin(), blocks.end(), file.begin() + kSetHeaderSize);
    file[0] = writerFlag;
    putWord(file, 1, SetFileChecksum(blocks));
    putWord(file, 3, static_cast<uint16_t>(blocks.size()));
    putWord(file, 5, blockCount);
    return file;
}

}  // namespace kelvo
