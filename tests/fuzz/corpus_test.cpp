// Every input of the fuzz corpora (tests/fuzz/corpus/<target>/: the seeds made from the
// samples, and every input that once found a fault) through the same harnesses, in the
// ordinary test suite.
#include "harnesses.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

void run_corpus(const char* name) {
    const auto& all = lumacite::fuzz::targets();
    const auto target = std::find_if(
        all.begin(), all.end(), [&](const auto& t) { return std::string_view(t.name) == name; });
    ASSERT_NE(target, all.end());
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(fs::path(LUMACITE_SOURCE_DIR) / "tests" / "fuzz" /
                                                "corpus" / name)) {
        files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    ASSERT_GE(files.size(), 3u) << name;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::string bytes(std::istreambuf_iterator<char>(in), {});
        try {
            target->run(bytes);
        } catch (const std::exception& e) {
            ADD_FAILURE() << file.filename().string() << ": " << e.what();
        }
    }
}

TEST(FuzzCorpus, TxtExtractor) {
    run_corpus("txt_extractor");
}

TEST(FuzzCorpus, XmlExtractor) {
    run_corpus("xml_extractor");
}

TEST(FuzzCorpus, DbaseReader) {
    run_corpus("dbase_reader");
}

TEST(FuzzCorpus, InputDecoding) {
    run_corpus("input_decoding");
}

} // namespace
