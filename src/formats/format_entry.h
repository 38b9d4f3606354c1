// Format entries: the text "name·full name·type" (middle dot U+00B7) that stands for a
// format in the format lists.
#pragma once

#include "store/catalogue.h"

#include <string>

namespace lumacite::formats {

inline constexpr const char* entry_separator = "\u00B7";

// name + "·" + full name + "·" + type.
std::string make_format_entry(const store::FormatKey& key);

// Takes an entry apart at the first "·" (name), then the rest at its first "·" (full
// name, type). The format commands refuse a name or full name holding "·", which would
// be taken apart wrongly. Missing parts are empty.
store::FormatKey parse_format_entry(const std::string& entry);

} // namespace lumacite::formats
