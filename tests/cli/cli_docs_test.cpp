// The man page and the bash completion are written by hand: every command and option that
// kelvo-cli --help lists must be in both, so neither falls behind a new command.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>

#include "cli/cli_harness.h"

namespace kelvo {
namespace {

std::string readText(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Roff writes a dash as "\-".
std::string plainRoff(std::string text) {
    for (size_t at; (at = text.find("\\-")) != std::string::npos;) text.erase(at, 1);
    return text;
}

bool hasWord(const std::string& text, const std::string& word) {
    return std::regex_search(text, std::regex("(^|[^-a-z])" + word + "($|[^-a-z])"));
}

TEST(CliDocs, ManPageAndCompletionKnowEveryCommandAndOption) {
    const test::CliResult help = test::runCli({"--help"});
    ASSERT_EQ(help.exitCode, 0) << help.err;

    std::set<std::string> commands;
    std::istringstream lines(help.out.substr(help.out.find("commands:")));
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string name;
        if (words >> name) commands.insert(name);
    }
    std::set<std::string> options;
    const std::regex option("--[a-z][-a-z]*");
    for (std::sregex_iterator it(help.out.begin(), help.out.end(), option), end; it != end; ++it)
        options.insert(it->str());
    ASSERT_GE(commands.size(), 10u);
    ASSERT_GE(options.size(), 10u);

    const std::string man = plainRoff(readText(KELVO_SOURCE_DIR "/packaging/kelvo-cli.1"));
    const std::string completion =
        readText(KELVO_SOURCE_DIR "/packaging/kelvo-cli.bash-completion");
    ASSERT_FALSE(man.empty());
    ASSERT_FALSE(completion.empty());
    for (const std::string& word : commands) {
        EXPECT_TRUE(hasWord(man, word)) << "man page lacks the command " << word;
        EXPECT_TRUE(hasWord(completion, word)) << "completion lacks the command " << word;
    }
    for (const std::string& word : options) {
        EXPECT_TRUE(hasWord(man, word)) << "man page lacks the option " << word;
        EXPECT_TRUE(hasWord(completion, word)) << "completion lacks the option " << word;
    }
}

}  // namespace
}  // namespace kelvo
