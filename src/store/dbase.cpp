// dBase III table files with POSIX file calls: buffered appends, block scans, in-place
// updates, and a pack that renames a new file over the old one.
#include "store/dbase.h"

#include "text/text.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <cstring>
#include <ctime>
#include <exception>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>

namespace lumacite::store {
namespace {

constexpr std::size_t header_size = 32;
constexpr std::size_t descriptor_size = 32;
constexpr char header_terminator = 0x0D;
constexpr char end_marker = 0x1A;
constexpr std::size_t batch_bytes = 4 << 20;   // appends are written in batches of this size
constexpr std::size_t block_bytes = 256 << 10; // scans read blocks of this size

std::string system_text(int error) {
    return std::system_category().message(error);
}

void put_u16(std::string& s, std::size_t at, std::uint16_t v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8);
}

void put_u32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        s[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
}

std::uint32_t get_u32(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<std::size_t>(i)]);
    }
    return v;
}

std::uint16_t get_u16(const std::string& s, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(s[at]) |
                                      (static_cast<unsigned char>(s[at + 1]) << 8));
}

void stamp_date(std::string& header) {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    header[1] = static_cast<char>(tm.tm_year % 256);
    header[2] = static_cast<char>(tm.tm_mon + 1);
    header[3] = static_cast<char>(tm.tm_mday);
}

std::string_view trim_padding(std::string_view raw) {
    while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\0')) {
        raw.remove_suffix(1);
    }
    return raw;
}

std::optional<long long> parse_integer(std::string_view s) {
    s = text::trim_view(s);
    if (s.empty()) {
        return std::nullopt;
    }
    if (s.front() == '+') {
        s.remove_prefix(1);
    }
    // A numeric field with decimals stores "12.00": the integral part counts.
    const auto dot = s.find('.');
    std::string_view whole = s.substr(0, dot);
    if (dot != std::string_view::npos) {
        for (char c : s.substr(dot + 1)) {
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
        }
    }
    long long v = 0;
    const auto [end, ec] = std::from_chars(whole.data(), whole.data() + whole.size(), v);
    if (ec != std::errc() || end != whole.data() + whole.size() || whole.empty()) {
        return std::nullopt;
    }
    return v;
}

} // namespace

// ---- Layout -----------------------------------------------------------------------------

DbaseLayout::DbaseLayout(std::vector<DbaseField> fields) : fields_(std::move(fields)) {
    std::size_t at = 1;
    for (const auto& f : fields_) {
        if (f.name.empty() || f.name.size() > 10) {
            throw DbaseError("dBase field name must have 1 to 10 characters: \"" + f.name + "\"");
        }
        if (f.width == 0) {
            throw DbaseError("dBase field " + f.name + " has no width");
        }
        if (f.type == 'N' && f.width > 20) {
            throw DbaseError("dBase numeric field " + f.name + " is wider than 20");
        }
        offsets_.push_back(at);
        at += f.width;
    }
    if (at > 0xFFFF) {
        throw DbaseError("dBase record longer than 65535 bytes");
    }
    record_length_ = at;
}

std::optional<std::size_t> DbaseLayout::find(std::string_view name) const {
    const std::string wanted = text::ascii_lower(name);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (text::ascii_lower(fields_[i].name) == wanted) {
            return i;
        }
    }
    return std::nullopt;
}

std::size_t DbaseLayout::index(std::string_view name) const {
    if (auto i = find(name)) {
        return *i;
    }
    throw DbaseError("the table has no field \"" + std::string(name) + "\"");
}

std::string DbaseLayout::encode_text(std::size_t field, std::string_view utf8) const {
    const DbaseField& f = fields_.at(field);
    if (f.type == 'N') {
        const auto v = parse_integer(utf8);
        if (!v && !text::trim_view(utf8).empty()) {
            throw DbaseError("not a whole number for field " + f.name + ": \"" + std::string(utf8) +
                             "\"");
        }
        return encode_integer(field, v);
    }
    std::string out = text::utf8_to_gb18030(text::truncate_to_width(utf8, f.width));
    out.resize(f.width, ' ');
    return out;
}

std::string DbaseLayout::encode_integer(std::size_t field, std::optional<long long> value) const {
    const DbaseField& f = fields_.at(field);
    if (!value) {
        return std::string(f.width, ' ');
    }
    std::string digits = std::to_string(*value);
    if (digits.size() > f.width) {
        throw DbaseError("number " + digits + " does not fit field " + f.name);
    }
    if (f.type != 'N') {
        digits.resize(f.width, ' ');
        return digits;
    }
    return std::string(f.width - digits.size(), ' ') + digits;
}

// ---- Records ----------------------------------------------------------------------------

std::string DbaseRecordView::text(std::size_t field) const {
    return text::gb18030_to_utf8(trim_padding(raw(field)));
}

std::optional<long long> DbaseRecordView::integer(std::size_t field) const {
    return parse_integer(raw(field));
}

void DbaseRecordEdit::set_raw(std::size_t field, std::string_view encoded) {
    const auto width = layout_->fields().at(field).width;
    if (encoded.size() != width) {
        throw DbaseError("stored value of field " + layout_->fields()[field].name +
                         " has the wrong width");
    }
    std::memcpy(mutable_ + layout_->offset(field), encoded.data(), width);
}

void DbaseRecordEdit::set_text(std::size_t field, std::string_view utf8) {
    set_raw(field, layout_->encode_text(field, utf8));
}

void DbaseRecordEdit::set_integer(std::size_t field, std::optional<long long> value) {
    set_raw(field, layout_->encode_integer(field, value));
}

DbaseRecord::DbaseRecord(const DbaseLayout& layout, std::uint32_t number)
    : layout_(&layout), bytes_(layout.record_length(), ' '), number_(number) {}

// ---- Table: opening and closing ---------------------------------------------------------

namespace {

void pwrite_all(int fd, const char* p, std::size_t size, std::uint64_t offset,
                const std::filesystem::path& path) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, p, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw DbaseError(path.string() + ": cannot write: " + system_text(errno));
        }
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
}

// Long appends hand their bytes to the disk as they go, in the background, so the sync
// that ends a run waits for the last stretch only. `from`: what is handed already.
void start_disk_writes(int fd, std::uint64_t& from, std::uint64_t end) {
    constexpr std::uint64_t step = 8u << 20;
    if (end < from + step) {
        return;
    }
#ifdef SYNC_FILE_RANGE_WRITE
    ::sync_file_range(fd, static_cast<off_t>(from), static_cast<off_t>(end - from),
                      SYNC_FILE_RANGE_WRITE);
#endif
    from = end;
}

} // namespace

void DbaseTable::fail(const std::string& what) const {
    throw DbaseError(path_.string() + ": " + what);
}

DbaseTable DbaseTable::create(const std::filesystem::path& file, std::vector<DbaseField> fields) {
    DbaseTable t;
    t.path_ = file;
    t.layout_ = DbaseLayout(std::move(fields));
    const std::size_t n = t.layout_.size();
    const std::size_t length = header_size + descriptor_size * n + 1;
    if (length > 0xFFFF) {
        t.fail("too many fields");
    }
    t.header_length_ = static_cast<std::uint16_t>(length);
    t.header_.assign(length, '\0');
    t.header_[0] = 0x03;
    put_u16(t.header_, 8, t.header_length_);
    put_u16(t.header_, 10, static_cast<std::uint16_t>(t.layout_.record_length()));
    t.header_[29] = static_cast<char>(dbase_language_driver_chinese);
    for (std::size_t i = 0; i < n; ++i) {
        const DbaseField& f = t.layout_.fields()[i];
        const std::size_t at = header_size + descriptor_size * i;
        std::memcpy(t.header_.data() + at, f.name.data(), f.name.size());
        t.header_[at + 11] = f.type;
        t.header_[at + 16] = static_cast<char>(f.width);
    }
    t.header_[length - 1] = header_terminator;

    t.fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (t.fd_ < 0) {
        t.fail("cannot create: " + system_text(errno));
    }
    if (::flock(t.fd_, LOCK_SH | LOCK_NB) != 0) {
        t.fail("cannot lock: " + system_text(errno));
    }
    stamp_date(t.header_);
    t.write_all(t.header_.data(), t.header_.size(), 0);
    t.dirty_ = true;
    t.flush();
    return t;
}

DbaseTable DbaseTable::open(const std::filesystem::path& file, Access access) {
    DbaseTable t;
    t.path_ = file;
    t.read_only_ = access == Access::read_only;
    t.fd_ = ::open(file.c_str(), (t.read_only_ ? O_RDONLY : O_RDWR) | O_CLOEXEC);
    if (t.fd_ < 0) {
        t.fail("cannot open: " + system_text(errno));
    }
    if (!t.read_only_) {
        if (::flock(t.fd_, LOCK_SH | LOCK_NB) != 0) {
            t.fail("the table is in use (being rewritten): " + system_text(errno));
        }
        // Nobody rewrites the table while this handle holds its lock: a .pack file is
        // what an interrupted rewrite left behind.
        std::filesystem::path stale = file;
        stale += ".pack";
        std::error_code ec;
        std::filesystem::remove(stale, ec);
    }
    struct stat st {};
    if (::fstat(t.fd_, &st) != 0) {
        t.fail("cannot read: " + system_text(errno));
    }
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size < header_size + 1) {
        t.fail("not a dBase table (too short)");
    }
    std::string head(header_size, '\0');
    t.read_all(head.data(), head.size(), 0);
    t.header_length_ = get_u16(head, 8);
    const std::uint16_t record_length = get_u16(head, 10);
    if (t.header_length_ < header_size + 1 || t.header_length_ > size || record_length < 1) {
        t.fail("not a dBase table (damaged header)");
    }
    t.header_.assign(t.header_length_, '\0');
    t.read_all(t.header_.data(), t.header_.size(), 0);
    t.language_driver_ = static_cast<std::uint8_t>(t.header_[29]);

    std::vector<DbaseField> fields;
    for (std::size_t at = header_size;
         at + descriptor_size <= t.header_length_ && t.header_[at] != header_terminator;
         at += descriptor_size) {
        DbaseField f;
        const char* name = t.header_.data() + at;
        f.name.assign(name, strnlen(name, 11));
        f.type = t.header_[at + 11];
        f.width = static_cast<std::uint8_t>(t.header_[at + 16]);
        if (f.type == 'N' && f.width > 20) {
            f.type = 'C'; // read as text
        }
        fields.push_back(std::move(f));
    }
    try {
        t.layout_ = DbaseLayout(std::move(fields));
    } catch (const DbaseError& e) {
        t.fail(std::string("not a dBase table (") + e.what() + ")");
    }
    if (t.layout_.record_length() != record_length) {
        t.fail("not a dBase table (record length disagrees with the fields)");
    }
    if (t.layout_.size() == 0) {
        // One byte a record: the end marker would read as a record of its own.
        t.fail("not a dBase table (no fields)");
    }

    // Repair: the records the file holds decide the count.
    const std::uint64_t data = size - t.header_length_;
    const std::uint64_t complete = data / record_length;
    const std::uint64_t rest = data % record_length;
    if (complete > 0xFFFFFFFFull) {
        t.fail("too many records");
    }
    bool marker_ok = rest == 0;
    if (rest == 1) {
        char last = 0;
        t.read_all(&last, 1, size - 1);
        marker_ok = last == end_marker;
    }
    t.committed_ = static_cast<std::uint32_t>(complete);
    if (t.read_only_) {
        // A reader sees what a repair would keep and changes nothing.
        t.repaired_ = !marker_ok || get_u32(t.header_, 4) != t.committed_;
        return t;
    }
    if (!marker_ok) {
        // A half-written last record: cut it off.
        if (::ftruncate(t.fd_, static_cast<off_t>(t.data_offset(t.committed_))) != 0) {
            t.fail("cannot repair: " + system_text(errno));
        }
        t.repaired_ = true;
    }
    if (get_u32(t.header_, 4) != t.committed_) {
        t.repaired_ = true;
    }
    if (t.repaired_) {
        t.dirty_ = true;
        t.flush();
    }
    return t;
}

DbaseTable::DbaseTable(DbaseTable&& other) noexcept
    : path_(std::move(other.path_)), fd_(other.fd_), layout_(std::move(other.layout_)),
      header_(std::move(other.header_)), header_length_(other.header_length_),
      language_driver_(other.language_driver_), committed_(other.committed_),
      pending_count_(other.pending_count_), pending_(std::move(other.pending_)),
      writer_(std::move(other.writer_)), in_flight_count_(other.in_flight_count_),
      dirty_(other.dirty_), writeback_from_(other.writeback_from_), repaired_(other.repaired_),
      read_only_(other.read_only_), rewrite_of_(std::move(other.rewrite_of_)) {
    other.in_flight_count_ = 0;
    other.fd_ = -1;
    other.pending_count_ = 0;
    other.pending_.clear();
    other.rewrite_of_.clear();
}

DbaseTable& DbaseTable::operator=(DbaseTable&& other) noexcept {
    if (this != &other) {
        release();
        path_ = std::move(other.path_);
        fd_ = other.fd_;
        layout_ = std::move(other.layout_);
        header_ = std::move(other.header_);
        header_length_ = other.header_length_;
        language_driver_ = other.language_driver_;
        committed_ = other.committed_;
        pending_count_ = other.pending_count_;
        pending_ = std::move(other.pending_);
        writer_ = std::move(other.writer_);
        in_flight_count_ = other.in_flight_count_;
        other.in_flight_count_ = 0;
        writeback_from_ = other.writeback_from_;
        dirty_ = other.dirty_;
        repaired_ = other.repaired_;
        read_only_ = other.read_only_;
        rewrite_of_ = std::move(other.rewrite_of_);
        last_values_.clear();
        other.fd_ = -1;
        other.pending_count_ = 0;
        other.pending_.clear();
        other.rewrite_of_.clear();
    }
    return *this;
}

void DbaseTable::release() noexcept {
    if (fd_ < 0) {
        return;
    }
    if (writer_) {
        try {
            settle();
        } catch (...) {
            // Flushed again below.
        }
    }
    if (!rewrite_of_.empty()) {
        // A rewrite that was never installed: the table it was to replace stands.
        ::close(fd_);
        fd_ = -1;
        ::unlink(path_.c_str());
        rewrite_of_.clear();
        return;
    }
    if (!read_only_) {
        try {
            flush();
            settle();
            ::fdatasync(fd_);
        } catch (...) {
            // Closing must not throw; the records written so far stay in the file and the
            // next open repairs the count.
        }
    }
    ::close(fd_);
    fd_ = -1;
}

DbaseTable::~DbaseTable() {
    release();
}

void DbaseTable::close() {
    if (fd_ < 0 || read_only_ || !rewrite_of_.empty()) {
        release();
        return;
    }
    sync();
    ::close(fd_);
    fd_ = -1;
}

void DbaseTable::move_to(const std::filesystem::path& file) {
    require_writable();
    settle();
    if (::rename(path_.c_str(), file.c_str()) != 0) {
        fail("cannot rename to " + file.string() + ": " + system_text(errno));
    }
    path_ = file;
}

void DbaseTable::require_open() const {
    if (fd_ < 0) {
        throw DbaseError(path_.string() + ": the table is closed");
    }
}

void DbaseTable::require_writable() const {
    require_open();
    if (read_only_) {
        throw DbaseError(path_.string() + ": the table is open for reading only");
    }
}

// ---- Table: low-level I/O ---------------------------------------------------------------

void DbaseTable::write_all(const void* data, std::size_t size, std::uint64_t offset) {
    require_writable();
    settle();
    write_to(fd_, data, size, offset);
}

void DbaseTable::write_to(int fd, const void* data, std::size_t size, std::uint64_t offset) {
    pwrite_all(fd, static_cast<const char*>(data), size, offset, path_);
}

void DbaseTable::read_all(void* data, std::size_t size, std::uint64_t offset) {
    settle();
    char* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = ::pread(fd_, p, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail("cannot read: " + system_text(errno));
        }
        if (n == 0) {
            fail("the file ends early");
        }
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
}

void DbaseTable::write_pending() {
    if (pending_count_ == 0) {
        return;
    }
    if (writer_) {
        hand_to_writer();
        return;
    }
    // Records first, then the count that includes them.
    pending_.push_back(end_marker);
    try {
        write_all(pending_.data(), pending_.size(), data_offset(committed_));
    } catch (...) {
        // The records stay buffered and the count was not raised: a later flush writes
        // the batch again at the same place.
        pending_.pop_back();
        throw;
    }
    committed_ += pending_count_;
    pending_count_ = 0;
    pending_.clear();
    dirty_ = true;
    write_header();
    start_writeback();
}

// Runs one job at a time in a thread of its own; the owner waits for a job before it
// hands over the next.
class DbaseTable::Writer {
public:
    Writer() : thread_([this] { run(); }) {}
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;
    ~Writer() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    void post(std::function<void()> job) {
        {
            const std::lock_guard lock(mutex_);
            job_ = std::move(job);
        }
        changed_.notify_all();
    }
    // Waits until the job posted last is done; what it threw.
    std::exception_ptr wait() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !job_; });
        return std::exchange(error_, nullptr);
    }

private:
    void run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return stopping_ || job_; });
            if (!job_) {
                return;
            }
            lock.unlock();
            std::exception_ptr error;
            try {
                job_();
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            error_ = error;
            job_ = nullptr;
            changed_.notify_all();
        }
    }

public:
    std::string batch;                // the records being written, end marker included
    std::uint64_t writeback_from = 0; // as start_disk_writes() keeps it

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> job_;
    std::exception_ptr error_;
    bool stopping_ = false;
    std::thread thread_;
};

void DbaseTable::write_behind() {
    require_writable();
    if (!writer_) {
        writer_ = std::make_unique<Writer>();
    }
}

void DbaseTable::hand_to_writer() {
    settle();
    // Records first, then the count that includes them, as write_pending() does. The job
    // holds no reference to this object, which may be moved meanwhile.
    std::string& batch = writer_->batch;
    batch.swap(pending_);
    batch.push_back(end_marker);
    in_flight_count_ = pending_count_;
    const std::uint64_t at = data_offset(committed_);
    committed_ += pending_count_;
    pending_count_ = 0;
    pending_.clear();
    put_u32(header_, 4, committed_);
    stamp_date(header_);
    dirty_ = false;
    writer_->post(
        [w = writer_.get(), fd = fd_, path = path_, at, header = header_.substr(0, header_size)] {
            pwrite_all(fd, w->batch.data(), w->batch.size(), at, path);
            pwrite_all(fd, header.data(), header.size(), 0, path);
            start_disk_writes(fd, w->writeback_from, at + w->batch.size() - 1);
        });
}

void DbaseTable::settle() {
    if (in_flight_count_ == 0) {
        return;
    }
    const std::exception_ptr error = writer_->wait();
    const std::uint32_t n = std::exchange(in_flight_count_, 0);
    std::string& batch = writer_->batch;
    if (error) {
        batch.pop_back(); // the end marker
        batch.append(pending_);
        pending_.swap(batch);
        committed_ -= n;
        pending_count_ += n;
        dirty_ = true;
        batch.clear();
        std::rethrow_exception(error);
    }
    batch.clear();
}

void DbaseTable::start_writeback() {
    start_disk_writes(fd_, writeback_from_, data_offset(committed_));
}

void DbaseTable::write_header() {
    put_u32(header_, 4, committed_);
    stamp_date(header_);
    write_all(header_.data(), header_size, 0);
    dirty_ = false;
}

void DbaseTable::flush() {
    require_open();
    if (read_only_) {
        return;
    }
    if (pending_count_ > 0) {
        write_pending();
    } else if (dirty_) {
        const char marker = end_marker;
        write_all(&marker, 1, data_offset(committed_));
        write_header();
    }
}

void DbaseTable::sync() {
    flush();
    if (read_only_) {
        return;
    }
    settle();
    if (::fdatasync(fd_) != 0) {
        fail("cannot sync: " + system_text(errno));
    }
}

// ---- Table: records ---------------------------------------------------------------------

DbaseRecordEdit DbaseTable::append(std::span<const DbaseValue> values) {
    require_writable();
    if (values.size() > layout_.size()) {
        fail("more values than fields");
    }
    // A full batch goes before the record is added: the record stays buffered for the
    // caller to change.
    if (pending_.size() >= batch_bytes) {
        write_pending();
    }
    if (last_values_.size() != layout_.size()) {
        last_values_.assign(layout_.size(), LastValue{});
    }
    const std::size_t start = pending_.size();
    pending_.resize(start + layout_.record_length(), ' ');
    try {
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (std::holds_alternative<std::monostate>(values[i])) {
                continue;
            }
            char* const to = pending_.data() + start + layout_.offset(i);
            const DbaseField& f = layout_.fields()[i];
            const auto* s = std::get_if<std::string_view>(&values[i]);
            // ASCII text is its own GB18030 form, one byte a character: cut and copy it.
            if (s != nullptr && f.type != 'N' && text::is_ascii(*s)) {
                std::memcpy(to, s->data(), std::min<std::size_t>(s->size(), f.width));
                continue;
            }
            LastValue& last = last_values_[i];
            const long long* n = std::get_if<long long>(&values[i]);
            const bool same = s != nullptr
                                  ? last.kind == LastValue::Kind::text && last.text == *s
                                  : last.kind == LastValue::Kind::integer && last.integer == *n;
            if (!same) {
                last.kind = LastValue::Kind::none;
                last.bytes =
                    s != nullptr ? layout_.encode_text(i, *s) : layout_.encode_integer(i, *n);
                if (s != nullptr) {
                    last.text.assign(*s);
                    last.kind = LastValue::Kind::text;
                } else {
                    last.integer = *n;
                    last.kind = LastValue::Kind::integer;
                }
            }
            std::memcpy(to, last.bytes.data(), last.bytes.size());
        }
    } catch (...) {
        pending_.resize(start); // a value that cannot be stored leaves no half record
        throw;
    }
    if (committed_ + static_cast<std::uint64_t>(pending_count_) + 1 > 0xFFFFFFFFull) {
        pending_.resize(start);
        fail("too many records");
    }
    ++pending_count_;
    return {layout_, pending_.data() + start, committed_ + pending_count_ - 1};
}

void DbaseTable::append_record(std::string_view record_bytes) {
    require_writable();
    if (record_bytes.size() != layout_.record_length()) {
        fail("record of the wrong length");
    }
    pending_.append(record_bytes);
    ++pending_count_;
    if (pending_.size() >= batch_bytes) {
        write_pending();
    }
}

DbaseRecord DbaseTable::read(std::uint32_t number) {
    require_open();
    write_pending();
    if (number >= committed_) {
        fail("no record " + std::to_string(number));
    }
    DbaseRecord r(layout_, number);
    read_all(r.bytes_.data(), r.bytes_.size(), data_offset(number));
    return r;
}

void DbaseTable::write(const DbaseRecord& record) {
    require_writable();
    write_pending();
    if (record.number_ >= committed_ || record.bytes_.size() != layout_.record_length()) {
        fail("no record " + std::to_string(record.number_));
    }
    write_all(record.bytes_.data(), record.bytes_.size(), data_offset(record.number_));
    dirty_ = true;
}

void DbaseTable::mark_deleted(std::uint32_t number) {
    require_writable();
    write_pending();
    if (number >= committed_) {
        fail("no record " + std::to_string(number));
    }
    const char flag = '*';
    write_all(&flag, 1, data_offset(number));
    dirty_ = true;
}

void DbaseTable::for_each(const std::function<void(const DbaseRecordView&)>& fn) {
    find_first([&](const DbaseRecordView& r) {
        fn(r);
        return false;
    });
}

void DbaseTable::for_each_block(
    const std::function<bool(const char* records, std::uint32_t first, std::uint32_t count)>& fn,
    std::uint32_t from, std::uint32_t end) {
    require_open();
    write_pending();
    const std::size_t length = layout_.record_length();
    const std::uint32_t per_block =
        static_cast<std::uint32_t>(std::max<std::size_t>(1, block_bytes / length));
    // One buffer in the calling thread: a block of 256 KB stays in the core's cache while fn
    // works on it. A second thread reading ahead was slower for most keywords, whose rows
    // cost less to look at than to hand from one core to the other.
    std::string block;
    const std::uint32_t last = std::min(end, committed_);
    for (std::uint32_t first = from; first < last; first += per_block) {
        const std::uint32_t count = std::min(per_block, last - first);
        block.resize(static_cast<std::size_t>(count) * length);
        read_all(block.data(), block.size(), data_offset(first));
        if (fn(block.data(), first, count)) {
            return;
        }
    }
}

std::optional<std::uint32_t>
DbaseTable::find_first(const std::function<bool(const DbaseRecordView&)>& fn) {
    const std::size_t length = layout_.record_length();
    std::optional<std::uint32_t> found;
    for_each_block([&](const char* records, std::uint32_t first, std::uint32_t count) {
        for (std::uint32_t i = 0; i < count; ++i) {
            const char* data = records + static_cast<std::size_t>(i) * length;
            if (data[0] != '*' && fn(DbaseRecordView(layout_, data, first + i))) {
                found = first + i;
                return true;
            }
        }
        return false;
    });
    return found;
}

std::uint64_t DbaseTable::modify(const std::function<bool(DbaseRecordEdit&)>& fn,
                                 std::uint32_t end) {
    require_writable();
    write_pending();
    const std::size_t length = layout_.record_length();
    const std::uint32_t per_block =
        static_cast<std::uint32_t>(std::max<std::size_t>(1, block_bytes / length));
    const std::uint32_t last = std::min(end, committed_);
    std::string block;
    std::uint64_t changed = 0;
    for (std::uint32_t first = 0; first < last; first += per_block) {
        const std::uint32_t count = std::min(per_block, last - first);
        block.resize(static_cast<std::size_t>(count) * length);
        read_all(block.data(), block.size(), data_offset(first));
        std::optional<std::uint32_t> low;
        std::uint32_t high = 0;
        for (std::uint32_t i = 0; i < count; ++i) {
            char* data = block.data() + static_cast<std::size_t>(i) * length;
            if (data[0] == '*') {
                continue;
            }
            DbaseRecordEdit edit(layout_, data, first + i);
            if (fn(edit)) {
                ++changed;
                if (!low) {
                    low = i;
                }
                high = i;
            }
        }
        if (low) {
            const std::size_t from = static_cast<std::size_t>(*low) * length;
            const std::size_t to = static_cast<std::size_t>(high + 1) * length;
            write_all(block.data() + from, to - from, data_offset(first + *low));
            dirty_ = true;
        }
    }
    return changed;
}

std::uint64_t DbaseTable::pack() {
    require_writable();
    const std::uint32_t before = record_count();
    DbaseTable packed = begin_rewrite();
    const std::uint32_t kept = packed.record_count();
    install(std::move(packed));
    return before - kept;
}

DbaseTable DbaseTable::begin_rewrite(const std::function<bool(DbaseRecordEdit&)>& keep) {
    require_writable();
    flush();
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::flock(fd_, LOCK_SH | LOCK_NB);
        fail("cannot rewrite, the table is in use: " + system_text(error));
    }
    DbaseTable out;
    out.path_ = path_;
    out.path_ += ".pack";
    out.layout_ = layout_;
    out.header_ = header_;
    out.header_length_ = header_length_;
    out.language_driver_ = language_driver_;
    struct stat st {};
    ::fstat(fd_, &st);
    out.fd_ = ::open(out.path_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 07777);
    if (out.fd_ < 0) {
        const int error = errno;
        ::flock(fd_, LOCK_SH);
        fail("cannot rewrite, no new file: " + system_text(error));
    }
    out.rewrite_of_ = path_;
    try {
        put_u32(out.header_, 4, 0);
        stamp_date(out.header_);
        out.write_all(out.header_.data(), out.header_.size(), 0);
        const char marker = end_marker;
        out.write_all(&marker, 1, header_length_);

        const std::size_t length = layout_.record_length();
        const std::uint32_t per_block =
            static_cast<std::uint32_t>(std::max<std::size_t>(1, block_bytes / length));
        std::string block;
        for (std::uint32_t first = 0; first < committed_; first += per_block) {
            const std::uint32_t count = std::min(per_block, committed_ - first);
            block.resize(static_cast<std::size_t>(count) * length);
            read_all(block.data(), block.size(), data_offset(first));
            for (std::uint32_t i = 0; i < count; ++i) {
                char* data = block.data() + static_cast<std::size_t>(i) * length;
                if (data[0] == '*') {
                    continue;
                }
                if (keep) {
                    DbaseRecordEdit edit(layout_, data, first + i);
                    if (!keep(edit)) {
                        continue;
                    }
                }
                out.append_record(std::string_view(data, length));
            }
        }
    } catch (...) {
        out.release();
        ::flock(fd_, LOCK_SH);
        throw;
    }
    return out;
}

void DbaseTable::install(DbaseTable&& rewritten) {
    require_writable();
    settle();
    std::filesystem::path expected = path_;
    expected += ".pack";
    if (rewritten.rewrite_of_ != path_ || rewritten.path_ != expected || rewritten.fd_ < 0) {
        fail("not a rewrite of this table");
    }
    try {
        rewritten.sync();
        if (::rename(rewritten.path_.c_str(), path_.c_str()) != 0) {
            fail("cannot rewrite, rename failed: " + system_text(errno));
        }
    } catch (...) {
        ::flock(fd_, LOCK_SH);
        throw;
    }
    rewritten.rewrite_of_.clear();
    // The directory entry now names the new file; make that lasting, then switch to it.
    const int dir = ::open(path_.parent_path().empty() ? "." : path_.parent_path().c_str(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    ::flock(rewritten.fd_, LOCK_SH | LOCK_NB);
    ::close(fd_);
    fd_ = rewritten.fd_;
    rewritten.fd_ = -1;
    committed_ = rewritten.committed_;
    header_ = std::move(rewritten.header_);
    pending_count_ = 0;
    pending_.clear();
    dirty_ = false;
}

void DbaseTable::abandon(DbaseTable&& rewritten) {
    require_writable();
    if (rewritten.rewrite_of_ != path_) {
        fail("not a rewrite of this table");
    }
    rewritten.release();
    ::flock(fd_, LOCK_SH);
}

} // namespace lumacite::store
