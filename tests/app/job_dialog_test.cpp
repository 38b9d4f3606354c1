// The job dialog: its window, the one-shot start of the job after it is shown, the
// dispatch order of the job kinds, the caller-driven mode "不关闭" and its gauge.
#include "app/scripted_prompter.h"
#include "app/zhuangtaitiao.h"
#include "messages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>

#include <gtest/gtest.h>

using namespace lumacite;
using namespace lumacite::app;

namespace {

QString qs(const char* s) {
    return QString::fromUtf8(s);
}

struct Recorder {
    std::vector<std::string> runs;
    bool visible_when_run = true;
    std::map<std::string, JobBody>
    bodies(std::function<void(const std::string&, TForm_zhuangtaitiao&)> extra = {}) {
        std::map<std::string, JobBody> out;
        for (const char* kind : {msg::job_word_document, msg::job_cooccurrence, msg::job_extract,
                                 msg::job_statistics}) {
            out[kind] = [this, kind, extra](TForm_zhuangtaitiao& d) {
                runs.push_back(kind);
                visible_when_run = visible_when_run && d.isVisible();
                if (extra) {
                    extra(kind, d);
                }
            };
        }
        return out;
    }
};

// Runs a modal job with the given kind and returns the runs; fails when the dialog does
// not close by itself within a few seconds.
std::vector<std::string>
run_modal(const std::string& kind, const std::string& format_type, Recorder& rec,
          std::function<void(const std::string&, TForm_zhuangtaitiao&)> extra = {}) {
    TForm_zhuangtaitiao dialog(
        nullptr, [format_type] { return format_type; }, rec.bodies(std::move(extra)));
    dialog.set_kind(kind);
    dialog.set_title("标题");
    QTimer guard;
    guard.setSingleShot(true);
    bool timed_out = false;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        timed_out = true;
        dialog.finish();
    });
    guard.start(5000);
    QElapsedTimer clock;
    clock.start();
    dialog.exec();
    EXPECT_FALSE(timed_out) << "the dialog did not close by itself";
    // The job starts about one second after the dialog is shown, never at once.
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_FALSE(dialog.Timer1->isActive());
    EXPECT_FALSE(dialog.isVisible());
    return rec.runs;
}

using V = std::vector<std::string>;

} // namespace

TEST(JobDialog, WindowIsFixedOnTopAndHasNoCloseButton) {
    TForm_zhuangtaitiao dialog(nullptr, [] { return std::string(); }, {});
    EXPECT_EQ(dialog.windowTitle(), qs("正在进行工作，请等待... ..."));
    EXPECT_EQ(dialog.size(), QSize(611, 71));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_EQ(dialog.Gauge1->size(), QSize(561, 13));
    EXPECT_TRUE(dialog.Label2->isHidden());
    EXPECT_TRUE(dialog.Button1->isHidden());
    EXPECT_TRUE(dialog.Timer1->isActive());
    EXPECT_TRUE(dialog.Timer1->isSingleShot());
    EXPECT_EQ(dialog.Timer1->interval(), 1000);
    // A range of 0 must not turn the gauge into a busy indicator.
    EXPECT_GT(dialog.Gauge1->maximum(), dialog.Gauge1->minimum());
}

TEST(JobDialog, RunsTheBodyOfItsKindOnceAfterShowingAndCloses) {
    Recorder rec;
    EXPECT_EQ(run_modal("统计", "<xml>", rec), V{"统计"});
    EXPECT_TRUE(rec.visible_when_run);
    Recorder rec2;
    EXPECT_EQ(run_modal("提取", "<txt>", rec2), V{"提取"});
}

TEST(JobDialog, NothingRunsWithoutAFormatTypeOrForAnUnknownKind) {
    Recorder rec;
    EXPECT_EQ(run_modal("词篇矩阵", "  ", rec), V{});
    Recorder rec2;
    EXPECT_EQ(run_modal("汇总", "<xml>", rec2), V{});
}

TEST(JobDialog, KindsAreComparedInTheirOrderReadingTheKindAfresh) {
    // A body that changes the kind to a later one in the order lets that one run too;
    // a change to an earlier one does not.
    Recorder rec;
    const auto runs = run_modal("词篇矩阵", "<xml>", rec, [](const std::string& kind, auto& d) {
        if (kind == "词篇矩阵") {
            d.set_kind("提取");
        }
    });
    EXPECT_EQ(runs, (V{"词篇矩阵", "提取"}));
    Recorder rec2;
    const auto runs2 = run_modal("统计", "<xml>", rec2, [](const std::string& kind, auto& d) {
        if (kind == "统计") {
            d.set_kind("共现矩阵");
        }
    });
    EXPECT_EQ(runs2, V{"统计"});
}

TEST(JobDialog, TheUserCannotCloseIt) {
    Recorder rec;
    bool close_refused = false;
    bool escape_ignored = false;
    run_modal("统计", "<xml>", rec, [&](const std::string&, TForm_zhuangtaitiao& d) {
        close_refused = !d.close();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&d, &escape);
        escape_ignored = d.isVisible();
    });
    EXPECT_TRUE(close_refused);
    EXPECT_TRUE(escape_ignored);
}

TEST(JobDialog, CallerDrivenModeStaysOpenAndRunsNothing) {
    Recorder rec;
    auto dialog = std::make_unique<TForm_zhuangtaitiao>(
        nullptr, [] { return std::string("<xml>"); }, rec.bodies());
    dialog->set_maximum(0);
    dialog->set_title("当前关键字“作者”值全部导出至TXT文本文件......");
    dialog->set_kind("不关闭");
    dialog->show();
    EXPECT_FALSE(dialog->isModal());
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 1300) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->Timer1->isActive());
    EXPECT_TRUE(rec.runs.empty());
    EXPECT_EQ(dialog->Label1->text(), qs("当前关键字“作者”值全部导出至TXT文本文件......"));

    // The caller drives the gauge.
    dialog->set_maximum(250);
    for (int i = 1; i <= 250; ++i) {
        dialog->set_position(i);
        dialog->pump();
    }
    EXPECT_EQ(dialog->gauge_maximum(), 250);
    EXPECT_EQ(dialog->gauge_position(), 250);
    EXPECT_EQ(dialog->Gauge1->maximum(), 250);
    EXPECT_EQ(dialog->Gauge1->value(), 250); // the last step is always shown
    dialog.reset();
}

// A job that sets its position and then pumps, step after step, still lets window
// messages through: a timer of the main window keeps firing while the job runs.
TEST(JobDialog, AJobLoopLetsWindowMessagesThrough) {
    TForm_zhuangtaitiao dialog(nullptr, [] { return std::string(); }, {});
    dialog.Timer1->stop();
    dialog.show();
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(10);
    dialog.set_maximum(1'000'000'000);
    QElapsedTimer clock;
    clock.start();
    for (long long i = 1; clock.elapsed() < 600; ++i) {
        dialog.set_position(i);
        dialog.pump();
    }
    EXPECT_GE(ticks, 5);
    EXPECT_EQ(dialog.Gauge1->format(), QStringLiteral("%p%"));
    EXPECT_TRUE(dialog.Gauge1->isTextVisible());
}

TEST(JobDialog, GaugeKeepsExactCountsAndShowsLargeRangesScaled) {
    TForm_zhuangtaitiao dialog(nullptr, [] { return std::string(); }, {});
    dialog.Timer1->stop();
    dialog.set_maximum(5'000'000'000LL);
    EXPECT_EQ(dialog.gauge_position(), 0);
    dialog.set_position(2'500'000'000LL);
    dialog.flush();
    EXPECT_EQ(dialog.gauge_position(), 2'500'000'000LL);
    EXPECT_NEAR(static_cast<double>(dialog.Gauge1->value()) / dialog.Gauge1->maximum(), 0.5, 1e-6);
    dialog.set_position(-3);
    EXPECT_EQ(dialog.gauge_position(), 0);
    dialog.set_position(9'000'000'000LL);
    EXPECT_EQ(dialog.gauge_position(), 5'000'000'000LL);
    // A million steps: the exact count is kept whatever the repaint throttle shows.
    dialog.set_maximum(1'000'000);
    for (long long i = 1; i <= 1'000'000; ++i) {
        dialog.set_position(i);
        dialog.pump();
    }
    EXPECT_EQ(dialog.gauge_position(), 1'000'000);
    EXPECT_EQ(dialog.Gauge1->value(), 1'000'000);
}
