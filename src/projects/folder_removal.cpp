// Removing a project folder. Every step works relative to an open directory (openat,
// unlinkat) and never follows a symbolic link, so a link inside the folder, or one put
// in place of the folder, cannot lead the removal anywhere else.
#include "projects/projects.h"

#include "messages.h"
#include "store/unique_fd.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace lumacite::projects {
namespace {

[[noreturn]] void fail(const fs::path& path, int error) {
    throw ProjectError(std::string(msg::folder_removal_failed) + path.string() + "：" +
                       std::system_category().message(error));
}

// Opens directory `name` inside `parent` without following a link; gives the owner
// read, write and search permission first when it lacks them (a read-only folder).
int open_directory(int parent, const char* name, const struct stat& st, const fs::path& path) {
    const mode_t needed = S_IRWXU;
    if ((st.st_mode & needed) != needed) {
        if (::fchmodat(parent, name, (st.st_mode & 07777) | needed, 0) != 0) {
            fail(path, errno);
        }
    }
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        fail(path, errno);
    }
    return fd;
}

std::vector<std::string> entry_names(int dir_fd, const fs::path& path) {
    const int copy = ::dup(dir_fd);
    if (copy < 0) {
        fail(path, errno);
    }
    DIR* dir = ::fdopendir(copy);
    if (dir == nullptr) {
        const int error = errno;
        ::close(copy);
        fail(path, error);
    }
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
        errno = 0;
    }
    const int error = errno;
    ::closedir(dir);
    if (error != 0) {
        fail(path, error);
    }
    return names;
}

// Removes the contents of the open directory `dir_fd` (on device `device`).
void remove_contents(int dir_fd, dev_t device, const fs::path& path) {
    for (const auto& name : entry_names(dir_fd, path)) {
        const fs::path entry_path = path / name;
        struct stat st {};
        if (::fstatat(dir_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            fail(entry_path, errno);
        }
        if (S_ISDIR(st.st_mode)) {
            if (st.st_dev != device) {
                // A mount point: the root of another file system stays, and so does
                // everything on it.
                fail(entry_path, EBUSY);
            }
            const store::UniqueFd sub(open_directory(dir_fd, name.c_str(), st, entry_path));
            remove_contents(sub.get(), device, entry_path);
            if (::unlinkat(dir_fd, name.c_str(), AT_REMOVEDIR) != 0) {
                fail(entry_path, errno);
            }
        } else if (::unlinkat(dir_fd, name.c_str(), 0) != 0) {
            // Files, links (the link itself), pipes and sockets alike.
            fail(entry_path, errno);
        }
    }
}

} // namespace

void remove_project_folder(const fs::path& program_folder, const std::string& name) {
    const fs::path folder = program_folder / name;
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
        name.find('\0') != std::string::npos) {
        fail(folder, EINVAL);
    }
    const store::UniqueFd parent(
        ::open(program_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parent.get() < 0) {
        fail(program_folder, errno);
    }
    struct stat parent_st {};
    struct stat st {};
    if (::fstat(parent.get(), &parent_st) != 0) {
        fail(program_folder, errno);
    }
    if (::fstatat(parent.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENAMETOOLONG) {
            return; // no folder can have this name: there is nothing to remove
        }
        fail(folder, errno);
    }
    if (S_ISLNK(st.st_mode)) {
        // A link in place of the folder: only the link goes.
        if (::unlinkat(parent.get(), name.c_str(), 0) != 0) {
            fail(folder, errno);
        }
        return;
    }
    if (!S_ISDIR(st.st_mode)) {
        fail(folder, ENOTDIR);
    }
    struct stat root_st {};
    const bool is_root =
        ::stat("/", &root_st) == 0 && root_st.st_dev == st.st_dev && root_st.st_ino == st.st_ino;
    if (is_root || st.st_dev != parent_st.st_dev) {
        fail(folder, EBUSY);
    }
    {
        const store::UniqueFd dir(open_directory(parent.get(), name.c_str(), st, folder));
        remove_contents(dir.get(), st.st_dev, folder);
    }
    if (::unlinkat(parent.get(), name.c_str(), AT_REMOVEDIR) != 0) {
        fail(folder, errno);
    }
}

} // namespace lumacite::projects
