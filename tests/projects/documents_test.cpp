#include "messages.h"
#include "projects/projects.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

using namespace lumacite;
using namespace lumacite::projects;
using lumacite::testing::read_file;
using lumacite::testing::TempDir;
using lumacite::testing::write_file;
using V = std::vector<std::string>;

namespace {

// Answers questions from a queue and records each text.
struct Answers {
    std::deque<bool> queue;
    V asked;
    Ask ask() {
        return [this](const std::string& q) {
            asked.push_back(q);
            if (queue.empty()) {
                ADD_FAILURE() << "unexpected question: " << q;
                return false;
            }
            const bool a = queue.front();
            queue.pop_front();
            return a;
        };
    }
};

class Documents : public ::testing::Test {
protected:
    TempDir home;
    TempDir sources;
    store::Catalogue cat = store::Catalogue::create(home / "velkor.exs");
    std::optional<store::Workspace> ws;

    void SetUp() override {
        cat.add_project({"A1", "", ""});
        cat.add_project({"B1", "", ""});
        cat.add_document({"B1", 1, "other.txt", ""});
        select_project(cat, home.path(), *cat.find_project("A1"), ws);
        ws.reset();
        ws.emplace(open_for_writing(cat, home.path(), "A1"));
    }
    fs::path source(const std::string& name, const std::string& content) {
        write_file(sources / name, content);
        return sources / name;
    }
    FileRegistration add(const fs::path& file, std::deque<bool> answers, V* asked = nullptr) {
        Answers a{std::move(answers), {}};
        auto r = register_file(cat, *ws, file, a.ask());
        if (asked != nullptr) {
            *asked = a.asked;
        }
        return r;
    }
    V names() {
        V out;
        for (const auto& d : cat.documents("A1")) {
            out.push_back(std::to_string(d.xuhao) + ":" + d.wenjianming);
        }
        return out;
    }
};

TEST_F(Documents, FilesAreNumberedCopiedAndRenumberedOnRemoval) {
    V asked;
    const auto first = add(source("one.txt", "1"), {true}, &asked);
    EXPECT_EQ(first.status, FileRegistration::Status::added);
    EXPECT_EQ(first.xuhao, 1);
    EXPECT_EQ(asked, V{"是否确认所选文件（" + (sources / "one.txt").string() + "）？\r"});
    add(source("two.txt", "2"), {true});
    add(source("three.txt", "3"), {true});
    EXPECT_EQ(names(), (V{"1:one.txt", "2:two.txt", "3:three.txt"}));
    EXPECT_EQ(read_file(home / "A1" / "three.txt"), "3");
    EXPECT_EQ(add(source("four.txt", "4"), {false}).status, FileRegistration::Status::declined);
    EXPECT_FALSE(fs::exists(home / "A1" / "four.txt"));

    for (long long x = 1; x <= 3; ++x) {
        ws->append_value(x, "art" + std::to_string(x), "作者", "v" + std::to_string(x));
    }
    ws->append_statistic({0, "", "         1", "作者", "v1", "         1", "100.0000", "100.0000"});

    store::Document entry = *cat.find_document("A1", 2);
    EXPECT_EQ(remove_question(entry), "确认移除当前所选择的文档文件“two."
                                      "txt”吗？\r\r注意：如果移除，相应的提取数据也将一并被移除！");
    remove_document(cat, *ws, 2);
    EXPECT_EQ(names(), (V{"1:one.txt", "2:three.txt"}));
    const auto values = ws->select_values(store::ValueFilter{});
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[1].wenzhangha, "art3");
    EXPECT_EQ(values[1].xuhao, 2);
    EXPECT_TRUE(ws->all_statistics().empty());
    EXPECT_EQ(ws->value_record_count(), 2u);          // packed
    EXPECT_TRUE(fs::exists(home / "A1" / "two.txt")); // the copy stays
    EXPECT_EQ(cat.documents("B1").size(), 1u);        // other projects untouched
}

TEST_F(Documents, RemovingADocumentWithoutValuesStillEmptiesTheStatistics) {
    add(source("one.txt", "1"), {true});
    ws->append_statistic({0, "", "         1", "作者", "v", "         1", "1.0000", "1.0000"});
    remove_document(cat, *ws, 1);
    EXPECT_TRUE(names().empty());
    EXPECT_TRUE(ws->all_statistics().empty());
}

TEST_F(Documents, SameNameAsksToOverwriteAndThenToClear) {
    add(source("a.txt", "old"), {true});
    add(source("b.txt", "b"), {true});
    ws->append_value(1, "x", "作者", "kept");
    ws->append_value(2, "y", "作者", "other");
    ws->append_statistic({0, "", "         1", "作者", "kept", "         1", "1.0000", "1.0000"});
    const fs::path again = source("a.txt", "new");

    // No to overwriting: nothing copied.
    V asked;
    EXPECT_EQ(add(again, {true, false}, &asked).status, FileRegistration::Status::declined);
    EXPECT_EQ(asked.back(), msg::same_name_question);
    EXPECT_EQ(read_file(home / "A1" / "a.txt"), "old");

    // Yes, then No to clearing: the copy is replaced, the values stay.
    auto r = add(again, {true, true, false}, &asked);
    EXPECT_EQ(asked, (V{confirm_file_question(again), msg::same_name_question,
                        msg::clear_results_question}));
    EXPECT_EQ(r.status, FileRegistration::Status::replaced);
    EXPECT_EQ(r.xuhao, 1);
    EXPECT_FALSE(r.results_cleared);
    EXPECT_EQ(read_file(home / "A1" / "a.txt"), "new");
    EXPECT_EQ(ws->count_values(store::ValueFilter{}), 2u);
    EXPECT_EQ(names(), (V{"1:a.txt", "2:b.txt"}));

    // Yes to clearing: that document's values and all statistics go.
    r = add(again, {true, true, true});
    EXPECT_TRUE(r.results_cleared);
    EXPECT_FALSE(ws->has_document_values(1));
    EXPECT_TRUE(ws->has_document_values(2));
    EXPECT_TRUE(ws->all_statistics().empty());

    // Without values no clearing question is asked.
    add(again, {true, true}, &asked);
    EXPECT_EQ(asked.size(), 2u);
}

TEST_F(Documents, AFailedCopyRegistersAndClearsNothing) {
    try {
        add(sources / "missing.txt", {true});
        FAIL() << "the copy cannot succeed";
    } catch (const ProjectError& e) {
        EXPECT_EQ(std::string(e.what()).rfind(msg::document_copy_failed, 0), 0u);
    }
    EXPECT_TRUE(names().empty());

    add(source("a.txt", "old"), {true});
    ws->append_value(1, "x", "作者", "kept");
    fs::remove(sources / "a.txt");
    EXPECT_THROW(add(sources / "a.txt", {true, true, true}), ProjectError);
    EXPECT_EQ(read_file(home / "A1" / "a.txt"), "old");
    EXPECT_TRUE(ws->has_document_values(1));
    EXPECT_EQ(names(), V{"1:a.txt"});
    // No temporary file is left behind.
    V files;
    for (const auto& e : fs::directory_iterator(home / "A1")) {
        files.push_back(e.path().filename().string());
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (V{".lumacite.lock", "a.txt", "tongjiA1.dbf", "zidianA1.dbf"}));
}

TEST_F(Documents, AFileNamedLikeAProjectTableIsRefused) {
    ws->append_value(1, "x", "作者", "kept");
    ws->flush();
    for (const std::string name : {"zidianA1.dbf", "tongjiA1.dbf", "temp.dbf", "zidianA1.dbf.pack",
                                   ".lumacite.lock", ".removal"}) {
        const auto r = add(source(name, "not a table"), {true});
        EXPECT_EQ(r.status, FileRegistration::Status::refused);
        EXPECT_EQ(r.refusal, msg::document_name_reserved + name);
    }
    EXPECT_TRUE(names().empty());
    EXPECT_EQ(ws->count_values(store::ValueFilter{}), 1u);
    // Another project's table name is an ordinary file name here.
    EXPECT_EQ(add(source("zidianB1.dbf", "x"), {true}).status, FileRegistration::Status::added);
}

TEST_F(Documents, ExtensionListAndDirectoryEntries) {
    const fs::path dir = sources / "docs";
    fs::create_directory(dir);
    for (const char* name : {"c.xml", "b.TXT", "data.tar.gz", "a.txt", "README", "trailing.",
                             "._a.txt", ".DS_Store"}) {
        write_file(dir / name, "x");
    }
    fs::create_directory(dir / "sub.d");
    // Hidden files (side files of other systems) are neither listed nor offered.
    EXPECT_EQ(directory_file_names(dir),
              (V{"a.txt", "b.TXT", "c.xml", "data.tar.gz", "README", "trailing."}));
    EXPECT_EQ(extension_list(dir), (V{"TXT", "XML", "GZ", "README"}));
    EXPECT_TRUE(extension_list(sources / "nowhere").empty());

    add(source("f.txt", "f"), {true});
    EXPECT_EQ(register_directory(cat, "A1", dir, " ").refusal, msg::directory_no_extension);
    EXPECT_EQ(register_directory(cat, "A1", sources / "nowhere", "TXT").refusal,
              msg::directory_invalid);
    const auto r = register_directory(cat, "A1", dir, "txt");
    EXPECT_TRUE(r.refusal.empty());
    EXPECT_EQ(r.xuhao, 2);
    EXPECT_EQ(register_directory(cat, "A1", dir, "TXT").refusal, msg::directory_duplicate);
    EXPECT_EQ(register_directory(cat, "A1", dir, "XML").xuhao, 3);
    const auto entry = *cat.find_document("A1", 2);
    EXPECT_EQ(entry.wenjianming, dir.string());
    EXPECT_EQ(entry.kuozhanming, "TXT");
}

// A kill at each moment of a removal leaves the old state or the new one, never a mixture:
// before the catalogue changes the next opening undoes it, after that it finishes it. The
// removal runs in a child process that ends at the given step without closing anything,
// as SIGKILL would end it.
TEST_F(Documents, AKillAtAnyStepOfARemovalLeavesTheOldStateOrTheNew) {
    for (const char* name : {"one.txt", "two.txt", "three.txt"}) {
        add(source(name, name), {true});
    }
    for (long long x = 1; x <= 3; ++x) {
        ws->append_value(x, "art" + std::to_string(x), "作者", "v" + std::to_string(x));
    }
    ws->append_statistic({0, "", "         1", "作者", "v1", "         1", "100.0000", "100.0000"});
    ws->commit();
    ws.reset();
    const fs::path folder = home / "A1";
    const auto snapshot = [&](const fs::path& to) {
        fs::create_directories(to);
        for (const char* f : {"zidianA1.dbf", "tongjiA1.dbf"}) {
            fs::copy_file(folder / f, to / f, fs::copy_options::overwrite_existing);
        }
    };
    const TempDir saved;
    snapshot(saved.path());

    using Step = RemovalStep;
    for (const Step kill_at : {Step::staged, Step::journal_written, Step::catalogue_changed,
                               Step::values_installed, Step::done}) {
        SCOPED_TRACE(static_cast<int>(kill_at));
        // Back to three entries with their values.
        for (const char* f : {"zidianA1.dbf", "tongjiA1.dbf"}) {
            fs::copy_file(saved / f, folder / f, fs::copy_options::overwrite_existing);
        }
        cat.delete_project("A1");
        cat.add_project({"A1", "", ""});
        long long x = 0;
        for (const char* name : {"one.txt", "two.txt", "three.txt"}) {
            cat.add_document({"A1", ++x, name, ""});
        }
        ASSERT_EQ(names(), (V{"1:one.txt", "2:two.txt", "3:three.txt"}));

        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            auto writing = open_for_writing(cat, home.path(), "A1");
            remove_document(cat, writing, 2, [&](Step s) {
                if (s == kill_at) {
                    ::_exit(0);
                }
            });
            ::_exit(1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

        auto after = open_for_writing(cat, home.path(), "A1");
        std::vector<std::string> values;
        for (const auto& r : after.select_values(store::ValueFilter{})) {
            values.push_back(std::to_string(r.xuhao) + ":" + r.zhi);
        }
        const bool removed = kill_at != Step::staged && kill_at != Step::journal_written;
        if (removed) {
            EXPECT_EQ(names(), (V{"1:one.txt", "2:three.txt"}));
            EXPECT_EQ(values, (V{"1:v1", "2:v3"}));
            EXPECT_TRUE(after.all_statistics().empty());
        } else {
            EXPECT_EQ(names(), (V{"1:one.txt", "2:two.txt", "3:three.txt"}));
            EXPECT_EQ(values, (V{"1:v1", "2:v2", "3:v3"}));
            EXPECT_EQ(after.all_statistics().size(), 1u);
        }
        for (const char* left : {"zidianA1.dbf.pack", "tongjiA1.dbf.pack", ".removal"}) {
            EXPECT_FALSE(fs::exists(folder / left)) << left;
        }
    }
}

TEST_F(Documents, AJournalCutShortByAKillUndoesTheRemoval) {
    add(source("one.txt", "1"), {true});
    ws->append_value(1, "a", "作者", "kept");
    ws->commit();
    ws.reset();
    write_file(home / "A1" / ".removal", "1 ");
    write_file(home / "A1" / "zidianA1.dbf.pack", "half");
    EXPECT_TRUE(settle_interrupted_removal(cat, home / "A1", "A1"));
    EXPECT_FALSE(fs::exists(home / "A1" / ".removal"));
    auto after = open_for_writing(cat, home.path(), "A1");
    EXPECT_EQ(names(), V{"1:one.txt"});
    EXPECT_EQ(after.count_values(store::ValueFilter{}), 1u);
    EXPECT_FALSE(fs::exists(home / "A1" / "zidianA1.dbf.pack"));
    EXPECT_FALSE(settle_interrupted_removal(cat, home / "A1", "A1"));
}

} // namespace
