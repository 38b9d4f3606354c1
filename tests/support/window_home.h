// The program folder of a window test (test_home.h), Qt's text of a UTF-8 literal and the
// lines of a grid.
#pragma once

#include "support/test_home.h"

#include <QAbstractItemModel>
#include <QString>

#include <string>
#include <vector>

namespace lumacite::testing {

inline QString qs(const char* s) {
    return QString::fromUtf8(s);
}

// The rows of a two-column grid (the values grid: article and value) as "first|second".
inline std::vector<std::string> pair_lines(const QAbstractItemModel& model) {
    std::vector<std::string> out;
    for (int r = 0; r < model.rowCount(); ++r) {
        out.push_back(model.index(r, 0).data().toString().toStdString() + "|" +
                      model.index(r, 1).data().toString().toStdString());
    }
    return out;
}

} // namespace lumacite::testing
