// The network files: Pajek, VOSviewer map and network, GraphML, node and edge CSV.
#include "messages.h"
#include "network/network.h"

#include <cctype>
#include <charconv>
#include <fstream>
#include <ostream>
#include <stdexcept>

namespace lumacite::network {

namespace {

// The shortest text that reads back as the same double.
std::string number(double value) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

std::string position(double value) {
    char buffer[32];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

std::string pajek_label(std::string_view label) {
    std::string out;
    for (char c : label) {
        if (c == '"') {
            out += "″";
        } else if (c == '\r' || c == '\n') {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

// A field between separators: quoted, with doubled quotes, when it holds the separator, a
// quote or a line break.
std::string delimited(std::string_view field, char separator) {
    if (field.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string_view::npos) {
        return std::string(field);
    }
    std::string out = "\"";
    for (char c : field) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
    return out;
}

// Text as XML element content: markup characters escaped, characters XML 1.0 cannot hold
// (control characters other than TAB, LF and CR) left out.
std::string xml_text(std::string_view text) {
    std::string out;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            if (u >= 0x20 || c == '\t' || c == '\n' || c == '\r') {
                out += c;
            }
        }
    }
    return out;
}

void write_file(const std::filesystem::path& path, void (*writer)(std::ostream&, const Network&),
                const Network& network) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) {
        writer(out, network);
        out.flush();
    }
    if (!out) {
        throw std::runtime_error(std::string(msg::file_cannot_write) + path.string());
    }
}

bool ends_with(const std::filesystem::path& path, std::string_view ending) {
    const std::string name = path.filename().string();
    if (name.size() < ending.size()) {
        return false;
    }
    for (std::size_t k = 0; k < ending.size(); ++k) {
        const char a = name[name.size() - ending.size() + k];
        if (std::tolower(static_cast<unsigned char>(a)) != ending[k]) {
            return false;
        }
    }
    return true;
}

std::filesystem::path pair_name(const std::filesystem::path& chosen, std::string_view ending,
                                std::string_view part) {
    std::string name = chosen.filename().string();
    if (ends_with(chosen, ending)) {
        name.resize(name.size() - ending.size());
    }
    return chosen.parent_path() / (name + std::string(part));
}

} // namespace

std::filesystem::path with_ending(const std::filesystem::path& path, std::string_view ending) {
    std::filesystem::path p = path;
    if (!ends_with(path, ending)) {
        p += std::string(ending);
    }
    return p;
}

std::optional<FileFormat> file_format_from_key(std::string_view key) {
    if (key == "pajek") {
        return FileFormat::pajek;
    }
    if (key == "vosviewer") {
        return FileFormat::vosviewer;
    }
    if (key == "graphml") {
        return FileFormat::graphml;
    }
    if (key == "csv") {
        return FileFormat::csv;
    }
    return std::nullopt;
}

std::vector<std::filesystem::path> network_file_paths(FileFormat format,
                                                      const std::filesystem::path& chosen) {
    switch (format) {
    case FileFormat::pajek:
        return {with_ending(chosen, ".net")};
    case FileFormat::graphml:
        return {with_ending(chosen, ".graphml")};
    case FileFormat::vosviewer:
        return {pair_name(chosen, ".txt", "_map.txt"), pair_name(chosen, ".txt", "_network.txt")};
    case FileFormat::csv:
        return {pair_name(chosen, ".csv", "_nodes.csv"), pair_name(chosen, ".csv", "_edges.csv")};
    }
    return {};
}

std::vector<std::filesystem::path> write_network_files(const Network& network, FileFormat format,
                                                       const std::filesystem::path& chosen) {
    const auto paths = network_file_paths(format, chosen);
    switch (format) {
    case FileFormat::pajek:
        write_file(paths[0], write_pajek, network);
        break;
    case FileFormat::graphml:
        write_file(paths[0], write_graphml, network);
        break;
    case FileFormat::vosviewer:
        write_file(paths[0], write_vosviewer_map, network);
        write_file(paths[1], write_vosviewer_network, network);
        break;
    case FileFormat::csv:
        write_file(paths[0], write_nodes_csv, network);
        write_file(paths[1], write_edges_csv, network);
        break;
    }
    return paths;
}

void write_pajek(std::ostream& out, const Network& network) {
    out << "*Vertices " << network.nodes.size() << '\n';
    for (std::size_t i = 0; i < network.nodes.size(); ++i) {
        out << i + 1 << " \"" << pajek_label(network.nodes[i].label) << "\"\n";
    }
    out << "*Edges\n";
    for (const Edge& e : network.edges) {
        out << e.source + 1 << ' ' << e.target + 1 << ' ' << number(e.weight) << '\n';
    }
}

void write_vosviewer_map(std::ostream& out, const Network& network) {
    out << "id\tlabel\tx\ty\tcluster\tweight<Occurrences>\tweight<Links>\t"
           "weight<Total link strength>\n";
    for (std::size_t i = 0; i < network.nodes.size(); ++i) {
        const Node& n = network.nodes[i];
        // VOSviewer's y axis grows upwards.
        out << i + 1 << '\t' << delimited(n.label, '\t') << '\t' << position(n.x) << '\t'
            << position(1.0 - n.y) << '\t' << n.cluster << '\t' << n.count << '\t' << n.degree
            << '\t' << number(n.strength) << '\n';
    }
}

void write_vosviewer_network(std::ostream& out, const Network& network) {
    for (const Edge& e : network.edges) {
        out << e.source + 1 << '\t' << e.target + 1 << '\t' << number(e.weight) << '\n';
    }
}

void write_graphml(std::ostream& out, const Network& network) {
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<graphml xmlns=\"http://graphml.graphdrawing.org/xmlns\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
           "xsi:schemaLocation=\"http://graphml.graphdrawing.org/xmlns "
           "http://graphml.graphdrawing.org/xmlns/1.0/graphml.xsd\">\n"
           "  <key id=\"label\" for=\"node\" attr.name=\"label\" attr.type=\"string\"/>\n"
           "  <key id=\"count\" for=\"node\" attr.name=\"count\" attr.type=\"long\"/>\n"
           "  <key id=\"cluster\" for=\"node\" attr.name=\"cluster\" attr.type=\"int\"/>\n"
           "  <key id=\"degree\" for=\"node\" attr.name=\"degree\" attr.type=\"int\"/>\n"
           "  <key id=\"strength\" for=\"node\" attr.name=\"strength\" attr.type=\"double\"/>\n"
           "  <key id=\"x\" for=\"node\" attr.name=\"x\" attr.type=\"double\"/>\n"
           "  <key id=\"y\" for=\"node\" attr.name=\"y\" attr.type=\"double\"/>\n"
           "  <key id=\"weight\" for=\"edge\" attr.name=\"weight\" attr.type=\"double\"/>\n"
           "  <key id=\"cooccurrence\" for=\"edge\" attr.name=\"cooccurrence\" "
           "attr.type=\"long\"/>\n"
           "  <graph id=\""
        << measure_key(network.measure) << "\" edgedefault=\"undirected\">\n";
    for (std::size_t i = 0; i < network.nodes.size(); ++i) {
        const Node& n = network.nodes[i];
        out << "    <node id=\"n" << i + 1 << "\">"
            << "<data key=\"label\">" << xml_text(n.label) << "</data>"
            << "<data key=\"count\">" << n.count << "</data>"
            << "<data key=\"cluster\">" << n.cluster << "</data>"
            << "<data key=\"degree\">" << n.degree << "</data>"
            << "<data key=\"strength\">" << number(n.strength) << "</data>"
            << "<data key=\"x\">" << position(n.x) << "</data>"
            << "<data key=\"y\">" << position(n.y) << "</data></node>\n";
    }
    for (const Edge& e : network.edges) {
        out << "    <edge source=\"n" << e.source + 1 << "\" target=\"n" << e.target + 1 << "\">"
            << "<data key=\"weight\">" << number(e.weight) << "</data>"
            << "<data key=\"cooccurrence\">" << e.cooccurrence << "</data></edge>\n";
    }
    out << "  </graph>\n</graphml>\n";
}

void write_nodes_csv(std::ostream& out, const Network& network) {
    out << "\xEF\xBB\xBFId,Label,Count,Cluster,Degree,Strength,X,Y\r\n";
    for (std::size_t i = 0; i < network.nodes.size(); ++i) {
        const Node& n = network.nodes[i];
        out << i + 1 << ',' << delimited(n.label, ',') << ',' << n.count << ',' << n.cluster << ','
            << n.degree << ',' << number(n.strength) << ',' << position(n.x) << ',' << position(n.y)
            << "\r\n";
    }
}

void write_edges_csv(std::ostream& out, const Network& network) {
    out << "\xEF\xBB\xBFSource,Target,Type,Weight,Cooccurrence\r\n";
    for (const Edge& e : network.edges) {
        out << e.source + 1 << ',' << e.target + 1 << ",Undirected," << number(e.weight) << ','
            << e.cooccurrence << "\r\n";
    }
}

} // namespace lumacite::network
