// The project workspace over dBase tables. Filters are matched on the stored bytes: each
// filter text is encoded once as the field would store it, so a scan of two million rows
// compares bytes and decodes only the rows it returns.
#include "store/workspace.h"

#include "text/text.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <set>
#include <system_error>
#include <unistd.h>

namespace lumacite::store {
namespace {

// Field positions of the layouts below.
namespace z {
constexpr std::size_t bianhao = 0, xuhao = 1, wenzhangha = 2, guanjianzi = 3, zhi = 4;
}
namespace t {
constexpr std::size_t bianhao = 0, xuhao = 1, guanjianzi = 2, zhi = 3, cishu = 4, baifenbi = 5,
                      leijibi = 6;
}

// A table of the workspace must carry its layout's fields in that order.
void check_layout(const DbaseTable& table, const std::vector<DbaseField>& expected) {
    const auto& fields = table.layout().fields();
    bool ok = fields.size() == expected.size();
    for (std::size_t i = 0; ok && i < fields.size(); ++i) {
        ok = text::ascii_lower(fields[i].name) == expected[i].name &&
             fields[i].width == expected[i].width && fields[i].type == expected[i].type;
    }
    if (!ok) {
        throw WorkspaceError(table.path().string() +
                             ": the table does not have the expected fields");
    }
}

DbaseTable open_or_create(const std::filesystem::path& file,
                          const std::vector<DbaseField>& layout) {
    std::error_code ec;
    DbaseTable table = std::filesystem::exists(file, ec) ? DbaseTable::open(file)
                                                         : DbaseTable::create(file, layout);
    check_layout(table, layout);
    return table;
}

DbaseTable open_for_reading(const std::filesystem::path& file,
                            const std::vector<DbaseField>& layout) {
    DbaseTable table = DbaseTable::open(file, DbaseTable::Access::read_only);
    check_layout(table, layout);
    return table;
}

bool all_blank(std::string_view raw) {
    return raw.find_first_not_of(' ') == std::string_view::npos;
}

} // namespace

std::string zidian_file_name(const std::string& number) {
    return "zidian" + number + ".dbf";
}

std::string tongji_file_name(const std::string& number) {
    return "tongji" + number + ".dbf";
}

bool is_folder_safe_number(std::string_view number) {
    if (number.empty()) {
        return false;
    }
    return std::all_of(number.begin(), number.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    });
}

bool is_reserved_file_name(const std::string& number, std::string_view name) {
    if (name.ends_with(".pack")) {
        name.remove_suffix(5);
    }
    return name == zidian_file_name(number) || name == tongji_file_name(number) ||
           name == temp_file_name || name == project_lock_file_name ||
           name == removal_journal_file_name;
}

std::filesystem::path project_folder(const std::filesystem::path& program_folder,
                                     const std::string& number) {
    return program_folder / number;
}

std::vector<DbaseField> zidian_layout() {
    return {DbaseField::character("bianhao", 50),    DbaseField::integer("xuhao", 11),
            DbaseField::character("wenzhangha", 50), DbaseField::character("guanjianzi", 30),
            DbaseField::character("zhi", 254),       DbaseField::integer("ii", 11)};
}

std::vector<DbaseField> tongji_layout() {
    return {DbaseField::character("bianhao", 50),    DbaseField::character("xuhao", 10),
            DbaseField::character("guanjianzi", 30), DbaseField::character("zhi", 254),
            DbaseField::character("cishu", 10),      DbaseField::character("baifenbi", 20),
            DbaseField::character("leijibi", 20)};
}

std::vector<DbaseField> temp_layout() {
    return {DbaseField::character("wenzhangha", 50), DbaseField::character("zhi", 254)};
}

std::string right_aligned(long long n, std::size_t width) {
    std::string digits = std::to_string(n);
    if (digits.size() >= width) {
        return digits;
    }
    return std::string(width - digits.size(), ' ') + digits;
}

// ---- TempTable ----------------------------------------------------------------------------

TempTable::TempTable(std::optional<DbaseTable> table) : table_(std::move(table)) {}

void TempTable::append(std::string_view wenzhangha, std::string_view zhi) {
    if (table_) {
        table_->append({wenzhangha, zhi});
    }
}

void TempTable::flush() {
    if (table_) {
        table_->flush();
    }
}

void TempTable::close() {
    if (table_) {
        table_->close();
    }
}

std::vector<TempRow> TempTable::rows() {
    std::vector<TempRow> out;
    for_each([&](const TempRow& r) { out.push_back(r); });
    return out;
}

void TempTable::for_each(const std::function<void(const TempRow&)>& fn) {
    if (table_) {
        table_->for_each([&](const DbaseRecordView& r) { fn(TempRow{r.text(0), r.text(1)}); });
    }
}

// ---- Workspace ------------------------------------------------------------------------------

struct Workspace::Probe {
    std::optional<std::string> bianhao;
    std::optional<long long> xuhao;
    std::optional<std::string> wenzhangha;
    std::vector<std::string> guanjianzi;
    std::optional<std::string> zhi;

    bool matches(const DbaseRecordView& r) const {
        if (bianhao && r.raw(z::bianhao) != *bianhao) {
            return false;
        }
        if (zhi && r.raw(z::zhi) != *zhi) {
            return false;
        }
        if (wenzhangha && r.raw(z::wenzhangha) != *wenzhangha) {
            return false;
        }
        if (!guanjianzi.empty()) {
            const auto k = r.raw(z::guanjianzi);
            if (std::none_of(guanjianzi.begin(), guanjianzi.end(),
                             [&](const std::string& g) { return k == g; })) {
                return false;
            }
        }
        if (xuhao && r.integer(z::xuhao) != xuhao) {
            return false;
        }
        return true;
    }
};

Workspace::Workspace(std::string number, std::filesystem::path folder,
                     std::optional<ProjectLock> lock, DbaseTable zidian, DbaseTable tongji)
    : number_(std::move(number)), folder_(std::move(folder)), lock_(std::move(lock)),
      zidian_(std::move(zidian)), tongji_(std::move(tongji)) {}

Workspace& Workspace::operator=(Workspace&& other) noexcept {
    if (this != &other) {
        zidian_ = std::move(other.zidian_);
        tongji_ = std::move(other.tongji_);
        lock_ = std::move(other.lock_);
        number_ = std::move(other.number_);
        folder_ = std::move(other.folder_);
    }
    return *this;
}

namespace {

// A stored text without its padding (trailing blanks or NULs): whole 8-byte words of
// blanks first, the long tail of a short value in a wide field.
std::string_view trim_padding(const char* data, std::size_t width) {
#if defined(__SSE2__)
    // 64 bytes a step: the blank tail of a wide field is most of it.
    const __m128i blank = _mm_set1_epi8(' ');
    const auto blanks = [&](std::size_t at) {
        const auto* p = reinterpret_cast<const __m128i*>(data + at);
        const __m128i all =
            _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(_mm_loadu_si128(p), blank),
                                        _mm_cmpeq_epi8(_mm_loadu_si128(p + 1), blank)),
                          _mm_and_si128(_mm_cmpeq_epi8(_mm_loadu_si128(p + 2), blank),
                                        _mm_cmpeq_epi8(_mm_loadu_si128(p + 3), blank)));
        return _mm_movemask_epi8(all) == 0xFFFF;
    };
    while (width >= 64 && blanks(width - 64)) {
        width -= 64;
    }
#endif
    static constexpr char spaces[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    while (width >= 8 && std::memcmp(data + width - 8, spaces, 8) == 0) {
        width -= 8;
    }
    while (width > 0 && (data[width - 1] == ' ' || data[width - 1] == '\0')) {
        --width;
    }
    return {data, width};
}

// Compares two fields of `width` bytes a machine word at a time: most scanned keyword
// fields differ from the wanted one within the first word.
bool same_field(const char* a, const char* b, std::size_t width) {
    if (width < 8) {
        return std::memcmp(a, b, width) == 0;
    }
    std::uint64_t x = 0;
    std::uint64_t y = 0;
    for (std::size_t at = 0;; at += 8) {
        at = std::min(at, width - 8); // the last word may overlap the one before
        std::memcpy(&x, a + at, 8);
        std::memcpy(&y, b + at, 8);
        if (x != y) {
            return false;
        }
        if (at == width - 8) {
            return true;
        }
    }
}

void require_folder_safe(const std::string& number) {
    if (!is_folder_safe_number(number)) {
        throw WorkspaceError("project number \"" + number + "\" cannot name a folder");
    }
}

} // namespace

Workspace Workspace::bind(const std::filesystem::path& program_folder, const std::string& number) {
    require_folder_safe(number);
    std::optional<ProjectLock> lock;
    try {
        lock.emplace(ProjectLock::acquire(project_folder(program_folder, number)));
    } catch (const LockError& e) {
        throw WorkspaceError(e.what());
    }
    return bind(program_folder, number, std::move(*lock));
}

Workspace Workspace::bind(const std::filesystem::path& program_folder, const std::string& number,
                          ProjectLock lock) {
    return open_tables(program_folder, number, std::move(lock), &open_or_create);
}

Workspace Workspace::open_read_only(const std::filesystem::path& program_folder,
                                    const std::string& number) {
    return open_tables(program_folder, number, std::nullopt, &open_for_reading);
}

Workspace Workspace::open_tables(const std::filesystem::path& program_folder,
                                 const std::string& number, std::optional<ProjectLock> lock,
                                 TableOpener open) {
    require_folder_safe(number);
    const auto folder = project_folder(program_folder, number);
    try {
        DbaseTable zidian = open(folder / zidian_file_name(number), zidian_layout());
        DbaseTable tongji = open(folder / tongji_file_name(number), tongji_layout());
        return Workspace(number, folder, std::move(lock), std::move(zidian), std::move(tongji));
    } catch (const DbaseError& e) {
        throw WorkspaceError(e.what());
    }
}

void Workspace::close() {
    zidian_.close();
    tongji_.close();
    lock_.reset();
}

std::filesystem::path Workspace::zidian_path() const {
    return folder_ / zidian_file_name(number_);
}

std::filesystem::path Workspace::tongji_path() const {
    return folder_ / tongji_file_name(number_);
}

std::filesystem::path Workspace::temp_path() const {
    return folder_ / temp_file_name;
}

void Workspace::flush() {
    zidian_.flush();
    tongji_.flush();
}

void Workspace::commit() {
    zidian_.sync();
    tongji_.sync();
}

Workspace::Probe Workspace::make_probe(const ValueFilter& filter) const {
    const DbaseLayout& l = zidian_.layout();
    Probe p;
    if (filter.bianhao) {
        p.bianhao = l.encode_text(z::bianhao, *filter.bianhao);
    }
    p.xuhao = filter.xuhao;
    if (filter.wenzhangha) {
        p.wenzhangha = l.encode_text(z::wenzhangha, *filter.wenzhangha);
    }
    for (const auto& g : filter.guanjianzi) {
        p.guanjianzi.push_back(l.encode_text(z::guanjianzi, g));
    }
    if (filter.zhi) {
        p.zhi = l.encode_text(z::zhi, *filter.zhi);
    }
    return p;
}

ValueRow Workspace::value_row(const DbaseRecordView& r) const {
    ValueRow row;
    row.record = r.number();
    row.bianhao = r.text(z::bianhao);
    row.xuhao = r.integer(z::xuhao).value_or(0);
    row.wenzhangha = r.text(z::wenzhangha);
    row.guanjianzi = r.text(z::guanjianzi);
    row.zhi = r.text(z::zhi);
    return row;
}

StatisticsRow Workspace::statistics_row(const DbaseRecordView& r) const {
    StatisticsRow row;
    row.record = r.number();
    row.bianhao = r.text(t::bianhao);
    row.xuhao = r.text(t::xuhao);
    row.guanjianzi = r.text(t::guanjianzi);
    row.zhi = r.text(t::zhi);
    row.cishu = r.text(t::cishu);
    row.baifenbi = r.text(t::baifenbi);
    row.leijibi = r.text(t::leijibi);
    return row;
}

void Workspace::append_value(long long xuhao, std::string_view wenzhangha,
                             std::string_view guanjianzi, std::string_view zhi) {
    zidian_.append({std::string_view(number_), xuhao, wenzhangha, guanjianzi, zhi});
}

bool Workspace::has_document_values(long long xuhao) {
    ValueFilter f;
    f.bianhao = number_;
    f.xuhao = xuhao;
    const Probe p = make_probe(f);
    return zidian_.find_first([&](const DbaseRecordView& r) { return p.matches(r); }).has_value();
}

std::uint64_t Workspace::delete_document_values(long long xuhao) {
    ValueFilter f;
    f.xuhao = xuhao;
    return delete_values(f);
}

std::uint64_t Workspace::close_document_gap(long long xuhao) {
    return zidian_.modify([&](DbaseRecordEdit& r) {
        const auto x = r.integer(z::xuhao);
        if (!x || *x <= xuhao) {
            return false;
        }
        r.set_integer(z::xuhao, *x - 1);
        return true;
    });
}

bool Workspace::append_extracted_value(long long xuhao, std::string_view wenzhangha,
                                       std::string_view guanjianzi, std::string_view zhi) {
    DbaseRecordEdit r =
        zidian_.append({std::string_view(number_), xuhao, wenzhangha, guanjianzi, zhi});
    if (!all_blank(r.raw(z::zhi))) {
        return false;
    }
    r.set_deleted(true);
    return true;
}

std::uint64_t Workspace::delete_empty_values(std::uint32_t end) {
    return zidian_.modify(
        [&](DbaseRecordEdit& r) {
            if (!all_blank(r.raw(z::zhi))) {
                return false;
            }
            r.set_deleted(true);
            return true;
        },
        end);
}

std::vector<ValueRow> Workspace::select_values(const ValueFilter& filter) {
    std::vector<ValueRow> out;
    for_each_value(filter, [&](const ValueRow& r) { out.push_back(r); });
    return out;
}

void Workspace::for_each_value(const ValueFilter& filter,
                               const std::function<void(const ValueRow&)>& fn) {
    const Probe p = make_probe(filter);
    zidian_.for_each([&](const DbaseRecordView& r) {
        if (p.matches(r)) {
            fn(value_row(r));
        }
    });
}

void Workspace::scan_values(const std::vector<std::string>& keywords, bool every_row,
                            const std::function<void(std::span<const StoredValue>)>& fn,
                            const std::function<void(std::uint64_t, std::uint64_t)>& step) {
    scan_value_records(0, zidian_.record_count(), keywords, every_row, fn, step);
}

void Workspace::scan_value_records(std::uint32_t from, std::uint32_t end,
                                   const std::vector<std::string>& keywords, bool every_row,
                                   const std::function<void(std::span<const StoredValue>)>& fn,
                                   const std::function<void(std::uint64_t, std::uint64_t)>& step) {
    const Probe p = make_probe(ValueFilter::keywords(keywords));
    const DbaseLayout& l = zidian_.layout();
    const std::size_t length = l.record_length();
    const std::size_t keyword_at = l.offset(z::guanjianzi);
    const std::size_t keyword_width = l.fields()[z::guanjianzi].width;
    const std::size_t article_at = l.offset(z::wenzhangha);
    const std::size_t article_width = l.fields()[z::wenzhangha].width;
    const std::size_t value_at = l.offset(z::zhi);
    const std::size_t value_width = l.fields()[z::zhi].width;
    end = std::min(end, zidian_.record_count());
    const std::uint64_t total = end > from ? end - from : 0;
    std::uint64_t reported = 0;
    std::vector<StoredValue> rows;
    zidian_.for_each_block(
        [&](const char* records, std::uint32_t first, std::uint32_t count) {
            rows.clear();
            for (std::uint32_t i = 0; i < count; ++i) {
                const char* r = records + static_cast<std::size_t>(i) * length;
                if (r[0] == '*') {
                    continue;
                }
                bool selected = false;
                for (const auto& g : p.guanjianzi) {
                    if (same_field(r + keyword_at, g.data(), keyword_width)) {
                        selected = true;
                        break;
                    }
                }
                if (selected) {
                    rows.push_back({trim_padding(r + article_at, article_width),
                                    trim_padding(r + value_at, value_width), true});
                } else if (every_row) {
                    rows.push_back({trim_padding(r + article_at, article_width), {}, false});
                }
            }
            if (!rows.empty()) {
                fn(rows);
            }
            if (step && first + count - from - reported >= 0x10000) {
                reported = first + count - from;
                step(reported, total);
            }
            return false;
        },
        from, end);
    if (step) {
        step(total, total);
    }
}

std::uint64_t Workspace::count_values(const ValueFilter& filter) {
    const Probe p = make_probe(filter);
    std::uint64_t n = 0;
    zidian_.for_each([&](const DbaseRecordView& r) { n += p.matches(r) ? 1 : 0; });
    return n;
}

std::vector<std::string> Workspace::distinct_articles(const ValueFilter& filter) {
    const Probe p = make_probe(filter);
    std::set<std::string> raw;
    zidian_.for_each([&](const DbaseRecordView& r) {
        if (p.matches(r)) {
            raw.emplace(r.raw(z::wenzhangha));
        }
    });
    std::vector<std::string> out;
    out.reserve(raw.size());
    for (const auto& bytes : raw) {
        std::string_view v = bytes;
        while (!v.empty() && v.back() == ' ') {
            v.remove_suffix(1);
        }
        out.push_back(text::gb18030_to_utf8(v));
    }
    // The set is in order of the padded bytes; the text order compares without padding.
    std::stable_sort(out.begin(), out.end(), text::TextLess{});
    return out;
}

std::uint64_t Workspace::update_values(const ValueFilter& filter, std::string_view zhi,
                                       std::uint64_t limit) {
    const Probe p = make_probe(filter);
    const std::string stored = zidian_.layout().encode_text(z::zhi, zhi);
    std::uint64_t done = 0;
    zidian_.modify([&](DbaseRecordEdit& r) {
        if (done >= limit || !p.matches(r)) {
            return false;
        }
        r.set_raw(z::zhi, stored);
        ++done;
        return true;
    });
    return done;
}

std::uint64_t Workspace::delete_values(const ValueFilter& filter, std::uint64_t limit) {
    const Probe p = make_probe(filter);
    std::uint64_t done = 0;
    zidian_.modify([&](DbaseRecordEdit& r) {
        if (done >= limit || !p.matches(r)) {
            return false;
        }
        r.set_deleted(true);
        ++done;
        return true;
    });
    return done;
}

std::uint64_t Workspace::rewrite_values(const ValueFilter& filter, const Rewrite& rewrite) {
    const Probe p = make_probe(filter);
    const DbaseLayout& layout = zidian_.layout();
    return zidian_.modify([&](DbaseRecordEdit& r) {
        if (!p.matches(r)) {
            return false;
        }
        const auto zhi = rewrite(value_row(r));
        if (!zhi) {
            return false;
        }
        const std::string stored = layout.encode_text(z::zhi, *zhi);
        if (stored == r.raw(z::zhi)) {
            return false;
        }
        r.set_raw(z::zhi, stored);
        return true;
    });
}

std::uint64_t
Workspace::delete_values_and_pack(const ValueFilter& filter,
                                  const std::function<bool(const ValueRow&)>& remove) {
    const Probe p = make_probe(filter);
    const std::uint32_t before = zidian_.record_count();
    std::uint64_t removed = 0;
    DbaseTable packed = zidian_.begin_rewrite([&](DbaseRecordEdit& r) {
        if (!p.matches(r) || !remove(value_row(r))) {
            return true;
        }
        ++removed;
        return false;
    });
    if (packed.record_count() == before) {
        zidian_.abandon(std::move(packed));
    } else {
        zidian_.install(std::move(packed));
    }
    return removed;
}

Workspace::RewriteCounts
Workspace::rewrite_values_and_pack(const ValueFilter& filter,
                                   const std::function<RowChange(const ValueRow&)>& change) {
    const Probe p = make_probe(filter);
    const DbaseLayout& layout = zidian_.layout();
    const std::uint32_t before = zidian_.record_count();
    RewriteCounts counts;
    DbaseTable packed = zidian_.begin_rewrite([&](DbaseRecordEdit& r) {
        if (!p.matches(r)) {
            return true;
        }
        const RowChange c = change(value_row(r));
        if (c.remove) {
            ++counts.removed;
            return false;
        }
        if (c.zhi) {
            const std::string stored = layout.encode_text(z::zhi, *c.zhi);
            if (stored != r.raw(z::zhi)) {
                r.set_raw(z::zhi, stored);
                ++counts.changed;
            }
        }
        return true;
    });
    if (counts.changed == 0 && packed.record_count() == before) {
        zidian_.abandon(std::move(packed));
    } else {
        zidian_.install(std::move(packed));
    }
    return counts;
}

std::uint64_t Workspace::pack_values() {
    return zidian_.pack();
}

bool Workspace::has_statistics(std::string_view guanjianzi) {
    const std::string k = tongji_.layout().encode_text(t::guanjianzi, guanjianzi);
    return tongji_.find_first([&](const DbaseRecordView& r) { return r.raw(t::guanjianzi) == k; })
        .has_value();
}

std::uint64_t Workspace::delete_statistics(std::string_view guanjianzi) {
    const std::string k = tongji_.layout().encode_text(t::guanjianzi, guanjianzi);
    return tongji_.modify([&](DbaseRecordEdit& r) {
        if (r.raw(t::guanjianzi) != k) {
            return false;
        }
        r.set_deleted(true);
        return true;
    });
}

std::uint64_t Workspace::clear_statistics() {
    return tongji_.modify([](DbaseRecordEdit& r) {
        r.set_deleted(true);
        return true;
    });
}

void Workspace::append_statistic(const StatisticsRow& row) {
    tongji_.append({std::string_view(number_), std::string_view(row.xuhao),
                    std::string_view(row.guanjianzi), std::string_view(row.zhi),
                    std::string_view(row.cishu), std::string_view(row.baifenbi),
                    std::string_view(row.leijibi)});
}

std::vector<StatisticsRow> Workspace::statistics(std::string_view guanjianzi) {
    const std::string k = tongji_.layout().encode_text(t::guanjianzi, guanjianzi);
    std::vector<StatisticsRow> out;
    // Room for the rows of a table of ordinary size: only what is filled is touched, and no
    // row is moved as the vector grows.
    out.reserve(std::min<std::uint32_t>(tongji_.record_count(), 1u << 16));
    tongji_.for_each([&](const DbaseRecordView& r) {
        if (r.raw(t::guanjianzi) == k) {
            out.push_back(statistics_row(r));
        }
    });
    const auto by_xuhao = [](const StatisticsRow& a, const StatisticsRow& b) {
        return text::compare_text(a.xuhao, b.xuhao) < 0;
    };
    // The rows are stored in order: sorted only when they are not.
    if (!std::is_sorted(out.begin(), out.end(), by_xuhao)) {
        std::stable_sort(out.begin(), out.end(), by_xuhao);
    }
    return out;
}

std::vector<StatisticsRow> Workspace::all_statistics() {
    std::vector<StatisticsRow> out;
    tongji_.for_each([&](const DbaseRecordView& r) { out.push_back(statistics_row(r)); });
    return out;
}

std::uint64_t Workspace::pack_statistics() {
    return tongji_.pack();
}

DbaseTable Workspace::stage_values_without_document(long long xuhao, bool close_gap) {
    return zidian_.begin_rewrite([&](DbaseRecordEdit& r) {
        const auto x = r.integer(z::xuhao);
        if (x == xuhao) {
            return false;
        }
        if (close_gap && x && *x > xuhao) {
            r.set_integer(z::xuhao, *x - 1);
        }
        return true;
    });
}

DbaseTable Workspace::stage_statistics(std::optional<std::string_view> dropped,
                                       std::span<const StatisticsRow> added) {
    std::optional<std::string> k;
    if (dropped) {
        k = tongji_.layout().encode_text(t::guanjianzi, *dropped);
    }
    DbaseTable staged =
        tongji_.begin_rewrite([&](DbaseRecordEdit& r) { return k && r.raw(t::guanjianzi) != *k; });
    for (const StatisticsRow& row : added) {
        staged.append({std::string_view(number_), std::string_view(row.xuhao),
                       std::string_view(row.guanjianzi), std::string_view(row.zhi),
                       std::string_view(row.cishu), std::string_view(row.baifenbi),
                       std::string_view(row.leijibi)});
    }
    return staged;
}

void Workspace::install_values(DbaseTable staged) {
    zidian_.install(std::move(staged));
}

void Workspace::install_statistics(DbaseTable staged) {
    tongji_.install(std::move(staged));
}

void Workspace::replace_statistics(std::string_view guanjianzi,
                                   std::span<const StatisticsRow> rows) {
    install_statistics(stage_statistics(guanjianzi, rows));
}

TempTable Workspace::rebuild_temp() {
    // Made under a name of its own and renamed over temp.dbf: a job running beside this one
    // (a reader's matrix) keeps writing its own file and never finds this one half made.
    static std::atomic<unsigned> made{0};
    const auto unique =
        folder_ / (".temp." + std::to_string(::getpid()) + "." + std::to_string(made++) + ".dbf");
    std::optional<DbaseTable> table;
    try {
        table.emplace(DbaseTable::create(unique, temp_layout()));
        table->move_to(temp_path());
    } catch (const DbaseError& e) {
        std::error_code ec;
        std::filesystem::remove(unique, ec);
        if (!writable()) {
            return TempTable(std::nullopt); // a reader's folder that cannot be written
        }
        throw WorkspaceError(e.what());
    }
    return TempTable(std::move(table));
}

} // namespace lumacite::store
