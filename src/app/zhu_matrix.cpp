// Matrix page: keyword and bounds, the word-document and co-occurrence jobs, the matrix
// export and the article information export of a co-occurrence cell.
#include "app/zhu.h"

namespace lumacite::app {

void TForm_zhu::ComboBox2Change(int) {
    // Keyword choice and default bounds: filled by the matrix feature.
}

void TForm_zhu::SpeedButton7Click() {
    // The generation command: filled by the matrix feature.
}

void TForm_zhu::word_document_job(TForm_zhuangtaitiao&) {
    // Job "词篇矩阵": filled by the word-document matrix feature.
}

void TForm_zhu::cooccurrence_job(TForm_zhuangtaitiao&) {
    // Job "共现矩阵": filled by the co-occurrence matrix feature.
}

void TForm_zhu::SpeedButton8Click() {
    // Matrix to a text file: filled by the matrix export.
}

void TForm_zhu::MenuItem1Click() {
    // Co-occurring articles to a text report: filled by the article information export.
}

void TForm_zhu::MenuItem3Click() {
    // Co-occurring articles to a workbook: filled by the article information export.
}

} // namespace lumacite::app
