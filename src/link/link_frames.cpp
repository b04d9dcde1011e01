#include "link/link_frames.h"

#include <array>
#include <cmath>
#include <numeric>

namespace kelvo::link {
namespace {

// Area codes added to the command byte.
constexpr uint8_t kAreaEeprom = 8;
constexpr uint8_t kAreaRamHigh = 64;
constexpr uint8_t kAreaRamLow = 0;
constexpr uint8_t kReadBit = 128;
constexpr int kRamHalf = 128;

// Command byte and the address bytes that follow it.
Bytes header(Memory memory, int a, int n, uint8_t direction) {
    switch (memory) {
        case Memory::SmallEeprom:
            return {static_cast<uint8_t>(direction + kAreaEeprom + n), static_cast<uint8_t>(a / 2)};
        case Memory::LargeEeprom:
            return {static_cast<uint8_t>(direction + kAreaEeprom + n),
                    static_cast<uint8_t>((a >> 8) & 0xFF), static_cast<uint8_t>(a & 0xFF)};
        case Memory::Ram:
            if (a >= kRamHalf)
                return {static_cast<uint8_t>(direction + kAreaRamHigh + n),
                        static_cast<uint8_t>(a - kRamHalf)};
            return {static_cast<uint8_t>(direction + kAreaRamLow + n), static_cast<uint8_t>(a)};
    }
    return {};
}

Bytes sealed(Bytes frame) {
    frame.push_back(frameChecksum(frame));
    return frame;
}

}  // namespace

int topAddress(Memory memory) {
    switch (memory) {
        case Memory::SmallEeprom:
            return 511;
        case Memory::LargeEeprom:
            return 1023;
        case Memory::Ram:
            return 255;
    }
    return 0;
}

uint8_t frameChecksum(const Bytes& bytes) {
    return static_cast<uint8_t>(std::accumulate(bytes.begin(), bytes.end(), 0u) & 0xFF);
}

bool isAcknowledge(uint8_t status) {
    return status == 6 || status == 134;
}

Bytes readRequest(Memory memory, int a, int n) {
    return sealed(header(memory, a, n, kReadBit));
}

std::optional<Bytes> writeFrame(Memory memory, int a, const std::vector<float>& values) {
    Bytes frame = header(memory, a, static_cast<int>(values.size()), 0);
    for (float value : values) {
        if (!(value >= 0 && value <= 255) || std::floor(value) != value) return std::nullopt;
        frame.push_back(static_cast<uint8_t>(value));
    }
    return sealed(std::move(frame));
}

std::optional<Bytes> commandFrame(int command, int protocol) {
    // Command code and data byte per dialect; {0, 0} marks a command the dialect lacks.
    struct Pair {
        uint8_t code, data;
    };
    static constexpr std::array<Pair, 6> kVersion1{
        {{32, 0}, {161, 0}, {16, 0}, {144, 0}, {0, 0}, {0, 0}}};
    static constexpr std::array<Pair, 6> kVersion2{
        {{145, 0}, {153, 173}, {169, 171}, {177, 169}, {161, 0}, {185, 1}}};
    if (command < 0 || command > 5 || (protocol != 1 && protocol != 2)) return std::nullopt;
    const Pair pair = (protocol == 1 ? kVersion1 : kVersion2)[command];
    if (pair.code == 0) return std::nullopt;
    return sealed({pair.code, pair.data});
}

ReadReply parseReadReply(const Bytes& received, int n) {
    ReadReply reply;
    if (static_cast<int>(received.size()) < n + 2) return reply;
    reply.status = received[0];
    if (!isAcknowledge(reply.status)) {
        reply.kind = ReadReply::Kind::Refused;
        return reply;
    }
    reply.kind = ReadReply::Kind::Complete;
    reply.data.assign(received.begin() + 1, received.begin() + 1 + n);
    reply.checksum = received[n + 1];
    Bytes summed(received.begin(), received.begin() + 1 + n);
    reply.checksumMatches = frameChecksum(summed) == reply.checksum;
    return reply;
}

}  // namespace kelvo::link
