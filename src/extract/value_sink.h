// Where the extractors put what they find: one call per value, in the order found.
// The extraction run behind it applies the storage rules (trimming, field widths) and
// appends the rows to the project's value table.
#pragma once

#include <string_view>

namespace lumacite::extract {

class ValueSink {
public:
    virtual ~ValueSink() = default;
    // One value of keyword `guanjianzi` for article `wenzhangha` (UTF-8).
    virtual void write(std::string_view wenzhangha, std::string_view guanjianzi,
                       std::string_view zhi) = 0;
};

} // namespace lumacite::extract
