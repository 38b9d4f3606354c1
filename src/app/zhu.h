// TForm_zhu, the main window: the side panel with its four hot spots, the navigation
// bar, the five pages (管理员, 项目, 提取, 统计, 矩阵) with every control, the page tabs,
// the window geometry kept in the settings file, and the start of long jobs in the job
// dialog.
//
// Construction and navigation live in zhu.cpp. Each page's command handlers live in a
// file of their own: zhu_admin.cpp (formats and keyword definitions), zhu_projects.cpp
// (projects), zhu_documents.cpp (document list), zhu_extract.cpp (extraction, values
// browser, article basket), zhu_stats.cpp (statistics), zhu_matrix.cpp (matrices),
// zhu_cleaning.cpp (the thesaurus and similar-values dialogs of page 提取),
// zhu_network.cpp (the network map of the matrix page), zhu_exports.cpp (the workbook, value
// and article exports). Every button, list and menu item is connected to its handler by the
// constructor.
#pragma once

#include "analysis/jobs.h"
#include "app/matrix_grid_model.h"
#include "app/network_map_view.h"
#include "app/prompter.h"
#include "app/table_model.h"
#include "app/thesaurus_dialog.h"
#include "app/up_down.h"
#include "app/zhuangtaitiao.h"
#include "network/network.h"
#include "store/catalogue.h"
#include "store/settings.h"
#include "store/workspace.h"
#include "values/values.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lumacite::app {

struct StartOptions {
    bool show_splash = true;
};

class TForm_zhu : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and starts it: splash, tabs, geometry from the settings file,
    // catalogue, format lists, project list with its first project selected. Throws
    // store::CatalogueError (naming the file) when the catalogue cannot be opened.
    TForm_zhu(std::filesystem::path program_folder, Prompter& prompter, StartOptions options = {},
              QWidget* parent = nullptr);
    ~TForm_zhu() override;

    // ---- Program state ---------------------------------------------------------------
    const std::filesystem::path program_folder; // no trailing separator
    const std::filesystem::path settings_file;  // program folder / lumacite.ini
    Prompter& prompter;
    std::optional<store::Catalogue> catalogue; // open once construction has finished

    // Rows of the catalogue as the grids show them.
    std::vector<store::Definition> geshi_rows; // ADOQuery_geshi (DBGrid1)
    std::vector<store::Project> xiangmu_rows;  // ADOQuery_xiangmu (DBGrid2)
    std::vector<store::Document> wenxian_rows; // ADOQuery_wenxian (DBGrid3)

    // The selected project (current row of the project grid); null when none.
    const store::Project* selected_project() const;
    int project_row() const;
    // The selected document entry; null when none.
    const store::Document* selected_document() const;
    int document_row() const;
    // The format type of the selected project: leixing of its format; "" when none.
    std::string selected_format_type() const;
    // The folder of a project: program folder / number.
    std::filesystem::path project_folder(const std::string& bianhao) const;

    // Re-reads the project list and makes row `row` (clamped) current, which runs the
    // project selection. -1 keeps no row.
    void open_project_query(int row = 0);
    // Re-reads the selected project's document entries and makes `row` current.
    void open_document_query(int row = 0);
    // Clears and refills both format lists from the catalogue.
    void fill_format_lists();

    // Set while the three keyword lists are refilled; their change handlers then do nothing.
    bool filling_keywords = false;

    // The selected project's workspace (zidian, tongji, temp), open for reading: the window
    // holds no lock while it only shows a project, so other programs may write it
    // meanwhile. project_workspace() opens it afresh on the selected project for each
    // command (what another program wrote is then seen). Null when no project with a
    // number is selected or its tables cannot be opened (the reason shown).
    std::optional<store::Workspace> workspace;
    store::Workspace* project_workspace();
    // A command that writes the selected project takes its lock for the time it writes:
    // the workspace bound for writing, or nullopt after showing why not (another program
    // writes the project: msg::project_in_use; a table that cannot be opened).
    std::optional<store::Workspace> writable_workspace();
    // The workspace of the writing job running in the job dialog (its lock held).
    std::optional<store::Workspace> job_workspace;

    // Query_zidian: the values grid's query and its rows, the grid's own project, document
    // and keyword, which every filter, sort and change of the grid acts on. No query while
    // the grid is closed.
    std::optional<values::GridQuery> zidian_query;
    std::vector<values::GridRow> zidian_rows;
    // Runs `query`, shows its rows and makes row `row` (clamped) the current one.
    void open_values_query(const values::GridQuery& query, int row = 0);
    void close_values_query();
    // The values grid's current row; -1 when the grid has none.
    int value_row() const;
    // The sort the value column's title shows ("▲ 值", "▼ 值" or "值").
    values::Sort value_title_sort() const;
    void set_value_title(values::Sort sort);

    // Query_tongji: the statistics rows of the keyword chosen last on page 统计 or 矩阵.
    std::vector<store::StatisticsRow> tongji_rows;
    void open_statistics_query(const std::string& keyword);
    // The matrices as last generated; the matrix grids show them.
    analysis::MatrixResults matrices;

    // The text lines of the matrices for the matrix export (invisible lists).
    std::vector<std::string> ListBox_cipian{"临时存储"};
    std::vector<std::string> ListBox_gongxian;

    // ---- Jobs ----------------------------------------------------------------------
    // The job bodies by job kind; the constructor registers the four bodies below.
    std::map<std::string, JobBody> job_bodies;
    void register_job(const std::string& kind, JobBody body) { job_bodies[kind] = std::move(body); }
    // Runs a job in the modal job dialog: title in Label1, kind in Label2.
    void run_job(const std::string& title, const std::string& kind);
    // Shows the job dialog without making it modal, kind "不关闭", gauge at 0, for a
    // command that drives the gauge itself; the command releases it when done.
    std::unique_ptr<TForm_zhuangtaitiao> start_caller_driven(const std::string& title);
    // The one job dialog that exists, if any.
    TForm_zhuangtaitiao* job_dialog = nullptr;

    void extract_job(TForm_zhuangtaitiao& dialog);
    void statistics_job(TForm_zhuangtaitiao& dialog);
    void word_document_job(TForm_zhuangtaitiao& dialog);
    void cooccurrence_job(TForm_zhuangtaitiao& dialog);
    void matrix_job(TForm_zhuangtaitiao& dialog, analysis::MatrixKind kind);
    void network_job(TForm_zhuangtaitiao& dialog);

    // The statistics rows of Query_tongji as the matrices and the network read them.
    std::vector<analysis::RankedValue> ranked_rows() const;
    // The network settings of the 网络图 tab; refuses ("请输入有效的数值：" + caption) and
    // gives nullopt when the minimum weight or the resolution is not a valid number.
    std::optional<network::Options> network_options();
    // The settings of the network job about to run.
    network::Options network_request;
    // The keyword of the network shown.
    std::string network_keyword;

    // The article report of a value (the articles that carry it), offered by a double-click
    // on the network map once the user agrees: keyword and value. The constructor sets it
    // to the text report (export_value_articles).
    std::function<void(const std::string& keyword, const std::string& value)> value_report;

    // ---- Frame ---------------------------------------------------------------------
    QWidget* Panel_left;
    QLabel* Image_title;   // title picture with the four circular labels
    QLabel* Image_credits; // credits picture
    QToolButton*
        SpeedButton_hot[4]; // hot spots over 项目, 提取, 统计, 矩阵 ("SpeedButton_hot1".."4")
    QWidget* Panel_top;
    QLabel* Label_daohang;
    QToolButton* SpeedButton_tuichu; // "退出系统"
    QTabBar* TabSet1;
    QStackedWidget* Notebook1;

    // ---- Page 0 管理员 -------------------------------------------------------------------
    QStackedWidget* Notebook2;
    QTabBar* TabSet2;
    QComboBox* ComboBox_geshi; // "·格式定义："
    QToolButton* SpeedButton1; // 增加 format
    QToolButton* SpeedButton2; // 删除 format
    QToolButton* SpeedButton3; // 修改 format
    QTableView* DBGrid1;       // keyword definitions of the chosen format
    TableModel* DBGrid1_model;
    QToolButton* SpeedButton4; // 增加 keyword definition
    QToolButton* SpeedButton5; // 删除 keyword definition
    QToolButton* SpeedButton6; // 修改 keyword definition

    // ---- Page 1 项目 ---------------------------------------------------------------------
    QTableView* DBGrid2; // projects
    TableModel* DBGrid2_model;
    QLineEdit* Edit1;            // "·项目编号："
    QComboBox* ComboBox_geshi_2; // "·格式类型："
    QPlainTextEdit* Memo1;       // "·项目说明："
    QToolButton* SpeedButton9;   // 增加 project
    QToolButton* SpeedButton10;  // 删除 project

    // ---- Page 2 提取 ---------------------------------------------------------------------
    QTableView* DBGrid3; // document entries
    TableModel* DBGrid3_model;
    QToolButton* SpeedButton13; // 选择文档
    QToolButton* SpeedButton14; // 选择目录
    QToolButton* SpeedButton15; // 移除文档
    QComboBox* ComboBox1;       // "·关键字段："
    QLabel* Label3;             // value count
    QRadioButton* RadioButton1; // 全部
    QRadioButton* RadioButton2; // 仅同值
    QLineEdit* Edit2;           // "文章号定位："
    QToolButton* SpeedButton16; // 提取
    QTableView* DBGrid6;        // extracted values (文章号, 值)
    TableModel* DBGrid6_model;
    QWidget* Panel_values;             // side panel of the values grid: value buttons, basket
    QVBoxLayout* Panel_values_buttons; // 摘除, 修改, 全部导出 (room for more value buttons)
    QToolButton* SpeedButton17;        // 摘除
    QToolButton* SpeedButton18;        // 修改
    QToolButton* SpeedButton19;        // 全部导出 (pops up PopupMenu4)
    QToolButton* SpeedButton_thesaurus; // 词表清洗 (the thesaurus dialog)
    QToolButton* SpeedButton_similar;   // 相似值 (the similar-values dialog)
    QToolButton* SpeedButton23;         // 导出 (pops up PopupMenu3)
    QListWidget* ListBox2;              // article basket
    QMenu* PopupMenu3;                  // article information export of the basket
    QAction* MenuItem4;                 // 导出至txt文本
    QAction* MenuItem6;                 // 导出至excel
    QMenu* PopupMenu4;                  // export of all values of the keyword
    QAction* MenuItem7;                 // 导出至txt文本
    QAction* MenuItem8;                 // 导出至excel

    // ---- Page 3 统计 ---------------------------------------------------------------------
    QComboBox* ComboBox3;       // "·关键字："
    QToolButton* SpeedButton11; // 统计
    QLineEdit* Edit4;           // "·频次阈值："
    UpDown* UpDown2;
    QToolButton* SpeedButton12; // 导出至Excel
    QTableView* DBGrid5;        // statistics rows
    TableModel* DBGrid5_model;
    QMenu* PopupMenu1;
    QAction* txt1;   // 导出至txt文本
    QAction* excel1; // 导出至excel

    // ---- Page 4 矩阵 ---------------------------------------------------------------------
    QLabel* Label4; // "·关键字："
    QComboBox* ComboBox2;
    QLabel* Label9;   // "·频次阈值："
    QLabel* Label13;  // "≥"
    QLineEdit* Edit3; // lower bound
    UpDown* UpDown1;
    QLabel* Label12;  // "≤"
    QLineEdit* Edit5; // upper bound
    UpDown* UpDown3;
    QToolButton* SpeedButton7; // 生成
    QToolButton* SpeedButton8; // 导出矩阵至Txt
    QTabWidget* PageControl1;
    QWidget* TabSheet1;      // 词篇矩阵
    QWidget* TabSheet2;      // 共现矩阵
    QTableView* StringGrid1; // word-document matrix
    MatrixGridModel* StringGrid1_cells;
    QTableView* StringGrid2; // co-occurrence matrix
    MatrixGridModel* StringGrid2_cells;
    QMenu* PopupMenu2;
    QAction* MenuItem1; // 导出至txt文本
    QAction* MenuItem3; // 导出至excel
    // Tab 网络图: the network of the same keyword and bounds.
    QWidget* TabSheet3;
    QComboBox* ComboBox_measure;           // "·相似度：", the six measures
    QLineEdit* Edit_min_weight;            // "最小权重：", 0 keeps every co-occurring pair
    QLineEdit* Edit_resolution;            // "分辨率：", 1 by default
    QCheckBox* CheckBox_isolated;          // "去除孤立点"
    QToolButton* SpeedButton_network;      // 生成网络图
    QToolButton* SpeedButton_network_save; // 保存 (pops up PopupMenu_network_save)
    QMenu* PopupMenu_network_save;
    QAction* network_save_actions[6]; // PNG, SVG, Pajek, VOSviewer, GraphML, CSV
    NetworkMapView* NetworkMap;
    QListWidget* ListBox_clusters; // the legend: one line per cluster

public slots:
    // ---- Navigation (zhu.cpp) ------------------------------------------------------
    void TabSet1Click(int index);
    void TabSet2Click(int index);
    // Hot spot n (1..4): the same as clicking tab n.
    void hot_spot_click(int n);

    // ---- 管理员 (zhu_admin.cpp) ----------------------------------------------------
    void ComboBox_geshiChange(int index);
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void SpeedButton6Click();

    // ---- 项目 (zhu_projects.cpp) -----------------------------------------------------
    void ADOQuery_xiangmuAfterScroll();
    void SpeedButton9Click();
    void SpeedButton10Click();
    void Edit1Exit();
    void ComboBox_geshi_2Change(int index);
    void Memo1Exit();

    // ---- 提取 (zhu_extract.cpp) ------------------------------------------------------
    void ADOQuery_wenxianAfterScroll();
    void SpeedButton13Click();
    void SpeedButton14Click();
    void SpeedButton15Click();
    void SpeedButton16Click();
    void ComboBox1Change(int index);
    void RadioButton1Click();
    void RadioButton2Click();
    void DBGrid6TitleClick(int column);
    void DBGrid6DblClick();
    void Edit2Exit();
    void ListBox2DblClick();
    void SpeedButton17Click();
    void SpeedButton18Click();
    void SpeedButton19Click();
    void SpeedButton23Click();
    // ---- Cleaning at scale (zhu_cleaning.cpp) ----
    void SpeedButton_thesaurusClick();
    void SpeedButton_similarClick();
    void MenuItem4Click();
    void MenuItem6Click();
    void MenuItem7Click();
    void MenuItem8Click();

    // ---- 统计 (zhu_stats.cpp) ----------------------------------------------------------
    void ComboBox3Change(int index);
    void SpeedButton11Click();
    void SpeedButton12Click();
    void txt1Click();
    void excel1Click();

    // ---- 矩阵 (zhu_matrix.cpp) ---------------------------------------------------------
    void ComboBox2Change(int index);
    void SpeedButton7Click();
    void SpeedButton8Click();
    void MenuItem1Click();
    void MenuItem3Click();

    // ---- 网络图 (zhu_network.cpp) ------------------------------------------------------
    void SpeedButton_networkClick();
    // Item 0 … 5 of the save menu: PNG, SVG, Pajek, VOSviewer, GraphML, CSV.
    void network_save(int item);
    void NetworkMapDblClick(int node);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_frame();
    QWidget* build_admin_page();
    QWidget* build_projects_page();
    QWidget* build_extract_page();
    QWidget* build_stats_page();
    QWidget* build_matrix_page();
    QWidget* build_network_tab();
    void connect_handlers();
    void restore_geometry();
    void show_page(int index);
    void set_current_row(QTableView* view, int row);
    // The chosen item of a keyword list; "" when none is chosen.
    std::string chosen_keyword(const QComboBox* list) const;
    // A project is selected and its trimmed number is not empty.
    bool project_with_number() const;
    // The keyword of the matrix page when a generation may go on: a project with a number,
    // a chosen keyword and its statistics rows (read again). Otherwise nullopt, after the
    // statistics message when the rows are missing.
    std::optional<std::string> generation_keyword();
    // Shows the document list again with entry `xuhao` selected, after a registration.
    void show_registered_document(long long xuhao);

    // The command of the cleaning dialogs (zhu_cleaning.cpp): previews or applies a
    // thesaurus on `keyword` of the selected project, then shows the values grid again.
    ThesaurusCommand thesaurus_command(const std::string& keyword);
    // Runs a pass over the value table under the busy cursor, in the caller-driven job
    // dialog with `title` when the table is large.
    void with_table_progress(const std::string& title, std::uint32_t rows,
                             const std::function<void(Progress&)>& work);

    // Exports (zhu_exports.cpp). Runs a step; a failure is shown and gives false.
    bool attempt(const std::function<void()>& step);
    // Writes an export in the caller-driven job dialog with `title`; the window takes no
    // input meanwhile. False (the failure shown) when it failed.
    bool write_export(const std::string& title, const std::function<void(Progress&)>& write);
    // Shows a written export: a workbook with the desktop's application, a text file in
    // the viewer.
    void show_export(const std::filesystem::path& file, bool workbook);
    // The value export of the values browser's keyword.
    void export_values(bool workbook);
    // The article report of a statistics row, a co-occurrence cell, the article basket.
    void export_row_articles(bool workbook);
    // The report of the articles that carry `value` under `keyword` (statistics row, map).
    void export_value_articles(const std::string& keyword, const std::string& value, bool workbook);
    void export_cell_articles(bool workbook);
    void export_basket_articles(bool workbook);
    // Writes the report of `articles` (temp.txt, or a workbook in exports/ named by kind
    // and parts) in the caller-driven job dialog with `title`, then shows it.
    void export_articles(const std::vector<std::string>& articles, bool workbook, const char* title,
                         const char* kind, const std::vector<std::string>& parts);

    bool in_tab_click_ = false;
};

} // namespace lumacite::app
