// Drawing of the network map and its PNG and SVG pictures.
#include "map/network_map.h"

#include "messages.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QLineF>
#include <QList>
#include <QRectF>
#include <QString>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <unordered_map>

namespace lumacite::map {

namespace {

constexpr int level_count = 8;
constexpr std::size_t smooth_edge_limit = 5000;

QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QFont label_font(double pixels) {
    QFont font;
    font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Microsoft YaHei"), QStringLiteral("SimSun")});
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    return font;
}

// Placed label boxes in a coarse grid, so that each new box is tested against its
// neighbourhood only.
class LabelGrid {
public:
    explicit LabelGrid(double cell) : cell_(cell) {}
    bool free(const QRectF& box) const {
        bool clear = true;
        visit(box, [&](long long key) {
            const auto it = cells_.find(key);
            if (it == cells_.end()) {
                return;
            }
            for (const QRectF& other : it->second) {
                if (other.intersects(box)) {
                    clear = false;
                    return;
                }
            }
        });
        return clear;
    }
    void add(const QRectF& box) {
        visit(box, [&](long long key) { cells_[key].push_back(box); });
    }

private:
    template <class F> void visit(const QRectF& box, F f) const {
        const auto x0 = static_cast<long long>(std::floor(box.left() / cell_));
        const auto x1 = static_cast<long long>(std::floor(box.right() / cell_));
        const auto y0 = static_cast<long long>(std::floor(box.top() / cell_));
        const auto y1 = static_cast<long long>(std::floor(box.bottom() / cell_));
        for (long long x = x0; x <= x1; ++x) {
            for (long long y = y0; y <= y1; ++y) {
                f(x * 1000003LL + y);
            }
        }
    }
    double cell_;
    std::unordered_map<long long, std::vector<QRectF>> cells_;
};

} // namespace

QColor cluster_colour(int cluster) {
    static const QColor palette[] = {
        QColor(0xd6, 0x27, 0x28), QColor(0x1f, 0x77, 0xb4), QColor(0x2c, 0xa0, 0x2c),
        QColor(0xff, 0x7f, 0x0e), QColor(0x94, 0x67, 0xbd), QColor(0x17, 0xbe, 0xcf),
        QColor(0xe3, 0x77, 0xc2), QColor(0x8c, 0x56, 0x4b), QColor(0xbc, 0xbd, 0x22),
        QColor(0x39, 0x3b, 0x79), QColor(0xad, 0x49, 0x4a), QColor(0x63, 0x79, 0x39),
    };
    constexpr int size = static_cast<int>(std::size(palette));
    if (cluster >= 1 && cluster <= size) {
        return palette[cluster - 1];
    }
    // Past the palette: hues a golden angle apart, softer than the palette's.
    return QColor::fromHsv(static_cast<int>(std::fmod(cluster * 137.508, 360.0)), 110, 205);
}

double View::scale() const {
    return std::min(size.width(), size.height()) * 0.9 * zoom;
}

QPointF View::to_screen(double x, double y) const {
    const double s = scale();
    return {(x - centre.x()) * s + size.width() / 2, (y - centre.y()) * s + size.height() / 2};
}

QPointF View::to_map(QPointF screen) const {
    const double s = scale();
    return {(screen.x() - size.width() / 2) / s + centre.x(),
            (screen.y() - size.height() / 2) / s + centre.y()};
}

NetworkMap::NetworkMap(network::Network network) : network_(std::move(network)) {
    const auto& nodes = network_.nodes;
    for (const auto& n : nodes) {
        max_count_ = std::max(max_count_, n.count);
    }
    neighbours_.resize(nodes.size());
    double max_weight = 0;
    for (const auto& e : network_.edges) {
        max_weight = std::max(max_weight, e.weight);
        neighbours_[e.source].push_back(e.target);
        neighbours_[e.target].push_back(e.source);
    }
    for (auto& list : neighbours_) {
        std::sort(list.begin(), list.end());
    }
    // Levels by the square root of the relative weight, so that the many light edges of a
    // skewed distribution still differ.
    levels_.resize(level_count);
    for (std::uint32_t k = 0; k < network_.edges.size(); ++k) {
        const double t = max_weight > 0 ? std::sqrt(network_.edges[k].weight / max_weight) : 0;
        const int level = std::clamp(static_cast<int>(t * level_count), 0, level_count - 1);
        levels_[static_cast<std::size_t>(level)].push_back(k);
    }
    paint_order_.resize(nodes.size());
    for (std::uint32_t i = 0; i < nodes.size(); ++i) {
        paint_order_[i] = i;
    }
    std::stable_sort(
        paint_order_.begin(), paint_order_.end(),
        [&](std::uint32_t a, std::uint32_t b) { return nodes[a].count < nodes[b].count; });
}

double NetworkMap::radius(std::size_t node, const View& view) const {
    const double relative = std::sqrt(static_cast<double>(network_.nodes[node].count) /
                                      static_cast<double>(max_count_));
    // The largest circle takes a share of the drawing that shrinks as the network grows; the
    // smallest is a quarter of it, never below two pixels.
    const double largest =
        view.scale() *
        std::min(0.045, 0.5 / std::sqrt(static_cast<double>(network_.nodes.size()) + 16));
    return std::max(2.0, largest * (0.25 + 0.75 * relative));
}

int NetworkMap::node_at(QPointF screen, const View& view) const {
    for (auto it = paint_order_.rbegin(); it != paint_order_.rend(); ++it) {
        const auto& n = network_.nodes[*it];
        const QPointF p = view.to_screen(n.x, n.y);
        const double r = radius(*it, view);
        const double dx = p.x() - screen.x();
        const double dy = p.y() - screen.y();
        if (dx * dx + dy * dy <= r * r) {
            return static_cast<int>(*it);
        }
    }
    return -1;
}

std::vector<QString> NetworkMap::legend_lines(std::size_t top) const {
    std::vector<QString> lines;
    for (const auto& c : network_.clusters) {
        QStringList values;
        for (const auto& v : network::top_values(network_, c, top)) {
            values << qs(v);
        }
        lines.push_back(QString::fromUtf8(msg::network_legend_cluster) + QString::number(c.id) +
                        QStringLiteral("（%1）：").arg(c.members.size()) +
                        values.join(QStringLiteral("、")));
    }
    return lines;
}

void NetworkMap::paint(QPainter& painter, const View& whole, const Decoration& decoration) const {
    const auto& nodes = network_.nodes;
    const auto& edges = network_.edges;
    painter.fillRect(QRectF(QPointF(0, 0), whole.size), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing, true);
    // With a legend the map keeps the left part and the legend takes a column at the right.
    View view = whole;
    if (decoration.legend && !network_.clusters.empty()) {
        const double column = paint_legend(painter, whole.size);
        view.size.setWidth(std::max(1.0, whole.size.width() - column));
    }

    std::vector<QPointF> at(nodes.size());
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        at[i] = view.to_screen(nodes[i].x, nodes[i].y);
    }
    const bool selecting =
        decoration.selected >= 0 && decoration.selected < static_cast<int>(nodes.size());
    std::vector<char> near(nodes.size(), selecting ? 0 : 1);
    if (selecting) {
        near[static_cast<std::size_t>(decoration.selected)] = 1;
        for (std::uint32_t n : neighbours_[static_cast<std::size_t>(decoration.selected)]) {
            near[n] = 1;
        }
    }

    // Edges: one batch of lines per weight level. Antialiased wide lines cost many times more
    // than plain ones, so a large network draws plain lines of whole-pixel widths.
    const bool smooth = edges.size() <= smooth_edge_limit;
    painter.setRenderHint(QPainter::Antialiasing, smooth);
    QList<QLineF> lines;
    for (int level = 0; level < level_count; ++level) {
        const auto& batch = levels_[static_cast<std::size_t>(level)];
        if (batch.empty()) {
            continue;
        }
        const double t = (level + 0.5) / level_count;
        lines.clear();
        lines.reserve(static_cast<qsizetype>(batch.size()));
        for (std::uint32_t k : batch) {
            lines.append(QLineF(at[edges[k].source], at[edges[k].target]));
        }
        QColor colour(0x70, 0x80, 0x90);
        const double alpha = selecting ? 0.06 : 0.2 + 0.6 * t;
        if (smooth) {
            colour.setAlphaF(alpha);
        } else {
            // Opaque: the colour as it would show over the white background, which spares
            // the blending of every pixel.
            colour =
                QColor::fromRgbF(1 - alpha * (1 - colour.redF()), 1 - alpha * (1 - colour.greenF()),
                                 1 - alpha * (1 - colour.blueF()));
        }
        QPen pen(colour, smooth ? 0.6 + 2.8 * t : (t < 0.5 ? 1.0 : t < 0.85 ? 2.0 : 3.0));
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.drawLines(lines);
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (selecting) {
        const auto s = static_cast<std::uint32_t>(decoration.selected);
        QColor colour = cluster_colour(nodes[s].cluster);
        colour.setAlphaF(0.8);
        painter.setPen(QPen(colour, 1.6));
        lines.clear();
        for (const auto& e : edges) {
            if (e.source == s || e.target == s) {
                lines.append(QLineF(at[e.source], at[e.target]));
            }
        }
        painter.drawLines(lines);
    }

    // Nodes, smallest first so that large ones stay visible.
    for (std::uint32_t i : paint_order_) {
        QColor fill = cluster_colour(nodes[i].cluster);
        QColor line = fill.darker(140);
        if (!near[i]) {
            fill.setAlphaF(0.15);
            line.setAlphaF(0.2);
        } else {
            fill.setAlphaF(0.85);
        }
        painter.setPen(QPen(line, static_cast<int>(i) == decoration.selected ? 2.5 : 0.8));
        painter.setBrush(fill);
        const double r = radius(i, view);
        painter.drawEllipse(at[i], r, r);
    }

    // Labels of the larger nodes first; a label that would overlap a placed one is left out.
    const QRectF area(QPointF(0, 0), view.size);
    LabelGrid placed(48);
    std::unordered_map<int, std::pair<QFont, QFontMetricsF>> fonts;
    for (auto it = paint_order_.rbegin(); it != paint_order_.rend(); ++it) {
        const std::uint32_t i = *it;
        if (!near[i]) {
            continue;
        }
        const double r = radius(i, view);
        const int pixels = std::clamp(static_cast<int>(std::lround(6 + r * 0.9)), 9, 22);
        auto f = fonts.find(pixels);
        if (f == fonts.end()) {
            const QFont font = label_font(pixels);
            f = fonts.emplace(pixels, std::make_pair(font, QFontMetricsF(font))).first;
        }
        const QString text = qs(nodes[i].label);
        const QFontMetricsF& metrics = f->second.second;
        const double w = metrics.horizontalAdvance(text);
        const double h = metrics.height();
        QRectF box(at[i].x() - w / 2, at[i].y() + r * 0.2 - h / 2, w, h);
        if (!area.intersects(box)) {
            continue;
        }
        // A label that would stick out at a side is moved in, as long as its node is in view.
        if (area.contains(at[i])) {
            box.moveLeft(std::clamp(box.left(), 0.0, std::max(0.0, area.width() - w)));
        }
        if (!placed.free(box)) {
            continue;
        }
        placed.add(box);
        painter.setFont(f->second.first);
        painter.setPen(QColor(0x20, 0x20, 0x20));
        painter.drawText(box, Qt::AlignCenter, text);
    }
}

double NetworkMap::paint_legend(QPainter& painter, QSizeF size) const {
    const QFont font = label_font(13);
    const QFontMetricsF metrics(font);
    const auto all = legend_lines(3);
    const double line = metrics.height() + 4;
    const auto fits = static_cast<std::size_t>(std::max(1.0, (size.height() - 24) / line));
    const std::size_t shown = std::min(all.size(), fits);
    const double width = size.width() * 0.3;
    const QRectF frame(size.width() - width, 12, width - 12,
                       line * static_cast<double>(shown) + 12);
    painter.setPen(QColor(0xd0, 0xd0, 0xd0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame);
    painter.setFont(font);
    const double text_width = frame.width() - 30;
    for (std::size_t k = 0; k < shown; ++k) {
        const double y = frame.top() + 6 + line * static_cast<double>(k);
        painter.setPen(Qt::NoPen);
        painter.setBrush(cluster_colour(network_.clusters[k].id));
        painter.drawEllipse(QPointF(frame.left() + 12, y + line / 2), 5, 5);
        painter.setPen(QColor(0x20, 0x20, 0x20));
        painter.drawText(QRectF(frame.left() + 24, y, text_width, line),
                         Qt::AlignVCenter | Qt::AlignLeft,
                         metrics.elidedText(all[k], Qt::ElideRight, text_width));
    }
    return width;
}

QString node_tooltip(const network::Network& network, std::size_t node) {
    const auto& n = network.nodes[node];
    return QString::fromUtf8(msg::network_hover_value) + qs(n.label) + QLatin1Char('\n') +
           QString::fromUtf8(msg::network_hover_count) + QString::number(n.count) +
           QLatin1Char('\n') + QString::fromUtf8(msg::network_hover_cluster) +
           QString::number(n.cluster) + QLatin1Char('\n') +
           QString::fromUtf8(msg::network_hover_strength) + QString::number(n.strength, 'g', 6);
}

namespace {

[[noreturn]] void picture_failed(const std::filesystem::path& file) {
    throw std::runtime_error(std::string(msg::network_picture_failed) + file.string());
}

View whole(QSize size) {
    View view;
    view.size = QSizeF(size);
    return view;
}

} // namespace

void save_png(const NetworkMap& map, const std::filesystem::path& file, QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        picture_failed(file);
    }
    {
        QPainter painter(&image);
        map.paint(painter, whole(size), {-1, true});
    }
    if (!image.save(QString::fromStdString(file.string()), "PNG")) {
        picture_failed(file);
    }
}

void save_svg(const NetworkMap& map, const std::filesystem::path& file, QSize size) {
    QSvgGenerator svg;
    svg.setFileName(QString::fromStdString(file.string()));
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(QString::fromUtf8(msg::network_tab));
    {
        QPainter painter;
        if (!painter.begin(&svg)) {
            picture_failed(file);
        }
        map.paint(painter, whole(size), {-1, true});
        painter.end();
    }
    // The generator reports no write error: check that the file is there and not empty.
    std::error_code ec;
    if (std::filesystem::file_size(file, ec) == 0 || ec) {
        picture_failed(file);
    }
}

} // namespace lumacite::map
