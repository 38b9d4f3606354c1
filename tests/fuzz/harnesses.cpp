#include "harnesses.h"

#include "extract/extraction_run.h"
#include "extract/txt_extractor.h"
#include "extract/xml_extractor.h"
#include "store/catalogue.h"
#include "store/dbase.h"
#include "store/workspace.h"
#include "text/text.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace lumacite::fuzz {
namespace {

void require(bool holds, const std::string& property) {
    if (!holds) {
        throw PropertyViolation(property);
    }
}

// A text for a message: its first bytes, those outside printable ASCII as \xNN.
std::string shown(std::string_view s) {
    std::string out;
    for (const char c : s.substr(0, 120)) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F) {
            out += c;
        } else {
            static const char* hex = "0123456789ABCDEF";
            out += "\\x";
            out += hex[b >> 4];
            out += hex[b & 15];
        }
    }
    return out;
}

bool trimmed(std::string_view s) {
    return text::trim_view(s).size() == s.size();
}

// The shipped formats, read from the catalogue seed into a catalogue in memory, as the
// extraction run reads them from the program's catalogue.
const std::vector<extract::ExtractionFormat>& formats(bool xml) {
    static const auto all = [] {
        auto catalogue = store::Catalogue::create(":memory:");
        std::vector<std::string> names;
        for (const auto& d :
             store::read_seed(std::filesystem::path(LUMACITE_SOURCE_DIR) / "assets/formats.tsv")) {
            catalogue.add_definition(d);
            if (std::find(names.begin(), names.end(), d.geshi) == names.end()) {
                names.push_back(d.geshi);
            }
        }
        std::pair<std::vector<extract::ExtractionFormat>, std::vector<extract::ExtractionFormat>>
            by_type;
        for (const auto& name : names) {
            auto f = extract::load_extraction_format(catalogue, name);
            (f.leixing == "<xml>" ? by_type.second : by_type.first).push_back(std::move(f));
        }
        return by_type;
    }();
    return xml ? all.second : all.first;
}

// Checks every row the run would store, as the value table stores it.
class CheckingTable final : public extract::ValueTable {
public:
    bool has_document_rows(long long) override { return false; }
    void delete_document_rows(long long) override {}
    void clear_statistics() override {}
    void delete_empty_values() override {}
    void append(const extract::ValueRow& row) override {
        check(row.wenzhangha, text::project_number_width, 2, "article number");
        check(row.guanjianzi, text::keyword_width, 3, "keyword");
        check(row.zhi, text::value_width, 4, "value");
        require(row.zhi.find('\'') == std::string::npos, "value without apostrophes");
    }

private:
    void check(const std::string& s, std::size_t width, std::size_t field, const char* what) {
        const std::string name = std::string(what) + " \"" + shown(s) + "\"";
        require(text::is_valid_utf8(s), name + " is valid UTF-8");
        require(trimmed(s), name + " is trimmed");
        const std::string stored = text::utf8_to_gb18030(s);
        require(stored.size() <= width, name + " fits its field");
        require(text::gb18030_width(s) == stored.size(), name + " width is its GB18030 size");
        require(text::gb18030_to_utf8(stored) == s, name + " survives the GB18030 round trip");
        const std::string cell = layout_.encode_text(field, s);
        require(cell.size() == layout_.fields()[field].width, name + " cell has the field width");
        std::string_view kept = cell;
        while (!kept.empty() && kept.back() == ' ') {
            kept.remove_suffix(1);
        }
        require(text::gb18030_to_utf8(kept) == s, name + " reads back from the table as stored");
    }
    store::DbaseLayout layout_{store::zidian_layout()};
};

// A scratch file of this process, for the reader that works on files.
std::filesystem::path scratch_file() {
    static const std::filesystem::path file = [] {
        std::error_code ec;
        const std::filesystem::path shm("/dev/shm");
        const auto folder =
            std::filesystem::is_directory(shm, ec) ? shm : std::filesystem::temp_directory_path();
        return folder / ("lumacite-fuzz-" + std::to_string(::getpid()) + ".dbf");
    }();
    return file;
}

void write_scratch(std::string_view bytes) {
    std::ofstream out(scratch_file(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

void txt_extractor(std::string_view bytes) {
    // One format an input, chosen by its length: a mutation that changes the length tries
    // the bytes with another format, and each input costs one pass of the extractor.
    const auto& all = formats(false);
    const auto& format = all[bytes.size() % all.size()];
    CheckingTable table;
    extract::RowWriter writer(table, "P1", 1);
    extract::TxtExtractor extractor(format);
    NullProgress progress;
    const long long articles = extractor.extract_text(text::decode_input(bytes), writer, progress);
    require(articles >= 0, "article count");
}

void xml_extractor(std::string_view bytes) {
    for (const auto& format : formats(true)) {
        CheckingTable table;
        extract::RowWriter writer(table, "P1", 1);
        extract::XmlExtractor extractor;
        extract::ArticleCounter counter;
        NullProgress progress;
        const auto outcome =
            extractor.extract_bytes(bytes, "fuzz.xml", format, counter, writer, progress);
        require(outcome.articles >= 0, "article count");
        require(outcome.kind != extract::FileOutcome::Kind::done || outcome.message.empty(),
                "a file read to the end has no message");
        require(text::is_valid_utf8(outcome.message), "message is valid UTF-8");
    }
}

void dbase_reader(std::string_view bytes) {
    write_scratch(bytes);
    const auto file = scratch_file();
    std::uint32_t live = 0;
    try {
        auto table = store::DbaseTable::open(file, store::DbaseTable::Access::read_only);
        const auto& layout = table.layout();
        require(layout.record_length() >= 1, "record length");
        table.for_each([&](const store::DbaseRecordView& r) {
            ++live;
            for (std::size_t f = 0; f < layout.size(); ++f) {
                const std::string t = r.text(f);
                require(text::is_valid_utf8(t), "a field reads as valid UTF-8");
                (void)r.integer(f);
                if (layout.fields()[f].type != 'N') {
                    const std::string cell = layout.encode_text(f, t);
                    require(cell.size() == layout.fields()[f].width, "a text fits its field again");
                    std::string_view kept = cell;
                    while (!kept.empty() && kept.back() == ' ') {
                        kept.remove_suffix(1);
                    }
                    require(t.starts_with(text::gb18030_to_utf8(kept)),
                            "a text stored again keeps its beginning");
                }
            }
        });
        require(live <= table.record_count(), "live records within the count");
    } catch (const store::DbaseError&) {
        return; // not a table: said so, nothing else
    }
    // For writing: repaired, one record more, packed.
    try {
        auto table = store::DbaseTable::open(file);
        table.append(std::span<const store::DbaseValue>());
        table.pack();
        require(table.record_count() == live + 1, "pack keeps the live records");
        table.close();
        auto again = store::DbaseTable::open(file, store::DbaseTable::Access::read_only);
        require(!again.was_repaired(), "a packed table needs no repair");
        require(again.record_count() == live + 1, "the packed table reads back");
    } catch (const store::DbaseError&) {
        // A table that can be read may still be refused for writing (too many records).
    }
    std::error_code ec;
    std::filesystem::remove(file, ec);
}

void input_decoding(std::string_view bytes) {
    const std::string decoded = text::decode_input(bytes);
    require(text::is_valid_utf8(decoded), "decode_input gives valid UTF-8");
    require(text::is_valid_utf8(text::decode_xml(bytes)), "decode_xml gives valid UTF-8");
    require(text::is_valid_utf8(text::gb18030_to_utf8(bytes)), "GB18030 decoding gives UTF-8");
    if (text::detect_encoding(bytes) == text::Encoding::utf8) {
        require(decoded == bytes, "UTF-8 without a mark is taken as it is");
    }
    const std::string stored = text::utf8_to_gb18030(decoded);
    require(text::gb18030_to_utf8(stored) == decoded, "the GB18030 round trip");
    require(text::gb18030_width(decoded) == stored.size(), "the GB18030 width");
    for (const std::size_t width : {0u, 1u, 2u, 3u, 50u, 254u}) {
        const std::string cut = text::truncate_to_width(decoded, width);
        require(text::gb18030_width(cut) <= width, "a cut fits");
        require(decoded.starts_with(cut), "a cut is a beginning");
        require(text::is_valid_utf8(cut), "a cut never splits a character");
        if (cut.size() < decoded.size()) {
            std::size_t next = cut.size();
            text::next_code_point(decoded, next);
            require(text::gb18030_width(std::string_view(decoded).substr(0, next)) > width,
                    "a cut takes all that fits");
        }
    }
    const std::string_view first = std::string_view(decoded).substr(0, decoded.size() / 2);
    const std::string_view second = std::string_view(decoded).substr(decoded.size() / 2);
    require(text::compare_text(decoded, decoded) == 0, "a text equals itself");
    const int ab = text::compare_text(first, second);
    const int ba = text::compare_text(second, first);
    require((ab < 0) == (ba > 0) && (ab == 0) == (ba == 0), "the order is antisymmetric");
}

const std::vector<Target>& targets() {
    static const std::vector<Target> all{{"txt_extractor", &txt_extractor},
                                         {"xml_extractor", &xml_extractor},
                                         {"dbase_reader", &dbase_reader},
                                         {"input_decoding", &input_decoding}};
    return all;
}

} // namespace lumacite::fuzz
