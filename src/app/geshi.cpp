#include "app/geshi.h"

#include "app/dialog_buttons.h"
#include "app/enter_as_tab.h"
#include "messages.h"

#include <QGridLayout>
#include <QHBoxLayout>

namespace lumacite::app {

namespace {
QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}
} // namespace

void show_refusal(Prompter& prompter, const formats::Outcome& outcome) {
    if (outcome.status != formats::Outcome::Status::refused || outcome.quiet) {
        return;
    }
    prompter.refuse(outcome.message,
                    outcome.icon == formats::Icon::error ? Icon::error : Icon::information);
}

TForm_geshi::TForm_geshi(Mode mode, Prompter& prompter, Command command, QWidget* parent)
    : QDialog(parent), prompter_(prompter), command_(std::move(command)) {
    setObjectName(QStringLiteral("TForm_geshi"));
    setWindowTitle(qs(mode == Mode::add ? msg::format_dialog_add : msg::format_dialog_modify));
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    auto* grid = new QGridLayout(this);
    Label1 = new QLabel(qs(msg::format_name_label), this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Label2 = new QLabel(qs(msg::format_full_name_label), this);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setMinimumWidth(260);
    Label3 = new QLabel(qs(msg::format_type_label), this);
    RadioButton1 = new QRadioButton(qs(formats::type_xml), this);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton2 = new QRadioButton(qs(formats::type_txt), this);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton1->setChecked(true);
    // Enter never presses a button by itself: it moves on like Tab.
    const DialogButtons buttons = make_dialog_buttons(this);
    Button1 = buttons.ok;
    Button2 = buttons.cancel;

    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(Label3, 2, 0);
    auto* types = new QHBoxLayout();
    types->addWidget(RadioButton1);
    types->addWidget(RadioButton2);
    types->addStretch(1);
    grid->addLayout(types, 2, 1);
    grid->addLayout(buttons.row, 3, 0, 1, 2);

    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, RadioButton1);
    setTabOrder(RadioButton1, RadioButton2);
    setTabOrder(RadioButton2, Button1);
    setTabOrder(Button1, Button2);
    enter_as_tab({Edit1, Edit2, RadioButton1, RadioButton2});
    connect(Button1, &QPushButton::clicked, this, &TForm_geshi::Button1Click);
    Edit1->setFocus();
}

void TForm_geshi::set_input(const store::FormatKey& key) {
    Edit1->setText(QString::fromStdString(key.geshi));
    Edit2->setText(QString::fromStdString(key.geshi_quancheng));
    if (key.leixing == formats::type_xml) {
        RadioButton1->setChecked(true);
    } else if (key.leixing == formats::type_txt) {
        RadioButton2->setChecked(true);
    }
}

store::FormatKey TForm_geshi::input() const {
    return {Edit1->text().toStdString(), Edit2->text().toStdString(),
            (RadioButton2->isChecked() ? RadioButton2 : RadioButton1)->text().toStdString()};
}

void TForm_geshi::Button1Click() {
    const auto outcome = command_(input());
    if (outcome.status == formats::Outcome::Status::refused) {
        show_refusal(prompter_, outcome);
        Edit1->setFocus();
        return;
    }
    accept();
}

} // namespace lumacite::app
