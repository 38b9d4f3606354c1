#include "app/similar_dialog.h"

#include "messages.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

namespace lumacite::app {
namespace {

QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}

constexpr int form_column = 3;

} // namespace

SimilarValuesDialog::SimilarValuesDialog(const std::string& keyword, bool authors,
                                         Prompter& prompter, ValueCountsCommand counts,
                                         ThesaurusCommand command, QWidget* parent)
    : QDialog(parent), prompter_(prompter), counts_command_(std::move(counts)),
      command_(std::move(command)) {
    setObjectName(QStringLiteral("SimilarValuesDialog"));
    setWindowTitle(qs(msg::similar_dialog_caption));
    setModal(true);
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout();
    Label_keyword =
        new QLabel(qs(msg::value_keyword_label) + QString::fromStdString(keyword), this);
    Label_keyword->setObjectName(QStringLiteral("Label_keyword"));
    Label_keyword->setTextFormat(Qt::PlainText);
    Check_authors = new QCheckBox(qs(msg::similar_authors), this);
    Check_authors->setObjectName(QStringLiteral("Check_authors"));
    Check_authors->setChecked(authors);
    top->addWidget(Label_keyword);
    top->addStretch(1);
    top->addWidget(Check_authors);
    layout->addLayout(top);

    Tree_groups = new QTreeWidget(this);
    Tree_groups->setObjectName(QStringLiteral("Tree_groups"));
    Tree_groups->setColumnCount(4);
    Tree_groups->setHeaderLabels({qs(msg::similar_headings[0]), qs(msg::similar_headings[1]),
                                  qs(msg::similar_headings[2]), qs(msg::similar_headings[3])});
    Tree_groups->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Tree_groups->header()->resizeSection(0, 280);
    Tree_groups->header()->resizeSection(1, 60);
    Tree_groups->header()->resizeSection(2, 80);
    Tree_groups->setMinimumSize(640, 360);
    layout->addWidget(Tree_groups, 1);
    // Only the form is typed over.
    connect(Tree_groups, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item, int column) {
                if (column == form_column && item->parent() == nullptr) {
                    Tree_groups->editItem(item, form_column);
                }
            });

    const CleaningFoot foot = add_cleaning_foot(
        this, layout,
        {{"Button_apply", msg::similar_apply_button}, {"Button_save", msg::similar_save_button}});
    Label_summary = foot.summary;
    Label_note = foot.note;
    Button_apply = foot.buttons[0];
    Button_save = foot.buttons[1];
    Button_close = foot.buttons[2];

    connect(Check_authors, &QCheckBox::toggled, this, [this] { show_groups(); });
    connect(Button_apply, &QPushButton::clicked, this, &SimilarValuesDialog::applyClick);
    connect(Button_save, &QPushButton::clicked, this, &SimilarValuesDialog::saveClick);
}

void SimilarValuesDialog::fill() {
    counts_ = counts_command_();
    show_groups();
}

void SimilarValuesDialog::show_groups() {
    Tree_groups->clear();
    if (!counts_) {
        Label_summary->clear();
        return;
    }
    const auto groups = values::similar_groups(*counts_, Check_authors->isChecked());
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(groups.size()));
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const auto& g = groups[i];
        std::uint64_t total = 0;
        for (const auto& m : g.members) {
            total += m.cishu;
        }
        auto* item = new QTreeWidgetItem();
        item->setText(0, QString::number(i + 1));
        item->setText(1, QString::number(total));
        item->setText(2, qs(g.likeness == values::Likeness::same ? msg::similar_same
                                                                 : msg::similar_initials));
        item->setText(form_column, QString::fromStdString(g.members.front().zhi));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsEditable);
        item->setCheckState(0, Qt::Unchecked);
        for (const auto& m : g.members) {
            auto* member = new QTreeWidgetItem(item);
            member->setText(0, QString::fromStdString(m.zhi));
            member->setText(1, QString::number(m.cishu));
            member->setFlags(member->flags() | Qt::ItemIsUserCheckable);
            member->setCheckState(0, Qt::Checked);
        }
        items.push_back(item);
    }
    Tree_groups->addTopLevelItems(items);
    Tree_groups->expandAll();
    Label_summary->setText(groups.empty()
                               ? qs(msg::similar_none)
                               : QString::number(groups.size()) + qs(msg::similar_count_suffix));
}

std::vector<values::Merge> SimilarValuesDialog::ticked() const {
    std::vector<values::Merge> merges;
    for (int i = 0; i < Tree_groups->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* group = Tree_groups->topLevelItem(i);
        if (group->checkState(0) != Qt::Checked) {
            continue;
        }
        values::Merge m;
        m.form = group->text(form_column).trimmed().toStdString();
        for (int k = 0; k < group->childCount(); ++k) {
            if (group->child(k)->checkState(0) == Qt::Checked) {
                m.members.push_back(group->child(k)->text(0).toStdString());
            }
        }
        if (!m.form.empty() && !m.members.empty()) {
            merges.push_back(std::move(m));
        }
    }
    return merges;
}

void SimilarValuesDialog::applyClick() {
    const auto entries = values::merge_entries(ticked());
    if (entries.empty()) {
        prompter_.refuse(msg::similar_nothing_ticked, Icon::warning);
        return;
    }
    const values::Thesaurus t = values::thesaurus_of(entries);
    if (!t.faults.empty()) {
        prompter_.refuse(values::fault_report(t));
        return;
    }
    if (confirm_and_apply(t, std::nullopt, prompter_, command_)) {
        fill(); // the values changed: their groups too
    }
}

void SimilarValuesDialog::saveClick() {
    const auto entries = values::merge_entries(ticked());
    if (entries.empty()) {
        prompter_.refuse(msg::similar_nothing_ticked, Icon::warning);
        return;
    }
    const auto file =
        prompter_.choose_save_file(msg::similar_save_button, msg::thesaurus_file_filter);
    if (!file) {
        return;
    }
    try {
        values::save_thesaurus(*file, entries);
    } catch (const std::exception& e) {
        prompter_.refuse(e.what());
    }
}

} // namespace lumacite::app
