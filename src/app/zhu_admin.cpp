// Administrator page: formats and their keyword definitions. The rules live in
// formats/formats.h; these handlers read the chooser and the grid, open the dialogs, show
// refusals and questions through the prompter, and refresh the page.
#include "app/geshi.h"
#include "app/jiedian.h"
#include "app/zhu.h"
#include "formats/formats.h"

#include <QSignalBlocker>

#include <algorithm>

namespace lumacite::app {

namespace {

// The chooser's format: its entry taken apart; nullopt while nothing is chosen.
std::optional<store::FormatKey> chosen_format(const TForm_zhu& w) {
    if (w.ComboBox_geshi->currentIndex() < 0) {
        return std::nullopt;
    }
    return formats::parse_format_entry(w.ComboBox_geshi->currentText().toStdString());
}

// Re-reads the chosen format's definitions into DBGrid1 and makes `row` current (the
// first row when it is out of range; none when the grid is empty).
void open_definition_query(TForm_zhu& w, int row = 0) {
    const auto key = chosen_format(w);
    w.geshi_rows = key ? w.catalogue->definitions(key->geshi) : std::vector<store::Definition>{};
    w.DBGrid1_model->bind([&w] { return static_cast<long long>(w.geshi_rows.size()); },
                          [&w](long long r, int c) -> std::string {
                              const auto& d = w.geshi_rows[static_cast<std::size_t>(r)];
                              return c == 0 ? d.guanjianzi
                                            : d.jiedian[static_cast<std::size_t>(c - 1)];
                          });
    const int count = static_cast<int>(w.geshi_rows.size());
    if (count == 0) {
        w.DBGrid1->selectionModel()->clearCurrentIndex();
        w.DBGrid1->clearSelection();
        return;
    }
    if (row < 0 || row >= count) {
        row = 0;
    }
    w.DBGrid1->setCurrentIndex(w.DBGrid1_model->index(row, 0));
    w.DBGrid1->selectRow(row);
}

// The grid's current definition; null when the grid is empty.
const store::Definition* current_definition(const TForm_zhu& w) {
    if (w.geshi_rows.empty()) {
        return nullptr;
    }
    const QModelIndex current = w.DBGrid1->currentIndex();
    const int row = current.isValid() ? current.row() : 0;
    if (row < 0 || row >= static_cast<int>(w.geshi_rows.size())) {
        return nullptr;
    }
    return &w.geshi_rows[static_cast<std::size_t>(row)];
}

// Positions the grid on the first row with this keyword name.
void locate_keyword(TForm_zhu& w, const std::string& guanjianzi) {
    const auto it =
        std::find_if(w.geshi_rows.begin(), w.geshi_rows.end(),
                     [&](const store::Definition& d) { return d.guanjianzi == guanjianzi; });
    if (it != w.geshi_rows.end()) {
        open_definition_query(w, static_cast<int>(it - w.geshi_rows.begin()));
    }
}

// After a row of geshi was stored: the project page's format box is refilled from the
// catalogue; the selected project's format stays shown in it.
void refresh_project_formats(TForm_zhu& w) {
    const QSignalBlocker block(w.ComboBox_geshi_2);
    w.ComboBox_geshi_2->clear();
    for (const auto& key : w.catalogue->formats()) {
        w.ComboBox_geshi_2->addItem(QString::fromStdString(formats::make_format_entry(key)));
    }
    int selected = -1;
    if (const auto* p = w.selected_project()) {
        for (int i = 0; i < w.ComboBox_geshi_2->count(); ++i) {
            const auto key =
                formats::parse_format_entry(w.ComboBox_geshi_2->itemText(i).toStdString());
            if (key.geshi == p->geshi) {
                selected = i;
                break;
            }
        }
    }
    w.ComboBox_geshi_2->setCurrentIndex(selected);
}

// A format command whose catalogue fails (busy with another program's change, or
// damaged): the failure becomes a refusal to show, and nothing is refreshed.
template <class Command> formats::Outcome refusing_failures(Command&& command) {
    try {
        return command();
    } catch (const std::exception& e) {
        return formats::Outcome::refuse(e.what(), formats::Icon::error);
    }
}

formats::Ask ask_with(Prompter& prompter) {
    return [&prompter](const std::string& question) { return prompter.ask_yes_no(question); };
}

// Opens the keyword dialog and stores what it returns into the chosen format.
void run_keyword_dialog(TForm_zhu& w, const std::string& geshi,
                        const formats::DefinitionForm& form) {
    TForm_jiedian dialog(
        form, w.prompter,
        [&](const formats::DefinitionForm& input) {
            auto outcome = refusing_failures(
                [&] { return formats::store_definition(*w.catalogue, geshi, input); });
            if (outcome.done() && outcome.id != 0) {
                refresh_project_formats(w);
                open_definition_query(w);
                locate_keyword(w, input.guanjianzi);
            }
            return outcome;
        },
        &w);
    dialog.exec();
}

} // namespace

void TForm_zhu::ComboBox_geshiChange(int) {
    open_definition_query(*this);
}

void TForm_zhu::SpeedButton1Click() {
    TForm_geshi dialog(
        TForm_geshi::Mode::add, prompter,
        [this](const store::FormatKey& input) {
            auto outcome =
                refusing_failures([&] { return formats::add_format(*catalogue, input); });
            if (outcome.done()) {
                refresh_project_formats(*this);
                // The new entry is appended; the chooser keeps its selection.
                const QSignalBlocker block(ComboBox_geshi);
                const int selected = ComboBox_geshi->currentIndex();
                ComboBox_geshi->addItem(QString::fromStdString(formats::make_format_entry(input)));
                ComboBox_geshi->setCurrentIndex(selected);
                ComboBox_geshiChange(selected);
            }
            return outcome;
        },
        this);
    dialog.exec();
}

void TForm_zhu::SpeedButton2Click() {
    const auto key = chosen_format(*this);
    if (!key) {
        return;
    }
    const auto outcome = refusing_failures(
        [&] { return formats::delete_format(*catalogue, *key, ask_with(prompter)); });
    if (outcome.status == formats::Outcome::Status::refused) {
        show_refusal(prompter, outcome);
        return;
    }
    if (!outcome.done()) {
        return;
    }
    {
        const QSignalBlocker block(ComboBox_geshi);
        ComboBox_geshi->removeItem(ComboBox_geshi->currentIndex());
        ComboBox_geshi->setCurrentIndex(-1);
    }
    open_definition_query(*this);
    refresh_project_formats(*this);
}

void TForm_zhu::SpeedButton3Click() {
    const auto key = chosen_format(*this);
    if (!key) {
        return;
    }
    if (const auto check = formats::check_format_modifiable(*catalogue, key->geshi);
        !check.done()) {
        show_refusal(prompter, check);
        return;
    }
    const int index = ComboBox_geshi->currentIndex();
    TForm_geshi dialog(
        TForm_geshi::Mode::modify, prompter,
        [this, &key, index](const store::FormatKey& input) {
            auto outcome = refusing_failures(
                [&] { return formats::modify_format(*catalogue, key->geshi, input); });
            if (outcome.done()) {
                {
                    const QSignalBlocker block(ComboBox_geshi);
                    ComboBox_geshi->setItemText(
                        index, QString::fromStdString(formats::make_format_entry(input)));
                    ComboBox_geshi->setCurrentIndex(index);
                }
                refresh_project_formats(*this);
                ComboBox_geshiChange(index);
            }
            return outcome;
        },
        this);
    dialog.set_input(*key);
    dialog.set_name_enabled(formats::format_name_editable(key->geshi));
    dialog.exec();
}

void TForm_zhu::SpeedButton4Click() {
    const auto key = chosen_format(*this);
    if (!key) {
        return;
    }
    const bool existed = catalogue->find_definition(key->geshi, std::string()).has_value();
    std::optional<store::Definition> made;
    try {
        made = formats::ensure_placeholder(*catalogue, *key);
    } catch (const std::exception& e) {
        prompter.refuse(e.what());
        return;
    }
    const store::Definition& placeholder = *made;
    if (!existed) {
        refresh_project_formats(*this);
    }
    open_definition_query(*this);
    locate_keyword(*this, placeholder.guanjianzi);
    run_keyword_dialog(*this, key->geshi, formats::open_add(placeholder, key->leixing));
}

void TForm_zhu::SpeedButton5Click() {
    const auto key = chosen_format(*this);
    const auto* row = current_definition(*this);
    if (!key || row == nullptr) {
        return;
    }
    const store::Definition chosen = *row;
    const auto outcome = refusing_failures(
        [&] { return formats::delete_definition(*catalogue, *key, chosen, ask_with(prompter)); });
    // Structural and subject-heading definitions are skipped without a word.
    show_refusal(prompter, outcome);
    if (outcome.done()) {
        open_definition_query(*this);
    }
}

void TForm_zhu::SpeedButton6Click() {
    const auto key = chosen_format(*this);
    const auto* row = current_definition(*this);
    if (!key || row == nullptr) {
        return;
    }
    run_keyword_dialog(*this, key->geshi, formats::open_modify(*row));
}

} // namespace lumacite::app
