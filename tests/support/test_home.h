// A test's program folder: the shipped catalogue with its projects and document entries, and
// value rows in a project's table.
#pragma once

#include "store/catalogue.h"
#include "store/workspace.h"

#include <filesystem>
#include <string>
#include <vector>

namespace lumacite::testing {

// Builds the shipped catalogue in `home` and adds `projects`, then `documents`.
inline void make_catalogue(const std::filesystem::path& home,
                           const std::vector<store::Project>& projects,
                           const std::vector<store::Document>& documents = {}) {
    std::filesystem::create_directories(home);
    store::build_catalogue(std::filesystem::path(LUMACITE_SOURCE_DIR) / "assets" / "formats.tsv",
                           home / store::catalogue_file_name);
    auto catalogue = store::Catalogue::open(home / store::catalogue_file_name);
    for (const auto& p : projects) {
        catalogue.add_project(p);
    }
    for (const auto& d : documents) {
        catalogue.add_document(d);
    }
}

struct ValueRow {
    long long xuhao;
    const char* wenzhangha;
    const char* guanjianzi;
    const char* zhi;
};

// Appends `rows` to the value table of project `number`, in order.
inline void append_rows(const std::filesystem::path& home, const std::string& number,
                        const std::vector<ValueRow>& rows) {
    auto ws = store::Workspace::bind(home, number);
    for (const auto& r : rows) {
        ws.append_value(r.xuhao, r.wenzhangha, r.guanjianzi, r.zhi);
    }
    ws.close();
}

} // namespace lumacite::testing
