// Inside the export module: a text file written line by line in GB18030 with CR LF line
// ends, buffered, reporting a failure with the user's message naming the file.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace lumacite::exports {

class TextFileWriter {
public:
    // Creates the file, replacing an existing one. Throws ExportError.
    explicit TextFileWriter(std::filesystem::path file);
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;
    ~TextFileWriter();

    // Appends the UTF-8 text encoded as GB18030, then CR LF.
    void line(std::string_view utf8);
    // Writes what is buffered and closes the file. Throws ExportError.
    void close();

private:
    void write_buffer();

    std::filesystem::path file_;
    int fd_ = -1;
    std::string buffer_;
};

} // namespace lumacite::exports
