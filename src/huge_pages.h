// Asking the kernel for huge pages for a large block about to be filled: one page fault
// per 2 MB instead of one per 4 KB, which on some machines is most of the cost of fresh
// memory. Advice only: nothing changes where it is not followed.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

namespace lumacite {

inline void advise_huge_pages(const void* data, std::size_t size) {
#ifdef MADV_HUGEPAGE
    constexpr std::size_t worth = 4u << 20;
    if (size < worth) {
        return;
    }
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + page - 1) & ~(page - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(page - 1);
    if (end > begin) {
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    }
#else
    (void)data;
    (void)size;
#endif
}

// Room for `n` elements in `v`, advised as above before anything is written there.
template <class Vector> void reserve_huge(Vector& v, std::size_t n) {
    v.reserve(n);
    advise_huge_pages(v.data(), v.capacity() * sizeof(typename Vector::value_type));
}

} // namespace lumacite
