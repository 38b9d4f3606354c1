// Enter as Tab: in the fields of a form, Enter (Return or the keypad's Enter) types
// nothing and moves the focus exactly as Tab would; Shift+Enter moves it back as
// Shift+Tab does. The main window's project and article-number fields and the format,
// keyword and value dialogs use it.
#pragma once

#include <QWidget>

#include <initializer_list>

namespace lumacite::app {

// Makes Enter move the focus in each field, for as long as the field lives.
void enter_as_tab(std::initializer_list<QWidget*> fields);

} // namespace lumacite::app
