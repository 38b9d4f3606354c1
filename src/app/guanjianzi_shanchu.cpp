#include "app/guanjianzi_shanchu.h"

#include "app/dialog_buttons.h"
#include "messages.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace lumacite::app {
namespace {

QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

TForm_guanjianzi_shanchu::TForm_guanjianzi_shanchu(const std::string& keyword,
                                                   const std::string& value, Command command,
                                                   QWidget* parent)
    : QDialog(parent), command_(std::move(command)) {
    setObjectName(QStringLiteral("TForm_guanjianzi_shanchu"));
    setWindowTitle(qs(msg::removal_dialog_caption));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto label = [this, layout](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setTextFormat(Qt::PlainText);
        layout->addWidget(l);
        return l;
    };
    Label1 = label("Label1", qs(msg::value_keyword_label) + QString::fromStdString(keyword));
    Label2 = label("Label2", qs(msg::removal_value) + QString::fromStdString(value));
    // A long value wraps instead of widening the dialog beyond the main window.
    Label2->setMinimumWidth(420);
    Label2->setMaximumWidth(560);
    Label2->setWordWrap(true);
    layout->addSpacing(6);
    Label3 = label("Label3", qs(msg::removal_scope_label));
    auto radio = [this, layout](const char* name, const char* caption) {
        auto* r = new QRadioButton(qs(caption), this);
        r->setObjectName(QString::fromLatin1(name));
        layout->addWidget(r);
        return r;
    };
    RadioButton1 = radio("RadioButton1", msg::removal_scope_one);
    RadioButton2 = radio("RadioButton2", msg::removal_scope_same);
    RadioButton3 = radio("RadioButton3", msg::removal_scope_below);
    RadioButton1->setChecked(true);

    const DialogButtons buttons = make_dialog_buttons(this);
    Button1 = buttons.ok;
    Button2 = buttons.cancel;
    layout->addSpacing(6);
    layout->addLayout(buttons.row);
    connect(Button1, &QPushButton::clicked, this, &TForm_guanjianzi_shanchu::Button1Click);
    setFixedSize(sizeHint());
}

values::RemovalScope TForm_guanjianzi_shanchu::scope() const {
    if (RadioButton2->isChecked()) {
        return values::RemovalScope::same;
    }
    return RadioButton3->isChecked() ? values::RemovalScope::below : values::RemovalScope::one;
}

void TForm_guanjianzi_shanchu::Button1Click() {
    if (command_(scope())) {
        accept();
    }
}

} // namespace lumacite::app
