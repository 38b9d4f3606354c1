// The Prompter of the running program: modal Qt message boxes with the caption "注意",
// Qt file dialogs, the program's text viewer and the desktop's workbook application.
#pragma once

#include "app/prompter.h"

#include <QPointer>
#include <QWidget>

namespace lumacite::app {

class QtPrompter final : public Prompter {
public:
    // Dialogs are centred on `parent` (may be null, and may be set later).
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void set_parent(QWidget* parent) { parent_ = parent; }

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
    QPointer<QWidget> parent_;
};

} // namespace lumacite::app
