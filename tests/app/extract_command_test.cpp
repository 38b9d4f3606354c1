// The Extract command of the extraction page: its checks and messages, the job "提取"
// in the job dialog, and the re-extraction question.
#include "app/scripted_prompter.h"
#include "app/zhu.h"
#include "projects/projects.h"
#include "store/workspace.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

using namespace lumacite;
using namespace lumacite::app;
using lumacite::testing::TempDir;
using lumacite::testing::write_file;
using V = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

class ExtractCommand : public ::testing::Test {
protected:
    TempDir home;
    TempDir source;
    ScriptedPrompter prompter;
    std::unique_ptr<TForm_zhu> w;

    void SetUp() override {
        {
            auto cat = store::Catalogue::create(home / "velkor.exs");
            auto def = [&](const char* name, const char* tag, const char* method, int flag) {
                store::Definition d;
                d.geshi = "自建";
                d.geshi_quancheng = "自建全称";
                d.leixing = "<txt>";
                d.guanjianzi = name;
                d.jiedian[0] = tag;
                d.pailie = method;
                d.yueding = flag;
                cat.add_definition(d);
            };
            def("<文章节点>", "PT ", "3", 1);
            def("作者", "AU ", "2", 0);
            cat.add_project({"A1", "自建", ""});
            cat.add_document({"A1", 1, "recs.txt", ""});
            cat.add_document({"A1", 2, source.path().string(), "TXT"});
        }
        fs::create_directory(home / "A1");
        write_file(home / "A1" / "recs.txt", "PT J\nAU Li M\n   Wu X\nPT J\nAU Zhou Q\n");
        write_file(source / "b.txt", "PT J\nAU Second\n");
        write_file(source / "a.TXT", "PT J\nAU First\n");
        w = std::make_unique<TForm_zhu>(home.path(), prompter, StartOptions{false});
        ASSERT_EQ(w->wenxian_rows.size(), 2u);
    }

    void select_document(int row) {
        w->DBGrid3->setCurrentIndex(w->DBGrid3_model->index(row, 0));
        ASSERT_EQ(w->document_row(), row);
    }
    // Value rows as "xuhao|wenzhangha|guanjianzi|zhi" in table order.
    V values() {
        V out;
        for (const auto& r : w->project_workspace()->select_values({})) {
            out.push_back(std::to_string(r.xuhao) + "|" + r.wenzhangha + "|" + r.guanjianzi + "|" +
                          r.zhi);
        }
        return out;
    }
};

// A project whose format has no definitions (no format type) gets nothing from the
// command: not even the check of its document, whose file is missing here.
TEST_F(ExtractCommand, NothingForAProjectWithoutFormatType) {
    w->catalogue->add_project({"B2", "无此格式", ""});
    w->catalogue->add_document({"B2", 1, "missing.txt", ""});
    w->open_project_query(1);
    ASSERT_EQ(w->selected_project()->bianhao, "B2");
    ASSERT_EQ(w->wenxian_rows.size(), 1u);
    select_document(0);
    w->SpeedButton16Click();
    EXPECT_TRUE(prompter.calls().empty());
    EXPECT_TRUE(w->project_workspace()->select_values({}).empty());

    // The same document under a project with a format: the check speaks.
    w->catalogue->add_project({"C3", "自建", ""});
    w->catalogue->add_document({"C3", 1, "missing.txt", ""});
    w->open_project_query(2);
    ASSERT_EQ(w->selected_project()->bianhao, "C3");
    select_document(0);
    w->SpeedButton16Click();
    EXPECT_EQ(prompter.texts(), V{"无相应的文档文件！\r"});
}

TEST_F(ExtractCommand, ExtractsAndAsksBeforeExtractingAgain) {
    select_document(0);
    w->SpeedButton16Click();
    EXPECT_TRUE(prompter.texts().empty());
    const V first{"1|0000000001|第一作者|Li M", "1|0000000001|作者|Li M", "1|0000000001|作者|Wu X",
                  "1|0000000002|第一作者|Zhou Q", "1|0000000002|作者|Zhou Q"};
    EXPECT_EQ(values(), first);

    select_document(1);
    w->SpeedButton16Click();
    V both = first;
    for (const char* v : {"2|0000000001|第一作者|First", "2|0000000001|作者|First",
                          "2|0000000001|第一作者|Second", "2|0000000001|作者|Second"}) {
        both.push_back(v);
    }
    EXPECT_EQ(values(), both);

    // No keeps everything; Yes replaces the entry's rows only.
    select_document(0);
    prompter.answer(false);
    w->SpeedButton16Click();
    EXPECT_EQ(prompter.texts(), V{"已进行过相应的关键字提取工作，是否确认要重新进行？\r"});
    EXPECT_EQ(values(), both);
    write_file(home / "A1" / "recs.txt", "PT J\nAU New\n");
    prompter.answer(true);
    w->SpeedButton16Click();
    EXPECT_EQ(values(), (V{"2|0000000001|第一作者|First", "2|0000000001|作者|First",
                           "2|0000000001|第一作者|Second", "2|0000000001|作者|Second",
                           "1|0000000001|第一作者|New", "1|0000000001|作者|New"}));
}

TEST_F(ExtractCommand, MissingFileOrDirectoryIsRefusedWithoutJob) {
    fs::remove(home / "A1" / "recs.txt");
    select_document(0);
    w->SpeedButton16Click();
    fs::remove_all(source.path());
    select_document(1);
    w->SpeedButton16Click();
    EXPECT_EQ(prompter.texts(), (V{"无相应的文档文件！\r", "无相应的目录路径！\r"}));
    EXPECT_EQ(prompter.calls()[0].icon, Icon::error);
    EXPECT_TRUE(values().empty());
}

// While another program writes the project the window's writers are refused and change
// nothing; while the window only shows the project, another program may write it.
TEST_F(ExtractCommand, OneWriterAtATimeWindowAndOtherPrograms) {
    select_document(0);
    {
        store::Workspace other = store::Workspace::bind(home.path(), "A1");
        w->SpeedButton16Click();
        EXPECT_EQ(prompter.texts(), V{"项目正被另一个程序使用，请待其完成后再试！\r"});
        EXPECT_EQ(prompter.calls()[0].icon, Icon::error);
        // The statistics command too, before its question.
        w->ComboBox3->setCurrentIndex(0);
        w->SpeedButton11Click();
        EXPECT_EQ(prompter.texts().size(), 2u);
    }
    EXPECT_TRUE(values().empty());
    prompter.clear();

    w->SpeedButton16Click();
    ASSERT_EQ(values().size(), 5u);
    // The window shows the project and holds nothing: another program removes an entry
    // (a rewrite of the whole value table), and the window sees the result.
    {
        auto cat = store::Catalogue::open(home / "velkor.exs");
        auto other = projects::open_for_writing(cat, home.path(), "A1");
        projects::remove_document(cat, other, 1);
    }
    EXPECT_TRUE(values().empty());
    EXPECT_TRUE(prompter.texts().empty());
}

TEST_F(ExtractCommand, ARunThatReadsNothingSaysSoWithItsSummary) {
    write_file(source / "b.txt", "no record here\n");
    write_file(source / "a.TXT", "");
    select_document(1);
    w->SpeedButton16Click();
    EXPECT_EQ(prompter.texts(),
              V{"未从文档中读取到任何文章！\r读取文件 2 个，文章 0 篇，写入 0 行。\r"});
    EXPECT_EQ(prompter.calls()[0].icon, Icon::information);
    prompter.clear();

    // Files gone from the directory: nothing to read, and nothing is changed.
    write_file(source / "b.txt", "PT J\nAU Second\n");
    w->SpeedButton16Click();
    ASSERT_EQ(values().size(), 2u);
    fs::remove(source / "b.txt");
    fs::remove(source / "a.TXT");
    prompter.answer(true);
    w->SpeedButton16Click();
    EXPECT_EQ(prompter.texts(), (V{"已进行过相应的关键字提取工作，是否确认要重新进行？\r",
                                   "没有可读取的文档文件，原有的提取结果未作改动！\r"}));
    EXPECT_EQ(values().size(), 2u);
}

} // namespace

// A file of an XML format that is not well-formed XML is told with the information icon
// and gives no rows; the file after it in the directory is read.
TEST_F(ExtractCommand, FileThatIsNotXmlIsANotice) {
    for (const auto& [name, node, flag] : {std::tuple{"<文章节点>", "Rec", 1}, {"标题", "T", 0}}) {
        store::Definition d;
        d.geshi = "自建XML";
        d.leixing = "<xml>";
        d.guanjianzi = name;
        d.jiedian[0] = node;
        d.yueding = flag;
        w->catalogue->add_definition(d);
    }
    TempDir xml;
    write_file(xml / "a.xml", "<S><Rec><T>a &nbsp; b</T></Rec></S>");
    write_file(xml / "b.xml", "<S><Rec><T>b</T></Rec></S>");
    w->catalogue->add_project({"X1", "自建XML", ""});
    w->catalogue->add_document({"X1", 1, xml.path().string(), "XML"});
    w->open_project_query(1);
    ASSERT_EQ(w->selected_project()->bianhao, "X1");
    select_document(0);
    w->SpeedButton16Click();
    const std::string shown = (xml / "a.xml").string();
    EXPECT_EQ(prompter.texts(), V{"“" + shown + "”文件非<xml>格式，无法读取！\r"});
    ASSERT_EQ(prompter.calls().size(), 1u);
    EXPECT_EQ(prompter.calls()[0].kind, ScriptedPrompter::Kind::refuse);
    EXPECT_EQ(prompter.calls()[0].icon, Icon::information);
    EXPECT_EQ(values(), V{"1|0000000001|标题|b"});
}
