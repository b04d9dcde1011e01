#include "files/definition_file.h"

#include <cctype>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "common/context.h"
#include "common/text.h"
#include "files/settings_file_io.h"
#include "model/identification.h"
#include "model/tables.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

constexpr size_t kChannelStride = 96;

// Positions below are 1-based, as the file layout is written down.
int32_t int32At(const std::vector<uint8_t>& bytes, size_t position) {
    const size_t i = position - 1;
    const uint32_t value = uint32_t(bytes[i]) | uint32_t(bytes[i + 1]) << 8 |
                           uint32_t(bytes[i + 2]) << 16 | uint32_t(bytes[i + 3]) << 24;
    return static_cast<int32_t>(value);
}

// A decimal is a mantissa and a power of ten.
std::optional<float> decimalAt(const std::vector<uint8_t>& bytes, size_t position) {
    const double mantissa = int32At(bytes, position);
    const double exponent = int32At(bytes, position + 4);
    const double value = mantissa * std::pow(10.0, exponent);
    const float single = static_cast<float>(value);
    if (!std::isfinite(value) || !std::isfinite(single)) return std::nullopt;
    return single;
}

// One byte per character (Latin-1), 0 bytes skipped, blanks trimmed.
std::string textAt(const std::vector<uint8_t>& bytes, size_t position, size_t length) {
    std::string text;
    for (size_t i = position - 1; i < position - 1 + length; ++i) {
        const uint8_t c = bytes[i];
        if (c == 0) continue;
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The file in Directory, matched without regard to case as on the systems the files
// come from.
std::optional<fs::path> findIn(const fs::path& directory, const std::string& name) {
    std::error_code error;
    const fs::path exact = directory / name;
    if (fs::is_regular_file(exact, error)) return exact;
    for (fs::directory_iterator it(directory.empty() ? fs::path(".") : directory, error), end;
         !error && it != end; it.increment(error)) {
        if (equalsNoCase(it->path().filename().string(), name) &&
            it->is_regular_file(error))
            return directory / it->path().filename();
    }
    return std::nullopt;
}

std::optional<fs::path> productionFile(const std::string& name) {
#ifdef _WIN32
    // The production line's shared drive; it only exists on the production PCs.
    return findIn(fs::path("g:\\produktion\\produktionsprogram\\def\\"), name);
#else
    (void)name;
    return std::nullopt;
#endif
}

bool forget(Context& ctx, const std::string& message) {
    ctx.Definition.loadedIdByte = 0;
    return failWith(ctx, message);
}

}  // namespace

std::optional<ParsedDefinition> ParseDefinition(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < kDefinitionFileSize) return std::nullopt;
    ParsedDefinition parsed;
    for (size_t c = 0; c < 4; ++c) {
        const size_t at = kChannelStride * c;
        DefinitionChannel& channel = parsed.channels[c];
        const int32_t flags = int32At(bytes, 9 + at);
        parsed.channelFlags |= static_cast<uint8_t>((flags & 1) << c);
        parsed.channelFlags |= static_cast<uint8_t>(((flags >> 1) & 1) << (4 + c));
        parsed.secondFlags |= static_cast<uint8_t>((int32At(bytes, 13 + at) & 1) << c);
        float* coefficients[] = {&channel.l, &channel.m, &channel.o, &channel.tt, &channel.u};
        for (size_t k = 0; k < 5; ++k) {
            const auto value = decimalAt(bytes, 41 + at + 8 * k);
            if (!value) return std::nullopt;
            *coefficients[k] = *value;
        }
        channel.start = static_cast<float>(int32At(bytes, 81 + at));
        channel.enable = int32At(bytes, 89 + at);
        channel.name = textAt(bytes, 425 + 15 * c, 15);
        channel.unitCode = int32At(bytes, 625 + 4 * c);
    }
    parsed.texts = {textAt(bytes, 405, 20), textAt(bytes, 585, 20), textAt(bytes, 605, 20)};
    return parsed;
}

std::string DefinitionFileName(int idByte) {
    std::string digits = std::to_string(idByte < 0 ? 0 : idByte);
    if (digits.size() < 5) digits.insert(0, 5 - digits.size(), '0');
    return "DEF" + digits + ".PDT";
}

bool LoadDefinition(Context& ctx) {
    const uint8_t idByte = GetIdByte(ctx);
    const std::string name = DefinitionFileName(idByte);
    std::optional<fs::path> path = productionFile(name);
    if (!path) path = findIn(fs::path(ctx.AppDir), name);
    if (!path)
        return forget(ctx, "Can't find file: " + (fs::path(ctx.AppDir) / name).string() + ", ");

    const FileReadResult file = ReadFileBounded(path->string(), kDefinitionFileLimit);
    if (file.status == FileReadStatus::Ok && file.fileSize > kDefinitionFileLimit)
        return forget(ctx, path->string() + " is too large for a definition file (over " +
                               std::to_string(kDefinitionFileLimit / 1024) + " KB), ");
    const auto parsed = file.status == FileReadStatus::Ok && file.fileSize == file.bytes.size()
                            ? ParseDefinition(file.bytes)
                            : std::nullopt;
    if (!parsed) return forget(ctx, "File error '" + path->string() + ", ");

    ProductDefinition& definition = ctx.Definition;
    for (size_t c = 0; c < 4; ++c) {
        const DefinitionChannel& channel = parsed->channels[c];
        definition.channelName[c] = channel.name;
        definition.channelEnable[c] = channel.enable;
        definition.unitCode[c] = channel.unitCode;
    }
    definition.channelFlags = parsed->channelFlags;
    definition.secondFlags = parsed->secondFlags;
    definition.texts = parsed->texts;
    // Recorded before the tables are built: building them asks for the platform, and
    // a table entry asked for meanwhile must not start another load.
    definition.loadedIdByte = idByte;
    for (int c = 0; c < 4; ++c) {
        const DefinitionChannel& channel = parsed->channels[c];
        BuildTable(ctx, c, channel.l, channel.m, channel.o, channel.tt, channel.u, channel.start,
                   0);
    }
    return true;
}

}  // namespace kelvo
