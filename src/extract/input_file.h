// Reading an input file whole, as the extractors need it: a file that is gzip-compressed
// (it begins with the bytes 1F 8B, whatever its name) is decompressed through zlib, every
// other file is read as it is. Concatenated gzip members are read one after the other.
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
    std::string_view bytes() const { return {data_, size_}; }
    // True when the file read last was gzip-compressed.
    bool compressed() const { return compressed_; }
    // Gives the buffer back (after the last file).
    void release();

private:
    // Room for at least `size` bytes; what the buffer holds is kept.
    void reserve(std::size_t size);
    Status inflate_from(int fd);

    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    bool compressed_ = false;
};

// The text shown for a file that cannot be read: "“" + path + "”文件无法读取，提取已中止！\r",
// or for damaged compressed data "“" + path + "”文件的压缩数据已损坏，无法解压，提取已中止！\r".
std::string input_failure_message(InputFile::Status status, const std::filesystem::path& file);

} // namespace lumacite::extract
