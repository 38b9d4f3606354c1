#include "store/settings.h"

#include "text/text.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <vector>

namespace lumacite::store {
namespace fs = std::filesystem;

namespace {

std::vector<std::string> read_lines(const fs::path& file) {
    std::vector<std::string> lines;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return lines;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

bool same_name(std::string_view a, std::string_view b) {
    return text::ascii_lower(text::trim(a)) == text::ascii_lower(text::trim(b));
}

// The section name of a "[name]" line, or nullopt for any other line.
std::optional<std::string> section_of(const std::string& line) {
    const std::string_view t = text::trim_view(line);
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
        return std::string(t.substr(1, t.size() - 2));
    }
    return std::nullopt;
}

// Splits a "key=value" line; nullopt for comments and lines without "=".
std::optional<std::pair<std::string, std::string>> entry_of(const std::string& line) {
    const std::string_view t = text::trim_view(line);
    if (t.empty() || t.front() == ';' || t.front() == '#') {
        return std::nullopt;
    }
    const auto eq = t.find('=');
    if (eq == std::string_view::npos) {
        return std::nullopt;
    }
    return std::make_pair(text::trim(t.substr(0, eq)), text::trim(t.substr(eq + 1)));
}

} // namespace

std::string read_profile_string(const fs::path& file, const std::string& section,
                                const std::string& key, const std::string& fallback) {
    bool in_section = false;
    for (const auto& line : read_lines(file)) {
        if (const auto name = section_of(line)) {
            in_section = same_name(*name, section);
            continue;
        }
        if (!in_section) {
            continue;
        }
        if (const auto entry = entry_of(line); entry && same_name(entry->first, key)) {
            return entry->second;
        }
    }
    return fallback;
}

bool write_profile_string(const fs::path& file, const std::string& section, const std::string& key,
                          const std::string& value) {
    std::vector<std::string> lines = read_lines(file);
    const std::string entry_line = key + "=" + value;
    bool in_section = false;
    bool done = false;
    std::size_t section_end = lines.size(); // where a new key of the section goes
    bool section_found = false;
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        if (const auto name = section_of(lines[i])) {
            if (in_section) {
                break;
            }
            in_section = same_name(*name, section);
            if (in_section) {
                section_found = true;
                section_end = i + 1;
            }
            continue;
        }
        if (!in_section) {
            continue;
        }
        if (const auto entry = entry_of(lines[i]); entry && same_name(entry->first, key)) {
            // The key keeps the spelling it has in the file.
            lines[i] = entry->first + "=" + value;
            done = true;
        } else if (!text::trim_view(lines[i]).empty()) {
            section_end = i + 1;
        }
    }
    if (!done) {
        if (section_found) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(section_end), entry_line);
        } else {
            lines.push_back("[" + section + "]");
            lines.push_back(entry_line);
        }
    }
    std::ostringstream out;
    for (const auto& line : lines) {
        out << line << '\n';
    }
    const fs::path temp = file.string() + ".tmp";
    {
        std::ofstream f(temp, std::ios::binary | std::ios::trunc);
        if (!f) {
            return false;
        }
        f << out.str();
        f.flush();
        if (!f) {
            std::error_code ec;
            fs::remove(temp, ec);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temp, file, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

std::optional<int> parse_profile_int(const std::string& text) {
    std::string_view t = text::trim_view(text);
    if (!t.empty() && t.front() == '+') {
        t.remove_prefix(1);
    }
    if (t.empty()) {
        return std::nullopt;
    }
    int value = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (ec != std::errc() || end != t.data() + t.size()) {
        return std::nullopt;
    }
    return value;
}

FormGeometry read_form_geometry(const fs::path& file) {
    FormGeometry g;
    const auto read = [&](const char* key, int fallback) {
        return parse_profile_int(
                   read_profile_string(file, form_section, key, std::to_string(fallback)))
            .value_or(fallback);
    };
    const std::string height = read_profile_string(file, form_section, "zhu_height", "600");
    if (height == "0") {
        g.maximised = true;
        return g;
    }
    g.height = parse_profile_int(height).value_or(600);
    g.width = read("zhu_width", 900);
    g.top = read("zhu_top", 70);
    g.left = read("zhu_left", 30);
    return g;
}

bool write_form_geometry(const fs::path& file, const FormGeometry& g) {
    if (g.maximised) {
        return write_profile_string(file, form_section, "zhu_height", "0") &&
               write_profile_string(file, form_section, "zhu_width", "0");
    }
    return write_profile_string(file, form_section, "zhu_top", std::to_string(g.top)) &&
           write_profile_string(file, form_section, "zhu_left", std::to_string(g.left)) &&
           write_profile_string(file, form_section, "zhu_height", std::to_string(g.height)) &&
           write_profile_string(file, form_section, "zhu_width", std::to_string(g.width));
}

} // namespace lumacite::store
