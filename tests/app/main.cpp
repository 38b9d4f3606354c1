// Test main of the window tests: a QApplication on the offscreen platform (unless the
// environment names another) with Qt's Chinese translations, the splash skipped, and
// unexpected questions of the scripted prompter failing the running test.
#include "app/scripted_prompter.h"
#include "app/translations.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qputenv("LUMACITE_NO_SPLASH", "1");
    QApplication app(argc, argv);
    // As the program does, so that the standard buttons read as the user sees them.
    lumacite::app::install_qt_translations(app);
    ::testing::InitGoogleTest(&argc, argv);
    lumacite::app::ScriptedPrompter::set_failure_handler(
        [](const std::string& what) { ADD_FAILURE() << what; });
    return RUN_ALL_TESTS();
}
