// The program's read-only viewer of text files (reports, value lists): the file's bytes
// are decoded by the input rules (a byte-order mark, else UTF-8, else GB18030).
#pragma once

#include <QPlainTextEdit>
#include <QWidget>

#include <filesystem>

namespace lumacite::app {

class TextViewer : public QWidget {
    Q_OBJECT
public:
    // Reads the file; throws std::runtime_error naming it when it cannot be read.
    explicit TextViewer(const std::filesystem::path& file, QWidget* parent = nullptr);
    QString text() const { return edit_->toPlainText(); }

private:
    QPlainTextEdit* edit_;
};

} // namespace lumacite::app
