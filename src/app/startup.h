// Making the program folder ready before the main window opens.
#pragma once

#include "app/prompter.h"

#include <filesystem>
#include <optional>
#include <string>

namespace lumacite::app {

// Chooses the program folder (`home` is --home; empty when not given) and makes it ready:
// the shipped catalogue is installed when the folder holds none, and when the folder held
// project folders already the user is told which of them the new catalogue does not know.
// nullopt after showing why the folder cannot be made ready.
std::optional<std::filesystem::path> prepare_home(const std::string& home, Prompter& prompter);

} // namespace lumacite::app
