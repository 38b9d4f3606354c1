// Tagged-text extraction on large generated files: MEDLINE records (subject headings,
// one author per line) and Web of Science records (cited references), made by repeating a
// real record with fresh identifiers.
#include "extract/extraction_run.h"
#include "extract/txt_extractor.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace lumacite;

// A MEDLINE record (PMID 14630660, from the Biopython test files).
constexpr const char* medline_record = R"(PMID- 14630660
OWN - NLM
STAT- MEDLINE
DA  - 20031121
DCOM- 20040722
LR  - 20061115
PUBM- Print
IS  - 1367-4803 (Print)
VI  - 19
IP  - 17
DP  - 2003 Nov 22
TI  - PDB file parser and structure class implemented in Python.
PG  - 2308-10
AB  - The biopython project provides a set of bioinformatics tools implemented in
      Python. Recently, biopython was extended with a set of modules that deal with
      macromolecular structure. Biopython now contains a parser for PDB files that
      makes the atomic information available in an easy-to-use but powerful data
      structure. The parser and data structure deal with features that are often left
      out or handled inadequately by other packages, e.g. atom and residue disorder (if
      point mutants are present in the crystal), anisotropic B factors, multiple models
      and insertion codes. In addition, the parser performs some sanity checking to
      detect obvious errors. AVAILABILITY: The Biopython distribution (including source
      code and documentation) is freely available (under the Biopython license) from
      http://www.biopython.org
AD  - Department of Cellular and Molecular Interactions, Vlaams Interuniversitair
      Instituut voor Biotechnologie and Computational Modeling Lab, Department of
      Computer Science, Vrije Universiteit Brussel, Pleinlaan 2, 1050 Brussels,
      Belgium. thamelry@vub.ac.be
FAU - Hamelryck, Thomas
AU  - Hamelryck T
FAU - Manderick, Bernard
AU  - Manderick B
LA  - eng
PT  - Comparative Study
PT  - Evaluation Studies
PT  - Journal Article
PT  - Research Support, Non-U.S. Gov't
PT  - Validation Studies
PL  - England
TA  - Bioinformatics
JT  - Bioinformatics (Oxford, England)
JID - 9808944
RN  - 0 (Macromolecular Substances)
SB  - IM
MH  - Computer Simulation
MH  - Database Management Systems/*standards
MH  - *Databases, Protein
MH  - Information Storage and Retrieval/*methods/*standards
MH  - Macromolecular Substances
MH  - *Models, Molecular
MH  - *Programming Languages
MH  - Protein Conformation
MH  - *Software
EDAT- 2003/11/25 05:00
MHDA- 2004/07/23 05:00
PST - ppublish
SO  - Bioinformatics. 2003 Nov 22;19(17):2308-10.
)";

// A Web of Science record with 13 cited references (from the metaknowledge test files).
constexpr const char* wos_record = R"(PT J
AU Kim, S
AF Kim, S
TI Supervenience and causation: A probabilistic approach
SO SYNTHESE
LA English
DT Article
AB It is often argued that if a mental property supervenes on a physical property, then (1) the mental property M "inherits'' its causal efficacy from the physical property P and (2) the causal efficacy of M reduces to that of P. However, once we understand the supervenience thesis and the concept of causation probabilistically, it turns out that we can infer the causal efficacy of M from that of P and vice versa if and only if a certain condition, which I call the "line-up'' thesis, holds. I argue that the supervenience thesis entails neither this condition nor its denial. I also argue that even when the line-up thesis holds true, reductionism about the causal efficacy of the mental property doesn't follow.
C1 Univ Wisconsin, Dept Philosophy, Madison, WI 53706 USA.
RP Kim, S (reprint author), Univ Wisconsin, Dept Philosophy, Madison, WI 53706 USA.
CR Eells E, 1991, PROBABILISTIC CAUSAL
   ENC B, 1983, J PHILOS, V80, P279, DOI 10.2307/2026499
   Fodor J.A., 1997, PHILOS PERSPECTIVES, P149
   Hausman Daniel, 1998, CAUSAL ASYMMETRIES
   KIM J, 1997, PHILOS PERSPECTIVES, V11, P185
   KIM JW, 1992, PHILOS PHENOMEN RES, V52, P1, DOI 10.2307/2107741
   Kim J., 1989, PHILOS PERSPECTIVES, V3, P77, DOI 10.2307/2214264
   Kim J., 1993, SUPERVENIENCE MIND, P358, DOI 10.1017/CBO9780511625220.019
   Kim J., 1989, P ADDRESSES AM PHILO, V63, P31, DOI DOI 10.2307/3130081
   Kim J., 1993, MENTAL CAUSATION, P189
   Kim Jaegwon, 1996, PHILOS MIND
   Shoemaker S., 1980, TIME CAUSE, P109
   SOBER E, 1999, PHILOS STUDIES
NR 13
TC 1
Z9 1
PU KLUWER ACADEMIC PUBL
PI DORDRECHT
PA SPUIBOULEVARD 50, PO BOX 17, 3300 AA DORDRECHT, NETHERLANDS
SN 0039-7857
J9 SYNTHESE
JI Synthese
PD MAR
PY 2000
VL 122
IS 3
BP 245
EP 259
DI 10.1023/A:1005282128866
PG 15
WC History & Philosophy Of Science; Philosophy
SC History & Philosophy of Science; Philosophy
GA 312WP
UT WOS:000086967200001
ER
)";

// `count` copies of the record, each with a fresh identifier line in place of its first.
std::string repeat(const std::string& record, const std::string& id_line, int count) {
    const std::string body = record.substr(record.find('\n') + 1);
    std::string out;
    out.reserve((body.size() + id_line.size() + 12) * static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        out += id_line;
        out += std::to_string(20000000 + i);
        out += '\n';
        out += body;
        out += '\n';
    }
    return out;
}

store::Definition def(std::string name, std::string tag, std::string method, std::string fenge = {},
                      int flag = 0) {
    store::Definition d;
    d.geshi = "T";
    d.leixing = "<txt>";
    d.guanjianzi = std::move(name);
    d.jiedian[0] = std::move(tag);
    d.pailie = std::move(method);
    d.fenge = std::move(fenge);
    d.yueding = flag;
    return d;
}

extract::ExtractionFormat format(const std::vector<store::Definition>& defs) {
    extract::ExtractionFormat f;
    f.geshi = "T";
    f.leixing = "<txt>";
    for (const auto& d : defs) {
        if (d.guanjianzi == "<文章节点>") {
            f.article_node = d;
        } else if (d.guanjianzi == "<文章号>") {
            f.article_number = d;
        }
        if (d.yueding != 1) {
            f.walked.push_back(d);
        }
    }
    return f;
}

// Definitions like the built-in MEDLINE format.
extract::ExtractionFormat medline_format() {
    return format(
        {def("<文章节点>", "PMID- ", "3", "", 1), def("<文章号>", "PMID- ", "3", "", 1),
         def("标题", "TI  - ", "4"), def("作者", "AU  - ", "2"), def("期刊", "TA  - ", "3"),
         def("期刊全称", "JT  - ", "4"), def("年代", "DP  - ", "3"), def("卷", "VI  - ", "3"),
         def("期", "IP  - ", "3"), def("页码", "PG  - ", "3"), def("关键词", "OT  - ", "2"),
         def("语种", "LA  - ", "2"), def("国家", "PL  - ", "3"), def("机构", "AD  - ", "4"),
         def("文献类型", "PT  - ", "2"), def("<主题词>", "MH  - ", "5", "/")});
}

// Definitions like the built-in Web of Science format.
extract::ExtractionFormat wos_format() {
    return format({def("<文章节点>", "PT ", "3", "", 1), def("标题", "TI ", "4"),
                   def("作者", "AU ", "2"), def("期刊", "J9 ", "3"), def("期刊全称", "SO ", "4"),
                   def("年代", "PY ", "3"), def("卷", "VL ", "3"), def("起始页", "BP ", "3"),
                   def("截止页", "EP ", "3"), def("关键词", "DE ", "1", ";"),
                   def("扩展关键词", "ID ", "1", ";"), def("机构", "C1 ", "2"),
                   def("学科类别", "WC ", "1", ";"), def("DOI", "DI ", "3"),
                   def("<引文>", "CR ", "2")});
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

// A table that keeps nothing: the cost of the run's row rules without a file.
class DiscardingTable final : public extract::ValueTable {
public:
    bool has_document_rows(long long) override { return false; }
    void delete_document_rows(long long) override {}
    void clear_statistics() override {}
    void append(const extract::ValueRow& row) override { bytes += row.zhi.size(); }
    void delete_empty_values() override {}
    std::size_t bytes = 0;
};

void run_extractor(benchmark::State& state, const extract::ExtractionFormat& f,
                   const std::string& text) {
    long long rows = 0;
    for (auto _ : state) {
        extract::TxtExtractor extractor(f);
        CountingSink sink;
        NullProgress progress;
        extractor.extract_text(text, sink, progress);
        rows = sink.rows;
        benchmark::DoNotOptimize(sink.bytes);
    }
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) *
                            static_cast<long long>(text.size()));
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}

void BM_ExtractMedline(benchmark::State& state) {
    run_extractor(state, medline_format(),
                  repeat(medline_record, "PMID- ", static_cast<int>(state.range(0))));
}
BENCHMARK(BM_ExtractMedline)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);

void BM_ExtractWos(benchmark::State& state) {
    run_extractor(state, wos_format(),
                  repeat(wos_record, "PT J\nUT WOS:", static_cast<int>(state.range(0))));
}
BENCHMARK(BM_ExtractWos)->Arg(10000)->Unit(benchmark::kMillisecond);

// The extractor behind the run's row writer (trimming, apostrophes, field widths).
void BM_ExtractMedlineRowRules(benchmark::State& state) {
    const std::string text = repeat(medline_record, "PMID- ", static_cast<int>(state.range(0)));
    const auto f = medline_format();
    for (auto _ : state) {
        extract::TxtExtractor extractor(f);
        DiscardingTable table;
        extract::RowWriter writer(table, "P1", 1);
        NullProgress progress;
        extractor.extract_text(text, writer, progress);
        benchmark::DoNotOptimize(table.bytes);
    }
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) *
                            static_cast<long long>(text.size()));
}
BENCHMARK(BM_ExtractMedlineRowRules)->Arg(50000)->Unit(benchmark::kMillisecond);

// End to end: the file written to a project folder, read, extracted and appended to
// zidian, with the end clean-up; a fresh table for every iteration.
void run_into_zidian(benchmark::State& state, const extract::ExtractionFormat& f,
                     const std::string& text) {
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "lumacite-bench-XXXXXX").string();
    const fs::path home = ::mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
    {
        store::Workspace ws = store::Workspace::bind(home, "B1");
        std::ofstream(ws.folder() / "records.txt", std::ios::binary) << text;
    }
    long long rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(home / "B1" / store::zidian_file_name("B1"));
        state.ResumeTiming();
        store::Workspace ws = store::Workspace::bind(home, "B1");
        extract::WorkspaceValueTable table(ws);
        extract::ExtractionRequest request;
        request.bianhao = "B1";
        request.document = {"B1", 1, "records.txt", ""};
        request.project_folder = ws.folder();
        request.format = f;
        NullProgress progress;
        rows = extract::run_extraction(request, table, progress).rows_written;
        ws.close();
    }
    fs::remove_all(home);
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) *
                            static_cast<long long>(text.size()));
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}

void BM_ZidianMedline(benchmark::State& state) {
    run_into_zidian(state, medline_format(),
                    repeat(medline_record, "PMID- ", static_cast<int>(state.range(0))));
}
BENCHMARK(BM_ZidianMedline)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ZidianWos(benchmark::State& state) {
    run_into_zidian(state, wos_format(),
                    repeat(wos_record, "PT J\nUT WOS:", static_cast<int>(state.range(0))));
}
BENCHMARK(BM_ZidianWos)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
