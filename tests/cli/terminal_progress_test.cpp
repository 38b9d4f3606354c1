// The command line's progress bar, drawn with a fake clock and terminal width.
#include "cli/terminal_progress.h"
#include "store/catalogue.h"
#include "store/workspace.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <pty.h>
#include <termios.h>

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

// lumacite-cli with standard error on a terminal 60 columns wide (standard output on a
// pipe): the exit code, standard output and what the terminal received.
struct TerminalRun {
    int exit_code = -1;
    std::string out;
    std::string terminal;
};

TerminalRun run_on_terminal(const std::filesystem::path& home, std::vector<std::string> args) {
    int master = -1;
    int slave = -1;
    winsize size{};
    size.ws_col = 60;
    size.ws_row = 24;
    if (::openpty(&master, &slave, nullptr, nullptr, &size) != 0) {
        throw std::runtime_error("openpty failed");
    }
    termios raw{};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw); // line feeds stay line feeds
    ::tcsetattr(slave, TCSANOW, &raw);
    int out_pipe[2];
    if (::pipe(out_pipe) != 0) {
        throw std::runtime_error("pipe failed");
    }
    args.insert(args.begin(), {lumacite::testing::cli_binary().string(), "--home", home.string()});
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, slave, 2);
    posix_spawn_file_actions_addclose(&actions, master);
    posix_spawn_file_actions_addclose(&actions, out_pipe[0]);
    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(slave);
    ::close(out_pipe[1]);
    if (rc != 0) {
        throw std::runtime_error("cannot start lumacite-cli");
    }
    TerminalRun run;
    char buffer[4096];
    for (ssize_t n; (n = ::read(out_pipe[0], buffer, sizeof buffer)) > 0;) {
        run.out.append(buffer, static_cast<std::size_t>(n));
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    // The terminal's input ends (EIO) once the child, its only other holder, is gone.
    for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;) {
        run.terminal.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out_pipe[0]);
    ::close(master);
    return run;
}

TEST(TerminalProgress, CommandsDrawOnATerminalAndEndTheBarBeforeOtherOutput) {
    lumacite::testing::TempDir dir;
    const auto home = dir / "home";
    ASSERT_EQ(lumacite::testing::run_cli_in(home, {"projects"}).exit_code, 0);
    lumacite::store::Catalogue::open(home / "velkor.exs").add_project({"T1", "WOS", ""});
    {
        auto ws = lumacite::store::Workspace::bind(home, "T1");
        for (const char* a : {"1", "2", "3"}) {
            ws.append_value(1, a, "期刊", "A");
        }
        ws.close();
    }
    // The rows go to standard output as ever; the terminal gets the bar, ended by one
    // line feed at 100%.
    TerminalRun r = run_on_terminal(home, {"stats", "T1", "期刊"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, "         1\tA\t         3\t100.0000\t100.0000\n");
    EXPECT_EQ(r.terminal.rfind("\r汇总统计计算...... 期刊 [", 0), 0u) << r.terminal;
    EXPECT_NE(r.terminal.find("] 100% "), std::string::npos) << r.terminal;
    EXPECT_EQ(std::count(r.terminal.begin(), r.terminal.end(), '\n'), 1);
    EXPECT_EQ(r.terminal.back(), '\n');
    EXPECT_EQ(r.terminal.find("未完成"), std::string::npos);

    // A matrix whose bounds leave out every value: the bar stops where it stood, marked,
    // and the refusal follows on a line of its own.
    r = run_on_terminal(home, {"matrix", "T1", "期刊", "--kind", "cooccurrence", "--min", "9"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.out, "");
    const std::string tail =
        "   0% 0/秒 剩余 --:-- 未完成\n频次阈值范围内没有关键字段，矩阵未生成。\n";
    ASSERT_GE(r.terminal.size(), tail.size());
    EXPECT_EQ(r.terminal.substr(r.terminal.size() - tail.size()), tail) << r.terminal;

    // Standard error on a pipe: no bar at all.
    const auto piped = lumacite::testing::run_cli_in(home, {"stats", "T1", "期刊", "--yes"});
    EXPECT_EQ(piped.exit_code, 0);
    EXPECT_EQ(piped.err, "");
}

} // namespace
