// Kills at random moments: a child lumacite-cli extracts, counts, removes and registers
// documents, removes values, and is ended with SIGKILL part-way (a fixed seed picks the moments,
// within the time each step took uninterrupted). After every kill the next program must find every
// table whole, no record torn, the document list and the value table in agreement, each keyword's
// statistics complete; running the killed step again (when it had not happened) must give the
// uninterrupted result.
#include "projects/projects.h"
#include "store/catalogue.h"
#include "store/workspace.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "wos_records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <iostream>
#include <map>
#include <random>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

using lumacite::testing::TempDir;
using lumacite::testing::write_file;
namespace fs = std::filesystem;
namespace store = lumacite::store;

namespace {

using Clock = std::chrono::steady_clock;
using Rows = std::vector<std::string>;

const std::string project = "C1";
const std::vector<std::string> files{"a.txt", "b.txt", "c.txt"};

// What a program finds in the program folder, in order.
struct State {
    std::vector<std::string> documents;     // file names in xuhao order
    std::map<long long, Rows> values;       // xuhao -> rows in table order
    Rows all_values;                        // "xuhao|article|keyword|value" in table order
    Rows statistics;                        // every tongji row in table order
    std::map<std::string, Rows> by_keyword; // keyword -> "rank|value|count|cumulative"
    bool operator==(const State&) const = default;
};

State read_state(const fs::path& home) {
    State s;
    auto cat = store::Catalogue::open(home / store::catalogue_file_name);
    for (const auto& d : cat.documents(project)) {
        s.documents.push_back(d.wenjianming);
    }
    // Opened as the next writing program would: an interrupted rewrite is settled first.
    auto ws = lumacite::projects::open_for_writing(cat, home, project);
    ws.for_each_value({}, [&](const store::ValueRow& r) {
        const std::string row = r.wenzhangha + "|" + r.guanjianzi + "|" + r.zhi;
        s.values[r.xuhao].push_back(row);
        s.all_values.push_back(std::to_string(r.xuhao) + "|" + row);
    });
    for (const auto& r : ws.all_statistics()) {
        s.statistics.push_back(r.guanjianzi + "|" + r.xuhao + "|" + r.zhi + "|" + r.cishu + "|" +
                               r.baifenbi + "|" + r.leijibi);
        s.by_keyword[r.guanjianzi].push_back(r.xuhao + "|" + r.zhi + "|" + r.cishu + "|" +
                                             r.leijibi);
    }
    return s;
}

// Every record of both tables whole: a deletion flag, the project number, a document
// number, nothing else in its place (read as a reader would, before anything is repaired).
void expect_no_torn_record(const fs::path& home) {
    for (const std::string& table :
         {store::zidian_file_name(project), store::tongji_file_name(project)}) {
        auto t =
            store::DbaseTable::open(home / project / table, store::DbaseTable::Access::read_only);
        const bool zidian = table.starts_with("zidian");
        std::uint32_t seen = 0;
        t.find_first([&](const store::DbaseRecordView& r) {
            ++seen;
            const char flag = r.bytes()[0];
            EXPECT_TRUE(flag == ' ' || flag == '*') << table << " record " << r.number();
            EXPECT_EQ(r.text(0), project) << table << " record " << r.number();
            if (zidian) {
                EXPECT_TRUE(r.integer(1).has_value()) << "record " << r.number();
            }
            return ::testing::Test::HasFailure();
        });
    }
}

pid_t spawn_cli(const fs::path& home, std::vector<std::string> args) {
    args.insert(args.begin(), {lumacite::testing::cli_binary().string(), "--home", home.string()});
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

// One step of the script, as the command line runs it.
struct Step {
    std::vector<std::string> args;
    enum class Kind { extract, stats, remove, add, values } kind;
    long long xuhao = 0; // the entry an extract reads
};

int run(const fs::path& home, const std::vector<std::string>& args) {
    return lumacite::testing::run_cli_in(home, args).exit_code;
}

TEST(CrashTest, EveryKillLeavesTheOldStateOrTheNewAndARunAgainGivesTheUninterruptedResult) {
    TempDir dir;
    const fs::path sources = dir / "sources";
    fs::create_directories(sources);
    for (std::size_t i = 0; i < files.size(); ++i) {
        write_file(sources / files[i],
                   lumacite::testing::wos_records(400 + 100 * static_cast<int>(i), files[i]));
    }
    const auto prepare = [&](const fs::path& home) {
        ASSERT_EQ(run(home, {"project", "add", project, "--format", "WOS"}), 0);
        for (const auto& f : files) {
            ASSERT_EQ(run(home, {"doc", "add", project, (sources / f).string()}), 0);
        }
    };

    // The rows each file gives, in order: what any document of that file must hold.
    std::map<std::string, Rows> rows_of_file;
    {
        const fs::path home = dir / "files";
        prepare(home);
        for (long long x = 1; x <= 3; ++x) {
            ASSERT_EQ(run(home, {"extract", project, std::to_string(x)}), 0);
        }
        const State s = read_state(home);
        for (long long x = 1; x <= 3; ++x) {
            rows_of_file[files[static_cast<std::size_t>(x - 1)]] = s.values.at(x);
            ASSERT_FALSE(s.values.at(x).empty());
        }
    }

    // The script, run once without kills: the state after each step and its duration.
    std::vector<Step> script{
        {{"extract", project, "1"}, Step::Kind::extract, 1},
        {{"extract", project, "2"}, Step::Kind::extract, 2},
        {{"extract", project, "3"}, Step::Kind::extract, 3},
        {{"stats", project, "作者", "--yes"}, Step::Kind::stats},
        {{"stats", project, "关键词", "--yes"}, Step::Kind::stats},
    };
    const fs::path reference = dir / "reference";
    prepare(reference);
    std::vector<State> expected{read_state(reference)};
    std::vector<Clock::duration> took;
    const auto perform = [&](const Step& step) {
        const auto start = Clock::now();
        ASSERT_EQ(run(reference, step.args), 0) << step.args[0] << " " << step.args[1];
        took.push_back(Clock::now() - start);
        expected.push_back(read_state(reference));
    };
    for (const Step& step : script) {
        perform(step);
    }
    for (int round = 0; round < 6; ++round) {
        // The first entry goes and its file comes back as the last one.
        const std::string removed = expected.back().documents.front();
        for (Step step : std::vector<Step>{
                 {{"doc", "remove", project, "1", "--yes"}, Step::Kind::remove},
                 {{"doc", "add", project, (sources / removed).string()}, Step::Kind::add},
                 {{"extract", project, "3"}, Step::Kind::extract, 3},
                 {{"stats", project, "作者", "--yes"}, Step::Kind::stats},
                 {{"extract", project, "2", "--yes"}, Step::Kind::extract, 2}}) {
            script.push_back(step);
            perform(step);
        }
    }
    // Value removal with its pack: every value of the first author of document 1, then
    // the grid's rows of document 2 from its first author's first row on.
    for (const long long x : {1, 2}) {
        const Rows& rows = expected.back().values.at(x);
        const auto author = std::find_if(rows.begin(), rows.end(), [](const std::string& r) {
            return r.find("|作者|") != std::string::npos;
        });
        ASSERT_NE(author, rows.end());
        const std::string article = author->substr(0, author->find('|'));
        const std::string value = author->substr(author->rfind('|') + 1);
        const Step step{{"remove", project, std::to_string(x), "作者", "--article", article,
                         "--value", value, "--scope", x == 1 ? "same" : "below", "--yes"},
                        Step::Kind::values};
        script.push_back(step);
        perform(step);
        ASSERT_NE(expected.back().values, expected[expected.size() - 2].values);
    }

    // About half of a short command's time is the program starting; kills land from the
    // middle of that to four fifths of the step's uninterrupted time.
    const auto start = Clock::now();
    ASSERT_EQ(run(reference, {"docs", project}), 0);
    const auto starting = (Clock::now() - start) / 2;

    // The same script with a kill in every step.
    const fs::path home = dir / "killed";
    prepare(home);
    std::mt19937 random(20241209);
    int kills = 0;
    int settled_forward = 0;
    for (std::size_t i = 0; i < script.size(); ++i) {
        const Step& step = script[i];
        SCOPED_TRACE("step " + std::to_string(i) + ": " + step.args[0] + " " + step.args[1]);
        const State& before = expected[i];
        const State& after = expected[i + 1];
        const auto us = [](Clock::duration d) {
            return std::chrono::duration_cast<std::chrono::microseconds>(d).count();
        };
        const long long latest = us(took[i]) * 4 / 5;
        std::uniform_int_distribution<long long> moment(std::min<long long>(us(starting), latest),
                                                        latest);

        const pid_t child = spawn_cli(home, step.args);
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        kills += WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL ? 1 : 0;

        // What the next program finds; no rewrite is left beside a table once it opened.
        expect_no_torn_record(home);
        const State found = read_state(home);
        for (const auto& e : fs::directory_iterator(home / project)) {
            EXPECT_NE(e.path().extension(), ".pack") << e.path().filename();
        }
        // The document list and the value table agree: a document's rows are those of
        // its file, all of them (a killed extraction: the rows it had posted).
        ASSERT_TRUE(found.documents == before.documents || found.documents == after.documents);
        for (const auto& [x, rows] : found.values) {
            ASSERT_GE(x, 1);
            ASSERT_LE(x, static_cast<long long>(found.documents.size()));
            const Rows& whole = rows_of_file.at(found.documents[static_cast<std::size_t>(x - 1)]);
            if (step.kind == Step::Kind::extract && x == step.xuhao) {
                ASSERT_LE(rows.size(), whole.size());
                EXPECT_TRUE(std::equal(rows.begin(), rows.end(), whole.begin())) << x;
            } else if (step.kind != Step::Kind::values) {
                EXPECT_EQ(rows, whole) << "document " << x;
            }
        }
        if (step.kind != Step::Kind::extract) {
            EXPECT_TRUE((found.documents == before.documents && found.values == before.values) ||
                        (found.documents == after.documents && found.values == after.values));
        }
        for (const auto& [keyword, rows] : found.by_keyword) {
            // A keyword's statistics are whole: ranks 1..n and a cumulative 100 at the end.
            EXPECT_TRUE(
                rows ==
                    (before.by_keyword.count(keyword) ? before.by_keyword.at(keyword) : Rows{}) ||
                rows == (after.by_keyword.count(keyword) ? after.by_keyword.at(keyword) : Rows{}))
                << keyword << ": " << rows.size() << " rows";
            EXPECT_TRUE(rows.back().ends_with("|100.0000")) << keyword;
        }

        // Done, or done again: the uninterrupted result.
        const bool happened = step.kind == Step::Kind::remove || step.kind == Step::Kind::add
                                  ? found.documents == after.documents
                              : step.kind == Step::Kind::values ? found.values == after.values
                                                                : false;
        settled_forward += happened && step.kind != Step::Kind::values ? 1 : 0;
        if (!happened) {
            std::vector<std::string> again = step.args;
            if (step.kind == Step::Kind::extract && again.back() != "--yes") {
                again.push_back("--yes");
            }
            ASSERT_EQ(run(home, again), 0);
        }
        ASSERT_EQ(read_state(home), after);
    }
    std::cout << "crash test: " << script.size() << " steps, " << kills << " killed part-way, "
              << settled_forward << " removals or registrations had happened when killed\n";
    // Most kills land before the step ends (a few steps may finish first on a busy machine).
    EXPECT_GE(kills, static_cast<int>(script.size()) / 3);
}

} // namespace
