// Projects: number rules, placeholder, selection, editing and deletion.
#include "projects/projects.h"

#include "formats/formats.h"
#include "messages.h"
#include "text/text.h"

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

bool add_placeholder(store::Catalogue& catalogue) {
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
    // The tables of the previous project are released before the new ones open.
    workspace.reset();
    workspace.emplace(store::Workspace::bind(program_folder, project.bianhao));
    s.bound = true;
    s.keywords = formats::project_keyword_list(catalogue, project.geshi);
    s.documents = catalogue.documents(project.bianhao);
    return s;
}

NumberEdit edit_number(store::Catalogue& catalogue, const std::string& current,
                       const std::string& text) {
    NumberEdit r;
    if (catalogue.has_documents(current)) {
        r.status = NumberEdit::Status::locked;
        return r;
    }
    if (auto problem = number_problem(text)) {
        r.status = NumberEdit::Status::refused;
        r.message = *problem;
        return r;
    }
    if (text == current) {
        return r;
    }
    if (catalogue.find_project(text)) {
        r.status = NumberEdit::Status::refused;
        r.message = msg::number_duplicate;
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
    catalogue.delete_project(number);
    workspace.reset();
    if (text::trim_view(number).empty()) {
        return std::nullopt;
    }
    try {
        remove_project_folder(program_folder, number);
    } catch (const ProjectError& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}

} // namespace lumacite::projects
