#include "extract/input_file.h"

#include "messages.h"
#include "store/unique_fd.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace lumacite::extract {
namespace {

constexpr std::size_t read_block = 1 << 20;

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
    capacity_ = wanted;
}

InputFile::Status InputFile::read(const std::filesystem::path& file) {
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
    ::fstat(fd, &st);
    reserve(gzip_expected_size(fd, static_cast<std::size_t>(st.st_size)) + 1);

    z_stream z{};
    // 16 + MAX_WBITS: a gzip stream with its header and trailer (CRC and length checked).
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) {
        throw std::bad_alloc();
    }
    struct End {
        z_stream& z;
        ~End() { inflateEnd(&z); }
    } end{z};

    std::vector<unsigned char> in(read_block);
    bool at_eof = false;
    bool member_ended = false;
    for (;;) {
        if (z.avail_in == 0 && !at_eof) {
            const ssize_t n = read_some(fd, in.data(), in.size());
            if (n < 0) {
                size_ = 0;
                return Status::unreadable;
            }
            at_eof = static_cast<std::size_t>(n) < in.size();
            z.next_in = in.data();
            z.avail_in = static_cast<uInt>(n);
        }
        if (member_ended) {
            if (z.avail_in == 0 && at_eof) {
                return Status::read;
            }
            if (z.avail_in == 0) {
                continue;
            }
            // Another member follows, or zero bytes of padding end the file.
            if (z.next_in[0] != 0x1F) {
                const bool zeros = std::all_of(z.next_in, z.next_in + z.avail_in,
                                               [](unsigned char b) { return b == 0; });
                if (!zeros) {
                    size_ = 0;
                    return Status::corrupt_gzip;
                }
                z.avail_in = 0;
                continue;
            }
            inflateReset(&z);
            member_ended = false;
        }
        if (size_ == capacity_) {
            reserve(capacity_ * 2);
        }
        z.next_out = reinterpret_cast<unsigned char*>(data_ + size_);
        const std::size_t room = std::min<std::size_t>(capacity_ - size_, 1u << 30);
        z.avail_out = static_cast<uInt>(room);
        const uInt before_in = z.avail_in;
        const int r = inflate(&z, Z_NO_FLUSH);
        size_ += room - z.avail_out;
        if (r == Z_STREAM_END) {
            member_ended = true;
            continue;
        }
        if (r == Z_MEM_ERROR) {
            throw std::bad_alloc();
        }
        const bool stuck = r == Z_BUF_ERROR && z.avail_in == before_in && z.avail_out > 0;
        if ((r != Z_OK && r != Z_BUF_ERROR) || (stuck && at_eof)) {
            // Damaged data, or the file ends inside a member.
            size_ = 0;
            return Status::corrupt_gzip;
        }
    }
}

std::string input_failure_message(InputFile::Status status, const std::filesystem::path& file) {
    return std::string(msg::extract_file_unreadable) + file.string() +
           (status == InputFile::Status::corrupt_gzip ? msg::extract_gzip_corrupt_tail
                                                      : msg::extract_file_unreadable_tail);
}

} // namespace lumacite::extract
