// What the extraction run hands to an extractor, and what an extractor hands back.
// Both extractors (tagged text and XML) read one file at a time into a ValueSink.
#pragma once

#include "extract/value_sink.h"
#include "progress.h"
#include "store/catalogue.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumacite::extract {

// The format of a project as the extractors need it.
struct ExtractionFormat {
    std::string geshi;   // format name ("PubMed", ...)
    std::string leixing; // "<xml>" or "<txt>"
    // The definitions the extractor walks, in id order (XML: flag 0; TXT: flag not 1).
    std::vector<store::Definition> walked;
    // The reserved definitions, found by name whatever their flag.
    std::optional<store::Definition> article_node;     // "<文章节点>"
    std::optional<store::Definition> article_number;   // "<文章号>"
    std::optional<store::Definition> subject_headings; // "<主题词>"
};

// Reads the format of a project from the catalogue (walked definitions by the
// extractor of its type, reserved definitions by name).
ExtractionFormat load_extraction_format(const store::Catalogue& catalogue,
                                        const std::string& geshi);

// Automatic article numbering runs across the files of one run.
struct ArticleCounter {
    long long value = 0;
};

// The automatic article number n: ten digits, zero-padded ("0000000001").
std::string automatic_article_number(long long n);

// How reading one file ended.
struct FileOutcome {
    enum class Kind {
        done,    // read to the end
        skipped, // not readable as this kind of file: show `message`, go on with the next file
        stopped, // the run must end: show `message`; rows written so far stay
    };
    Kind kind = Kind::done;
    std::string message;    // user-visible text when not done
    long long articles = 0; // articles found in the file (records that begin an article)
};

// The substring form "N|||s,l" of a node text: the name N, then the part of its text from
// character position s (1 = first) that is l characters long. The XML extractor reads it at
// the last level of a path, the tagged-text extractor on a tag (node 1).
struct SubstringForm {
    std::string name;
    long long start = 0;
    long long length = 0;
    bool numbers_valid = true; // false when s or l is not a whole number
};

// The substring form of a node text that holds "|||"; nullopt for any other text.
std::optional<SubstringForm> substring_form(std::string_view node);

// The part of `s` from character position `start` (1 = first; a start before 1 counts from
// the first character), `length` characters long (a length below 1 gives "").
std::string substring(std::string_view s, long long start, long long length);

} // namespace lumacite::extract
