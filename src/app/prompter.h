// Prompter: every message box, question, file chooser and viewer the windows use goes
// through this interface, so that no window depends on real dialogs and tests can answer
// from a script. Texts are UTF-8, exactly as the user sees them (a trailing carriage
// return included where a text has one; the dialogs show it as a line end).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace lumacite::app {

enum class Icon { information, error, question, warning };

class Prompter {
public:
    virtual ~Prompter() = default;

    // A notice: information icon, OK button, caption "注意".
    virtual void inform(const std::string& text) = 0;
    // A refusal or error: the given icon (error by default), OK button, caption "注意".
    virtual void refuse(const std::string& text, Icon icon = Icon::error) = 0;
    // A Yes/No question (question icon, No is the default button). True for Yes.
    virtual bool ask_yes_no(const std::string& text) = 0;
    // An OK/Cancel question (question icon, Cancel is the default button). True for OK.
    virtual bool ask_ok_cancel(const std::string& text) = 0;

    // File choosers; nullopt when the user cancels. `filter` is a Qt name filter such as
    // "TXT (*.txt)"; `folder` the folder the chooser starts in (empty: the current one).
    virtual std::optional<std::filesystem::path>
    choose_open_file(const std::string& title, const std::string& filter,
                     const std::filesystem::path& folder = {}) = 0;
    virtual std::optional<std::filesystem::path>
    choose_save_file(const std::string& title, const std::string& filter,
                     const std::filesystem::path& folder = {}) = 0;
    virtual std::optional<std::filesystem::path>
    choose_directory(const std::string& title, const std::filesystem::path& folder = {}) = 0;

    // Shows a text file (GB18030, or as its byte-order mark says) in the program's
    // read-only viewer window.
    virtual void show_text_file(const std::filesystem::path& file) = 0;
    // Opens a workbook with the desktop's default application.
    virtual void show_workbook(const std::filesystem::path& file) = 0;
};

} // namespace lumacite::app
