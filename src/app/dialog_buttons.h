// The "确定" and "取消" buttons at the foot of a dialog.
#pragma once

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

namespace lumacite::app {

struct DialogButtons {
    QPushButton* ok;     // "确定", object name "Button1"
    QPushButton* cancel; // "取消", object name "Button2"; rejects the dialog
    QHBoxLayout* row;    // both, right-aligned
};

// Makes the two buttons of `dialog`. Enter presses neither: it never confirms by itself.
DialogButtons make_dialog_buttons(QDialog* dialog);

} // namespace lumacite::app
