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
#include "service/network_overview.h"

namespace kelvo {
namespace {

using Record = std::vector<std::string>;

// One RFC 4180 record ending in eol; nullopt for what a lenient reader would guess at: a
// quote or line break in an unquoted cell, text after a closing quote, more than one record.
std::optional<Record> readStrictly(const std::string& text, const std::string& eol) {
    static const std::regex cell(R"(("(?:[^"]|"")*"|[^",\r\n]*)(,?))");
    if (text.size() < eol.size() || text.compare(text.size() - eol.size(), eol.size(), eol))
        return std::nullopt;
    const std::string body = text.substr(0, text.size() - eol.size());
    Record record;
    std::smatch m;
    for (auto at = body.cbegin();; at = m[0].second) {
        if (!std::regex_search(at, body.cend(), m, cell, std::regex_constants::match_continuous))
            return std::nullopt;
        const std::string c = m[1];
        record.push_back(c.empty() || c[0] != '"' ? c
                                                  : std::regex_replace(c.substr(1, c.size() - 2),
                                                                       std::regex("\"\""), "\""));
        if (m[2].length() == 0)
            return m[0].second == body.cend() ? std::optional(record) : std::nullopt;
    }
}

// What a cell must read back as: the text, with an apostrophe before what would run, and
// before an apostrophe that stands before what would run.
std::string expectedCell(const std::string& text) {
    static const std::regex number(R"(-?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?)");
    const bool runs =
        !text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos;
    const bool guard =
        text.size() > 1 && text[0] == '\'' && expectedCell(text.substr(1)) != text.substr(1);
    return (runs && !std::regex_match(text, number)) || guard ? "'" + text : text;
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
    for (int round = 0; round < 2000; ++round) {
        HistoryEntry e;
        const std::pair<const char*, std::string*> fields[] = {
            {"Serial", &e.serial},       {"Version", &e.version}, {"Action", &e.action},
            {"Reference", &e.reference}, {"Before", &e.before},   {"After", &e.after},
            {"Backup", &e.backup},       {"Result", &e.result},   {"Message", &e.message}};
        for (auto [name, text] : fields) *text = randomText(random);
        const auto history = readStrictly(HistoryLine(e) + "\r\n", "\r\n");
        ASSERT_TRUE(history && history->size() == columns.size()) << HistoryLine(e);
        for (auto [name, text] : fields)
            EXPECT_EQ(
                history->at(std::find(columns.begin(), columns.end(), name) - columns.begin()),
                expectedCell(*text))
                << HistoryLine(e);
        // The reader takes back what the writer wrote, whatever the lines end with.
        Record texts;
        for (auto [name, text] : fields) texts.push_back(*text);
        EXPECT_EQ(CsvRecords(CsvLine(texts) + "\r\n" + CsvLine(texts) + "\n"),
                  (std::vector<Record>{texts, texts}))
            << CsvLine(texts);
        // A file cut off before its last closing quote still gives its last cell whole.
        if (const std::string line = CsvLine(texts); line.back() == '"') {
            EXPECT_EQ(CsvRecords(line.substr(0, line.size() - 1)), std::vector<Record>{texts})
                << line;
        }
        // Any number of columns, with a unit or without.
        std::vector<LogColumn> logColumns(random() % 3);
        Record cells = {"time"};
        for (LogColumn& c : logColumns) {
            c = {randomText(random), random() % 2 ? randomText(random) + "x" : ""};
            cells.push_back(
                expectedCell(c.unit.empty() ? c.channel : c.channel + " (" + c.unit + ")"));
        }
        std::string comment = randomText(random);
        const std::string header = MeasurementLogHeader(comment, logColumns);
        EXPECT_EQ(readStrictly(header.substr(header.find('\n') + 1), "\n"), cells) << header;
        // The sensor's line is one cell on a line of its own; its line breaks become blanks.
        std::replace_if(
            comment.begin(), comment.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        EXPECT_EQ(readStrictly(header.substr(0, header.find('\n') + 1), "\n"),
                  Record{"# " + comment});
        // Values are written with a decimal point and without the blanks around them.
        Record shown(random() % 3);
        for (std::string& value : shown) value = randomText(random);
        Record row = {expectedCell(comment)};
        for (std::string value : shown) {
            std::replace(value.begin(), value.end(), ',', '.');
            value.erase(0, std::min(value.size(), value.find_first_not_of(' ')));
            value.erase(value.find_last_not_of(' ') + 1);
            row.push_back(expectedCell(value));
        }
        EXPECT_EQ(readStrictly(MeasurementLogRow(comment, shown), "\n"), row) << comment;
        // The network overview: its title line, the fixed header, a row per sensor.
        const OverviewRow sensor{7,
                                 6,
                                 randomText(random),
                                 randomText(random),
                                 randomText(random),
                                 OverviewRow::State::NotAnswering,
                                 randomText(random)};
        const std::string title = randomText(random), overview = OverviewCsv(title, {sensor});
        const std::string head = OverviewCsv(title, {}),
                          columns = "ID,Platform,Version,Serial,Values,State\n";
        ASSERT_EQ(overview.rfind(head, 0), 0u) << overview;
        ASSERT_EQ(head.substr(head.size() - columns.size()), columns);
        EXPECT_EQ(readStrictly(head.substr(0, head.size() - columns.size()), "\n"),
                  Record{"# " + title});
        EXPECT_EQ(readStrictly(overview.substr(head.size()), "\n"),
                  (Record{"7", "6", expectedCell(sensor.version), expectedCell(sensor.serial),
                          expectedCell(sensor.values),
                          expectedCell("not answering since " + sensor.silentSince)}));
    }
    // Only a quoted cell's apostrophe is the writer's guard; one typed before an unquoted
    // formula (a file saved by hand) stays, first on its line or not. Only a line with
    // nothing on it is no record. A carriage return ends a line only with its line feed
    // inside the text read. A lone quote cut off before its closing quote is still a quote.
    EXPECT_EQ(CsvRecords("'=1\n\"'=1\",'=1\n\n,x\n"),
              (std::vector<Record>{{"'=1"}, {"=1", "'=1"}, {"", "x"}}));
    EXPECT_EQ(CsvRecords("\"\"\""), std::vector<Record>{{"\""}});
    EXPECT_EQ(CsvRecords(std::string_view("x\r\n", 2)), std::vector<Record>{{"x\r"}});
}

}  // namespace
}  // namespace kelvo
