// The program folder of a benchmark run: a fresh folder in $TMPDIR (default /tmp),
// removed with everything in it when the program ends.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace lumacite::bench {

inline const std::filesystem::path& bench_home() {
    static const std::filesystem::path home = [] {
        namespace fs = std::filesystem;
        std::string pattern = (fs::temp_directory_path() / "lumacite-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(bench_home(), ec);
        });
        return fs::path(pattern);
    }();
    return home;
}

} // namespace lumacite::bench
