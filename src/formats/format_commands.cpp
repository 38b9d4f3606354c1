// The format commands: add (ten default definitions), modify, delete, with their checks.
#include "formats/formats.h"

#include "messages.h"
#include "text/text.h"

#include <algorithm>

namespace lumacite::formats {

Outcome Outcome::refuse(std::string text, Icon icon, bool quiet) {
    Outcome o;
    o.status = Status::refused;
    o.message = std::move(text);
    o.icon = icon;
    o.quiet = quiet;
    return o;
}

bool is_builtin_format(std::string_view name) {
    return std::any_of(builtin_formats.begin(), builtin_formats.end(),
                       [&](const char* b) { return name == b; });
}

std::vector<store::Definition> default_definitions(const store::FormatKey& key) {
    static constexpr std::array<const char*, 10> names = {
        "<文章节点>", "<文章号>", "标题",   "作者",   "期刊",
        "年代",       "卷",       "起始页", "截止页", "<主题词>"};
    std::vector<store::Definition> out;
    out.reserve(names.size());
    for (const char* name : names) {
        store::Definition d;
        d.geshi = key.geshi;
        d.geshi_quancheng = key.geshi_quancheng;
        d.leixing = key.leixing;
        d.guanjianzi = name;
        d.yueding = flag_ordinary;
        out.push_back(std::move(d));
    }
    return out;
}

bool format_name_editable(std::string_view name) {
    return !is_builtin_format(name);
}

Outcome check_format_modifiable(const store::Catalogue& catalogue, const std::string& name) {
    if (catalogue.projects_using_format(name) > 0) {
        return Outcome::refuse(msg::format_in_use_no_modify, Icon::information);
    }
    return {};
}

namespace {

// A name or full name with "·" would make the format's entry ambiguous.
bool holds_entry_separator(const store::FormatKey& input) {
    return input.geshi.find(entry_separator) != std::string::npos ||
           input.geshi_quancheng.find(entry_separator) != std::string::npos;
}

} // namespace

Outcome add_format(store::Catalogue& catalogue, const store::FormatKey& input) {
    const auto guard = catalogue.lock_for_change();
    if (text::trim(input.geshi).empty()) {
        return Outcome::refuse(msg::format_name_empty, Icon::error);
    }
    if (holds_entry_separator(input)) {
        return Outcome::refuse(msg::format_name_middle_dot, Icon::error);
    }
    if (catalogue.format_exists(input.geshi)) {
        return Outcome::refuse(msg::format_name_duplicate, Icon::error);
    }
    // All ten or none: a format missing some of its defaults would be a half-made one.
    catalogue.transaction([&] {
        for (const auto& d : default_definitions(input)) {
            catalogue.add_definition(d);
        }
    });
    return {};
}

Outcome modify_format(store::Catalogue& catalogue, const std::string& old_name,
                      const store::FormatKey& input) {
    const auto guard = catalogue.lock_for_change();
    if (!catalogue.format_exists(old_name)) {
        return Outcome::refuse(msg::format_not_found + old_name, Icon::information, true);
    }
    if (auto check = check_format_modifiable(catalogue, old_name); !check.done()) {
        return check;
    }
    if (text::trim(input.geshi).empty()) {
        return Outcome::refuse(msg::format_name_empty, Icon::error);
    }
    if (holds_entry_separator(input)) {
        return Outcome::refuse(msg::format_name_middle_dot, Icon::error);
    }
    const bool renamed = input.geshi != old_name;
    if (renamed && !format_name_editable(old_name)) {
        return Outcome::refuse(msg::format_builtin_no_rename, Icon::information, true);
    }
    if (renamed && catalogue.format_exists(input.geshi)) {
        return Outcome::refuse(msg::format_name_duplicate, Icon::error);
    }
    catalogue.update_format(old_name, input);
    return {};
}

std::string delete_format_question(const store::FormatKey& key) {
    return std::string(msg::delete_format_before) + make_format_entry(key) +
           msg::delete_format_after;
}

Outcome delete_format(store::Catalogue& catalogue, const store::FormatKey& key, const Ask& ask) {
    if (!catalogue.format_exists(key.geshi)) {
        return Outcome::refuse(msg::format_not_found + key.geshi, Icon::information, true);
    }
    if (is_builtin_format(key.geshi)) {
        return Outcome::refuse(msg::format_builtin_no_delete, Icon::information);
    }
    if (catalogue.projects_using_format(key.geshi) > 0) {
        return Outcome::refuse(msg::format_in_use_no_delete, Icon::information);
    }
    if (!ask(delete_format_question(key))) {
        Outcome o;
        o.status = Outcome::Status::declined;
        return o;
    }
    // Checked again under the lock: a project may have taken the format meanwhile.
    const auto guard = catalogue.lock_for_change();
    if (catalogue.projects_using_format(key.geshi) > 0) {
        return Outcome::refuse(msg::format_in_use_no_delete, Icon::information);
    }
    catalogue.delete_format(key.geshi);
    return {};
}

} // namespace lumacite::formats
