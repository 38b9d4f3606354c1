// The document list: registering files and directories, removing entries.
#include "projects/projects.h"

#include "messages.h"
#include "text/text.h"

#include <algorithm>
#include <system_error>

namespace lumacite::projects {

std::string confirm_file_question(const fs::path& source) {
    return std::string(msg::confirm_document_question_1) + source.string() +
           msg::confirm_document_question_2;
}

namespace {

// Copies `source` to `target` through a temporary file beside the target, so that the
// target is either the old file or the complete new one.
void copy_into(const fs::path& source, const fs::path& target) {
    fs::path temporary = target.parent_path() / ("." + target.filename().string() + ".copy");
    std::error_code ec;
    fs::copy_file(source, temporary, fs::copy_options::overwrite_existing, ec);
    if (!ec) {
        fs::rename(temporary, target, ec);
    }
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw ProjectError(std::string(msg::document_copy_failed) + source.string() + "：" +
                           ec.message());
    }
}

} // namespace

FileRegistration register_file(store::Catalogue& catalogue, store::Workspace& workspace,
                               const fs::path& source, const Ask& ask) {
    FileRegistration r;
    if (!ask(confirm_file_question(source))) {
        return r;
    }
    const std::string& number = workspace.number();
    const std::string name = source.filename().string();
    const fs::path target = workspace.folder() / name;
    if (name == store::zidian_file_name(number) || name == store::tongji_file_name(number) ||
        name == store::temp_file_name) {
        r.status = FileRegistration::Status::refused;
        r.refusal = std::string(msg::document_name_reserved) + name;
        return r;
    }
    const auto existing = catalogue.find_file_entry(number, name);
    bool clear = false;
    if (existing) {
        if (!ask(msg::same_name_question)) {
            return r;
        }
        if (workspace.has_document_values(existing->xuhao)) {
            clear = ask(msg::clear_results_question);
        }
    }
    copy_into(source, target);
    if (existing) {
        r.status = FileRegistration::Status::replaced;
        r.xuhao = existing->xuhao;
        if (clear) {
            workspace.delete_document_values(existing->xuhao);
            workspace.clear_statistics();
            workspace.flush();
            r.results_cleared = true;
        }
        return r;
    }
    store::Document d;
    d.bianhao = number;
    d.xuhao = static_cast<long long>(catalogue.documents(number).size()) + 1;
    d.wenjianming = name;
    catalogue.add_document(d);
    r.status = FileRegistration::Status::added;
    r.xuhao = d.xuhao;
    return r;
}

std::vector<std::string> directory_file_names(const fs::path& directory) {
    struct Named {
        std::string key;
        std::string name;
    };
    std::vector<Named> found;
    std::error_code ec;
    for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code type_ec;
        if (!it->is_regular_file(type_ec)) {
            continue;
        }
        std::string name = it->path().filename().string();
        if (name.front() == '.') {
            continue; // hidden: side files of other systems and programs, never exports
        }
        found.push_back({text::ascii_lower(name), std::move(name)});
    }
    std::sort(found.begin(), found.end(), [](const Named& a, const Named& b) {
        const int c = text::compare_text(a.key, b.key);
        return c != 0 ? c < 0 : text::compare_text(a.name, b.name) < 0;
    });
    std::vector<std::string> names;
    names.reserve(found.size());
    for (auto& f : found) {
        names.push_back(std::move(f.name));
    }
    return names;
}

std::vector<std::string> extension_list(const fs::path& directory) {
    std::vector<std::string> list;
    for (const auto& name : directory_file_names(directory)) {
        std::string ext = text::ascii_upper(name);
        ext = ext.substr(ext.rfind('.') == std::string::npos ? 0 : ext.rfind('.') + 1);
        if (!ext.empty() && std::find(list.begin(), list.end(), ext) == list.end()) {
            list.push_back(std::move(ext));
        }
    }
    return list;
}

DirectoryRegistration register_directory(store::Catalogue& catalogue, const std::string& number,
                                         const fs::path& directory, std::string_view extension) {
    DirectoryRegistration r;
    if (text::trim_view(extension).empty()) {
        r.refusal = msg::directory_no_extension;
        return r;
    }
    std::error_code ec;
    if (!fs::is_directory(directory, ec)) {
        r.refusal = msg::directory_invalid;
        return r;
    }
    const std::string ext = text::ascii_upper(extension);
    const std::string path = directory.string();
    if (catalogue.find_directory_entry(number, path, ext)) {
        r.refusal = msg::directory_duplicate;
        return r;
    }
    store::Document d;
    d.bianhao = number;
    d.xuhao = static_cast<long long>(catalogue.documents(number).size()) + 1;
    d.wenjianming = path;
    d.kuozhanming = ext;
    catalogue.add_document(d);
    r.xuhao = d.xuhao;
    return r;
}

std::string remove_question(const store::Document& entry) {
    return std::string(msg::remove_document_question_1) + entry.wenjianming +
           msg::remove_document_question_2;
}

void remove_document(store::Catalogue& catalogue, store::Workspace& workspace, long long xuhao) {
    catalogue.remove_document(workspace.number(), xuhao);
    workspace.delete_document_values(xuhao);
    workspace.close_document_gap(xuhao);
    workspace.clear_statistics();
    workspace.pack_values();
    workspace.pack_statistics();
    workspace.commit();
}

} // namespace lumacite::projects
