// The document list of the extraction page: choosing files (confirmation, same-name
// questions, failed copies), the directory dialog, removing entries and the document scroll.
#include "app/scripted_prompter.h"
#include "app/xuanzemulu.h"
#include "app/zhu.h"
#include "support/modal.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using namespace lumacite;
using namespace lumacite::app;
using lumacite::testing::on_dialog;
using lumacite::testing::read_file;
using lumacite::testing::TempDir;
using lumacite::testing::write_file;
using Kind = ScriptedPrompter::Kind;
using V = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

const std::string confirm_a = "是否确认所选文件（";

class DocumentList : public ::testing::Test {
protected:
    TempDir home;
    TempDir source;
    ScriptedPrompter prompter;
    std::unique_ptr<TForm_zhu> w;

    void SetUp() override {
        ScriptedPrompter::set_failure_handler(
            [](const std::string& text) { ADD_FAILURE() << "unexpected question: " << text; });
        {
            auto cat = store::Catalogue::create(home / "velkor.exs");
            store::Definition d;
            d.geshi = "自建";
            d.geshi_quancheng = "自建全称";
            d.leixing = "<txt>";
            d.guanjianzi = "标题";
            cat.add_definition(d);
            cat.add_project({"A1", "自建", ""});
        }
        w = std::make_unique<TForm_zhu>(home.path(), prompter, StartOptions{false});
        for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
            write_file(source / name, std::string("content of ") + name);
        }
    }

    store::Catalogue& cat() { return *w->catalogue; }
    // The project's tables as the window reads them now.
    store::Workspace& ws() { return *w->project_workspace(); }
    // The project's tables bound for writing (its lock held while the result lives).
    store::Workspace writer() { return store::Workspace::bind(home.path(), "A1"); }

    V rows() {
        V out;
        for (int r = 0; r < w->DBGrid3_model->rowCount(); ++r) {
            std::string row;
            for (int c = 0; c < 3; ++c) {
                row +=
                    (c ? "|" : "") + w->DBGrid3_model->index(r, c).data().toString().toStdString();
            }
            out.push_back(row);
        }
        return out;
    }
    // Registers `file` answering the questions in order.
    void register_file(const fs::path& file, std::initializer_list<bool> answers) {
        prompter.choose(file);
        for (bool a : answers) {
            prompter.answer(a);
        }
        w->SpeedButton13Click();
        EXPECT_EQ(prompter.unused_answers(), 0u);
    }
    void select_document(int row) {
        w->DBGrid3->setCurrentIndex(w->DBGrid3_model->index(row, 0));
        ASSERT_EQ(w->document_row(), row);
    }
    // Value rows as "xuhao|wenzhangha|zhi" in table order.
    V values() {
        V out;
        for (const auto& r : ws().select_values({})) {
            out.push_back(std::to_string(r.xuhao) + "|" + r.wenzhangha + "|" + r.zhi);
        }
        return out;
    }
    void add_statistic() {
        store::StatisticsRow s;
        s.xuhao = store::right_aligned(1);
        s.guanjianzi = "标题";
        s.zhi = "x";
        s.cishu = store::right_aligned(1);
        s.baifenbi = "100.0000";
        s.leijibi = "100.0000";
        writer().append_statistic(s);
    }
    bool editable() {
        return !w->Edit1->isReadOnly() && !w->Memo1->isReadOnly() &&
               w->ComboBox_geshi_2->isEnabled();
    }
};

// ---- Choose file ----------------------------------------------------------------------------

TEST_F(DocumentList, ChooseFileAsksCopiesAndNumbersTheEntries) {
    // Cancelling the chooser, then answering No, registers nothing.
    prompter.choose(std::nullopt);
    w->SpeedButton13Click();
    register_file(source / "a.txt", {false});
    ASSERT_EQ(prompter.calls().size(), 3u);
    EXPECT_EQ(prompter.calls()[0].kind, Kind::open_file);
    EXPECT_EQ(prompter.calls()[0].text, "选择文献文档文件：");
    EXPECT_EQ(prompter.calls()[2].kind, Kind::yes_no);
    EXPECT_EQ(prompter.calls()[2].text,
              "是否确认所选文件（" + (source / "a.txt").string() + "）？\r");
    EXPECT_EQ(rows(), V{});
    EXPECT_FALSE(fs::exists(home / "A1" / "a.txt"));
    EXPECT_TRUE(editable());

    register_file(source / "a.txt", {true});
    register_file(source / "b.txt", {true});
    register_file(source / "c.txt", {true});
    EXPECT_EQ(rows(), (V{"1|a.txt|", "2|b.txt|", "3|c.txt|"}));
    EXPECT_EQ(w->document_row(), 2); // the new entry is selected
    EXPECT_EQ(read_file(home / "A1" / "b.txt"), "content of b.txt");
    // A project with entries keeps number, format and description.
    EXPECT_FALSE(editable());
}

TEST_F(DocumentList, SameNameFileAsksToOverwriteAndToClearResults) {
    register_file(source / "a.txt", {true});
    register_file(source / "b.txt", {true});
    {
        auto wr = writer();
        wr.append_value(1, "0000000001", "标题", "旧值");
        wr.append_value(2, "0000000001", "标题", "别的");
    }
    add_statistic();

    // No to overwriting: nothing is copied.
    write_file(source / "a.txt", "new content");
    prompter.clear();
    register_file(source / "a.txt", {true, false});
    EXPECT_EQ(prompter.texts(),
              (V{"选择文献文档文件：", confirm_a + (source / "a.txt").string() + "）？\r",
                 "已存在同名文件，是否覆盖？\r"}));
    EXPECT_EQ(read_file(home / "A1" / "a.txt"), "content of a.txt");

    // Yes to overwriting, No to clearing: the copy is replaced, the entry and its values kept.
    prompter.clear();
    register_file(source / "a.txt", {true, true, false});
    EXPECT_EQ(prompter.texts().back(),
              "已针对此同名文件做过关键字提取，是否清除原来的提取结果？\r");
    EXPECT_EQ(read_file(home / "A1" / "a.txt"), "new content");
    EXPECT_EQ(rows(), (V{"1|a.txt|", "2|b.txt|"}));
    EXPECT_EQ(w->document_row(), 0);
    EXPECT_EQ(values(), (V{"1|0000000001|旧值", "2|0000000001|别的"}));
    EXPECT_EQ(ws().all_statistics().size(), 1u);

    // Yes to clearing: that entry's values and every statistics row go.
    register_file(source / "a.txt", {true, true, true});
    EXPECT_EQ(values(), V{"2|0000000001|别的"});
    EXPECT_TRUE(ws().all_statistics().empty());
    EXPECT_EQ(rows(), (V{"1|a.txt|", "2|b.txt|"}));

    // Without values there is no clearing question.
    prompter.clear();
    register_file(source / "a.txt", {true, true});
    EXPECT_EQ(prompter.calls().size(), 3u);
}

TEST_F(DocumentList, AFailedCopyIsReportedAndRegistersNothing) {
    register_file(source / "missing.txt", {true});
    ASSERT_EQ(prompter.calls().size(), 3u);
    EXPECT_EQ(prompter.calls()[2].kind, Kind::refuse);
    EXPECT_EQ(prompter.calls()[2].text.rfind(
                  "无法复制文件：" + (source / "missing.txt").string() + "：", 0),
              0u)
        << prompter.calls()[2].text;
    EXPECT_EQ(rows(), V{});
    EXPECT_TRUE(cat().documents("A1").empty());
    EXPECT_TRUE(editable());
}

TEST_F(DocumentList, CommandsNeedANumberedProjectAndEntries) {
    // Remove with no entry: no question.
    w->SpeedButton15Click();
    EXPECT_TRUE(prompter.calls().empty());
    register_file(source / "a.txt", {true});
    prompter.clear();
    // The placeholder still shows A1's list: neither chooser nor dialog opens, and none of
    // A1's entries can be removed from here.
    w->SpeedButton9Click();
    ASSERT_EQ(rows(), V{"1|a.txt|"});
    w->SpeedButton13Click();
    w->SpeedButton14Click();
    w->SpeedButton15Click();
    EXPECT_TRUE(prompter.calls().empty());
    EXPECT_EQ(cat().documents("A1").size(), 1u);
}

TEST_F(DocumentList, AFileNamedLikeAProjectTableIsRefused) {
    write_file(source / "zidianA1.dbf", "x");
    register_file(source / "zidianA1.dbf", {true});
    ASSERT_FALSE(prompter.calls().empty());
    EXPECT_EQ(prompter.calls().back().kind, Kind::refuse);
    EXPECT_EQ(prompter.calls().back().text.rfind("项目数据表使用此文件名", 0), 0u)
        << prompter.calls().back().text;
    EXPECT_EQ(rows(), V{});
    EXPECT_TRUE(editable());
}

// ---- Remove document and the document scroll -----------------------------------------------

TEST_F(DocumentList, RemovingTheMiddleEntryRenumbersEntriesAndValues) {
    for (const char* n : {"a.txt", "b.txt", "c.txt"}) {
        register_file(source / n, {true});
    }
    {
        auto wr = writer();
        wr.append_value(1, "A", "标题", "a1");
        wr.append_value(2, "B", "标题", "b1");
        wr.append_value(3, "C", "标题", "c1");
        wr.append_value(3, "C", "标题", "c2");
    }
    add_statistic();
    select_document(1);
    w->Label3->setText(QStringLiteral("17"));

    prompter.clear();
    prompter.answer(false);
    w->SpeedButton15Click();
    EXPECT_EQ(prompter.texts(), V{"确认移除当前所选择的文档文件“b."
                                  "txt”吗？\r\r注意：如果移除，相应的提取数据也将一并被移除！"});
    EXPECT_EQ(prompter.calls()[0].kind, Kind::ok_cancel);
    EXPECT_EQ(rows().size(), 3u);

    prompter.answer(true);
    w->SpeedButton15Click();
    EXPECT_EQ(rows(), (V{"1|a.txt|", "2|c.txt|"}));
    EXPECT_EQ(values(), (V{"1|A|a1", "2|C|c1", "2|C|c2"}));
    EXPECT_EQ(ws().value_record_count(), 3u); // packed
    EXPECT_TRUE(ws().all_statistics().empty());
    EXPECT_EQ(w->Label3->text(), QStringLiteral("0"));
    EXPECT_TRUE(fs::exists(home / "A1" / "b.txt")); // the copy stays until the project goes
    EXPECT_FALSE(editable());
}

TEST_F(DocumentList, RemovingTheLastEntryMakesTheProjectEditableAgain) {
    register_file(source / "a.txt", {true});
    EXPECT_FALSE(editable());
    prompter.answer(true);
    w->SpeedButton15Click();
    EXPECT_EQ(rows(), V{});
    EXPECT_TRUE(editable());
    EXPECT_TRUE(ws().all_statistics().empty());
}

// ---- The directory dialog --------------------------------------------------------------------

class DirectoryDialog : public DocumentList {
protected:
    TempDir folder;
    void SetUp() override {
        DocumentList::SetUp();
        for (const char* name : {"c.xml", "b.TXT", "a.txt", "data.tar.gz", "README"}) {
            write_file(folder / name, "x");
        }
        fs::create_directory(folder / "sub.dir");
    }
    static V extensions(const TForm_xuanzemulu& d) {
        V out;
        for (int i = 0; i < d.ComboBox1->count(); ++i) {
            out.push_back(d.ComboBox1->itemText(i).toStdString());
        }
        return out;
    }
};

TEST_F(DirectoryDialog, OffersTheDistinctLastExtensionsInFileOrder) {
    std::vector<std::pair<fs::path, std::string>> commands;
    TForm_xuanzemulu d(prompter, [&](const fs::path& dir, const std::string& ext) {
        commands.emplace_back(dir, ext);
        return projects::DirectoryRegistration{};
    });
    EXPECT_EQ(d.windowTitle(), QStringLiteral("选择目录"));
    EXPECT_EQ(d.size(), QSize(426, 257));
    EXPECT_EQ(d.Label1->text(), QStringLiteral("1.如果选择的是某个目录，请选择具体路径："));
    EXPECT_EQ(d.Label2->text(), QStringLiteral("2.请指定目录中的文件扩展名："));
    EXPECT_EQ(d.Button1->text(), QStringLiteral("确认"));
    EXPECT_EQ(d.Button2->text(), QStringLiteral("取消"));
    EXPECT_EQ(d.directory(), fs::current_path());

    d.set_directory(folder.path());
    EXPECT_EQ(d.directory(), folder.path());
    // a.txt, b.TXT, c.xml, data.tar.gz, README; the folder sub.dir is no file.
    EXPECT_EQ(extensions(d), (V{"TXT", "XML", "GZ", "README"}));
    EXPECT_EQ(d.ComboBox1->currentIndex(), -1);
    EXPECT_TRUE(commands.empty());

    // Another directory: the list is filled anew.
    d.set_directory(folder / "sub.dir");
    EXPECT_EQ(extensions(d), V{});
}

// The drive list: root and home first, then the volumes a user keeps files on.
TEST(DriveList, RootHomeAndMountedVolumesWithoutSystemFileSystems) {
    const std::vector<MountedVolume> volumes = {
        {"/", "ext4"},
        {"/proc", "proc"},
        {"/sys/fs/cgroup", "cgroup2"},
        {"/dev/shm", "tmpfs"},
        {"/run/user/1000", "tmpfs"},
        {"/run", "tmpfs"},
        {"/boot/efi", "vfat"},
        {"/srv/data", "ext4"},
        {"/run/media/li/U盘", "vfat"},
        {"/media/li/BACKUP", "exfat"},
        {"/mnt/share", "cifs"},
        {"/mnt/share", "cifs"},
        {"/home/li", "ext4"},
    };
    EXPECT_EQ(drive_roots(volumes, "/home/li"),
              (QStringList{"/", "/home/li", "/media/li/BACKUP", "/mnt/share", "/run/media/li/U盘",
                           "/srv/data"}));
    EXPECT_EQ(drive_roots({}, "/"), QStringList{"/"});

    // The tree opens on the deepest starting point that holds the folder.
    const QStringList roots = {"/", "/home/li", "/mnt/share", "/mnt/share2"};
    EXPECT_EQ(starting_point(roots, "/mnt/share/2024/wos"), QStringLiteral("/mnt/share"));
    EXPECT_EQ(starting_point(roots, "/mnt/share2"), QStringLiteral("/mnt/share2"));
    EXPECT_EQ(starting_point(roots, "/mnt/shared"), QStringLiteral("/"));
    EXPECT_EQ(starting_point(roots, "/home/li"), QStringLiteral("/home/li"));
    EXPECT_EQ(starting_point(roots, "/home/lily"), QStringLiteral("/"));
}

TEST_F(DirectoryDialog, ConfirmShowsItsThreeMessagesAndStaysOpen) {
    bool closed = false;
    on_dialog<TForm_xuanzemulu>([&](TForm_xuanzemulu& d) {
        d.set_directory(folder.path());
        d.Button1->click(); // no extension chosen
        d.ComboBox1->setCurrentIndex(d.ComboBox1->findText(QStringLiteral("TXT")));
        d.Button1->click(); // registered: the dialog closes
        closed = !d.isVisible();
    });
    w->SpeedButton14Click();
    EXPECT_TRUE(closed);
    EXPECT_EQ(prompter.texts(), V{"请选择指定目录中的文件扩展名！\r"});
    EXPECT_EQ(prompter.calls()[0].icon, Icon::error);
    EXPECT_EQ(rows(), V{"1|" + folder.path().string() + "|TXT"});
    EXPECT_FALSE(editable());

    // The same directory and extension again; another extension is fine.
    prompter.clear();
    on_dialog<TForm_xuanzemulu>([&](TForm_xuanzemulu& d) {
        d.set_directory(folder.path());
        d.ComboBox1->setCurrentIndex(d.ComboBox1->findText(QStringLiteral("TXT")));
        d.Button1->click();
        EXPECT_TRUE(d.isVisible());
        d.ComboBox1->setCurrentIndex(d.ComboBox1->findText(QStringLiteral("GZ")));
        d.Button1->click();
    });
    w->SpeedButton14Click();
    EXPECT_EQ(prompter.texts(), V{"已选择了相同的目录路径以及文件扩展名！\r"});
    EXPECT_EQ(rows(),
              (V{"1|" + folder.path().string() + "|TXT", "2|" + folder.path().string() + "|GZ"}));
    EXPECT_EQ(w->document_row(), 1);

    // A directory gone since it was chosen.
    prompter.clear();
    const fs::path gone = folder / "sub.dir";
    on_dialog<TForm_xuanzemulu>([&](TForm_xuanzemulu& d) {
        d.set_directory(gone);
        d.ComboBox1->addItem(QStringLiteral("XML"));
        d.ComboBox1->setCurrentIndex(0);
        fs::remove(gone);
        d.Button1->click();
        EXPECT_TRUE(d.isVisible());
        d.Button2->click(); // 取消
    });
    w->SpeedButton14Click();
    EXPECT_EQ(prompter.texts(), V{"请选择有效的目录路径！\r"});
    EXPECT_EQ(rows().size(), 2u);
}

} // namespace
