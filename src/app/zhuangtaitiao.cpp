#include "app/zhuangtaitiao.h"

#include "messages.h"
#include "text/text.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>

#include <climits>

namespace lumacite::app {
namespace {

// The gauge widget counts in int; larger ranges are shown scaled.
constexpr long long gauge_scale_limit = 1'000'000'000;

} // namespace

TForm_zhuangtaitiao::TForm_zhuangtaitiao(QWidget* parent, std::function<std::string()> format_type,
                                         std::map<std::string, JobBody> bodies)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint),
      format_type_(std::move(format_type)), bodies_(std::move(bodies)) {
    setObjectName(QStringLiteral("TForm_zhuangtaitiao"));
    setWindowTitle(QString::fromUtf8(msg::job_dialog_caption));
    setFixedSize(611, 71);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(24, 10, 570, 18);

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->hide();

    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setGeometry(24, 38, 561, 13);
    Gauge1->setTextVisible(true);
    Gauge1->setFormat(QStringLiteral("%p%"));

    Button1 = new QPushButton(this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->hide();
    connect(Button1, &QPushButton::clicked, this, &TForm_zhuangtaitiao::Button1Click);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TForm_zhuangtaitiao::Timer1Timer);
    Timer1->start();

    since_paint_.start();
    paint_gauge();
}

void TForm_zhuangtaitiao::set_kind(const std::string& kind) {
    Label2->setText(QString::fromStdString(kind));
}

std::string TForm_zhuangtaitiao::kind() const {
    return Label2->text().toStdString();
}

void TForm_zhuangtaitiao::Timer1Timer() {
    // The timer serves once: the job starts on its first tick only.
    Timer1->stop();
    Timer1->setInterval(0);
    if (kind() == msg::job_caller_driven) {
        return;
    }
    Button1->click();
    finish();
}

void TForm_zhuangtaitiao::finish() {
    closing_ = true;
    accept();
}

void TForm_zhuangtaitiao::Button1Click() {
    if (!format_type_ || text::trim(format_type_()).empty()) {
        return;
    }
    for (const char* job : {msg::job_word_document, msg::job_cooccurrence, msg::job_extract,
                            msg::job_statistics, msg::network_tab}) {
        if (kind() != job) {
            continue;
        }
        if (const auto body = bodies_.find(job); body != bodies_.end() && body->second) {
            body->second(*this);
        }
    }
}

void TForm_zhuangtaitiao::set_title(const std::string& title) {
    Label1->setText(QString::fromStdString(title));
    if (isVisible()) {
        Label1->repaint();
    }
}

void TForm_zhuangtaitiao::set_maximum(long long maximum) {
    maximum_ = maximum < 0 ? 0 : maximum;
    position_ = 0;
    paint_gauge();
}

void TForm_zhuangtaitiao::set_position(long long position) {
    position_ = position < 0 ? 0 : (position > maximum_ ? maximum_ : position);
    if (since_paint_.elapsed() >= repaint_interval_ms || position_ == maximum_) {
        paint_gauge();
    }
}

void TForm_zhuangtaitiao::pump() {
    // Its own clock: a job sets the position right before it pumps, and that repaint
    // must not keep pending window messages waiting.
    if (!since_pump_.isValid() || since_pump_.elapsed() >= repaint_interval_ms) {
        paint_gauge();
        QApplication::processEvents();
        since_pump_.restart();
    }
}

void TForm_zhuangtaitiao::flush() {
    paint_gauge();
}

void TForm_zhuangtaitiao::paint_gauge() {
    long long max = maximum_;
    long long pos = position_;
    if (max > gauge_scale_limit) {
        pos = static_cast<long long>(static_cast<double>(pos) / static_cast<double>(max) *
                                     gauge_scale_limit);
        max = gauge_scale_limit;
    }
    // A range of 0 .. 0 would make the widget a busy indicator: show an empty gauge.
    Gauge1->setRange(0, max > 0 ? static_cast<int>(max) : 1);
    Gauge1->setValue(static_cast<int>(pos));
    if (isVisible()) {
        Gauge1->repaint();
    }
    since_paint_.restart();
}

void TForm_zhuangtaitiao::closeEvent(QCloseEvent* event) {
    // Only the dialog itself ends a job; the user cannot close it.
    if (closing_) {
        event->accept();
    } else {
        event->ignore();
    }
}

void TForm_zhuangtaitiao::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace lumacite::app
