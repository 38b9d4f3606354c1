// The settings file: a small INI file read and written one key at a time (the file is
// opened for each read or write and never kept open), and the main window's geometry in
// its section "form".
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace lumacite::store {

inline constexpr const char* settings_file_name = "lumacite.ini";

// The value of `key` in `section` of an INI file, or `fallback` when the file, the
// section or the key is missing. Section and key names compare without regard to ASCII
// case; blanks around names and values are ignored.
std::string read_profile_string(const std::filesystem::path& file, const std::string& section,
                                const std::string& key, const std::string& fallback);

// Sets `key` in `section` to `value`, keeping every other line. A missing file or
// section is created; a new key goes to the end of its section. The file is replaced
// through a temporary file, so a failed write leaves the old one intact. Returns false
// when the file cannot be written.
bool write_profile_string(const std::filesystem::path& file, const std::string& section,
                          const std::string& key, const std::string& value);

// The whole text as a decimal integer (optional sign, digits, surrounding blanks
// allowed); nullopt for anything else, also for a number out of the int range.
std::optional<int> parse_profile_int(const std::string& text);

// Window geometry as the section "form" keeps it.
struct FormGeometry {
    bool maximised = false;
    int height = 600;
    int width = 900;
    int top = 70;
    int left = 30;
    bool operator==(const FormGeometry&) const = default;
};

inline constexpr const char* form_section = "form";
inline constexpr int form_min_height = 530;
inline constexpr int form_min_width = 890;

// Reads the geometry: zhu_height "0" exactly means maximised (the other keys are then
// not needed); otherwise each key that is missing or not an integer takes its default
// (600, 900, 70, 30).
FormGeometry read_form_geometry(const std::filesystem::path& file);

// Writes the geometry on close: maximised writes zhu_height "0" and zhu_width "0" and
// leaves zhu_top and zhu_left as they are; otherwise writes zhu_top, zhu_left,
// zhu_height and zhu_width, in that order. Returns false when the file cannot be written.
bool write_form_geometry(const std::filesystem::path& file, const FormGeometry& geometry);

} // namespace lumacite::store
