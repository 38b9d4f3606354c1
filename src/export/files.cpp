// Export files: the exports folder, names of shown workbooks, the text file writer.
#include "export/exports.h"
#include "export/text_file.h"
#include "messages.h"
#include "text/text.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace lumacite::exports {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t part_characters = 40;

// A part of a file name: "/" and control characters become "_", at most 40 characters.
std::string name_part(std::string_view text) {
    std::string out;
    std::size_t characters = 0;
    std::size_t pos = 0;
    while (pos < text.size() && characters < part_characters) {
        const char32_t cp = text::next_code_point(text, pos);
        text::append_utf8(out, cp == U'/' || cp < 0x20 || cp == 0x7F ? U'_' : cp);
        ++characters;
    }
    return out;
}

} // namespace

std::string cannot_write_message(const fs::path& file, std::string_view cause) {
    std::string out = msg::file_cannot_write;
    out += file.string();
    out += "：";
    out += cause;
    return out;
}

fs::path exports_folder(const fs::path& program_folder) {
    return program_folder / "exports";
}

fs::path new_workbook_path(const fs::path& program_folder, std::string_view kind,
                           std::span<const std::string> parts, const std::tm& now) {
    const fs::path folder = exports_folder(program_folder);
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        throw ExportError(cannot_write_message(folder, ec.message()));
    }
    std::string stem = name_part(kind);
    for (const auto& part : parts) {
        stem += '_';
        stem += name_part(part);
    }
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &now);
    stem += '_';
    stem += stamp;
    for (int n = 1;; ++n) {
        const fs::path candidate =
            folder / (stem + (n == 1 ? std::string() : "-" + std::to_string(n)) + ".xlsx");
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return candidate;
        }
        if (errno != EEXIST) {
            throw ExportError(cannot_write_message(candidate, std::strerror(errno)));
        }
    }
}

// ---- TextFileWriter ---------------------------------------------------------------------

TextFileWriter::TextFileWriter(fs::path file) : file_(std::move(file)) {
    fd_ = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        throw ExportError(cannot_write_message(file_, std::strerror(errno)));
    }
    buffer_.reserve(1 << 20);
}

TextFileWriter::~TextFileWriter() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void TextFileWriter::line(std::string_view utf8) {
    buffer_ += text::utf8_to_gb18030(utf8);
    buffer_ += "\r\n";
    if (buffer_.size() >= (1 << 20)) {
        write_buffer();
    }
}

void TextFileWriter::write_buffer() {
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw ExportError(cannot_write_message(file_, std::strerror(errno)));
        }
        done += static_cast<std::size_t>(n);
    }
    buffer_.clear();
}

void TextFileWriter::close() {
    if (fd_ < 0) {
        return;
    }
    write_buffer();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        throw ExportError(cannot_write_message(file_, std::strerror(errno)));
    }
}

} // namespace lumacite::exports
