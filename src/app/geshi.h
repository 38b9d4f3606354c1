// TForm_geshi, the format dialog: name, full name and type ("<xml>" or "<txt>") of a
// format, in add mode ("增加·格式类型") or modify mode ("修改·格式类型"). Enter in the
// fields and type buttons moves to the next control as Tab does. OK hands the input to the
// opener's command; a refusal is shown and keeps the dialog open with its input.
#pragma once

#include "app/prompter.h"
#include "formats/formats.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <functional>

namespace lumacite::app {

class TForm_geshi : public QDialog {
    Q_OBJECT
public:
    enum class Mode { add, modify };
    // Runs the command for the input; a done outcome closes the dialog.
    using Command = std::function<formats::Outcome(const store::FormatKey& input)>;

    TForm_geshi(Mode mode, Prompter& prompter, Command command, QWidget* parent = nullptr);

    // Fills the fields; the type button whose caption equals key.leixing is selected
    // (otherwise "<xml>" stays selected).
    void set_input(const store::FormatKey& key);
    store::FormatKey input() const;
    // The name field is disabled for a format whose name cannot change.
    void set_name_enabled(bool enabled) { Edit1->setEnabled(enabled); }

    QLabel* Label1;             // "格式名称："
    QLineEdit* Edit1;           // name
    QLabel* Label2;             // "格式全称："
    QLineEdit* Edit2;           // full name
    QLabel* Label3;             // "格式类型"
    QRadioButton* RadioButton1; // "<xml>"
    QRadioButton* RadioButton2; // "<txt>"
    QPushButton* Button1;       // "确定"
    QPushButton* Button2;       // "取消"

public slots:
    void Button1Click();

private:
    Prompter& prompter_;
    Command command_;
};

// Shows a refusal of a command through the prompter, unless the window never shows it.
void show_refusal(Prompter& prompter, const formats::Outcome& outcome);

} // namespace lumacite::app
