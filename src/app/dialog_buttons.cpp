#include "app/dialog_buttons.h"

#include "messages.h"

namespace lumacite::app {

DialogButtons make_dialog_buttons(QDialog* dialog) {
    DialogButtons b{};
    b.ok = new QPushButton(QString::fromUtf8(msg::dialog_ok), dialog);
    b.ok->setObjectName(QStringLiteral("Button1"));
    b.cancel = new QPushButton(QString::fromUtf8(msg::dialog_cancel), dialog);
    b.cancel->setObjectName(QStringLiteral("Button2"));
    b.ok->setAutoDefault(false);
    b.cancel->setAutoDefault(false);
    b.row = new QHBoxLayout();
    b.row->addStretch(1);
    b.row->addWidget(b.ok);
    b.row->addWidget(b.cancel);
    QObject::connect(b.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return b;
}

} // namespace lumacite::app
