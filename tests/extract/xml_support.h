// Shared pieces of the XML extractor tests: a sink and a gauge that record what they
// receive, definition builders and the PubMed definitions the tests read real files with.
#pragma once

#include "extract/extractor.h"
#include "extract/xml_extractor.h"

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace lumacite::xml_tests {

struct Row {
    std::string wenzhangha, guanjianzi, zhi;
    bool operator==(const Row&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Row& r) {
    return os << '[' << r.wenzhangha << " | " << r.guanjianzi << " | " << r.zhi << ']';
}

class RecordingSink final : public extract::ValueSink {
public:
    void write(std::string_view wenzhangha, std::string_view guanjianzi,
               std::string_view zhi) override {
        rows.push_back({std::string(wenzhangha), std::string(guanjianzi), std::string(zhi)});
    }
    // The values of one keyword of one article, in the order written.
    std::vector<std::string> values(const std::string& wenzhangha,
                                    const std::string& guanjianzi) const {
        std::vector<std::string> out;
        for (const auto& r : rows) {
            if (r.wenzhangha == wenzhangha && r.guanjianzi == guanjianzi) {
                out.push_back(r.zhi);
            }
        }
        return out;
    }
    std::vector<Row> rows;
};

class RecordingProgress final : public Progress {
public:
    void set_title(const std::string&) override {}
    void set_maximum(long long m) override {
        maximum = m;
        positions.clear();
    }
    void set_position(long long p) override { positions.push_back(p); }
    void pump() override { ++pumps; }
    long long maximum = -1;
    std::vector<long long> positions;
    int pumps = 0;
};

inline store::Definition definition(const std::string& guanjianzi,
                                    const std::vector<std::string>& nodes, int yueding = 0) {
    store::Definition d;
    d.geshi = "X";
    d.leixing = "<xml>";
    d.guanjianzi = guanjianzi;
    for (std::size_t i = 0; i < nodes.size() && i < 6; ++i) {
        d.jiedian[i] = nodes[i];
    }
    d.pailie = "1";
    d.fenge = ";";
    d.yueding = yueding;
    return d;
}

// An XML format with article elements `article`, numbered by `number_path` (automatic
// numbering when empty), walking `walked` in order.
inline extract::ExtractionFormat xml_format(const std::string& geshi, const std::string& article,
                                            const std::vector<std::string>& number_path,
                                            std::vector<store::Definition> walked) {
    extract::ExtractionFormat f;
    f.geshi = geshi;
    f.leixing = "<xml>";
    f.walked = std::move(walked);
    f.article_node = definition("<文章节点>", {article}, 1);
    if (!number_path.empty()) {
        f.article_number = definition("<文章号>", number_path, 1);
    }
    return f;
}

// The PubMed definitions: PMID as the article number, the bibliographic keywords, the
// year from PubDate/Year or, for a PubDate that has only a MedlineDate ("2002 Apr-May"),
// its first four characters, and the subject headings of MeshHeadingList.
inline extract::ExtractionFormat pubmed_format() {
    const std::string mc = "MedlineCitation";
    extract::ExtractionFormat f = xml_format(
        "PubMed", "PubmedArticle", {mc, "PMID"},
        {
            definition("标题", {mc, "Article", "ArticleTitle"}),
            definition("作者", {mc, "Article", "AuthorList", "Author", "LastName\\\\\\Initials"}),
            definition("期刊", {mc, "Article", "Journal", "Title"}),
            definition("年代", {mc, "Article", "Journal", "JournalIssue", "PubDate", "Year"}),
            definition("年代",
                       {mc, "Article", "Journal", "JournalIssue", "PubDate", "MedlineDate|||1,4"}),
            definition("卷", {mc, "Article", "Journal", "JournalIssue", "Volume"}),
            definition("页码", {mc, "Article", "Pagination", "MedlinePgn"}),
            definition("语种", {mc, "Article", "Language"}),
            definition("国家", {mc, "MedlineJournalInfo", "Country"}),
            definition("文献类型", {mc, "Article", "PublicationTypeList", "PublicationType"}),
            definition("关键词", {mc, "KeywordList", "Keyword"}),
        });
    f.subject_headings = definition(
        "<主题词>",
        {mc, "MeshHeadingList", "MeshHeading", "DescriptorName", "QualifierName", "MajorTopicYN"},
        2);
    return f;
}

// Extracts XML text with a fresh counter; the outcome and the rows.
struct Extracted {
    extract::FileOutcome outcome;
    std::vector<Row> rows;
};

inline Extracted extract_text(const std::string& xml, const extract::ExtractionFormat& format,
                              const std::string& shown_path = "a.xml") {
    RecordingSink sink;
    NullProgress progress;
    extract::ArticleCounter counter;
    Extracted e;
    e.outcome =
        extract::XmlExtractor().extract_bytes(xml, shown_path, format, counter, sink, progress);
    e.rows = std::move(sink.rows);
    return e;
}

} // namespace lumacite::xml_tests
