#pragma once
// The communication log of the read transaction: the text is gathered in memory and
// appended to ComLogg.txt in AppDir when the transaction ends, successful or not.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/platform.h"

namespace kelvo {
struct Context;
}

namespace kelvo::link {

inline constexpr const char* kComLogFileName = "ComLogg.txt";

class ComLog {
public:
    // Starts "READ(ListNo Address Count True|False)".
    ComLog(int32_t listNo, float address, int count, bool eeprom);

    void newAttempt();
    void requestToSend(uint8_t byte);
    void noClearToSend();
    void clearToSend(uint8_t byte);
    void request(const Bytes& frame);  // " MR(command address checksum)"
    void shortReply();
    void refused(uint8_t status);
    void reply(uint8_t status, const Bytes& data, uint8_t checksum, bool checksumMatches);

    const std::string& text() const { return text_; }
    // Appends the text and a line break to the file; a log that cannot be written never
    // fails the read it describes.
    void appendTo(const Context& ctx) const;

private:
    void entry(std::string_view name, std::string_view values);
    std::string text_;
};

}  // namespace kelvo::link
