// The buttons "词表清洗" and "相似值" of page 提取: a thesaurus file previewed (faults shown by
// line, nothing changed), confirmed and applied with the grid shown again; similar values
// grouped, ticked, merged and saved as a thesaurus.
#include "app/scripted_prompter.h"
#include "app/similar_dialog.h"
#include "app/thesaurus_dialog.h"
#include "app/zhu.h"
#include "messages.h"
#include "store/catalogue.h"
#include "store/workspace.h"
#include "support/modal.h"
#include "support/temp_dir.h"
#include "support/window_home.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

#include <fstream>
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

class CleaningDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        make_catalogue(home.path(), {{"T1", "WOS", ""}},
                       {{"T1", 1, "a.txt", ""}, {"T1", 2, "b.txt", ""}});
        append_rows(home.path(), "T1",
                    {{1, "A1", "作者", "Müller H"},
                     {1, "A1", "作者", "Smith J"},
                     {1, "A2", "作者", "Muller H"},
                     {1, "A3", "作者", "Muller H"},
                     {2, "B1", "作者", "Smith JA"},
                     {2, "B1", "作者", "Anon"}});
        w = std::make_unique<TForm_zhu>(home.path(), prompter, StartOptions{false});
        w->open_project_query(0);
        ASSERT_EQ(w->selected_project()->bianhao, "T1");
        const int i = w->ComboBox1->findText(qs("作者"));
        ASSERT_GE(i, 0);
        w->ComboBox1->setCurrentIndex(i);
        w->ComboBox1Change(i);
    }

    V grid() const { return pair_lines(*w->DBGrid6_model); }
    V stored() {
        auto ws = store::Workspace::open_read_only(home.path(), "T1");
        V out;
        for (const auto& r : ws.select_values({})) {
            out.push_back(std::to_string(r.xuhao) + "|" + r.wenzhangha + "|" + r.zhi);
        }
        return out;
    }
    std::string file(const std::string& content) {
        const auto path = home / "thesaurus.txt";
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }

    TempDir home;
    ScriptedPrompter prompter;
    std::unique_ptr<TForm_zhu> w;
};

TEST_F(CleaningDialogs, ThesaurusPreviewConfirmApply) {
    EXPECT_EQ(w->SpeedButton_thesaurus->text(), qs("词表清洗"));
    ASSERT_EQ(grid(), (V{"A1|Müller H", "A1|Smith J", "A2|Muller H", "A3|Muller H"}));
    const std::string bad = file("label\treplace by\nMuller H Müller H\n");
    bool seen = false;
    on_dialog<ThesaurusDialog>([&](ThesaurusDialog& d) {
        seen = true;
        EXPECT_EQ(d.Label_keyword->text(), qs("关键字段：作者"));
        EXPECT_EQ(d.Label_note->text(),
                  qs("注意：以上修改一旦执行，将不可逆转，不可恢复，可慎重选择！"));
        QAbstractItemModelTester tester(d.Grid_preview->model(),
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
        d.Edit_file->setText(QString::fromStdString(bad));
        d.Button_preview->click();
        EXPECT_EQ(
            prompter.texts(),
            (V{"词表文件有误，未做任何修改。请改正以下各行后再试：\n第2行：缺少制表符：每行应为"
               "“label”和“replace by”两列，以制表符分隔"}));
        EXPECT_FALSE(d.Button_apply->isEnabled());
        prompter.clear();

        d.Edit_file->setText(QString::fromStdString(
            file("label\treplace by\nMuller H\tMüller H\nAnon\t\nSmith J\tSmith JA\n")));
        d.Radio_document->setChecked(false);
        d.Button_preview->click();
        const auto* m = d.Grid_preview->model();
        ASSERT_EQ(m->rowCount(), 3);
        V rows;
        for (int r = 0; r < m->rowCount(); ++r) {
            rows.push_back(m->index(r, 0).data().toString().toStdString() + "|" +
                           m->index(r, 1).data().toString().toStdString() + "|" +
                           m->index(r, 2).data().toString().toStdString() + "|" +
                           m->index(r, 3).data().toString().toStdString());
        }
        EXPECT_EQ(rows, (V{"Muller H|Müller H|2|2", "Anon|（删除）|1|3", "Smith J|Smith JA|1|4"}));
        EXPECT_EQ(d.Label_summary->text(), qs("将按词表修改关键字段值3行，删除1行。"));
        ASSERT_TRUE(d.Button_apply->isEnabled());
        // Declined: nothing changes, the dialog stays.
        prompter.answer(false);
        d.Button_apply->click();
        EXPECT_TRUE(d.isVisible());
        prompter.answer(true);
        d.Button_apply->click();
        EXPECT_FALSE(d.isVisible());
    });
    w->SpeedButton_thesaurus->click();
    EXPECT_TRUE(seen);
    const std::string question =
        "将按词表修改关键字段值3行，删除1行。此操作一旦执行，将不可逆转，不可恢复！是否继续？";
    EXPECT_EQ(prompter.texts(), (V{question, question, "共修改3行，删除1行。"}));
    EXPECT_EQ(stored(), (V{"1|A1|Müller H", "1|A1|Smith JA", "1|A2|Müller H", "1|A3|Müller H",
                           "2|B1|Smith JA"}));
    EXPECT_EQ(grid(), (V{"A1|Müller H", "A1|Smith JA", "A2|Müller H", "A3|Müller H"}));
    EXPECT_EQ(w->Label3->text(), qs("4"));
}

TEST_F(CleaningDialogs, SimilarGroupsTickedMergedAndSaved) {
    EXPECT_EQ(w->SpeedButton_similar->text(), qs("相似值"));
    const auto saved = home / "merged.txt";
    bool seen = false;
    on_dialog<SimilarValuesDialog>([&](SimilarValuesDialog& d) {
        seen = true;
        EXPECT_TRUE(d.Check_authors->isChecked()); // an author keyword
        ASSERT_EQ(d.Tree_groups->topLevelItemCount(), 2);
        auto* same = d.Tree_groups->topLevelItem(0);
        auto* initials = d.Tree_groups->topLevelItem(1);
        EXPECT_EQ(same->text(2), qs("写法相同"));
        EXPECT_EQ(same->text(3), qs("Muller H"));
        ASSERT_EQ(same->childCount(), 2);
        EXPECT_EQ(same->child(0)->text(0) + "=" + same->child(0)->text(1), qs("Muller H=2"));
        EXPECT_EQ(same->child(1)->text(0) + "=" + same->child(1)->text(1), qs("Müller H=1"));
        EXPECT_EQ(initials->text(2), qs("缩写相容"));
        EXPECT_EQ(d.Label_summary->text(), qs("2 组"));

        d.Button_apply->click(); // nothing ticked yet
        EXPECT_EQ(prompter.texts(), V{msg::similar_nothing_ticked});
        prompter.clear();

        same->setCheckState(0, Qt::Checked);
        same->setText(3, qs("Müller H")); // the user's own form
        initials->setCheckState(0, Qt::Checked);
        initials->child(1)->setCheckState(0, Qt::Unchecked); // "Smith JA": only the form is left
        prompter.choose(saved);
        d.Button_save->click();

        initials->setCheckState(0, Qt::Unchecked);
        prompter.answer(true);
        d.Button_apply->click();
        EXPECT_EQ(d.Label_summary->text(), qs("1 组")); // read again: the initials group left
        d.reject();
    });
    w->SpeedButton_similar->click();
    EXPECT_TRUE(seen);
    std::ifstream in(saved, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}),
              "label\treplace by\nMuller H\tMüller H\n");
    EXPECT_EQ(
        prompter.texts(),
        (V{msg::similar_save_button,
           "将按词表修改关键字段值2行，删除0行。此操作一旦执行，将不可逆转，不可恢复！是否继续？",
           "共修改2行，删除0行。"}));
    EXPECT_EQ(grid(), (V{"A1|Müller H", "A1|Smith J", "A2|Müller H", "A3|Müller H"}));
}

} // namespace
