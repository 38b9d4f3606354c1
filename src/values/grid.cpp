// The rows of the values grid.
#include "text/text.h"
#include "values/values.h"

#include <algorithm>
#include <numeric>
#include <unordered_set>

namespace lumacite::values {

std::vector<GridRow> grid_rows(store::Workspace& workspace, const GridQuery& query) {
    const OccurrenceSource keys = query.source();
    store::ValueFilter filter = store::ValueFilter::keywords(keys.stored_keywords);
    filter.xuhao = query.xuhao;
    filter.zhi = query.same_value;

    std::vector<GridRow> rows;
    std::unordered_set<std::string> seen;
    workspace.for_each_value(filter, [&](const store::ValueRow& r) {
        if (keys.distinct) {
            std::string pair = r.wenzhangha;
            pair += '\0';
            pair += r.zhi;
            if (!seen.insert(std::move(pair)).second) {
                return;
            }
        }
        rows.push_back({r.wenzhangha, r.zhi});
    });
    if (query.sort == Sort::none || rows.size() < 2) {
        return rows;
    }

    // The text order is the order of the GB18030 bytes: encode each value once.
    std::vector<std::string> keys_of(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        keys_of[i] = text::utf8_to_gb18030(rows[i].zhi);
    }
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    if (query.sort == Sort::ascending) {
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return keys_of[a] < keys_of[b]; });
    } else {
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return keys_of[b] < keys_of[a]; });
    }
    std::vector<GridRow> sorted;
    sorted.reserve(rows.size());
    for (const std::size_t i : order) {
        sorted.push_back(std::move(rows[i]));
    }
    return sorted;
}

std::optional<std::size_t> locate_row(std::span<const GridRow> rows, std::string_view wenzhangha,
                                      const std::optional<std::string>& zhi) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].wenzhangha == wenzhangha && (!zhi || rows[i].zhi == *zhi)) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace lumacite::values
