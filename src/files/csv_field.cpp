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

// A text that begins with the guard apostrophe before what would run gets a guard of its
// own, or reading it back would take its apostrophe for the guard.
bool needsGuard(std::string_view text) {
    return runsAsFormula(text) ||
           (text.size() > 1 && text.front() == '\'' && needsGuard(text.substr(1)));
}

}  // namespace

std::string CsvField(std::string_view text) {
    const bool formula = needsGuard(text);
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

std::vector<std::vector<std::string>> CsvRecords(std::string_view text) {
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string cell;
    bool quoted = false;     // inside quotes now
    bool wasQuoted = false;  // the cell began with a quote
    auto endCell = [&] {
        if (wasQuoted && !cell.empty() && cell.front() == '\'' && needsGuard(cell.substr(1)))
            cell.erase(0, 1);
        record.push_back(std::move(cell));
        cell.clear();
        wasQuoted = false;
    };
    auto endRecord = [&] {
        endCell();
        if (record.size() > 1 || !record.front().empty()) records.push_back(std::move(record));
        record.clear();
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"')
                cell += c;
            else if (i + 1 < text.size() && text[i + 1] == '"')
                cell += text[++i];
            else
                quoted = false;
        } else if (c == '"' && cell.empty()) {
            quoted = wasQuoted = true;
        } else if (c == ',') {
            endCell();
        } else if (c == '\n') {
            endRecord();
        } else if (c != '\r' || i + 1 >= text.size() || text[i + 1] != '\n') {
            cell += c;
        }
    }
    if (!cell.empty() || !record.empty() || wasQuoted) endRecord();
    return records;
}

}  // namespace kelvo
