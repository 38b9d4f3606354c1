// The six value operations: refusals, the new value of a row, and one pass over the table.
#include "messages.h"
#include "text/text.h"
#include "values/values.h"

#include <algorithm>
#include <utility>

namespace lumacite::values {
namespace {

template <class... F> struct Overloaded : F... { using F::operator()...; };

bool has_quote(std::string_view s) {
    return s.find('\'') != std::string_view::npos;
}

// A field of operation 6: its digits as a number; 0 when empty or not all digits. Large
// numbers saturate (no value is that long anyway).
long long position(std::string_view field) {
    if (field.empty() || field.find_first_not_of("0123456789") != std::string_view::npos) {
        return 0;
    }
    long long n = 0;
    for (char c : field) {
        n = std::min<long long>(n * 10 + (c - '0'), 1'000'000'000);
    }
    return n;
}

// The characters of `zhi` whose GB18030 bytes all lie within positions first..last.
std::string keep_positions(std::string_view zhi, long long first, long long last) {
    std::string out;
    long long at = 1;
    for (std::size_t pos = 0; pos < zhi.size() && at <= last;) {
        const std::size_t begin = pos;
        text::next_code_point(zhi, pos);
        const std::string_view ch = zhi.substr(begin, pos - begin);
        const auto width = static_cast<long long>(text::gb18030_width(ch));
        if (at >= first && at + width - 1 <= last) {
            out += ch;
        }
        at += width;
    }
    return out;
}

std::string without(std::string_view zhi, bool letters) {
    std::string out;
    out.reserve(zhi.size());
    for (char c : zhi) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        const bool digit = c >= '0' && c <= '9';
        if (letters ? !letter : !digit) {
            out += c;
        }
    }
    return out;
}

Check refused(const char* message) {
    return {Check::Status::refused, message};
}

} // namespace

Check check_operation(const Operation& operation) {
    return std::visit(
        Overloaded{
            [](const SetValue& op) {
                return has_quote(op.new_value) ? refused(msg::value_has_quote) : Check{};
            },
            [](const CutBetween& op) {
                return text::trim_view(op.start_mark).empty() ||
                               text::trim_view(op.end_mark).empty()
                           ? refused(msg::marks_both_needed)
                           : Check{};
            },
            [](const Replace& op) {
                if (op.find.empty()) {
                    return refused(msg::find_text_needed);
                }
                if (has_quote(op.replacement)) {
                    return refused(msg::value_has_quote);
                }
                return op.find == op.replacement ? Check{Check::Status::idle, {}} : Check{};
            },
            [](const ChangeCase&) { return Check{}; },
            [](const Strip&) { return Check{}; },
            [](const KeepRange& op) {
                const long long first = position(op.start);
                const long long last = position(op.end);
                if (first <= 0 || last <= 0) {
                    return refused(msg::range_both_positive);
                }
                return last < first ? refused(msg::range_end_before_start) : Check{};
            },
        },
        operation);
}

std::optional<std::string> operation_value(const Operation& operation, std::string_view zhi) {
    return std::visit(
        Overloaded{
            [](const SetValue& op) -> std::optional<std::string> { return op.new_value; },
            [&](const CutBetween& op) -> std::optional<std::string> {
                const auto s = zhi.find(op.start_mark);
                const auto e = zhi.find(op.end_mark);
                if (s == std::string_view::npos || e == std::string_view::npos || s >= e) {
                    return std::nullopt;
                }
                return std::string(zhi.substr(0, s)).append(zhi.substr(e + op.end_mark.size()));
            },
            [&](const Replace& op) -> std::optional<std::string> {
                if (op.find.empty() || zhi.find(op.find) == std::string_view::npos) {
                    return std::nullopt;
                }
                return text::replace_all(zhi, op.find, op.replacement);
            },
            [&](const ChangeCase& op) -> std::optional<std::string> {
                return op.upper ? text::ascii_upper(zhi) : text::ascii_lower(zhi);
            },
            [&](const Strip& op) -> std::optional<std::string> { return without(zhi, op.letters); },
            [&](const KeepRange& op) -> std::optional<std::string> {
                return keep_positions(zhi, position(op.start), position(op.end));
            },
        },
        operation);
}

std::string stored_value(std::string_view zhi) {
    std::string out = text::truncate_to_width(zhi, text::value_width);
    while (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    return out;
}

void ValueSteps::add(const std::string& wenzhangha, const std::string& old_value,
                     const std::string& new_value) {
    if (old_value == new_value) {
        return;
    }
    Article& a = articles_[wenzhangha];
    std::vector<std::string> moving;
    if (auto it = a.holders.find(old_value); it != a.holders.end()) {
        moving = std::move(it->second);
        a.holders.erase(it);
    }
    // Rows that still hold the value they started with.
    if (!a.now.contains(old_value)) {
        moving.push_back(old_value);
    }
    for (const auto& start : moving) {
        a.now[start] = new_value;
    }
    auto& to = a.holders[new_value];
    to.insert(to.end(), std::make_move_iterator(moving.begin()),
              std::make_move_iterator(moving.end()));
}

std::optional<std::string> ValueSteps::final_value(const std::string& wenzhangha,
                                                   const std::string& zhi) const {
    const auto a = articles_.find(wenzhangha);
    if (a == articles_.end()) {
        return std::nullopt;
    }
    const auto now = a->second.now.find(zhi);
    if (now == a->second.now.end() || now->second == zhi) {
        return std::nullopt;
    }
    return now->second;
}

EditResult apply_operation(store::Workspace& workspace, const GridQuery& query,
                           std::span<const GridRow> rows, const Operation& operation) {
    EditResult result;
    result.check = check_operation(operation);
    if (result.check.status != Check::Status::ready) {
        return result;
    }
    const OccurrenceSource keys = query.source();
    store::ValueFilter filter = store::ValueFilter::keywords(keys.stored_keywords);
    filter.bianhao = query.bianhao;
    filter.xuhao = query.xuhao;

    if (const auto* set = std::get_if<SetValue>(&operation)) {
        const std::string new_value = stored_value(set->new_value);
        filter.zhi = set->old_value;
        if (!set->batch) {
            filter.wenzhangha = set->wenzhangha;
        }
        // Without batch one row changes; the row of a distinct keyword stands for the
        // stored rows of its pair.
        const bool first_only = !set->batch && !keys.distinct;
        bool taken = false;
        result.rows_changed = workspace.rewrite_values(
            filter, [&](const store::ValueRow&) -> std::optional<std::string> {
                if (first_only && std::exchange(taken, true)) {
                    return std::nullopt;
                }
                return new_value;
            });
    } else {
        ValueSteps steps;
        for (const auto& row : rows) {
            if (auto value = operation_value(operation, row.zhi)) {
                steps.add(row.wenzhangha, row.zhi, stored_value(*value));
            }
        }
        result.rows_changed = workspace.rewrite_values(filter, [&](const store::ValueRow& r) {
            return steps.final_value(r.wenzhangha, r.zhi);
        });
    }
    workspace.flush();
    return result;
}

} // namespace lumacite::values
