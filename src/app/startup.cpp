#include "app/startup.h"

#include "store/program_folder.h"

namespace lumacite::app {

std::optional<std::filesystem::path> prepare_home(const std::string& home, Prompter& prompter) {
    try {
        const auto folder = store::resolve_program_folder(home);
        const auto prepared = store::prepare_program_folder(
            folder, store::shipped_catalogue(store::executable_folder()));
        if (!prepared.unregistered_folders.empty()) {
            prompter.inform(store::unregistered_folders_message(prepared.unregistered_folders));
        }
        return folder;
    } catch (const std::exception& e) {
        prompter.refuse(e.what());
        return std::nullopt;
    }
}

} // namespace lumacite::app
