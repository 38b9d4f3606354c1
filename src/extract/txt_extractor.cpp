#include "extract/txt_extractor.h"

#include "text/text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace lumacite::extract {
namespace {

constexpr std::string_view key_first_author = "第一作者";
constexpr std::string_view key_citation = "<引文>";
constexpr std::string_view key_cited_author = "<引文作者>";
constexpr std::string_view key_cited_year = "<引文年代>";
constexpr std::string_view key_cited_journal = "<引文期刊>";
constexpr std::string_view key_major_with = "主要主题词＋副主题词";
constexpr std::string_view key_major_without = "主要主题词－副主题词";
constexpr std::string_view key_minor_with = "次要主题词＋副主题词";
constexpr std::string_view key_minor_without = "次要主题词－副主题词";
constexpr std::string_view key_all_with = "全部主题词＋副主题词";
constexpr std::string_view key_all_without = "全部主题词－副主题词";

// True when the line begins with the tag; an empty tag begins no line.
bool has_tag(std::string_view line, std::string_view tag) {
    // Every line meets every tag: most differ in the first byte, looked at before the rest.
    return !tag.empty() && line.size() >= tag.size() && line[0] == tag[0] &&
           std::memcmp(line.data() + 1, tag.data() + 1, tag.size() - 1) == 0;
}

// True when the first `width` bytes of the line (or the whole, shorter line) are blanks.
bool blank_prefix(std::string_view line, std::size_t width) {
    const std::size_t n = std::min(width, line.size());
    for (std::size_t k = 0; k < n; ++k) {
        if (static_cast<unsigned char>(line[k]) > 0x20) {
            return false;
        }
    }
    return true;
}

std::string_view after_tag(std::string_view line, std::string_view tag) {
    return text::trim_view(line.substr(tag.size()));
}

std::string without_marks(std::string_view s) {
    return s.find('*') == std::string_view::npos ? std::string(s) : text::replace_each(s, "*", "");
}

// The apostrophe substitution, skipped for the many texts without an apostrophe.
std::string primes(std::string_view s) {
    return s.find('\'') == std::string_view::npos ? std::string(s)
                                                  : text::substitute_apostrophes(s);
}

bool is_year(std::string_view s) {
    return text::gb18030_width(s) == 4 && !s.empty() && s[0] >= '0' && s[0] <= '9';
}

// Exactly four ASCII digits.
bool is_four_digit_year(std::string_view s) {
    return s.size() == 4 &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Digits followed by ".": the number in front of a reference of a numbered list.
std::size_t reference_number_length(std::string_view line) {
    std::size_t k = 0;
    while (k < line.size() && line[k] >= '0' && line[k] <= '9') {
        ++k;
    }
    return k > 0 && k < line.size() && line[k] == '.' ? k + 1 : 0;
}

bool starts_with_reference_number(std::string_view line) {
    return reference_number_length(line) > 0;
}

// The volume and issue at the end of a journal reference: ASCII only, with a digit
// ("29(2)", "(1)", "12").
bool is_volume_issue(std::string_view s) {
    bool digit = false;
    for (const char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
        digit = digit || (c >= '0' && c <= '9');
    }
    return digit;
}

} // namespace

std::vector<std::string_view> split_lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    const std::size_t n = text.size();
    for (std::size_t k = 0; k < n; ++k) {
        const char c = text[k];
        if (c == '\n' || c == '\r') {
            lines.push_back(text.substr(start, k - start));
            if (c == '\r' && k + 1 < n && text[k + 1] == '\n') {
                ++k;
            }
            start = k + 1;
        }
    }
    if (start < n) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

// The lines of one file with the article each line belongs to.
struct TxtExtractor::FileView {
    std::vector<std::string_view> lines;
    std::vector<std::int32_t> article; // index into numbers; -1 before the first article
    std::vector<std::string> numbers;
};

TxtExtractor::TxtExtractor(const ExtractionFormat& format) {
    article_tag_ = format.article_node ? format.article_node->jiedian[0] : std::string("*");
    record_numbering_ = format.article_number && format.article_number->jiedian[0] != "*";
    for (const auto& def : format.walked) {
        Walked w;
        w.guanjianzi = def.guanjianzi;
        w.tag = def.jiedian[0];
        // "TAG|||s,l": the tag before the bars, each value cut. Without two whole numbers
        // after the bars the text stays the tag as written.
        if (const auto form = substring_form(w.tag); form && form->numbers_valid) {
            w.tag = form->name;
            w.cut = true;
            w.cut_start = form->start;
            w.cut_length = form->length;
        }
        w.blank_width = text::gb18030_width(w.tag);
        w.fenge = def.fenge_text();
        w.is_author = def.guanjianzi == "作者";
        const std::string method = text::trim(def.pailie_text());
        if (def.guanjianzi == key_citation) {
            w.rule = w.fenge == "." ? Rule::numbered_citation : Rule::citation;
        } else if (def.guanjianzi == "<主题词>" && method == "5") {
            w.rule = Rule::headings;
        } else if (method == "1") {
            w.rule = Rule::separated;
        } else if (method == "2") {
            w.rule = Rule::per_line;
        } else {
            w.rule = Rule::single;
        }
        definitions_.push_back(std::move(w));
    }
}

FileOutcome TxtExtractor::extract_file(const std::filesystem::path& file, ValueSink& sink,
                                       Progress& progress) {
    InputFile input;
    return extract_file(input, file, sink, progress);
}

FileOutcome TxtExtractor::extract_file(InputFile& input, const std::filesystem::path& file,
                                       ValueSink& sink, Progress& progress) {
    const InputFile::Status status = input.read(file);
    if (status != InputFile::Status::read) {
        return {FileOutcome::Kind::stopped, input_failure_message(status, file)};
    }
    const std::string text = text::decode_input(input.bytes());
    if (!input.intact()) {
        return {FileOutcome::Kind::stopped,
                input_failure_message(InputFile::Status::unreadable, file)};
    }
    FileOutcome done;
    done.articles = extract_text(text, sink, progress);
    return done;
}

bool TxtExtractor::starts_field_elsewhere(const FileView& file, std::size_t j) const {
    const std::string_view line = file.lines[j];
    if (has_tag(line, article_tag_)) {
        return true;
    }
    for (const auto& d : definitions_) {
        if (has_tag(line, d.tag)) {
            return true;
        }
    }
    return false;
}

// Joins the text of a field that starts at line i: following tag lines of the same tag
// and continuation lines, each with one blank. A field whose text is still empty takes
// the next line whole, unless that line begins a field or an article of its own.
// Returns the first line not taken in.
std::size_t TxtExtractor::join_field(const Walked& d, const FileView& file, std::size_t i,
                                     std::string& out) const {
    out.assign(after_tag(file.lines[i], d.tag));
    std::size_t j = i + 1;
    const std::size_t n = file.lines.size();
    for (; j < n; ++j) {
        const std::string_view line = file.lines[j];
        if (has_tag(line, d.tag)) {
            out += ' ';
            out += after_tag(line, d.tag);
        } else if (blank_prefix(line, d.blank_width)) {
            out += ' ';
            out += text::trim_view(line);
        } else {
            if (text::trim_view(out).empty() && !starts_field_elsewhere(file, j)) {
                out.assign(text::trim_view(line));
                ++j;
            }
            break;
        }
    }
    return j;
}

std::size_t TxtExtractor::read_field(const Walked& d, const FileView& file, std::size_t i,
                                     std::string_view wenzhangha, bool first_author,
                                     ValueSink& sink) const {
    const std::size_t n = file.lines.size();
    // Writes one value of the definition (and the first author when asked), cut when the
    // tag asks for it.
    auto write = [&](std::string_view key, std::string_view value) {
        if (d.cut) {
            sink.write(wenzhangha, key,
                       text::trim_view(substring(value, d.cut_start, d.cut_length)));
        } else {
            sink.write(wenzhangha, key, value);
        }
    };
    switch (d.rule) {
    case Rule::separated: {
        if (d.fenge.empty()) {
            return i + 1;
        }
        std::string joined;
        const std::size_t end = join_field(d, file, i, joined);
        std::string t = primes(joined);
        t += d.fenge;
        if (first_author) {
            write(key_first_author,
                  text::trim_view(std::string_view(t).substr(0, t.find(d.fenge))));
        }
        std::size_t start = 0;
        for (std::size_t pos = t.find(d.fenge); pos != std::string::npos;
             pos = t.find(d.fenge, start)) {
            write(d.guanjianzi, text::trim_view(std::string_view(t).substr(start, pos - start)));
            start = pos + d.fenge.size();
        }
        return end;
    }
    case Rule::per_line: {
        std::string v = primes(after_tag(file.lines[i], d.tag));
        if (first_author) {
            write(key_first_author, v);
        }
        write(d.guanjianzi, v);
        std::size_t j = i + 1;
        for (; j < n; ++j) {
            const std::string_view line = file.lines[j];
            if (has_tag(line, d.tag)) {
                v = primes(after_tag(line, d.tag));
            } else if (blank_prefix(line, d.blank_width)) {
                v = primes(text::trim_view(line));
            } else {
                break;
            }
            write(d.guanjianzi, v);
        }
        return j;
    }
    case Rule::single: {
        std::string joined;
        const std::size_t end = join_field(d, file, i, joined);
        const std::string t = text::trim(primes(joined));
        if (first_author) {
            write(key_first_author, t);
        }
        write(d.guanjianzi, t);
        return end;
    }
    case Rule::citation: {
        std::size_t j = i;
        while (j < n) {
            const std::string_view line = file.lines[j];
            const bool tagged = has_tag(line, d.tag);
            if (!tagged && !blank_prefix(line, d.blank_width)) {
                break;
            }
            std::string r = primes(tagged ? after_tag(line, d.tag) : text::trim_view(line));
            ++j;
            const std::size_t doi = r.find(", DOI");
            if (doi != std::string::npos && doi > 0) {
                // A DOI continued on the next line belongs to this reference.
                if (text::trim_view(std::string_view(r).substr(doi + 5)).empty() && j < n &&
                    !has_tag(file.lines[j], d.tag) && blank_prefix(file.lines[j], d.blank_width)) {
                    ++j;
                }
                r.resize(doi);
            }
            write_citation(r, wenzhangha, sink);
        }
        return j;
    }
    case Rule::numbered_citation: {
        // One reference per line: the tag line's own text, then the lines that begin with a
        // reference number or with blanks, until a line of another kind.
        std::size_t j = i;
        for (; j < n; ++j) {
            const std::string_view line = file.lines[j];
            std::string_view r;
            if (has_tag(line, d.tag)) {
                r = after_tag(line, d.tag);
            } else if (blank_prefix(line, d.blank_width) ||
                       (starts_with_reference_number(line) && !starts_field_elsewhere(file, j))) {
                r = text::trim_view(line);
            } else {
                break;
            }
            write_numbered_citation(primes(r), wenzhangha, sink);
        }
        return j;
    }
    case Rule::headings: {
        std::string h(after_tag(file.lines[i], d.tag));
        std::size_t j = i + 1;
        for (; j < n && blank_prefix(file.lines[j], d.blank_width); ++j) {
            h += ' ';
            h += text::trim_view(file.lines[j]);
        }
        write_headings(primes(h), wenzhangha, sink);
        return j;
    }
    }
    return i + 1;
}

void TxtExtractor::write_citation(std::string_view reference, std::string_view wenzhangha,
                                  ValueSink& sink) {
    std::string_view r = text::trim_view(reference);
    if (!r.empty() && r.back() == ',') {
        r.remove_suffix(1);
    }
    r = text::trim_view(r);
    sink.write(wenzhangha, key_citation, r);

    std::string_view a;
    if (const std::size_t comma = r.find(','); comma != std::string_view::npos) {
        a = text::trim_view(r.substr(0, comma));
        r = text::trim_view(r.substr(comma + 1));
    }
    // A journal with its volume only: "J CLIN ONCOL, V12".
    if (r.find(',') == std::string_view::npos && !r.empty() && r[0] == 'V') {
        const std::string_view rest = text::trim_view(r.substr(1));
        if (!rest.empty() && rest[0] >= '0' && rest[0] <= '9') {
            sink.write(wenzhangha, key_cited_journal, a);
            return;
        }
    }
    if (is_year(a)) {
        sink.write(wenzhangha, key_cited_author, "Anonymous");
    } else {
        if (!a.empty()) {
            sink.write(wenzhangha, key_cited_author, a);
        }
        const std::size_t comma = r.find(',');
        if (comma != std::string_view::npos && comma > 0) {
            a = text::trim_view(r.substr(0, comma));
            r = text::trim_view(r.substr(comma + 1));
        } else {
            a = r;
            r = {};
        }
    }
    if (is_year(a)) {
        sink.write(wenzhangha, key_cited_year, a);
    } else {
        r = a;
    }
    const std::size_t comma = r.find(',');
    const std::string_view journal =
        text::trim_view(comma != std::string_view::npos ? r.substr(0, comma) : r);
    if (!journal.empty()) {
        sink.write(wenzhangha, key_cited_journal, journal);
    }
}

void TxtExtractor::write_numbered_citation(std::string_view reference, std::string_view wenzhangha,
                                           ValueSink& sink) {
    std::string_view r = text::trim_view(reference);
    r = text::trim_view(r.substr(reference_number_length(r)));
    if (r.find_first_not_of(". ") == std::string_view::npos) {
        return; // nothing but the number and dots
    }
    sink.write(wenzhangha, key_citation, r);

    std::vector<std::string_view> pieces;
    for (std::size_t start = 0;;) {
        const std::size_t dot = r.find('.', start);
        pieces.push_back(text::trim_view(r.substr(start, dot - start)));
        if (dot == std::string_view::npos) {
            break;
        }
        start = dot + 1;
    }
    const std::size_t n = pieces.size();
    // The author stands before the first dot; a reference without a dot has none.
    if (n >= 2 && !pieces[0].empty()) {
        sink.write(wenzhangha, key_cited_author, pieces[0]);
    }
    // A journal article ends in journal.year.volume(issue).
    if (n >= 4 && is_four_digit_year(pieces[n - 2]) && is_volume_issue(pieces[n - 1])) {
        sink.write(wenzhangha, key_cited_year, pieces[n - 2]);
        if (!pieces[n - 3].empty()) {
            sink.write(wenzhangha, key_cited_journal, pieces[n - 3]);
        }
        return;
    }
    // Books, theses and reports end in ".year" or ",year".
    const std::string_view last = pieces[n - 1];
    const std::size_t comma = last.rfind(',');
    const std::string_view year =
        comma == std::string_view::npos ? last : text::trim_view(last.substr(comma + 1));
    if (is_four_digit_year(year)) {
        sink.write(wenzhangha, key_cited_year, year);
    }
}

void TxtExtractor::write_headings(std::string_view heading, std::string_view wenzhangha,
                                  ValueSink& sink) {
    const std::string h(heading);
    std::size_t slashes = 0;
    for (const char c : h) {
        slashes += c == '/';
    }
    const bool marked = h.find('*') != std::string::npos;
    const std::string plain = without_marks(h);
    if (slashes == 0) {
        if (marked) {
            sink.write(wenzhangha, key_major_with, plain);
            sink.write(wenzhangha, key_major_without, plain);
        } else {
            sink.write(wenzhangha, key_minor_with, h);
            sink.write(wenzhangha, key_minor_without, h);
        }
        sink.write(wenzhangha, key_all_with, plain);
        sink.write(wenzhangha, key_all_without, plain);
        return;
    }
    const std::size_t first = h.find('/');
    const std::string main_heading = without_marks(std::string_view(h).substr(0, first));
    if (slashes == 1) {
        sink.write(wenzhangha, marked ? key_major_with : key_minor_with, plain);
        sink.write(wenzhangha, marked ? key_major_without : key_minor_without, main_heading);
        sink.write(wenzhangha, key_all_with, plain);
        sink.write(wenzhangha, key_all_without, main_heading);
        return;
    }
    sink.write(wenzhangha, key_all_without, main_heading);
    const std::string_view head = std::string_view(h).substr(0, first);
    std::string_view rest = std::string_view(h).substr(first + 1);
    bool major_written = false;
    bool minor_written = false;
    while (!text::trim_view(rest).empty()) {
        const std::size_t next = rest.find('/');
        const std::string_view sub = rest.substr(0, next);
        rest = next == std::string_view::npos ? std::string_view() : rest.substr(next + 1);
        std::string combination(head);
        combination += '/';
        combination += sub;
        const bool major = combination.find('*') != std::string::npos;
        const std::string value = without_marks(combination);
        sink.write(wenzhangha, major ? key_major_with : key_minor_with, value);
        sink.write(wenzhangha, key_all_with, value);
        if (major && !major_written) {
            sink.write(wenzhangha, key_major_without, main_heading);
            major_written = true;
        } else if (!major && !minor_written) {
            sink.write(wenzhangha, key_minor_without, main_heading);
            minor_written = true;
        }
    }
}

long long TxtExtractor::extract_text(std::string_view text, ValueSink& sink, Progress& progress) {
    if (definitions_.empty()) {
        return 0;
    }
    FileView file;
    file.lines = split_lines(text);
    const std::size_t n = file.lines.size();
    file.article.resize(n);
    long long counter = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (has_tag(file.lines[i], article_tag_)) {
            ++counter;
            file.numbers.push_back(record_numbering_
                                       ? text::trim(file.lines[i].substr(article_tag_.size()))
                                       : automatic_article_number(counter));
        }
        file.article[i] = static_cast<std::int32_t>(file.numbers.size()) - 1;
    }

    const long long steps = static_cast<long long>(n) * static_cast<long long>(definitions_.size());
    progress.set_maximum(steps);
    long long position = 1;
    // Lines before the first article of the file keep the number left from before: from
    // the previous file in the first pass, from the end of this file in later passes.
    const std::string incoming = article_number_;
    for (std::size_t pass = 0; pass < definitions_.size(); ++pass) {
        const Walked& d = definitions_[pass];
        const std::string& before =
            pass == 0 || file.numbers.empty() ? incoming : file.numbers.back();
        if (d.tag.empty()) {
            // A definition without a tag marks no line: it reads nothing.
            position += static_cast<long long>(n);
            progress.set_position(position - 1);
            progress.pump();
            continue;
        }
        std::size_t next_free = 0;
        // The article whose first author has been written: an article whose authors
        // stand on separate lines (one field each) still has one first author.
        std::int64_t first_author_article = -2;
        for (std::size_t i = 0; i < n; ++i) {
            // A line already taken into a field does not start another one.
            if (i >= next_free && has_tag(file.lines[i], d.tag)) {
                const std::int32_t a = file.article[i];
                const bool first_author = d.is_author && a != first_author_article;
                if (first_author) {
                    first_author_article = a;
                }
                next_free =
                    read_field(d, file, i, a < 0 ? before : file.numbers[a], first_author, sink);
            }
            progress.set_position(position++);
            progress.pump();
        }
    }
    if (!file.numbers.empty()) {
        article_number_ = file.numbers.back();
    }
    return static_cast<long long>(file.numbers.size());
}

} // namespace lumacite::extract
