#include "app/jiedian.h"

#include "app/dialog_buttons.h"
#include "app/enter_as_tab.h"
#include "app/geshi.h"
#include "messages.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <algorithm>

namespace lumacite::app {

namespace {
QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}
} // namespace

TForm_jiedian::TForm_jiedian(const formats::DefinitionForm& form, Prompter& prompter,
                             Command command, QWidget* parent)
    : QDialog(parent), prompter_(prompter), command_(std::move(command)), opened_(form) {
    setObjectName(QStringLiteral("TForm_jiedian"));
    setWindowTitle(QString::fromStdString(form.caption()));
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    auto* grid = new QGridLayout(this);
    Label1 = new QLabel(qs(msg::keyword_label), this);
    Edit1 = new QLineEdit(QString::fromStdString(form.guanjianzi), this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMinimumWidth(260);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Edit1, 0, 1);
    for (std::size_t i = 0; i < 6; ++i) {
        const char* caption = msg::node_labels[i];
        if (form.subject_heading_labels && i >= 3) {
            caption = msg::subject_heading_node_labels[i - 3];
        }
        Label_jiedian[i] = new QLabel(qs(caption), this);
        Label_jiedian[i]->setObjectName(QStringLiteral("Label_jiedian%1").arg(i + 1));
        Edit_jiedian[i] = new QLineEdit(QString::fromStdString(form.jiedian[i]), this);
        Edit_jiedian[i]->setObjectName(QStringLiteral("Edit_jiedian%1").arg(i + 1));
        grid->addWidget(Label_jiedian[i], static_cast<int>(i) + 1, 0);
        grid->addWidget(Edit_jiedian[i], static_cast<int>(i) + 1, 1);
    }

    GroupBox1 = new QGroupBox(qs(msg::method_group_caption), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* methods = new QVBoxLayout(GroupBox1);
    for (std::size_t i = 0; i < 5; ++i) {
        RadioButton[i] = new QRadioButton(qs(msg::method_captions[i]), GroupBox1);
        RadioButton[i]->setObjectName(QStringLiteral("RadioButton%1").arg(i + 1));
        if (i == 0) {
            auto* first = new QHBoxLayout();
            first->addWidget(RadioButton[0]);
            Edit_fenge = new QLineEdit(QString::fromStdString(form.separator), GroupBox1);
            Edit_fenge->setObjectName(QStringLiteral("Edit_fenge"));
            Edit_fenge->setMaximumWidth(40);
            first->addWidget(Edit_fenge);
            first->addStretch(1);
            methods->addLayout(first);
        } else {
            methods->addWidget(RadioButton[i]);
        }
    }
    grid->addWidget(GroupBox1, 7, 0, 1, 2);

    const DialogButtons buttons = make_dialog_buttons(this);
    Button1 = buttons.ok;
    Button2 = buttons.cancel;
    grid->addLayout(buttons.row, 8, 0, 1, 2);

    // Layout by format type.
    for (std::size_t i = 1; i < 6; ++i) {
        Label_jiedian[i]->setVisible(!form.txt_layout);
        Edit_jiedian[i]->setVisible(!form.txt_layout);
    }
    for (std::size_t i = 1; i < 5; ++i) {
        RadioButton[i]->setVisible(form.txt_layout);
    }
    const int method = form.txt_layout ? std::clamp(form.method, 1, 5) : 1;
    RadioButton[static_cast<std::size_t>(method - 1)]->setChecked(true);
    Edit1->setEnabled(form.name_enabled);

    enter_as_tab({Edit1, Edit_fenge});
    for (auto* e : Edit_jiedian) {
        enter_as_tab({e});
    }
    for (auto* r : RadioButton) {
        enter_as_tab({r});
    }
    connect(Button1, &QPushButton::clicked, this, &TForm_jiedian::Button1Click);
    (form.name_enabled ? Edit1 : Edit_jiedian[0])->setFocus();
}

formats::DefinitionForm TForm_jiedian::form() const {
    formats::DefinitionForm f = opened_;
    f.guanjianzi = Edit1->text().toStdString();
    for (std::size_t i = 0; i < 6; ++i) {
        f.jiedian[i] = Edit_jiedian[i]->text().toStdString();
    }
    for (std::size_t i = 0; i < 5; ++i) {
        if (RadioButton[i]->isChecked()) {
            f.method = static_cast<int>(i) + 1;
        }
    }
    f.separator = Edit_fenge->text().toStdString();
    return f;
}

void TForm_jiedian::Button1Click() {
    const auto outcome = command_(form());
    if (outcome.status == formats::Outcome::Status::refused) {
        show_refusal(prompter_, outcome);
        Edit1->setFocus();
        return;
    }
    accept();
}

} // namespace lumacite::app
