// XML extraction on large generated PubMed files, made by repeating the real PubMed
// records of the test data with fresh PMIDs: the extractor alone, and the whole run with
// the shipped "PubMed" format into a project's value table (zidian). The counter peak_x is
// the peak memory of one extraction over the file size.
#include "extract/extraction_run.h"
#include "extract/xml_check.h"
#include "extract/xml_extractor.h"
#include "store/catalogue.h"
#include "store/workspace.h"

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace lumacite;
namespace fs = std::filesystem;

const fs::path source_dir = LUMACITE_SOURCE_DIR;

std::string read_all(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + p.string());
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The PubmedArticle elements of a sample file.
std::vector<std::string> sample_records(const char* name) {
    std::vector<std::string> records;
    const std::string text = read_all(source_dir / "tests/data/samples" / name);
    const std::string end = "</PubmedArticle>";
    for (std::size_t from = text.find("<PubmedArticle>"); from != std::string::npos;
         from = text.find("<PubmedArticle>", from + 1)) {
        const std::size_t to = text.find(end, from);
        records.push_back(text.substr(from, to + end.size() - from));
    }
    return records;
}

// A PubmedArticleSet of `count` articles with the fresh PMIDs 30000000 + i. Every 20th
// article is a long indented record (22 authors, inline markup, 44 kB); the others are,
// in turn, two compact efetch records and two indented records whose PubDate has a
// MedlineDate (4 to 10 kB). About 9 kB an article, as in PubMed's own files.
std::string pubmed_file(int count) {
    static const std::vector<std::string> regular = [] {
        auto r = sample_records("biopython_Entrez_pubmed1.xml");
        const auto more = sample_records("sr-project_pubmed_result_excerpt.xml");
        r.insert(r.end(), more.begin(), more.end());
        return r;
    }();
    static const std::string long_record = sample_records("biopython_Entrez_pubmed4.xml").at(0);
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PubmedArticleSet>\n";
    for (int i = 0; i < count; ++i) {
        const std::string& r =
            i % 20 == 19 ? long_record : regular[static_cast<std::size_t>(i) % regular.size()];
        const std::size_t open = r.find('>', r.find("<PMID")) + 1;
        const std::size_t close = r.find("</PMID>", open);
        out.append(r, 0, open);
        out += std::to_string(30000000 + i);
        out.append(r, close, std::string::npos);
        out += '\n';
    }
    out += "</PubmedArticleSet>\n";
    return out;
}

// The shipped "PubMed" format, read from a catalogue built from the seed.
const extract::ExtractionFormat& shipped_pubmed() {
    static const extract::ExtractionFormat format = [] {
        const fs::path dir =
            fs::temp_directory_path() / ("lumacite-bench-cat-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        store::build_catalogue(source_dir / "assets/formats.tsv", dir / "velkor.exs");
        extract::ExtractionFormat f;
        {
            const auto catalogue = store::Catalogue::open(dir / "velkor.exs");
            f = extract::load_extraction_format(catalogue, "PubMed");
        }
        fs::remove_all(dir);
        return f;
    }();
    return format;
}

// Peak memory: the kernel's high-water mark of resident memory, reset before a run.
void reset_peak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}
long long status_kb(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string k = std::string(key) + ":";
    while (std::getline(in, line)) {
        if (line.rfind(k, 0) == 0) {
            return std::stoll(line.substr(k.size()));
        }
    }
    return 0;
}

class CountingSink final : public extract::ValueSink {
public:
    void write(std::string_view, std::string_view, std::string_view zhi) override {
        ++rows;
        bytes += zhi.size();
    }
    long long rows = 0;
    std::size_t bytes = 0;
};

void BM_XmlExtractor(benchmark::State& state) {
    const std::string text = pubmed_file(static_cast<int>(state.range(0)));
    const auto& format = shipped_pubmed();
    long long rows = 0;
    for (auto _ : state) {
        CountingSink sink;
        NullProgress progress;
        extract::ArticleCounter counter;
        extract::XmlExtractor().extract_bytes(text, "big.xml", format, counter, sink, progress);
        rows = sink.rows;
        benchmark::DoNotOptimize(sink.bytes);
    }
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) *
                            static_cast<long long>(text.size()));
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(BM_XmlExtractor)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond);

// The well-formedness check alone, the part of BM_XmlExtractor that is not parsing.
void BM_XmlCheck(benchmark::State& state) {
    const std::string text = pubmed_file(static_cast<int>(state.range(0)));
    std::string expanded;
    for (auto _ : state) {
        benchmark::DoNotOptimize(extract::check_xml(text, expanded));
    }
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) *
                            static_cast<long long>(text.size()));
}
BENCHMARK(BM_XmlCheck)->Arg(10000)->Unit(benchmark::kMillisecond);

// The value table of a project workspace.
class ZidianTable final : public extract::ValueTable {
public:
    explicit ZidianTable(store::Workspace& ws) : ws_(ws) {}
    bool has_document_rows(long long xuhao) override { return ws_.has_document_values(xuhao); }
    void delete_document_rows(long long xuhao) override {
        ws_.delete_document_values(xuhao);
        ws_.pack_values();
    }
    void clear_statistics() override {}
    void append(const extract::ValueRow& row) override {
        ws_.append_value(row.xuhao, row.wenzhangha, row.guanjianzi, row.zhi);
    }
    void delete_empty_values() override {
        if (ws_.delete_empty_values() > 0) {
            ws_.pack_values();
        }
    }
    void flush() override { ws_.commit(); }

private:
    store::Workspace& ws_;
};

// Extract command end to end: the file registered in project 1, read and stored in zidian.
void BM_XmlRunIntoZidian(benchmark::State& state) {
    const fs::path home =
        fs::temp_directory_path() / ("lumacite-bench-xml-" + std::to_string(::getpid()));
    fs::remove_all(home);
    fs::create_directories(home / "1");
    long long file_size = 0;
    {
        const std::string text = pubmed_file(static_cast<int>(state.range(0)));
        std::ofstream(home / "1" / "big.xml", std::ios::binary) << text;
        file_size = static_cast<long long>(text.size());
    }
    extract::ExtractionRequest request;
    request.bianhao = "1";
    request.document = {"1", 1, "big.xml", ""};
    request.project_folder = home / "1";
    request.format = shipped_pubmed();
    request.replace_existing = true;

    long long rows = 0;
    double peak_x = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(home / "1" / "zidian1.dbf");
        fs::remove(home / "1" / "tongji1.dbf");
        state.ResumeTiming();
        ::malloc_trim(0); // free memory the allocator still holds is not part of the baseline
        const long long before_kb = status_kb("VmRSS");
        reset_peak();
        {
            auto ws = store::Workspace::bind(home, "1");
            ZidianTable table(ws);
            NullProgress progress;
            const auto result = extract::run_extraction(request, table, progress);
            if (result.status != extract::ExtractionResult::Status::done) {
                state.SkipWithError("extraction did not finish");
                break;
            }
            rows = result.rows_written;
            ws.close();
        }
        peak_x = static_cast<double>(status_kb("VmHWM") - before_kb) * 1024.0 /
                 static_cast<double>(file_size);
    }
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) * file_size);
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["MB"] = static_cast<double>(file_size) / 1e6;
    state.counters["peak_x"] = peak_x;
    fs::remove_all(home);
}
BENCHMARK(BM_XmlRunIntoZidian)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
