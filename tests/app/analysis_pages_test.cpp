// The statistics and matrix pages: counting, the keyword synchronisation of the two
// lists, the default bounds, generation of each matrix, the quick check and the export.
#include "app/scripted_prompter.h"
#include "app/zhu.h"
#include "store/catalogue.h"
#include "store/workspace.h"
#include "support/temp_dir.h"
#include "support/window_home.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace lumacite;
using namespace lumacite::app;
using lumacite::testing::append_rows;
using lumacite::testing::make_catalogue;
using lumacite::testing::qs;
using lumacite::testing::read_file;
using lumacite::testing::TempDir;
using Kind = ScriptedPrompter::Kind;

namespace {

class AnalysisPages : public ::testing::Test {
protected:
    void SetUp() override {
        make_catalogue(home.path(), {{"T1", "WOS", ""}, {"T2", "WOS", ""}});
        append_rows(home.path(), "T1",
                    {{1, "A1", "作者", "Li"},
                     {1, "A1", "作者", "Wang"},
                     {1, "A2", "作者", "Li"},
                     {1, "A3", "作者", "Li"},
                     {1, "A3", "作者", "Zhang"},
                     {1, "A4", "作者", "Wang"}});
        window = std::make_unique<TForm_zhu>(home.path(), prompter, StartOptions{false});
        authors = window->ComboBox3->findText(qs("作者"));
        journals = window->ComboBox3->findText(qs("期刊"));
        ASSERT_GE(authors, 0);
        ASSERT_GE(journals, 0);
        prompter.clear();
    }

    // Chooses an entry as a user does: the list drops down, the entry is marked and Enter
    // takes it (also when it is the entry already shown).
    static void choose(QComboBox* list, int index) {
        list->showPopup();
        QAbstractItemView* view = list->view();
        view->setCurrentIndex(view->model()->index(index, 0));
        QTest::keyClick(view, Qt::Key_Return);
        EXPECT_EQ(list->currentIndex(), index);
    }

    void count_authors() {
        window->ComboBox3->setCurrentIndex(authors);
        prompter.answer(true);
        window->SpeedButton11Click();
    }

    QString grid5(int row, int column) const {
        const auto* m = window->DBGrid5_model;
        return m->data(m->index(row, column), Qt::DisplayRole).toString();
    }

    TempDir home;
    ScriptedPrompter prompter;
    std::unique_ptr<TForm_zhu> window;
    int authors = -1;
    int journals = -1;
};

TEST_F(AnalysisPages, CountingShowsTheRowsAndAsksAgainTheSecondTime) {
    count_authors();
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{"是否要对“作者”进行统计工作？\r"});
    ASSERT_EQ(window->DBGrid5_model->rowCount(), 3);
    EXPECT_EQ(grid5(0, 0), qs("         1"));
    EXPECT_EQ(grid5(0, 1), qs("Li"));
    EXPECT_EQ(grid5(0, 2), qs("         3"));
    EXPECT_EQ(grid5(0, 3), qs("50.0000"));
    EXPECT_EQ(grid5(2, 1), qs("Zhang"));
    EXPECT_EQ(grid5(2, 4), qs("100.0000"));
    // The matrix page's list follows, its bounds do not.
    EXPECT_EQ(window->ComboBox2->currentIndex(), authors);
    EXPECT_EQ(window->Edit3->text(), qs("1"));

    prompter.clear();
    prompter.answer(false);
    window->SpeedButton11Click();
    EXPECT_EQ(prompter.texts(),
              std::vector<std::string>{"已做过“作者”统计工作，是否重新进行统计？\r"});
    EXPECT_EQ(window->DBGrid5_model->rowCount(), 3);
}

TEST_F(AnalysisPages, SelectingAnotherProjectClosesTheStatisticsRows) {
    count_authors();
    ASSERT_EQ(window->DBGrid5_model->rowCount(), 3);
    window->open_project_query(1); // T2
    ASSERT_EQ(window->Edit1->text(), qs("T2"));
    EXPECT_EQ(window->DBGrid5_model->rowCount(), 0);
    EXPECT_TRUE(window->tongji_rows.empty());
}

TEST_F(AnalysisPages, ZeroMessageLeavesNoRows) {
    window->ComboBox3->setCurrentIndex(journals);
    prompter.answer(true);
    window->SpeedButton11Click();
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{"是否要对“期刊”进行统计工作？\r",
                                        "无相应关键字的提取信息，统计结果为零！\r"}));
    EXPECT_EQ(window->DBGrid5_model->rowCount(), 0);
}

TEST_F(AnalysisPages, KeywordChoiceSetsBoundsOrAsksForStatistics) {
    count_authors();
    prompter.clear();
    choose(window->ComboBox2, journals);
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{"请首先进行“期刊”的汇总统计工作！\r"});
    EXPECT_EQ(window->Edit3->text(), qs("0"));
    EXPECT_EQ(window->Edit5->text(), qs("0"));
    EXPECT_EQ(window->ComboBox3->currentIndex(), journals);

    prompter.clear();
    choose(window->ComboBox2, authors);
    EXPECT_TRUE(prompter.texts().empty());
    EXPECT_EQ(window->Edit3->text(), qs("1"));
    EXPECT_EQ(window->Edit5->text(), qs("3"));
    EXPECT_EQ(window->ComboBox3->currentIndex(), authors);
    EXPECT_EQ(window->DBGrid5_model->rowCount(), 3);
}

// After counting, the matrix page shows the counted keyword with its old bounds; choosing
// that keyword again sets them, and so does choosing the entry shown on the statistics page.
TEST_F(AnalysisPages, ChoosingTheKeywordAlreadyShownSetsTheBounds) {
    count_authors();
    ASSERT_EQ(window->ComboBox2->currentIndex(), authors);
    ASSERT_EQ(window->Edit5->text(), qs("1"));
    prompter.clear();
    choose(window->ComboBox2, authors);
    EXPECT_EQ(window->Edit3->text(), qs("1"));
    EXPECT_EQ(window->Edit5->text(), qs("3"));
    EXPECT_TRUE(prompter.texts().empty());

    // Generating right away selects every value.
    prompter.answer(true);
    window->SpeedButton7Click();
    EXPECT_EQ(window->ListBox_cipian,
              (std::vector<std::string>{"*\tA1\tA2\tA3\tA4", "Li\t1\t1\t1\t0", "Wang\t1\t0\t0\t1",
                                        "Zhang\t0\t0\t1\t0"}));

    // The statistics page: the rows shown again after they were read aside.
    window->DBGrid5_model->unbind();
    choose(window->ComboBox3, authors);
    EXPECT_EQ(window->DBGrid5_model->rowCount(), 3);
}

// The count fields take digits only, up to their length; the spin buttons step by one
// between 1 and 999.
TEST_F(AnalysisPages, CountFieldsTakeDigitsAndStepWithinTheirRange) {
    for (auto [field, length] :
         {std::pair{window->Edit3, 6}, std::pair{window->Edit5, 6}, std::pair{window->Edit4, 4}}) {
        SCOPED_TRACE(field->objectName().toStdString());
        EXPECT_EQ(field->text(), qs("1"));
        field->clear();
        QTest::keyClicks(field, qs("a1-b2 3.4x56!789"));
        EXPECT_EQ(field->text(), qs("123456789").left(length));
    }
    auto press = [](UpDown* spin, const char* button) {
        spin->findChild<QToolButton*>(qs(button))->click();
    };
    for (auto [spin, field] :
         {std::pair{window->UpDown1, window->Edit3}, std::pair{window->UpDown3, window->Edit5},
          std::pair{window->UpDown2, window->Edit4}}) {
        SCOPED_TRACE(field->objectName().toStdString());
        field->setText(qs("998"));
        press(spin, "up");
        EXPECT_EQ(field->text(), qs("999"));
        press(spin, "up");
        EXPECT_EQ(field->text(), qs("999"));
        field->setText(qs("2"));
        press(spin, "down");
        EXPECT_EQ(field->text(), qs("1"));
        press(spin, "down");
        EXPECT_EQ(field->text(), qs("1"));
        field->clear(); // an empty field counts as 0
        press(spin, "up");
        EXPECT_EQ(field->text(), qs("1"));
    }
}

TEST_F(AnalysisPages, EachTabGeneratesItsOwnMatrixAndExportsIt) {
    count_authors();
    window->ComboBox2Change(authors);
    EXPECT_EQ(window->Edit5->text(), qs("3"));
    prompter.clear();

    window->PageControl1->setCurrentIndex(1);
    prompter.answer(true);
    window->SpeedButton7Click();
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{"是否要对“作者”进行“共现矩阵”生成？\r"});
    const auto* co = window->StringGrid2_cells;
    ASSERT_EQ(co->column_count(), 4);
    EXPECT_EQ(co->cell(0, 0), qs("*"));
    EXPECT_EQ(co->cell(2, 0), qs("Wang"));
    EXPECT_EQ(co->cell(2, 1), qs("1")); // Li and Wang share A1
    EXPECT_EQ(co->cell(3, 3), qs("1"));
    EXPECT_EQ(window->ListBox_gongxian.size(), 4u);
    // The word–document tab is untouched.
    EXPECT_EQ(window->ListBox_cipian, std::vector<std::string>{"临时存储"});
    EXPECT_EQ(window->StringGrid1_cells->column_count(), 6);

    // Export with the word–document tab shown: its older lines, ".txt" appended.
    TempDir out;
    window->PageControl1->setCurrentIndex(0);
    prompter.choose(out / "m.txt");
    window->SpeedButton8Click();
    EXPECT_EQ(read_file(out / "m.txt.txt"), "\xC1\xD9\xCA\xB1\xB4\xE6\xB4\xA2\r\n");
    ASSERT_FALSE(prompter.calls().empty());
    EXPECT_EQ(prompter.calls().back().kind, Kind::save_file);
    EXPECT_EQ(prompter.calls().back().text, "命名或选择导出文件：");
    EXPECT_EQ(prompter.calls().back().filter, "TXT (*.txt)");

    // Bounds outside every count: no question is answered differently, nothing changes.
    window->Edit3->setText(qs("4"));
    prompter.answer(true);
    window->SpeedButton7Click();
    EXPECT_EQ(window->ListBox_cipian, std::vector<std::string>{"临时存储"});

    window->Edit3->setText(qs("2"));
    prompter.answer(true);
    window->SpeedButton7Click();
    EXPECT_EQ(
        window->ListBox_cipian,
        (std::vector<std::string>{"*\tA1\tA2\tA3\tA4", "Li\t1\t1\t1\t0", "Wang\t1\t0\t0\t1"}));
    EXPECT_EQ(window->StringGrid1_cells->cell(4, 2), qs("1"));
    EXPECT_EQ(window->ListBox_gongxian.size(), 4u);

    window->PageControl1->setCurrentIndex(1);
    prompter.choose(out / "c");
    window->SpeedButton8Click();
    EXPECT_EQ(read_file(out / "c.txt"), "*\tLi\tWang\tZhang\r\nLi\t3\t1\t1\r\nWang\t1\t2\t0\r\n"
                                        "Zhang\t1\t0\t1\r\n");
    EXPECT_EQ(prompter.unused_answers(), 0u);
}

TEST_F(AnalysisPages, GenerationReadsTheStatisticsOfTheProjectSelectedNow) {
    count_authors();
    window->ComboBox2Change(authors);
    window->open_project_query(1);
    ASSERT_EQ(window->selected_project()->bianhao, "T2");
    window->ComboBox2->setCurrentIndex(authors);
    prompter.clear();
    window->SpeedButton7Click();
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{"请首先进行“作者”的汇总统计工作！\r"});
    EXPECT_EQ(window->ListBox_cipian, std::vector<std::string>{"临时存储"});
}

} // namespace
