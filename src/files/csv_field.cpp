#include "files/csv_field.h"

#include <charconv>
#include <cmath>

namespace kelvo {
namespace {

bool isPlainNumber(std::string_view text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && std::isfinite(value);
}

// A channel name from a definition file or a typed reference could hold "=HYPERLINK(...)";
// quoting alone does not stop a spreadsheet from running it.
bool runsAsFormula(std::string_view text) {
    constexpr std::string_view kFormulaStarts = "=+-@\t\r";
    return !text.empty() && kFormulaStarts.find(text.front()) != std::string_view::npos &&
           !isPlainNumber(text);
}

}  // namespace

std::string CsvField(std::string_view text) {
    const bool formula = runsAsFormula(text);
    if (!formula && text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = formula ? "\"'" : "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string CsvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) line += ',';
        line += CsvField(fields[i]);
    }
    return line;
}

}  // namespace kelvo
