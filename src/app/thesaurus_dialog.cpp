#include "app/thesaurus_dialog.h"

#include "messages.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

namespace lumacite::app {
namespace {

QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

std::optional<values::ThesaurusOutcome> confirm_and_apply(const values::Thesaurus& thesaurus,
                                                          std::optional<long long> xuhao,
                                                          Prompter& prompter,
                                                          const ThesaurusCommand& command) {
    const auto preview = command(thesaurus, xuhao, false);
    if (!preview) {
        return std::nullopt;
    }
    if (preview->changes.empty()) {
        prompter.inform(msg::thesaurus_nothing);
        return std::nullopt;
    }
    if (!prompter.ask_ok_cancel(values::thesaurus_question(*preview))) {
        return std::nullopt;
    }
    auto applied = command(thesaurus, xuhao, true);
    if (applied) {
        prompter.inform(values::thesaurus_summary(*applied));
    }
    return applied;
}

CleaningFoot add_cleaning_foot(QDialog* dialog, QVBoxLayout* layout,
                               std::initializer_list<std::pair<const char*, const char*>> buttons) {
    CleaningFoot foot{new QLabel(dialog), new QLabel(qs(msg::cleaning_note), dialog), {}};
    foot.summary->setObjectName(QStringLiteral("Label_summary"));
    foot.note->setObjectName(QStringLiteral("Label_note"));
    foot.note->setStyleSheet(QStringLiteral("color: #b00000;"));
    layout->addWidget(foot.summary);
    layout->addWidget(foot.note);
    auto* row = new QHBoxLayout();
    row->addStretch(1);
    auto add = [&](const char* name, const char* caption) {
        auto* b = new QPushButton(qs(caption), dialog);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        row->addWidget(b);
        foot.buttons.push_back(b);
        return b;
    };
    for (const auto& [name, caption] : buttons) {
        add(name, caption);
    }
    QObject::connect(add("Button_close", msg::dialog_cancel), &QPushButton::clicked, dialog,
                     &QDialog::reject);
    layout->addLayout(row);
    return foot;
}

ThesaurusDialog::ThesaurusDialog(const std::string& keyword, std::optional<long long> xuhao,
                                 Prompter& prompter, ThesaurusCommand command, QWidget* parent)
    : QDialog(parent), prompter_(prompter), command_(std::move(command)), xuhao_(xuhao) {
    setObjectName(QStringLiteral("ThesaurusDialog"));
    setWindowTitle(qs(msg::thesaurus_dialog_caption));
    setModal(true);
    auto* layout = new QVBoxLayout(this);

    Label_keyword =
        new QLabel(qs(msg::value_keyword_label) + QString::fromStdString(keyword), this);
    Label_keyword->setObjectName(QStringLiteral("Label_keyword"));
    Label_keyword->setTextFormat(Qt::PlainText);
    layout->addWidget(Label_keyword);

    auto* file_row = new QHBoxLayout();
    Edit_file = new QLineEdit(this);
    Edit_file->setObjectName(QStringLiteral("Edit_file"));
    Button_choose = new QPushButton(qs(msg::thesaurus_choose_file), this);
    Button_choose->setObjectName(QStringLiteral("Button_choose"));
    file_row->addWidget(Edit_file, 1);
    file_row->addWidget(Button_choose);
    layout->addLayout(file_row);

    auto* options = new QHBoxLayout();
    Radio_all = new QRadioButton(qs(msg::thesaurus_scope_all), this);
    Radio_all->setObjectName(QStringLiteral("Radio_all"));
    Radio_document = new QRadioButton(qs(msg::thesaurus_scope_document), this);
    Radio_document->setObjectName(QStringLiteral("Radio_document"));
    Radio_all->setChecked(true);
    Radio_document->setEnabled(xuhao.has_value());
    Check_fold = new QCheckBox(qs(msg::thesaurus_fold), this);
    Check_fold->setObjectName(QStringLiteral("Check_fold"));
    Button_preview = new QPushButton(qs(msg::thesaurus_preview_button), this);
    Button_preview->setObjectName(QStringLiteral("Button_preview"));
    options->addWidget(Radio_all);
    options->addWidget(Radio_document);
    options->addWidget(Check_fold);
    options->addStretch(1);
    options->addWidget(Button_preview);
    layout->addLayout(options);

    model_ = new TableModel(
        {{qs(msg::thesaurus_preview_headings[0]), 210},
         {qs(msg::thesaurus_preview_headings[1]), 210},
         {qs(msg::thesaurus_preview_headings[2]), 60, Qt::AlignRight | Qt::AlignVCenter},
         {qs(msg::thesaurus_preview_headings[3]), 0, Qt::AlignRight | Qt::AlignVCenter}},
        this);
    Grid_preview = new QTableView(this);
    Grid_preview->setObjectName(QStringLiteral("Grid_preview"));
    Grid_preview->setModel(model_);
    Grid_preview->verticalHeader()->hide();
    Grid_preview->setSelectionBehavior(QAbstractItemView::SelectRows);
    TableModel::apply_widths(Grid_preview);
    Grid_preview->setMinimumSize(600, 280);
    layout->addWidget(Grid_preview, 1);

    const CleaningFoot foot =
        add_cleaning_foot(this, layout, {{"Button_apply", msg::thesaurus_apply_button}});
    Label_summary = foot.summary;
    Label_note = foot.note;
    Button_apply = foot.buttons[0];
    Button_close = foot.buttons[1];
    Button_apply->setEnabled(false);

    connect(Button_choose, &QPushButton::clicked, this, &ThesaurusDialog::chooseClick);
    connect(Button_preview, &QPushButton::clicked, this, &ThesaurusDialog::previewClick);
    connect(Button_apply, &QPushButton::clicked, this, &ThesaurusDialog::applyClick);
    // A preview no longer says what would happen once a choice changes.
    connect(Edit_file, &QLineEdit::textChanged, this, [this] { clear_preview(); });
    connect(Radio_all, &QRadioButton::toggled, this, [this] { clear_preview(); });
    connect(Check_fold, &QCheckBox::toggled, this, [this] { clear_preview(); });
}

void ThesaurusDialog::chooseClick() {
    if (const auto file =
            prompter_.choose_open_file(msg::thesaurus_choose_file, msg::thesaurus_file_filter)) {
        Edit_file->setText(QString::fromStdString(file->string()));
    }
}

std::optional<values::Thesaurus> ThesaurusDialog::read_file() {
    const std::string file = Edit_file->text().trimmed().toStdString();
    if (file.empty()) {
        chooseClick();
        if (Edit_file->text().trimmed().isEmpty()) {
            return std::nullopt;
        }
        return read_file();
    }
    values::Thesaurus t;
    try {
        t = values::read_thesaurus(file, Check_fold->isChecked());
    } catch (const std::exception& e) {
        prompter_.refuse(e.what());
        return std::nullopt;
    }
    if (!t.faults.empty()) {
        prompter_.refuse(values::fault_report(t));
        return std::nullopt;
    }
    return t;
}

std::optional<long long> ThesaurusDialog::chosen_document() const {
    return Radio_document->isChecked() ? xuhao_ : std::nullopt;
}

void ThesaurusDialog::clear_preview() {
    model_->reset([this] { preview_ = {}; });
    Label_summary->clear();
    Button_apply->setEnabled(false);
}

void ThesaurusDialog::previewClick() {
    clear_preview();
    const auto t = read_file();
    if (!t) {
        return;
    }
    const auto outcome = command_(*t, chosen_document(), false);
    if (!outcome) {
        return;
    }
    model_->reset([&] { preview_ = *outcome; });
    model_->bind([this] { return static_cast<long long>(preview_.changes.size()); },
                 [this](long long row, int column) -> std::string {
                     const auto& c = preview_.changes[static_cast<std::size_t>(row)];
                     switch (column) {
                     case 0:
                         return c.old_value;
                     case 1:
                         return c.new_value.empty() ? msg::thesaurus_removed : c.new_value;
                     case 2:
                         return std::to_string(c.rows);
                     default:
                         return std::to_string(c.line);
                     }
                 });
    if (preview_.changes.empty()) {
        Label_summary->setText(qs(msg::thesaurus_nothing));
        return;
    }
    Label_summary->setText(qs(msg::thesaurus_question_1) + QString::number(preview_.rows_changed) +
                           qs(msg::thesaurus_question_2) + QString::number(preview_.rows_removed) +
                           qs(msg::thesaurus_summary_3));
    Button_apply->setEnabled(true);
}

void ThesaurusDialog::applyClick() {
    const auto t = read_file();
    if (!t) {
        return;
    }
    if (confirm_and_apply(*t, chosen_document(), prompter_, command_)) {
        accept();
    }
}

} // namespace lumacite::app
