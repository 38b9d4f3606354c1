// The program's read-only viewer of text files (reports, value lists): the file's bytes
// are read as GB18030, the encoding the program writes, unless a byte-order mark names
// UTF-8 or UTF-16.
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
