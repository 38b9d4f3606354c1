// Reading the files of a directory entry ahead, on several threads: each reader reads and
// extracts whole files into rows kept in memory, and the extraction run takes the files in
// order and writes their rows, so the table is that of reading one file after the other.
#pragma once

#include "extract/extractor.h"
#include "extract/input_file.h"
#include "extract/value_sink.h"
#include "progress.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace lumacite::extract {

// The rows one file gave, in the order found, until they can be written.
class RecordedRows final : public ValueSink {
public:
    void write(std::string_view wenzhangha, std::string_view guanjianzi,
               std::string_view zhi) override;
    // Calls f(wenzhangha, guanjianzi, zhi) for every row, in the order written.
    template <class F> void replay(F&& f) const;
    long long rows() const { return rows_; }
    // Forgets the rows, keeping the memory for the rows of another file.
    void clear();

private:
    // Each row: a flag byte (bit 0: a new article number follows, bit 1: a new keyword),
    // then the texts that changed and the value, each as a 4-byte length and its bytes.
    std::string bytes_;
    std::string last_wenzhangha_;
    std::string last_guanjianzi_;
    long long rows_ = 0;
};

// One file as a reader left it.
struct ReadFile {
    FileOutcome outcome;
    RecordedRows rows;
    std::string article_number; // tagged text: the article number current after the file
    std::exception_ptr error;   // what the reader threw, rethrown where the file is taken
};

// What a reader does with file n: reads it into `input` (the reader's own buffer),
// extracts it into `read`, showing its progress on `gauge`.
using FileReader =
    std::function<void(std::size_t n, InputFile& input, ReadFile& read, Progress& gauge)>;

class ReadAhead {
public:
    // Starts `readers` threads over the files 0 .. count-1, each with the reader that
    // `make_reader` gives it; at most readers + 1 files are read and not yet released.
    ReadAhead(std::size_t count, int readers, const std::function<FileReader()>& make_reader);
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;
    // Abandons the files being read and waits for the readers.
    ~ReadAhead();

    // Waits until file n is read, forwarding its gauge to `progress` and pumping it
    // meanwhile; rethrows what its reader threw. Files are taken in order.
    ReadFile& take(std::size_t n, Progress& progress);
    // Frees file n once its rows are written: a reader may start another file.
    void release(std::size_t n);

private:
    struct Slot;
    void run_reader(const FileReader& reader);
    // Abandons the files being read and joins the readers.
    void stop();

    std::size_t count_;
    std::size_t window_;
    std::mutex mutex_;
    std::condition_variable room_; // a file was released, or the readers must stop
    std::condition_variable read_; // a file has been read
    std::vector<std::unique_ptr<Slot>> slots_;
    std::size_t next_ = 0;                 // the next file a reader starts
    std::size_t released_ = 0;             // files released so far
    std::vector<RecordedRows> spare_rows_; // of released files, for the files to come
    std::atomic<bool> abandoned_{false};
    std::vector<std::thread> threads_;
};

template <class F> void RecordedRows::replay(F&& f) const {
    const char* p = bytes_.data();
    const char* const end = p + bytes_.size();
    auto text = [&p] {
        std::uint32_t n = 0;
        std::memcpy(&n, p, sizeof n);
        p += sizeof n;
        const std::string_view t(p, n);
        p += n;
        return t;
    };
    std::string_view wenzhangha;
    std::string_view guanjianzi;
    while (p < end) {
        const char flags = *p++;
        if ((flags & 1) != 0) {
            wenzhangha = text();
        }
        if ((flags & 2) != 0) {
            guanjianzi = text();
        }
        f(wenzhangha, guanjianzi, text());
    }
}

} // namespace lumacite::extract
