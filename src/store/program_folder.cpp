#include "store/program_folder.h"

#include "messages.h"
#include "store/catalogue.h"
#include "store/workspace.h"

#include <algorithm>
#include <cstdlib>

namespace fs = std::filesystem;

namespace lumacite::store {

fs::path executable_folder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) {
        return fs::current_path();
    }
    return exe.parent_path();
}

namespace {
fs::path without_trailing_separator(fs::path p) {
    std::string s = p.lexically_normal().string();
    while (s.size() > 1 && s.back() == '/') {
        s.pop_back();
    }
    return fs::path(s);
}

fs::path absolute_or_same(const fs::path& p) {
    std::error_code ec;
    fs::path a = fs::absolute(p, ec);
    return ec ? p : a;
}
} // namespace

fs::path choose_program_folder(const std::string& home, const std::string& environment_home,
                               const fs::path& exe_folder, const std::string& xdg_data_home,
                               const std::string& user_home) {
    if (!home.empty()) {
        return without_trailing_separator(absolute_or_same(home));
    }
    if (!environment_home.empty()) {
        return without_trailing_separator(absolute_or_same(environment_home));
    }
    std::error_code ec;
    if (fs::is_regular_file(exe_folder / catalogue_file_name, ec)) {
        return without_trailing_separator(exe_folder);
    }
    // XDG: a relative XDG_DATA_HOME is invalid and is ignored.
    if (!xdg_data_home.empty() && xdg_data_home.front() == '/') {
        return without_trailing_separator(fs::path(xdg_data_home) / "lumacite");
    }
    return without_trailing_separator(fs::path(user_home.empty() ? "/tmp" : user_home) / ".local" /
                                      "share" / "lumacite");
}

fs::path resolve_program_folder(const std::string& home) {
    auto env = [](const char* name) {
        const char* v = std::getenv(name);
        return std::string(v ? v : "");
    };
    return choose_program_folder(home, env("LUMACITE_HOME"), executable_folder(),
                                 env("XDG_DATA_HOME"), env("HOME"));
}

fs::path shipped_catalogue(const fs::path& exe_folder) {
    return (exe_folder / ".." / "share" / "lumacite" / catalogue_file_name).lexically_normal();
}

std::vector<std::string> project_folders(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code type_ec;
        const std::string name = it->path().filename().string();
        if (!it->is_directory(type_ec) || !is_folder_safe_number(name)) {
            continue;
        }
        if (fs::exists(it->path() / zidian_file_name(name), type_ec) ||
            fs::exists(it->path() / tongji_file_name(name), type_ec)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string unregistered_folders_message(const std::vector<std::string>& names) {
    std::string out = msg::catalogue_new_with_folders;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i != 0) {
            out += msg::folder_name_separator;
        }
        out += names[i];
    }
    return out + msg::catalogue_new_with_folders_tail;
}

PreparedFolder prepare_program_folder(const fs::path& folder, const fs::path& shipped) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder)) {
        throw ProgramFolderError(std::string(msg::program_folder_cannot_create) + folder.string() +
                                 (ec ? "（" + ec.message() + "）" : std::string()));
    }
    const fs::path catalogue = folder / catalogue_file_name;
    if (fs::exists(fs::symlink_status(catalogue, ec))) {
        return {catalogue, {}};
    }
    if (!fs::is_regular_file(shipped, ec)) {
        throw ProgramFolderError(std::string(msg::catalogue_not_shipped) + shipped.string());
    }
    // Copy to a temporary name first so that an interrupted copy never leaves a
    // half-written catalogue behind.
    const fs::path partial = folder / (std::string(catalogue_file_name) + ".part");
    fs::copy_file(shipped, partial, fs::copy_options::overwrite_existing, ec);
    if (!ec) {
        fs::permissions(partial, fs::perms::owner_read | fs::perms::owner_write,
                        fs::perm_options::add, ec);
        ec.clear();
        fs::rename(partial, catalogue, ec);
    }
    if (ec) {
        fs::remove(partial);
        throw ProgramFolderError(std::string(msg::catalogue_cannot_open) + catalogue.string() +
                                 "（" + ec.message() + "）");
    }
    return {catalogue, project_folders(folder)};
}

} // namespace lumacite::store
