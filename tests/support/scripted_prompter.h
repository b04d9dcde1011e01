#pragma once
// A prompter that records what the program says and answers from a script.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/platform.h"

namespace kelvo::test {

class ScriptedPrompter : public Prompter {
public:
    struct Shown {
        std::string text;
        Icon icon;
    };

    void message(const std::string& text, Icon icon) override { shown.push_back({text, icon}); }
    std::string input(const std::string& prompt) override;
    std::optional<std::string> openFile(const std::string& filter) override;
    std::optional<std::string> saveFile(const std::string& filter) override;
    bool confirm(const std::string& question) override;
    bool proceed(const std::string& question) override;

    // Answers, used in order; an empty queue answers "" / cancel.
    std::deque<std::string> inputAnswers;
    std::deque<std::optional<std::string>> fileAnswers;
    std::deque<bool> confirmAnswers;  // an empty queue answers No
    std::deque<bool> proceedAnswers;  // an empty queue goes on, as Enter does
    std::vector<std::string> questions;

    std::vector<Shown> shown;
    std::vector<std::string> prompts;  // input prompts and file-dialog filters, in order

    std::vector<std::string> messages() const;
};

}  // namespace kelvo::test
