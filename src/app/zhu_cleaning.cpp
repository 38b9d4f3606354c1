// Page 提取: the thesaurus dialog ("词表清洗") and the similar-values dialog ("相似值") on the
// keyword chosen in ComboBox1. Previews and value counts read the project; applying a
// thesaurus holds the project's lock while it writes. Large value tables report through
// the job dialog.
#include "app/similar_dialog.h"
#include "app/thesaurus_dialog.h"
#include "app/wait_cursor.h"
#include "app/zhu.h"
#include "messages.h"
#include "text/text.h"

namespace lumacite::app {
namespace {

// From this many stored rows on, a pass over the value table shows the job dialog.
constexpr std::uint32_t large_table_rows = 100'000;

// Author keywords start with the initials grouping ticked.
bool names_authors(const std::string& keyword) {
    return keyword.find("作者") != std::string::npos ||
           text::ascii_lower(keyword).find("author") != std::string::npos;
}

} // namespace

void TForm_zhu::with_table_progress(const std::string& title, std::uint32_t rows,
                                    const std::function<void(Progress&)>& work) {
    const WaitCursor busy;
    if (rows < large_table_rows) {
        NullProgress none;
        work(none);
        return;
    }
    auto dialog = start_caller_driven(title);
    work(*dialog);
}

ThesaurusCommand TForm_zhu::thesaurus_command(const std::string& keyword) {
    TForm_zhu& w = *this;
    return [&w, keyword](const values::Thesaurus& thesaurus, std::optional<long long> xuhao,
                         bool apply) -> std::optional<values::ThesaurusOutcome> {
        const store::Project* project = w.selected_project();
        if (project == nullptr) {
            return std::nullopt;
        }
        const values::ThesaurusScope scope{project->bianhao, keyword, w.selected_format_type(),
                                           xuhao};
        std::optional<values::ThesaurusOutcome> outcome;
        if (!apply) {
            store::Workspace* ws = w.project_workspace();
            if (ws == nullptr) {
                return std::nullopt;
            }
            w.attempt([&] {
                w.with_table_progress(msg::thesaurus_preview_progress, ws->value_record_count(),
                                      [&](Progress& progress) {
                                          outcome = values::preview_thesaurus(*ws, scope, thesaurus,
                                                                              progress);
                                      });
            });
            return outcome;
        }
        {
            auto ws = w.writable_workspace();
            if (!ws) {
                return std::nullopt;
            }
            w.attempt([&] {
                w.with_table_progress(
                    msg::thesaurus_progress, ws->value_record_count(), [&](Progress& progress) {
                        outcome = values::apply_thesaurus(*ws, scope, thesaurus, progress);
                    });
            });
        } // the lock goes before the grid reads the table again
        if (w.zidian_query) {
            w.open_values_query(*w.zidian_query, std::max(w.value_row(), 0));
            w.Label3->setText(QString::number(w.zidian_rows.size()));
        }
        return outcome;
    };
}

void TForm_zhu::SpeedButton_thesaurusClick() {
    if (ComboBox1->currentIndex() < 0 || !project_with_number()) {
        return;
    }
    const std::string keyword = chosen_keyword(ComboBox1);
    std::optional<long long> xuhao;
    if (zidian_query) {
        xuhao = zidian_query->xuhao;
    } else if (const store::Document* d = selected_document()) {
        xuhao = d->xuhao;
    }
    ThesaurusDialog dialog(keyword, xuhao, prompter, thesaurus_command(keyword), this);
    dialog.exec();
}

void TForm_zhu::SpeedButton_similarClick() {
    if (ComboBox1->currentIndex() < 0 || !project_with_number()) {
        return;
    }
    const std::string keyword = chosen_keyword(ComboBox1);
    auto counts = [this, keyword]() -> std::optional<std::vector<values::ValueCount>> {
        store::Workspace* ws = project_workspace();
        if (ws == nullptr) {
            return std::nullopt;
        }
        std::optional<std::vector<values::ValueCount>> out;
        attempt([&] {
            with_table_progress(
                msg::similar_progress, ws->value_record_count(), [&](Progress& progress) {
                    out = values::value_counts(*ws, keyword, selected_format_type(), progress);
                });
        });
        return out;
    };
    SimilarValuesDialog dialog(keyword, names_authors(keyword), prompter, counts,
                               thesaurus_command(keyword), this);
    dialog.fill();
    dialog.exec();
}

} // namespace lumacite::app
