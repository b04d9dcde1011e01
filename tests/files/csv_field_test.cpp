// Every CSV file Kelvo writes reads back cell for cell through a strict reader, whatever text
// a sensor, a definition file or a technician put in it, and no cell runs as a formula.
#include "files/csv_field.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <regex>

#include "files/measurement_log.h"
#include "service/history.h"

namespace kelvo {
namespace {

using Record = std::vector<std::string>;

// RFC 4180 records, refusing anything a lenient reader would guess at: a quote inside an
// unquoted cell, text after a closing quote, a record without its line end.
std::optional<std::vector<Record>> readStrictly(const std::string& text, const std::string& eol) {
    std::vector<Record> records;
    size_t at = 0;
    while (at < text.size()) {
        Record record;
        for (bool more = true; more;) {
            std::string cell;
            if (text[at] == '"') {
                for (++at;; ++at) {
                    if (at >= text.size()) return std::nullopt;
                    if (text[at] == '"' && text.compare(at, 2, "\"\"") != 0) break;
                    if (text[at] == '"') ++at;
                    cell += text[at];
                }
                ++at;
            } else {
                for (; at < text.size() && text[at] != ',' && text.compare(at, eol.size(), eol); ++at) {
                    if (std::string_view("\"\r\n").find(text[at]) != std::string_view::npos)
                        return std::nullopt;
                    cell += text[at];
                }
            }
            record.push_back(cell);
            if (text.compare(at, eol.size(), eol) == 0) {
                at += eol.size();
                more = false;
            } else if (at < text.size() && text[at] == ',') {
                ++at;
            } else {
                return std::nullopt;
            }
        }
        records.push_back(record);
    }
    return records;
}

bool isNumber(const std::string& text) {
    static const std::regex number(R"(-?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?)");
    return std::regex_match(text, number);
}

// What a cell must read back as: the text, with an apostrophe before what would run.
std::string expectedCell(const std::string& text) {
    const bool runs = !text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos;
    return runs && !isNumber(text) ? "'" + text : text;
}

std::string randomText(std::mt19937& random) {
    static const std::string alphabet = "=+-@\t\r\n,\"' a1.e\xC2\xB0#";
    if (random() % 4 == 0) return std::to_string(static_cast<int>(random() % 20001) - 10000) + ".5";
    std::string text(random() % 8, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    return text;
}

TEST(CsvWriters, AnyTextReadsBackWholeAndNoCellRunsAsAFormula) {
    std::mt19937 random(::testing::UnitTest::GetInstance()->random_seed());
    const Record columns = HistoryColumns();
    const auto column = [&](const char* name) {
        return static_cast<size_t>(std::find(columns.begin(), columns.end(), name) - columns.begin());
    };
    for (int round = 0; round < 2000; ++round) {
        HistoryEntry entry;
        std::string* texts[] = {&entry.serial, &entry.version,  &entry.action, &entry.reference,
                                &entry.before, &entry.after,    &entry.backup};
        for (std::string* text : texts) *text = randomText(random);
        const std::string line = HistoryLine(entry);
        const auto history = readStrictly(line + "\r\n", "\r\n");
        ASSERT_TRUE(history && history->size() == 1) << line;
        const Record& cells = history->front();
        ASSERT_EQ(cells.size(), columns.size()) << line;
        const char* names[] = {"Serial", "Version", "Action", "Reference", "Before", "After", "Backup"};
        for (size_t k = 0; k < std::size(names); ++k)
            EXPECT_EQ(cells[column(names[k])], expectedCell(*texts[k])) << line;

        const std::string serial = randomText(random);
        const std::vector<LogColumn> logColumns = {{randomText(random), randomText(random) + "x"},
                                                   {randomText(random), ""}};
        const std::string header = MeasurementLogHeader(serial, logColumns);
        const auto log = readStrictly(header, "\n");
        ASSERT_TRUE(log && log->size() == 2) << header;
        std::string comment = "# " + serial;
        std::replace_if(comment.begin(), comment.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        EXPECT_EQ(log->at(0), Record{comment}) << header;
        const Record expected = {"time",
                                 expectedCell(logColumns[0].channel + " (" + logColumns[0].unit + ")"),
                                 expectedCell(logColumns[1].channel)};
        EXPECT_EQ(log->at(1), expected) << header;
    }
}

}  // namespace
}  // namespace kelvo
