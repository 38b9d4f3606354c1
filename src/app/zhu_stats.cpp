// Statistics page: counting a keyword, its rows, the workbook export and the article
// information export of a row.
#include "app/zhu.h"

namespace lumacite::app {

void TForm_zhu::ComboBox3Change(int) {
    // Show the keyword's statistics rows: filled by the statistics feature.
}

void TForm_zhu::SpeedButton11Click() {
    // The statistics command: filled by the statistics feature.
}

void TForm_zhu::statistics_job(TForm_zhuangtaitiao&) {
    // Job "统计": filled by the statistics feature.
}

void TForm_zhu::SpeedButton12Click() {
    // Statistics to a workbook: filled by the statistics export.
}

void TForm_zhu::txt1Click() {
    // Articles of the row to a text report: filled by the article information export.
}

void TForm_zhu::excel1Click() {
    // Articles of the row to a workbook: filled by the article information export.
}

} // namespace lumacite::app
