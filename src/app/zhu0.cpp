#include "app/zhu0.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

// Q_INIT_RESOURCE must be used outside any namespace.
static void register_assets() {
    Q_INIT_RESOURCE(assets);
}

namespace lumacite::app {

void init_pictures() {
    static const bool done = (register_assets(), true);
    (void)done;
}

TForm0::TForm0(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    init_pictures();
    setObjectName(QStringLiteral("TForm0"));
    setFixedSize(892, 586);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 892, 586);
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap(QStringLiteral(":/pictures/splash.jpg")));
    // A click on the picture reaches the window.
    Image1->setAttribute(Qt::WA_TransparentForMouseEvents);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(10000);
    connect(Timer1, &QTimer::timeout, this, &QDialog::accept);
    Timer1->start();
}

void TForm0::mousePressEvent(QMouseEvent* event) {
    event->accept();
    accept();
}

} // namespace lumacite::app
