// The lower half of page 提取: choosing a keyword, the filter, the sort mark cycle, the
// article basket, and the value and removal dialogs with the grid refreshed and positioned
// after each change. The grid's model is watched by QAbstractItemModelTester throughout.
#include "app/guanjianzi_shanchu.h"
#include "app/guanjianzi_xiugai.h"
#include "app/scripted_prompter.h"
#include "app/zhu.h"
#include "messages.h"
#include "store/catalogue.h"
#include "store/workspace.h"
#include "support/modal.h"
#include "support/temp_dir.h"
#include "support/window_home.h"

#include <QAbstractItemModelTester>
#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

using namespace lumacite;
using namespace lumacite::app;
using lumacite::testing::append_rows;
using lumacite::testing::make_catalogue;
using lumacite::testing::on_dialog;
using lumacite::testing::pair_lines;
using lumacite::testing::qs;
using lumacite::testing::TempDir;
using V = std::vector<std::string>;

namespace {

const char* const plus_all = "全部主题词＋副主题词";

class ValuesBrowser : public ::testing::Test {
protected:
    void SetUp() override {
        // E0 has no documents.
        make_catalogue(home.path(), {{"E0", "WOS", ""}, {"T1", "WOS", ""}, {"X1", "PubMed", ""}},
                       {{"T1", 1, "a.txt", ""}, {"T1", 2, "b.txt", ""}, {"X1", 1, "p.xml", ""}});
        append_rows(home.path(), "T1",
                    {{1, "A1", "作者", "Li"},
                     {1, "A1", "作者", "Wang"},
                     {1, "A2", "作者", "张三"},
                     {1, "A3", "作者", "Li"},
                     {2, "B1", "作者", "Li"},
                     {1, "A3", "期刊", "Li"}});
        append_rows(home.path(), "X1",
                    {{1, "P1", "主要主题词＋副主题词", "D / q"},
                     {1, "P1", "次要主题词＋副主题词", "D / q"},
                     {1, "P2", "次要主题词＋副主题词", "E"},
                     {1, "P2", "主要主题词－副主题词", "E"}});
        w = std::make_unique<TForm_zhu>(home.path(), prompter, StartOptions{false});
        tester = std::make_unique<QAbstractItemModelTester>(
            w->DBGrid6_model, QAbstractItemModelTester::FailureReportingMode::Fatal);
        select_project("T1");
    }

    void select_project(const std::string& number) {
        for (std::size_t i = 0; i < w->xiangmu_rows.size(); ++i) {
            if (w->xiangmu_rows[i].bianhao == number) {
                w->open_project_query(static_cast<int>(i));
            }
        }
        ASSERT_EQ(w->selected_project()->bianhao, number);
    }
    void choose(const char* keyword) {
        const int i = w->ComboBox1->findText(qs(keyword));
        ASSERT_GE(i, 0) << keyword;
        w->ComboBox1->setCurrentIndex(i);
        w->ComboBox1Change(i);
    }
    // The grid as "article|value" lines.
    V grid() const { return pair_lines(*w->DBGrid6_model); }
    void set_row(int row) { w->DBGrid6->setCurrentIndex(w->DBGrid6_model->index(row, 0)); }
    std::string title() const { return w->DBGrid6_model->title(1).toStdString(); }
    std::string count() const { return w->Label3->text().toStdString(); }
    V basket() const {
        V out;
        for (int i = 0; i < w->ListBox2->count(); ++i) {
            out.push_back(w->ListBox2->item(i)->text().toStdString());
        }
        return out;
    }
    V stored(const char* number) {
        auto ws = store::Workspace::bind(home.path(), number);
        V out;
        for (const auto& r : ws.select_values({})) {
            out.push_back(std::to_string(r.xuhao) + "|" + r.wenzhangha + "|" + r.guanjianzi + "|" +
                          r.zhi);
        }
        return out;
    }

    TempDir home;
    ScriptedPrompter prompter;
    std::unique_ptr<TForm_zhu> w;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(ValuesBrowser, KeywordFilterAndTheSortMarkCycle) {
    // A click on the value title before any keyword changes the title and runs nothing.
    w->DBGrid6TitleClick(1);
    EXPECT_EQ(title(), "▲ 值");
    EXPECT_EQ(w->DBGrid6_model->rowCount(), 0);

    choose("作者");
    EXPECT_EQ(title(), "值");
    EXPECT_EQ(grid(), (V{"A1|Li", "A1|Wang", "A2|张三", "A3|Li"}));
    EXPECT_EQ(count(), "4");

    w->DBGrid6TitleClick(0); // the article column does not react
    EXPECT_EQ(title(), "值");
    w->DBGrid6TitleClick(1);
    EXPECT_EQ(title(), "▲ 值");
    EXPECT_EQ(grid(), (V{"A1|Li", "A3|Li", "A1|Wang", "A2|张三"}));
    w->DBGrid6TitleClick(1);
    EXPECT_EQ(title(), "▼ 值");
    EXPECT_EQ(grid(), (V{"A2|张三", "A1|Wang", "A1|Li", "A3|Li"}));

    // "仅同值" takes the current row's value; the mark stays, the count follows.
    set_row(2);
    w->RadioButton2->setChecked(true);
    w->RadioButton2Click();
    EXPECT_EQ(grid(), (V{"A1|Li", "A3|Li"}));
    EXPECT_EQ(count(), "2");
    EXPECT_EQ(title(), "▼ 值");
    w->DBGrid6TitleClick(1);
    EXPECT_EQ(title(), "值");
    EXPECT_EQ(count(), "2");

    // "全部" chooses the keyword again: all rows, unsorted, no mark.
    w->DBGrid6TitleClick(1);
    w->RadioButton1Click();
    EXPECT_TRUE(w->RadioButton1->isChecked());
    EXPECT_EQ(title(), "值");
    EXPECT_EQ(grid(), (V{"A1|Li", "A1|Wang", "A2|张三", "A3|Li"}));

    // Another document: the count returns to 0, the rows stay until a keyword is chosen.
    w->DBGrid3->setCurrentIndex(w->DBGrid3_model->index(1, 0));
    EXPECT_EQ(count(), "0");
    EXPECT_EQ(grid().size(), 4u);
    choose("作者");
    EXPECT_EQ(grid(), V{"B1|Li"});
}

TEST_F(ValuesBrowser, NothingToShowWithoutDocumentsOrRows) {
    select_project("E0");
    choose("作者");
    EXPECT_FALSE(w->zidian_query.has_value());
    EXPECT_EQ(count(), "0");
    w->RadioButton2Click();
    EXPECT_EQ(count(), "0");
    // Leaving the article-number field with the grid closed does nothing.
    w->Edit2->setText(qs("A1"));
    w->Edit2Exit();
    EXPECT_TRUE(basket().empty());
    // Neither dialog opens (a dialog would fail the test).
    w->SpeedButton17Click();
    w->SpeedButton18Click();
    EXPECT_TRUE(prompter.calls().empty());
}

TEST_F(ValuesBrowser, ArticleBasket) {
    choose("作者");
    set_row(2);
    w->DBGrid6DblClick();
    set_row(0);
    w->DBGrid6DblClick();
    set_row(3);
    w->DBGrid6DblClick();
    EXPECT_EQ(basket(), (V{"A2", "A1", "A3"}));
    // An article already there is selected, not added again.
    set_row(1);
    w->DBGrid6DblClick();
    EXPECT_EQ(basket(), (V{"A2", "A1", "A3"}));
    EXPECT_EQ(w->ListBox2->currentRow(), 1);

    // Leaving the article-number field stands on the first row of that article.
    w->Edit2->setText(qs("A3"));
    w->Edit2Exit();
    EXPECT_EQ(w->value_row(), 3);
    EXPECT_EQ(w->ListBox2->currentRow(), 2);
    w->Edit2->setText(qs("A"));
    w->Edit2Exit();
    EXPECT_EQ(w->value_row(), 3);

    // Double-clicking the basket removes the selected entry; the last one removed
    // leaves the new last one selected.
    w->ListBox2->setCurrentRow(0);
    w->ListBox2DblClick();
    EXPECT_EQ(basket(), (V{"A1", "A3"}));
    EXPECT_EQ(w->ListBox2->currentRow(), 0);
    w->ListBox2->setCurrentRow(1);
    w->ListBox2DblClick();
    EXPECT_EQ(basket(), V{"A1"});
    EXPECT_EQ(w->ListBox2->currentRow(), 0);
    // Selecting another project keeps the basket.
    select_project("X1");
    EXPECT_EQ(basket(), V{"A1"});
}

TEST_F(ValuesBrowser, ValueDialogRefusesThenChangesAndStandsOnTheChangedRow) {
    choose("作者");
    set_row(3);
    bool seen = false;
    on_dialog<TForm_guanjianzi_xiugai>([&](TForm_guanjianzi_xiugai& d) {
        seen = true;
        EXPECT_EQ(d.windowTitle(), qs("修改关键字段值"));
        EXPECT_EQ(d.Label1->text(), qs("关键字段：作者"));
        EXPECT_EQ(d.Label2->text(), qs("Li"));
        EXPECT_EQ(d.Edit1->text(), qs("Li"));
        EXPECT_TRUE(d.RadioButton1->isChecked());
        EXPECT_EQ(d.Label_note->text(),
                  qs("注意：以上操作一旦“确定”执行，将不可逆转，不可恢复，可慎重选择！"));
        EXPECT_EQ(d.RadioButton1->text(), qs("同值修改："));
        EXPECT_EQ(d.CheckBox1->text(), qs("批量修改"));
        EXPECT_EQ(d.RadioButton6->text(), qs("只保留“值”中从第"));
        EXPECT_EQ(d.RadioButton2->text(), qs("将“值”中从"));
        EXPECT_EQ(d.Edit4->text(), qs("0"));
        EXPECT_EQ(d.ComboBox1->currentText(), qs("大写"));
        EXPECT_EQ(d.ComboBox2->currentText(), qs("字母"));

        // Entering a field of operations 2 to 6 selects its row; the new value does not.
        QApplication::setActiveWindow(&d);
        const std::pair<QWidget*, QRadioButton*> entries[] = {{d.Edit7, d.RadioButton2},
                                                              {d.Edit2, d.RadioButton3},
                                                              {d.ComboBox1, d.RadioButton4},
                                                              {d.ComboBox2, d.RadioButton5},
                                                              {d.Edit5, d.RadioButton6}};
        for (const auto& [field, radio] : entries) {
            field->setFocus(Qt::TabFocusReason);
            QApplication::processEvents();
            EXPECT_TRUE(radio->isChecked()) << radio->objectName().toStdString();
        }
        d.Edit1->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        EXPECT_TRUE(d.RadioButton6->isChecked());

        // Operation 6 with an empty end: refused, the dialog stays with its input.
        d.Edit4->setText(qs("1"));
        d.Edit5->clear();
        d.Button1Click();
        EXPECT_TRUE(d.isVisible());
        // Operation 1 with a quote: refused when the field is left.
        d.RadioButton1->setChecked(true);
        d.Edit1->setText(qs("O'Li"));
        d.Edit2->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), d.Edit1);
        d.RadioButton1->setChecked(true);
        d.Edit1->setText(qs("李四"));
        d.Button1Click();
        EXPECT_FALSE(d.isVisible());
    });
    w->SpeedButton18Click();
    ASSERT_TRUE(seen);
    EXPECT_EQ(prompter.texts(),
              (V{"起、止两项都必须有值，且大于零！", "修改内容中不能包含“半角单引号”！"}));
    EXPECT_EQ(grid(), (V{"A1|Li", "A1|Wang", "A2|张三", "A3|李四"}));
    EXPECT_EQ(w->value_row(), 3);
    EXPECT_EQ(count(), "4");
}

TEST_F(ValuesBrowser, ChangesActOnTheDocumentTheGridShows) {
    choose("作者");
    set_row(1);
    w->DBGrid3->setCurrentIndex(w->DBGrid3_model->index(1, 0)); // document 2 selected
    on_dialog<TForm_guanjianzi_xiugai>([](TForm_guanjianzi_xiugai& d) {
        d.RadioButton4->setChecked(true);
        d.ComboBox1->setCurrentIndex(0);
        d.Button1Click();
    });
    w->SpeedButton18Click();
    EXPECT_EQ(stored("T1"), (V{"1|A1|作者|LI", "1|A1|作者|WANG", "1|A2|作者|张三", "1|A3|作者|LI",
                               "2|B1|作者|Li", "1|A3|期刊|Li"}));
}

TEST_F(ValuesBrowser, RemovalKeepsTheGridOnTheRowAbove) {
    choose("作者");
    // The first row: the grid stands on its new first row.
    set_row(0);
    on_dialog<TForm_guanjianzi_shanchu>([](TForm_guanjianzi_shanchu& d) {
        EXPECT_EQ(d.windowTitle(), qs("删除关键字段值"));
        EXPECT_EQ(d.Label1->text(), qs("关键字段：作者"));
        EXPECT_EQ(d.Label2->text(), qs("关键字段值：Li"));
        EXPECT_EQ(d.RadioButton3->text(), qs("当前行以下（包括本行）全部值"));
        EXPECT_TRUE(d.RadioButton1->isChecked());
        d.Button1Click();
    });
    w->SpeedButton17Click();
    EXPECT_EQ(grid(), (V{"A1|Wang", "A2|张三", "A3|Li"}));
    EXPECT_EQ(w->value_row(), 0);
    EXPECT_EQ(count(), "3");

    // "全部相同的值" on the last row removes "Li" from both documents; the count is the
    // shown document's, and the grid stands on the row that was above.
    set_row(2);
    on_dialog<TForm_guanjianzi_shanchu>([](TForm_guanjianzi_shanchu& d) {
        d.RadioButton2->setChecked(true);
        d.Button1Click();
    });
    w->SpeedButton17Click();
    EXPECT_EQ(grid(), (V{"A1|Wang", "A2|张三"}));
    EXPECT_EQ(w->value_row(), 1);
    EXPECT_EQ(count(), "2");
    EXPECT_EQ(stored("T1"), (V{"1|A1|作者|Wang", "1|A2|作者|张三", "1|A3|期刊|Li"}));

    // "当前行以下（包括本行）全部值" from the first row empties the grid.
    set_row(0);
    on_dialog<TForm_guanjianzi_shanchu>([](TForm_guanjianzi_shanchu& d) {
        d.RadioButton3->setChecked(true);
        d.Button1Click();
    });
    w->SpeedButton17Click();
    EXPECT_TRUE(grid().empty());
    EXPECT_EQ(count(), "0");
    EXPECT_EQ(stored("T1"), V{"1|A3|期刊|Li"});
}

// While another program writes the project, 确定 of either dialog shows its message,
// changes nothing and leaves the dialog open; the grid is still read meanwhile.
TEST_F(ValuesBrowser, DialogsAreRefusedWhileAnotherProgramWritesTheProject) {
    const V before = stored("T1");
    store::Workspace other = store::Workspace::bind(home.path(), "T1");
    choose("作者");
    EXPECT_EQ(count(), "4");
    set_row(1);
    on_dialog<TForm_guanjianzi_xiugai>([](TForm_guanjianzi_xiugai& d) {
        d.RadioButton4->setChecked(true);
        d.Button1Click();
        EXPECT_TRUE(d.isVisible());
        d.reject();
    });
    w->SpeedButton18Click();
    on_dialog<TForm_guanjianzi_shanchu>([](TForm_guanjianzi_shanchu& d) {
        d.RadioButton2->setChecked(true);
        d.Button1Click();
        EXPECT_TRUE(d.isVisible());
        d.reject();
    });
    w->SpeedButton17Click();
    const std::string busy = "项目正被另一个程序使用，请待其完成后再试！\r";
    EXPECT_EQ(prompter.texts(), (V{busy, busy}));
    EXPECT_EQ(prompter.calls()[1].icon, Icon::error);
    other.close();
    EXPECT_EQ(stored("T1"), before);
    EXPECT_EQ(grid(), (V{"A1|Li", "A1|Wang", "A2|张三", "A3|Li"}));
    EXPECT_EQ(w->value_row(), 1);
}

TEST_F(ValuesBrowser, MergedHeadingsOfXmlAreChangedOnTheirStoredRows) {
    select_project("X1");
    choose(plus_all);
    EXPECT_EQ(grid(), (V{"P1|D / q", "P2|E"}));
    set_row(0);
    on_dialog<TForm_guanjianzi_xiugai>([](TForm_guanjianzi_xiugai& d) {
        d.Edit1->setText(qs("D / Q"));
        d.Button1Click();
    });
    w->SpeedButton18Click();
    EXPECT_EQ(grid(), (V{"P1|D / Q", "P2|E"}));
    EXPECT_EQ(stored("X1"), (V{"1|P1|主要主题词＋副主题词|D / Q", "1|P1|次要主题词＋副主题词|D / Q",
                               "1|P2|次要主题词＋副主题词|E", "1|P2|主要主题词－副主题词|E"}));
}

} // namespace
