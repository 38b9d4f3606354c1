// TForm0, the splash window: borderless, centred on the screen, one stretched picture of
// the product title. It closes when the picture is clicked or after 10 seconds.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QTimer>

namespace lumacite::app {

// Makes the pictures of the program's resources available (they live in a static
// library, whose resources must be registered by hand). Safe to call more than once.
void init_pictures();

class TForm0 : public QDialog {
    Q_OBJECT
public:
    explicit TForm0(QWidget* parent = nullptr);
    QLabel* Image1;
    QTimer* Timer1;

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace lumacite::app
