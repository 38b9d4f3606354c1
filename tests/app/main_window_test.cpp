// The main window as it starts: settings file, format lists, first project, navigation
// with its guards, hot spots, the administrator label and Enter moving focus like Tab.
#include "app/scripted_prompter.h"
#include "app/startup.h"
#include "app/zhu.h"
#include "formats/format_entry.h"
#include "messages.h"
#include "store/catalogue.h"
#include "store/settings.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPixmap>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

using namespace lumacite;
using namespace lumacite::app;
using lumacite::testing::read_file;
using lumacite::testing::TempDir;
using lumacite::testing::write_file;
using Kind = ScriptedPrompter::Kind;

namespace {

QString qs(const char* s) {
    return QString::fromUtf8(s);
}

// A program folder with the shipped catalogue (built once from the seed).
class Home {
public:
    explicit Home(const std::vector<store::Project>& projects = {}) {
        static const std::filesystem::path seed_catalogue = [] {
            static TempDir cache;
            const auto file = cache / "velkor.exs";
            store::build_catalogue(
                std::filesystem::path(LUMACITE_SOURCE_DIR) / "assets" / "formats.tsv", file);
            return file;
        }();
        std::filesystem::copy_file(seed_catalogue, dir / store::catalogue_file_name);
        if (!projects.empty()) {
            auto catalogue = store::Catalogue::open(dir / store::catalogue_file_name);
            for (const auto& p : projects) {
                catalogue.add_project(p);
            }
        }
    }
    std::filesystem::path path() const { return dir.path(); }
    std::filesystem::path ini() const { return dir / store::settings_file_name; }
    std::unique_ptr<TForm_zhu> open(ScriptedPrompter& prompter) const {
        return std::make_unique<TForm_zhu>(dir.path(), prompter, StartOptions{false});
    }

private:
    TempDir dir;
};

struct PageState {
    int tab;
    int page;
    QString label;
    std::vector<std::string> messages;
    bool operator==(const PageState&) const = default;
};

PageState state_of(const TForm_zhu& w, const ScriptedPrompter& p) {
    return {w.TabSet1->currentIndex(), w.Notebook1->currentIndex(), w.Label_daohang->text(),
            p.texts()};
}

} // namespace

// ---- Settings file and geometry ------------------------------------------------------

TEST(MainWindowGeometry, FirstStartUsesTheDefaultsAndCloseWritesTheFile) {
    Home home;
    ScriptedPrompter prompter;
    auto w = home.open(prompter);
    EXPECT_FALSE(w->isMaximized());
    EXPECT_EQ(w->size(), QSize(900, 600));
    EXPECT_EQ(w->pos(), QPoint(30, 70));
    EXPECT_EQ(w->minimumSize(), QSize(890, 530));
    EXPECT_EQ(w->windowTitle(), qs("Lumacite V202108"));
    EXPECT_FALSE(std::filesystem::exists(home.ini()));
    w->move(44, 55);
    w->resize(1000, 700);
    w->close();
    EXPECT_EQ(read_file(home.ini()),
              "[form]\nzhu_top=55\nzhu_left=44\nzhu_height=700\nzhu_width=1000\n");
    EXPECT_TRUE(prompter.calls().empty());
}

TEST(MainWindowGeometry, MaximisedCloseAndRestart) {
    Home home;
    write_file(home.ini(), "[form]\nzhu_top=15\nzhu_left=25\nzhu_height=620\nzhu_width=910\n");
    ScriptedPrompter prompter;
    {
        auto w = home.open(prompter);
        EXPECT_EQ(w->size(), QSize(910, 620));
        EXPECT_EQ(w->pos(), QPoint(25, 15));
        w->setWindowState(Qt::WindowMaximized);
        w->close();
    }
    EXPECT_EQ(read_file(home.ini()),
              "[form]\nzhu_top=15\nzhu_left=25\nzhu_height=0\nzhu_width=0\n");
    auto again = home.open(prompter);
    EXPECT_TRUE(again->isMaximized());
    again->close();
    EXPECT_EQ(read_file(home.ini()),
              "[form]\nzhu_top=15\nzhu_left=25\nzhu_height=0\nzhu_width=0\n");
}

TEST(MainWindowGeometry, SizesBelowTheMinimumAreRaisedAndBadValuesFallBack) {
    Home home;
    ScriptedPrompter prompter;
    write_file(home.ini(), "[form]\nzhu_height=400\nzhu_width=700\n");
    EXPECT_EQ(home.open(prompter)->size(), QSize(890, 530));
    write_file(home.ini(), "[form]\nzhu_height=abc\nzhu_width=1e3\nzhu_top=x\nzhu_left=\n");
    auto w = home.open(prompter);
    EXPECT_EQ(w->size(), QSize(900, 600));
    EXPECT_EQ(w->pos(), QPoint(30, 70));
    // Shrinking the window below the minimum is refused at once.
    w->resize(500, 300);
    EXPECT_EQ(w->size(), QSize(890, 530));
}

// ---- Start-up ----------------------------------------------------------------------------

TEST(MainWindowStart, FillsBothFormatListsWithFormatEntries) {
    Home home;
    ScriptedPrompter prompter;
    auto w = home.open(prompter);
    const auto keys = w->catalogue->formats();
    ASSERT_FALSE(keys.empty());
    ASSERT_EQ(w->ComboBox_geshi->count(), static_cast<int>(keys.size()));
    ASSERT_EQ(w->ComboBox_geshi_2->count(), static_cast<int>(keys.size()));
    for (int i = 0; i < w->ComboBox_geshi->count(); ++i) {
        const auto entry = QString::fromStdString(formats::make_format_entry(keys[i]));
        EXPECT_EQ(w->ComboBox_geshi->itemText(i), entry);
        EXPECT_EQ(w->ComboBox_geshi_2->itemText(i), entry);
    }
    EXPECT_TRUE(w->ComboBox_geshi->findText(qs("PubMed·PubMed XML·<xml>")) >= 0);
}

TEST(MainWindowStart, ShowsTheProjectPageWithTheFirstProjectSelected) {
    Home home({{"B2", "PubMed", "second"}, {"A1", "WOS", "first"}});
    ScriptedPrompter prompter;
    auto w = home.open(prompter);
    EXPECT_EQ(w->Notebook1->currentIndex(), 1);
    EXPECT_EQ(w->TabSet1->currentIndex(), 1);
    EXPECT_EQ(w->Label_daohang->text(), qs("项目"));
    ASSERT_NE(w->selected_project(), nullptr);
    EXPECT_EQ(w->selected_project()->bianhao, "A1");
    EXPECT_EQ(w->DBGrid2->model()->rowCount(), 2);
    EXPECT_EQ(w->DBGrid2->model()->index(1, 2).data().toString(), qs("second"));
    EXPECT_EQ(w->selected_format_type(), "<txt>");
    EXPECT_EQ(w->PageControl1->currentIndex(), 0);
    EXPECT_TRUE(prompter.calls().empty());
}

TEST(MainWindowStart, PagesTabsAndPicturesAreInPlace) {
    Home home;
    ScriptedPrompter prompter;
    auto w = home.open(prompter);
    ASSERT_EQ(w->TabSet1->count(), 5);
    const char* captions[] = {"管理员", "项目", "提取", "统计", "矩阵"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(w->TabSet1->tabText(i), qs(captions[i]));
    }
    EXPECT_EQ(w->Notebook1->count(), 5);
    ASSERT_EQ(w->TabSet2->count(), 1);
    EXPECT_EQ(w->TabSet2->tabText(0), qs("文献文档格式说明"));
    EXPECT_EQ(w->PageControl1->tabText(0), qs("词篇矩阵"));
    EXPECT_EQ(w->PageControl1->tabText(1), qs("共现矩阵"));
    EXPECT_EQ(w->SpeedButton_tuichu->text(), qs("退出系统"));
    EXPECT_EQ(w->Panel_left->width(), 200);
    EXPECT_EQ(w->Panel_top->height(), 41);
    // The pictures come from the resources, through the JPEG plugin.
    EXPECT_EQ(QPixmap(QStringLiteral(":/pictures/title.jpg")).size(), QSize(193, 304));
    EXPECT_EQ(QPixmap(QStringLiteral(":/pictures/credits.jpg")).size(), QSize(193, 224));
    EXPECT_EQ(QPixmap(QStringLiteral(":/pictures/splash.jpg")).size(), QSize(892, 586));
    ASSERT_NE(w->Image_title->pixmap().isNull(), true);
    // The hot spots lie over the title picture at the positions of its labels.
    const QRect spots[] = {
        {26, 128, 33, 33}, {115, 145, 33, 33}, {57, 198, 33, 33}, {129, 239, 33, 33}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(w->SpeedButton_hot[i]->geometry(), spots[i]);
        EXPECT_EQ(w->SpeedButton_hot[i]->parentWidget(), w->Image_title->parentWidget());
        EXPECT_EQ(w->SpeedButton_hot[i]->text(), QString());
    }
    // Project fields are inert until a project is selected.
    EXPECT_TRUE(w->Edit1->isReadOnly());
    EXPECT_TRUE(w->Memo1->isReadOnly());
    EXPECT_FALSE(w->ComboBox_geshi_2->isEnabled());
}

TEST(MainWindowStart, ACatalogueThatCannotBeOpenedNamesItsFile) {
    TempDir dir;
    write_file(dir / store::catalogue_file_name, "not a database at all");
    ScriptedPrompter prompter;
    try {
        TForm_zhu w(dir.path(), prompter, StartOptions{false});
        FAIL() << "the window opened a damaged catalogue";
    } catch (const store::CatalogueError& e) {
        EXPECT_NE(std::string(e.what()).find((dir / store::catalogue_file_name).string()),
                  std::string::npos)
            << e.what();
    }
}

// ---- Navigation ---------------------------------------------------------------------------

TEST(MainWindowNavigation, AdministratorTabShowsTheSubPageInTheLabel) {
    Home home;
    ScriptedPrompter prompter;
    auto w = home.open(prompter);
    w->TabSet1->setCurrentIndex(0);
    EXPECT_EQ(w->Notebook1->currentIndex(), 0);
    EXPECT_EQ(w->Label_daohang->text(), qs("管理员 - 文献文档格式说明"));
    w->TabSet1->setCurrentIndex(1);
    EXPECT_EQ(w->Label_daohang->text(), qs("项目"));
    EXPECT_TRUE(prompter.calls().empty());
}

TEST(MainWindowNavigation, PagesTwoToFourNeedAProject) {
    Home home;
    ScriptedPrompter prompter;
    auto w = home.open(prompter);
    for (int tab : {2, 3, 4}) {
        prompter.clear();
        w->TabSet1->setCurrentIndex(tab);
        ASSERT_EQ(prompter.calls().size(), 1U) << tab;
        EXPECT_EQ(prompter.calls()[0].kind, Kind::inform);
        EXPECT_EQ(prompter.calls()[0].icon, Icon::information);
        EXPECT_EQ(prompter.calls()[0].text, "请首先建立工作项目！\r");
        EXPECT_EQ(w->TabSet1->currentIndex(), 1);
        EXPECT_EQ(w->Notebook1->currentIndex(), 1);
        EXPECT_EQ(w->Label_daohang->text(), qs("项目"));
    }
}

TEST(MainWindowNavigation, ThePlaceholderProjectIsNotAWorkingProject) {
    Home home({{"", "", ""}, {"P1", "PubMed", ""}});
    ScriptedPrompter prompter;
    auto w = home.open(prompter);
    ASSERT_NE(w->selected_project(), nullptr);
    ASSERT_EQ(w->selected_project()->bianhao, "");
    w->TabSet1->setCurrentIndex(3);
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{"请首先准确建立或选择工作项目！\r"});
    EXPECT_EQ(prompter.calls()[0].icon, Icon::information);
    EXPECT_EQ(w->Notebook1->currentIndex(), 1);
    EXPECT_EQ(w->Label_daohang->text(), qs("项目"));

    // A number of blanks only counts as empty too.
    Home blanks({{"  ", "PubMed", ""}});
    ScriptedPrompter p2;
    auto w2 = blanks.open(p2);
    w2->TabSet1->setCurrentIndex(2);
    EXPECT_EQ(p2.texts(), std::vector<std::string>{"请首先准确建立或选择工作项目！\r"});
}

TEST(MainWindowNavigation, AProjectWithANumberOpensEveryPage) {
    Home home({{"P1", "PubMed", ""}});
    ScriptedPrompter prompter;
    auto w = home.open(prompter);
    const char* captions[] = {"管理员 - 文献文档格式说明", "项目", "提取", "统计", "矩阵"};
    for (int tab : {2, 3, 4, 0, 1}) {
        w->TabSet1->setCurrentIndex(tab);
        EXPECT_EQ(w->Notebook1->currentIndex(), tab);
        EXPECT_EQ(w->Label_daohang->text(), qs(captions[tab]));
    }
    EXPECT_TRUE(prompter.calls().empty());
}

TEST(MainWindowNavigation, HotSpotsBehaveExactlyLikeTabClicks) {
    const std::vector<std::vector<store::Project>> setups = {
        {}, {{"", "", ""}}, {{"P1", "PubMed", ""}}};
    for (const auto& projects : setups) {
        Home home(projects);
        ScriptedPrompter by_tab;
        ScriptedPrompter by_spot;
        auto a = home.open(by_tab);
        auto b = home.open(by_spot);
        for (int n = 1; n <= 4; ++n) {
            for (int from : {0, 1, 3}) {
                // Start both from the same page (page 3 only when it can be shown).
                a->TabSet1->setCurrentIndex(from);
                b->TabSet1->setCurrentIndex(from);
                by_tab.clear();
                by_spot.clear();
                a->TabSet1->setCurrentIndex(n);
                b->SpeedButton_hot[n - 1]->click();
                EXPECT_EQ(state_of(*a, by_tab), state_of(*b, by_spot))
                    << "projects " << projects.size() << " hot spot " << n << " from " << from;
            }
        }
    }
}

TEST(MainWindowNavigation, HotSpotOnTheShownPageStillRunsTheGuard) {
    Home home;
    ScriptedPrompter prompter;
    auto w = home.open(prompter);
    w->SpeedButton_hot[0]->click(); // 项目 while 项目 is shown: no message
    EXPECT_TRUE(prompter.calls().empty());
    EXPECT_EQ(w->Label_daohang->text(), qs("项目"));
    w->SpeedButton_hot[3]->click();
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{"请首先建立工作项目！\r"});
    EXPECT_EQ(w->Label_daohang->text(), qs("项目"));
}

TEST(MainWindowNavigation, ExitButtonClosesTheWindowAndSavesTheGeometry) {
    Home home;
    ScriptedPrompter prompter;
    auto w = home.open(prompter);
    w->show();
    w->SpeedButton_tuichu->click();
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(std::filesystem::exists(home.ini()));
}

// ---- Enter moves on like Tab ---------------------------------------------------------------

namespace {

// Opens a fresh window on page `page`, puts the focus into the field named `field`
// and presses `key` there; returns the object name of the widget that has the focus
// then. A fresh window each time keeps the fields' own exit handlers out of the way.
std::string focus_after_key(const Home& home, int page, const char* field, int key,
                            QString* text_after = nullptr,
                            Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    ScriptedPrompter prompter;
    auto w = home.open(prompter);
    w->show();
    QApplication::setActiveWindow(w.get());
    w->TabSet1->setCurrentIndex(page);
    auto* from = w->findChild<QWidget*>(QString::fromLatin1(field));
    EXPECT_NE(from, nullptr) << field;
    if (from == nullptr) {
        return {};
    }
    from->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), from) << field;
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(from, &press);
    QApplication::processEvents();
    if (text_after != nullptr) {
        if (auto* memo = qobject_cast<QPlainTextEdit*>(from)) {
            *text_after = memo->toPlainText();
        } else if (auto* edit = qobject_cast<QLineEdit*>(from)) {
            *text_after = edit->text();
        }
    }
    const QWidget* now = QApplication::focusWidget();
    return now == nullptr ? std::string("(none)") : now->objectName().toStdString();
}

} // namespace

TEST(MainWindowKeys, EnterMovesFocusLikeTab) {
    // A project without documents: its number, format and description are editable.
    Home home({{"P1", "PubMed", "说明"}});
    const std::pair<int, const char*> fields[] = {
        {1, "Edit1"}, {1, "ComboBox_geshi_2"}, {1, "Memo1"}, {2, "Edit2"}};
    for (const auto& [page, field] : fields) {
        const std::string by_tab = focus_after_key(home, page, field, Qt::Key_Tab);
        EXPECT_NE(by_tab, field);
        QString text;
        EXPECT_EQ(focus_after_key(home, page, field, Qt::Key_Return, &text), by_tab) << field;
        EXPECT_FALSE(text.contains(QLatin1Char('\n'))) << field;
        EXPECT_EQ(focus_after_key(home, page, field, Qt::Key_Enter), by_tab) << field;
        // Shift+Enter moves back as Shift+Tab (Backtab with Shift held) does.
        const std::string back =
            focus_after_key(home, page, field, Qt::Key_Backtab, nullptr, Qt::ShiftModifier);
        EXPECT_NE(back, by_tab) << field;
        EXPECT_NE(back, field);
        EXPECT_EQ(focus_after_key(home, page, field, Qt::Key_Return, &text, Qt::ShiftModifier),
                  back)
            << field;
        EXPECT_FALSE(text.contains(QLatin1Char('\n'))) << field;
        EXPECT_EQ(focus_after_key(home, page, field, Qt::Key_Enter, nullptr,
                                  Qt::ShiftModifier | Qt::KeypadModifier),
                  back)
            << field;
    }
}

// ---- Grids ------------------------------------------------------------------------------

// At the default 900 x 600 the row numbers of every data grid are whole, and the statistics
// grid shows all its columns (the value column gives up width).
TEST(MainWindowGrids, RowNumbersAreWholeAndStatisticsColumnsInView) {
    Home home({{"P1", "WOS", ""}});
    ScriptedPrompter prompter;
    auto w = home.open(prompter);
    w->show();
    ASSERT_EQ(w->size(), QSize(900, 600));
    const std::pair<QTableView*, TableModel*> grids[] = {{w->DBGrid1, w->DBGrid1_model},
                                                         {w->DBGrid2, w->DBGrid2_model},
                                                         {w->DBGrid3, w->DBGrid3_model},
                                                         {w->DBGrid5, w->DBGrid5_model},
                                                         {w->DBGrid6, w->DBGrid6_model}};
    for (int page = 0; page < 5; ++page) {
        w->Notebook1->setCurrentIndex(page); // every page laid out, guards aside
        for (auto [grid, model] : grids) {
            model->bind([] { return 120LL; }, [](long long, int) { return std::string("v"); });
        }
        QApplication::processEvents();
    }
    for (auto [grid, model] : grids) {
        SCOPED_TRACE(grid->objectName().toStdString());
        const QHeaderView* numbers = grid->verticalHeader();
        EXPECT_GE(numbers->width(),
                  numbers->fontMetrics().horizontalAdvance(QStringLiteral("120")) + 4);
    }

    w->Notebook1->setCurrentIndex(3);
    QApplication::processEvents();
    const QHeaderView* columns = w->DBGrid5->horizontalHeader();
    const int visible = w->DBGrid5->viewport()->width();
    EXPECT_EQ(columns->sectionSize(0), 60);
    EXPECT_EQ(columns->sectionSize(2), 100);
    EXPECT_EQ(columns->sectionSize(3), 80);
    EXPECT_EQ(columns->sectionSize(4), 100);
    EXPECT_GE(columns->sectionSize(1), 200);
    EXPECT_LE(columns->sectionViewportPosition(4) + columns->sectionSize(4), visible);
}

// ---- Jobs started by the main window ----------------------------------------------------

TEST(MainWindowJobs, RunJobShowsTheDialogAndRunsTheRegisteredBodyOnce) {
    Home home({{"P1", "PubMed", ""}});
    ScriptedPrompter prompter;
    auto w = home.open(prompter);
    std::vector<std::string> seen;
    w->register_job(msg::job_statistics, [&](TForm_zhuangtaitiao& d) {
        seen.push_back(d.Label1->text().toStdString());
        EXPECT_EQ(w->job_dialog, &d);
        EXPECT_TRUE(d.isVisible());
        EXPECT_TRUE(d.isModal());
    });
    w->run_job(std::string(msg::job_title_statistics) + "作者", msg::job_statistics);
    EXPECT_EQ(seen, std::vector<std::string>{"汇总统计计算...... 作者"});
    EXPECT_EQ(w->job_dialog, nullptr);
}

TEST(MainWindowJobs, AProjectWithoutFormatTypeRunsNoBody) {
    Home home({{"P1", "没有的格式", ""}});
    ScriptedPrompter prompter;
    auto w = home.open(prompter);
    int runs = 0;
    w->register_job(msg::job_word_document, [&](TForm_zhuangtaitiao&) { ++runs; });
    w->run_job(msg::job_title_word_document, msg::job_word_document);
    EXPECT_EQ(runs, 0);
}

TEST(MainWindowJobs, CallerDrivenDialogIsTheProgramWideDialogUntilReleased) {
    Home home({{"P1", "PubMed", ""}});
    ScriptedPrompter prompter;
    auto w = home.open(prompter);
    auto dialog = w->start_caller_driven("导出文献信息至txt文本文件......");
    EXPECT_EQ(w->job_dialog, dialog.get());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->kind(), "不关闭");
    EXPECT_EQ(dialog->gauge_maximum(), 0);
    dialog.reset();
    EXPECT_EQ(w->job_dialog, nullptr);
}

// Before the window opens: a program folder whose catalogue has gone gets the shipped
// one, and the user is told which project folders it does not know.
TEST(Startup, ANewCatalogueNamesTheProjectFoldersLeftInTheProgramFolder) {
    TempDir home;
    std::filesystem::create_directories(home / "P7");
    write_file(home / "P7" / "zidianP7.dbf", "");
    ScriptedPrompter prompter;
    EXPECT_EQ(prepare_home(home.path().string(), prompter), home.path());
    EXPECT_TRUE(std::filesystem::exists(home / "velkor.exs"));
    ASSERT_EQ(prompter.calls().size(), 1u);
    EXPECT_EQ(prompter.calls()[0].kind, Kind::inform);
    EXPECT_EQ(prompter.calls()[0].text,
              "目录数据库不存在，已新建目录数据库。程序文件夹中的以下项目文件夹未在其中登记：P7"
              "\r如需继续使用其中的数据，请在新增项目时使用相同的编号。\r");
    prompter.clear();
    EXPECT_EQ(prepare_home(home.path().string(), prompter), home.path());
    EXPECT_TRUE(prompter.calls().empty());
}
