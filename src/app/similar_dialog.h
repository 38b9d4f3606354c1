// The similar-values dialog ("相似值") of page 提取: the groups of similar values of a
// keyword in the whole project, each with its members and their counts and the form they
// merge to (the most frequent member, which the user may retype). The user ticks groups
// and members; "合并所选" applies them as a thesaurus (preview, confirmation, application
// through the opener's command), "另存为词表..." saves them as a thesaurus file.
#pragma once

#include "app/prompter.h"
#include "app/thesaurus_dialog.h"
#include "values/cleaning.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lumacite::app {

// The distinct values of the keyword with their counts; nullopt when they could not be
// read (the reason shown already).
using ValueCountsCommand = std::function<std::optional<std::vector<values::ValueCount>>()>;

class SimilarValuesDialog : public QDialog {
    Q_OBJECT
public:
    // `authors` ticks the initials grouping at the start.
    SimilarValuesDialog(const std::string& keyword, bool authors, Prompter& prompter,
                        ValueCountsCommand counts, ThesaurusCommand command,
                        QWidget* parent = nullptr);

    QLabel* Label_keyword;     // "关键字段：" + keyword
    QCheckBox* Check_authors;  // group author initials too
    QTreeWidget* Tree_groups;  // groups (tick, form in column 3) with their members (tick)
    QLabel* Label_summary;     // number of groups, or that there are none
    QLabel* Label_note;        // the change cannot be undone
    QPushButton* Button_apply; // "合并所选"
    QPushButton* Button_save;  // "另存为词表..."
    QPushButton* Button_close; // "取消"

    // Reads the values (once) and shows their groups.
    void fill();
    // The ticked groups' ticked members and their forms, in the tree's order.
    std::vector<values::Merge> ticked() const;

public slots:
    void applyClick();
    void saveClick();

private:
    void show_groups();

    Prompter& prompter_;
    ValueCountsCommand counts_command_;
    ThesaurusCommand command_;
    std::optional<std::vector<values::ValueCount>> counts_;
};

} // namespace lumacite::app
