// TForm_guanjianzi_shanchu, the removal dialog ("删除关键字段值"): the keyword, the current
// row's value and the three scopes of removal. "确定" hands the chosen scope to the
// opener's command and closes the dialog when the command ran (it stays open when the
// command could not start, e.g. while another program writes the project); "取消" closes
// it without change.
#pragma once

#include "values/values.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <functional>
#include <string>

namespace lumacite::app {

class TForm_guanjianzi_shanchu : public QDialog {
    Q_OBJECT
public:
    // True when the removal ran.
    using Command = std::function<bool(values::RemovalScope scope)>;

    TForm_guanjianzi_shanchu(const std::string& keyword, const std::string& value, Command command,
                             QWidget* parent = nullptr);

    values::RemovalScope scope() const;

    QLabel* Label1;             // "关键字段：" + keyword
    QLabel* Label2;             // "关键字段值：" + value
    QLabel* Label3;             // "删除数据范围："
    QRadioButton* RadioButton1; // "仅当前一个值"
    QRadioButton* RadioButton2; // "全部相同的值"
    QRadioButton* RadioButton3; // "当前行以下（包括本行）全部值"
    QPushButton* Button1;       // "确定"
    QPushButton* Button2;       // "取消"

public slots:
    void Button1Click();

private:
    Command command_;
};

} // namespace lumacite::app
