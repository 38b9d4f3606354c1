// Co-occurrence networks: the weighted network of the values of a co-occurrence matrix
// under one similarity measure, its clusters (Leiden or Louvain) and its force-directed
// layout through igraph, the per-node and per-cluster summaries, and the network files
// (Pajek, VOSviewer map and network, GraphML, node and edge CSV), all written in UTF-8.
//
// The input is the co-occurrence matrix of analysis::read_cooccurrence: the values of a
// keyword within a count range, in rank order; the diagonal holds each value's count o(i).
#pragma once

#include "analysis/analysis.h"
#include "progress.h"

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumacite::network {

// ---- Similarity measures ---------------------------------------------------------------

enum class Measure { raw, association, cosine, jaccard, inclusion, equivalence };
inline constexpr Measure all_measures[] = {Measure::raw,       Measure::association,
                                           Measure::cosine,    Measure::jaccard,
                                           Measure::inclusion, Measure::equivalence};

// The command-line name ("raw", "association", "cosine", "jaccard", "inclusion",
// "equivalence") and the window's caption ("原始共现", "关联强度", "余弦", "Jaccard", "包含",
// "等价").
std::string_view measure_key(Measure measure);
std::string_view measure_caption(Measure measure);
std::optional<Measure> measure_from_key(std::string_view key);

// The weight of a pair that co-occurs c times, of values with counts oi and oj among
// `articles` articles: raw c; association strength articles·c / (oi·oj); cosine
// c / √(oi·oj); Jaccard c / (oi + oj − c); inclusion c / min(oi, oj); equivalence
// c² / (oi·oj). A denominator that is not positive (a value repeated within articles can
// make c exceed a count) is replaced by c, so such a pair weighs 1 (raw: c).
double edge_weight(Measure measure, long long c, long long oi, long long oj, long long articles);

// A number as typed: decimal digits with an optional "." part and exponent, leading and
// trailing blanks ignored; nullopt for anything else (empty text, a sign, inf, nan).
std::optional<double> parse_number(std::string_view text);

// ---- The network -----------------------------------------------------------------------

enum class ClusterMethod { leiden, louvain };
std::optional<ClusterMethod> cluster_method_from_key(std::string_view key); // "leiden", "louvain"

struct Options {
    Measure measure = Measure::raw;
    double min_weight = 0;      // pairs weighing less are no edge
    bool drop_isolated = false; // values left without an edge are left out
    ClusterMethod method = ClusterMethod::leiden;
    double resolution = 1.0; // of modularity; larger gives more, smaller clusters
    std::uint64_t seed = 1;  // the same seed and input give the same clusters and layout
};

struct Node {
    std::string label;
    long long count = 0; // o(i), the matrix diagonal
    int cluster = 0;     // 1 … number of clusters
    int degree = 0;      // number of edges
    double strength = 0; // total link strength: the sum of its edges' weights
    double x = 0;        // position in the unit square, y growing downwards
    double y = 0;
};

struct Edge {
    std::uint32_t source = 0; // node indices, source < target
    std::uint32_t target = 0;
    long long cooccurrence = 0;
    double weight = 0;
};

struct Cluster {
    int id = 0;                         // 1 … n: by descending size, then by first member
    std::vector<std::uint32_t> members; // node indices by descending count, then rank
};

struct Network {
    Measure measure = Measure::raw;
    ClusterMethod method = ClusterMethod::leiden;
    std::vector<Node> nodes; // in rank order of the matrix (dropped values left out)
    std::vector<Edge> edges; // by source, then target
    std::vector<Cluster> clusters;
    double modularity = 0; // of the clusters, at the chosen resolution
};

// The edges of the matrix under a measure: every pair i < j with x(i, j) > 0 whose weight is
// positive and at least `min_weight`; the diagonal is never an edge. By i, then j.
std::vector<Edge> weighted_edges(const analysis::CooccurrenceMatrix& matrix, Measure measure,
                                 long long articles, double min_weight);

// Builds the network: edges, then (without the values left isolated, when asked) clusters
// and layout. Values without edges each form a cluster of their own and are placed in a
// row beneath the drawing; the parts of a network in several parts are held near each
// other by a weak pull towards the middle. Reports three steps (edges, clusters, layout) as
// "网络图......  " + step + " \ 3". Throws std::runtime_error when igraph fails.
Network build_network(const analysis::CooccurrenceMatrix& matrix, long long articles,
                      const Options& options, Progress& progress);

// The labels of a cluster's first `count` members (its most frequent values).
std::vector<std::string> top_values(const Network& network, const Cluster& cluster,
                                    std::size_t count);

// ---- Network files -----------------------------------------------------------------------

enum class FileFormat { pajek, vosviewer, graphml, csv };
std::optional<FileFormat> file_format_from_key(std::string_view key); // "pajek", …, "csv"

// The files written for a chosen name. Pajek and GraphML: one file, ".net" or ".graphml"
// appended unless the name ends so already. VOSviewer: NAME_map.txt and NAME_network.txt;
// CSV: NAME_nodes.csv and NAME_edges.csv, where NAME is the chosen name without a ".txt"
// (VOSviewer) or ".csv" (CSV) ending.
std::vector<std::filesystem::path> network_file_paths(FileFormat format,
                                                      const std::filesystem::path& chosen);

// The path with `ending` (".net") appended unless its name ends so already, ASCII case
// ignored.
std::filesystem::path with_ending(const std::filesystem::path& path, std::string_view ending);

// Writes the files of network_file_paths, replacing existing ones, and returns their paths.
// Throws std::runtime_error "无法写入文件：" + path when one cannot be written.
std::vector<std::filesystem::path> write_network_files(const Network& network, FileFormat format,
                                                       const std::filesystem::path& chosen);

// The single files. Numbers are written with "." and no more digits than needed to read
// them back exactly; positions with six decimals. Vertices and ids count from 1.
//
// Pajek: "*Vertices n", one line `k "label"` per node, "*Edges", one line "i j weight"
// per edge. Pajek has no escape: a double quote in a label becomes "″", a line break a blank.
void write_pajek(std::ostream& out, const Network& network);
// VOSviewer map: the header "id, label, x, y, cluster, weight<Occurrences>, weight<Links>,
// weight<Total link strength>" and one line per node, separated by TABs; a label holding
// a TAB, a double quote or a line break is quoted, its quotes doubled.
void write_vosviewer_map(std::ostream& out, const Network& network);
// VOSviewer network: one line "id TAB id TAB weight" per edge, no header.
void write_vosviewer_network(std::ostream& out, const Network& network);
// GraphML: undirected; node attributes label, count, cluster, degree, strength, x, y; edge
// attributes weight and cooccurrence. Characters XML cannot hold are left out.
void write_graphml(std::ostream& out, const Network& network);
// CSV (RFC 4180, CR LF, a UTF-8 byte-order mark so that spreadsheets read it as UTF-8):
// nodes "Id,Label,Count,Cluster,Degree,Strength,X,Y"; edges
// "Source,Target,Type,Weight,Cooccurrence" with the type "Undirected".
void write_nodes_csv(std::ostream& out, const Network& network);
void write_edges_csv(std::ostream& out, const Network& network);

} // namespace lumacite::network
