// The exports of the main window: the statistics workbook with its question and threshold,
// the value export of the browser's keyword, and the article report of a statistics row,
// a co-occurrence cell and the article basket.
#include "app/scripted_prompter.h"
#include "app/zhu.h"
#include "store/catalogue.h"
#include "store/workspace.h"
#include "support/temp_dir.h"
#include "support/window_home.h"
#include "support/xlsx_reader.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <memory>

using namespace lumacite;
using namespace lumacite::app;
using lumacite::testing::append_rows;
using lumacite::testing::make_catalogue;
using lumacite::testing::qs;
using lumacite::testing::read_file;
using lumacite::testing::read_xlsx;
using lumacite::testing::TempDir;
using Kind = ScriptedPrompter::Kind;
using Texts = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

class ExportCommands : public ::testing::Test {
protected:
    void SetUp() override {
        make_catalogue(home.path(), {{"T1", "WOS", ""}},
                       {{"T1", 1, "a.txt", ""}, {"T1", 2, "b.txt", ""}});
        append_rows(home.path(), "T1",
                    {{1, "A1", "作者", "Li"},
                     {1, "A1", "作者", "Wang"},
                     {1, "A2", "作者", "Li"},
                     {1, "A3", "作者", "Li"},
                     {1, "A3", "作者", "Zhang"},
                     {1, "A4", "作者", "Wang"},
                     {1, "A1", "标题", "First title"},
                     {1, "A1", "期刊", "J BIOL CHEM"},
                     {1, "A1", "年代", "2001"},
                     {1, "A3", "第一作者", "李四"}});
        window = std::make_unique<TForm_zhu>(home.path(), prompter, StartOptions{false});
        authors = window->ComboBox3->findText(qs("作者"));
        ASSERT_GE(authors, 0);
        prompter.clear();
    }

    void count_authors() {
        window->ComboBox3->setCurrentIndex(authors);
        prompter.answer(true);
        window->SpeedButton11Click();
        ASSERT_EQ(window->tongji_rows.size(), 3u); // Li 3, Wang 2, Zhang 1
        prompter.clear();
    }

    // The workbooks in exports/, in name order.
    std::vector<fs::path> exported() const {
        std::vector<fs::path> out;
        if (fs::exists(home / "exports")) {
            for (const auto& e : fs::directory_iterator(home / "exports")) {
                out.push_back(e.path());
            }
        }
        std::sort(out.begin(), out.end());
        return out;
    }

    std::string temp_txt() const { return text::gb18030_to_utf8(read_file(home / "temp.txt")); }

    TempDir home;
    ScriptedPrompter prompter;
    std::unique_ptr<TForm_zhu> window;
    int authors = -1;
};

TEST_F(ExportCommands, EachExportMenuOffersTextASeparatorAndWorkbook) {
    for (QMenu* menu :
         {window->PopupMenu1, window->PopupMenu2, window->PopupMenu3, window->PopupMenu4}) {
        const auto actions = menu->actions();
        ASSERT_EQ(actions.size(), 3) << menu->objectName().toStdString();
        EXPECT_EQ(actions[0]->text(), qs("导出至txt文本"));
        EXPECT_TRUE(actions[1]->isSeparator());
        EXPECT_EQ(actions[2]->text(), qs("导出至excel"));
    }
}

TEST_F(ExportCommands, StatisticsWorkbookAfterTheQuestionDownToTheThreshold) {
    window->SpeedButton12Click(); // no statistics rows: nothing, no question
    EXPECT_TRUE(prompter.calls().empty());
    count_authors();

    prompter.answer(false);
    window->SpeedButton12Click();
    EXPECT_EQ(prompter.texts(), Texts{"确认要导出Excel文档吗？\r"});
    EXPECT_EQ(prompter.calls()[0].kind, Kind::ok_cancel);
    EXPECT_TRUE(exported().empty());

    // An empty threshold is shown as "0" and every row goes.
    prompter.clear();
    window->Edit4->setText(QString());
    prompter.answer(true);
    window->SpeedButton12Click();
    EXPECT_EQ(window->Edit4->text(), qs("0"));
    ASSERT_EQ(exported().size(), 1u);
    const auto first = exported()[0];
    EXPECT_TRUE(first.filename().string().starts_with("统计_作者_")) << first;
    ASSERT_EQ(prompter.calls().size(), 2u);
    EXPECT_EQ(prompter.calls()[1].kind, Kind::workbook);
    EXPECT_EQ(prompter.calls()[1].text, first.string());
    auto sheets = read_xlsx(first);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].row_count(), 4u);
    EXPECT_EQ(sheets[0].row_texts(4),
              (Texts{"         3", "Zhang", "         1", "16.6667", "100.0000"}));
    EXPECT_EQ(window->DBGrid5->currentIndex().row(), 2); // at the end

    // Threshold 2: two rows; the grid stands on the first row below it. A second export
    // of the same second gets a name of its own.
    prompter.clear();
    window->Edit4->setText(qs("2"));
    prompter.answer(true);
    window->SpeedButton12Click();
    ASSERT_EQ(exported().size(), 2u);
    const auto second = prompter.calls().back().text;
    EXPECT_NE(second, first.string());
    EXPECT_EQ(read_xlsx(second)[0].row_count(), 3u);
    EXPECT_EQ(window->DBGrid5->currentIndex().row(), 2);
    EXPECT_EQ(read_xlsx(first)[0].row_count(), 4u); // the earlier export stays
}

TEST_F(ExportCommands, ArticlesOfAStatisticsRow) {
    window->txt1Click(); // no rows: nothing
    EXPECT_TRUE(prompter.calls().empty());
    count_authors();
    window->DBGrid5->setCurrentIndex(QModelIndex()); // no row chosen: the first, Li
    window->txt1Click();
    EXPECT_EQ(prompter.calls().size(), 1u);
    EXPECT_EQ(prompter.calls()[0].kind, Kind::text_file);
    EXPECT_EQ(prompter.calls()[0].text, (home / "temp.txt").string());
    EXPECT_EQ(temp_txt(),
              "序号：1  文章号：A1  标题：First title  期刊：J BIOL CHEM  年代：2001\r\n"
              "序号：2  文章号：A2\r\n"
              "序号：3  文章号：A3  第一作者：李四\r\n");

    window->DBGrid5->setCurrentIndex(window->DBGrid5_model->index(1, 0)); // Wang
    window->txt1Click();
    EXPECT_EQ(temp_txt(),
              "序号：1  文章号：A1  标题：First title  期刊：J BIOL CHEM  年代：2001\r\n"
              "序号：2  文章号：A4\r\n");

    // The network map's double-click asks for the same text report of a value.
    ASSERT_TRUE(window->value_report);
    window->value_report("作者", "Zhang");
    EXPECT_EQ(temp_txt(), "序号：1  文章号：A3  第一作者：李四\r\n");

    prompter.clear();
    window->DBGrid5->setCurrentIndex(window->DBGrid5_model->index(0, 0)); // Li
    window->excel1Click();
    ASSERT_EQ(exported().size(), 1u);
    EXPECT_TRUE(exported()[0].filename().string().starts_with("文献_作者_Li_"));
    EXPECT_EQ(prompter.calls().back().kind, Kind::workbook);
    const auto sheets = read_xlsx(exported()[0]);
    ASSERT_EQ(sheets[0].row_count(), 4u);
    EXPECT_EQ(sheets[0].row_texts(2), (Texts{"1", "A1", "First title", " ", "J BIOL CHEM", "2001",
                                             " ", " ", "J Biol Chem|2001| | | |A1|"}));
}

TEST_F(ExportCommands, ArticlesOfACooccurrenceCellAfterTheQuestion) {
    count_authors();
    window->ComboBox2Change(authors);
    window->PageControl1->setCurrentIndex(1);
    prompter.answer(true);
    window->SpeedButton7Click();
    prompter.clear();
    const auto* cells = window->StringGrid2_cells;
    ASSERT_EQ(cells->cell(1, 2), qs("1")); // Li × Wang
    ASSERT_EQ(cells->cell(3, 2), qs("0")); // Wang × Zhang
    auto current = [&](int column, int row) {
        window->StringGrid2->setCurrentIndex(window->StringGrid2_cells->index(row, column));
    };

    current(3, 2);
    window->MenuItem1Click(); // "0": nothing
    current(0, 0);
    window->MenuItem3Click(); // a header cell: nothing
    EXPECT_TRUE(prompter.calls().empty());

    current(1, 2);
    prompter.answer(false);
    window->MenuItem1Click();
    EXPECT_EQ(prompter.texts(), Texts{"是否要导出“第2行Wang”、“第1列Li”1篇共现文献的信息吗？\r"});
    EXPECT_FALSE(fs::exists(home / "temp.txt"));

    prompter.answer(true);
    window->MenuItem1Click();
    EXPECT_EQ(temp_txt(),
              "序号：1  文章号：A1  标题：First title  期刊：J BIOL CHEM  年代：2001\r\n");

    // The diagonal: every article of the value.
    current(1, 1);
    prompter.answer(true);
    window->MenuItem3Click();
    EXPECT_EQ(prompter.texts().back(), exported().at(0).string());
    EXPECT_TRUE(exported()[0].filename().string().starts_with("共现文献_作者_Li_Li_"));
    const auto sheets = read_xlsx(exported()[0]);
    ASSERT_EQ(sheets[0].row_count(), 4u);
    EXPECT_EQ(sheets[0].text(4, 2), "A3");
    EXPECT_EQ(sheets[0].text(4, 4), "李四");
}

TEST_F(ExportCommands, ValueExportOfTheBrowsersKeywordFromEveryDocument) {
    {
        auto ws = store::Workspace::bind(home.path(), "T1");
        ws.append_value(2, "B7", "作者", "张三");
        ws.close();
    }
    window->MenuItem7Click(); // no keyword chosen: nothing
    window->MenuItem8Click();
    EXPECT_TRUE(prompter.calls().empty());
    const int i = window->ComboBox1->findText(qs("作者"));
    ASSERT_GE(i, 0);
    window->ComboBox1->setCurrentIndex(i);
    window->ComboBox1Change(i);
    ASSERT_GT(window->DBGrid6_model->rowCount(), 0);

    window->MenuItem7Click();
    const auto text_file = home / "关键字“作者”值.txt";
    ASSERT_EQ(prompter.calls().size(), 1u);
    EXPECT_EQ(prompter.calls()[0].kind, Kind::text_file);
    EXPECT_EQ(prompter.calls()[0].text, text_file.string());
    // Document 2's value too, although the grid shows document 1.
    EXPECT_EQ(text::gb18030_to_utf8(read_file(text_file)),
              "Li\r\nWang\r\nLi\r\nLi\r\nZhang\r\nWang\r\n张三\r\n");

    window->MenuItem8Click();
    ASSERT_EQ(exported().size(), 1u);
    EXPECT_TRUE(exported()[0].filename().string().starts_with("值_作者_"));
    const auto sheets = read_xlsx(exported()[0]);
    ASSERT_EQ(sheets.size(), 1u);
    ASSERT_EQ(sheets[0].row_count(), 8u);
    EXPECT_EQ(sheets[0].row_texts(8), (Texts{"7", "B7", "作者", "张三"}));
}

TEST_F(ExportCommands, ArticlesOfTheBasketInBasketOrder) {
    window->MenuItem4Click();
    window->MenuItem6Click();
    EXPECT_EQ(prompter.texts(), (Texts{"请选择（利用鼠标双击或键盘录入）要导出的文章号！",
                                       "请选择（利用鼠标双击或键盘录入）要导出的文章号！"}));
    EXPECT_EQ(prompter.calls()[0].icon, Icon::information);
    EXPECT_FALSE(fs::exists(home / "temp.txt"));
    EXPECT_TRUE(exported().empty());

    window->ListBox2->addItems({qs("A3"), qs("A9"), qs("A1")});
    prompter.clear();
    window->MenuItem4Click();
    EXPECT_EQ(temp_txt(),
              "序号：1  文章号：A3  第一作者：李四\r\n"
              "序号：2  文章号：A9\r\n"
              "序号：3  文章号：A1  标题：First title  期刊：J BIOL CHEM  年代：2001\r\n");
    window->MenuItem6Click();
    ASSERT_EQ(exported().size(), 1u);
    EXPECT_EQ(read_xlsx(exported()[0])[0].row_texts(3),
              (Texts{"2", "A9", " ", " ", " ", " ", " ", " ", " | | | | |A9|"}));
}

} // namespace
