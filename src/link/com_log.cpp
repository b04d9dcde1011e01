#include "link/com_log.h"

#include <filesystem>

#include "common/context.h"
#include "common/values.h"
#include "files/file_writer.h"

namespace kelvo::link {
namespace {
constexpr const char* kLineBreak = "\r\n";
}

ComLog::ComLog(int32_t listNo, float address, int count, bool eeprom) {
    text_ = "READ(" + std::to_string(listNo) + " " + NumberText(address) + " " +
            std::to_string(count) + " " + (eeprom ? "True" : "False") + ")";
}

void ComLog::entry(std::string_view name, std::string_view values) {
    text_ += " ";
    text_ += name;
    text_ += "(";
    text_ += values;
    text_ += ")";
}

void ComLog::newAttempt() {
    text_ += kLineBreak;
}
void ComLog::requestToSend(uint8_t byte) {
    entry("RTS", std::to_string(byte));
}
void ComLog::noClearToSend() {
    entry("CTR", "");
}
void ComLog::clearToSend(uint8_t byte) {
    entry("CTR", std::to_string(byte));
}

void ComLog::request(const Bytes& frame) {
    std::string values;
    for (uint8_t byte : frame) values += (values.empty() ? "" : " ") + std::to_string(byte);
    entry("MR", values);
}

void ComLog::shortReply() {
    entry("DC", "");
}
void ComLog::refused(uint8_t status) {
    entry("DC", std::to_string(status));
}

void ComLog::reply(uint8_t status, const Bytes& data, uint8_t checksum, bool checksumMatches) {
    std::string values = std::to_string(status);
    for (uint8_t byte : data) values += " " + std::to_string(byte);
    values += " " + std::to_string(checksum);
    entry("DC", values);
    // A mismatch repeats the checksum so that it stands out when reading the log.
    if (!checksumMatches) text_ += " " + std::to_string(checksum);
}

void ComLog::appendTo(const Context& ctx) const {
    const auto path = std::filesystem::path(ctx.AppDir) / kComLogFileName;
    std::string ignored;
    AppendWhole(path.string(), text_ + kLineBreak, {}, ignored);
}

}  // namespace kelvo::link
