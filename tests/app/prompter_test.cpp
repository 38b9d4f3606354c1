// The Prompter: the Qt message boxes (caption, icon, buttons, default button), the
// scripted prompter's record and queue, and the text viewer.
#include "app/qt_prompter.h"
#include "app/scripted_prompter.h"
#include "app/text_viewer.h"
#include "support/modal.h"
#include "support/temp_dir.h"
#include "text/text.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace lumacite;
using namespace lumacite::app;
using lumacite::testing::TempDir;
using lumacite::testing::write_file;
using Kind = ScriptedPrompter::Kind;

namespace {

QString qs(const char* s) {
    return QString::fromUtf8(s);
}

struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton default_button = QMessageBox::NoButton;
    QStringList button_texts; // in the order Yes, No, OK, Cancel, of those shown
};

// Runs `ask` while a watcher inspects the box it opens; returns what was seen.
template <class Ask>
SeenBox inspect(Ask ask, QMessageBox::StandardButton press = QMessageBox::NoButton) {
    SeenBox result;
    lumacite::testing::when_modal<QMessageBox>(
        [&result, press](QMessageBox& opened) {
            QMessageBox* box = &opened;
            result.caption = box->windowTitle();
            result.text = box->text();
            result.icon = box->icon();
            result.buttons = box->standardButtons();
            if (auto* d = box->defaultButton()) {
                result.default_button = box->standardButton(d);
            }
            for (const auto b :
                 {QMessageBox::Yes, QMessageBox::No, QMessageBox::Ok, QMessageBox::Cancel}) {
                if (auto* shown = box->button(b)) {
                    result.button_texts << shown->text();
                }
            }
            if (press != QMessageBox::NoButton) {
                box->button(press)->click();
            } else if (auto* d = box->defaultButton()) {
                d->click();
            }
        },
        400);
    ask();
    return result;
}

} // namespace

TEST(QtPrompter, NoticesAndRefusalsCarryTheCaptionAndIcon) {
    QtPrompter p;
    auto seen = inspect([&] { p.inform("请首先建立工作项目！\r"); });
    EXPECT_EQ(seen.caption, qs("注意"));
    EXPECT_EQ(seen.text, qs("请首先建立工作项目！\n"));
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);

    seen = inspect([&] { p.refuse("无相应的文档文件！\r"); });
    EXPECT_EQ(seen.caption, qs("注意"));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    seen = inspect([&] { p.refuse("x", Icon::information); });
    EXPECT_EQ(seen.icon, QMessageBox::Information);
}

TEST(QtPrompter, QuestionsDefaultToTheNegativeButton) {
    QtPrompter p;
    bool answer = true;
    auto seen = inspect([&] { answer = p.ask_yes_no("是否要对“作者”进行统计工作？\r"); });
    EXPECT_EQ(seen.caption, qs("注意"));
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen.default_button, QMessageBox::No);
    EXPECT_FALSE(answer); // Enter takes the default

    inspect([&] { answer = p.ask_yes_no("?"); }, QMessageBox::Yes);
    EXPECT_TRUE(answer);

    seen = inspect([&] { answer = p.ask_ok_cancel("确认删除？"); });
    EXPECT_EQ(seen.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(seen.default_button, QMessageBox::Cancel);
    EXPECT_FALSE(answer);
    inspect([&] { answer = p.ask_ok_cancel("确认删除？"); }, QMessageBox::Ok);
    EXPECT_TRUE(answer);
}

// Qt's own Chinese translations are loaded: the buttons of every question and the
// standard file chooser speak the interface's language.
TEST(QtPrompter, StandardButtonsAndFileChooserAreChinese) {
    QtPrompter p;
    auto seen = inspect([&] { p.ask_yes_no("?"); });
    EXPECT_EQ(seen.button_texts, (QStringList{qs("是(&Y)"), qs("否(&N)")}));
    seen = inspect([&] { p.ask_ok_cancel("?"); });
    EXPECT_EQ(seen.button_texts, (QStringList{qs("确定"), qs("取消")}));
    seen = inspect([&] { p.inform("!"); });
    EXPECT_EQ(seen.button_texts, QStringList{qs("确定")});

    QStringList labels;
    QTimer::singleShot(0, [&] {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(chooser, nullptr);
        for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"}) {
            auto* label = chooser->findChild<QLabel*>(QString::fromLatin1(name));
            labels << (label != nullptr ? label->text() : QString());
        }
        auto* buttons = chooser->findChild<QDialogButtonBox*>();
        labels << buttons->button(QDialogButtonBox::Open)->text();
        chooser->reject();
    });
    EXPECT_FALSE(p.choose_open_file("选择文献文档文件：", "TXT(*.txt)").has_value());
    EXPECT_EQ(labels, (QStringList{qs("查找范围："), qs("文件名称(&N)："), qs("文件类型："),
                                   qs("打开(&O)")}));
}

TEST(ScriptedPrompter, RecordsEveryCallAndAnswersFromTheQueue) {
    ScriptedPrompter p;
    p.answer(true);
    p.answer(false);
    p.choose(std::filesystem::path("/x/a.txt"));
    p.choose(std::nullopt);
    p.inform("甲\r");
    p.refuse("乙", Icon::information);
    EXPECT_TRUE(p.ask_yes_no("丙"));
    EXPECT_FALSE(p.ask_ok_cancel("丁"));
    EXPECT_EQ(p.choose_open_file("选择文件", "TXT (*.txt)"), std::filesystem::path("/x/a.txt"));
    EXPECT_EQ(p.choose_save_file("命名或选择导出文件：", "TXT (*.txt)"), std::nullopt);
    p.show_text_file("/x/temp.txt");
    p.show_workbook("/x/b.xlsx");
    EXPECT_EQ(p.texts(),
              (std::vector<std::string>{"甲\r", "乙", "丙", "丁", "选择文件",
                                        "命名或选择导出文件：", "/x/temp.txt", "/x/b.xlsx"}));
    const auto& c = p.calls();
    EXPECT_EQ(c[0].kind, Kind::inform);
    EXPECT_EQ(c[0].icon, Icon::information);
    EXPECT_EQ(c[1].kind, Kind::refuse);
    EXPECT_EQ(c[1].icon, Icon::information);
    EXPECT_EQ(c[2].kind, Kind::yes_no);
    EXPECT_EQ(c[3].kind, Kind::ok_cancel);
    EXPECT_EQ(c[4].kind, Kind::open_file);
    EXPECT_EQ(c[5].kind, Kind::save_file);
    EXPECT_EQ(c[6].kind, Kind::text_file);
    EXPECT_EQ(c[7].kind, Kind::workbook);
    EXPECT_EQ(p.unused_answers(), 0U);
    p.refuse("戊");
    EXPECT_EQ(p.calls().back().icon, Icon::error);
}

TEST(ScriptedPrompter, AnUnexpectedQuestionIsReportedAndAnsweredNo) {
    std::vector<std::string> reported;
    ScriptedPrompter::set_failure_handler([&](const std::string& w) { reported.push_back(w); });
    ScriptedPrompter p;
    EXPECT_FALSE(p.ask_yes_no("是否确认？"));
    EXPECT_EQ(p.choose_directory("选择目录"), std::nullopt);
    ScriptedPrompter::set_failure_handler([](const std::string& what) { ADD_FAILURE() << what; });
    ASSERT_EQ(reported.size(), 2U);
    EXPECT_NE(reported[0].find("是否确认？"), std::string::npos);
    EXPECT_NE(reported[1].find("选择目录"), std::string::npos);
}

TEST(TextViewer, ShowsGb18030AndUtf8FilesReadOnly) {
    TempDir dir;
    write_file(dir / "gbk.txt", text::utf8_to_gb18030("关键字“作者”\r\n第二行\r\n"));
    TextViewer gbk(dir / "gbk.txt");
    EXPECT_EQ(gbk.text(), qs("关键字“作者”\n第二行\n"));
    // GB18030 bytes that also form valid UTF-8 ("小" is D0 A1, UTF-8 for "С").
    write_file(dir / "short.txt", text::utf8_to_gb18030("小\r\n"));
    EXPECT_EQ(TextViewer(dir / "short.txt").text(), qs("小\n"));
    write_file(dir / "utf8.txt", "\xEF\xBB\xBFPMID 1\n");
    TextViewer utf8(dir / "utf8.txt");
    EXPECT_EQ(utf8.text(), qs("PMID 1\n"));
    EXPECT_THROW(TextViewer(dir / "missing.txt"), std::runtime_error);
}
