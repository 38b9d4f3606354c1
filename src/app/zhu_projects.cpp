// Project page: the project list and the project's number, format and description.
#include "app/zhu.h"

namespace lumacite::app {

void TForm_zhu::ADOQuery_xiangmuAfterScroll() {
    // Project selection (workspace, keyword lists, document list): filled by the projects feature.
}

void TForm_zhu::SpeedButton9Click() {
    // Add a project: filled by the projects feature.
}

void TForm_zhu::SpeedButton10Click() {
    // Delete a project: filled by the projects feature.
}

void TForm_zhu::Edit1Exit() {
    // Store a new project number: filled by the projects feature.
}

void TForm_zhu::ComboBox_geshi_2Change(int) {
    // Store the project's format: filled by the projects feature.
}

void TForm_zhu::Memo1Exit() {
    // Store the project's description: filled by the projects feature.
}

} // namespace lumacite::app
