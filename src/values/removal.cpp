// Value removal in its three scopes, followed by pack.
#include "values/values.h"

#include <unordered_map>

namespace lumacite::values {
namespace {

std::string pair_key(const std::string& wenzhangha, const std::string& zhi) {
    std::string key = wenzhangha;
    key += '\0';
    key += zhi;
    return key;
}

} // namespace

std::uint64_t remove_values(store::Workspace& workspace, const GridQuery& query,
                            std::span<const GridRow> rows, std::size_t current,
                            RemovalScope scope) {
    const OccurrenceSource keys = query.source();
    store::ValueFilter filter = store::ValueFilter::keywords(keys.stored_keywords);
    const GridRow& row = rows[current];
    if (scope == RemovalScope::same) {
        // Every document of the project, not only the one shown.
        filter.zhi = row.zhi;
        return workspace.delete_values_and_pack(filter,
                                                [](const store::ValueRow&) { return true; });
    }

    filter.bianhao = query.bianhao;
    filter.xuhao = query.xuhao;
    if (scope == RemovalScope::one) {
        filter.wenzhangha = row.wenzhangha;
        filter.zhi = row.zhi;
    }
    // How many stored rows of each (article, value) the grid rows taken stand for.
    const std::size_t end = scope == RemovalScope::one ? current + 1 : rows.size();
    std::unordered_map<std::string, std::uint64_t> wanted;
    for (std::size_t i = current; i < end; ++i) {
        ++wanted[pair_key(rows[i].wenzhangha, rows[i].zhi)];
    }
    return workspace.delete_values_and_pack(filter, [&](const store::ValueRow& r) {
        const auto it = wanted.find(pair_key(r.wenzhangha, r.zhi));
        if (it == wanted.end() || it->second == 0) {
            return false;
        }
        if (!keys.distinct) {
            --it->second;
        }
        return true;
    });
}

} // namespace lumacite::values
