#pragma once
// The wire frames of the sensor protocol as pure functions: building requests and
// taking replies apart, with no port and no clock involved.

#include <cstdint>
#include <optional>
#include <vector>

#include "common/platform.h"

namespace kelvo::link {

// The sensor's clear-to-send answer to the request-to-send byte.
inline constexpr uint8_t kClearToSend = 223;
// Base of the request-to-send byte; the sensor address is added to it.
inline constexpr uint8_t kRequestToSendBase = 224;
inline constexpr int kHighestSensorAddress = 31;

// How a memory is addressed on the wire.
enum class Memory {
    SmallEeprom,  // 512 bytes, one address byte holding the word address
    LargeEeprom,  // 1024 bytes, high and low byte of the byte address
    Ram,          // 256 bytes in two halves of 128, one address byte within the half
};

int topAddress(Memory memory);

// Sum of the bytes modulo 256: the last byte of every frame and of every read reply.
uint8_t frameChecksum(const Bytes& bytes);

// Both status bytes the sensor uses for "acknowledged".
bool isAcknowledge(uint8_t status);

// The request for n bytes from address a (a block the read has already formed).
Bytes readRequest(Memory memory, int a, int n);

// The write frame for values[0..] at address a; nullopt when a value is not a whole
// number from 0 to 255, so a bad image value never reaches the sensor.
std::optional<Bytes> writeFrame(Memory memory, int a, const std::vector<float>& values);

// The three bytes of a command in a protocol dialect (1 or 2); nullopt when the dialect
// has no frame for it.
std::optional<Bytes> commandFrame(int command, int protocol);

struct ReadReply {
    enum class Kind { Short, Refused, Complete };
    Kind kind = Kind::Short;
    uint8_t status = 0;
    Bytes data;
    uint8_t checksum = 0;
    bool checksumMatches = false;
};

// Takes apart what arrived after a read request for n bytes.
ReadReply parseReadReply(const Bytes& received, int n);

}  // namespace kelvo::link
