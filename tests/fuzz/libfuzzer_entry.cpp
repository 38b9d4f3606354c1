// libFuzzer's entry for one harness; LUMACITE_FUZZ_TARGET names it (see harnesses.h). A
// property that does not hold aborts, so that libFuzzer keeps the input that broke it.
#include "harnesses.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        lumacite::fuzz::LUMACITE_FUZZ_TARGET(
            std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const lumacite::fuzz::PropertyViolation& e) {
        std::fprintf(stderr, "property does not hold: %s\n", e.what());
        std::abort();
    }
    return 0;
}
