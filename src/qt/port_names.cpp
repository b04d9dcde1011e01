#include "qt/port_names.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <string_view>

#include "common/id_byte.h"
#include "common/text.h"

namespace kelvo::qt {
namespace {

std::string_view trimmed(std::string_view text) {
    const auto isSpace = [](unsigned char c) { return std::isspace(c) != 0; };
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<int> wholeNumber(std::string_view text) {
    if (text.empty() || text.size() > 6) return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

PortTarget invalid(std::string error) {
    PortTarget target;
    target.error = std::move(error);
    return target;
}

PortTarget resolveVirtual(std::string_view spec, const std::string& name) {
    constexpr std::string_view kNetwork = "net";
    if (equalsNoCase(spec, kNetwork)) {
        PortTarget target;
        target.kind = PortTarget::Kind::VirtualNetwork;
        return target;
    }
    const auto v = spec.find_first_of("vV");
    const auto platform = wholeNumber(spec.substr(0, v));
    const bool known = platform && (*platform == kPlatform5 || *platform == kPlatform6 ||
                                    *platform == kPlatform61 || *platform == kPlatform7);
    if (!known)
        return invalid("Unknown virtual sensor '" + name + "': the platform is 5, 6, 61 or 7");
    PortTarget target;
    target.kind = PortTarget::Kind::Virtual;
    target.platform = *platform;
    target.version = defaultVirtualVersion(*platform);
    if (v != std::string_view::npos) {
        const auto version = wholeNumber(spec.substr(v + 1));
        if (!version || *version < 0)
            return invalid("Unknown virtual sensor '" + name + "': the version is a number");
        target.version = *version;
    }
    return target;
}

}  // namespace

int defaultVirtualVersion(int platform) {
    return platform == kPlatform7 ? 1 : 0;
}

PortTarget resolvePortName(const std::string& name) {
    const std::string_view text = trimmed(name);
    if (text.empty()) return invalid("No port given");
    if (startsWithNoCase(text, kVirtualPrefix))
        return resolveVirtual(text.substr(std::string_view(kVirtualPrefix).size()), name);
    PortTarget target;
    target.kind = PortTarget::Kind::Serial;
    if (const auto number = wholeNumber(text)) {
        if (*number < 1) return invalid("There is no serial port " + std::string(text));
#ifdef _WIN32
        target.device = "COM" + std::to_string(*number);
#else
        target.device = "/dev/ttyS" + std::to_string(*number - 1);
#endif
        return target;
    }
    target.device = std::string(text);
    return target;
}

}  // namespace kelvo::qt
