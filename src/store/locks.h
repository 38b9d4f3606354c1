// Locks between programs: one writer per project, one change of the catalogue at a time.
//
// A lock is an exclusive flock(2) lock on a lock file. The operating system lets go of it
// when the program ends, however it ends, so a killed program never leaves a project
// locked. Readers take no lock: they open the tables read-only.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace lumacite::store {

// Another program holds the lock; what() is the message to show (one of msg::project_in_use
// or msg::catalogue_in_use).
class LockBusy : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The lock file cannot be made or opened (a read-only folder); what() names the file and
// the cause.
class LockError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The lock file inside a project folder. The name is reserved: no registered file takes it.
inline constexpr const char* project_lock_file_name = ".lumacite.lock";

class FileLock {
public:
    // Takes the exclusive lock of `file`, creating the file when it is missing. Tries again
    // for up to `wait` while another program holds it, then throws LockBusy with
    // `busy_message`. Throws LockError when the file cannot be created or opened.
    static FileLock acquire(const std::filesystem::path& file, std::chrono::milliseconds wait,
                            const std::string& busy_message);

    FileLock(FileLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    // Lets go of the lock (the file stays).
    ~FileLock();

private:
    explicit FileLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

// The lock of one project: held by every command that writes the project's tables, in
// the window and on the command line alike, for as long as it writes.
class ProjectLock {
public:
    // Creates the project folder when it is missing (one level) and takes its lock without
    // waiting: LockBusy (msg::project_in_use) while another program writes the project.
    // LockError when the folder or the lock file cannot be made.
    static ProjectLock acquire(const std::filesystem::path& project_folder);
    // The same for a folder that exists; nullopt (no lock needed) when there is none.
    static std::optional<ProjectLock>
    acquire_if_present(const std::filesystem::path& project_folder);

private:
    explicit ProjectLock(FileLock lock) : lock_(std::move(lock)) {}
    FileLock lock_;
};

} // namespace lumacite::store
