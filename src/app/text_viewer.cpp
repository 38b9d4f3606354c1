#include "app/text_viewer.h"

#include "messages.h"
#include "text/text.h"

#include <QFontDatabase>
#include <QVBoxLayout>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace lumacite::app {

TextViewer::TextViewer(const std::filesystem::path& file, QWidget* parent)
    : QWidget(parent, Qt::Window), edit_(new QPlainTextEdit(this)) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw std::runtime_error(std::string(msg::viewer_cannot_read) + file.string());
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    setObjectName(QStringLiteral("TextViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromStdString(file.filename().string()));
    edit_->setObjectName(QStringLiteral("TextViewerText"));
    edit_->setReadOnly(true);
    edit_->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The program writes its text files in GB18030. Guessing instead would misread short
    // Chinese lines whose GB18030 bytes happen to be valid UTF-8 ("小" is D0 A1, "С").
    const bool marked = text::detect_encoding(bytes) != text::Encoding::utf8 &&
                        text::detect_encoding(bytes) != text::Encoding::gb18030;
    edit_->setPlainText(
        QString::fromStdString(marked ? text::decode_input(bytes) : text::gb18030_to_utf8(bytes)));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit_);
    resize(760, 560);
}

} // namespace lumacite::app
