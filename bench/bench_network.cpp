// Networks: weights, Leiden clusters and layout of 2,000 values with 100,000 co-occurring
// pairs, and the drawing of the map (the window's paint and the PNG picture) of networks of
// that size. The matrix is generated: 20 topics of 100 values, four pairs in five within a
// topic, counts large enough for every measure.
#include "map/network_map.h"
#include "network/network.h"

#include <QGuiApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <random>
#include <set>

using namespace lumacite;

namespace {

analysis::CooccurrenceMatrix generated(std::size_t n, std::size_t pairs) {
    std::mt19937 rng(12345);
    analysis::CooccurrenceMatrix m;
    for (std::size_t i = 0; i < n; ++i) {
        m.values.push_back("value " + std::to_string(i));
    }
    m.cells.assign(n * n, 0);
    std::uniform_int_distribution<std::size_t> any(0, n - 1);
    std::uniform_int_distribution<std::size_t> within(0, 99);
    std::uniform_int_distribution<int> count(1, 6);
    std::bernoulli_distribution topical(0.8);
    std::set<std::pair<std::size_t, std::size_t>> seen;
    while (seen.size() < pairs) {
        const std::size_t i = any(rng);
        const std::size_t j = topical(rng) ? i / 100 * 100 + within(rng) : any(rng);
        if (i == j || !seen.insert({std::min(i, j), std::max(i, j)}).second) {
            continue;
        }
        m.cells[i * n + j] = m.cells[j * n + i] = count(rng);
    }
    for (std::size_t i = 0; i < n; ++i) {
        long long sum = 0;
        for (std::size_t j = 0; j < n; ++j) {
            sum += m.cells[i * n + j];
        }
        m.cells[i * n + i] = sum / 4 + 6;
    }
    return m;
}

network::Network built(std::size_t n, std::size_t pairs) {
    NullProgress quiet;
    network::Options options;
    options.measure = network::Measure::association;
    return network::build_network(generated(n, pairs), 20000, options, quiet);
}

// Weights, Leiden and layout together, as the window's job and the command run them.
void BM_BuildNetwork(benchmark::State& state) {
    const auto m = generated(2000, 100000);
    NullProgress quiet;
    network::Options options;
    options.measure = network::Measure::association;
    options.method =
        state.range(0) == 0 ? network::ClusterMethod::leiden : network::ClusterMethod::louvain;
    std::size_t clusters = 0;
    for (auto _ : state) {
        const auto net = network::build_network(m, 20000, options, quiet);
        clusters = net.clusters.size();
    }
    state.counters["clusters"] = static_cast<double>(clusters);
}
BENCHMARK(BM_BuildNetwork)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// One frame of the window's map: the whole map, then zoomed in 4 times with a node selected.
void BM_PaintMap(benchmark::State& state) {
    const map::NetworkMap drawing(built(2000, static_cast<std::size_t>(state.range(0))));
    QImage image(1200, 800, QImage::Format_ARGB32_Premultiplied);
    map::View view;
    view.size = QSizeF(1200, 800);
    map::Decoration decoration;
    if (state.range(1) != 0) {
        view.zoom = 4;
        view.centre = QPointF(0.4, 0.45);
        decoration.selected = 0;
    }
    for (auto _ : state) {
        QPainter painter(&image);
        drawing.paint(painter, view, decoration);
    }
    state.counters["edges"] = static_cast<double>(drawing.network().edges.size());
}
BENCHMARK(BM_PaintMap)
    ->Args({20000, 0})
    ->Args({20000, 1})
    ->Args({100000, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A frame while the user pans or zooms: the last picture moved and scaled, as the window's
// map shows it until the movement settles.
void BM_MovingFrame(benchmark::State& state) {
    QImage picture(1200, 800, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::white);
    QImage screen(1200, 800, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&screen);
        painter.fillRect(screen.rect(), Qt::white);
        painter.translate(-37, 21);
        painter.scale(1.25, 1.25);
        painter.drawImage(QPointF(0, 0), picture);
    }
}
BENCHMARK(BM_MovingFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    static int qt_argc = 3;
    static char name[] = "bench_network";
    static char platform[] = "-platform";
    static char offscreen[] = "offscreen";
    static char* qt_argv[] = {name, platform, offscreen, nullptr};
    QGuiApplication app(qt_argc, qt_argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
