#include "store/locks.h"

#include "messages.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace lumacite::store {

FileLock FileLock::acquire(const std::filesystem::path& file, std::chrono::milliseconds wait,
                           const std::string& busy_message) {
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw LockError(file.string() + ": cannot lock: " + std::system_category().message(errno));
    }
    const auto until = std::chrono::steady_clock::now() + wait;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EINTR) {
            continue;
        }
        if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= until) {
            ::close(fd);
            if (error != EWOULDBLOCK) {
                throw LockError(file.string() +
                                ": cannot lock: " + std::system_category().message(error));
            }
            throw LockBusy(busy_message);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return FileLock(fd);
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

FileLock::~FileLock() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

ProjectLock ProjectLock::acquire(const std::filesystem::path& project_folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(project_folder, ec)) {
        if (!std::filesystem::create_directory(project_folder, ec) && ec) {
            throw LockError(project_folder.string() + ": " + ec.message());
        }
    }
    return ProjectLock(FileLock::acquire(project_folder / project_lock_file_name,
                                         std::chrono::milliseconds(0), msg::project_in_use));
}

std::optional<ProjectLock>
ProjectLock::acquire_if_present(const std::filesystem::path& project_folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(project_folder, ec)) {
        return std::nullopt;
    }
    return acquire(project_folder);
}

} // namespace lumacite::store
