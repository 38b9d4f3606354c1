// TForm_zhuangtaitiao, the job dialog: a small always-on-top window with a title and a
// gauge. Modal use: the command sets Label1 (title) and Label2 (job kind) and calls
// exec(); about one second after it is shown the one-shot Timer1 runs the job body of
// the kind and the dialog closes itself. Caller-driven use (Label2 "不关闭"): the command
// shows it without exec() and drives the gauge itself; the timer then does nothing.
// The user cannot close it. It is the Progress of the job: repaints are throttled.
#pragma once

#include "progress.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <map>
#include <string>

namespace lumacite::app {

class TForm_zhuangtaitiao;

// A job body: runs the job, reporting through the dialog.
using JobBody = std::function<void(TForm_zhuangtaitiao&)>;

class TForm_zhuangtaitiao : public QDialog, public Progress {
    Q_OBJECT
public:
    // `format_type` gives the selected project's format type (empty: no job runs);
    // `bodies` maps job kinds ("词篇矩阵", "共现矩阵", "提取", "统计", "网络图") to their bodies.
    TForm_zhuangtaitiao(QWidget* parent, std::function<std::string()> format_type,
                        std::map<std::string, JobBody> bodies);

    QLabel* Label1;       // job title
    QLabel* Label2;       // hidden job kind
    QProgressBar* Gauge1; // percentage gauge
    QPushButton* Button1; // hidden; its click runs the job body
    QTimer* Timer1;       // one-shot start of the job

    void set_kind(const std::string& kind);
    std::string kind() const;

    // The gauge as the job sees it (exact, also beyond the int range).
    long long gauge_minimum() const { return 0; }
    long long gauge_maximum() const { return maximum_; }
    long long gauge_position() const { return position_; }
    // Closes the dialog (ends a modal showing); the caller-driven mode ends with it.
    void finish();
    // Shows the gauge's current state now, whatever the throttle says.
    void flush();

    // Progress
    void set_title(const std::string& title) override;
    void set_maximum(long long maximum) override;
    void set_position(long long position) override;
    void pump() override;

    // The least time between two repaints or message passes, in milliseconds.
    static constexpr int repaint_interval_ms = 50;

public slots:
    // The job body dispatch (the click of Button1).
    void Button1Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void Timer1Timer();

private:
    void paint_gauge();

    std::function<std::string()> format_type_;
    std::map<std::string, JobBody> bodies_;
    long long maximum_ = 0;
    long long position_ = 0;
    QElapsedTimer since_paint_;
    QElapsedTimer since_pump_;
    bool closing_ = false;
};

} // namespace lumacite::app
