#include "app/scripted_prompter.h"

#include <stdexcept>

namespace lumacite::app {
namespace {

std::function<void(const std::string&)>& failure_handler() {
    static std::function<void(const std::string&)> handler = [](const std::string& what) {
        throw std::logic_error(what);
    };
    return handler;
}

} // namespace

void ScriptedPrompter::set_failure_handler(std::function<void(const std::string&)> handler) {
    failure_handler() = std::move(handler);
}

std::vector<std::string> ScriptedPrompter::texts() const {
    std::vector<std::string> out;
    out.reserve(calls_.size());
    for (const auto& c : calls_) {
        out.push_back(c.text);
    }
    return out;
}

bool ScriptedPrompter::next_answer(const std::string& text) {
    if (answers_.empty()) {
        failure_handler()("unexpected question: " + text);
        return false;
    }
    const bool yes = answers_.front();
    answers_.pop_front();
    return yes;
}

std::optional<std::filesystem::path> ScriptedPrompter::next_path(const std::string& title) {
    if (paths_.empty()) {
        failure_handler()("unexpected chooser: " + title);
        return std::nullopt;
    }
    auto path = std::move(paths_.front());
    paths_.pop_front();
    return path;
}

void ScriptedPrompter::inform(const std::string& text) {
    calls_.push_back({Kind::inform, text, Icon::information});
}

void ScriptedPrompter::refuse(const std::string& text, Icon icon) {
    calls_.push_back({Kind::refuse, text, icon});
}

bool ScriptedPrompter::ask_yes_no(const std::string& text) {
    calls_.push_back({Kind::yes_no, text, Icon::question});
    return next_answer(text);
}

bool ScriptedPrompter::ask_ok_cancel(const std::string& text) {
    calls_.push_back({Kind::ok_cancel, text, Icon::question});
    return next_answer(text);
}

std::optional<std::filesystem::path>
ScriptedPrompter::choose_open_file(const std::string& title, const std::string& filter,
                                   const std::filesystem::path&) {
    calls_.push_back({Kind::open_file, title, Icon::question, filter});
    return next_path(title);
}

std::optional<std::filesystem::path>
ScriptedPrompter::choose_save_file(const std::string& title, const std::string& filter,
                                   const std::filesystem::path&) {
    calls_.push_back({Kind::save_file, title, Icon::question, filter});
    return next_path(title);
}

std::optional<std::filesystem::path>
ScriptedPrompter::choose_directory(const std::string& title, const std::filesystem::path&) {
    calls_.push_back({Kind::directory, title, Icon::question});
    return next_path(title);
}

void ScriptedPrompter::show_text_file(const std::filesystem::path& file) {
    calls_.push_back({Kind::text_file, file.string(), Icon::information});
}

void ScriptedPrompter::show_workbook(const std::filesystem::path& file) {
    calls_.push_back({Kind::workbook, file.string(), Icon::information});
}

} // namespace lumacite::app
