// Extraction page, top: the document list of the selected project (choose a file, choose a
// directory, remove an entry) and the document scroll.
#include "app/xuanzemulu.h"
#include "app/zhu.h"
#include "messages.h"
#include "projects/projects.h"
#include "text/text.h"

namespace lumacite::app {
namespace {

// A filter of the form "name|pattern|name|pattern" as the file chooser takes it:
// "name (pattern);;…". A name that already ends with "(pattern)" stays as it is; "*.*"
// stands for every file, with or without an extension.
std::string chooser_filter(const std::string& pairs) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t bar = pairs.find('|'); bar != std::string::npos;
         from = bar + 1, bar = pairs.find('|', from)) {
        parts.push_back(pairs.substr(from, bar - from));
    }
    parts.push_back(pairs.substr(from));
    std::string filter;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        const std::string& name = parts[i];
        const std::string pattern = parts[i + 1] == "*.*" ? "*" : parts[i + 1];
        const std::string suffix = "(" + parts[i + 1] + ")";
        const bool named = name.size() >= suffix.size() &&
                           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
        if (!filter.empty()) {
            filter += ";;";
        }
        filter += named ? name : name + " (" + pattern + ")";
    }
    return filter;
}

// Row of the entry with this xuhao in the document list; 0 when there is none.
int row_of_document(const std::vector<store::Document>& rows, long long xuhao) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].xuhao == xuhao) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

} // namespace

void TForm_zhu::ADOQuery_wenxianAfterScroll() {
    Label3->setText(QStringLiteral("0"));
}

void TForm_zhu::SpeedButton13Click() {
    if (!project_with_number()) {
        return;
    }
    const auto chosen = prompter.choose_open_file(msg::choose_document_title,
                                                  chooser_filter(msg::choose_document_filter));
    if (!chosen) {
        return;
    }
    std::optional<store::Workspace> ws = writable_workspace();
    if (!ws) {
        return;
    }
    projects::FileRegistration registration;
    try {
        registration =
            projects::register_file(*catalogue, *ws, *chosen, [this](const std::string& q) {
                return prompter.ask_yes_no(q);
            });
    } catch (const std::exception& e) {
        // A failed copy registers nothing and clears nothing.
        prompter.refuse(e.what());
        return;
    }
    if (registration.status == projects::FileRegistration::Status::declined) {
        return;
    }
    if (registration.status == projects::FileRegistration::Status::refused) {
        prompter.refuse(registration.refusal);
        return;
    }
    show_registered_document(registration.xuhao);
}

void TForm_zhu::SpeedButton14Click() {
    if (!project_with_number()) {
        return;
    }
    const std::string number = selected_project()->bianhao;
    TForm_xuanzemulu dialog(
        prompter,
        [this, &number](const std::filesystem::path& directory, const std::string& extension) {
            projects::DirectoryRegistration outcome;
            try {
                // The project's lock while its document list changes.
                const auto ws = projects::open_for_writing(*catalogue, program_folder, number);
                outcome = projects::register_directory(*catalogue, number, directory, extension);
            } catch (const std::exception& e) {
                // Another program writes the project or changes the catalogue: the dialog
                // stays open.
                outcome.refusal = e.what();
                return outcome;
            }
            if (outcome.refusal.empty()) {
                show_registered_document(outcome.xuhao);
            }
            return outcome;
        },
        this);
    dialog.exec();
}

void TForm_zhu::SpeedButton15Click() {
    const store::Project* project = selected_project();
    const store::Document* entry = selected_document();
    // The placeholder project shows the list of the project selected before it: nothing
    // of that list may be removed from here.
    if (project == nullptr || !project_with_number() || wenxian_rows.empty() || entry == nullptr ||
        !catalogue->has_documents(project->bianhao)) {
        return;
    }
    if (!prompter.ask_ok_cancel(projects::remove_question(*entry))) {
        return;
    }
    const long long xuhao = entry->xuhao;
    std::optional<store::Workspace> ws = writable_workspace();
    if (!ws) {
        return;
    }
    try {
        projects::remove_document(*catalogue, *ws, xuhao);
    } catch (const std::exception& e) {
        prompter.refuse(e.what());
    }
    ws.reset();
    // The list shown again, and the project selected again: a project left without entries
    // may change its number, format and description once more.
    open_document_query(0);
    ADOQuery_wenxianAfterScroll();
    ADOQuery_xiangmuAfterScroll();
}

void TForm_zhu::show_registered_document(long long xuhao) {
    open_document_query(0);
    set_current_row(DBGrid3, row_of_document(wenxian_rows, xuhao));
    // A project with a document entry keeps its number, format and description.
    Edit1->setReadOnly(true);
    Memo1->setReadOnly(true);
    ComboBox_geshi_2->setEnabled(false);
}

} // namespace lumacite::app
