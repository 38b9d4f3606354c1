#include "extract/read_ahead.h"

#include <chrono>

namespace lumacite::extract {
namespace {

void put_text(std::string& out, std::string_view t) {
    const auto n = static_cast<std::uint32_t>(t.size());
    char length[sizeof n];
    std::memcpy(length, &n, sizeof n);
    out.append(length, sizeof n);
    out.append(t);
}

// Thrown through an extractor when the run no longer wants the file it reads.
struct Abandoned {};

// How often the thread that waits for a file shows its gauge and pumps the front end.
constexpr std::chrono::milliseconds gauge_interval(40);

} // namespace

void RecordedRows::write(std::string_view wenzhangha, std::string_view guanjianzi,
                         std::string_view zhi) {
    const bool new_number = rows_ == 0 || wenzhangha != last_wenzhangha_;
    const bool new_keyword = rows_ == 0 || guanjianzi != last_guanjianzi_;
    bytes_ += static_cast<char>((new_number ? 1 : 0) | (new_keyword ? 2 : 0));
    if (new_number) {
        put_text(bytes_, wenzhangha);
        last_wenzhangha_.assign(wenzhangha);
    }
    if (new_keyword) {
        put_text(bytes_, guanjianzi);
        last_guanjianzi_.assign(guanjianzi);
    }
    put_text(bytes_, zhi);
    ++rows_;
}

void RecordedRows::clear() {
    bytes_.clear();
    last_wenzhangha_.clear();
    last_guanjianzi_.clear();
    rows_ = 0;
}

// The gauge of one file: set by its reader, shown by the thread that takes the file.
// Stops the reader (by throwing through the extractor) once the run is abandoned.
class SharedGauge final : public Progress {
public:
    explicit SharedGauge(const std::atomic<bool>& abandoned) : abandoned_(abandoned) {}
    void set_title(const std::string&) override {}
    void set_maximum(long long m) override {
        position.store(0, std::memory_order_relaxed);
        maximum.store(m, std::memory_order_relaxed);
        check();
    }
    void set_position(long long p) override {
        position.store(p, std::memory_order_relaxed);
        check();
    }
    std::atomic<long long> maximum{0};
    std::atomic<long long> position{0};

private:
    void check() const {
        if (abandoned_.load(std::memory_order_relaxed)) {
            throw Abandoned{};
        }
    }
    const std::atomic<bool>& abandoned_;
};

struct ReadAhead::Slot {
    explicit Slot(const std::atomic<bool>& abandoned) : gauge(abandoned) {}
    ReadFile file;
    SharedGauge gauge;
    bool done = false;
};

ReadAhead::ReadAhead(std::size_t count, int readers, const std::function<FileReader()>& make_reader)
    : count_(count), window_(static_cast<std::size_t>(readers) + 1), slots_(count) {
    try {
        for (int i = 0; i < readers; ++i) {
            threads_.emplace_back([this, reader = make_reader()] { run_reader(reader); });
        }
    } catch (...) {
        stop();
        throw;
    }
}

ReadAhead::~ReadAhead() {
    stop();
}

void ReadAhead::stop() {
    {
        const std::lock_guard lock(mutex_);
        abandoned_ = true;
    }
    room_.notify_all();
    for (auto& t : threads_) {
        if (t.joinable()) {
            t.join();
        }
    }
}

void ReadAhead::run_reader(const FileReader& reader) {
    InputFile input; // one buffer for every file this reader reads
    for (;;) {
        std::size_t n = 0;
        Slot* slot = nullptr;
        {
            std::unique_lock lock(mutex_);
            room_.wait(
                lock, [&] { return abandoned_ || next_ >= count_ || next_ < released_ + window_; });
            if (abandoned_ || next_ >= count_) {
                return;
            }
            n = next_++;
            slots_[n] = std::make_unique<Slot>(abandoned_);
            slot = slots_[n].get();
            // Memory that has served before costs no page faults.
            if (!spare_rows_.empty()) {
                slot->file.rows = std::move(spare_rows_.back());
                spare_rows_.pop_back();
            }
        }
        try {
            reader(n, input, slot->file, slot->gauge);
        } catch (const Abandoned&) {
            return;
        } catch (...) {
            slot->file.error = std::current_exception();
        }
        {
            const std::lock_guard lock(mutex_);
            slot->done = true;
        }
        read_.notify_all();
    }
}

ReadFile& ReadAhead::take(std::size_t n, Progress& progress) {
    long long shown_maximum = 0; // as the run set them before taking the file
    long long shown_position = 0;
    for (;;) {
        Slot* slot = nullptr;
        bool done = false;
        {
            std::unique_lock lock(mutex_);
            read_.wait_for(lock, gauge_interval, [&] { return slots_[n] && slots_[n]->done; });
            slot = slots_[n].get();
            done = slot != nullptr && slot->done;
        }
        if (slot != nullptr) {
            const long long maximum = slot->gauge.maximum.load(std::memory_order_relaxed);
            const long long position = slot->gauge.position.load(std::memory_order_relaxed);
            if (maximum != shown_maximum) {
                progress.set_maximum(maximum);
                shown_maximum = maximum;
                shown_position = 0;
            }
            if (position != shown_position) {
                progress.set_position(position);
                shown_position = position;
            }
        }
        progress.pump();
        if (done) {
            if (slot->file.error) {
                std::rethrow_exception(slot->file.error);
            }
            return slot->file;
        }
    }
}

void ReadAhead::release(std::size_t n) {
    std::unique_ptr<Slot> freed;
    {
        const std::lock_guard lock(mutex_);
        freed = std::move(slots_[n]);
        released_ = n + 1;
        freed->file.rows.clear();
        spare_rows_.push_back(std::move(freed->file.rows));
    }
    room_.notify_all();
}

} // namespace lumacite::extract
