// The network files of a three-value network, line by line, and read back by igraph.
#include "network/network.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <igraph.h>

#include <cstdio>
#include <sstream>

using namespace lumacite;
using namespace lumacite::network;
using lumacite::testing::read_file;
using lumacite::testing::TempDir;

namespace {

// Values with a comma, quotes, a TAB and Chinese characters.
Network three_values() {
    Network net;
    net.measure = Measure::association;
    net.nodes = {
        {"王伟", 3, 1, 2, 0.75, 0.1, 0.2},
        {"Smith, J \"Jr\"", 2, 1, 1, 0.5, 1, 0},
        {"a\tb & <c>", 1, 2, 1, 0.25, 0.5, 0.875},
    };
    net.edges = {{0, 1, 2, 0.5}, {0, 2, 1, 0.25}};
    net.clusters = {{1, {0, 1}}, {2, {2}}};
    return net;
}

template <class Writer> std::string written(Writer writer) {
    std::ostringstream out;
    writer(out, three_values());
    return out.str();
}

// Reads a file with igraph, its C attribute handler keeping the attributes.
class ReadBack {
public:
    ReadBack() { igraph_set_attribute_table(&igraph_cattribute_table); }
    ~ReadBack() {
        if (loaded_) {
            igraph_destroy(&graph);
        }
    }
    template <class Reader> void read(const std::filesystem::path& file, Reader reader) {
        FILE* in = std::fopen(file.c_str(), "rb");
        ASSERT_NE(in, nullptr);
        const igraph_error_t rc = reader(&graph, in);
        std::fclose(in);
        ASSERT_EQ(rc, IGRAPH_SUCCESS);
        loaded_ = true;
    }
    igraph_t graph;

private:
    bool loaded_ = false;
};

TEST(NetworkFiles, PajekLineByLine) {
    EXPECT_EQ(written(write_pajek), "*Vertices 3\n"
                                    "1 \"王伟\"\n"
                                    "2 \"Smith, J ″Jr″\"\n"
                                    "3 \"a\tb & <c>\"\n"
                                    "*Edges\n"
                                    "1 2 0.5\n"
                                    "1 3 0.25\n");
}

TEST(NetworkFiles, VosviewerMapAndNetworkLineByLine) {
    EXPECT_EQ(written(write_vosviewer_map),
              "id\tlabel\tx\ty\tcluster\tweight<Occurrences>\tweight<Links>\t"
              "weight<Total link strength>\n"
              "1\t王伟\t0.100000\t0.800000\t1\t3\t2\t0.75\n"
              "2\t\"Smith, J \"\"Jr\"\"\"\t1.000000\t1.000000\t1\t2\t1\t0.5\n"
              "3\t\"a\tb & <c>\"\t0.500000\t0.125000\t2\t1\t1\t0.25\n");
    EXPECT_EQ(written(write_vosviewer_network), "1\t2\t0.5\n1\t3\t0.25\n");
}

TEST(NetworkFiles, CsvLineByLine) {
    EXPECT_EQ(written(write_nodes_csv), "\xEF\xBB\xBFId,Label,Count,Cluster,Degree,Strength,X,Y\r\n"
                                        "1,王伟,3,1,2,0.75,0.100000,0.200000\r\n"
                                        "2,\"Smith, J \"\"Jr\"\"\",2,1,1,0.5,1.000000,0.000000\r\n"
                                        "3,a\tb & <c>,1,2,1,0.25,0.500000,0.875000\r\n");
    EXPECT_EQ(written(write_edges_csv), "\xEF\xBB\xBFSource,Target,Type,Weight,Cooccurrence\r\n"
                                        "1,2,Undirected,0.5,2\r\n"
                                        "1,3,Undirected,0.25,1\r\n");
}

TEST(NetworkFiles, GraphmlNodesAndEdges) {
    const std::string xml = written(write_graphml);
    EXPECT_NE(xml.find("<graph id=\"association\" edgedefault=\"undirected\">"), std::string::npos);
    EXPECT_NE(xml.find("    <node id=\"n2\"><data key=\"label\">Smith, J &quot;Jr&quot;</data>"
                       "<data key=\"count\">2</data><data key=\"cluster\">1</data>"
                       "<data key=\"degree\">1</data><data key=\"strength\">0.5</data>"
                       "<data key=\"x\">1.000000</data><data key=\"y\">0.000000</data></node>\n"),
              std::string::npos);
    EXPECT_NE(xml.find("<data key=\"label\">a\tb &amp; &lt;c&gt;</data>"), std::string::npos);
    EXPECT_NE(xml.find("    <edge source=\"n1\" target=\"n3\"><data key=\"weight\">0.25</data>"
                       "<data key=\"cooccurrence\">1</data></edge>\n"),
              std::string::npos);
}

TEST(NetworkFiles, IgraphReadsEveryFileBack) {
    TempDir dir;
    const Network net = three_values();
    ASSERT_EQ(write_network_files(net, FileFormat::graphml, dir / "n"),
              std::vector<std::filesystem::path>{dir / "n.graphml"});
    {
        ReadBack g;
        g.read(dir / "n.graphml",
               [](igraph_t* graph, FILE* in) { return igraph_read_graph_graphml(graph, in, 0); });
        ASSERT_EQ(igraph_vcount(&g.graph), 3);
        ASSERT_EQ(igraph_ecount(&g.graph), 2);
        EXPECT_FALSE(igraph_is_directed(&g.graph));
        EXPECT_STREQ(VAS(&g.graph, "label", 0), "王伟");
        EXPECT_STREQ(VAS(&g.graph, "label", 1), "Smith, J \"Jr\"");
        EXPECT_STREQ(VAS(&g.graph, "label", 2), "a\tb & <c>");
        EXPECT_EQ(VAN(&g.graph, "count", 0), 3);
        EXPECT_EQ(VAN(&g.graph, "cluster", 2), 2);
        EXPECT_EQ(VAN(&g.graph, "strength", 0), 0.75);
        EXPECT_EQ(VAN(&g.graph, "y", 2), 0.875);
        EXPECT_EQ(EAN(&g.graph, "weight", 1), 0.25);
        EXPECT_EQ(EAN(&g.graph, "cooccurrence", 0), 2);
    }

    write_network_files(net, FileFormat::pajek, dir / "p.net");
    {
        ReadBack g;
        g.read(dir / "p.net", igraph_read_graph_pajek);
        ASSERT_EQ(igraph_vcount(&g.graph), 3);
        ASSERT_EQ(igraph_ecount(&g.graph), 2);
        EXPECT_STREQ(VAS(&g.graph, "id", 0), "王伟");
        EXPECT_STREQ(VAS(&g.graph, "id", 1), "Smith, J ″Jr″");
        EXPECT_STREQ(VAS(&g.graph, "id", 2), "a\tb & <c>");
        EXPECT_EQ(EAN(&g.graph, "weight", 0), 0.5);
        igraph_integer_t from = 0;
        igraph_integer_t to = 0;
        igraph_edge(&g.graph, 1, &from, &to);
        EXPECT_EQ(from, 0);
        EXPECT_EQ(to, 2);
    }

    EXPECT_EQ(write_network_files(net, FileFormat::vosviewer, dir / "v.txt"),
              (std::vector<std::filesystem::path>{dir / "v_map.txt", dir / "v_network.txt"}));
    {
        ReadBack g;
        g.read(dir / "v_network.txt", [](igraph_t* graph, FILE* in) {
            return igraph_read_graph_ncol(graph, in, nullptr, true, IGRAPH_ADD_WEIGHTS_YES,
                                          IGRAPH_UNDIRECTED);
        });
        ASSERT_EQ(igraph_ecount(&g.graph), 2);
        EXPECT_STREQ(VAS(&g.graph, "name", 0), "1");
        EXPECT_EQ(EAN(&g.graph, "weight", 0), 0.5);
        EXPECT_EQ(EAN(&g.graph, "weight", 1), 0.25);
    }
    EXPECT_EQ(read_file(dir / "v_map.txt"), written(write_vosviewer_map));

    EXPECT_EQ(write_network_files(net, FileFormat::csv, dir / "c.CSV"),
              (std::vector<std::filesystem::path>{dir / "c_nodes.csv", dir / "c_edges.csv"}));
    EXPECT_EQ(read_file(dir / "c_edges.csv"), written(write_edges_csv));
}

TEST(NetworkFiles, NamesAndWriteFailures) {
    EXPECT_EQ(network_file_paths(FileFormat::pajek, "a/m.NET"),
              std::vector<std::filesystem::path>{"a/m.NET"});
    EXPECT_EQ(network_file_paths(FileFormat::pajek, "m.txt"),
              std::vector<std::filesystem::path>{"m.txt.net"});
    EXPECT_EQ(network_file_paths(FileFormat::graphml, "m"),
              std::vector<std::filesystem::path>{"m.graphml"});
    EXPECT_EQ(network_file_paths(FileFormat::csv, "m.txt"),
              (std::vector<std::filesystem::path>{"m.txt_nodes.csv", "m.txt_edges.csv"}));
    EXPECT_EQ(file_format_from_key("gml"), std::nullopt);
    TempDir dir;
    const auto target = dir / "missing" / "m";
    try {
        write_network_files(three_values(), FileFormat::csv, target);
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "无法写入文件：" + (dir / "missing" / "m_nodes.csv").string());
    }
}

} // namespace
