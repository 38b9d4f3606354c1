// The program folder of a window test (test_home.h) and Qt's text of a UTF-8 literal.
#pragma once

#include "support/test_home.h"

#include <QString>

namespace lumacite::testing {

inline QString qs(const char* s) {
    return QString::fromUtf8(s);
}

} // namespace lumacite::testing
