// Reading an input file whole, as the extractors need it: a file that is gzip-compressed
// (it begins with the bytes 1F 8B, whatever its name) is decompressed through zlib, every
// other file is read as it is. Concatenated gzip members are read one after the other.
//
// Large plain files are mapped rather than copied: a fresh buffer costs a page fault for
// every 4 KB touched, which on some machines is most of an extraction's time. A mapped file
// that shrinks while it is read would end the program with SIGBUS; the pages it loses read
// as zeros instead and `intact()` turns false, so the caller can report the file unreadable.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace lumacite::extract {

// The bytes of one input file. The buffer is kept from one read to the next, so a reader
// of many files allocates for the largest only.
class InputFile {
public:
    enum class Status {
        read,        // bytes() holds the file (decompressed when it was compressed)
        unreadable,  // missing, not a regular file, or an error of the file system
        corrupt_gzip // compressed data that cannot be decompressed (damaged or cut short)
    };

    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    // Reads `file` in place of what was read before.
    Status read(const std::filesystem::path& file);
    std::string_view bytes() const { return {mapped_ != nullptr ? mapped_ : data_, size_}; }
    // True when the file read last was gzip-compressed.
    bool compressed() const { return compressed_; }
    // False when the file read last was cut short by another program while it was read
    // (some of bytes() then reads as zeros).
    bool intact() const;
    // Gives the buffer back (after the last file).
    void release();

private:
    // Room for at least `size` bytes; what the buffer holds is kept.
    void reserve(std::size_t size);
    Status inflate_from(int fd);
    // Maps `size` bytes of the file; false when it cannot be mapped (then it is read).
    bool map(int fd, std::size_t size);
    void unmap();

    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    bool compressed_ = false;
    const char* mapped_ = nullptr; // the mapped file, or null when the bytes are in data_
    int guard_ = -1;               // the SIGBUS guard's slot of the mapping
};

// The text shown for a file that cannot be read: "“" + path + "”文件无法读取，提取已中止！\r",
// or for damaged compressed data "“" + path + "”文件的压缩数据已损坏，无法解压，提取已中止！\r".
std::string input_failure_message(InputFile::Status status, const std::filesystem::path& file);

} // namespace lumacite::extract
