// Similarity measures, edges, clusters, layout and the per-node figures of a network.
#include "network/network.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace lumacite;
using namespace lumacite::network;

namespace {

NullProgress quiet;

// A symmetric matrix from its values, counts (the diagonal) and pairs.
analysis::CooccurrenceMatrix matrix(std::vector<std::string> values, std::vector<long long> counts,
                                    std::vector<std::tuple<int, int, long long>> pairs) {
    analysis::CooccurrenceMatrix m;
    const std::size_t n = values.size();
    m.values = std::move(values);
    m.cells.assign(n * n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        m.cells[i * n + i] = counts[i];
    }
    for (const auto& [i, j, c] : pairs) {
        m.cells[static_cast<std::size_t>(i) * n + static_cast<std::size_t>(j)] = c;
        m.cells[static_cast<std::size_t>(j) * n + static_cast<std::size_t>(i)] = c;
    }
    return m;
}

// A (4 articles), B (2), C (3) among 6 articles: A–B twice, A–C once, B–C never.
const analysis::CooccurrenceMatrix abc = matrix({"A", "B", "C"}, {4, 2, 3}, {{0, 1, 2}, {0, 2, 1}});

struct MeasureCase {
    Measure measure;
    double ab;
    double ac;
};

TEST(Measures, EachMeasureOnASmallMatrixByHand) {
    const MeasureCase cases[] = {
        {Measure::raw, 2, 1},
        {Measure::association, 6.0 * 2 / (4 * 2), 6.0 * 1 / (4 * 3)}, // 1.5, 0.5
        {Measure::cosine, 2 / std::sqrt(8.0), 1 / std::sqrt(12.0)},
        {Measure::jaccard, 2.0 / (4 + 2 - 2), 1.0 / (4 + 3 - 1)}, // 0.5, 1/6
        {Measure::inclusion, 2.0 / 2, 1.0 / 3},
        {Measure::equivalence, 4.0 / 8, 1.0 / 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(measure_key(c.measure)));
        const auto edges = weighted_edges(abc, c.measure, 6, 0);
        ASSERT_EQ(edges.size(), 2u); // B–C never co-occurs; the diagonal is never an edge
        EXPECT_EQ(edges[0].source, 0u);
        EXPECT_EQ(edges[0].target, 1u);
        EXPECT_EQ(edges[0].cooccurrence, 2);
        EXPECT_DOUBLE_EQ(edges[0].weight, c.ab);
        EXPECT_EQ(edges[1].target, 2u);
        EXPECT_DOUBLE_EQ(edges[1].weight, c.ac);
        EXPECT_EQ(measure_from_key(measure_key(c.measure)), c.measure);
    }
    EXPECT_EQ(measure_from_key("Cosine"), std::nullopt);
    EXPECT_EQ(measure_caption(Measure::association), "关联强度");
}

TEST(Measures, MinimumWeightAndDegenerateDenominators) {
    // 0.5 stays at a minimum of 0.5; 1/6 goes.
    const auto edges = weighted_edges(abc, Measure::jaccard, 6, 0.5);
    ASSERT_EQ(edges.size(), 1u);
    EXPECT_EQ(edges[0].target, 1u);
    EXPECT_TRUE(weighted_edges(abc, Measure::raw, 6, 2.5).empty());
    // A value stored twice in an article can make c exceed a count: such a pair weighs 1.
    EXPECT_DOUBLE_EQ(edge_weight(Measure::jaccard, 4, 2, 2, 3), 1.0);
    EXPECT_DOUBLE_EQ(edge_weight(Measure::inclusion, 3, 0, 2, 3), 1.0);
    EXPECT_DOUBLE_EQ(edge_weight(Measure::association, 0, 0, 0, 3), 0.0);
}

TEST(Numbers, ParseNumber) {
    EXPECT_EQ(parse_number("0.25"), 0.25);
    EXPECT_EQ(parse_number(" 2 "), 2.0);
    EXPECT_EQ(parse_number(".5"), 0.5);
    EXPECT_EQ(parse_number("1e-3"), 0.001);
    for (const char* bad : {"", " ", "-1", "+1", "1,5", "inf", "nan", "0.5x", "1e999"}) {
        EXPECT_EQ(parse_number(bad), std::nullopt) << bad;
    }
}

// Two groups of five values, every pair within a group co-occurring 5 times, joined by one
// pair co-occurring once; value 10 co-occurs with nothing.
analysis::CooccurrenceMatrix two_groups() {
    std::vector<std::tuple<int, int, long long>> pairs;
    for (int g : {0, 5}) {
        for (int i = g; i < g + 5; ++i) {
            for (int j = i + 1; j < g + 5; ++j) {
                pairs.emplace_back(i, j, 5);
            }
        }
    }
    pairs.emplace_back(4, 5, 1);
    std::vector<std::string> values;
    for (int i = 0; i <= 10; ++i) {
        values.push_back("v" + std::to_string(i));
    }
    return matrix(values, {20, 19, 18, 17, 16, 15, 14, 13, 12, 11, 10}, pairs);
}

TEST(Clusters, TwoDenseGroupsJoinedByAWeakPairGiveTwoClusters) {
    const auto m = two_groups();
    for (ClusterMethod method : {ClusterMethod::leiden, ClusterMethod::louvain}) {
        Options options;
        options.method = method;
        const Network net = build_network(m, 40, options, quiet);
        ASSERT_EQ(net.nodes.size(), 11u);
        ASSERT_EQ(net.clusters.size(), 3u);
        EXPECT_EQ(net.clusters[0].members, (std::vector<std::uint32_t>{0, 1, 2, 3, 4}));
        EXPECT_EQ(net.clusters[1].members, (std::vector<std::uint32_t>{5, 6, 7, 8, 9}));
        EXPECT_EQ(net.clusters[2].members, (std::vector<std::uint32_t>{10})); // isolated
        EXPECT_EQ(net.nodes[3].cluster, 1);
        EXPECT_EQ(net.nodes[7].cluster, 2);
        EXPECT_EQ(net.nodes[10].cluster, 3);
        EXPECT_GT(net.modularity, 0.4);
        EXPECT_EQ(top_values(net, net.clusters[1], 2), (std::vector<std::string>{"v5", "v6"}));
    }
}

TEST(Clusters, PerNodeFiguresAndDroppedIsolatedValues) {
    Options options;
    options.drop_isolated = true;
    const Network net = build_network(two_groups(), 40, options, quiet);
    ASSERT_EQ(net.nodes.size(), 10u); // v10 left out
    EXPECT_EQ(net.edges.size(), 21u);
    const Node& v4 = net.nodes[4];
    EXPECT_EQ(v4.label, "v4");
    EXPECT_EQ(v4.count, 16);
    EXPECT_EQ(v4.degree, 5);
    EXPECT_DOUBLE_EQ(v4.strength, 4 * 5 + 1);
    EXPECT_EQ(net.nodes[0].degree, 4);
    EXPECT_DOUBLE_EQ(net.nodes[0].strength, 20);
    EXPECT_EQ(net.clusters.size(), 2u);
}

TEST(Layout, SameSeedSameResultAndEverythingInTheUnitSquare) {
    const auto m = two_groups();
    Options options;
    options.seed = 7;
    const Network a = build_network(m, 40, options, quiet);
    const Network b = build_network(m, 40, options, quiet);
    ASSERT_EQ(a.nodes.size(), b.nodes.size());
    std::set<std::pair<double, double>> distinct;
    for (std::size_t i = 0; i < a.nodes.size(); ++i) {
        EXPECT_EQ(a.nodes[i].x, b.nodes[i].x);
        EXPECT_EQ(a.nodes[i].y, b.nodes[i].y);
        EXPECT_EQ(a.nodes[i].cluster, b.nodes[i].cluster);
        EXPECT_GE(a.nodes[i].x, 0.0);
        EXPECT_LE(a.nodes[i].x, 1.0);
        EXPECT_GE(a.nodes[i].y, 0.0);
        EXPECT_LE(a.nodes[i].y, 1.0);
        distinct.insert({a.nodes[i].x, a.nodes[i].y});
    }
    EXPECT_EQ(distinct.size(), a.nodes.size());
    // The isolated value lies in the band beneath the linked ones.
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_LT(a.nodes[i].y, a.nodes[10].y);
    }
    options.seed = 8;
    const Network c = build_network(m, 40, options, quiet);
    bool moved = false;
    for (std::size_t i = 0; i < 10; ++i) {
        moved = moved || c.nodes[i].x != a.nodes[i].x;
    }
    EXPECT_TRUE(moved);
}

TEST(Layout, EmptyAndEdgelessNetworks) {
    const Network none = build_network(matrix({}, {}, {}), 0, Options{}, quiet);
    EXPECT_TRUE(none.nodes.empty());
    EXPECT_TRUE(none.clusters.empty());
    const Network lone = build_network(matrix({"x", "y"}, {3, 2}, {}), 4, Options{}, quiet);
    ASSERT_EQ(lone.clusters.size(), 2u);
    EXPECT_EQ(lone.nodes[0].cluster, 1);
    EXPECT_EQ(lone.nodes[1].cluster, 2);
    EXPECT_NE(lone.nodes[0].x, lone.nodes[1].x);
    Options drop;
    drop.drop_isolated = true;
    EXPECT_TRUE(build_network(matrix({"x"}, {3}, {}), 4, drop, quiet).nodes.empty());
}

} // namespace

namespace {

// A large part (past a thousand values, where the layout switches to its grid) and ten
// pairs apart from it: the pairs stay near, so the large part still fills a good share of
// the drawing instead of shrinking into a corner.
TEST(Layout, SmallPartsStayNearTheLargeOne) {
    constexpr int large = 1080;
    std::vector<std::tuple<int, int, long long>> pairs;
    for (int i = 0; i < large; ++i) {
        for (int step : {1, 7, 31}) {
            pairs.emplace_back(i, (i + step) % large, 2);
        }
    }
    for (int k = large; k < large + 20; k += 2) {
        pairs.emplace_back(k, k + 1, 3);
    }
    std::vector<std::string> values;
    for (int i = 0; i < large + 20; ++i) {
        values.push_back("v" + std::to_string(i));
    }
    const Network net = build_network(
        matrix(values, std::vector<long long>(values.size(), 9), pairs), 50, Options{}, quiet);
    double min_x = 1, max_x = 0, min_y = 1, max_y = 0;
    for (int i = 0; i < large; ++i) {
        min_x = std::min(min_x, net.nodes[i].x);
        max_x = std::max(max_x, net.nodes[i].x);
        min_y = std::min(min_y, net.nodes[i].y);
        max_y = std::max(max_y, net.nodes[i].y);
    }
    EXPECT_GT(std::max(max_x - min_x, max_y - min_y), 0.8) << max_x - min_x << " " << max_y - min_y;
}

} // namespace
