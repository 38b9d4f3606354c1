// Nothing lost, nothing reported wrongly: one writer per project, honest exit codes, long
// numbers, a catalogue that went missing, and a read-only program folder.
#include "store/catalogue.h"
#include "store/workspace.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"
#include "wos_records.h"

#include <gtest/gtest.h>

#include <future>
#include <sys/stat.h>
#include <unistd.h>

using lumacite::testing::CliResult;
using lumacite::testing::run_cli_in;
using lumacite::testing::TempDir;
using lumacite::testing::write_file;
namespace fs = std::filesystem;
namespace store = lumacite::store;

namespace {

class ReliabilityCli : public ::testing::Test {
protected:
    TempDir dir;
    fs::path home = dir / "home";
    CliResult run(std::vector<std::string> args) { return run_cli_in(home, std::move(args)); }
    // Number of value rows of a document entry, read as another program would.
    std::size_t rows_of(const std::string& project, long long xuhao) {
        store::ValueFilter f;
        f.xuhao = xuhao;
        return store::Workspace::open_read_only(home, project).count_values(f);
    }
    void add_project_with_files(const std::string& number, std::vector<std::string> files) {
        ASSERT_EQ(run({"project", "add", number, "--format", "WOS"}).exit_code, 0);
        for (const auto& f : files) {
            ASSERT_EQ(run({"doc", "add", number, f}).exit_code, 0) << f;
        }
    }
};

TEST_F(ReliabilityCli, WhileAProgramWritesAProjectOtherWritersAreRefusedAndReadersRead) {
    write_file(dir / "a.txt", lumacite::testing::wos_records(3, "A"));
    write_file(dir / "b.txt", lumacite::testing::wos_records(2, "B"));
    add_project_with_files("W1", {(dir / "a.txt").string(), (dir / "b.txt").string()});
    ASSERT_EQ(run({"extract", "W1", "1"}).exit_code, 0);
    ASSERT_EQ(run({"stats", "W1", "作者"}).exit_code, 0);
    const std::string values_before = run({"values", "W1", "1", "作者"}).out;
    const std::string stats_before = run({"show-stats", "W1", "作者"}).out;
    const std::string docs_before = run({"docs", "W1"}).out;
    ASSERT_FALSE(stats_before.empty());

    const std::string busy = "项目正被另一个程序使用，请待其完成后再试！\n";
    // The first row of the values grid, "article\tvalue".
    const std::string first_row = values_before.substr(0, values_before.find('\n'));
    const std::string article = first_row.substr(0, first_row.find('\t'));
    const std::string value = first_row.substr(first_row.find('\t') + 1);
    {
        // This test writes the project now, as a window or another command line would.
        store::Workspace writer = store::Workspace::bind(home, "W1");
        for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
                 {"extract", "W1", "2"},
                 {"extract", "W1", "1", "--yes"},
                 {"stats", "W1", "作者", "--yes"},
                 {"edit", "W1", "1", "作者", "--case", "upper"},
                 {"remove", "W1", "1", "作者", "--article", article, "--value", value, "--scope",
                  "same", "--yes"},
                 {"doc", "remove", "W1", "1", "--yes"},
                 {"doc", "add", "W1", (dir / "b.txt").string(), "--yes"},
                 {"project", "delete", "W1", "--yes"}}) {
            const CliResult r = run(command);
            EXPECT_EQ(r.exit_code, 2) << command[0] << " " << command[1];
            EXPECT_EQ(r.err, busy) << command[0] << " " << command[1];
        }
        // Readers go on.
        EXPECT_EQ(run({"values", "W1", "1", "作者"}).out, values_before);
        EXPECT_EQ(run({"show-stats", "W1", "作者"}).out, stats_before);
        EXPECT_EQ(run({"docs", "W1"}).out, docs_before);
        EXPECT_EQ(run({"matrix", "W1", "作者", "--kind", "cooccurrence"}).exit_code, 0);
    }
    // Nothing was changed, and once the writer is done the next one goes ahead.
    EXPECT_EQ(rows_of("W1", 2), 0u);
    EXPECT_EQ(run({"docs", "W1"}).out, docs_before);
    EXPECT_EQ(run({"values", "W1", "1", "作者"}).out, values_before);
    EXPECT_EQ(run({"projects"}).out, "W1\tWOS\t\n");
    EXPECT_EQ(run({"extract", "W1", "2"}).exit_code, 0);
    EXPECT_EQ(rows_of("W1", 2), 2u * 8);
}

// Two runs started together on two entries of one project: the second waits for nothing
// and is refused while the first writes, or runs after it; either way no row is lost.
TEST_F(ReliabilityCli, TwoExtractRunsAtOnceNeverLoseRows) {
    write_file(dir / "a.txt", lumacite::testing::wos_records(4000, "A"));
    write_file(dir / "b.txt", lumacite::testing::wos_records(4000, "B"));
    add_project_with_files("W1", {(dir / "a.txt").string(), (dir / "b.txt").string()});
    auto first = std::async(std::launch::async, [&] { return run({"extract", "W1", "1"}); });
    auto second = std::async(std::launch::async, [&] { return run({"extract", "W1", "2"}); });
    const CliResult one = first.get();
    const CliResult two = second.get();
    for (const CliResult* r : {&one, &two}) {
        EXPECT_TRUE(r->exit_code == 0 ||
                    (r->exit_code == 2 && r->err == "项目正被另一个程序使用，请待其完成后再试！\n"))
            << r->exit_code << " " << r->err;
    }
    // Eight rows an article: two authors and the first author, title, journal, year and
    // two keywords.
    const std::size_t per_file = 4000u * 8;
    EXPECT_EQ(rows_of("W1", 1), one.exit_code == 0 ? per_file : 0u);
    EXPECT_EQ(rows_of("W1", 2), two.exit_code == 0 ? per_file : 0u);
}

TEST_F(ReliabilityCli, ARunThatReadsNothingFailsAndVanishedFilesKeepTheValues) {
    fs::create_directory(dir / "recs");
    write_file(dir / "recs" / "a.txt", lumacite::testing::wos_records(2, "A"));
    ASSERT_EQ(run({"project", "add", "W1", "--format", "WOS"}).exit_code, 0);
    ASSERT_EQ(run({"doc", "add-dir", "W1", (dir / "recs").string(), "txt"}).exit_code, 0);
    const CliResult first = run({"extract", "W1", "1"});
    EXPECT_EQ(first.exit_code, 0);
    EXPECT_EQ(first.out, "读取文件 1 个，文章 2 篇，写入 16 行。\n");
    const std::string values = run({"values", "W1", "1", "标题"}).out;
    EXPECT_EQ(values, "0000000001\tA study of A number 0\n0000000002\tA study of A number 1\n");

    // The directory's files have gone: with --yes the earlier values still stay.
    fs::remove(dir / "recs" / "a.txt");
    CliResult r = run({"extract", "W1", "1", "--yes"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "没有可读取的文档文件，原有的提取结果未作改动！\n");
    EXPECT_EQ(run({"values", "W1", "1", "标题"}).out, values);

    // Binary garbage, an empty file: read, but no article in them.
    write_file(dir / "recs" / "a.txt", std::string("\x7f"
                                                   "ELF\x02\x01\x01\0\0\0\xff\xfe\r\n",
                                                   15));
    write_file(dir / "recs" / "b.txt", "");
    r = run({"extract", "W1", "1", "--yes"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "未从文档中读取到任何文章！\r读取文件 2 个，文章 0 篇，写入 0 行。\n");
    EXPECT_EQ(r.out, "");
}

TEST_F(ReliabilityCli, ANumberTooLongForAFileNameChangesNothingAndOldRowsCanBeDeleted) {
    const std::string long_number(250, 'N');
    CliResult r = run({"project", "add", long_number, "--format", "WOS"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "编号过长，无法用作项目文件夹和数据表的文件名！\n");
    EXPECT_EQ(run({"projects"}).out, "");
    EXPECT_FALSE(fs::exists(home / long_number));

    // A row an older version left behind, with or without its folder, is deleted.
    for (const std::string& number : {long_number, std::string(300, 'M')}) {
        store::Catalogue::open(home / "velkor.exs").add_project({number, "WOS", ""});
        if (number.size() < 255) {
            fs::create_directory(home / number);
        }
        r = run({"project", "delete", number, "--yes"});
        EXPECT_EQ(r.exit_code, 0) << r.err;
        EXPECT_EQ(run({"projects"}).out, "");
        EXPECT_FALSE(fs::exists(home / number.substr(0, 255)));
    }
}

TEST_F(ReliabilityCli, AMissingCatalogueIsNamedAndOldTablesAreNotTakenOverUnasked) {
    write_file(dir / "a.txt", lumacite::testing::wos_records(2, "A"));
    add_project_with_files("A1", {(dir / "a.txt").string()});
    ASSERT_EQ(run({"extract", "A1", "1"}).exit_code, 0);
    fs::remove(home / "velkor.exs");

    CliResult r = run({"projects"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              "目录数据库不存在，已新建目录数据库。程序文件夹中的以下项目文件夹未在其中登记：A1"
              "\r如需继续使用其中的数据，请在新增项目时使用相同的编号。\n");
    EXPECT_EQ(run({"projects"}).err, ""); // said once

    r = run({"project", "add", "A1", "--format", "PubMed"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "程序文件夹中已有“A1”文件夹，其中存有以前的提取或统计数据表。\r"
                     "是否在此项目中沿用这些数据？\n");
    EXPECT_EQ(run({"projects"}).out, "");
    EXPECT_EQ(run({"project", "add", "A1", "--format", "WOS", "--yes"}).exit_code, 0);
    // The values are there; the values grid lists them once their document is registered
    // again, its copy and values kept.
    EXPECT_EQ(rows_of("A1", 1), 2u * 8);
    EXPECT_EQ(run({"values", "A1", "1", "年代"}).err, "没有这个文档：1\n");
    const CliResult again =
        run({"doc", "add", "A1", (dir / "a.txt").string(), "--yes", "--keep-values"});
    EXPECT_EQ(again.exit_code, 0) << again.err;
    EXPECT_EQ(run({"values", "A1", "1", "年代"}).out, "0000000001\t1990\n0000000002\t1991\n");
}

// Sets the modes of a folder tree: files and folders read-only, or writable again.
void set_writable(const fs::path& root, bool writable) {
    const auto mode = [&](const fs::path& p) {
        const bool folder = fs::is_directory(p);
        ::chmod(p.c_str(), writable ? (folder ? 0755 : 0644) : (folder ? 0555 : 0444));
    };
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        mode(e.path());
    }
    mode(root);
}

TEST_F(ReliabilityCli, CommandsThatOnlyReadWorkOnAReadOnlyProgramFolder) {
    write_file(dir / "a.txt", lumacite::testing::wos_records(5, "A"));
    add_project_with_files("R1", {(dir / "a.txt").string()});
    ASSERT_EQ(run({"extract", "R1", "1"}).exit_code, 0);
    ASSERT_EQ(run({"stats", "R1", "期刊全称"}).exit_code, 0);
    const std::vector<std::vector<std::string>> readers{
        {"projects"},
        {"docs", "R1"},
        {"keywords", "R1"},
        {"formats"},
        {"values", "R1", "1", "作者"},
        {"show-stats", "R1", "期刊全称"},
        {"matrix", "R1", "期刊全称", "--kind", "word-document"},
        {"matrix", "R1", "期刊全称", "--kind", "cooccurrence", "-o", (dir / "out.txt").string()}};
    std::vector<CliResult> writable;
    for (const auto& command : readers) {
        writable.push_back(run(command));
        ASSERT_EQ(writable.back().exit_code, 0) << command[0];
    }
    const std::string matrix_file = lumacite::testing::read_file(dir / "out.txt");
    fs::remove(dir / "out.txt");

    // The program folder read-only; as the super-user, the commands run as "nobody" so
    // that the modes hold for them.
    ::chmod(dir.path().c_str(), 0777);
    set_writable(home, false);
    const bool as_root = ::geteuid() == 0;
    const auto run_readonly = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", home.string()});
        if (!as_root) {
            return lumacite::testing::run_cli(args);
        }
        args.insert(args.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups",
                                   lumacite::testing::cli_binary().string()});
        return lumacite::testing::run_program("/usr/bin/setpriv", args);
    };
    if (as_root && run_readonly({"--version"}).exit_code != 0) {
        set_writable(home, true);
        GTEST_SKIP() << "cannot run the program as another user here";
    }
    for (std::size_t i = 0; i < readers.size(); ++i) {
        const CliResult r = run_readonly(readers[i]);
        EXPECT_EQ(r.exit_code, 0) << readers[i][0] << ": " << r.err;
        EXPECT_EQ(r.out, writable[i].out) << readers[i][0];
        EXPECT_EQ(r.err, "") << readers[i][0];
    }
    EXPECT_EQ(lumacite::testing::read_file(dir / "out.txt"), matrix_file);
    // A command that writes says why it cannot, and nothing in the folder changed.
    const CliResult writer = run_readonly({"extract", "R1", "1", "--yes"});
    EXPECT_EQ(writer.exit_code, 3);
    EXPECT_NE(writer.err.find("Permission denied"), std::string::npos) << writer.err;
    set_writable(home, true);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(home / "R1")) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    // Counting and matrices write no scratch table: no temp.dbf.
    EXPECT_EQ(names, (std::vector<std::string>{".lumacite.lock", "a.txt", "tongjiR1.dbf",
                                               "zidianR1.dbf"}));
}

} // namespace
