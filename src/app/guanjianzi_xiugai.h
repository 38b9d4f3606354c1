// TForm_guanjianzi_xiugai, the value dialog ("修改关键字段值"): the keyword and the current
// row's value, and six rows each choosing one value operation with its fields. Entering a
// field of operations 2 to 6 selects that operation. "确定" hands the chosen operation to
// the opener's command: a refusal is shown and keeps the dialog open with its input, an
// idle operation keeps it open silently, anything else closes it. A single quote in the
// new value or the replacement is refused when the field is left. Enter in a field moves
// on as Tab does.
#pragma once

#include "app/prompter.h"
#include "values/values.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <functional>
#include <string>

namespace lumacite::app {

class TForm_guanjianzi_xiugai : public QDialog {
    Q_OBJECT
public:
    using Command = std::function<values::Check(const values::Operation& operation)>;

    TForm_guanjianzi_xiugai(const std::string& keyword, const values::GridRow& row,
                            Prompter& prompter, Command command, QWidget* parent = nullptr);

    // The operation of the selected row with the fields as they stand.
    values::Operation operation() const;

    QLabel* Label1;             // "关键字段：" + keyword
    QLabel* Label2;             // the old value
    QRadioButton* RadioButton1; // 1 "同值修改："
    QLineEdit* Edit1;           //   new value
    QCheckBox* CheckBox1;       //   "批量修改"
    QRadioButton* RadioButton3; // 3 replacement
    QLineEdit* Edit2;           //   find
    QLineEdit* Edit3;           //   replacement
    QRadioButton* RadioButton4; // 4 case
    QComboBox* ComboBox1;       //   "大写", "小写"
    QRadioButton* RadioButton5; // 5 letters or digits
    QComboBox* ComboBox2;       //   "字母", "数字"
    QRadioButton* RadioButton6; // 6 keep a range
    QLineEdit* Edit4;           //   start
    QLineEdit* Edit5;           //   end
    QRadioButton* RadioButton2; // 2 removal between two marks
    QLineEdit* Edit6;           //   start mark
    QLineEdit* Edit7;           //   end mark
    QLabel* Label_note;         // the red note
    QPushButton* Button1;       // "确定"
    QPushButton* Button2;       // "取消"

public slots:
    void Button1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Refuses a single quote in `field` and returns the focus to it; true when refused.
    bool refuse_quote(QLineEdit* field);

    values::GridRow row_;
    Prompter& prompter_;
    Command command_;
};

} // namespace lumacite::app
