// Projects: number rules, placeholder, selection, editing and deletion.
#include "projects/projects.h"

#include "formats/formats.h"
#include "messages.h"
#include "text/text.h"

#include <unistd.h>

namespace lumacite::projects {

std::optional<std::string> number_problem(std::string_view text) {
    if (text::trim_view(text).empty()) {
        return msg::number_empty;
    }
    if (text.find(' ') != std::string_view::npos) {
        return msg::number_contains_space;
    }
    // Each byte of a non-ASCII character is outside the allowed set too.
    if (!store::is_folder_safe_number(text)) {
        return msg::number_invalid_character;
    }
    return std::nullopt;
}

bool fits_file_system(const fs::path& program_folder, std::string_view number) {
    long name_max = ::pathconf(program_folder.c_str(), _PC_NAME_MAX);
    long path_max = ::pathconf(program_folder.c_str(), _PC_PATH_MAX);
    name_max = name_max > 0 ? name_max : 255;
    path_max = path_max > 0 ? path_max : 4096;
    // The longest name the project uses: the rewrite of a table ("tongji" is as long).
    const std::string longest = store::zidian_file_name(std::string(number)) + ".pack";
    const std::string path = (program_folder / std::string(number) / longest).string();
    return static_cast<long>(longest.size()) <= name_max &&
           static_cast<long>(path.size()) < path_max;
}

std::optional<std::string> new_number_problem(const store::Catalogue& catalogue,
                                              const fs::path& program_folder,
                                              std::string_view current, std::string_view text) {
    if (auto problem = number_problem(text)) {
        return problem;
    }
    if (!fits_file_system(program_folder, text)) {
        return std::string(msg::number_too_long);
    }
    if (text != current && catalogue.find_project(std::string(text))) {
        return std::string(msg::number_duplicate);
    }
    return std::nullopt;
}

std::optional<std::string> adopt_folder_question(const fs::path& program_folder,
                                                 const std::string& number) {
    const fs::path folder = store::project_folder(program_folder, number);
    std::error_code ec;
    if (!fs::exists(folder / store::zidian_file_name(number), ec) &&
        !fs::exists(folder / store::tongji_file_name(number), ec)) {
        return std::nullopt;
    }
    return std::string(msg::adopt_folder_question_1) + number + msg::adopt_folder_question_2;
}

store::Workspace open_for_writing(const store::Catalogue& catalogue, const fs::path& program_folder,
                                  const std::string& number) {
    if (!store::is_folder_safe_number(number)) {
        throw store::WorkspaceError("project number \"" + number + "\" cannot name a folder");
    }
    const fs::path folder = store::project_folder(program_folder, number);
    std::optional<store::ProjectLock> lock;
    try {
        lock.emplace(store::ProjectLock::acquire(folder));
    } catch (const store::LockError& e) {
        throw store::WorkspaceError(e.what());
    }
    settle_interrupted_removal(catalogue, folder, number);
    return store::Workspace::bind(program_folder, number, std::move(*lock));
}

store::Workspace open_for_reading(const store::Catalogue& catalogue, const fs::path& program_folder,
                                  const std::string& number) {
    const fs::path folder = store::project_folder(program_folder, number);
    std::error_code ec;
    if (store::is_folder_safe_number(number) &&
        fs::exists(folder / store::removal_journal_file_name, ec)) {
        try {
            const auto lock = store::ProjectLock::acquire_if_present(folder);
            settle_interrupted_removal(catalogue, folder, number);
        } catch (const std::exception&) {
            // Another program writes the project (and settles it), or the folder is
            // read-only: read what stands.
        }
    }
    return store::Workspace::open_read_only(program_folder, number);
}

ProjectCreation add_project(store::Catalogue& catalogue, const fs::path& program_folder,
                            const store::Project& project, const Ask& ask) {
    ProjectCreation r;
    const auto refusal = [&]() -> std::optional<std::string> {
        if (auto problem = new_number_problem(catalogue, program_folder, "", project.bianhao)) {
            return problem;
        }
        if (!catalogue.format_exists(project.geshi)) {
            return std::string(msg::format_not_found) + project.geshi;
        }
        return std::nullopt;
    };
    if (auto problem = refusal()) {
        r.message = *problem;
        return r;
    }
    if (auto question = adopt_folder_question(program_folder, project.bianhao)) {
        if (!ask(*question)) {
            r.status = ProjectCreation::Status::declined;
            return r;
        }
    }
    // Checked again under the lock: no question is pending while it is held.
    const auto guard = catalogue.lock_for_change();
    if (auto problem = refusal()) {
        r.message = *problem;
        return r;
    }
    catalogue.add_project(project);
    try {
        open_for_writing(catalogue, program_folder, project.bianhao).close();
    } catch (...) {
        catalogue.delete_project(project.bianhao);
        throw;
    }
    r.status = ProjectCreation::Status::added;
    return r;
}

bool add_placeholder(store::Catalogue& catalogue) {
    const auto guard = catalogue.lock_for_change();
    if (catalogue.find_project("")) {
        return false;
    }
    catalogue.add_project(store::Project{});
    return true;
}

std::optional<std::size_t> format_entry_index(const std::vector<std::string>& entries,
                                              const std::string& geshi) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string& e = entries[i];
        if (e.substr(0, e.find(formats::entry_separator)) == geshi) {
            return i;
        }
    }
    return std::nullopt;
}

Selection select_project(const store::Catalogue& catalogue, const fs::path& program_folder,
                         const store::Project& project,
                         std::optional<store::Workspace>& workspace) {
    Selection s;
    s.editable = !catalogue.has_documents(project.bianhao);
    if (text::trim_view(project.bianhao).empty()) {
        return s;
    }
    // The tables of the previous project are released before the new ones open. Missing
    // ones are made first, when no other program writes the project.
    workspace.reset();
    const fs::path folder = store::project_folder(program_folder, project.bianhao);
    std::error_code ec;
    if (!fs::exists(folder / store::zidian_file_name(project.bianhao), ec) ||
        !fs::exists(folder / store::tongji_file_name(project.bianhao), ec)) {
        open_for_writing(catalogue, program_folder, project.bianhao).close();
    }
    workspace.emplace(open_for_reading(catalogue, program_folder, project.bianhao));
    s.bound = true;
    s.keywords = formats::project_keyword_list(catalogue, project.geshi);
    s.documents = catalogue.documents(project.bianhao);
    return s;
}

NumberEdit edit_number(store::Catalogue& catalogue, const fs::path& program_folder,
                       const std::string& current, const std::string& text, const Ask& ask) {
    NumberEdit r;
    const auto check = [&] {
        if (catalogue.has_documents(current)) {
            r.status = NumberEdit::Status::locked;
            return false;
        }
        if (auto problem = new_number_problem(catalogue, program_folder, current, text)) {
            r.status = NumberEdit::Status::refused;
            r.message = *problem;
            return false;
        }
        return text != current; // unchanged otherwise
    };
    if (!check()) {
        return r;
    }
    if (auto question = adopt_folder_question(program_folder, text)) {
        if (!ask(*question)) {
            r.status = NumberEdit::Status::declined;
            return r;
        }
    }
    // Checked again under the lock: no question is pending while it is held.
    const auto guard = catalogue.lock_for_change();
    if (!check()) {
        return r;
    }
    auto project = catalogue.find_project(current);
    if (!project) {
        return r;
    }
    project->bianhao = text;
    catalogue.update_project(current, *project);
    r.status = NumberEdit::Status::stored;
    return r;
}

bool edit_format(store::Catalogue& catalogue, const std::string& number,
                 const std::string& format_entry) {
    const auto guard = catalogue.lock_for_change();
    auto project = catalogue.find_project(number);
    if (!project || catalogue.has_documents(number)) {
        return false;
    }
    const std::string geshi = format_entry.substr(0, format_entry.find(formats::entry_separator));
    if (project->geshi == geshi) {
        return false;
    }
    project->geshi = geshi;
    catalogue.update_project(number, *project);
    return true;
}

bool edit_description(store::Catalogue& catalogue, const std::string& number,
                      const std::string& shuoming) {
    const auto guard = catalogue.lock_for_change();
    auto project = catalogue.find_project(number);
    if (!project || project->shuoming == shuoming || catalogue.has_documents(number)) {
        return false;
    }
    project->shuoming = shuoming;
    catalogue.update_project(number, *project);
    return true;
}

std::string delete_question(const fs::path& program_folder, const std::string& number) {
    return std::string(msg::delete_project_question_1) + number + msg::delete_project_question_2 +
           (program_folder / number).string() + msg::delete_project_question_3;
}

std::optional<std::string> delete_project(store::Catalogue& catalogue,
                                          const fs::path& program_folder, const std::string& number,
                                          std::optional<store::Workspace>& workspace) {
    // No program may write the project while its folder goes.
    std::optional<store::ProjectLock> lock;
    if (store::is_folder_safe_number(number)) {
        try {
            lock = store::ProjectLock::acquire_if_present(
                store::project_folder(program_folder, number));
        } catch (const store::LockError&) {
            // A folder whose lock file cannot be made: its removal reports why.
        }
    }
    {
        const auto guard = catalogue.lock_for_change();
        catalogue.delete_project(number);
    }
    workspace.reset();
    if (text::trim_view(number).empty()) {
        return std::nullopt;
    }
    std::error_code ec;
    if (!fits_file_system(program_folder, number) &&
        !fs::exists(fs::symlink_status(store::project_folder(program_folder, number), ec))) {
        return std::nullopt; // a number too long for its tables: no folder was ever made
    }
    try {
        remove_project_folder(program_folder, number);
    } catch (const ProjectError& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}

} // namespace lumacite::projects
