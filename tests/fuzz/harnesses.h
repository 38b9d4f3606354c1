// Fuzz harnesses: each takes the bytes of one input, runs it through a part of the program
// that reads files from outside, and checks properties of what comes out besides "no
// crash". A property that does not hold throws PropertyViolation naming it.
//
// The same functions run under libFuzzer (tests/fuzz/libfuzzer_entry.cpp, built with clang
// when LUMACITE_FUZZ=ON) and in the ordinary test suite, which feeds them every file of
// tests/fuzz/corpus/<target>/ (tests/fuzz/corpus_test.cpp).
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lumacite::fuzz {

class PropertyViolation : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// The tagged-text extractor with a shipped tagged-text format (the input's length chooses
// which): each stored row is valid UTF-8, trimmed, without apostrophes, fits its field
// width (article number 50, keyword 30, value 254 GB18030 bytes) and survives the GB18030
// round trip and the value table's encoding.
void txt_extractor(std::string_view bytes);

// The XML extractor with every shipped XML format: the same properties of its rows.
void xml_extractor(std::string_view bytes);

// The dBase reader: the bytes as a table file opened read-only (a failure is a DbaseError,
// never anything else), every field of every record read as UTF-8 that fits the field
// again; opened for writing, a record appended and the table packed, it holds its live
// records and that one, and opens again without repair.
void dbase_reader(std::string_view bytes);

// Input decoding: every decoder gives valid UTF-8; valid UTF-8 without a mark is taken as
// it is; the decoded text survives the GB18030 round trip with its width; a cut at a width
// never splits a character and takes all that fits; the text order is consistent.
void input_decoding(std::string_view bytes);

struct Target {
    const char* name; // the corpus folder and the fuzzer's name: fuzz_<name>
    void (*run)(std::string_view bytes);
};

// The four targets in a fixed order.
const std::vector<Target>& targets();

} // namespace lumacite::fuzz
