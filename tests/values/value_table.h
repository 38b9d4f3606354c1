// A project's value table for the tests of value cleaning: project "P1" in a temporary
// program folder, rows appended in order, the whole table read back.
#pragma once

#include "store/workspace.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace lumacite::testing {

struct Stored {
    long long xuhao;
    std::string wenzhangha, guanjianzi, zhi;
    bool operator==(const Stored&) const = default;
};

class ValueTable : public ::testing::Test {
protected:
    void SetUp() override { ws.emplace(store::Workspace::bind(home.path(), "P1")); }

    void add(const std::vector<Stored>& rows) {
        for (const auto& r : rows) {
            ws->append_value(r.xuhao, r.wenzhangha, r.guanjianzi, r.zhi);
        }
        ws->flush();
    }
    // Every row in table order.
    std::vector<Stored> table() {
        std::vector<Stored> out;
        for (const auto& r : ws->select_values({})) {
            out.push_back({r.xuhao, r.wenzhangha, r.guanjianzi, r.zhi});
        }
        return out;
    }

    TempDir home;
    std::optional<store::Workspace> ws;
};

} // namespace lumacite::testing
