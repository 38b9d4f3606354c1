// The command line's progress bar, drawn with a fake clock and terminal width.
#include "cli/terminal_progress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

using lumacite::cli::display_width;
using lumacite::cli::TerminalProgress;

namespace {

struct FakeTerminal {
    std::ostringstream screen;
    double now = 0;
    TerminalProgress bar(int width) {
        return TerminalProgress(&screen, width, [this] { return now; });
    }
    long redraws() const {
        const std::string s = screen.str();
        return std::count(s.begin(), s.end(), '\r');
    }
};

TEST(TerminalProgress, LineShowsTitleBarPercentRateAndTimeLeft) {
    FakeTerminal t;
    auto bar = t.bar(60);
    bar.set_title("汇总统计计算...... 作者");
    bar.set_maximum(200);
    t.now = 2;
    bar.set_position(50);
    EXPECT_EQ(bar.line(t.now), "汇总统计计算...... 作者 [###.........]  25% 25/秒 剩余 0:06");
    EXPECT_EQ(display_width(bar.line(t.now)), 59);

    // Large rates in thousands; no rate yet: no time left.
    bar.set_maximum(1000000);
    EXPECT_EQ(bar.line(t.now), "汇总统计计算...... 作者 [............]   0% 0/秒 剩余 --:--");
    t.now = 12;
    bar.set_position(125000);
    // The longer figures leave the title less room: cut before "者", a blank pads the line.
    EXPECT_EQ(bar.line(t.now), "汇总统计计算...... 作 [#.........]  12% 12.5k/秒 剩余 1:10 ");
    // A position past the maximum shows a full bar and the maximum's rate, never more.
    bar.set_position(1500000);
    EXPECT_EQ(bar.line(t.now), "汇总统计计算...... 作 [##########] 100% 100.0k/秒 剩余 0:00");
}

TEST(TerminalProgress, NarrowTerminalCutsTheTitleBetweenCharactersAndPadsWideLines) {
    FakeTerminal t;
    auto bar = t.bar(40);
    bar.set_title("提取关键字段...... 1 / 3");
    bar.set_maximum(10);
    // 39 columns: the bar keeps 10, the title gets the 5 columns left; "关" (2 columns)
    // would not fit, so the title ends before it and a blank pads the line.
    EXPECT_EQ(bar.line(t.now), "提取 [..........]   0% 0/秒 剩余 --:-- ");
    EXPECT_EQ(display_width(bar.line(t.now)), 39);
    // A short line on a wide terminal is padded to wipe a longer earlier one.
    auto wide = t.bar(100);
    wide.set_title("x");
    EXPECT_EQ(display_width(wide.line(t.now)), 99);
    EXPECT_EQ(wide.line(t.now),
              "x [..............................]   0% 0/秒 剩余 --:--" + std::string(44, ' '));
}

TEST(TerminalProgress, RedrawsAtMostTenTimesASecondAndEndsWithALineFeed) {
    FakeTerminal t;
    {
        auto bar = t.bar(51);
        bar.set_title("共现矩阵......");
        bar.set_maximum(1000);
        for (int i = 1; i <= 1000; ++i) {
            t.now = i * 0.001; // one second in all
            bar.set_position(i);
        }
        EXPECT_EQ(t.redraws(), 10); // at 0, 0.1, …, 0.9
        bar.finish();
        const std::string s = t.screen.str();
        ASSERT_FALSE(s.empty());
        EXPECT_EQ(s.back(), '\n');
        EXPECT_NE(s.find("\r共现矩阵...... [##########] 100% 1000/秒 剩余 0:00\n"),
                  std::string::npos);
        EXPECT_EQ(s.find("未完成"), std::string::npos);
        // Finishing twice adds nothing; a later report starts a new bar at once.
        bar.finish();
        EXPECT_EQ(t.screen.str(), s);
        bar.set_maximum(5);
        EXPECT_EQ(t.redraws(), 12);
        bar.finish();
    }
    const std::string s = t.screen.str();
    EXPECT_EQ(std::count(s.begin(), s.end(), '\n'), 2);
}

TEST(TerminalProgress, AFailureLeavesTheBarWhereItStoodMarkedAsStopped) {
    FakeTerminal t;
    {
        auto bar = t.bar(60);
        bar.set_title("提取关键字段......");
        bar.set_maximum(4);
        t.now = 1;
        bar.set_position(1);
        // Left without finish(): an exception passed through the command.
    }
    const std::string s = t.screen.str();
    const std::string last = s.substr(s.rfind('\r') + 1);
    EXPECT_EQ(last, "提取关键字段...... [##.........]  25% 1/秒 剩余 0:03 未完成\n");
    // The same for a run that ends stopped; nothing at all without a terminal.
    TerminalProgress silent(nullptr, 60, [] { return 0.0; });
    silent.set_title("提取关键字段......");
    silent.set_position(1);
    silent.finish(false);
}

} // namespace
