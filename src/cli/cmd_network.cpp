// network: the co-occurrence network of a keyword's values as network files, a picture or a
// cluster summary.
#include "analysis/jobs.h"
#include "cli/cli.h"
#include "map/network_map.h"
#include "messages.h"
#include "network/network.h"
#include "text/text.h"

#include <QGuiApplication>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <ostream>

namespace lumacite::cli {
namespace {

double real_option(const std::optional<std::string>& text, const char* name, double fallback,
                   bool positive) {
    if (!text) {
        return fallback;
    }
    const auto value = network::parse_number(*text);
    if (!value || (positive && *value == 0)) {
        throw UsageError(std::string(name) +
                         (positive ? " needs a positive number" : " needs a number not below 0") +
                         ", not \"" + *text + "\"");
    }
    return *value;
}

QSize picture_size(const std::optional<std::string>& text) {
    if (!text) {
        return {1200, 900};
    }
    const auto x = text->find('x');
    int w = 0;
    int h = 0;
    const char* begin = text->data();
    const char* end = begin + text->size();
    if (x != std::string::npos) {
        const auto [w_end, w_ec] = std::from_chars(begin, begin + x, w);
        const auto [h_end, h_ec] = std::from_chars(begin + x + 1, end, h);
        if (w_ec == std::errc() && h_ec == std::errc() && w_end == begin + x && h_end == end &&
            w >= 100 && h >= 100 && w <= 10000 && h <= 10000) {
            return {w, h};
        }
    }
    throw UsageError("--size needs WIDTHxHEIGHT between 100 and 10000, not \"" + *text + "\"");
}

// The pictures are drawn with Qt on its offscreen platform: no display is needed.
std::unique_ptr<QGuiApplication> start_drawing() {
    if (QGuiApplication::instance() != nullptr) {
        return nullptr;
    }
    static int argc = 3;
    static char name[] = "lumacite-cli";
    static char platform[] = "-platform";
    static char offscreen[] = "offscreen";
    static char* argv[] = {name, platform, offscreen, nullptr};
    // Qt's own notices (a missing runtime folder and the like) are no concern of the command.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) {
            std::fputs(text.toLocal8Bit().constData(), stderr);
            std::fputc('\n', stderr);
        }
    });
    return std::make_unique<QGuiApplication>(argc, argv);
}

void network(Context& ctx, Args& args) {
    const auto lower_text = args.option("--min");
    const auto upper_text = args.option("--max");
    const auto measure_text = args.option("--measure");
    const auto min_weight_text = args.option("--min-weight");
    const bool drop_isolated = args.flag("--drop-isolated");
    const auto cluster_text = args.option("--cluster");
    const auto resolution_text = args.option("--resolution");
    const auto seed_text = args.option("--seed");
    const auto format_text = args.option("--format");
    const auto output = args.option("-o");
    const auto png = args.option("--png");
    const auto size_text = args.option("--size");
    const auto svg = args.option("--svg");
    const bool summary = args.flag("--summary");
    const std::string number = args.positional("NUMBER");
    const std::string keyword = args.positional("KEYWORD");
    args.finish();

    network::Options options;
    if (measure_text) {
        const auto m = network::measure_from_key(*measure_text);
        if (!m) {
            throw UsageError("--measure must be raw, association, cosine, jaccard, inclusion or "
                             "equivalence");
        }
        options.measure = *m;
    }
    if (cluster_text) {
        const auto m = network::cluster_method_from_key(*cluster_text);
        if (!m) {
            throw UsageError("--cluster must be leiden or louvain");
        }
        options.method = *m;
    }
    options.min_weight = real_option(min_weight_text, "--min-weight", 0, false);
    options.resolution = real_option(resolution_text, "--resolution", 1, true);
    options.drop_isolated = drop_isolated;
    if (seed_text) {
        const char* end = seed_text->data() + seed_text->size();
        const auto [stop, ec] = std::from_chars(seed_text->data(), end, options.seed);
        if (seed_text->empty() || ec != std::errc() || stop != end) {
            throw UsageError("--seed needs a whole number, not \"" + *seed_text + "\"");
        }
    }
    std::optional<network::FileFormat> format;
    if (format_text) {
        format = network::file_format_from_key(*format_text);
        if (!format) {
            throw UsageError("--format must be pajek, vosviewer, graphml or csv");
        }
        if (!output) {
            throw UsageError("--format needs -o FILE");
        }
    } else if (output) {
        throw UsageError("-o needs --format");
    }
    if (size_text && !png && !svg) {
        throw UsageError("--size goes with --png or --svg");
    }
    const QSize size = picture_size(size_text);
    if (!format && !png && !svg && !summary) {
        throw UsageError("give --format with -o, --png, --svg or --summary");
    }
    bound_value(lower_text, "--min", 0);
    bound_value(upper_text, "--max", 0);

    auto [ws, type] = bind_project_with_type(ctx, number, true, msg::network_no_format_type);
    as_failures([&] {
        const CountRange range = count_range(ws, keyword, lower_text, upper_text);
        auto progress = command_progress(ctx);
        progress.set_title(msg::job_title_network);
        const auto data = analysis::read_cooccurrence(ws, keyword, type, range.ranked, range.lower,
                                                      range.upper, progress);
        if (!data) {
            throw Refusal(msg::network_outside_bounds);
        }
        network::Network net =
            network::build_network(data->matrix, data->articles, options, progress);
        progress.finish();
        if (format) {
            for (const auto& written : network::write_network_files(net, *format, *output)) {
                ctx.out << written.string() << '\n';
            }
        }
        if (summary) {
            for (const auto& c : net.clusters) {
                std::vector<std::string> cells{std::to_string(c.id),
                                               std::to_string(c.members.size())};
                for (auto& v : network::top_values(net, c, 5)) {
                    cells.push_back(std::move(v));
                }
                write_tsv(ctx.out, cells);
            }
        }
        if (png || svg) {
            const auto app = start_drawing();
            const map::NetworkMap drawing(std::move(net));
            if (png) {
                map::save_png(drawing, *png, size);
            }
            if (svg) {
                map::save_svg(drawing, *svg, size);
            }
        }
    });
}

const CommandRegistration network_cmd{{"network", network_synopsis, network}};

} // namespace
} // namespace lumacite::cli
