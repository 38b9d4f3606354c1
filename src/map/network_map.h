// The drawing of a co-occurrence network: nodes as circles sized by count and coloured by
// cluster, edges whose width and opacity follow the weight (drawn in a few batches, not
// one by one), labels of the larger nodes placed without overlap, an optional legend; the
// same drawing for the window's map, the PNG picture and the SVG picture.
//
// Qt GUI only (no widgets): the command line draws its pictures with it too, on the
// offscreen platform.
#pragma once

#include "network/network.h"

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <filesystem>
#include <vector>

namespace lumacite::map {

// The colour of a cluster (1 …); clusters past the palette share a grey.
QColor cluster_colour(int cluster);

// How the unit square of the layout lies on the drawing area.
struct View {
    QSizeF size;              // of the drawing area, in pixels
    double zoom = 1;          // 1: the whole map fits with a margin
    QPointF centre{0.5, 0.5}; // the map point at the middle of the area
    double scale() const;     // pixels per map unit
    QPointF to_screen(double x, double y) const;
    QPointF to_map(QPointF screen) const;
};

// What the drawing shows besides the network.
struct Decoration {
    int selected = -1;   // a node whose edges and neighbours stand out; -1: none
    bool legend = false; // the cluster legend in a column at the right
};

// A network prepared for drawing: edge batches by weight and each node's neighbours.
class NetworkMap {
public:
    explicit NetworkMap(network::Network network);

    const network::Network& network() const { return network_; }
    // The radius of node i in pixels under a view.
    double radius(std::size_t node, const View& view) const;
    // The node whose circle holds a point of the drawing area (the topmost); -1 when none.
    int node_at(QPointF screen, const View& view) const;
    // The nodes linked to node i, ascending.
    const std::vector<std::uint32_t>& neighbours(std::size_t node) const {
        return neighbours_[node];
    }
    // The legend's lines: "聚类 k（size）：" and the cluster's top values joined by "、".
    std::vector<QString> legend_lines(std::size_t top = 4) const;

    // Draws onto the painter's whole area of `view.size`, background included.
    void paint(QPainter& painter, const View& view, const Decoration& decoration = {}) const;

private:
    // Draws the legend in a column at the right of the area; returns the column's width.
    double paint_legend(QPainter& painter, QSizeF size) const;

    network::Network network_;
    long long max_count_ = 1;
    // Edge indices per weight level, lightest level first.
    std::vector<std::vector<std::uint32_t>> levels_;
    std::vector<std::vector<std::uint32_t>> neighbours_;
    // Node indices, smallest count first: the drawing order.
    std::vector<std::uint32_t> paint_order_;
};

// What hovering a node shows: "值：", "频次：", "聚类：" and "连接强度：" lines.
QString node_tooltip(const network::Network& network, std::size_t node);

// The pictures: the whole map with its legend at the given size. Throw std::runtime_error
// "无法保存图片：" + path when the file cannot be written.
void save_png(const NetworkMap& map, const std::filesystem::path& file, QSize size);
void save_svg(const NetworkMap& map, const std::filesystem::path& file, QSize size);

} // namespace lumacite::map
