#include "support/scripted_prompter.h"

namespace kelvo::test {

std::string ScriptedPrompter::input(const std::string& prompt) {
    prompts.push_back(prompt);
    if (inputAnswers.empty()) return {};
    std::string answer = inputAnswers.front();
    inputAnswers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedPrompter::openFile(const std::string& filter) {
    prompts.push_back(filter);
    if (fileAnswers.empty()) return std::nullopt;
    auto answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedPrompter::saveFile(const std::string& filter) {
    return openFile(filter);
}

bool ScriptedPrompter::confirm(const std::string& question) {
    questions.push_back(question);
    if (confirmAnswers.empty()) return false;
    const bool yes = confirmAnswers.front();
    confirmAnswers.pop_front();
    return yes;
}

bool ScriptedPrompter::proceed(const std::string& question) {
    questions.push_back(question);
    const bool yes = proceedAnswers.empty() || proceedAnswers.front();
    if (!proceedAnswers.empty()) proceedAnswers.pop_front();
    return yes;
}

std::vector<std::string> ScriptedPrompter::messages() const {
    std::vector<std::string> texts;
    for (const auto& s : shown) texts.push_back(s.text);
    return texts;
}

}  // namespace kelvo::test
