#include "extract/xml_extractor.h"

#include "extract/input_file.h"
#include "extract/read_ahead.h"
#include "extract/xml_check.h"

#include "messages.h"
#include "text/text.h"

#include <pugixml.hpp>

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace lumacite::extract {
namespace {

// Whitespace-only text is kept: in mixed content a blank may stand alone between two
// inline markup elements. Elsewhere it is only layout and never counts as a child.
constexpr unsigned parse_options = pugi::parse_default | pugi::parse_ws_pcdata;

// Element names of inline markup in bibliographic text (PubMed titles, abstracts and
// keywords): an element whose children are only these reads as text, not as a record
// element that holds further elements.
constexpr std::array<const char*, 8> inline_markup = {"i",   "b",  "u",      "sup",
                                                      "sub", "em", "strong", "sc"};

constexpr std::string_view major_with_sub = "主要主题词＋副主题词";
constexpr std::string_view major_without_sub = "主要主题词－副主题词";
constexpr std::string_view minor_with_sub = "次要主题词＋副主题词";
constexpr std::string_view minor_without_sub = "次要主题词－副主题词";

// A definition that cannot be applied to the file; ends the file and the run.
struct DefinitionError {
    enum class Kind { element_content, substring_numbers };
    Kind kind;
};

bool is_text_node(const pugi::xml_node& n) {
    const auto t = n.type();
    return t == pugi::node_pcdata || t == pugi::node_cdata;
}

bool is_space_byte(char c) {
    return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}

// Text of blanks, tabs and line breaks only: the layout between elements.
bool is_layout(const pugi::xml_node& n) {
    if (n.type() != pugi::node_pcdata) {
        return false;
    }
    for (const char* s = n.value(); *s != 0; ++s) {
        if (!is_space_byte(*s)) {
            return false;
        }
    }
    return true;
}

// The child nodes of an element that count as its kids: all but layout text.
pugi::xml_node skip_layout(pugi::xml_node n) {
    while (n && is_layout(n)) {
        n = n.next_sibling();
    }
    return n;
}
pugi::xml_node first_kid(const pugi::xml_node& e) {
    return skip_layout(e.first_child());
}
pugi::xml_node next_kid(const pugi::xml_node& c) {
    return skip_layout(c.next_sibling());
}

// n(E): the number of child nodes of E.
long long kid_count(const pugi::xml_node& e) {
    long long n = 0;
    for (pugi::xml_node c = first_kid(e); c; c = next_kid(c)) {
        ++n;
    }
    return n;
}

// n(E) > 1.
bool more_than_one_kid(const pugi::xml_node& e) {
    const pugi::xml_node first = first_kid(e);
    return first && next_kid(first);
}

bool named(const pugi::xml_node& n, const std::string& name) {
    return n.type() == pugi::node_element && name == n.name();
}

// child(E, name): the first child element with that name; an empty node when there is
// none, which reads as an element without children and attributes.
pugi::xml_node child(const pugi::xml_node& e, const std::string& name) {
    return e.child(name.c_str());
}

// attr(E, A) = V; a missing attribute equals no value, not even an empty one.
bool attribute_equals(const pugi::xml_node& e, const std::string& a, const std::string& v) {
    const pugi::xml_attribute at = e.attribute(a.c_str());
    return at && v == at.value();
}

bool is_inline_markup(const pugi::xml_node& e) {
    for (const char* name : inline_markup) {
        if (std::string_view(e.name()) == name) {
            return true;
        }
    }
    return false;
}

// Appends every text below `e` in document order (without recursion: markup may nest
// deeply). Layout text counts only between other texts, as the blank in
// "<i>a</i> <i>b</i>"; before the first and after the last it is left out.
void append_all_text(const pugi::xml_node& e, std::string& out) {
    const std::size_t start = out.size();
    std::size_t end = start; // just after the last text that is not layout
    pugi::xml_node n = e.first_child();
    while (n && n != e) {
        if (is_text_node(n)) {
            if (!is_layout(n)) {
                out += n.value();
                end = out.size();
            } else if (end != start) {
                out += n.value();
            }
        }
        if (n.type() == pugi::node_element && n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n != e && !n.next_sibling()) {
            n = n.parent();
        }
        if (n != e) {
            n = n.next_sibling();
        }
    }
    out.resize(end);
}

// text(E): "" without children; the text of an only text child; the whole text of
// mixed content (text with inline markup). An element that holds record elements has
// no text of its own: an error of the definition.
std::string text(const pugi::xml_node& e) {
    pugi::xml_node only;
    int count = 0;
    bool has_text = false;
    bool all_inline = true;
    for (pugi::xml_node c = first_kid(e); c; c = next_kid(c)) {
        ++count;
        only = c;
        if (is_text_node(c)) {
            has_text = true;
        } else if (c.type() == pugi::node_element && !is_inline_markup(c)) {
            all_inline = false;
        }
    }
    if (count == 0) {
        return {};
    }
    if (count == 1 && is_text_node(only)) {
        return only.value();
    }
    if (!has_text && !all_inline) {
        throw DefinitionError{DefinitionError::Kind::element_content};
    }
    std::string out;
    append_all_text(e, out);
    return out;
}

// The special forms a node text may take.
struct Filter {
    std::string name, attribute, value; // N@@@A===V
};
struct Pair {
    std::string first, second; // N\\\M
};

std::optional<Filter> as_filter(const std::string& j) {
    const auto at = j.find("@@@");
    if (at == std::string::npos) {
        return std::nullopt;
    }
    Filter f;
    f.name = j.substr(0, at);
    const std::string rest = j.substr(at + 3);
    const auto eq = rest.find("===");
    if (eq == std::string::npos) {
        f.attribute = rest;
    } else {
        f.attribute = rest.substr(0, eq);
        f.value = rest.substr(eq + 3);
    }
    return f;
}

std::optional<Pair> as_pair(const std::string& j) {
    const auto sep = j.find("\\\\\\");
    if (sep == std::string::npos) {
        return std::nullopt;
    }
    return Pair{j.substr(0, sep), j.substr(sep + 3)};
}

std::optional<SubstringForm> as_substring(const std::string& j) {
    auto form = substring_form(j);
    if (form && !form->numbers_valid) {
        throw DefinitionError{DefinitionError::Kind::substring_numbers};
    }
    return form;
}

// Collects results "text;text;..." in document order.
struct Joined {
    std::string out;
    void add(const std::string& t) {
        out += t;
        out += ';';
    }
};

// The node walker: follows the node texts of a definition down from an article and
// returns the keyword's text, several results joined by ";".
std::string walk(const pugi::xml_node& article, const std::array<std::string, 6>& j_in) {
    int depth = 0;
    while (depth < 6 && !text::trim_view(j_in[static_cast<std::size_t>(depth)]).empty()) {
        ++depth;
    }
    if (depth == 0) {
        return {};
    }
    // j[1] .. j[depth], 1-based as the levels are counted.
    std::array<std::string, 7> j;
    for (int k = 1; k <= depth; ++k) {
        j[static_cast<std::size_t>(k)] = j_in[static_cast<std::size_t>(k - 1)];
    }
    std::array<pugi::xml_node, 7> p;
    p[0] = article;

    // Level 1: a filter here excludes the article.
    if (const auto f = as_filter(j[1])) {
        if (attribute_equals(child(p[0], f->name), f->attribute, f->value)) {
            return {};
        }
        j[1] = f->name;
    }
    if (depth == 1) {
        if (const auto pr = as_pair(j[1])) {
            return text(child(p[0], pr->first)) + " " + text(child(p[0], pr->second));
        }
        if (const auto s = as_substring(j[1])) {
            return substring(text(child(p[0], s->name)), s->start, s->length);
        }
        return text(child(p[0], j[1]));
    }
    p[1] = child(p[0], j[1]);

    for (int k = 2;; ++k) {
        const auto K = static_cast<std::size_t>(k);
        const bool last = k == depth;
        if (const auto f = as_filter(j[K])) {
            Joined joined;
            if (last) {
                if (more_than_one_kid(p[K - 1])) {
                    for (pugi::xml_node c = first_kid(p[K - 1]); c; c = next_kid(c)) {
                        if (named(c, f->name) && attribute_equals(c, f->attribute, f->value)) {
                            joined.add(text(c));
                        }
                    }
                    return joined.out;
                }
                if (k >= 3 && more_than_one_kid(p[K - 2])) {
                    for (pugi::xml_node c = first_kid(p[K - 2]); c; c = next_kid(c)) {
                        if (named(c, j[K - 1])) {
                            const pugi::xml_node n = child(c, f->name);
                            if (attribute_equals(n, f->attribute, f->value)) {
                                joined.add(text(n));
                            }
                        }
                    }
                    return joined.out;
                }
                const pugi::xml_node n = child(p[K - 1], f->name);
                return attribute_equals(n, f->attribute, f->value) ? text(n) : std::string();
            }
            // A filter followed by a further node text X; texts after X are ignored.
            const std::string& x = j[K + 1];
            if (k == 2 && more_than_one_kid(p[1])) {
                for (pugi::xml_node c = first_kid(p[1]); c; c = next_kid(c)) {
                    if (named(c, f->name) && attribute_equals(c, f->attribute, f->value)) {
                        joined.add(text(child(c, x)));
                    }
                }
                return joined.out;
            }
            if (k >= 3 && more_than_one_kid(p[K - 2])) {
                for (pugi::xml_node c = first_kid(p[K - 2]); c; c = next_kid(c)) {
                    const pugi::xml_node n = child(c, f->name);
                    if (attribute_equals(n, f->attribute, f->value)) {
                        joined.add(text(child(n, x)));
                    }
                }
                return joined.out;
            }
            const pugi::xml_node n = child(p[K - 1], f->name);
            return attribute_equals(n, f->attribute, f->value) ? text(child(n, x)) : std::string();
        }
        if (!last) {
            p[K] = child(p[K - 1], j[K]);
            continue;
        }
        // The last level: pair, substring or plain name.
        if (const auto pr = as_pair(j[K])) {
            if (k >= 3 && more_than_one_kid(p[K - 2])) {
                Joined joined;
                for (pugi::xml_node c = first_kid(p[K - 2]); c; c = next_kid(c)) {
                    if (named(c, j[K - 1])) {
                        joined.add(text(child(c, pr->first)) + " " + text(child(c, pr->second)));
                    }
                }
                return joined.out;
            }
            return text(child(p[K - 1], pr->first)) + " " + text(child(p[K - 1], pr->second));
        }
        if (const auto s = as_substring(j[K])) {
            return substring(text(child(p[K - 1], s->name)), s->start, s->length);
        }
        if (more_than_one_kid(p[K - 1])) {
            Joined joined;
            for (pugi::xml_node c = first_kid(p[K - 1]); c; c = next_kid(c)) {
                if (named(c, j[K])) {
                    joined.add(text(c));
                }
            }
            return joined.out;
        }
        if (k >= 3 && more_than_one_kid(p[K - 2])) {
            Joined joined;
            for (pugi::xml_node c = first_kid(p[K - 2]); c; c = next_kid(c)) {
                if (named(c, j[K - 1])) {
                    joined.add(text(child(c, j[K])));
                }
            }
            return joined.out;
        }
        return text(child(p[K - 1], j[K]));
    }
}

// Writes the subject headings of one article of the format "PubMed": the descriptors and
// qualifiers of each heading element, major or minor by the topic attribute.
void write_headings(const pugi::xml_node& article, const store::Definition& d,
                    const std::string& wenzhangha, ValueSink& sink) {
    const auto& j = d.jiedian;
    const pugi::xml_node list = child(child(article, j[0]), j[1]);
    auto put = [&](std::string_view key, const std::string& value) {
        sink.write(wenzhangha, key, text::trim(text::substitute_apostrophes(value)));
    };
    std::vector<std::string> major_d, minor_d, major_q, minor_q;
    for (pugi::xml_node h = first_kid(list); h; h = next_kid(h)) {
        if (!named(h, j[2])) {
            continue;
        }
        major_d.clear();
        minor_d.clear();
        major_q.clear();
        minor_q.clear();
        for (pugi::xml_node e = first_kid(h); e; e = next_kid(e)) {
            const bool descriptor = named(e, j[3]);
            if (!descriptor && !named(e, j[4])) {
                continue;
            }
            std::string t = text(e);
            if (text::trim_view(t).empty()) {
                continue; // an empty descriptor or qualifier counts as none
            }
            const bool major = attribute_equals(e, j[5], "Y");
            auto& to = descriptor ? (major ? major_d : minor_d) : (major ? major_q : minor_q);
            to.push_back(std::move(t));
        }
        const bool no_qualifiers = major_q.empty() && minor_q.empty();
        for (const auto& dn : major_d) {
            put(major_without_sub, dn);
            if (no_qualifiers) {
                put(major_with_sub, dn);
            }
            for (const auto& q : major_q) {
                put(major_with_sub, dn + " / " + q);
            }
            for (const auto& q : minor_q) {
                put(major_with_sub, dn + " / " + q);
            }
        }
        for (const auto& dn : minor_d) {
            if (!minor_q.empty() || no_qualifiers) {
                put(minor_without_sub, dn);
            }
            if (no_qualifiers) {
                put(minor_with_sub, dn);
                continue;
            }
            if (!major_q.empty()) {
                put(major_without_sub, dn);
                for (const auto& q : major_q) {
                    put(major_with_sub, dn + " / " + q);
                }
            }
            for (const auto& q : minor_q) {
                put(minor_with_sub, dn + " / " + q);
            }
        }
    }
}

// Cuts a walked text into values at ";" and writes them under the definition's name.
void write_values(std::string t, const std::string& keyword, const std::string& wenzhangha,
                  ValueSink& sink) {
    if (!t.empty() && t.back() != ';') {
        t += ';';
    }
    t = text::substitute_apostrophes(t);
    if (text::trim_view(t).empty()) {
        return;
    }
    const bool lower = keyword == "语种";
    std::string_view rest = t;
    if (keyword == "作者") {
        const std::string first = text::trim(rest.substr(0, rest.find(';')));
        if (!first.empty()) {
            sink.write(wenzhangha, "第一作者", first);
        }
    }
    for (auto semi = rest.find(';'); semi != std::string_view::npos; semi = rest.find(';')) {
        std::string value = text::trim(rest.substr(0, semi));
        rest.remove_prefix(semi + 1);
        if (value.empty()) {
            continue; // an empty value would be removed at the end of the run
        }
        if (lower) {
            value = text::ascii_lower(value);
        }
        sink.write(wenzhangha, keyword, value);
    }
}

std::string keyword_message(const std::string& keyword, DefinitionError::Kind kind) {
    return std::string(msg::xml_keyword_before) + keyword +
           (kind == DefinitionError::Kind::element_content ? msg::xml_element_content_after
                                                           : msg::xml_substring_numbers_after);
}

// ---- Article by article --------------------------------------------------------------
// A file is checked whole, then each child of the document element is parsed on its own:
// the parse of "<Child>…</Child>" gives the same subtree as the parse of the whole
// document, and memory stays that of one child.

// The end of the markup that begins at `p` ("<!--…-->", "<![CDATA[…]]>", "<?…?>"), or
// npos when `p` begins none of them.
std::size_t skip_markup(std::string_view s, std::size_t p) {
    auto past = [&](std::string_view close, std::size_t from) {
        const std::size_t at = s.find(close, from);
        return at == std::string_view::npos ? s.size() : at + close.size();
    };
    const std::string_view rest = s.substr(p);
    if (rest.starts_with("<!--")) {
        return past("-->", p + 4);
    }
    if (rest.starts_with("<![CDATA[")) {
        return past("]]>", p + 9);
    }
    if (rest.starts_with("<?")) {
        return past("?>", p + 2);
    }
    return std::string_view::npos;
}

std::size_t find_lt(std::string_view s, std::size_t from, std::size_t end) {
    const void* at = std::memchr(s.data() + from, '<', end - from);
    return at == nullptr ? end : static_cast<std::size_t>(static_cast<const char*>(at) - s.data());
}

// The end of the tag that begins at `p` ("<" name attributes ">"), quotes respected.
std::size_t tag_end(std::string_view s, std::size_t p) {
    char quote = 0;
    for (++p; p < s.size(); ++p) {
        const char c = s[p];
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return p + 1;
        }
    }
    return s.size();
}

// The end of the element whose start tag begins at `p`, in well-formed text.
std::size_t element_end(std::string_view s, std::size_t p) {
    long long depth = 0;
    while (p < s.size()) {
        if (const std::size_t skipped = skip_markup(s, p); skipped != std::string_view::npos) {
            p = skipped;
        } else if (s[p + 1] == '/') {
            p = tag_end(s, p);
            if (--depth == 0) {
                return p;
            }
        } else {
            p = tag_end(s, p);
            if (s[p - 2] != '/') {
                ++depth;
            } else if (depth == 0) {
                return p; // an empty-element tag at the top
            }
        }
        p = find_lt(s, p, s.size());
    }
    return s.size();
}

// The children of the document element of a checked text, one element at a time.
class ChildElements {
public:
    ChildElements(std::string_view text, const XmlOutline& outline)
        : s_(text), p_(outline.content_begin), end_(outline.content_end) {}
    // The next child element's span; false after the last.
    bool next(std::string_view& element) {
        for (;;) {
            p_ = find_lt(s_, p_, end_);
            if (p_ >= end_) {
                return false;
            }
            if (const std::size_t skipped = skip_markup(s_, p_);
                skipped != std::string_view::npos) {
                p_ = skipped;
                continue;
            }
            const std::size_t from = p_;
            p_ = element_end(s_, p_);
            element = s_.substr(from, p_ - from);
            return true;
        }
    }

private:
    std::string_view s_;
    std::size_t p_;
    std::size_t end_;
};

// The name of the element whose start tag opens `element`.
std::string_view element_name(std::string_view element) {
    std::size_t n = 1;
    while (n < element.size() && element[n] != '>' && element[n] != '/' &&
           !is_space_byte(element[n])) {
        ++n;
    }
    return element.substr(1, n - 1);
}

// A piece of a checked document that the parser refuses after all.
struct PieceRefused {};

// Parses pieces of a checked document one at a time, in a buffer kept between them.
class PieceParser {
public:
    // The element that `element` holds, parsed as the whole document would parse it.
    pugi::xml_node element(std::string_view element) {
        buffer_.assign(element);
        return parse().first_child();
    }
    // The number of kids the stretch of content `between` gives the document element.
    long long kids_between(std::string_view between) {
        buffer_.assign("<r>");
        buffer_.append(between);
        buffer_.append("</r>");
        return kid_count(parse().first_child());
    }

private:
    pugi::xml_document& parse() {
        const pugi::xml_parse_result parsed = doc_.load_buffer_inplace(
            buffer_.data(), buffer_.size(), parse_options, pugi::encoding_utf8);
        if (!parsed) {
            throw PieceRefused{}; // not expected of text the check accepted
        }
        return doc_;
    }
    std::string buffer_;
    pugi::xml_document doc_;
};

// Reads the article elements of a file, one at a time, into a sink.
class ArticleReader {
public:
    explicit ArticleReader(const ExtractionFormat& format)
        : format_(format),
          article_name_(format.article_node ? format.article_node->jiedian[0] : std::string()),
          headings_(format.geshi == "PubMed" && format.subject_headings.has_value()) {}

    // True when `element` is an article element of the format.
    bool is_article(std::string_view element) const {
        return !article_name_.empty() && element_name(element) == article_name_;
    }

    // Writes the values of `element` when it is an article (counted in `articles`);
    // automatic numbers continue from `counter`. Returns how the file must end when it
    // cannot go on: `not_xml` when the parser refuses the piece, a stop naming the keyword
    // whose definition cannot be applied.
    std::optional<FileOutcome> read(std::string_view element, ArticleCounter& counter,
                                    ValueSink& sink, long long& articles,
                                    const FileOutcome& not_xml) {
        if (!is_article(element)) {
            return std::nullopt;
        }
        const std::string* keyword = nullptr;
        try {
            const pugi::xml_node k = parser_.element(element);
            ++articles;
            if (format_.article_number) {
                keyword = &format_.article_number->guanjianzi;
                std::string t = walk(k, format_.article_number->jiedian);
                const auto semi = t.find(';');
                wenzhangha_ = semi == std::string::npos ? std::move(t) : t.substr(0, semi);
            } else {
                wenzhangha_ = automatic_article_number(++counter.value);
            }
            for (const auto& d : format_.walked) {
                keyword = &d.guanjianzi;
                write_values(walk(k, d.jiedian), d.guanjianzi, wenzhangha_, sink);
            }
            if (headings_) {
                keyword = &format_.subject_headings->guanjianzi;
                write_headings(k, *format_.subject_headings, wenzhangha_, sink);
            }
        } catch (const PieceRefused&) {
            return not_xml;
        } catch (const DefinitionError& e) {
            return FileOutcome{FileOutcome::Kind::stopped,
                               keyword_message(keyword ? *keyword : std::string(), e.kind),
                               articles};
        }
        return std::nullopt;
    }

private:
    const ExtractionFormat& format_;
    std::string article_name_;
    bool headings_;
    PieceParser parser_;
    std::string wenzhangha_;
};

// A run of children of the document element, read by whichever thread takes it.
struct Batch {
    std::vector<std::string_view> children;
    long long counter_before = 0; // the automatic number before its first article
    long long counter_after = 0;
    long long articles = 0;
    RecordedRows rows;
    std::size_t read = 0;            // children read to their end
    std::optional<FileOutcome> stop; // how the file ends at children[read]
    std::exception_ptr error;
    bool ready = false;
};

// Reads the articles of one file on several threads: the children are cut into batches
// in order, any thread reads a batch into rows kept in memory, and next() hands the
// batches back in file order, so what is written is what one thread would write. The
// thread that writes reads batches too while it waits.
class ArticlesAtOnce {
public:
    ArticlesAtOnce(const ExtractionFormat& format, int workers, ChildElements& children)
        : format_(format), children_(children), own_(format) {
        for (int i = 1; i < workers; ++i) {
            threads_.emplace_back([this] { work(); });
        }
    }
    ArticlesAtOnce(const ArticlesAtOnce&) = delete;
    ArticlesAtOnce& operator=(const ArticlesAtOnce&) = delete;
    ~ArticlesAtOnce() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (auto& t : threads_) {
            t.join();
        }
    }

    // The next batch in file order once it is read (null after the last); `counter` is
    // the automatic number before the file. Pumps `progress` while it waits.
    Batch* next(long long counter, Progress& progress) {
        std::unique_lock lock(mutex_);
        if (!started_) {
            counter_ = counter;
            started_ = true;
        }
        fill(lock);
        if (order_.empty()) {
            return nullptr;
        }
        Batch* const b = order_.front().get();
        while (!b->ready) {
            if (!todo_.empty()) {
                take_and_read(lock, own_);
                continue;
            }
            done_.wait_for(lock, std::chrono::milliseconds(40));
            lock.unlock();
            progress.pump();
            lock.lock();
        }
        if (b->error) {
            std::rethrow_exception(b->error);
        }
        return b;
    }

    // The batch next() gave is written: its memory may serve another.
    void written() {
        const std::lock_guard lock(mutex_);
        order_.pop_front();
    }

private:
    static constexpr std::size_t batch_children = 64;
    static constexpr std::size_t batches_ahead = 16;

    // Cuts more batches while fewer than batches_ahead wait to be written.
    void fill(std::unique_lock<std::mutex>& lock) {
        bool added = false;
        while (!exhausted_ && order_.size() < batches_ahead) {
            auto b = std::make_unique<Batch>();
            std::string_view element;
            long long numbered = 0; // articles of the batch that take an automatic number
            while (b->children.size() < batch_children && children_.next(element)) {
                b->children.push_back(element);
                if (!format_.article_number && own_.is_article(element)) {
                    ++numbered;
                }
            }
            if (b->children.empty()) {
                exhausted_ = true;
                break;
            }
            b->counter_before = counter_ + numbered_before_;
            numbered_before_ += numbered;
            todo_.push_back(b.get());
            order_.push_back(std::move(b));
            added = true;
        }
        if (added) {
            lock.unlock();
            wake_.notify_all();
            lock.lock();
        }
    }

    void read(Batch& b, ArticleReader& reader) {
        try {
            ArticleCounter counter{b.counter_before};
            const FileOutcome not_xml{FileOutcome::Kind::skipped, {}};
            for (; b.read < b.children.size(); ++b.read) {
                if (auto stop =
                        reader.read(b.children[b.read], counter, b.rows, b.articles, not_xml)) {
                    b.stop = std::move(stop);
                    break;
                }
            }
            b.counter_after = counter.value;
        } catch (...) {
            b.error = std::current_exception();
        }
    }

    void work() {
        ArticleReader reader(format_);
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return stopping_ || !todo_.empty(); });
            if (stopping_) {
                return;
            }
            take_and_read(lock, reader);
        }
    }

    // Reads the first batch waiting to be taken, with `lock` released meanwhile.
    void take_and_read(std::unique_lock<std::mutex>& lock, ArticleReader& reader) {
        Batch* const b = todo_.front();
        todo_.pop_front();
        lock.unlock();
        read(*b, reader);
        lock.lock();
        b->ready = true;
        done_.notify_all();
    }

    const ExtractionFormat& format_;
    ChildElements& children_; // cut under mutex_
    ArticleReader own_;       // the writing thread's reader
    std::mutex mutex_;
    std::condition_variable wake_;             // batches to read, or stopping
    std::condition_variable done_;             // a batch was read
    std::deque<std::unique_ptr<Batch>> order_; // cut and not yet written, in file order
    std::deque<Batch*> todo_;                  // cut and not yet taken
    long long counter_ = 0;
    long long numbered_before_ = 0; // automatic numbers the batches cut so far take
    bool started_ = false;
    bool exhausted_ = false;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace

// A file read, decoded and checked, with what its gauge needs, or how it ends before any
// article is read.
struct XmlExtractor::Prepared {
    std::optional<FileOutcome> ended;
    std::string decoded;  // the text, when the file had to be decoded
    std::string expanded; // the text with its internal entities expanded
    std::string_view text;
    XmlOutline outline;
    std::vector<long long> kids_between; // n(R): the kids of each stretch of text_between
    long long maximum = 0;               // the children and the text kids between them
    std::string not_xml_message;
};

namespace {

// Checks decoded (UTF-8) text: the outline of its document element and the gauge's steps,
// or the "not XML" end.
void check_text(XmlExtractor::Prepared& p) {
    const FileOutcome not_xml{FileOutcome::Kind::skipped, p.not_xml_message};
    // The parser takes much that is not XML; such a file must yield nothing.
    switch (check_xml(p.text, p.expanded, &p.outline)) {
    case XmlCheck::refused:
        p.ended = not_xml;
        return;
    case XmlCheck::expanded: {
        // The outline of the expanded text: the positions of its children.
        p.text = p.expanded;
        std::string unused;
        p.outline = XmlOutline{};
        if (check_xml(p.text, unused, &p.outline) != XmlCheck::well_formed) {
            p.ended = not_xml;
            return;
        }
        break;
    }
    case XmlCheck::well_formed:
        break;
    }
    PieceParser parser;
    p.maximum = static_cast<long long>(p.outline.elements);
    try {
        for (const auto& [from, to] : p.outline.text_between) {
            p.kids_between.push_back(parser.kids_between(p.text.substr(from, to - from)));
            p.maximum += p.kids_between.back();
        }
    } catch (const PieceRefused&) {
        p.ended = not_xml;
    }
}

// Reads the articles of a checked text.
FileOutcome extract_text(const XmlExtractor::Prepared& prepared, const ExtractionFormat& format,
                         ArticleCounter& counter, ValueSink& sink, Progress& progress,
                         int workers) {
    const std::string_view text = prepared.text;
    const XmlOutline& outline = prepared.outline;
    const std::vector<long long>& kids_between = prepared.kids_between;
    const FileOutcome not_xml{FileOutcome::Kind::skipped, prepared.not_xml_message};
    progress.set_maximum(prepared.maximum);

    long long position = 1;
    std::size_t next_between = 0;
    // Steps the gauge over the text kids before offset `at`, then over the child there.
    auto step_to = [&](std::size_t at, bool child) {
        for (; next_between < kids_between.size() && outline.text_between[next_between].first < at;
             ++next_between) {
            for (long long k = 0; k < kids_between[next_between]; ++k) {
                progress.set_position(position++);
                progress.pump();
            }
        }
        if (child) {
            progress.set_position(position++);
            progress.pump();
        }
    };
    const auto offset = [&](std::string_view element) {
        return static_cast<std::size_t>(element.data() - text.data());
    };

    ChildElements children(text, outline);
    FileOutcome done;
    if (workers <= 1) {
        ArticleReader reader(format);
        std::string_view element;
        while (children.next(element)) {
            step_to(offset(element), false);
            if (const auto stop = reader.read(element, counter, sink, done.articles, not_xml)) {
                return *stop;
            }
            step_to(offset(element), true);
        }
    } else {
        ArticlesAtOnce at_once(format, workers, children);
        while (Batch* b = at_once.next(counter.value, progress)) {
            b->rows.replay([&](std::string_view wenzhangha, std::string_view guanjianzi,
                               std::string_view zhi) { sink.write(wenzhangha, guanjianzi, zhi); });
            done.articles += b->articles;
            counter.value = b->counter_after;
            for (std::size_t i = 0; i < b->read; ++i) {
                step_to(offset(b->children[i]), true);
            }
            if (b->stop) {
                step_to(offset(b->children[b->read]), false);
                if (b->stop->kind == FileOutcome::Kind::skipped) {
                    return not_xml;
                }
                b->stop->articles = done.articles;
                return *b->stop;
            }
            at_once.written();
        }
    }
    step_to(text.size(), false);
    return done;
}

} // namespace

XmlExtractor::XmlExtractor(int workers) : workers_(workers) {}
XmlExtractor::~XmlExtractor() = default;

FileOutcome XmlExtractor::extract_file(const std::filesystem::path& file,
                                       const std::string& shown_path,
                                       const ExtractionFormat& format, ArticleCounter& counter,
                                       ValueSink& sink, Progress& progress) const {
    InputFile input;
    return extract_file(input, file, shown_path, format, counter, sink, progress);
}

FileOutcome XmlExtractor::extract_file(InputFile& input, const std::filesystem::path& file,
                                       const std::string& shown_path,
                                       const ExtractionFormat& format, ArticleCounter& counter,
                                       ValueSink& sink, Progress& progress) const {
    return extract_prepared(*prepare(input, file, shown_path), input, file, format, counter, sink,
                            progress);
}

void XmlExtractor::PreparedDelete::operator()(Prepared* p) const {
    delete p;
}

XmlExtractor::PreparedFile XmlExtractor::prepare(InputFile& input,
                                                 const std::filesystem::path& file,
                                                 const std::string& shown_path) const {
    const InputFile::Status status = input.read(file);
    if (status != InputFile::Status::read) {
        PreparedFile p(new Prepared);
        p->ended = FileOutcome{FileOutcome::Kind::stopped, input_failure_message(status, file)};
        return p;
    }
    return prepare_bytes(input.bytes(), shown_path);
}

XmlExtractor::PreparedFile XmlExtractor::prepare_bytes(std::string_view bytes,
                                                       const std::string& shown_path) const {
    PreparedFile p(new Prepared);
    p->not_xml_message = std::string(msg::xml_not_xml_before) + shown_path + msg::xml_not_xml_after;
    // Most files are UTF-8 already (some with a byte-order mark): read them where they are.
    if (text::xml_is_plain_utf8(bytes)) {
        p->text = bytes;
    } else if (bytes.starts_with("\xEF\xBB\xBF") && text::is_valid_utf8(bytes.substr(3))) {
        p->text = bytes.substr(3);
    } else {
        p->decoded = text::decode_xml(bytes);
        p->text = p->decoded;
    }
    check_text(*p);
    return p;
}

FileOutcome XmlExtractor::extract_prepared(const Prepared& prepared, const InputFile& input,
                                           const std::filesystem::path& file,
                                           const ExtractionFormat& format, ArticleCounter& counter,
                                           ValueSink& sink, Progress& progress) const {
    FileOutcome done = prepared.ended
                           ? *prepared.ended
                           : extract_text(prepared, format, counter, sink, progress, workers_);
    if (!input.intact()) {
        return {FileOutcome::Kind::stopped,
                input_failure_message(InputFile::Status::unreadable, file)};
    }
    return done;
}

FileOutcome XmlExtractor::extract_bytes(std::string_view bytes, const std::string& shown_path,
                                        const ExtractionFormat& format, ArticleCounter& counter,
                                        ValueSink& sink, Progress& progress) const {
    const auto prepared = prepare_bytes(bytes, shown_path);
    return prepared->ended ? *prepared->ended
                           : extract_text(*prepared, format, counter, sink, progress, workers_);
}

} // namespace lumacite::extract
