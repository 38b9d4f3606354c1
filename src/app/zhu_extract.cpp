// Extraction page: the Extract command, the values browser with its article basket, value
// editing and removal, and the menus of the value and article exports. The document list is in
// zhu_documents.cpp.
#include "app/guanjianzi_shanchu.h"
#include "app/guanjianzi_xiugai.h"
#include "app/wait_cursor.h"
#include "app/zhu.h"
#include "extract/extraction_run.h"
#include "messages.h"
#include "text/text.h"

#include <QCursor>

#include <algorithm>

namespace lumacite::app {
namespace {

QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

void TForm_zhu::SpeedButton16Click() {
    const store::Project* project = selected_project();
    const store::Document* entry = selected_document();
    if (xiangmu_rows.empty() || project == nullptr || !project_with_number() ||
        wenxian_rows.empty() || entry == nullptr) {
        return;
    }
    if (text::trim(selected_format_type()).empty()) {
        return;
    }
    const auto check = extract::check_document(*entry, project_folder(project->bianhao));
    if (check != extract::DocumentCheck::ready) {
        prompter.refuse(extract::check_message(check));
        return;
    }
    // The project's lock from before the job dialog opens to the end of the run.
    job_workspace = writable_workspace();
    if (!job_workspace) {
        return;
    }
    run_job(msg::job_title_extract, msg::job_extract);
    job_workspace.reset();
}

void TForm_zhu::extract_job(TForm_zhuangtaitiao& dialog) {
    const store::Project* project = selected_project();
    const store::Document* entry = selected_document();
    if (project == nullptr || entry == nullptr || !catalogue) {
        return;
    }
    std::optional<store::Workspace>& ws = job_workspace;
    if (!ws) {
        return;
    }
    try {
        extract::WorkspaceValueTable table(*ws);
        const bool extracted = table.has_document_rows(entry->xuhao);
        if (extracted && !prompter.ask_yes_no(msg::extract_again_question)) {
            return;
        }
        ADOQuery_wenxianAfterScroll();
        extract::ExtractionRequest request =
            extract::make_request(*catalogue, *project, *entry, ws->folder(), extracted);
        // A skipped file is a notice (the run goes on); a stop is an error.
        request.report = [this](const extract::FileOutcome& o) {
            prompter.refuse(o.message, o.kind == extract::FileOutcome::Kind::skipped
                                           ? Icon::information
                                           : Icon::error);
        };
        const extract::ExtractionResult result = extract::run_extraction(request, table, dialog);
        if (result.status == extract::ExtractionResult::Status::no_readable_file) {
            prompter.refuse(result.messages.back());
        } else if (result.read_nothing()) {
            prompter.refuse(extract::read_nothing_message(result), Icon::information);
        }
    } catch (const std::exception& e) {
        prompter.refuse(e.what());
    }
}

// ---- Values browser --------------------------------------------------------------------

void TForm_zhu::open_values_query(const values::GridQuery& query, int row) {
    std::vector<values::GridRow> rows;
    if (store::Workspace* ws = project_workspace()) {
        const WaitCursor busy;
        try {
            rows = values::grid_rows(*ws, query);
        } catch (const std::exception& e) {
            prompter.refuse(e.what());
        }
    }
    DBGrid6_model->reset([&] {
        zidian_query = query;
        zidian_rows = std::move(rows);
    });
    const int last = static_cast<int>(zidian_rows.size()) - 1;
    set_current_row(DBGrid6, last < 0 ? -1 : std::clamp(row, 0, last));
}

void TForm_zhu::close_values_query() {
    DBGrid6_model->reset([&] {
        zidian_query.reset();
        zidian_rows.clear();
    });
}

int TForm_zhu::value_row() const {
    if (zidian_rows.empty()) {
        return -1;
    }
    const QModelIndex current = DBGrid6->currentIndex();
    // An open grid with rows always has a current row, the first one at the start.
    if (!current.isValid() || current.row() >= static_cast<int>(zidian_rows.size())) {
        return 0;
    }
    return current.row();
}

values::Sort TForm_zhu::value_title_sort() const {
    const QString title = DBGrid6_model->title(1);
    if (title.startsWith(qs(msg::sort_mark_ascending))) {
        return values::Sort::ascending;
    }
    if (title.startsWith(qs(msg::sort_mark_descending))) {
        return values::Sort::descending;
    }
    return values::Sort::none;
}

void TForm_zhu::set_value_title(values::Sort sort) {
    const QString mark = sort == values::Sort::ascending    ? qs(msg::sort_mark_ascending)
                         : sort == values::Sort::descending ? qs(msg::sort_mark_descending)
                                                            : QString();
    DBGrid6_model->set_title(1, mark + qs(msg::values_grid_value));
}

void TForm_zhu::ComboBox1Change(int) {
    const std::string format_type = selected_format_type();
    if (text::trim(format_type).empty()) {
        return;
    }
    RadioButton1->setChecked(true);
    close_values_query();
    Label3->setText(QStringLiteral("0"));
    const store::Document* document = selected_document();
    const std::string keyword = chosen_keyword(ComboBox1);
    if (wenxian_rows.empty() || document == nullptr || ComboBox1->currentIndex() < 0) {
        return;
    }
    values::GridQuery query;
    query.bianhao = selected_project()->bianhao;
    query.xuhao = document->xuhao;
    query.keyword = keyword;
    query.format_type = format_type;
    open_values_query(query);
    Label3->setText(QString::number(zidian_rows.size()));
    set_value_title(values::Sort::none);
}

void TForm_zhu::RadioButton1Click() {
    ComboBox1Change(ComboBox1->currentIndex());
}

void TForm_zhu::RadioButton2Click() {
    Label3->setText(QStringLiteral("0"));
    const int row = value_row();
    if (wenxian_rows.empty() || !zidian_query || row < 0 || ComboBox1->currentIndex() < 0) {
        return;
    }
    values::GridQuery query = *zidian_query;
    query.same_value = zidian_rows[static_cast<std::size_t>(row)].zhi;
    // The title keeps its mark; all rows hold one value, so their order stays as it is.
    query.sort = value_title_sort();
    open_values_query(query);
    Label3->setText(QString::number(zidian_rows.size()));
}

void TForm_zhu::DBGrid6TitleClick(int column) {
    if (column != 1) {
        return;
    }
    const values::Sort next = value_title_sort() == values::Sort::none ? values::Sort::ascending
                              : value_title_sort() == values::Sort::ascending
                                  ? values::Sort::descending
                                  : values::Sort::none;
    set_value_title(next);
    // Before a keyword has been chosen there is no query to sort.
    if (zidian_query) {
        values::GridQuery query = *zidian_query;
        query.sort = next;
        open_values_query(query);
    }
}

void TForm_zhu::DBGrid6DblClick() {
    const int row = value_row();
    if (ComboBox1->currentIndex() < 0 || row < 0) {
        return;
    }
    const QString article =
        QString::fromStdString(zidian_rows[static_cast<std::size_t>(row)].wenzhangha);
    const auto found = ListBox2->findItems(article, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (!found.isEmpty()) {
        ListBox2->setCurrentItem(found.front());
        return;
    }
    ListBox2->addItem(article);
    ListBox2->setCurrentRow(ListBox2->count() - 1);
}

void TForm_zhu::Edit2Exit() {
    if (!zidian_query) {
        return;
    }
    const auto at = values::locate_row(zidian_rows, Edit2->text().toStdString());
    if (!at) {
        return;
    }
    set_current_row(DBGrid6, static_cast<int>(*at));
    DBGrid6->scrollTo(DBGrid6->currentIndex());
    DBGrid6DblClick();
}

void TForm_zhu::ListBox2DblClick() {
    const int row = ListBox2->currentRow();
    if (row < 0) {
        return;
    }
    delete ListBox2->takeItem(row);
    ListBox2->setCurrentRow(std::min(row, ListBox2->count() - 1));
}

// ---- Value editing and removal --------------------------------------------------------------

void TForm_zhu::SpeedButton18Click() {
    const int row = value_row();
    if (ComboBox1->currentIndex() < 0 || row < 0 || !zidian_query) {
        return;
    }
    const values::GridRow current = zidian_rows[static_cast<std::size_t>(row)];
    TForm_guanjianzi_xiugai dialog(
        zidian_query->keyword, current, prompter,
        [this](const values::Operation& operation) {
            values::Check check = values::check_operation(operation);
            if (check.status != values::Check::Status::ready) {
                return check;
            }
            {
                // The project's lock while the table is written, as for every writer; while
                // another program writes, its message is shown and the dialog stays open.
                std::optional<store::Workspace> ws = writable_workspace();
                if (!ws) {
                    return values::Check{values::Check::Status::idle, {}};
                }
                try {
                    const WaitCursor busy;
                    check =
                        values::apply_operation(*ws, *zidian_query, zidian_rows, operation).check;
                } catch (const std::exception& e) {
                    prompter.refuse(e.what());
                }
            }
            if (check.status != values::Check::Status::ready) {
                return check;
            }
            // The grid runs its statement again; a changed value is shown on its row.
            open_values_query(*zidian_query);
            Label3->setText(QString::number(zidian_rows.size()));
            if (const auto* set = std::get_if<values::SetValue>(&operation)) {
                if (const auto at = values::locate_row(zidian_rows, set->wenzhangha,
                                                       values::stored_value(set->new_value))) {
                    set_current_row(DBGrid6, static_cast<int>(*at));
                    DBGrid6->scrollTo(DBGrid6->currentIndex());
                }
            }
            return check;
        },
        this);
    dialog.exec();
}

void TForm_zhu::SpeedButton17Click() {
    const int row = value_row();
    if (ComboBox1->currentIndex() < 0 || row < 0 || !zidian_query) {
        return;
    }
    const std::size_t current = static_cast<std::size_t>(row);
    TForm_guanjianzi_shanchu dialog(
        zidian_query->keyword, zidian_rows[current].zhi,
        [this, current](values::RemovalScope scope) {
            // The row above the current one, to stand on afterwards.
            std::optional<values::GridRow> above;
            if (current > 0) {
                above = zidian_rows[current - 1];
            }
            {
                // The project's lock while the table is rewritten; while another program
                // writes, its message is shown and the dialog stays open.
                std::optional<store::Workspace> ws = writable_workspace();
                if (!ws) {
                    return false;
                }
                try {
                    const WaitCursor busy;
                    values::remove_values(*ws, *zidian_query, zidian_rows, current, scope);
                } catch (const std::exception& e) {
                    prompter.refuse(e.what());
                }
            }
            open_values_query(*zidian_query);
            Label3->setText(QString::number(zidian_rows.size()));
            if (above) {
                if (const auto at =
                        values::locate_row(zidian_rows, above->wenzhangha, above->zhi)) {
                    set_current_row(DBGrid6, static_cast<int>(*at));
                    DBGrid6->scrollTo(DBGrid6->currentIndex());
                }
            }
            return true;
        },
        this);
    dialog.exec();
}

void TForm_zhu::SpeedButton19Click() {
    PopupMenu4->popup(QCursor::pos());
}

void TForm_zhu::SpeedButton23Click() {
    PopupMenu3->popup(QCursor::pos());
}

} // namespace lumacite::app
