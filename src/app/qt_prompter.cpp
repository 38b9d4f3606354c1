#include "app/qt_prompter.h"

#include "app/text_viewer.h"
#include "messages.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

#include <stdexcept>

namespace lumacite::app {
namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// The texts keep their trailing carriage return; a message box shows it as a line end.
QString message_text(const std::string& text) {
    QString t = qs(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

QMessageBox::Icon qt_icon(Icon icon) {
    switch (icon) {
    case Icon::information:
        return QMessageBox::Information;
    case Icon::error:
        return QMessageBox::Critical;
    case Icon::question:
        return QMessageBox::Question;
    case Icon::warning:
        return QMessageBox::Warning;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton run_box(QWidget* parent, Icon icon, const std::string& text,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton default_button) {
    QMessageBox box(qt_icon(icon), QString::fromUtf8(msg::caption), message_text(text), buttons,
                    parent);
    box.setDefaultButton(default_button);
    box.setEscapeButton(default_button == QMessageBox::Ok ? QMessageBox::Ok : default_button);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

std::optional<std::filesystem::path> to_path(const QString& chosen) {
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(chosen.toStdString());
}

} // namespace

void QtPrompter::inform(const std::string& text) {
    run_box(parent_, Icon::information, text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtPrompter::refuse(const std::string& text, Icon icon) {
    run_box(parent_, icon, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtPrompter::ask_yes_no(const std::string& text) {
    return run_box(parent_, Icon::question, text, QMessageBox::Yes | QMessageBox::No,
                   QMessageBox::No) == QMessageBox::Yes;
}

bool QtPrompter::ask_ok_cancel(const std::string& text) {
    return run_box(parent_, Icon::question, text, QMessageBox::Ok | QMessageBox::Cancel,
                   QMessageBox::Cancel) == QMessageBox::Ok;
}

std::optional<std::filesystem::path>
QtPrompter::choose_open_file(const std::string& title, const std::string& filter,
                             const std::filesystem::path& folder) {
    return to_path(
        QFileDialog::getOpenFileName(parent_, qs(title), qs(folder.string()), qs(filter)));
}

std::optional<std::filesystem::path>
QtPrompter::choose_save_file(const std::string& title, const std::string& filter,
                             const std::filesystem::path& folder) {
    // No overwrite question here: callers may add an extension to the chosen name, so the
    // file asked about need not be the file written; an export replaces its file.
    return to_path(QFileDialog::getSaveFileName(parent_, qs(title), qs(folder.string()), qs(filter),
                                                nullptr, QFileDialog::DontConfirmOverwrite));
}

std::optional<std::filesystem::path>
QtPrompter::choose_directory(const std::string& title, const std::filesystem::path& folder) {
    return to_path(QFileDialog::getExistingDirectory(parent_, qs(title), qs(folder.string())));
}

void QtPrompter::show_text_file(const std::filesystem::path& file) {
    try {
        auto* viewer = new TextViewer(file, parent_);
        viewer->show();
        viewer->raise();
    } catch (const std::exception& e) {
        refuse(e.what());
    }
}

void QtPrompter::show_workbook(const std::filesystem::path& file) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(qs(file.string())))) {
        refuse(std::string(msg::workbook_cannot_open) + file.string());
    }
}

} // namespace lumacite::app
