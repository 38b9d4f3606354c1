// Shared helpers of the extraction tests: a recording sink, definitions and formats.
#pragma once

#include "extract/extractor.h"
#include "extract/value_sink.h"
#include "progress.h"

#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace lumacite::testing {

using Row = std::tuple<std::string, std::string, std::string>; // wenzhangha, guanjianzi, zhi

class RecordingSink final : public extract::ValueSink {
public:
    void write(std::string_view wenzhangha, std::string_view guanjianzi,
               std::string_view zhi) override {
        rows.emplace_back(std::string(wenzhangha), std::string(guanjianzi), std::string(zhi));
    }
    // The rows of one keyword, in order, as (wenzhangha, zhi).
    std::vector<std::pair<std::string, std::string>> of(std::string_view key) const {
        std::vector<std::pair<std::string, std::string>> out;
        for (const auto& [a, k, v] : rows) {
            if (k == key) {
                out.emplace_back(a, v);
            }
        }
        return out;
    }
    std::vector<std::string> values(std::string_view key) const {
        std::vector<std::string> out;
        for (const auto& [a, k, v] : rows) {
            if (k == key) {
                out.push_back(v);
            }
        }
        return out;
    }
    std::vector<Row> rows;
};

// Records every title, maximum and position.
class RecordingProgress final : public Progress {
public:
    void set_title(const std::string& title) override { titles.push_back(title); }
    void set_maximum(long long maximum) override { maxima.push_back(maximum); }
    void set_position(long long position) override {
        last_position = position;
        ++positions;
    }
    std::vector<std::string> titles;
    std::vector<long long> maxima;
    long long last_position = 0;
    long long positions = 0;
};

inline store::Definition definition(std::string guanjianzi, std::string tag,
                                    std::optional<std::string> pailie = std::nullopt,
                                    std::optional<std::string> fenge = std::nullopt,
                                    int yueding = 0) {
    store::Definition d;
    d.geshi = "T";
    d.leixing = "<txt>";
    d.guanjianzi = std::move(guanjianzi);
    d.jiedian[0] = std::move(tag);
    d.pailie = std::move(pailie);
    d.fenge = std::move(fenge);
    d.yueding = yueding;
    return d;
}

// A tagged-text format from its definitions: walked are those whose flag is not 1, and
// the reserved ones are found by name, as the catalogue gives them.
inline extract::ExtractionFormat txt_format(const std::vector<store::Definition>& defs) {
    extract::ExtractionFormat f;
    f.geshi = "T";
    f.leixing = "<txt>";
    for (const auto& d : defs) {
        if (d.yueding != 1) {
            f.walked.push_back(d);
        }
        if (d.guanjianzi == "<文章节点>" && !f.article_node) {
            f.article_node = d;
        }
        if (d.guanjianzi == "<文章号>" && !f.article_number) {
            f.article_number = d;
        }
        if (d.guanjianzi == "<主题词>" && !f.subject_headings) {
            f.subject_headings = d;
        }
    }
    return f;
}

} // namespace lumacite::testing
