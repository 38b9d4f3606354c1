// TForm_jiedian, the keyword dialog: keyword name, node texts 1 to 6, value method and
// separator of one keyword definition, opened from formats::open_add or open_modify.
// Layout by format type: "<txt>" shows node 1 and all five methods, any other type six
// nodes and method 1. Enter in a field or method button moves on as Tab does. OK hands
// the contents to the opener's command; a refusal keeps the dialog open with its input.
#pragma once

#include "app/prompter.h"
#include "formats/formats.h"

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <array>
#include <functional>

namespace lumacite::app {

class TForm_jiedian : public QDialog {
    Q_OBJECT
public:
    // Runs the command for the contents; a done outcome closes the dialog.
    using Command = std::function<formats::Outcome(const formats::DefinitionForm& form)>;

    TForm_jiedian(const formats::DefinitionForm& form, Prompter& prompter, Command command,
                  QWidget* parent = nullptr);

    // The dialog's contents as they stand (hidden node fields keep what they were given).
    formats::DefinitionForm form() const;

    QLabel* Label1;                           // "关键字："
    QLineEdit* Edit1;                         // keyword name
    std::array<QLabel*, 6> Label_jiedian;     // "节点1：".. ("Label_jiedian1".."6")
    std::array<QLineEdit*, 6> Edit_jiedian;   // node texts ("Edit_jiedian1".."6")
    QGroupBox* GroupBox1;                     // " 取值方法描述 "
    std::array<QRadioButton*, 5> RadioButton; // methods 1..5 ("RadioButton1".."5")
    QLineEdit* Edit_fenge;                    // separator beside method 1
    QPushButton* Button1;                     // "确定"
    QPushButton* Button2;                     // "取消"

public slots:
    void Button1Click();

private:
    Prompter& prompter_;
    Command command_;
    formats::DefinitionForm opened_;
};

} // namespace lumacite::app
