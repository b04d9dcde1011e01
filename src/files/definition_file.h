#pragma once
// Production definition files ("DEF" + 5-digit identification byte + ".PDT") that name
// the channels of a platform-5 sensor and carry its table coefficients.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvo {

struct Context;

// One channel of a definition file: the response model of its table, and how it is shown.
struct DefinitionChannel {
    float l = 0, m = 0, o = 0, tt = 0, u = 0;  // model coefficients
    float start = 0;                           // start point g of the table
    int32_t enable = 0;                        // channel present when > 0
    std::string name;
    int32_t unitCode = 0;
};

struct ParsedDefinition {
    std::array<DefinitionChannel, 4> channels;
    uint8_t channelFlags = 0;
    uint8_t secondFlags = 0;
    std::array<std::string, 3> texts;
};

// The fixed layout of a definition file; the files are never shorter.
constexpr size_t kDefinitionFileSize = 640;
// Larger files are refused unread. Only the first 640 bytes mean anything; the limit leaves
// room for files that other tools pad or append notes to, while a file given by mistake (an
// image, a log of gigabytes) costs no time and no memory.
constexpr size_t kDefinitionFileLimit = 64 * 1024;

// Pure reading of a file's bytes; nullopt when the file is too short or holds numbers
// that are not finite.
std::optional<ParsedDefinition> ParseDefinition(const std::vector<uint8_t>& bytes);

// Loads the definition for the image's identification byte and builds tables 0..3.
bool LoadDefinition(Context& ctx);
std::string DefinitionFileName(int idByte);

}  // namespace kelvo
