// A Prompter for tests: records every call with its text and icon, and answers
// questions and choosers from queues filled beforehand. A question or chooser with no
// queued answer is reported through the failure handler (tests install one that fails
// the running test) and answered negatively.
#pragma once

#include "app/prompter.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace lumacite::app {

class ScriptedPrompter final : public Prompter {
public:
    enum class Kind {
        inform,
        refuse,
        yes_no,
        ok_cancel,
        open_file,
        save_file,
        directory,
        text_file,
        workbook
    };
    struct Call {
        Kind kind;
        std::string text; // message, chooser title or shown file
        Icon icon;
        std::string filter = {}; // file chooser filter
    };

    // Handler for unexpected questions, shared by every instance. The default throws
    // std::logic_error with the text.
    static void set_failure_handler(std::function<void(const std::string&)> handler);

    // Queued answers, taken in order by the questions and choosers.
    void answer(bool yes) { answers_.push_back(yes); }
    void choose(std::optional<std::filesystem::path> path) { paths_.push_back(std::move(path)); }

    const std::vector<Call>& calls() const { return calls_; }
    // The texts of all calls, in order.
    std::vector<std::string> texts() const;
    void clear() { calls_.clear(); }
    // Answers queued but not used.
    std::size_t unused_answers() const { return answers_.size() + paths_.size(); }

    void inform(const std::string& text) override;
    void refuse(const std::string& text, Icon icon = Icon::error) override;
    bool ask_yes_no(const std::string& text) override;
    bool ask_ok_cancel(const std::string& text) override;
    std::optional<std::filesystem::path>
    choose_open_file(const std::string& title, const std::string& filter,
                     const std::filesystem::path& folder = {}) override;
    std::optional<std::filesystem::path>
    choose_save_file(const std::string& title, const std::string& filter,
                     const std::filesystem::path& folder = {}) override;
    std::optional<std::filesystem::path>
    choose_directory(const std::string& title, const std::filesystem::path& folder = {}) override;
    void show_text_file(const std::filesystem::path& file) override;
    void show_workbook(const std::filesystem::path& file) override;

private:
    bool next_answer(const std::string& text);
    std::optional<std::filesystem::path> next_path(const std::string& title);

    std::vector<Call> calls_;
    std::deque<bool> answers_;
    std::deque<std::optional<std::filesystem::path>> paths_;
};

} // namespace lumacite::app
