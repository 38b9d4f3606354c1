// The administrator page: format chooser, definition grid, the format and keyword
// dialogs, with every message and question answered by the scripted prompter.
#include "app/geshi.h"
#include "app/jiedian.h"
#include "app/scripted_prompter.h"
#include "app/zhu.h"
#include "support/modal.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace lumacite;
using namespace lumacite::app;
using lumacite::testing::on_dialog;
using lumacite::testing::TempDir;
using Kind = ScriptedPrompter::Kind;
using V = std::vector<std::string>;

namespace {

QString qs(const char* s) {
    return QString::fromUtf8(s);
}

// Fails the test when a command opens any dialog while the guard lives.
class NoDialog {
public:
    NoDialog() {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                ADD_FAILURE() << "unexpected dialog " << d->windowTitle().toStdString();
                d->reject();
            }
        });
        timer_.start(0);
    }

private:
    QTimer timer_;
};

store::Definition def(const std::string& format, const std::string& type,
                      const std::string& keyword, int flag) {
    store::Definition d;
    d.geshi = format;
    d.geshi_quancheng = format + "全称";
    d.leixing = type;
    d.guanjianzi = keyword;
    d.yueding = flag;
    return d;
}

class AdminPage : public ::testing::Test {
protected:
    TempDir home;
    ScriptedPrompter prompter;
    std::unique_ptr<TForm_zhu> w;

    void SetUp() override {
        {
            auto cat = store::Catalogue::create(home / "velkor.exs");
            cat.add_definition(def("PubMed", "<xml>", "<文章节点>", 1));
            cat.add_definition(def("PubMed", "<xml>", "标题", 0));
            cat.add_definition(def("PubMed", "<xml>", "<主题词>", 2));
            formats::add_format(cat, {"自建", "自建全称", "<txt>"});
        }
        w = std::make_unique<TForm_zhu>(home.path(), prompter, StartOptions{false});
    }

    store::Catalogue& cat() { return *w->catalogue; }
    int entry_index(const char* entry) { return w->ComboBox_geshi->findText(qs(entry)); }
    void choose(const char* entry) {
        const int i = entry_index(entry);
        ASSERT_GE(i, 0) << entry;
        w->ComboBox_geshi->setCurrentIndex(i);
    }
    V grid_keywords() {
        V out;
        for (int r = 0; r < w->DBGrid1_model->rowCount(); ++r) {
            out.push_back(w->DBGrid1_model->index(r, 0).data().toString().toStdString());
        }
        return out;
    }
    int grid_row() { return w->DBGrid1->currentIndex().row(); }
    void set_grid_row(const std::string& keyword) {
        const V k = grid_keywords();
        const auto it = std::find(k.begin(), k.end(), keyword);
        ASSERT_NE(it, k.end()) << keyword;
        w->DBGrid1->setCurrentIndex(w->DBGrid1_model->index(static_cast<int>(it - k.begin()), 0));
    }
    V project_box() {
        V out;
        for (int i = 0; i < w->ComboBox_geshi_2->count(); ++i) {
            out.push_back(w->ComboBox_geshi_2->itemText(i).toStdString());
        }
        return out;
    }
};

TEST_F(AdminPage, ChooserListsFormatsAndGridShowsTheChosenDefinitions) {
    EXPECT_EQ(w->ComboBox_geshi->count(), 2);
    EXPECT_EQ(w->ComboBox_geshi->currentIndex(), -1);
    EXPECT_EQ(w->DBGrid1_model->rowCount(), 0);
    choose("PubMed·PubMed全称·<xml>");
    EXPECT_EQ(grid_keywords(), (V{"<文章节点>", "标题", "<主题词>"}));
    EXPECT_EQ(w->DBGrid1_model->columnCount(), 7);
    EXPECT_EQ(grid_row(), 0);
}

TEST_F(AdminPage, AddFormatValidatesInTheDialogAndAppendsTheEntry) {
    choose("自建·自建全称·<txt>");
    const int before = w->ComboBox_geshi->currentIndex();
    on_dialog<TForm_geshi>([&](TForm_geshi& d) {
        EXPECT_EQ(d.windowTitle(), qs("增加·格式类型"));
        EXPECT_TRUE(d.RadioButton1->isChecked());
        EXPECT_EQ(d.Edit1->text(), QString());
        EXPECT_TRUE(d.Edit1->isEnabled());

        // Enter moves on like Tab and neither types nor confirms.
        d.Edit1->setFocus();
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(d.Edit1, &enter);
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.focusWidget(), d.Edit2);
        QApplication::sendEvent(d.Edit2, &enter);
        EXPECT_EQ(d.focusWidget(), d.RadioButton1);
        // Shift+Enter moves back as Shift+Tab does.
        QKeyEvent back(QEvent::KeyPress, Qt::Key_Return, Qt::ShiftModifier, QStringLiteral("\r"));
        QApplication::sendEvent(d.RadioButton1, &back);
        EXPECT_EQ(d.focusWidget(), d.Edit2);
        QApplication::sendEvent(d.Edit2, &back);
        EXPECT_EQ(d.focusWidget(), d.Edit1);
        EXPECT_TRUE(prompter.calls().empty());

        d.Edit1->setText(QStringLiteral("  "));
        d.Edit2->setText(qs("全称甲"));
        d.Button1->click();
        EXPECT_TRUE(d.isVisible());
        d.Edit1->setText(qs("自建"));
        d.RadioButton2->setChecked(true);
        d.Button1->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.Edit2->text(), qs("全称甲")); // input kept
        d.Edit1->setText(qs("新格式"));
        d.Button1->click();
    });
    w->SpeedButton1Click();
    ASSERT_EQ(prompter.calls().size(), 2u);
    EXPECT_EQ(prompter.texts(), (V{"格式名称不应为空！\r", "格式名称重复！\r"}));
    EXPECT_EQ(prompter.calls()[0].kind, Kind::refuse);
    EXPECT_EQ(prompter.calls()[0].icon, Icon::error);

    EXPECT_EQ(w->ComboBox_geshi->count(), 3);
    EXPECT_EQ(w->ComboBox_geshi->itemText(2), qs("新格式·全称甲·<txt>"));
    EXPECT_EQ(w->ComboBox_geshi->currentIndex(), before);
    EXPECT_EQ(grid_keywords().size(), 10u); // still the previously chosen format
    EXPECT_EQ(cat().definitions("新格式").size(), 10u);
    const V box = project_box();
    EXPECT_NE(std::find(box.begin(), box.end(), "新格式·全称甲·<txt>"), box.end());
}

TEST_F(AdminPage, DeleteFormatRefusesBuiltInAndFormatsInUseThenAsks) {
    cat().add_project({"P1", "PubMed", ""});
    choose("PubMed·PubMed全称·<xml>");
    w->SpeedButton2Click();
    ASSERT_EQ(prompter.calls().size(), 1u);
    EXPECT_EQ(prompter.calls()[0].text, "此格式类型为系统默认支持内容，不能删除！");
    EXPECT_EQ(prompter.calls()[0].icon, Icon::information);

    cat().add_project({"P2", "自建", ""});
    choose("自建·自建全称·<txt>");
    prompter.clear();
    w->SpeedButton2Click();
    EXPECT_EQ(prompter.texts(), (V{"已存在此格式类型的项目，不能在此直接删除！"}));
    cat().delete_project("P2");

    prompter.clear();
    prompter.answer(false);
    w->SpeedButton2Click();
    EXPECT_EQ(prompter.texts(), (V{"是否确认删除当前所选择的格式类型“自建·自建全称·<txt>”吗？\r"}));
    EXPECT_EQ(prompter.calls()[0].kind, Kind::yes_no);
    EXPECT_EQ(cat().definitions("自建").size(), 10u);

    prompter.answer(true);
    w->SpeedButton2Click();
    EXPECT_FALSE(cat().format_exists("自建"));
    EXPECT_EQ(w->ComboBox_geshi->count(), 1);
    EXPECT_EQ(w->ComboBox_geshi->currentIndex(), -1);
    EXPECT_EQ(w->DBGrid1_model->rowCount(), 0);
    EXPECT_EQ(project_box(), (V{"PubMed·PubMed全称·<xml>"}));
}

TEST_F(AdminPage, ModifyFormatInUseIsRefusedWithoutADialog) {
    cat().add_project({"P1", "自建", ""});
    choose("自建·自建全称·<txt>");
    const NoDialog no_dialog;
    w->SpeedButton3Click();
    EXPECT_EQ(prompter.texts(), (V{"已存在此格式类型的项目，不能在此做修改操作！"}));
    EXPECT_EQ(prompter.calls()[0].icon, Icon::information);
}

TEST_F(AdminPage, ModifyFormatReplacesTheEntryInPlace) {
    choose("PubMed·PubMed全称·<xml>");
    on_dialog<TForm_geshi>([&](TForm_geshi& d) {
        EXPECT_EQ(d.windowTitle(), qs("修改·格式类型"));
        EXPECT_FALSE(d.Edit1->isEnabled());
        EXPECT_EQ(d.Edit1->text(), qs("PubMed"));
        EXPECT_TRUE(d.RadioButton1->isChecked());
        d.Edit2->setText(qs("新全称"));
        d.Button1->click();
    });
    w->SpeedButton3Click();
    EXPECT_TRUE(prompter.calls().empty());
    EXPECT_EQ(w->ComboBox_geshi->currentText(), qs("PubMed·新全称·<xml>"));
    EXPECT_EQ(grid_keywords(), (V{"<文章节点>", "标题", "<主题词>"}));

    // Its own name is no duplicate; the type button follows the entry.
    choose("自建·自建全称·<txt>");
    const int index = w->ComboBox_geshi->currentIndex();
    on_dialog<TForm_geshi>([&](TForm_geshi& d) {
        EXPECT_TRUE(d.Edit1->isEnabled());
        EXPECT_TRUE(d.RadioButton2->isChecked());
        d.RadioButton1->setChecked(true);
        d.Button1->click();
    });
    w->SpeedButton3Click();
    EXPECT_TRUE(prompter.calls().empty());
    EXPECT_EQ(w->ComboBox_geshi->currentIndex(), index);
    EXPECT_EQ(w->ComboBox_geshi->currentText(), qs("自建·自建全称·<xml>"));
    EXPECT_EQ(cat().format_type("自建"), "<xml>");
    EXPECT_EQ(project_box(), (V{"PubMed·新全称·<xml>", "自建·自建全称·<xml>"}));
}

TEST_F(AdminPage, AddKeywordToTxtFormatReusesThePlaceholderAfterCancel) {
    choose("自建·自建全称·<txt>");
    on_dialog<TForm_jiedian>([&](TForm_jiedian& d) {
        EXPECT_EQ(d.windowTitle(), qs("增加 关键字"));
        EXPECT_FALSE(d.Edit_jiedian[0]->isHidden());
        for (std::size_t i = 1; i < 6; ++i) {
            EXPECT_TRUE(d.Edit_jiedian[i]->isHidden()) << i;
            EXPECT_TRUE(d.Label_jiedian[i]->isHidden()) << i;
        }
        for (auto* r : d.RadioButton) {
            EXPECT_FALSE(r->isHidden());
        }
        EXPECT_TRUE(d.RadioButton[0]->isChecked());
        EXPECT_EQ(d.Edit_fenge->text(), qs(";"));

        // Enter moves on like Tab and neither types nor confirms.
        d.Edit1->setFocus();
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(d.Edit1, &enter);
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.focusWidget(), d.Edit_jiedian[0]);
        QApplication::sendEvent(d.Edit_jiedian[0], &enter);
        EXPECT_TRUE(d.isVisible());
        EXPECT_NE(d.focusWidget(), d.Edit_jiedian[0]);
        QKeyEvent back(QEvent::KeyPress, Qt::Key_Return, Qt::ShiftModifier, QStringLiteral("\r"));
        QApplication::sendEvent(d.focusWidget(), &back);
        EXPECT_EQ(d.focusWidget(), d.Edit_jiedian[0]);
        QApplication::sendEvent(d.Edit_jiedian[0], &back);
        EXPECT_EQ(d.focusWidget(), d.Edit1);
        EXPECT_EQ(d.Edit1->text(), QString());
        EXPECT_TRUE(prompter.calls().empty());

        d.Edit1->setText(qs("丢弃"));
        d.Button2->click();
    });
    w->SpeedButton4Click();
    EXPECT_EQ(grid_keywords().size(), 11u);
    EXPECT_EQ(grid_keywords().back(), "");
    EXPECT_EQ(grid_row(), 10);

    on_dialog<TForm_jiedian>([&](TForm_jiedian& d) {
        EXPECT_EQ(d.Edit1->text(), QString());
        d.Edit1->setText(QStringLiteral(" "));
        d.Edit_jiedian[0]->setText(QStringLiteral("DE"));
        d.Button1->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.Edit_jiedian[0]->text(), QStringLiteral("DE"));
        d.Edit1->setText(qs("关键词"));
        d.RadioButton[2]->setChecked(true);
        d.Button1->click();
    });
    w->SpeedButton4Click();
    EXPECT_EQ(prompter.texts(), (V{"关键字名称不应为空！\r"}));
    EXPECT_EQ(grid_keywords().size(), 11u);
    EXPECT_EQ(grid_keywords()[static_cast<std::size_t>(grid_row())], "关键词");
    const auto stored = *cat().find_definition("自建", std::string("关键词"));
    EXPECT_EQ(stored.jiedian[0], "DE");
    EXPECT_EQ(stored.pailie, std::optional<std::string>("3"));
    EXPECT_EQ(stored.fenge, std::optional<std::string>(""));
}

TEST_F(AdminPage, XmlKeywordDialogOffersSixNodesAndMethodOne) {
    choose("PubMed·PubMed全称·<xml>");
    on_dialog<TForm_jiedian>([&](TForm_jiedian& d) {
        for (auto* e : d.Edit_jiedian) {
            EXPECT_FALSE(e->isHidden());
        }
        EXPECT_FALSE(d.RadioButton[0]->isHidden());
        for (std::size_t i = 1; i < 5; ++i) {
            EXPECT_TRUE(d.RadioButton[i]->isHidden()) << i;
        }
        d.Edit1->setText(qs("期刊"));
        d.Edit_jiedian[5]->setText(QStringLiteral("Title"));
        d.Edit_fenge->setText(QStringLiteral(","));
        d.Button1->click();
    });
    w->SpeedButton4Click();
    const auto stored = *cat().find_definition("PubMed", std::string("期刊"));
    EXPECT_EQ(stored.jiedian[5], "Title");
    EXPECT_EQ(stored.pailie, std::optional<std::string>("1"));
    EXPECT_EQ(stored.fenge, std::optional<std::string>(","));
}

TEST_F(AdminPage, ModifyKeywordOpensWithTheStoredStateAndProtections) {
    choose("自建·自建全称·<txt>");
    set_grid_row("<文章号>");
    on_dialog<TForm_jiedian>([&](TForm_jiedian& d) {
        EXPECT_EQ(d.windowTitle(), qs("修改 关键字"));
        EXPECT_FALSE(d.Edit1->isEnabled());
        EXPECT_TRUE(d.RadioButton[4]->isChecked()); // no method stored
        d.Button2->click();
    });
    w->SpeedButton6Click();

    set_grid_row("标题");
    on_dialog<TForm_jiedian>([&](TForm_jiedian& d) {
        EXPECT_TRUE(d.Edit1->isEnabled());
        d.Edit1->setText(qs("题名"));
        d.Edit_fenge->setText(QStringLiteral(";"));
        d.Button1->click(); // method 5 as opened
    });
    w->SpeedButton6Click();
    const auto renamed = *cat().find_definition("自建", std::string("题名"));
    EXPECT_EQ(renamed.pailie, std::optional<std::string>("5"));
    EXPECT_EQ(renamed.fenge, std::optional<std::string>("/"));
    EXPECT_EQ(grid_keywords()[static_cast<std::size_t>(grid_row())], "题名");

    choose("PubMed·PubMed全称·<xml>");
    set_grid_row("<主题词>");
    on_dialog<TForm_jiedian>([&](TForm_jiedian& d) {
        EXPECT_FALSE(d.Edit1->isEnabled());
        EXPECT_EQ(d.Label_jiedian[2]->text(), qs("节点3："));
        EXPECT_EQ(d.Label_jiedian[3]->text(), qs("主题词节点："));
        EXPECT_EQ(d.Label_jiedian[4]->text(), qs("副主题词节点："));
        EXPECT_EQ(d.Label_jiedian[5]->text(), qs("主/次属性："));
        EXPECT_TRUE(d.RadioButton[0]->isChecked());
        d.Button2->click();
    });
    w->SpeedButton6Click();
    EXPECT_TRUE(prompter.calls().empty());
}

TEST_F(AdminPage, DeleteKeywordSkipsFlaggedRowsSilently) {
    choose("PubMed·PubMed全称·<xml>");
    for (const char* flagged : {"<文章节点>", "<主题词>"}) {
        set_grid_row(flagged);
        w->SpeedButton5Click();
    }
    EXPECT_TRUE(prompter.calls().empty());
    EXPECT_EQ(grid_keywords().size(), 3u);

    set_grid_row("标题");
    prompter.answer(true);
    w->SpeedButton5Click();
    EXPECT_EQ(
        prompter.texts(),
        (V{"是否确认删除当前所选择的格式类型“PubMed·PubMed全称·<xml>”中的关键字“标题”吗？\r"}));
    EXPECT_EQ(grid_keywords(), (V{"<文章节点>", "<主题词>"}));

    // Nothing chosen: the buttons do nothing.
    w->ComboBox_geshi->setCurrentIndex(-1);
    prompter.clear();
    const NoDialog no_dialog;
    w->SpeedButton4Click();
    w->SpeedButton5Click();
    w->SpeedButton6Click();
    w->SpeedButton2Click();
    w->SpeedButton3Click();
    EXPECT_TRUE(prompter.calls().empty());
    EXPECT_EQ(cat().definitions("PubMed").size(), 2u);
}

} // namespace
