// The document list: registering files and directories, removing entries.
#include "projects/projects.h"

#include "messages.h"
#include "text/text.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

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
    if (store::is_reserved_file_name(number, name)) {
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
            // Statistics first: a kill between the two leaves the values with no counts,
            // never counts of values that are gone.
            workspace.install_statistics(workspace.stage_statistics(std::nullopt));
            workspace.install_values(
                workspace.stage_values_without_document(existing->xuhao, false));
            r.results_cleared = true;
        }
        return r;
    }
    const auto guard = catalogue.lock_for_change();
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
    const auto guard = catalogue.lock_for_change();
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

namespace {

// The journal of a removal: "xuhao entries-before\n". Written whole and synced before the
// catalogue changes; a journal that cannot be read back was cut short by a kill before
// that point.
struct RemovalJournal {
    long long xuhao = 0;
    long long entries_before = 0;
};

void sync_folder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void write_journal(const fs::path& folder, const RemovalJournal& j) {
    const fs::path file = folder / store::removal_journal_file_name;
    const std::string text =
        std::to_string(j.xuhao) + " " + std::to_string(j.entries_before) + "\n";
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = fd >= 0 &&
              ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
              ::fsync(fd) == 0;
    const int error = errno;
    if (fd >= 0) {
        ::close(fd);
    }
    if (!ok) {
        std::error_code ec;
        fs::remove(file, ec);
        throw store::WorkspaceError(file.string() + ": " + std::system_category().message(error));
    }
    sync_folder(folder);
}

std::optional<RemovalJournal> read_journal(const fs::path& file) {
    const std::string text = [&] {
        std::error_code ec;
        std::string bytes;
        const auto size = fs::file_size(file, ec);
        if (ec || size > 64) {
            return bytes;
        }
        const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return bytes;
        }
        bytes.resize(static_cast<std::size_t>(size));
        const ssize_t n = ::read(fd, bytes.data(), bytes.size());
        ::close(fd);
        bytes.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
        return bytes;
    }();
    RemovalJournal j;
    const char* p = text.data();
    const char* end = text.data() + text.size();
    auto [a, ea] = std::from_chars(p, end, j.xuhao);
    if (ea != std::errc() || a == end || *a != ' ') {
        return std::nullopt;
    }
    auto [b, eb] = std::from_chars(a + 1, end, j.entries_before);
    if (eb != std::errc() || b == end || *b != '\n') {
        return std::nullopt;
    }
    return j;
}

} // namespace

void remove_document(store::Catalogue& catalogue, store::Workspace& workspace, long long xuhao,
                     const std::function<void(RemovalStep)>& reached) {
    const auto step = [&](RemovalStep s) {
        if (reached) {
            reached(s);
        }
    };
    const std::string& number = workspace.number();
    // The project's lock (held with the workspace) keeps its document list as it is.
    const auto entries = static_cast<long long>(catalogue.documents(number).size());
    // 1. The new tables, complete and synced beside the old ones.
    store::DbaseTable values = workspace.stage_values_without_document(xuhao, true);
    store::DbaseTable statistics = workspace.stage_statistics(std::nullopt);
    values.sync();
    statistics.sync();
    step(RemovalStep::staged);
    // 2. The journal, then the catalogue in one transaction.
    const fs::path journal = workspace.folder() / store::removal_journal_file_name;
    write_journal(workspace.folder(), {xuhao, entries});
    step(RemovalStep::journal_written);
    try {
        const auto guard = catalogue.lock_for_change();
        catalogue.remove_document(number, xuhao);
    } catch (...) {
        std::error_code ec;
        fs::remove(journal, ec);
        throw;
    }
    step(RemovalStep::catalogue_changed);
    // 3. The new tables renamed in; the journal goes last.
    workspace.install_values(std::move(values));
    step(RemovalStep::values_installed);
    workspace.install_statistics(std::move(statistics));
    std::error_code ec;
    fs::remove(journal, ec);
    sync_folder(workspace.folder());
    step(RemovalStep::done);
}

bool settle_interrupted_removal(const store::Catalogue& catalogue, const fs::path& folder,
                                const std::string& number) {
    const fs::path journal = folder / store::removal_journal_file_name;
    std::error_code ec;
    if (!fs::exists(journal, ec)) {
        return false;
    }
    const auto j = read_journal(journal);
    const auto entries = static_cast<long long>(catalogue.documents(number).size());
    // The catalogue changed: the removal happened and its new tables belong in place.
    // Otherwise the old tables stand and the new ones go (opening the tables removes them).
    if (j && entries == j->entries_before - 1) {
        for (const std::string& table :
             {store::zidian_file_name(number), store::tongji_file_name(number)}) {
            const fs::path staged = folder / (table + ".pack");
            if (fs::exists(staged, ec)) {
                fs::rename(staged, folder / table, ec);
                if (ec) {
                    throw store::WorkspaceError(staged.string() + ": " + ec.message());
                }
            }
        }
        sync_folder(folder);
    }
    fs::remove(journal, ec);
    sync_folder(folder);
    return true;
}

} // namespace lumacite::projects
