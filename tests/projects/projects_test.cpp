#include "messages.h"
#include "projects/projects.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace lumacite;
using namespace lumacite::projects;
using lumacite::testing::read_file;
using lumacite::testing::TempDir;
using lumacite::testing::write_file;
using V = std::vector<std::string>;

namespace {

class Projects : public ::testing::Test {
protected:
    TempDir home;
    store::Catalogue cat = store::Catalogue::create(home / "velkor.exs");
    std::optional<store::Workspace> ws;

    void define(const std::string& format, const std::string& type, const V& keywords) {
        for (const auto& k : keywords) {
            store::Definition d;
            d.geshi = format;
            d.leixing = type;
            d.guanjianzi = k;
            d.yueding = 0;
            cat.add_definition(d);
        }
    }
    store::Project project(const std::string& number) { return *cat.find_project(number); }
    Selection select(const std::string& number) {
        return select_project(cat, home.path(), project(number), ws);
    }
    // Edit number with the answers to its questions; `asked` records them.
    NumberEdit edit(const std::string& current, const std::string& text,
                    std::vector<bool> answers = {}) {
        return edit_number(cat, home.path(), current, text, [&, this](const std::string& q) {
            asked.push_back(q);
            if (answers.empty()) {
                ADD_FAILURE() << "unexpected question: " << q;
                return false;
            }
            const bool a = answers.front();
            answers.erase(answers.begin());
            return a;
        });
    }
    V asked;
};

TEST(NumberRules, MessagesComeInTheirOrder) {
    EXPECT_EQ(number_problem(""), msg::number_empty);
    EXPECT_EQ(number_problem("  \t"), msg::number_empty);
    EXPECT_EQ(number_problem("A 1"), msg::number_contains_space);
    EXPECT_EQ(number_problem(" A-1"), msg::number_contains_space); // space before hyphen
    EXPECT_EQ(number_problem("A-1"), msg::number_invalid_character);
    EXPECT_EQ(number_problem("项目1"), msg::number_invalid_character);
    EXPECT_EQ(number_problem("a\tb"), msg::number_invalid_character);
    EXPECT_EQ(number_problem("ab12CD"), std::nullopt);
    EXPECT_STREQ(msg::number_empty, "编号不应为空！\r");
    EXPECT_STREQ(msg::number_invalid_character, "编号只能采用数字和字母命名！\r");
}

TEST_F(Projects, AddingTwiceMakesOnePlaceholderThatBindsNothing) {
    EXPECT_TRUE(add_placeholder(cat));
    EXPECT_FALSE(add_placeholder(cat));
    EXPECT_EQ(cat.projects(), (std::vector<store::Project>{store::Project{}}));
    const Selection s = select("");
    EXPECT_TRUE(s.editable);
    EXPECT_FALSE(s.bound);
    EXPECT_FALSE(ws.has_value());
    for (const auto& e : fs::directory_iterator(home.path())) {
        EXPECT_FALSE(e.is_directory()) << e.path();
    }
}

TEST_F(Projects, NumberEditsStoreAsTypedRefuseDuplicatesAndLockWithDocuments) {
    add_placeholder(cat);
    EXPECT_EQ(edit("", "").message, msg::number_empty);
    EXPECT_EQ(edit("", "a 1").message, msg::number_contains_space);
    EXPECT_EQ(edit("", "a1").status, NumberEdit::Status::stored);
    EXPECT_EQ(project("a1").bianhao, "a1");
    EXPECT_EQ(edit("a1", "a1").status, NumberEdit::Status::unchanged);

    cat.add_project({"B2", "", ""});
    const NumberEdit dup = edit("a1", "B2");
    EXPECT_EQ(dup.status, NumberEdit::Status::refused);
    EXPECT_EQ(dup.message, msg::number_duplicate);

    cat.add_document({"B2", 1, "x.txt", ""});
    EXPECT_EQ(edit("B2", "C3").status, NumberEdit::Status::locked);
    EXPECT_FALSE(edit_format(cat, "B2", "PubMed·PubMed XML·<xml>"));
    EXPECT_FALSE(edit_description(cat, "B2", "new"));
    EXPECT_EQ(project("B2"), (store::Project{"B2", "", ""}));
    EXPECT_FALSE(select("B2").editable);
    EXPECT_TRUE(select("a1").editable);
}

TEST_F(Projects, RenumberingBindsTheNewFolderAndLeavesTheOld) {
    cat.add_project({"A1", "", ""});
    select("A1");
    open_for_writing(cat, home.path(), "A1").append_value(1, "a", "作者", "x");
    ASSERT_EQ(edit("A1", "B2").status, NumberEdit::Status::stored);
    const Selection s = select("B2");
    EXPECT_TRUE(s.bound);
    EXPECT_EQ(ws->number(), "B2");
    EXPECT_TRUE(fs::exists(home / "A1" / "zidianA1.dbf"));
    EXPECT_TRUE(fs::exists(home / "B2" / "zidianB2.dbf"));
    EXPECT_TRUE(fs::exists(home / "B2" / "tongjiB2.dbf"));
    EXPECT_EQ(ws->value_record_count(), 0u);
    EXPECT_FALSE(cat.find_project("A1"));
    // The old folder keeps its rows.
    EXPECT_EQ(store::Workspace::bind(home.path(), "A1").value_record_count(), 1u);
}

TEST_F(Projects, SelectionFillsKeywordsAndDocumentsAndRecreatesTheFolder) {
    define("PubMed", "<xml>", {"标题", "作者"});
    cat.add_project({"P1", "PubMed", ""});
    cat.add_project({"N1", "无此格式", ""});
    cat.add_document({"P1", 1, "a.xml", ""});
    Selection s = select("P1");
    EXPECT_EQ(s.keywords, (V{"全部主题词＋副主题词", "全部主题词－副主题词", "主要主题词＋副主题词",
                             "主要主题词－副主题词", "次要主题词＋副主题词", "次要主题词－副主题词",
                             "标题", "作者", "第一作者"}));
    ASSERT_EQ(s.documents.size(), 1u);
    EXPECT_EQ(s.documents[0].wenjianming, "a.xml");
    EXPECT_FALSE(s.editable);

    s = select("N1");
    EXPECT_EQ(s.keywords, V{"第一作者"});
    EXPECT_TRUE(s.documents.empty());

    ws.reset();
    fs::remove_all(home / "N1");
    select("N1");
    EXPECT_TRUE(fs::exists(home / "N1" / "zidianN1.dbf"));
    EXPECT_TRUE(fs::exists(home / "N1" / "tongjiN1.dbf"));
}

TEST_F(Projects, FormatAndDescriptionEdits) {
    cat.add_project({"A1", "", "old"});
    const V entries = {"WOS·Web of Science·<txt>", "PubMed·PubMed XML·<xml>"};
    EXPECT_EQ(format_entry_index(entries, "PubMed"), 1u);
    EXPECT_EQ(format_entry_index(entries, "Pub"), std::nullopt);
    EXPECT_TRUE(edit_format(cat, "A1", entries[1]));
    EXPECT_FALSE(edit_format(cat, "A1", entries[1]));
    EXPECT_FALSE(edit_description(cat, "A1", "old"));
    EXPECT_TRUE(edit_description(cat, "A1", "新的说明"));
    EXPECT_EQ(project("A1"), (store::Project{"A1", "PubMed", "新的说明"}));
}

TEST_F(Projects, DeleteQuestionText) {
    EXPECT_EQ(delete_question("/data/lumacite", "A1"),
              "确认删除当前所选择的“A1”项目吗？\r\r项目所包含的所有提取、统计数据都将被删除。\r"
              "包括项目文件夹“/data/lumacite/A1”也将一并删除！\r且不可恢复回收！\r");
}

TEST_F(Projects, DeletingRemovesHiddenAndReadOnlyFilesButNeverFollowsLinks) {
    TempDir outside;
    write_file(outside / "keep.txt", "outside");
    fs::create_directory(outside / "dir");
    write_file(outside / "dir" / "inner.txt", "inner");

    cat.add_project({"A1", "", ""});
    cat.add_project({"A2", "", ""});
    cat.add_document({"A1", 1, "a.txt", ""});
    select("A1");
    const fs::path f = home / "A1";
    write_file(f / ".hidden", "h");
    write_file(f / "readonly.txt", "r");
    ::chmod((f / "readonly.txt").c_str(), 0444);
    fs::create_directories(f / "sub" / ".deeper");
    write_file(f / "sub" / ".deeper" / "x", "x");
    ::chmod((f / "sub" / ".deeper").c_str(), 0555); // a read-only folder
    ::chmod((f / "sub").c_str(), 0500);
    fs::create_symlink(outside / "keep.txt", f / "link-to-file");
    fs::create_directory_symlink(outside / "dir", f / "link-to-dir");

    EXPECT_EQ(delete_project(cat, home.path(), "A1", ws), std::nullopt);
    EXPECT_FALSE(ws.has_value());
    EXPECT_FALSE(fs::exists(fs::symlink_status(f)));
    EXPECT_EQ(read_file(outside / "keep.txt"), "outside");
    EXPECT_EQ(read_file(outside / "dir" / "inner.txt"), "inner");
    EXPECT_FALSE(cat.find_project("A1"));
    EXPECT_TRUE(cat.documents("A1").empty());
    EXPECT_TRUE(fs::exists(home / "velkor.exs"));
    EXPECT_TRUE(cat.find_project("A2"));
}

TEST_F(Projects, FolderRemovalGuardsAndFailures) {
    TempDir outside;
    write_file(outside / "keep.txt", "outside");
    // A link in place of the project folder: only the link goes.
    fs::create_directory_symlink(outside.path(), home / "L1");
    remove_project_folder(home.path(), "L1");
    EXPECT_FALSE(fs::exists(fs::symlink_status(home / "L1")));
    EXPECT_EQ(read_file(outside / "keep.txt"), "outside");

    for (const std::string bad : {"", ".", "..", "A1/../..", "/"}) {
        EXPECT_THROW(remove_project_folder(home.path(), bad), ProjectError) << bad;
    }
    EXPECT_TRUE(fs::exists(home / "velkor.exs"));

    try {
        remove_project_folder(home.path(), "Z9");
        FAIL() << "a missing folder is a failure";
    } catch (const ProjectError& e) {
        EXPECT_EQ(std::string(e.what()), std::string(msg::folder_removal_failed) +
                                             (home / "Z9").string() +
                                             "：No such file or directory");
    }

    // A file where the folder should be is not removed.
    write_file(home / "F1", "not a folder");
    try {
        remove_project_folder(home.path(), "F1");
        FAIL() << "a file is not a project folder";
    } catch (const ProjectError& e) {
        EXPECT_NE(std::string(e.what()).find("：Not a directory"), std::string::npos);
    }
    EXPECT_TRUE(fs::exists(home / "F1"));

    // Deleting the placeholder removes its rows and no folder.
    add_placeholder(cat);
    fs::create_directory(home / "K1");
    EXPECT_EQ(delete_project(cat, home.path(), "", ws), std::nullopt);
    EXPECT_TRUE(cat.projects().empty());
    EXPECT_TRUE(fs::exists(home / "K1"));
}

TEST_F(Projects, ANumberTooLongForTheFileSystemIsRefusedBeforeAnythingIsWritten) {
    define("WOS", "<txt>", {"作者"});
    // "zidian" + number + ".dbf.pack" is the longest name: 240 characters fit in 255.
    const std::string fits(240, 'a');
    const std::string too_long(241, 'b');
    EXPECT_TRUE(fits_file_system(home.path(), fits));
    EXPECT_FALSE(fits_file_system(home.path(), too_long));
    EXPECT_EQ(std::string(msg::number_too_long),
              "编号过长，无法用作项目文件夹和数据表的文件名！\r");

    add_placeholder(cat);
    const NumberEdit edit_result = edit("", too_long);
    EXPECT_EQ(edit_result.status, NumberEdit::Status::refused);
    EXPECT_EQ(edit_result.message, msg::number_too_long);
    const auto noop = [](const std::string&) { return true; };
    const ProjectCreation added = add_project(cat, home.path(), {too_long, "WOS", ""}, noop);
    EXPECT_EQ(added.status, ProjectCreation::Status::refused);
    EXPECT_EQ(added.message, msg::number_too_long);
    EXPECT_EQ(cat.projects(), std::vector<store::Project>{store::Project{}});
    EXPECT_FALSE(fs::exists(home / too_long));

    EXPECT_EQ(add_project(cat, home.path(), {fits, "WOS", ""}, noop).status,
              ProjectCreation::Status::added);
    EXPECT_TRUE(fs::exists(home / fits / ("tongji" + fits + ".dbf")));
    EXPECT_EQ(add_project(cat, home.path(), {"Q1", "无此格式", ""}, noop).message,
              std::string(msg::format_not_found) + "无此格式");

    // Rows an older version left with numbers no folder can carry are deleted cleanly.
    for (const std::string& number : {too_long, std::string(300, 'c')}) {
        cat.add_project({number, "WOS", ""});
        EXPECT_EQ(delete_project(cat, home.path(), number, ws), std::nullopt) << number.size();
        EXPECT_FALSE(cat.find_project(number));
    }
}

TEST_F(Projects, AFolderOfEarlierWorkIsTakenOverOnlyAfterAYes) {
    define("WOS", "<txt>", {"作者"});
    {
        auto earlier = store::Workspace::bind(home.path(), "C3");
        earlier.append_value(1, "a", "作者", "earlier");
    }
    const std::string question = "程序文件夹中已有“C3”文件夹，其中存有以前的提取或统计数据表。\r是"
                                 "否在此项目中沿用这些数据？\r";
    EXPECT_EQ(adopt_folder_question(home.path(), "C3"), question);
    EXPECT_EQ(adopt_folder_question(home.path(), "D4"), std::nullopt);

    add_placeholder(cat);
    EXPECT_EQ(edit("", "C3", {false}).status, NumberEdit::Status::declined);
    EXPECT_EQ(asked, V{question});
    EXPECT_TRUE(cat.find_project(""));
    EXPECT_FALSE(cat.find_project("C3"));

    const auto no = [](const std::string&) { return false; };
    EXPECT_EQ(add_project(cat, home.path(), {"C3", "WOS", ""}, no).status,
              ProjectCreation::Status::declined);
    EXPECT_FALSE(cat.find_project("C3"));

    EXPECT_EQ(edit("", "C3", {true}).status, NumberEdit::Status::stored);
    select("C3");
    EXPECT_EQ(ws->count_values(store::ValueFilter{}), 1u);
    // A new number without a folder asks nothing.
    cat.add_project({"", "", ""});
    EXPECT_EQ(edit("", "D4").status, NumberEdit::Status::stored);
}

} // namespace
