#include "extract/input_file.h"

#include "huge_pages.h"
#include "messages.h"
#include "store/unique_fd.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumacite::extract {
namespace {

// Plain files from this size on are mapped; smaller ones are read into the kept buffer.
constexpr std::size_t map_from = 8u << 20;
// The mapped input files of all threads, for the SIGBUS handler. A slot is taken by
// setting `end` last and given back by clearing `begin` first.
struct GuardSlot {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
    std::atomic<bool> lost{false};
};
std::array<GuardSlot, 32> guard_slots;
std::mutex guard_mutex;                // taking and giving back slots (never in the handler)
std::uintptr_t guard_page_size = 4096; // set before the handler is installed
struct sigaction previous_sigbus {};

// A page of a mapped input file that is gone (the file was cut short) becomes a zero page
// and its slot is marked; any other SIGBUS goes to the disposition that was there before.
void on_sigbus(int, siginfo_t* info, void*) {
    const auto at = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (GuardSlot& slot : guard_slots) {
        const std::uintptr_t begin = slot.begin.load(std::memory_order_acquire);
        if (begin != 0 && at >= begin && at < slot.end.load(std::memory_order_acquire)) {
            const std::uintptr_t page = guard_page_size;
            void* const zero = reinterpret_cast<void*>(at & ~(page - 1));
            if (::mmap(zero, page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) !=
                MAP_FAILED) {
                slot.lost.store(true, std::memory_order_release);
                return;
            }
        }
    }
    // Returning runs a faulting instruction again, now under the old disposition; a signal
    // sent by a program is sent again.
    ::sigaction(SIGBUS, &previous_sigbus, nullptr);
    if (info->si_code <= 0) {
        ::raise(SIGBUS);
    }
}

// A slot for a mapping, the handler installed with the first; -1 when all are taken.
int take_guard_slot(const char* data, std::size_t size) {
    const std::lock_guard lock(guard_mutex);
    static const bool installed = [] {
        guard_page_size = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = on_sigbus;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        return ::sigaction(SIGBUS, &action, &previous_sigbus) == 0;
    }();
    if (!installed) {
        return -1;
    }
    for (std::size_t i = 0; i < guard_slots.size(); ++i) {
        GuardSlot& slot = guard_slots[i];
        if (slot.end.load(std::memory_order_acquire) == 0) {
            slot.lost.store(false, std::memory_order_relaxed);
            slot.begin.store(reinterpret_cast<std::uintptr_t>(data), std::memory_order_release);
            slot.end.store(reinterpret_cast<std::uintptr_t>(data) + size,
                           std::memory_order_release);
            return static_cast<int>(i);
        }
    }
    return -1;
}

void give_back_guard_slot(int i) {
    const std::lock_guard lock(guard_mutex);
    GuardSlot& slot = guard_slots[static_cast<std::size_t>(i)];
    slot.begin.store(0, std::memory_order_release);
    slot.end.store(0, std::memory_order_release);
}

// Reads up to `size` bytes; fewer only at the end of the file. -1 on an error.
ssize_t read_some(int fd, void* data, std::size_t size) {
    char* p = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, p + done, size - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

bool gzip_magic(const unsigned char* p, std::size_t n) {
    return n >= 2 && p[0] == 0x1F && p[1] == 0x8B;
}

// The uncompressed size a gzip file's trailer gives (its last member's, modulo 4 GiB),
// never less than the file's own size; the file's size when there is no trailer to read.
std::size_t gzip_expected_size(int fd, std::size_t file_size) {
    unsigned char trailer[4];
    if (file_size < 18 || ::pread(fd, trailer, 4, static_cast<off_t>(file_size - 4)) != 4) {
        return file_size;
    }
    const std::size_t isize =
        static_cast<std::size_t>(trailer[0]) | static_cast<std::size_t>(trailer[1]) << 8 |
        static_cast<std::size_t>(trailer[2]) << 16 | static_cast<std::size_t>(trailer[3]) << 24;
    return std::max(file_size, isize);
}

} // namespace

InputFile::~InputFile() {
    release();
}

void InputFile::release() {
    unmap();
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
    capacity_ = 0;
}

void InputFile::reserve(std::size_t size) {
    if (size <= capacity_ && data_ != nullptr) {
        return;
    }
    const std::size_t wanted = std::max<std::size_t>(size, 1);
    // realloc keeps the bytes read so far; large blocks move without a copy.
    void* grown = std::realloc(data_, wanted);
    if (grown == nullptr) {
        throw std::bad_alloc();
    }
    data_ = static_cast<char*>(grown);
    advise_huge_pages(data_, wanted);
    capacity_ = wanted;
}

bool InputFile::map(int fd, std::size_t size) {
    void* p = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (p == MAP_FAILED) {
        return false;
    }
    guard_ = take_guard_slot(static_cast<const char*>(p), size);
    if (guard_ < 0) {
        ::munmap(p, size);
        return false;
    }
    mapped_ = static_cast<const char*>(p);
    size_ = size;
    return true;
}

void InputFile::unmap() {
    if (mapped_ == nullptr) {
        return;
    }
    give_back_guard_slot(guard_);
    ::munmap(const_cast<char*>(mapped_), size_);
    mapped_ = nullptr;
    guard_ = -1;
    size_ = 0;
}

bool InputFile::intact() const {
    return mapped_ == nullptr ||
           !guard_slots[static_cast<std::size_t>(guard_)].lost.load(std::memory_order_acquire);
}

InputFile::Status InputFile::read(const std::filesystem::path& file) {
    unmap();
    size_ = 0;
    compressed_ = false;
    const store::UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return Status::unreadable;
    }
    unsigned char head[2] = {0, 0};
    const ssize_t got = ::pread(fd.get(), head, sizeof head, 0);
    if (got < 0) {
        return Status::unreadable;
    }
    if (gzip_magic(head, static_cast<std::size_t>(got))) {
        compressed_ = true;
        return inflate_from(fd.get());
    }
    if (static_cast<std::size_t>(st.st_size) >= map_from &&
        map(fd.get(), static_cast<std::size_t>(st.st_size))) {
        return Status::read;
    }
    // The size may change while the file is read: read to its end, whatever it is then.
    reserve(static_cast<std::size_t>(st.st_size) + 1);
    for (;;) {
        if (size_ == capacity_) {
            reserve(capacity_ * 2);
        }
        const ssize_t n = read_some(fd.get(), data_ + size_, capacity_ - size_);
        if (n < 0) {
            size_ = 0;
            return Status::unreadable;
        }
        size_ += static_cast<std::size_t>(n);
        if (size_ < capacity_) {
            return Status::read;
        }
    }
}

InputFile::Status InputFile::inflate_from(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        return Status::unreadable;
    }
    const auto packed_size = static_cast<std::size_t>(st.st_size);
    // The compressed bytes, mapped (a page of them lost on the way reads as zeros, which
    // fails the check of the data): no copy, no fresh memory.
    void* const mapped = ::mmap(nullptr, packed_size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (mapped == MAP_FAILED) {
        return Status::unreadable;
    }
    const int guard = take_guard_slot(static_cast<const char*>(mapped), packed_size);
    struct Unmap {
        void* p;
        std::size_t n;
        int guard;
        ~Unmap() {
            if (guard >= 0) {
                give_back_guard_slot(guard);
            }
            ::munmap(p, n);
        }
    } unmap{mapped, packed_size, guard};
    const auto* in = static_cast<const unsigned char*>(mapped);

    struct Decompressor {
        libdeflate_decompressor* d = libdeflate_alloc_decompressor();
        ~Decompressor() { libdeflate_free_decompressor(d); }
    } decompressor;
    if (decompressor.d == nullptr) {
        throw std::bad_alloc();
    }
    reserve(gzip_expected_size(fd, packed_size) + 1);
    std::size_t at = 0;
    for (;;) {
        // Members one after the other; zero bytes of padding may end the file.
        if (in[at] == 0 &&
            std::all_of(in + at, in + packed_size, [](unsigned char b) { return b == 0; })) {
            break;
        }
        if (!gzip_magic(in + at, packed_size - at)) {
            size_ = 0;
            return Status::corrupt_gzip;
        }
        std::size_t used = 0;
        std::size_t made = 0;
        const libdeflate_result r =
            libdeflate_gzip_decompress_ex(decompressor.d, in + at, packed_size - at, data_ + size_,
                                          capacity_ - size_, &used, &made);
        if (r == LIBDEFLATE_INSUFFICIENT_SPACE) {
            // The trailer gives the size of the last member only (modulo 4 GiB).
            reserve(capacity_ * 2);
            continue;
        }
        if (r != LIBDEFLATE_SUCCESS) {
            size_ = 0;
            return Status::corrupt_gzip;
        }
        size_ += made;
        at += used;
        if (at == packed_size) {
            break;
        }
    }
    if (guard >= 0 && guard_slots[static_cast<std::size_t>(guard)].lost.load()) {
        size_ = 0;
        return Status::unreadable;
    }
    return Status::read;
}

std::string input_failure_message(InputFile::Status status, const std::filesystem::path& file) {
    return std::string(msg::extract_file_unreadable) + file.string() +
           (status == InputFile::Status::corrupt_gzip ? msg::extract_gzip_corrupt_tail
                                                      : msg::extract_file_unreadable_tail);
}

} // namespace lumacite::extract
