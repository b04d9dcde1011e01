#include "files/measurement_log.h"

#include <algorithm>

namespace kelvo {
namespace {

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

// A value shown with a decimal comma (a typed simulated value, say) is written with a
// point, so that the column stays numeric in the spreadsheet.
std::string pointDecimal(std::string text) {
    std::replace(text.begin(), text.end(), ',', '.');
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string MeasurementLogHeader(const std::string& serialText,
                                 const std::vector<LogColumn>& columns) {
    std::string comment = serialText;
    std::replace(comment.begin(), comment.end(), '\n', ' ');
    std::replace(comment.begin(), comment.end(), '\r', ' ');
    std::string header = "# " + comment + "\ntime";
    for (const LogColumn& column : columns) {
        const std::string name =
            column.unit.empty() ? column.channel : column.channel + " (" + column.unit + ")";
        header += "," + csvField(name);
    }
    return header + "\n";
}

std::string MeasurementLogRow(const std::string& timestamp,
                              const std::vector<std::string>& shownValues) {
    std::string row = csvField(timestamp);
    for (const std::string& value : shownValues) row += "," + csvField(pointDecimal(value));
    return row + "\n";
}

}  // namespace kelvo
