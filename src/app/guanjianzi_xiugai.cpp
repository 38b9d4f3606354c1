#include "app/guanjianzi_xiugai.h"

#include "app/dialog_buttons.h"
#include "app/enter_as_tab.h"
#include "app/up_down.h"
#include "messages.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace lumacite::app {
namespace {

QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QLineEdit* make_field(QWidget* parent, const char* name, int width) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setFixedWidth(width);
    return e;
}

QComboBox* make_choice(QWidget* parent, const char* name, const char* first, const char* second) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->addItem(qs(first));
    c->addItem(qs(second));
    c->setCurrentIndex(0);
    return c;
}

} // namespace

TForm_guanjianzi_xiugai::TForm_guanjianzi_xiugai(const std::string& keyword,
                                                 const values::GridRow& row, Prompter& prompter,
                                                 Command command, QWidget* parent)
    : QDialog(parent), row_(row), prompter_(prompter), command_(std::move(command)) {
    setObjectName(QStringLiteral("TForm_guanjianzi_xiugai"));
    setWindowTitle(qs(msg::value_dialog_caption));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(qs(msg::value_keyword_label) + QString::fromStdString(keyword), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QString::fromStdString(row.zhi), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setTextFormat(Qt::PlainText);
    Label2->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label2->setWordWrap(true); // a long value wraps within the width of the rows below
    layout->addWidget(Label1);
    layout->addWidget(Label2);

    auto radio = [this](const char* name, const char* caption) {
        auto* r = new QRadioButton(qs(caption), this);
        r->setObjectName(QString::fromLatin1(name));
        return r;
    };
    auto add_row = [&](std::initializer_list<QWidget*> widgets) {
        auto* line = new QHBoxLayout();
        for (QWidget* w : widgets) {
            line->addWidget(w);
        }
        line->addStretch(1);
        layout->addLayout(line);
    };
    auto text = [this](const QString& caption) { return new QLabel(caption, this); };

    RadioButton1 = radio("RadioButton1", msg::op_set_value);
    Edit1 = make_field(this, "Edit1", 360);
    Edit1->setText(QString::fromStdString(row.zhi));
    CheckBox1 = new QCheckBox(qs(msg::op_set_batch), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    add_row({RadioButton1, Edit1, CheckBox1});

    RadioButton3 = radio("RadioButton3", msg::op_replace_1);
    Edit2 = make_field(this, "Edit2", 120);
    Edit3 = make_field(this, "Edit3", 120);
    add_row(
        {RadioButton3, Edit2, text(qs(msg::op_replace_2)), Edit3, text(qs(msg::op_batch_tail))});

    RadioButton4 = radio("RadioButton4", msg::op_case_1);
    ComboBox1 = make_choice(this, "ComboBox1", msg::op_case_upper, msg::op_case_lower);
    add_row({RadioButton4, ComboBox1, text(qs(msg::op_batch_tail))});

    RadioButton5 = radio("RadioButton5", msg::op_strip_1);
    ComboBox2 = make_choice(this, "ComboBox2", msg::op_strip_letters, msg::op_strip_digits);
    add_row({RadioButton5, ComboBox2, text(qs(msg::op_batch_tail))});

    RadioButton6 = radio("RadioButton6", msg::op_keep_1);
    Edit4 = make_field(this, "Edit4", 40);
    Edit5 = make_field(this, "Edit5", 40);
    for (QLineEdit* e : {Edit4, Edit5}) {
        make_digits_field(e, 3);
        e->setText(QStringLiteral("0"));
    }
    add_row({RadioButton6, Edit4, text(qs(msg::op_keep_2)), Edit5,
             text(qs(msg::op_keep_3) + qs(msg::op_batch_tail))});

    RadioButton2 = radio("RadioButton2", msg::op_cut_1);
    Edit6 = make_field(this, "Edit6", 28);
    Edit7 = make_field(this, "Edit7", 28);
    add_row({RadioButton2, Edit6, text(qs(msg::op_cut_2)), Edit7,
             text(qs(msg::op_cut_3) + qs(msg::op_batch_tail))});

    Label_note = new QLabel(qs(msg::value_dialog_note), this);
    Label_note->setObjectName(QStringLiteral("Label_note"));
    {
        QPalette p = Label_note->palette();
        p.setColor(QPalette::WindowText, Qt::red);
        Label_note->setPalette(p);
    }
    layout->addSpacing(6);
    layout->addWidget(Label_note);

    const DialogButtons buttons = make_dialog_buttons(this);
    Button1 = buttons.ok;
    Button2 = buttons.cancel;
    // Cancelling never leaves a field, so it never meets the field's check.
    Button2->setFocusPolicy(Qt::NoFocus);
    layout->addLayout(buttons.row);

    RadioButton1->setChecked(true);
    for (QWidget* w : std::initializer_list<QWidget*>{Edit1, Edit2, Edit3, ComboBox1, ComboBox2,
                                                      Edit4, Edit5, Edit6, Edit7}) {
        w->installEventFilter(this);
    }
    // Enter moves on from field to field and never confirms the change.
    enter_as_tab({Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7});
    connect(Button1, &QPushButton::clicked, this, &TForm_guanjianzi_xiugai::Button1Click);
    Edit1->setFocus();
    setFixedSize(sizeHint());
}

values::Operation TForm_guanjianzi_xiugai::operation() const {
    auto text = [](const QLineEdit* e) { return e->text().toStdString(); };
    if (RadioButton2->isChecked()) {
        return values::CutBetween{text(Edit6), text(Edit7)};
    }
    if (RadioButton3->isChecked()) {
        return values::Replace{text(Edit2), text(Edit3)};
    }
    if (RadioButton4->isChecked()) {
        return values::ChangeCase{ComboBox1->currentIndex() == 0};
    }
    if (RadioButton5->isChecked()) {
        return values::Strip{ComboBox2->currentIndex() == 0};
    }
    if (RadioButton6->isChecked()) {
        return values::KeepRange{text(Edit4), text(Edit5)};
    }
    return values::SetValue{row_.wenzhangha, row_.zhi, text(Edit1), CheckBox1->isChecked()};
}

void TForm_guanjianzi_xiugai::Button1Click() {
    const values::Check check = command_(operation());
    switch (check.status) {
    case values::Check::Status::refused:
        prompter_.refuse(check.message);
        return;
    case values::Check::Status::idle:
        return;
    case values::Check::Status::ready:
        accept();
        return;
    }
}

bool TForm_guanjianzi_xiugai::refuse_quote(QLineEdit* field) {
    if (!field->text().contains(QLatin1Char('\''))) {
        return false;
    }
    prompter_.refuse(msg::value_has_quote);
    field->setFocus();
    return true;
}

bool TForm_guanjianzi_xiugai::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        // Entering a field of operations 2 to 6 chooses that operation.
        if (watched == Edit2 || watched == Edit3) {
            RadioButton3->setChecked(true);
        } else if (watched == ComboBox1) {
            RadioButton4->setChecked(true);
        } else if (watched == ComboBox2) {
            RadioButton5->setChecked(true);
        } else if (watched == Edit4 || watched == Edit5) {
            RadioButton6->setChecked(true);
        } else if (watched == Edit6 || watched == Edit7) {
            RadioButton2->setChecked(true);
        }
    } else if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Switching to another window or a pop-up (the message itself) is not leaving.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == Edit1 || watched == Edit7) {
                refuse_quote(Edit1);
            } else if (watched == Edit3) {
                if (!refuse_quote(Edit1)) {
                    refuse_quote(Edit3);
                }
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace lumacite::app
