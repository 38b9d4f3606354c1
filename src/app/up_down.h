// UpDown: the small spin control beside a number field. Its arrows step the number in
// the buddy field by 1 within a range; the field itself may hold any typed number.
#pragma once

#include <QLineEdit>
#include <QToolButton>
#include <QWidget>

namespace lumacite::app {

class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(QLineEdit* buddy, int minimum, int maximum, QWidget* parent = nullptr);
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    QLineEdit* buddy() const { return buddy_; }

public slots:
    void step_up() { step(1); }
    void step_down() { step(-1); }

private:
    void step(int delta);
    QLineEdit* buddy_;
    int minimum_;
    int maximum_;
};

// Makes a field accept only the digits 0-9 (backspace and Enter keep working), at most
// max_length of them.
void make_digits_field(QLineEdit* field, int max_length);

} // namespace lumacite::app
