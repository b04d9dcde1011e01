#pragma once
// Cells of the CSV files a spreadsheet opens (the service history, the measurement log).

#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// One cell: quoted (a quote doubled) when it holds a comma, a quote or a line break. Text a
// spreadsheet would run as a formula, starting with = + - @, a tab or a carriage return,
// gets a leading apostrophe inside quotes; a plain number such as "-12.5" stays a number.
std::string CsvField(std::string_view text);

// The cells joined by commas, without a line break.
std::string CsvLine(const std::vector<std::string>& fields);

// The records of a CSV text as CsvLine writes them (lines ending in CRLF or LF, quoted
// cells across line breaks), each cell as it was before CsvField: quotes undoubled and the
// apostrophe that kept a formula from running taken off. Blank lines hold no record.
std::vector<std::vector<std::string>> CsvRecords(std::string_view text);

}  // namespace kelvo
