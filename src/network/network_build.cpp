// Similarity measures, edges, clusters and layout of a co-occurrence network.
#include "messages.h"
#include "network/network.h"

#include <igraph.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>
#include <stdexcept>

namespace lumacite::network {

namespace {

struct MeasureName {
    Measure measure;
    std::string_view key;
};
constexpr MeasureName measure_names[] = {
    {Measure::raw, "raw"},
    {Measure::association, "association"},
    {Measure::cosine, "cosine"},
    {Measure::jaccard, "jaccard"},
    {Measure::inclusion, "inclusion"},
    {Measure::equivalence, "equivalence"},
};

} // namespace

std::string_view measure_key(Measure measure) {
    return measure_names[static_cast<int>(measure)].key;
}

std::string_view measure_caption(Measure measure) {
    return msg::measure_captions[static_cast<int>(measure)];
}

std::optional<Measure> measure_from_key(std::string_view key) {
    for (const auto& m : measure_names) {
        if (m.key == key) {
            return m.measure;
        }
    }
    return std::nullopt;
}

std::optional<ClusterMethod> cluster_method_from_key(std::string_view key) {
    if (key == "leiden") {
        return ClusterMethod::leiden;
    }
    if (key == "louvain") {
        return ClusterMethod::louvain;
    }
    return std::nullopt;
}

std::optional<double> parse_number(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    if (text.empty() || ((text.front() < '0' || text.front() > '9') && text.front() != '.')) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

double edge_weight(Measure measure, long long c, long long oi, long long oj, long long articles) {
    const auto cd = static_cast<double>(c);
    const auto product = static_cast<double>(oi) * static_cast<double>(oj);
    auto ratio = [cd](double numerator, double denominator) {
        return denominator > 0 ? numerator / denominator : (cd > 0 ? numerator / cd : 0.0);
    };
    switch (measure) {
    case Measure::raw:
        return cd;
    case Measure::association:
        return ratio(static_cast<double>(articles) * cd, product);
    case Measure::cosine:
        return ratio(cd, product > 0 ? std::sqrt(product) : 0);
    case Measure::jaccard:
        return ratio(cd, static_cast<double>(oi) + static_cast<double>(oj) - cd);
    case Measure::inclusion:
        return ratio(cd, static_cast<double>(std::min(oi, oj)));
    case Measure::equivalence:
        return product > 0 ? cd * cd / product : (cd > 0 ? 1.0 : 0.0);
    }
    return 0;
}

std::vector<Edge> weighted_edges(const analysis::CooccurrenceMatrix& matrix, Measure measure,
                                 long long articles, double min_weight) {
    const std::size_t n = matrix.size();
    std::vector<Edge> edges;
    for (std::size_t i = 0; i < n; ++i) {
        const long long oi = matrix.at(i, i);
        for (std::size_t j = i + 1; j < n; ++j) {
            const long long c = matrix.at(i, j);
            if (c <= 0) {
                continue;
            }
            const double w = edge_weight(measure, c, oi, matrix.at(j, j), articles);
            if (w > 0 && w >= min_weight) {
                edges.push_back(
                    {static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(j), c, w});
            }
        }
    }
    return edges;
}

namespace {

// The pull towards the middle of a network in several parts, as a share of the mean weight.
constexpr double gravity = 0.05;

// igraph reports errors through return codes once its aborting handler is replaced.
void quiet_igraph() {
    static const bool done = [] {
        igraph_set_error_handler(igraph_error_handler_ignore);
        igraph_set_warning_handler(igraph_warning_handler_ignore);
        return true;
    }();
    (void)done;
}

void check(igraph_error_t code, const char* what) {
    if (code != IGRAPH_SUCCESS) {
        throw std::runtime_error(std::string(msg::network_igraph_failed) + what + " (" +
                                 igraph_strerror(code) + ")");
    }
}

// Owners of igraph objects, destroyed on every way out.
struct Graph {
    igraph_t g;
    Graph(const std::vector<Edge>& edges, std::size_t nodes,
          const std::vector<std::uint32_t>& index) {
        igraph_vector_int_t list;
        check(igraph_vector_int_init(&list, static_cast<igraph_integer_t>(edges.size() * 2)),
              "vector");
        for (std::size_t k = 0; k < edges.size(); ++k) {
            VECTOR(list)[2 * k] = index[edges[k].source];
            VECTOR(list)[2 * k + 1] = index[edges[k].target];
        }
        const igraph_error_t rc =
            igraph_create(&g, &list, static_cast<igraph_integer_t>(nodes), IGRAPH_UNDIRECTED);
        igraph_vector_int_destroy(&list);
        check(rc, "graph");
    }
    ~Graph() { igraph_destroy(&g); }
    Graph(const Graph&) = delete;
    Graph& operator=(const Graph&) = delete;
};

struct RealVector {
    igraph_vector_t v;
    explicit RealVector(std::size_t size) {
        check(igraph_vector_init(&v, static_cast<igraph_integer_t>(size)), "vector");
    }
    ~RealVector() { igraph_vector_destroy(&v); }
    RealVector(const RealVector&) = delete;
    RealVector& operator=(const RealVector&) = delete;
};

struct IntVector {
    igraph_vector_int_t v;
    IntVector() { check(igraph_vector_int_init(&v, 0), "vector"); }
    ~IntVector() { igraph_vector_int_destroy(&v); }
    IntVector(const IntVector&) = delete;
    IntVector& operator=(const IntVector&) = delete;
};

struct Matrix {
    igraph_matrix_t m;
    Matrix() { check(igraph_matrix_init(&m, 0, 0), "matrix"); }
    ~Matrix() { igraph_matrix_destroy(&m); }
    Matrix(const Matrix&) = delete;
    Matrix& operator=(const Matrix&) = delete;
};

void report_step(Progress& progress, int step) {
    progress.set_position(step);
    progress.set_title(msg::network_step_title + std::to_string(step) + " \\ 3");
    progress.pump();
}

// Community membership (0-based, arbitrary numbering) of the linked nodes.
std::vector<igraph_integer_t> find_communities(const Graph& graph, const RealVector& weights,
                                               const std::vector<double>& strengths,
                                               const Options& options, double& modularity) {
    IntVector membership;
    const double total = std::accumulate(strengths.begin(), strengths.end(), 0.0) / 2;
    if (options.method == ClusterMethod::leiden) {
        RealVector node_weights(strengths.size());
        for (std::size_t i = 0; i < strengths.size(); ++i) {
            VECTOR(node_weights.v)[i] = strengths[i];
        }
        igraph_integer_t clusters = 0;
        igraph_real_t quality = 0;
        // Modularity as the Leiden quality: node weights are the strengths and the
        // resolution is divided by twice the total weight.
        check(igraph_community_leiden(&graph.g, &weights.v, &node_weights.v,
                                      options.resolution / (2 * total), 0.01, false, -1,
                                      &membership.v, &clusters, &quality),
              "Leiden");
    } else {
        check(igraph_community_multilevel(&graph.g, &weights.v, options.resolution, &membership.v,
                                          nullptr, nullptr),
              "Louvain");
    }
    igraph_real_t q = 0;
    check(igraph_modularity(&graph.g, &membership.v, &weights.v, options.resolution, false, &q),
          "modularity");
    modularity = q;
    std::vector<igraph_integer_t> out(strengths.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = VECTOR(membership.v)[i];
    }
    return out;
}

// Fruchterman–Reingold positions of the linked nodes; attraction follows the weights,
// brought to a mean of 1 so that every measure gives a comparable drawing. A network in
// several parts gets one more node tied weakly to every other: that pull keeps the small
// parts near the large one, where on their own they would drift far apart and squeeze the
// main part into a corner of the drawing.
std::vector<std::pair<double, double>> force_layout(const std::vector<Edge>& edges,
                                                    const std::vector<std::uint32_t>& linked,
                                                    const std::vector<std::uint32_t>& index) {
    const std::size_t n = linked.size();
    double mean = 0;
    for (const Edge& e : edges) {
        mean += e.weight;
    }
    mean /= static_cast<double>(std::max<std::size_t>(edges.size(), 1));
    std::vector<Edge> all = edges;
    std::vector<std::uint32_t> where = index;
    // Union–find over the edges tells whether the network is in one part.
    std::vector<std::uint32_t> root(n);
    std::iota(root.begin(), root.end(), 0U);
    auto find = [&](std::uint32_t v) {
        while (root[v] != v) {
            v = root[v] = root[root[v]];
        }
        return v;
    };
    std::size_t parts = n;
    for (const Edge& e : edges) {
        const std::uint32_t a = find(index[e.source]);
        const std::uint32_t b = find(index[e.target]);
        if (a != b) {
            root[std::max(a, b)] = std::min(a, b);
            --parts;
        }
    }
    std::size_t vertices = n;
    if (parts > 1) {
        // The extra node is vertex n; edges name vertices through `where`, so it gets an
        // entry of its own past the nodes'.
        const auto centre = static_cast<std::uint32_t>(where.size());
        where.push_back(static_cast<std::uint32_t>(n));
        for (const std::uint32_t node : linked) {
            all.push_back({node, centre, 0, mean * gravity});
        }
        vertices = n + 1;
    }
    const Graph graph(all, vertices, where);
    RealVector attraction(all.size());
    for (std::size_t k = 0; k < all.size(); ++k) {
        VECTOR(attraction.v)[k] = mean > 0 ? all[k].weight / mean : 1.0;
    }
    Matrix positions;
    check(igraph_layout_fruchterman_reingold(
              &graph.g, &positions.m, false, 500, std::sqrt(static_cast<double>(vertices)) / 10,
              IGRAPH_LAYOUT_AUTOGRID, &attraction.v, nullptr, nullptr, nullptr, nullptr),
          "layout");
    std::vector<std::pair<double, double>> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = {MATRIX(positions.m, i, 0), MATRIX(positions.m, i, 1)};
    }
    return out;
}

// Scales the linked nodes into the unit square (keeping the aspect, centred) above a band
// that holds the isolated nodes in rows, most frequent first.
void place_nodes(Network& net, const std::vector<std::uint32_t>& linked,
                 const std::vector<std::pair<double, double>>& positions,
                 const std::vector<std::uint32_t>& isolated) {
    const std::size_t columns =
        isolated.empty()
            ? 0
            : std::clamp<std::size_t>(
                  static_cast<std::size_t>(std::ceil(std::sqrt(4.0 * isolated.size()))), 4, 40);
    const std::size_t rows = columns == 0 ? 0 : (isolated.size() + columns - 1) / columns;
    const double band = linked.empty() ? 1.0 : std::min(0.3, 0.06 * static_cast<double>(rows));
    const double height = 1.0 - band;

    if (!linked.empty()) {
        double min_x = positions[0].first, max_x = min_x;
        double min_y = positions[0].second, max_y = min_y;
        for (const auto& [x, y] : positions) {
            min_x = std::min(min_x, x);
            max_x = std::max(max_x, x);
            min_y = std::min(min_y, y);
            max_y = std::max(max_y, y);
        }
        const double w = max_x - min_x;
        const double h = max_y - min_y;
        const double scale = std::max(w, h / height) > 0 ? 1.0 / std::max(w, h / height) : 0;
        const double off_x = (1.0 - w * scale) / 2;
        const double off_y = (height - h * scale) / 2;
        for (std::size_t k = 0; k < linked.size(); ++k) {
            Node& node = net.nodes[linked[k]];
            node.x = off_x + (positions[k].first - min_x) * scale;
            node.y = off_y + (positions[k].second - min_y) * scale;
        }
    }
    for (std::size_t k = 0; k < isolated.size(); ++k) {
        Node& node = net.nodes[isolated[k]];
        const std::size_t row = k / columns;
        const std::size_t column = k % columns;
        node.x = (static_cast<double>(column) + 0.5) / static_cast<double>(columns);
        node.y = rows == 1 && linked.empty()
                     ? 0.5
                     : height + band * (static_cast<double>(row) + 0.5) / static_cast<double>(rows);
    }
}

} // namespace

Network build_network(const analysis::CooccurrenceMatrix& matrix, long long articles,
                      const Options& options, Progress& progress) {
    quiet_igraph();
    progress.set_maximum(3);
    Network net;
    net.measure = options.measure;
    net.method = options.method;

    std::vector<Edge> edges = weighted_edges(matrix, options.measure, articles, options.min_weight);
    std::vector<int> degree(matrix.size(), 0);
    for (const Edge& e : edges) {
        ++degree[e.source];
        ++degree[e.target];
    }
    // Kept values get consecutive indices in rank order.
    std::vector<std::uint32_t> kept_index(matrix.size(), 0);
    for (std::size_t i = 0; i < matrix.size(); ++i) {
        if (options.drop_isolated && degree[i] == 0) {
            continue;
        }
        kept_index[i] = static_cast<std::uint32_t>(net.nodes.size());
        Node node;
        node.label = matrix.values[i];
        node.count = matrix.at(i, i);
        node.degree = degree[i];
        net.nodes.push_back(std::move(node));
    }
    for (Edge& e : edges) {
        e.source = kept_index[e.source];
        e.target = kept_index[e.target];
        net.nodes[e.source].strength += e.weight;
        net.nodes[e.target].strength += e.weight;
    }
    net.edges = std::move(edges);
    report_step(progress, 1);

    // igraph works on the linked nodes only.
    std::vector<std::uint32_t> linked;
    std::vector<std::uint32_t> isolated;
    std::vector<std::uint32_t> graph_index(net.nodes.size(), 0);
    for (std::uint32_t i = 0; i < net.nodes.size(); ++i) {
        if (net.nodes[i].degree > 0) {
            graph_index[i] = static_cast<std::uint32_t>(linked.size());
            linked.push_back(i);
        } else {
            isolated.push_back(i);
        }
    }
    std::vector<long long> community(net.nodes.size(), -1);
    std::vector<std::pair<double, double>> positions;
    if (!linked.empty()) {
        const Graph graph(net.edges, linked.size(), graph_index);
        RealVector weights(net.edges.size());
        for (std::size_t k = 0; k < net.edges.size(); ++k) {
            VECTOR(weights.v)[k] = net.edges[k].weight;
        }
        std::vector<double> strengths(linked.size());
        for (std::size_t k = 0; k < linked.size(); ++k) {
            strengths[k] = net.nodes[linked[k]].strength;
        }
        igraph_rng_seed(igraph_rng_default(), options.seed);
        const auto membership =
            find_communities(graph, weights, strengths, options, net.modularity);
        for (std::size_t k = 0; k < linked.size(); ++k) {
            community[linked[k]] = membership[k];
        }
        report_step(progress, 2);
        igraph_rng_seed(igraph_rng_default(), options.seed);
        positions = force_layout(net.edges, linked, graph_index);
    } else {
        report_step(progress, 2);
    }
    // Isolated values are clusters of their own.
    long long next = static_cast<long long>(net.nodes.size()) + 1;
    for (std::uint32_t i : isolated) {
        community[i] = next++;
    }

    // Clusters numbered by descending size, then by their first member in rank order.
    std::vector<std::vector<std::uint32_t>> groups;
    {
        std::vector<std::pair<long long, std::uint32_t>> order; // community, node
        for (std::uint32_t i = 0; i < net.nodes.size(); ++i) {
            order.emplace_back(community[i], i);
        }
        std::sort(order.begin(), order.end());
        for (std::size_t k = 0; k < order.size(); ++k) {
            if (k == 0 || order[k].first != order[k - 1].first) {
                groups.emplace_back();
            }
            groups.back().push_back(order[k].second);
        }
    }
    std::sort(groups.begin(), groups.end(), [](const auto& a, const auto& b) {
        return a.size() != b.size() ? a.size() > b.size() : a.front() < b.front();
    });
    for (std::size_t c = 0; c < groups.size(); ++c) {
        Cluster cluster;
        cluster.id = static_cast<int>(c + 1);
        cluster.members = std::move(groups[c]);
        std::stable_sort(cluster.members.begin(), cluster.members.end(),
                         [&](std::uint32_t a, std::uint32_t b) {
                             return net.nodes[a].count > net.nodes[b].count;
                         });
        for (std::uint32_t m : cluster.members) {
            net.nodes[m].cluster = cluster.id;
        }
        net.clusters.push_back(std::move(cluster));
    }

    place_nodes(net, linked, positions, isolated);
    report_step(progress, 3);
    return net;
}

std::vector<std::string> top_values(const Network& network, const Cluster& cluster,
                                    std::size_t count) {
    std::vector<std::string> out;
    for (std::size_t k = 0; k < cluster.members.size() && k < count; ++k) {
        out.push_back(network.nodes[cluster.members[k]].label);
    }
    return out;
}

} // namespace lumacite::network
