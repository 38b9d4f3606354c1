// The project page: add, select (boxes, keyword lists, binding), number, format and
// description edits, delete; every message answered by the scripted prompter.
#include "app/scripted_prompter.h"
#include "app/zhu.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace lumacite;
using namespace lumacite::app;
using lumacite::testing::TempDir;
using Kind = ScriptedPrompter::Kind;
using V = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

const V headings{"全部主题词＋副主题词", "全部主题词－副主题词", "主要主题词＋副主题词",
                 "主要主题词－副主题词", "次要主题词＋副主题词", "次要主题词－副主题词"};
const V citations{"<引文>", "<引文作者>", "<引文年代>", "<引文期刊>"};

V concat(std::initializer_list<V> parts) {
    V out;
    for (const auto& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

class ProjectPage : public ::testing::Test {
protected:
    TempDir home;
    ScriptedPrompter prompter;
    std::unique_ptr<TForm_zhu> w;

    void SetUp() override {
        ScriptedPrompter::set_failure_handler(
            [](const std::string& text) { ADD_FAILURE() << "unexpected question: " << text; });
        auto cat = store::Catalogue::create(home / "velkor.exs");
        define(cat, "PubMed", "<xml>",
               {{"<文章节点>", 1}, {"标题", 0}, {"<主题词>", 2}, {"作者", 0}});
        define(cat, "自建", "<txt>", {{"标题", 0}, {"<主题词>", 0}, {"<引文>", 1}, {"作者", 0}});
        define(cat, "WOS", "<txt>", {{"TI", 0}, {"AU", 0}, {"TI", 0}, {"<主题词>", 2}});
        prepare(cat);
    }
    // Rows the test needs before the window opens.
    virtual void prepare(store::Catalogue&) {}

    static void define(store::Catalogue& cat, const std::string& format, const std::string& type,
                       std::vector<std::pair<std::string, int>> keywords) {
        for (const auto& [keyword, flag] : keywords) {
            store::Definition d;
            d.geshi = format;
            d.geshi_quancheng = format + "全称";
            d.leixing = type;
            d.guanjianzi = keyword;
            d.yueding = flag;
            cat.add_definition(d);
        }
    }

    void open() { w = std::make_unique<TForm_zhu>(home.path(), prompter, StartOptions{false}); }
    store::Catalogue& cat() { return *w->catalogue; }

    V grid_numbers() {
        V out;
        for (int r = 0; r < w->DBGrid2_model->rowCount(); ++r) {
            out.push_back(w->DBGrid2_model->index(r, 0).data().toString().toStdString());
        }
        return out;
    }
    std::string selected_number() {
        const auto* p = w->selected_project();
        return p == nullptr ? "<none>" : p->bianhao;
    }
    void select(const std::string& number) {
        const V numbers = grid_numbers();
        const auto it = std::find(numbers.begin(), numbers.end(), number);
        ASSERT_NE(it, numbers.end()) << number;
        w->DBGrid2->setCurrentIndex(
            w->DBGrid2_model->index(static_cast<int>(it - numbers.begin()), 0));
        ASSERT_EQ(selected_number(), number);
    }
    static V items(const QComboBox* list) {
        V out;
        for (int i = 0; i < list->count(); ++i) {
            out.push_back(list->itemText(i).toStdString());
        }
        return out;
    }
    // The extraction list, after checking that the other two hold the same and that no
    // item is chosen in any of them.
    V keywords() {
        const V k = items(w->ComboBox1);
        EXPECT_EQ(items(w->ComboBox3), k);
        EXPECT_EQ(items(w->ComboBox2), k);
        EXPECT_EQ(w->ComboBox1->currentIndex(), -1);
        EXPECT_EQ(w->ComboBox3->currentIndex(), -1);
        EXPECT_EQ(w->ComboBox2->currentIndex(), -1);
        return k;
    }
    bool editable() {
        const bool number = !w->Edit1->isReadOnly();
        EXPECT_EQ(!w->Memo1->isReadOnly(), number);
        EXPECT_EQ(w->ComboBox_geshi_2->isEnabled(), number);
        return number;
    }
    void choose_format(const std::string& entry) {
        const int i = w->ComboBox_geshi_2->findText(qs(entry));
        ASSERT_GE(i, 0) << entry;
        w->ComboBox_geshi_2->setCurrentIndex(i);
        w->ComboBox_geshi_2Change(i);
    }
    void type_number(const std::string& text) {
        w->Edit1->setText(qs(text));
        w->Edit1Exit();
    }
    bool has_tables(const std::string& number) {
        const fs::path folder = home / number;
        return fs::is_regular_file(folder / ("zidian" + number + ".dbf")) &&
               fs::is_regular_file(folder / ("tongji" + number + ".dbf"));
    }
};

// ---- Add and the number box --------------------------------------------------------------

TEST_F(ProjectPage, AddTwiceMakesOnePlaceholderAndPutsTheFocusInTheNumberBox) {
    open();
    EXPECT_EQ(grid_numbers(), V{});
    EXPECT_FALSE(editable()); // no project: the boxes stay inert

    w->SpeedButton9Click();
    EXPECT_EQ(grid_numbers(), V{""});
    EXPECT_EQ(selected_number(), "");
    EXPECT_TRUE(editable());
    EXPECT_EQ(w->focusWidget(), w->Edit1);

    type_number("B1");
    EXPECT_EQ(grid_numbers(), V{"B1"});
    w->SpeedButton9Click();
    select("B1");
    w->SpeedButton9Click(); // the second press finds the placeholder and selects it
    EXPECT_EQ(grid_numbers(), (V{"", "B1"}));
    EXPECT_EQ(selected_number(), "");
    EXPECT_EQ(w->Edit1->text(), QString());
    EXPECT_EQ(cat().projects().size(), 2u);
    EXPECT_TRUE(prompter.calls().empty());
    // The placeholder has no folder: only B1's exists besides the catalogue.
    V entries;
    for (const auto& e : fs::directory_iterator(home.path())) {
        if (e.is_directory()) {
            entries.push_back(e.path().filename().string());
        }
    }
    EXPECT_EQ(entries, V{"B1"});
}

TEST_F(ProjectPage, NumberBoxRefusesWithItsFourMessagesAndKeepsTheFocus) {
    open();
    w->SpeedButton9Click();
    struct Case {
        std::string text;
        std::string message;
    };
    const std::vector<Case> cases{
        {"", "编号不应为空！\r"},
        {"   ", "编号不应为空！\r"},
        {"a 1", "编号不应包含空格！\r"},
        {"A-1", "编号只能采用数字和字母命名！\r"},
        {"项目1", "编号只能采用数字和字母命名！\r"},
        {"A1.", "编号只能采用数字和字母命名！\r"},
    };
    for (const auto& c : cases) {
        prompter.clear();
        w->Memo1->setFocus();
        type_number(c.text);
        ASSERT_EQ(prompter.calls().size(), 1u) << c.text;
        EXPECT_EQ(prompter.calls()[0].kind, Kind::refuse);
        EXPECT_EQ(prompter.calls()[0].icon, Icon::error);
        EXPECT_EQ(prompter.calls()[0].text, c.message) << c.text;
        EXPECT_EQ(w->focusWidget(), w->Edit1) << c.text;
        EXPECT_EQ(grid_numbers(), V{""}) << "nothing is stored for " << c.text;
    }

    // Small letters are accepted and stored as typed.
    prompter.clear();
    type_number("ab12");
    EXPECT_TRUE(prompter.calls().empty());
    EXPECT_EQ(grid_numbers(), V{"ab12"});
    EXPECT_EQ(selected_number(), "ab12");
    EXPECT_TRUE(has_tables("ab12"));
    ASSERT_TRUE(w->workspace.has_value());
    EXPECT_EQ(w->workspace->number(), "ab12");

    // A number another project carries is refused last.
    w->SpeedButton9Click();
    type_number("ab12");
    EXPECT_EQ(prompter.texts(), V{"编号重复！\r"});
    EXPECT_EQ(w->focusWidget(), w->Edit1);
    EXPECT_EQ(grid_numbers(), (V{"", "ab12"}));
    EXPECT_EQ(selected_number(), "");
}

class ExistingProjects : public ProjectPage {
protected:
    void prepare(store::Catalogue& cat) override {
        cat.add_project({"A1", "自建", "甲"});
        cat.add_project({"C3", "PubMed", ""});
        cat.add_project({"D4", "无此格式", ""});
        cat.add_project({"E5", "WOS", ""});
        cat.add_project({"F6", "自建", "有文档"});
        cat.add_document({"F6", 1, "x.txt", ""});
    }
};

TEST_F(ExistingProjects, RenumberingBindsTheNewFolderAndLeavesTheOldOne) {
    open();
    EXPECT_EQ(selected_number(), "A1");
    fs::path old_table = home / "A1" / "zidianA1.dbf";
    ASSERT_TRUE(fs::exists(old_table));
    lumacite::testing::write_file(home / "A1" / "keep.txt", "x");

    type_number("B2");
    EXPECT_TRUE(prompter.calls().empty());
    EXPECT_EQ(grid_numbers(), (V{"B2", "C3", "D4", "E5", "F6"}));
    EXPECT_EQ(selected_number(), "B2");
    EXPECT_EQ(w->Edit1->text(), QStringLiteral("B2"));
    EXPECT_TRUE(has_tables("B2"));
    EXPECT_TRUE(fs::exists(old_table));
    EXPECT_TRUE(fs::exists(home / "A1" / "keep.txt"));
    ASSERT_TRUE(w->workspace.has_value());
    EXPECT_EQ(w->workspace->number(), "B2");
    EXPECT_EQ(w->workspace->value_record_count(), 0u);
    const auto project = cat().find_project("B2");
    ASSERT_TRUE(project.has_value());
    EXPECT_EQ(project->geshi, "自建");
    EXPECT_EQ(project->shuoming, "甲");
}

TEST_F(ExistingProjects, ProjectWithADocumentKeepsItsFieldsFixed) {
    open();
    EXPECT_TRUE(editable());
    select("F6");
    EXPECT_FALSE(editable());
    EXPECT_EQ(w->Edit1->text(), QStringLiteral("F6"));
    EXPECT_EQ(w->Memo1->toPlainText(), QStringLiteral("有文档"));
    EXPECT_EQ(w->ComboBox_geshi_2->currentText(), QStringLiteral("自建·自建全称·<txt>"));
    ASSERT_EQ(w->DBGrid3_model->rowCount(), 1);
    EXPECT_EQ(w->DBGrid3_model->index(0, 1).data().toString(), QStringLiteral("x.txt"));

    // Even a programmatic change of the boxes stores nothing.
    type_number("G7");
    w->Memo1->setPlainText(QStringLiteral("改"));
    w->Memo1Exit();
    w->ComboBox_geshi_2Change(w->ComboBox_geshi_2->findText(QStringLiteral("WOS·WOS全称·<txt>")));
    EXPECT_TRUE(prompter.calls().empty());
    const auto project = cat().find_project("F6");
    ASSERT_TRUE(project.has_value());
    EXPECT_EQ(project->geshi, "自建");
    EXPECT_EQ(project->shuoming, "有文档");
    EXPECT_FALSE(cat().find_project("G7").has_value());
}

// ---- Keyword lists ------------------------------------------------------------------------

TEST_F(ExistingProjects, KeywordListsFollowTheFormatRules) {
    open();
    // A "<txt>" format: the six combinations stand where "<主题词>" stood; structural
    // definitions are left out.
    EXPECT_EQ(keywords(), concat({{"标题"}, headings, {"作者", "第一作者"}}));

    // PubMed ("<xml>"): the six combinations first, only ordinary definitions.
    select("C3");
    EXPECT_EQ(keywords(), concat({headings, {"标题", "作者", "第一作者"}}));

    // A format with no definitions at all.
    select("D4");
    EXPECT_EQ(keywords(), V{"第一作者"});

    // WOS not of type "<xml>": its keywords once each, the four citation items, then
    // "第一作者"; subject-heading definitions (flag 2) are left out.
    select("E5");
    EXPECT_EQ(keywords(), concat({{"TI", "AU"}, citations, {"第一作者"}}));
    EXPECT_EQ(w->ComboBox_geshi_2->currentText(), QStringLiteral("WOS·WOS全称·<txt>"));

    // The format box of a format that is not listed shows no item.
    select("D4");
    EXPECT_EQ(w->ComboBox_geshi_2->currentIndex(), -1);

    // The placeholder keeps the lists of the project selected before.
    w->SpeedButton9Click();
    EXPECT_EQ(selected_number(), "");
    EXPECT_EQ(keywords(), V{"第一作者"});
}

TEST_F(ExistingProjects, EditingTheFormatRefillsTheKeywordLists) {
    open();
    choose_format("PubMed·PubMed全称·<xml>");
    EXPECT_EQ(selected_number(), "A1");
    EXPECT_EQ(cat().find_project("A1")->geshi, "PubMed");
    EXPECT_EQ(w->DBGrid2_model->index(0, 1).data().toString(), QStringLiteral("PubMed"));
    EXPECT_EQ(keywords(), concat({headings, {"标题", "作者", "第一作者"}}));
    EXPECT_EQ(w->ComboBox_geshi_2->currentText(), QStringLiteral("PubMed·PubMed全称·<xml>"));
}

TEST_F(ExistingProjects, EditingTheDescriptionStoresItWhenItChanged) {
    open();
    w->Memo1->setPlainText(QStringLiteral("第一行\n第二行"));
    w->Memo1Exit();
    EXPECT_EQ(cat().find_project("A1")->shuoming, "第一行\n第二行");
    EXPECT_EQ(w->DBGrid2_model->index(0, 2).data().toString(), QStringLiteral("第一行\n第二行"));
    EXPECT_EQ(selected_number(), "A1");
    EXPECT_TRUE(prompter.calls().empty());
}

// ---- Delete ---------------------------------------------------------------------------------

TEST_F(ExistingProjects, DeleteAsksWithTheExactTextAndRemovesTheFolder) {
    open();
    lumacite::testing::write_file(home / "A1" / "copy.txt", "x");
    fs::create_directories(home / "A1" / "sub" / ".hidden");
    fs::permissions(home / "A1" / "copy.txt", fs::perms::owner_read);
    const std::string question =
        "确认删除当前所选择的“A1”项目吗？\r\r项目所包含的所有提取、统计数据都将被删除。\r"
        "包括项目文件夹“" +
        (home / "A1").string() + "”也将一并删除！\r且不可恢复回收！\r";

    // Cancel changes nothing.
    prompter.answer(false);
    w->SpeedButton10Click();
    ASSERT_EQ(prompter.calls().size(), 1u);
    EXPECT_EQ(prompter.calls()[0].kind, Kind::ok_cancel);
    EXPECT_EQ(prompter.calls()[0].text, question);
    EXPECT_TRUE(fs::exists(home / "A1" / "copy.txt"));
    EXPECT_EQ(grid_numbers().size(), 5u);

    prompter.clear();
    prompter.answer(true);
    w->SpeedButton10Click();
    EXPECT_EQ(prompter.texts(), V{question});
    EXPECT_FALSE(fs::exists(home / "A1"));
    EXPECT_EQ(grid_numbers(), (V{"C3", "D4", "E5", "F6"}));
    EXPECT_EQ(selected_number(), "C3");
    ASSERT_TRUE(w->workspace.has_value());
    EXPECT_EQ(w->workspace->number(), "C3");
    EXPECT_TRUE(fs::exists(home / "velkor.exs"));

    // A project's document entries go with it.
    select("F6");
    prompter.answer(true);
    w->SpeedButton10Click();
    EXPECT_FALSE(cat().has_documents("F6"));
    EXPECT_FALSE(fs::exists(home / "F6"));
}

TEST_F(ExistingProjects, DeletingThePlaceholderRemovesNoFolder) {
    open();
    for (const char* n : {"C3", "D4", "E5", "F6"}) {
        select(n);
    }
    w->SpeedButton9Click();
    prompter.answer(true);
    w->SpeedButton10Click();
    ASSERT_EQ(prompter.calls().size(), 1u);
    EXPECT_NE(prompter.calls()[0].text.find("“”项目吗？"), std::string::npos);
    EXPECT_EQ(grid_numbers(), (V{"A1", "C3", "D4", "E5", "F6"}));
    EXPECT_EQ(selected_number(), "A1");
    EXPECT_TRUE(fs::exists(home / "velkor.exs"));
    for (const char* n : {"A1", "C3", "D4", "E5", "F6"}) {
        EXPECT_TRUE(has_tables(n)) << n;
    }
}

TEST_F(ExistingProjects, AFolderRemovalFailureIsReportedAfterTheRowsAreGone) {
    open();
    fs::remove_all(home / "A1"); // removed outside the program after it was bound
    prompter.answer(true);
    w->SpeedButton10Click();
    ASSERT_EQ(prompter.calls().size(), 2u);
    EXPECT_EQ(prompter.calls()[1].kind, Kind::refuse);
    EXPECT_EQ(
        prompter.calls()[1].text.rfind("无法删除项目文件夹中的：" + (home / "A1").string(), 0), 0u)
        << prompter.calls()[1].text;
    EXPECT_FALSE(cat().find_project("A1").has_value());
    EXPECT_EQ(selected_number(), "C3");
}

TEST_F(ProjectPage, DeletingTheLastProjectClearsTheBoxesAndTheBinding) {
    {
        auto cat = store::Catalogue::open(home / "velkor.exs");
        cat.add_project({"A1", "自建", "说明"});
    }
    open();
    prompter.answer(true);
    w->SpeedButton10Click();
    EXPECT_EQ(grid_numbers(), V{});
    EXPECT_FALSE(w->workspace.has_value());
    EXPECT_EQ(w->Edit1->text(), QString());
    EXPECT_EQ(w->Memo1->toPlainText(), QString());
    EXPECT_EQ(w->ComboBox_geshi_2->currentIndex(), -1);
    EXPECT_FALSE(editable());
    // With no project every other command does nothing.
    prompter.clear();
    w->SpeedButton10Click();
    type_number("Z9");
    EXPECT_TRUE(prompter.calls().empty());
}

} // namespace
