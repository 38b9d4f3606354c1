#include "formats/format_entry.h"

namespace lumacite::formats {

std::string make_format_entry(const store::FormatKey& key) {
    return key.geshi + entry_separator + key.geshi_quancheng + entry_separator + key.leixing;
}

store::FormatKey parse_format_entry(const std::string& entry) {
    const std::string sep = entry_separator;
    store::FormatKey key;
    const auto first = entry.find(sep);
    if (first == std::string::npos) {
        key.geshi = entry;
        return key;
    }
    key.geshi = entry.substr(0, first);
    const std::string rest = entry.substr(first + sep.size());
    const auto second = rest.find(sep);
    if (second == std::string::npos) {
        key.geshi_quancheng = rest;
        return key;
    }
    key.geshi_quancheng = rest.substr(0, second);
    key.leixing = rest.substr(second + sep.size());
    return key;
}

} // namespace lumacite::formats
