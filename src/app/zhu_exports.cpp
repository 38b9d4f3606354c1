// The exports of the main window: the statistics workbook (page 统计), the value export
// (全部导出, page 提取) and the article information report of a statistics row, a
// co-occurrence cell and the article basket. Workbooks go to exports/ in the program folder
// and are shown with the desktop's spreadsheet application; text files open in the
// program's viewer.
#include "analysis/analysis.h"
#include "app/wait_cursor.h"
#include "app/zhu.h"
#include "export/exports.h"
#include "messages.h"
#include "store/program_folder.h"
#include "text/text.h"

#include <QApplication>

#include <algorithm>
#include <ctime>
#include <functional>

namespace lumacite::app {

namespace {

std::tm local_now() {
    const std::time_t now = std::time(nullptr);
    std::tm out{};
    localtime_r(&now, &out);
    return out;
}

// The window takes no input while an export reads the project tables: a command started
// meanwhile could change the rows being read.
class InputPause {
public:
    explicit InputPause(QWidget* window) : window_(window) { window_->setEnabled(false); }
    ~InputPause() { window_->setEnabled(true); }
    InputPause(const InputPause&) = delete;
    InputPause& operator=(const InputPause&) = delete;

private:
    QWidget* window_;
};

} // namespace

// ---- Running an export ----------------------------------------------------------------------

bool TForm_zhu::attempt(const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (const std::exception& e) {
        prompter.refuse(e.what());
        return false;
    }
}

bool TForm_zhu::write_export(const std::string& title,
                             const std::function<void(Progress&)>& write) {
    return attempt([&] {
        const InputPause pause(centralWidget());
        auto dialog = start_caller_driven(title);
        write(*dialog);
    });
}

void TForm_zhu::show_export(const std::filesystem::path& file, bool workbook) {
    if (workbook) {
        prompter.show_workbook(file);
    } else {
        prompter.show_text_file(file);
    }
}

// ---- Statistics workbook ------------------------------------------------------------------

void TForm_zhu::SpeedButton12Click() {
    if (ComboBox3->currentIndex() < 0 || tongji_rows.empty() || !project_with_number()) {
        return;
    }
    if (!prompter.ask_ok_cancel(msg::stats_export_question)) {
        return;
    }
    if (Edit4->text().isEmpty()) {
        Edit4->setText(QStringLiteral("0"));
    }
    const long long threshold = analysis::parse_bound(Edit4->text().toStdString());
    const std::vector<std::string> parts{chosen_keyword(ComboBox3)};
    std::filesystem::path file;
    if (!attempt([&] {
            file = exports::new_workbook_path(program_folder, msg::export_kind_statistics, parts,
                                              local_now());
        }) ||
        !write_export(msg::stats_export_title, [&](Progress& progress) {
            const WaitCursor wait;
            exports::write_statistics_workbook(file, tongji_rows, threshold, progress);
        })) {
        return;
    }
    // The grid stands where the export stopped: on the first row below the threshold, or
    // on the last row.
    const std::size_t q = exports::qualifying_rows(tongji_rows, threshold);
    set_current_row(DBGrid5, static_cast<int>(std::min(q, tongji_rows.size() - 1)));
    show_export(file, true);
}

// ---- Value export -------------------------------------------------------------------------

void TForm_zhu::export_values(bool workbook) {
    if (ComboBox1->currentIndex() < 0 || DBGrid6_model->rowCount() == 0) {
        return;
    }
    store::Workspace* ws = project_workspace();
    if (ws == nullptr) {
        return;
    }
    const std::string keyword = chosen_keyword(ComboBox1);
    if (!workbook && !exports::keyword_fits_file_name(keyword)) {
        prompter.refuse(exports::keyword_not_file_name_message(keyword));
        return;
    }
    std::filesystem::path file = program_folder / exports::value_text_file_name(keyword);
    const std::vector<std::string> parts{keyword};
    if ((workbook && !attempt([&] {
             file = exports::new_workbook_path(program_folder, msg::export_kind_values, parts,
                                               local_now());
         })) ||
        !write_export(exports::value_export_title(keyword, workbook), [&](Progress& progress) {
            if (workbook) {
                exports::write_values_workbook(*ws, keyword, file, progress);
            } else {
                exports::write_values_text(*ws, keyword, file, progress);
            }
        })) {
        return;
    }
    show_export(file, workbook);
}

void TForm_zhu::MenuItem7Click() {
    export_values(false);
}

void TForm_zhu::MenuItem8Click() {
    export_values(true);
}

// ---- Article information report ------------------------------------------------------------

void TForm_zhu::export_articles(const std::vector<std::string>& articles, bool workbook,
                                const char* title, const char* kind,
                                const std::vector<std::string>& parts) {
    store::Workspace* ws = project_workspace();
    if (ws == nullptr) {
        return;
    }
    std::filesystem::path file = program_folder / msg::report_text_file;
    exports::JournalTable journals;
    if ((workbook && !attempt([&] {
             journals = exports::JournalTable::load(
                 program_folder, exports::shipped_journal_table(store::executable_folder()));
             file = exports::new_workbook_path(program_folder, kind, parts, local_now());
         })) ||
        !write_export(title, [&](Progress& progress) {
            if (workbook) {
                exports::write_workbook_report(*ws, articles, journals, file, progress);
            } else {
                exports::write_text_report(*ws, articles, file, progress);
            }
        })) {
        return;
    }
    show_export(file, workbook);
}

void TForm_zhu::export_row_articles(bool workbook) {
    // Like the data set under it, the grid has a current row whenever it has rows: the
    // first until another is chosen.
    const int row = std::max(DBGrid5->currentIndex().row(), 0);
    if (ComboBox3->currentIndex() < 0 || static_cast<std::size_t>(row) >= tongji_rows.size() ||
        !project_with_number()) {
        return;
    }
    const std::string value = tongji_rows[static_cast<std::size_t>(row)].zhi;
    if (!value.empty()) {
        export_value_articles(chosen_keyword(ComboBox3), value, workbook);
    }
}

void TForm_zhu::export_value_articles(const std::string& keyword, const std::string& value,
                                      bool workbook) {
    store::Workspace* ws = project_workspace();
    std::vector<std::string> articles;
    if (ws == nullptr || !attempt([&] {
            articles = exports::value_carriers(*ws, keyword, selected_format_type(), value);
        })) {
        return;
    }
    export_articles(articles, workbook,
                    workbook ? msg::report_title_row_workbook : msg::report_title_row_text,
                    msg::export_kind_articles, {keyword, value});
}

void TForm_zhu::txt1Click() {
    export_row_articles(false);
}

void TForm_zhu::excel1Click() {
    export_row_articles(true);
}

void TForm_zhu::export_cell_articles(bool workbook) {
    const QModelIndex at = StringGrid2->currentIndex();
    const int r = at.row();
    const int c = at.column();
    // Header cells are fixed: they cannot be the current cell of the grid.
    if (r < 1 || c < 1 || !project_with_number()) {
        return;
    }
    const std::string x = StringGrid2_cells->cell(c, r).toStdString();
    if (x.empty() || x == "0") {
        return;
    }
    const std::string row_value = StringGrid2_cells->cell(0, r).toStdString();
    const std::string column_value = StringGrid2_cells->cell(c, 0).toStdString();
    if (!prompter.ask_yes_no(
            exports::cooccurrence_report_question(r, row_value, c, column_value, x))) {
        return;
    }
    store::Workspace* ws = project_workspace();
    const std::string keyword = chosen_keyword(ComboBox3);
    std::vector<std::string> articles;
    if (ws == nullptr || !attempt([&] {
            articles = exports::pair_carriers(*ws, keyword, selected_format_type(), row_value,
                                              column_value);
        })) {
        return;
    }
    export_articles(articles, workbook,
                    workbook ? msg::report_title_cell_workbook : msg::report_title_cell_text,
                    msg::export_kind_cooccurring, {keyword, row_value, column_value});
}

void TForm_zhu::MenuItem1Click() {
    export_cell_articles(false);
}

void TForm_zhu::MenuItem3Click() {
    export_cell_articles(true);
}

void TForm_zhu::export_basket_articles(bool workbook) {
    if (ListBox2->count() == 0) {
        prompter.refuse(msg::report_basket_empty, Icon::information);
        return;
    }
    std::vector<std::string> articles;
    for (int i = 0; i < ListBox2->count(); ++i) {
        articles.push_back(ListBox2->item(i)->text().toStdString());
    }
    export_articles(articles, workbook,
                    workbook ? msg::report_title_basket_workbook : msg::report_title_basket_text,
                    msg::export_kind_basket, {});
}

void TForm_zhu::MenuItem4Click() {
    export_basket_articles(false);
}

void TForm_zhu::MenuItem6Click() {
    export_basket_articles(true);
}

} // namespace lumacite::app
