// Made-up Web of Science records in the shipped WOS format, for tests that need files of a
// chosen size: every article has authors, a title, a journal, a year and keywords, and no
// value is empty, so what a run stores is known in advance.
#pragma once

#include <string>

namespace lumacite::testing {

// `count` records; `tag` makes the values of one file differ from those of another.
inline std::string wos_records(int count, const std::string& tag) {
    std::string out = "FN Clarivate Analytics Web of Science\nVR 1.0\n";
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        out += "PT J\nAU " + tag + " Author" + n + "\n   Coauthor" + std::to_string(i % 17) +
               "\nTI A study of " + tag + " number " + n + "\nSO JOURNAL " + std::to_string(i % 7) +
               "\nPY " + std::to_string(1990 + i % 30) + "\nDE key" + std::to_string(i % 11) +
               "; key" + std::to_string(i % 13) + "\nER\n\n";
    }
    return out + "EF\n";
}

} // namespace lumacite::testing
