// The thesaurus dialog ("词表清洗") of page 提取: a thesaurus file, the documents it acts on
// (all, or the one the values grid shows) and folded or exact matching. "预览" reads the
// file (its faults shown by line, nothing changed) and lists what would change: old value,
// new value, rows, thesaurus line. "执行" asks for confirmation (the change cannot be
// undone), applies the thesaurus and closes the dialog. The opener's command does the work
// on the project.
#pragma once

#include "app/prompter.h"
#include "app/table_model.h"
#include "values/cleaning.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lumacite::app {

// Previews (apply false) or applies a thesaurus on the opener's project; nullopt when it
// could not (the reason shown already).
using ThesaurusCommand = std::function<std::optional<values::ThesaurusOutcome>(
    const values::Thesaurus& thesaurus, std::optional<long long> xuhao, bool apply)>;

// Preview, confirmation and application: shared by both cleaning dialogs. Returns the
// outcome applied; nullopt when the user declined, nothing matched or it failed.
std::optional<values::ThesaurusOutcome> confirm_and_apply(const values::Thesaurus& thesaurus,
                                                          std::optional<long long> xuhao,
                                                          Prompter& prompter,
                                                          const ThesaurusCommand& command);

// The foot both cleaning dialogs share: the summary line, the note that the change cannot be
// undone, and a right-aligned row of the given buttons (object name, caption) followed by
// "取消" ("Button_close"), which rejects the dialog. No button is a default button.
struct CleaningFoot {
    QLabel* summary;                   // "Label_summary"
    QLabel* note;                      // "Label_note"
    std::vector<QPushButton*> buttons; // as given, then "取消"
};
CleaningFoot add_cleaning_foot(QDialog* dialog, QVBoxLayout* layout,
                               std::initializer_list<std::pair<const char*, const char*>> buttons);

class ThesaurusDialog : public QDialog {
    Q_OBJECT
public:
    // `xuhao`: the document the values grid shows (none: only "全部文档").
    ThesaurusDialog(const std::string& keyword, std::optional<long long> xuhao, Prompter& prompter,
                    ThesaurusCommand command, QWidget* parent = nullptr);

    QLabel* Label_keyword;        // "关键字段：" + keyword
    QLineEdit* Edit_file;         // the thesaurus file
    QPushButton* Button_choose;   // "选择词表..."
    QRadioButton* Radio_all;      // "全部文档"
    QRadioButton* Radio_document; // "仅当前文档"
    QCheckBox* Check_fold;        // folded matching
    QPushButton* Button_preview;  // "预览"
    QTableView* Grid_preview;     // old value, new value, rows, line
    QLabel* Label_summary;        // what the preview found
    QLabel* Label_note;           // the change cannot be undone
    QPushButton* Button_apply;    // "执行"; enabled after a preview
    QPushButton* Button_close;    // "取消"

    const values::ThesaurusOutcome& preview() const { return preview_; }

public slots:
    void chooseClick();
    void previewClick();
    void applyClick();

private:
    // The thesaurus of the file with the dialog's matching; nullopt after showing its faults.
    std::optional<values::Thesaurus> read_file();
    std::optional<long long> chosen_document() const;
    void clear_preview();

    Prompter& prompter_;
    ThesaurusCommand command_;
    std::optional<long long> xuhao_;
    TableModel* model_;
    values::ThesaurusOutcome preview_;
};

} // namespace lumacite::app
