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
// name, type). A name or full name holding "·" is taken apart wrongly, as users of the
// format lists have always seen. Missing parts are empty.
store::FormatKey parse_format_entry(const std::string& entry);

} // namespace lumacite::formats
