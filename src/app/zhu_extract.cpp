// Extraction page: the Extract command, the values browser with its article basket, value
// editing and the value and article exports. The document list is in zhu_documents.cpp.
#include "app/zhu.h"
#include "extract/extraction_run.h"
#include "messages.h"
#include "text/text.h"

#include <QCursor>

namespace lumacite::app {

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

void TForm_zhu::ComboBox1Change(int) {
    // Choosing a keyword in the values browser: filled by the values browser feature.
}

void TForm_zhu::RadioButton1Click() {
    // Filter "全部": filled by the values browser feature.
}

void TForm_zhu::RadioButton2Click() {
    // Filter "仅同值": filled by the values browser feature.
}

void TForm_zhu::DBGrid6TitleClick(int) {
    // Sort by value: filled by the values browser feature.
}

void TForm_zhu::DBGrid6DblClick() {
    // Article number into the basket: filled by the values browser feature.
}

void TForm_zhu::Edit2Exit() {
    // Locate an article number: filled by the values browser feature.
}

void TForm_zhu::ListBox2DblClick() {
    // Remove a basket entry: filled by the values browser feature.
}

void TForm_zhu::SpeedButton17Click() {
    // Value removal dialog: filled by the value editing feature.
}

void TForm_zhu::SpeedButton18Click() {
    // Value dialog: filled by the value editing feature.
}

void TForm_zhu::SpeedButton19Click() {
    PopupMenu4->popup(QCursor::pos());
}

void TForm_zhu::SpeedButton23Click() {
    PopupMenu3->popup(QCursor::pos());
}

} // namespace lumacite::app
