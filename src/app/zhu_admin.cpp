// Administrator page: formats and their keyword definitions.
#include "app/zhu.h"

namespace lumacite::app {

void TForm_zhu::ComboBox_geshiChange(int) {
    // The chosen format's keyword definitions in DBGrid1: filled by the format commands.
}

void TForm_zhu::SpeedButton1Click() {
    // Add a format: filled by the format commands.
}

void TForm_zhu::SpeedButton2Click() {
    // Delete a format: filled by the format commands.
}

void TForm_zhu::SpeedButton3Click() {
    // Modify a format: filled by the format commands.
}

void TForm_zhu::SpeedButton4Click() {
    // Add a keyword definition: filled by the keyword definition commands.
}

void TForm_zhu::SpeedButton5Click() {
    // Delete a keyword definition: filled by the keyword definition commands.
}

void TForm_zhu::SpeedButton6Click() {
    // Modify a keyword definition: filled by the keyword definition commands.
}

} // namespace lumacite::app
