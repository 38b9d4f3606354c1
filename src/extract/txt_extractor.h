// The tagged-text extractor: reads export files in which every field begins on a line
// with a tag and may continue on lines that begin with blanks, and each record begins
// with the line of a known tag (the article-node tag). Cuts each field into values by
// the keyword definition's value method, with the rules of their own for cited
// references ("<引文>") and subject headings ("<主题词>" with method "5"). A tag written
// "TAG|||s,l" cuts the values of methods 1 to 4 to l characters from position s.
#pragma once

#include "extract/extractor.h"
#include "extract/input_file.h"
#include "extract/value_sink.h"
#include "progress.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumacite::extract {

// Splits text into lines at CR LF, LF or a lone CR. A line break at the very end does
// not start another line; empty text has no lines. The views point into `text`.
std::vector<std::string_view> split_lines(std::string_view text);

class TxtExtractor {
public:
    // Takes the article-node tag ("*" when the format has no "<文章节点>"), the
    // numbering mode (automatic without "<文章号>" or when its node 1 is "*", else the
    // number is read from the article-node line) and the walked definitions.
    explicit TxtExtractor(const ExtractionFormat& format);

    // False when the format has no walked definitions: the run then reads nothing.
    bool has_definitions() const { return !definitions_.empty(); }

    // Reads one file (UTF-8 with or without BOM, UTF-16 with BOM, otherwise GB18030;
    // gzip-compressed or not) and extracts it. A file that cannot be read, or whose
    // compressed data is damaged, gives `stopped` with the message of
    // input_failure_message and nothing written.
    FileOutcome extract_file(const std::filesystem::path& file, ValueSink& sink,
                             Progress& progress);
    // The same, read into `input` (its buffer serves the files of one reader in turn).
    FileOutcome extract_file(InputFile& input, const std::filesystem::path& file, ValueSink& sink,
                             Progress& progress);

    // Extracts decoded (UTF-8) text: one keyword pass per walked definition, in order;
    // within a pass the fields in line order. Sets the gauge to lines x definitions
    // steps and advances it once per line of every pass. Returns the number of articles
    // (lines that begin with the article-node tag).
    long long extract_text(std::string_view text, ValueSink& sink, Progress& progress);

    // The article number current now: it carries over from one file to the next and is
    // empty before the first article-node line of the run.
    const std::string& article_number() const { return article_number_; }
    // Sets the number current before the next file (a reader that starts in mid-run).
    void set_article_number(std::string number) { article_number_ = std::move(number); }

    // The rules for one field text, open for direct use.
    // Subject-heading rule: one heading line "Heading/*sub/sub" into the six keys.
    static void write_headings(std::string_view heading, std::string_view wenzhangha,
                               ValueSink& sink);
    // Citation rule: one cited-reference line (author, year, journal, volume, page, DOI).
    static void write_citation(std::string_view reference, std::string_view wenzhangha,
                               ValueSink& sink);
    // Citation rule of a "<引文>" definition whose separator is ".": one numbered reference
    // line "N.author.title.journal.year.volume(issue)" (books and theses end in ",year").
    // Writes the reference without its number, its author, year and journal when found.
    static void write_numbered_citation(std::string_view reference, std::string_view wenzhangha,
                                        ValueSink& sink);

private:
    enum class Rule { separated, per_line, single, citation, numbered_citation, headings };
    struct Walked {
        std::string guanjianzi;
        std::string tag;
        std::size_t blank_width = 0; // GB18030 width of the tag: the continuation prefix
        Rule rule = Rule::single;
        std::string fenge;
        bool is_author = false;
        bool cut = false; // values cut to `cut_length` characters from `cut_start`
        long long cut_start = 0;
        long long cut_length = 0;
    };
    struct FileView;

    std::size_t read_field(const Walked& d, const FileView& file, std::size_t i,
                           std::string_view wenzhangha, bool first_author, ValueSink& sink) const;
    std::size_t join_field(const Walked& d, const FileView& file, std::size_t i,
                           std::string& out) const;
    bool starts_field_elsewhere(const FileView& file, std::size_t j) const;

    std::string article_tag_;
    bool record_numbering_ = false;
    std::vector<Walked> definitions_;
    std::string article_number_;
};

} // namespace lumacite::extract
