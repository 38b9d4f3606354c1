// Qt's own Chinese translations, so that the standard dialogs (file choosers) and the
// buttons of every question (是, 否, 确定, 取消) speak the interface's language.
#pragma once

#include <QCoreApplication>

namespace lumacite::app {

// Loads qtbase_zh_CN from Qt's translations folder into the application. False when the
// translations are not installed (the dialogs then stay in English).
bool install_qt_translations(QCoreApplication& application);

} // namespace lumacite::app
