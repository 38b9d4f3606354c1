// Network tab of the matrix page: the network job over the keyword and bounds of the page,
// the map with its legend, the pictures and network files, and the article report offered
// by a double-click on a node.
#include "analysis/jobs.h"
#include "app/zhu.h"
#include "map/network_map.h"
#include "messages.h"

#include <QPixmap>

namespace lumacite::app {

namespace {

constexpr network::FileFormat file_formats[4] = {
    network::FileFormat::pajek, network::FileFormat::vosviewer, network::FileFormat::graphml,
    network::FileFormat::csv};

} // namespace

std::optional<network::Options> TForm_zhu::network_options() {
    network::Options options;
    options.measure = network::all_measures[std::max(0, ComboBox_measure->currentIndex())];
    options.drop_isolated = CheckBox_isolated->isChecked();
    // An empty minimum weight counts as 0, like an empty count bound.
    const std::string min_weight = Edit_min_weight->text().trimmed().toStdString();
    const auto weight =
        min_weight.empty() ? std::optional<double>(0) : network::parse_number(min_weight);
    if (!weight) {
        prompter.refuse(std::string(msg::network_bad_number) + msg::network_min_weight_name,
                        Icon::information);
        return std::nullopt;
    }
    const auto resolution = network::parse_number(Edit_resolution->text().toStdString());
    if (!resolution || *resolution <= 0) {
        prompter.refuse(std::string(msg::network_bad_number) + msg::network_resolution_name,
                        Icon::information);
        return std::nullopt;
    }
    options.min_weight = *weight;
    options.resolution = *resolution;
    return options;
}

void TForm_zhu::SpeedButton_networkClick() {
    const auto keyword = generation_keyword();
    if (!keyword) {
        return;
    }
    const auto options = network_options();
    if (!options) {
        return;
    }
    if (!prompter.ask_yes_no(std::string(msg::matrix_ask_prefix) + *keyword +
                             msg::network_ask_suffix)) {
        return;
    }
    network_request = *options;
    run_job(msg::job_title_network, msg::network_tab);
}

void TForm_zhu::network_job(TForm_zhuangtaitiao& dialog) {
    store::Workspace* ws = project_workspace();
    if (ws == nullptr) {
        return;
    }
    const std::string keyword = chosen_keyword(ComboBox2);
    try {
        const auto data =
            analysis::read_cooccurrence(*ws, keyword, selected_format_type(), ranked_rows(),
                                        analysis::parse_bound(Edit3->text().toStdString()),
                                        analysis::parse_bound(Edit5->text().toStdString()), dialog);
        if (!data) {
            return; // outside the bounds: nothing changes, as with the matrices
        }
        auto drawing = std::make_unique<map::NetworkMap>(
            network::build_network(data->matrix, data->articles, network_request, dialog));
        ListBox_clusters->clear();
        const auto lines = drawing->legend_lines();
        for (std::size_t k = 0; k < lines.size(); ++k) {
            QPixmap swatch(12, 12);
            swatch.fill(map::cluster_colour(drawing->network().clusters[k].id));
            ListBox_clusters->addItem(new QListWidgetItem(QIcon(swatch), lines[k]));
        }
        NetworkMap->show_network(std::move(drawing));
        network_keyword = keyword;
    } catch (const std::exception& e) {
        prompter.refuse(e.what());
    }
}

void TForm_zhu::network_save(int item) {
    const map::NetworkMap* shown = NetworkMap->network_map();
    if (shown == nullptr) {
        prompter.inform(msg::network_none);
        return;
    }
    const auto chosen =
        prompter.choose_save_file(msg::network_save_title, msg::network_save_filters[item]);
    if (!chosen) {
        return;
    }
    // Pictures of the whole map at twice the size of the view.
    const QSize size(std::max(800, NetworkMap->width() * 2),
                     std::max(600, NetworkMap->height() * 2));
    try {
        if (item == 0) {
            map::save_png(*shown, network::with_ending(*chosen, ".png"), size);
        } else if (item == 1) {
            map::save_svg(*shown, network::with_ending(*chosen, ".svg"), size);
        } else {
            network::write_network_files(shown->network(), file_formats[item - 2], *chosen);
        }
    } catch (const std::exception& e) {
        prompter.refuse(e.what());
    }
}

void TForm_zhu::NetworkMapDblClick(int node) {
    const map::NetworkMap* shown = NetworkMap->network_map();
    if (shown == nullptr || node < 0 || !value_report) {
        return;
    }
    const std::string& value = shown->network().nodes[static_cast<std::size_t>(node)].label;
    if (prompter.ask_yes_no(std::string(msg::network_report_prefix) + value +
                            msg::network_report_suffix)) {
        value_report(network_keyword, value);
    }
}

} // namespace lumacite::app
