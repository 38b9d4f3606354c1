#include "app/up_down.h"

#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

namespace lumacite::app {

UpDown::UpDown(QLineEdit* buddy, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), buddy_(buddy), minimum_(minimum), maximum_(maximum) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* up = new QToolButton(this);
    up->setArrowType(Qt::UpArrow);
    up->setObjectName(QStringLiteral("up"));
    auto* down = new QToolButton(this);
    down->setArrowType(Qt::DownArrow);
    down->setObjectName(QStringLiteral("down"));
    for (auto* b : {up, down}) {
        b->setFixedSize(16, 11);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(b);
    }
    connect(up, &QToolButton::clicked, this, &UpDown::step_up);
    connect(down, &QToolButton::clicked, this, &UpDown::step_down);
    setFixedSize(16, 22);
}

void UpDown::step(int delta) {
    bool ok = false;
    long long value = buddy_->text().trimmed().toLongLong(&ok);
    if (!ok) {
        value = 0;
    }
    value = std::clamp<long long>(value + delta, minimum_, maximum_);
    buddy_->setText(QString::number(value));
}

void make_digits_field(QLineEdit* field, int max_length) {
    field->setMaxLength(max_length);
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
}

} // namespace lumacite::app
