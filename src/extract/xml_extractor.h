// The XML extractor: reads XML record files (a document element whose children are the
// articles) and writes, article by article, the values of every walked keyword definition
// of the format, following each definition's node path with the node walker. For the
// format named exactly "PubMed" it also writes the subject-heading keys of each article.
//
// A file is checked whole for well-formedness, then read one child of the document
// element at a time: memory beyond the file's own bytes is that of one article.
#pragma once

#include "extract/extractor.h"
#include "extract/input_file.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace lumacite::extract {

class XmlExtractor {
public:
    // `workers` threads read the articles of one file at once (1: the calling thread
    // alone); the rows are written in file order by the calling thread all the same.
    explicit XmlExtractor(int workers = 1);
    ~XmlExtractor();

    // Reads one XML file into `sink`. `shown_path` is the path named in the message
    // when the file is not well-formed XML.
    //
    // Sets the gauge maximum to the number of children of the document element and
    // steps it once per child (positions 1 .. n); the caller sets the title.
    // Articles are numbered from the "<文章号>" path, or, without that definition, by
    // `counter` (ten digits, zero-padded), which the caller keeps across the files of
    // one run.
    //
    // Returns done; skipped with the "not XML" message when the file is not well-formed
    // XML (nothing written); stopped with the message of input_failure_message when the
    // file cannot be read or its compressed data is damaged (nothing written), or with a
    // message naming the
    // keyword when a definition cannot be applied (a path ending on an element that
    // holds only elements, a substring form whose position or length is not a whole
    // number). Rows written before a stop stay written.
    FileOutcome extract_file(const std::filesystem::path& file, const std::string& shown_path,
                             const ExtractionFormat& format, ArticleCounter& counter,
                             ValueSink& sink, Progress& progress) const;

    // The same, read into `input` (its buffer serves the files of one reader in turn).
    FileOutcome extract_file(InputFile& input, const std::filesystem::path& file,
                             const std::string& shown_path, const ExtractionFormat& format,
                             ArticleCounter& counter, ValueSink& sink, Progress& progress) const;

    // The same for the bytes of a file already read.
    FileOutcome extract_bytes(std::string_view bytes, const std::string& shown_path,
                              const ExtractionFormat& format, ArticleCounter& counter,
                              ValueSink& sink, Progress& progress) const;

    // The same in two steps, so that the next file can be read and checked while the
    // articles of this one are read: prepare() reads, decodes and checks a file (touching
    // no sink and no gauge; it may run on another thread), extract_prepared() reads its
    // articles, or gives how it ended before them, from the same `input`.
    struct Prepared;
    struct PreparedDelete {
        void operator()(Prepared* p) const;
    };
    using PreparedFile = std::unique_ptr<Prepared, PreparedDelete>;
    PreparedFile prepare(InputFile& input, const std::filesystem::path& file,
                         const std::string& shown_path) const;
    FileOutcome extract_prepared(const Prepared& prepared, const InputFile& input,
                                 const std::filesystem::path& file, const ExtractionFormat& format,
                                 ArticleCounter& counter, ValueSink& sink,
                                 Progress& progress) const;

private:
    PreparedFile prepare_bytes(std::string_view bytes, const std::string& shown_path) const;
    int workers_;
};

} // namespace lumacite::extract
