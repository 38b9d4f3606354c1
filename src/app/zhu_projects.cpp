// Project page: adding, selecting, renumbering, editing and deleting projects.
#include "app/zhu.h"
#include "messages.h"
#include "projects/projects.h"
#include "text/text.h"

#include <QSignalBlocker>

namespace lumacite::app {
namespace {

// Row of the project with this number in the project list; -1 when there is none.
int row_of_project(const std::vector<store::Project>& rows, const std::string& bianhao) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].bianhao == bianhao) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace

void TForm_zhu::ADOQuery_xiangmuAfterScroll() {
    // 1. The boxes are inert until this project allows editing.
    Edit1->setReadOnly(true);
    Memo1->setReadOnly(true);
    ComboBox_geshi_2->setEnabled(false);

    const store::Project* selected = selected_project();
    if (selected == nullptr) {
        // No project left: nothing is bound, so nothing of a deleted project stays shown.
        Edit1->clear();
        {
            const QSignalBlocker block(ComboBox_geshi_2);
            ComboBox_geshi_2->setCurrentIndex(-1);
        }
        Memo1->clear();
        wenxian_rows.clear();
        DBGrid3_model->unbind();
        ADOQuery_wenxianAfterScroll();
        return;
    }
    // The selection may re-read the project list; work on a copy of the row.
    const store::Project project = *selected;

    // 3. Number, format entry, description.
    Edit1->setText(QString::fromStdString(project.bianhao));
    {
        std::vector<std::string> entries;
        entries.reserve(static_cast<std::size_t>(ComboBox_geshi_2->count()));
        for (int i = 0; i < ComboBox_geshi_2->count(); ++i) {
            entries.push_back(ComboBox_geshi_2->itemText(i).toStdString());
        }
        const auto index = projects::format_entry_index(entries, project.geshi);
        const QSignalBlocker block(ComboBox_geshi_2);
        ComboBox_geshi_2->setCurrentIndex(index ? static_cast<int>(*index) : -1);
    }
    Memo1->setPlainText(QString::fromStdString(project.shuoming));

    // 4-6, 8-13, 15 in the core: binding, keyword list, document entries.
    projects::Selection selection;
    try {
        selection = projects::select_project(*catalogue, program_folder, project, workspace);
    } catch (const std::exception& e) {
        // The tables cannot be made ready: show nothing of another project as this one's.
        filling_keywords = true;
        for (QComboBox* list : {ComboBox1, ComboBox3, ComboBox2}) {
            list->clear();
        }
        filling_keywords = false;
        wenxian_rows.clear();
        DBGrid3_model->unbind();
        ADOQuery_wenxianAfterScroll();
        prompter.refuse(e.what());
        return;
    }
    // 4. A project without document entries may change number, format and description.
    if (selection.editable) {
        Edit1->setReadOnly(false);
        Memo1->setReadOnly(false);
        ComboBox_geshi_2->setEnabled(true);
    }
    // 5. The placeholder keeps the keyword lists and the document list as they were.
    if (!selection.bound) {
        return;
    }
    // Binding closes the statistics and values queries: no rows of the previous project
    // stay in view.
    tongji_rows.clear();
    DBGrid5_model->unbind();
    close_values_query();

    // 7, 11-14. The three keyword lists, filled alike; no item chosen afterwards.
    filling_keywords = true;
    for (QComboBox* list : {ComboBox1, ComboBox3, ComboBox2}) {
        list->clear();
        for (const auto& keyword : selection.keywords) {
            list->addItem(QString::fromStdString(keyword));
        }
        list->setCurrentIndex(-1);
    }
    filling_keywords = false;

    // 15. The project's document entries.
    open_document_query(0);
}

void TForm_zhu::SpeedButton9Click() {
    bool created = false;
    try {
        created = projects::add_placeholder(*catalogue);
    } catch (const std::exception& e) {
        prompter.refuse(e.what());
        return;
    }
    // A new row is listed by re-reading the projects; an existing one is just located.
    const int row = row_of_project(catalogue->projects(), "");
    if (created || row != project_row()) {
        open_project_query(row);
    }
    Edit1->setFocus();
}

void TForm_zhu::Edit1Exit() {
    const store::Project* selected = selected_project();
    if (xiangmu_rows.empty() || selected == nullptr) {
        return;
    }
    const std::string current = selected->bianhao;
    projects::NumberEdit edit;
    try {
        edit =
            projects::edit_number(*catalogue, program_folder, current, Edit1->text().toStdString(),
                                  [this](const std::string& q) { return prompter.ask_yes_no(q); });
    } catch (const std::exception& e) {
        prompter.refuse(e.what());
        return;
    }
    switch (edit.status) {
    case projects::NumberEdit::Status::refused:
        Edit1->setFocus();
        prompter.refuse(edit.message);
        break;
    case projects::NumberEdit::Status::declined:
        Edit1->setFocus();
        break;
    case projects::NumberEdit::Status::stored: {
        const std::string stored = Edit1->text().toStdString();
        open_project_query(row_of_project(catalogue->projects(), stored));
        break;
    }
    case projects::NumberEdit::Status::unchanged:
    case projects::NumberEdit::Status::locked:
        break;
    }
}

void TForm_zhu::ComboBox_geshi_2Change(int index) {
    const store::Project* selected = selected_project();
    if (xiangmu_rows.empty() || selected == nullptr || index < 0) {
        return;
    }
    const std::string number = selected->bianhao;
    try {
        if (projects::edit_format(*catalogue, number,
                                  ComboBox_geshi_2->itemText(index).toStdString())) {
            open_project_query(row_of_project(catalogue->projects(), number));
        }
    } catch (const std::exception& e) {
        prompter.refuse(e.what());
    }
}

void TForm_zhu::Memo1Exit() {
    const store::Project* selected = selected_project();
    if (xiangmu_rows.empty() || selected == nullptr) {
        return;
    }
    const std::string number = selected->bianhao;
    try {
        if (projects::edit_description(*catalogue, number, Memo1->toPlainText().toStdString())) {
            open_project_query(row_of_project(catalogue->projects(), number));
        }
    } catch (const std::exception& e) {
        prompter.refuse(e.what());
    }
}

void TForm_zhu::SpeedButton10Click() {
    const store::Project* selected = selected_project();
    if (xiangmu_rows.empty() || selected == nullptr) {
        return;
    }
    const std::string number = selected->bianhao;
    if (!prompter.ask_ok_cancel(projects::delete_question(program_folder, number))) {
        return;
    }
    std::optional<std::string> failure;
    try {
        failure = projects::delete_project(*catalogue, program_folder, number, workspace);
    } catch (const std::exception& e) {
        failure = e.what();
    }
    // The first remaining project is selected (and bound) before the failure is told.
    open_project_query(0);
    if (failure) {
        prompter.refuse(*failure);
    }
}

} // namespace lumacite::app
