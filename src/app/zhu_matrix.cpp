// Matrix page: keyword and bounds, the word-document and co-occurrence jobs, the matrix
// export and the article information export of a co-occurrence cell.
#include "analysis/jobs.h"
#include "app/zhu.h"
#include "messages.h"
#include "text/text.h"

#include <QSignalBlocker>

namespace lumacite::app {

namespace {

QString from_utf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

analysis::MatrixKind shown_kind(const QTabWidget* pages) {
    return pages->currentIndex() == 1 ? analysis::MatrixKind::cooccurrence
                                      : analysis::MatrixKind::word_document;
}

} // namespace

void TForm_zhu::ComboBox2Change(int) {
    if (!project_with_number() || filling_keywords || ComboBox2->currentIndex() < 0) {
        return;
    }
    const std::string keyword = chosen_keyword(ComboBox2);
    if (ComboBox3->currentIndex() != ComboBox2->currentIndex()) {
        const QSignalBlocker block(ComboBox3);
        ComboBox3->setCurrentIndex(ComboBox2->currentIndex());
    }
    open_statistics_query(keyword);
    if (!tongji_rows.empty()) {
        // Every value is selected with these defaults: smallest and largest count.
        Edit3->setText(from_utf8(text::trim(tongji_rows.back().cishu)));
        Edit5->setText(from_utf8(text::trim(tongji_rows.front().cishu)));
    } else {
        Edit3->setText(QStringLiteral("0"));
        Edit5->setText(QStringLiteral("0"));
        prompter.inform(analysis::statistics_needed_message(keyword));
    }
}

std::optional<std::string> TForm_zhu::generation_keyword() {
    if (!project_with_number() || ComboBox2->currentIndex() < 0) {
        return std::nullopt;
    }
    const std::string keyword = chosen_keyword(ComboBox2);
    // Read the rows again: the project may have changed since the keyword was chosen.
    open_statistics_query(keyword);
    if (tongji_rows.empty()) {
        prompter.inform(analysis::statistics_needed_message(keyword));
        return std::nullopt;
    }
    return keyword;
}

void TForm_zhu::SpeedButton7Click() {
    if (PageControl1->currentIndex() == 2) {
        SpeedButton_networkClick(); // 生成 on the network tab generates the network
        return;
    }
    const auto keyword = generation_keyword();
    if (!keyword) {
        return;
    }
    const analysis::MatrixKind kind = shown_kind(PageControl1);
    if (!prompter.ask_yes_no(analysis::generation_question(*keyword, kind))) {
        return;
    }
    run_job(analysis::matrix_job_title(kind), kind == analysis::MatrixKind::word_document
                                                  ? msg::job_word_document
                                                  : msg::job_cooccurrence);
}

void TForm_zhu::matrix_job(TForm_zhuangtaitiao& dialog, analysis::MatrixKind kind) {
    store::Workspace* ws = project_workspace();
    if (ws == nullptr) {
        return;
    }
    const std::vector<analysis::RankedValue> ranked = ranked_rows();
    // Built aside, so the grid keeps showing the old matrix until the new one is whole.
    analysis::MatrixResults fresh;
    try {
        if (!analysis::run_matrix_job(*ws, kind, chosen_keyword(ComboBox2), selected_format_type(),
                                      ranked, analysis::parse_bound(Edit3->text().toStdString()),
                                      analysis::parse_bound(Edit5->text().toStdString()), fresh,
                                      dialog)) {
            return;
        }
    } catch (const std::exception& e) {
        prompter.refuse(e.what());
        return;
    }
    if (kind == analysis::MatrixKind::word_document) {
        StringGrid1_cells->show(static_cast<const analysis::WordDocumentMatrix*>(nullptr));
        matrices.word_document = std::move(fresh.word_document);
        ListBox_cipian = matrices.word_document_lines();
        StringGrid1_cells->show(&*matrices.word_document);
    } else {
        StringGrid2_cells->show(static_cast<const analysis::CooccurrenceMatrix*>(nullptr));
        matrices.cooccurrence = std::move(fresh.cooccurrence);
        ListBox_gongxian = matrices.cooccurrence_lines();
        StringGrid2_cells->show(&*matrices.cooccurrence);
    }
}

std::vector<analysis::RankedValue> TForm_zhu::ranked_rows() const {
    std::vector<analysis::RankedValue> ranked;
    ranked.reserve(tongji_rows.size());
    for (const auto& r : tongji_rows) {
        ranked.push_back({r.zhi, analysis::parse_count(r.cishu)});
    }
    return ranked;
}

void TForm_zhu::word_document_job(TForm_zhuangtaitiao& dialog) {
    matrix_job(dialog, analysis::MatrixKind::word_document);
}

void TForm_zhu::cooccurrence_job(TForm_zhuangtaitiao& dialog) {
    matrix_job(dialog, analysis::MatrixKind::cooccurrence);
}

void TForm_zhu::SpeedButton8Click() {
    if (!project_with_number()) {
        return;
    }
    const auto chosen = prompter.choose_save_file(msg::matrix_save_title, msg::matrix_save_filter);
    if (!chosen) {
        return;
    }
    const auto& lines = shown_kind(PageControl1) == analysis::MatrixKind::cooccurrence
                            ? ListBox_gongxian
                            : ListBox_cipian;
    try {
        analysis::write_matrix_lines(analysis::matrix_export_target(*chosen), lines);
    } catch (const std::exception& e) {
        prompter.refuse(e.what());
    }
}

} // namespace lumacite::app
