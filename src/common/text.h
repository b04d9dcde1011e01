#pragma once
// Comparisons of names the sensor tools treat without regard to case ("last.set",
// ".Set", "DEF00231.PDT", "Virtual:6"), on every file system.

#include <algorithm>
#include <cctype>
#include <string_view>

namespace kelvo {

inline bool sameCharNoCase(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
}

inline bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), sameCharNoCase);
}

inline bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

inline bool endsWithNoCase(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && equalsNoCase(text.substr(text.size() - tail.size()), tail);
}

}  // namespace kelvo
