#include "files/measurement_log.h"

#include <algorithm>

#include "files/csv_field.h"

namespace kelvo {
namespace {

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
    // One cell, so that a comma in the sensor's text cannot start a cell of its own.
    std::string header = CsvField("# " + comment) + "\ntime";
    for (const LogColumn& column : columns) {
        const std::string name =
            column.unit.empty() ? column.channel : column.channel + " (" + column.unit + ")";
        header += "," + CsvField(name);
    }
    return header + "\n";
}

std::string MeasurementLogRow(const std::string& timestamp,
                              const std::vector<std::string>& shownValues) {
    std::string row = CsvField(timestamp);
    for (const std::string& value : shownValues) row += "," + CsvField(pointDecimal(value));
    return row + "\n";
}

}  // namespace kelvo
