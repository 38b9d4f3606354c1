// Statistics page: counting a keyword and its rows. Its exports are in zhu_exports.cpp.
#include "analysis/jobs.h"
#include "app/zhu.h"
#include "messages.h"
#include "projects/projects.h"
#include "text/text.h"

#include <QSignalBlocker>

namespace lumacite::app {

store::Workspace* TForm_zhu::project_workspace() {
    const auto* p = selected_project();
    if (p == nullptr || text::trim(p->bianhao).empty()) {
        return nullptr;
    }
    try {
        workspace.reset();
        workspace.emplace(projects::open_for_reading(*catalogue, program_folder, p->bianhao));
    } catch (const std::exception& e) {
        prompter.refuse(e.what());
        return nullptr;
    }
    return &*workspace;
}

std::optional<store::Workspace> TForm_zhu::writable_workspace() {
    const auto* p = selected_project();
    if (p == nullptr || text::trim(p->bianhao).empty()) {
        return std::nullopt;
    }
    try {
        return projects::open_for_writing(*catalogue, program_folder, p->bianhao);
    } catch (const std::exception& e) {
        prompter.refuse(e.what());
        return std::nullopt;
    }
}

std::string TForm_zhu::chosen_keyword(const QComboBox* list) const {
    return list->currentIndex() < 0 ? std::string() : list->currentText().toStdString();
}

bool TForm_zhu::project_with_number() const {
    const auto* p = selected_project();
    return p != nullptr && !text::trim(p->bianhao).empty();
}

void TForm_zhu::open_statistics_query(const std::string& keyword) {
    tongji_rows.clear();
    if (store::Workspace* ws = project_workspace()) {
        try {
            tongji_rows = ws->statistics(keyword);
        } catch (const std::exception& e) {
            prompter.refuse(e.what());
        }
    }
    DBGrid5_model->bind([this] { return static_cast<long long>(tongji_rows.size()); },
                        [this](long long row, int column) -> std::string {
                            const auto& r = tongji_rows[static_cast<std::size_t>(row)];
                            switch (column) {
                            case 0:
                                return r.xuhao;
                            case 1:
                                return r.zhi;
                            case 2:
                                return r.cishu;
                            case 3:
                                return r.baifenbi;
                            default:
                                return r.leijibi;
                            }
                        });
}

void TForm_zhu::ComboBox3Change(int) {
    if (filling_keywords || ComboBox3->currentIndex() < 0 || !project_with_number()) {
        return;
    }
    open_statistics_query(chosen_keyword(ComboBox3));
    // The matrix page follows without running its own keyword handling.
    if (ComboBox2->currentIndex() != ComboBox3->currentIndex()) {
        const QSignalBlocker block(ComboBox2);
        ComboBox2->setCurrentIndex(ComboBox3->currentIndex());
    }
}

void TForm_zhu::SpeedButton11Click() {
    if (ComboBox3->count() == 0 || ComboBox3->currentIndex() < 0 || !project_with_number()) {
        return;
    }
    // The project's lock from the question to the end of the count.
    job_workspace = writable_workspace();
    if (!job_workspace) {
        return;
    }
    const std::string keyword = chosen_keyword(ComboBox3);
    bool asked_yes = false;
    try {
        asked_yes = prompter.ask_yes_no(
            analysis::statistics_question(keyword, job_workspace->has_statistics(keyword)));
    } catch (const std::exception& e) {
        prompter.refuse(e.what());
    }
    if (asked_yes) {
        run_job(analysis::statistics_job_title(keyword), msg::job_statistics);
    }
    job_workspace.reset();
    if (asked_yes) {
        ComboBox3Change(ComboBox3->currentIndex());
    }
}

void TForm_zhu::statistics_job(TForm_zhuangtaitiao& dialog) {
    if (!job_workspace) {
        return;
    }
    try {
        if (analysis::run_statistics_job(*job_workspace, chosen_keyword(ComboBox3),
                                         selected_format_type(),
                                         dialog) == analysis::StatisticsOutcome::zero) {
            prompter.inform(msg::stats_zero);
        }
    } catch (const std::exception& e) {
        prompter.refuse(e.what());
    }
}

} // namespace lumacite::app
