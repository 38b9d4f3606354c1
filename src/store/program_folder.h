// The program folder: where the catalogue, the settings, the project folders and the
// exports live. Resolution order: an explicit folder (--home or LUMACITE_HOME); the
// executable's own folder when it holds a catalogue (portable install); otherwise
// $XDG_DATA_HOME/lumacite (default ~/.local/share/lumacite).
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace lumacite::store {

// A program folder that cannot be made ready; what() is the user's message.
class ProgramFolderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The folder of the running executable (from /proc/self/exe).
std::filesystem::path executable_folder();

// Chooses the program folder. `home` is the --home option (empty when not given);
// `environment_home` the value of LUMACITE_HOME (empty when unset); `exe_folder` the
// executable's folder; `xdg_data_home` and `user_home` the values of XDG_DATA_HOME and
// HOME. The result has no trailing separator.
std::filesystem::path choose_program_folder(const std::string& home,
                                            const std::string& environment_home,
                                            const std::filesystem::path& exe_folder,
                                            const std::string& xdg_data_home,
                                            const std::string& user_home);

// Same, reading the environment and the executable's folder.
std::filesystem::path resolve_program_folder(const std::string& home);

// Where the shipped catalogue lies for an executable in exe_folder:
// exe_folder/../share/lumacite/velkor.exs (the build tree and an install alike).
std::filesystem::path shipped_catalogue(const std::filesystem::path& exe_folder);

struct PreparedFolder {
    std::filesystem::path catalogue;
    // Only when the catalogue was installed just now: the project folders the program
    // folder held already (a folder N holding zidianN.dbf or tongjiN.dbf), in name order.
    // The new catalogue knows none of their projects; the user is to be told.
    std::vector<std::string> unregistered_folders;
};

// Makes the program folder ready: creates it when missing and, when it holds no
// catalogue, copies the shipped one in (installing). An existing catalogue is never
// touched. Throws ProgramFolderError with the message.
PreparedFolder prepare_program_folder(const std::filesystem::path& folder,
                                      const std::filesystem::path& shipped);

// The project folders in a program folder: every folder N with a folder-safe name that
// holds zidianN.dbf or tongjiN.dbf, in name order.
std::vector<std::string> project_folders(const std::filesystem::path& folder);

// What the window and the command line say about unregistered project folders
// (msg::catalogue_new_with_folders, the names joined by "、", its tail).
std::string unregistered_folders_message(const std::vector<std::string>& names);

} // namespace lumacite::store
