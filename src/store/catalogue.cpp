// Catalogue on SQLCipher. Statements are prepared with bound parameters; rows come
// back as the structs of catalogue.h.
#include "store/catalogue.h"

#include "messages.h"
#include "store/locks.h"
#include "text/text.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sqlite3.h>

namespace lumacite::store {

namespace {

const char* const schema_sql = R"sql(
CREATE TABLE geshi (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    geshi TEXT,
    geshi_quancheng TEXT,
    leixing TEXT,
    guanjianzi TEXT,
    jiedian1 TEXT, jiedian2 TEXT, jiedian3 TEXT, jiedian4 TEXT, jiedian5 TEXT, jiedian6 TEXT,
    pailie TEXT,
    fenge TEXT,
    yueding INTEGER
);
CREATE INDEX geshi_by_name ON geshi (geshi);
CREATE TABLE xiangmu (
    bianhao TEXT,
    geshi TEXT,
    shuoming TEXT
);
CREATE TABLE wenxian (
    bianhao TEXT,
    xuhao INTEGER,
    wenjianming TEXT,
    kuozhanming TEXT
);
CREATE INDEX wenxian_by_project ON wenxian (bianhao, xuhao);
)sql";

const char* const definition_columns =
    "id, geshi, geshi_quancheng, leixing, guanjianzi, jiedian1, jiedian2, jiedian3, "
    "jiedian4, jiedian5, jiedian6, pailie, fenge, yueding";

class Statement {
public:
    Statement(sqlite3* db, const std::string& sql, const std::filesystem::path& file)
        : db_(db), file_(file) {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK) {
            fail();
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() { sqlite3_finalize(stmt_); }

    Statement& bind(int i, const std::string& v) {
        check(sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT));
        return *this;
    }
    Statement& bind(int i, const std::optional<std::string>& v) {
        return v ? bind(i, *v) : bind_null(i);
    }
    Statement& bind(int i, long long v) {
        check(sqlite3_bind_int64(stmt_, i, v));
        return *this;
    }
    Statement& bind(int i, const std::optional<int>& v) { return v ? bind(i, *v) : bind_null(i); }
    Statement& bind(int i, int v) { return bind(i, static_cast<long long>(v)); }
    Statement& bind_null(int i) {
        check(sqlite3_bind_null(stmt_, i));
        return *this;
    }

    // Advances to the next row; false when there is none.
    bool step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) {
            return true;
        }
        if (rc != SQLITE_DONE) {
            fail();
        }
        return false;
    }
    void run() {
        while (step()) {
        }
    }

    std::string text(int col) const {
        const auto* p = sqlite3_column_text(stmt_, col);
        return p ? std::string(reinterpret_cast<const char*>(p),
                               static_cast<std::size_t>(sqlite3_column_bytes(stmt_, col)))
                 : std::string();
    }
    std::optional<std::string> optional_text(int col) const {
        if (sqlite3_column_type(stmt_, col) == SQLITE_NULL) {
            return std::nullopt;
        }
        return text(col);
    }
    long long integer(int col) const { return sqlite3_column_int64(stmt_, col); }
    std::optional<int> optional_int(int col) const {
        if (sqlite3_column_type(stmt_, col) == SQLITE_NULL) {
            return std::nullopt;
        }
        return static_cast<int>(sqlite3_column_int64(stmt_, col));
    }

private:
    void check(int rc) {
        if (rc != SQLITE_OK) {
            fail();
        }
    }
    [[noreturn]] void fail() { throw CatalogueError(file_.string() + ": " + sqlite3_errmsg(db_)); }
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    const std::filesystem::path& file_;
};

Definition read_definition(const Statement& s) {
    Definition d;
    d.id = s.integer(0);
    d.geshi = s.text(1);
    d.geshi_quancheng = s.text(2);
    d.leixing = s.text(3);
    d.guanjianzi = s.text(4);
    for (int i = 0; i < 6; ++i) {
        d.jiedian[static_cast<std::size_t>(i)] = s.text(5 + i);
    }
    d.pailie = s.optional_text(11);
    d.fenge = s.optional_text(12);
    d.yueding = s.optional_int(13);
    return d;
}

Document read_document(const Statement& s) {
    return Document{s.text(0), s.integer(1), s.text(2), s.text(3)};
}

const char* const document_columns = "bianhao, xuhao, wenjianming, kuozhanming";

} // namespace

struct Catalogue::Impl {
    std::filesystem::path file;
    sqlite3* db = nullptr;
    std::optional<FileLock> change_lock;
    int change_depth = 0;

    ~Impl() {
        if (db != nullptr) {
            sqlite3_close(db);
        }
    }

    void exec(const std::string& sql) {
        char* err = nullptr;
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
            std::string what = file.string() + ": " + (err ? err : sqlite3_errmsg(db));
            sqlite3_free(err);
            throw CatalogueError(what);
        }
    }
    Statement prepare(const std::string& sql) { return Statement(db, sql, file); }

    std::vector<Definition> definitions_where(const std::string& where, const std::string& geshi) {
        auto s = prepare(std::string("SELECT ") + definition_columns + " FROM geshi WHERE " +
                         where + " ORDER BY id");
        s.bind(1, geshi);
        std::vector<Definition> out;
        while (s.step()) {
            out.push_back(read_definition(s));
        }
        return out;
    }
    std::vector<std::string> names_where(const std::string& where, const std::string& geshi) {
        auto s = prepare("SELECT guanjianzi FROM geshi WHERE " + where + " ORDER BY id");
        s.bind(1, geshi);
        std::vector<std::string> out;
        while (s.step()) {
            out.push_back(s.text(0));
        }
        return out;
    }
};

namespace {

// The catalogue's key is derived from the program's own password, so the rounds of the
// derivation guard nothing; at the library's default (256,000) they cost every command
// tens of milliseconds. Catalogues are made with few rounds; those made with the default
// still open.
constexpr const char* few_rounds = "PRAGMA kdf_iter = 1000";

std::unique_ptr<Catalogue::Impl> open_keyed(const std::filesystem::path& file, int flags,
                                            bool default_rounds = false) {
    auto impl = std::make_unique<Catalogue::Impl>();
    impl->file = file;
    if (sqlite3_open_v2(file.c_str(), &impl->db, flags, nullptr) != SQLITE_OK) {
        const std::string why = impl->db ? sqlite3_errmsg(impl->db) : "cannot open";
        throw CatalogueError(file.string() + ": " + why);
    }
    const std::string pw = catalogue_password;
    if (sqlite3_key(impl->db, pw.data(), static_cast<int>(pw.size())) != SQLITE_OK) {
        throw CatalogueError(file.string() + ": " + sqlite3_errmsg(impl->db));
    }
    if (!default_rounds) {
        impl->exec(few_rounds);
    }
    sqlite3_busy_timeout(impl->db, 5000);
    return impl;
}

// Opens an existing catalogue with the rounds it was made with.
std::unique_ptr<Catalogue::Impl> open_existing(const std::filesystem::path& file, int flags) {
    auto impl = open_keyed(file, flags);
    if (sqlite3_exec(impl->db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) ==
        SQLITE_NOTADB) {
        impl = open_keyed(file, flags, true);
    }
    return impl;
}

} // namespace

Catalogue::Catalogue(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Catalogue::Catalogue(Catalogue&&) noexcept = default;
Catalogue& Catalogue::operator=(Catalogue&&) noexcept = default;
Catalogue::~Catalogue() = default;

Catalogue Catalogue::open(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        throw CatalogueError(file.string() + ": no such file");
    }
    auto impl = open_existing(file, SQLITE_OPEN_READWRITE);
    // Reading the schema proves the password; a wrong one reads as "not a database".
    {
        auto s = impl->prepare("SELECT count(*) FROM sqlite_master WHERE type='table' AND name IN "
                               "('geshi','xiangmu','wenxian')");
        s.step();
        if (s.integer(0) != 3) {
            throw CatalogueError(file.string() + ": not a catalogue (tables missing)");
        }
    }
    return Catalogue(std::move(impl));
}

Catalogue Catalogue::create(const std::filesystem::path& file) {
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
        throw CatalogueError(file.string() + ": file exists");
    }
    auto impl = open_keyed(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    impl->exec(schema_sql);
    return Catalogue(std::move(impl));
}

Catalogue::ChangeLock::ChangeLock(Impl& impl, std::chrono::milliseconds wait) : impl_(impl) {
    if (impl_.change_depth == 0) {
        std::filesystem::path lock_file = impl_.file;
        lock_file += ".lock";
        impl_.change_lock.emplace(FileLock::acquire(lock_file, wait, msg::catalogue_in_use));
    }
    ++impl_.change_depth;
}

Catalogue::ChangeLock::~ChangeLock() {
    if (--impl_.change_depth == 0) {
        impl_.change_lock.reset();
    }
}

const std::filesystem::path& Catalogue::path() const {
    return impl_->file;
}

void Catalogue::begin() {
    impl_->exec("BEGIN");
}
void Catalogue::commit() {
    impl_->exec("COMMIT");
}
void Catalogue::rollback() {
    char* err = nullptr;
    sqlite3_exec(impl_->db, "ROLLBACK", nullptr, nullptr, &err);
    sqlite3_free(err);
}

// ---- geshi ----------------------------------------------------------------------------

std::vector<FormatKey> Catalogue::formats() const {
    auto s = impl_->prepare("SELECT DISTINCT geshi, geshi_quancheng, leixing FROM geshi");
    std::vector<FormatKey> out;
    while (s.step()) {
        out.push_back(FormatKey{s.text(0), s.text(1), s.text(2)});
    }
    std::sort(out.begin(), out.end(), [](const FormatKey& a, const FormatKey& b) {
        if (int c = text::compare_text(a.geshi, b.geshi); c != 0) {
            return c < 0;
        }
        if (int c = text::compare_text(a.geshi_quancheng, b.geshi_quancheng); c != 0) {
            return c < 0;
        }
        return text::compare_text(a.leixing, b.leixing) < 0;
    });
    return out;
}

std::vector<Definition> Catalogue::definitions(const std::string& geshi) const {
    return impl_->definitions_where("geshi = ?1", geshi);
}

std::vector<Definition> Catalogue::xml_walked_definitions(const std::string& geshi) const {
    return impl_->definitions_where("geshi = ?1 AND yueding = 0", geshi);
}

std::vector<Definition> Catalogue::txt_walked_definitions(const std::string& geshi) const {
    return impl_->definitions_where("geshi = ?1 AND yueding <> 1", geshi);
}

std::vector<std::string> Catalogue::xml_keyword_names(const std::string& geshi) const {
    return impl_->names_where("geshi = ?1 AND yueding = 0", geshi);
}

std::vector<std::string> Catalogue::other_keyword_names(const std::string& geshi) const {
    return impl_->names_where("(geshi = ?1) AND (yueding <> 1) AND (yueding <> 2)", geshi);
}

std::string Catalogue::format_type(const std::string& geshi) const {
    auto s = impl_->prepare("SELECT leixing FROM geshi WHERE geshi = ?1 ORDER BY id LIMIT 1");
    s.bind(1, geshi);
    return s.step() ? s.text(0) : std::string();
}

bool Catalogue::format_exists(const std::string& geshi) const {
    auto s = impl_->prepare("SELECT 1 FROM geshi WHERE geshi = ?1 LIMIT 1");
    s.bind(1, geshi);
    return s.step();
}

std::optional<Definition> Catalogue::find_definition(const std::string& geshi,
                                                     const std::string& guanjianzi) const {
    auto s = impl_->prepare(std::string("SELECT ") + definition_columns +
                            " FROM geshi WHERE geshi = ?1 AND guanjianzi = ?2 ORDER BY id LIMIT 1");
    s.bind(1, geshi).bind(2, guanjianzi);
    if (!s.step()) {
        return std::nullopt;
    }
    return read_definition(s);
}

std::optional<Definition> Catalogue::find_definition(const std::string& geshi, long long id) const {
    auto s = impl_->prepare(std::string("SELECT ") + definition_columns +
                            " FROM geshi WHERE geshi = ?1 AND id = ?2");
    s.bind(1, geshi).bind(2, id);
    if (!s.step()) {
        return std::nullopt;
    }
    return read_definition(s);
}

namespace {
void bind_definition_fields(Statement& s, const Definition& d) {
    s.bind(1, d.geshi).bind(2, d.geshi_quancheng).bind(3, d.leixing).bind(4, d.guanjianzi);
    for (int i = 0; i < 6; ++i) {
        s.bind(5 + i, d.jiedian[static_cast<std::size_t>(i)]);
    }
    s.bind(11, d.pailie).bind(12, d.fenge).bind(13, d.yueding);
}
} // namespace

long long Catalogue::add_definition(const Definition& d) {
    auto s = impl_->prepare(
        "INSERT INTO geshi (geshi, geshi_quancheng, leixing, guanjianzi, jiedian1, jiedian2, "
        "jiedian3, jiedian4, jiedian5, jiedian6, pailie, fenge, yueding) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13)");
    bind_definition_fields(s, d);
    s.run();
    return sqlite3_last_insert_rowid(impl_->db);
}

void Catalogue::update_definition(const Definition& d) {
    auto s = impl_->prepare(
        "UPDATE geshi SET geshi = ?1, geshi_quancheng = ?2, leixing = ?3, guanjianzi = ?4, "
        "jiedian1 = ?5, jiedian2 = ?6, jiedian3 = ?7, jiedian4 = ?8, jiedian5 = ?9, "
        "jiedian6 = ?10, pailie = ?11, fenge = ?12, yueding = ?13 WHERE id = ?14");
    bind_definition_fields(s, d);
    s.bind(14, d.id);
    s.run();
}

bool Catalogue::delete_definition(const std::string& geshi, long long id) {
    auto s = impl_->prepare("DELETE FROM geshi WHERE geshi = ?1 AND id = ?2");
    s.bind(1, geshi).bind(2, id);
    s.run();
    return sqlite3_changes(impl_->db) > 0;
}

int Catalogue::update_format(const std::string& geshi, const FormatKey& to) {
    auto s = impl_->prepare(
        "UPDATE geshi SET geshi = ?1, geshi_quancheng = ?2, leixing = ?3 WHERE geshi = ?4");
    s.bind(1, to.geshi).bind(2, to.geshi_quancheng).bind(3, to.leixing).bind(4, geshi);
    s.run();
    return sqlite3_changes(impl_->db);
}

int Catalogue::delete_format(const std::string& geshi) {
    auto s = impl_->prepare("DELETE FROM geshi WHERE geshi = ?1");
    s.bind(1, geshi);
    s.run();
    return sqlite3_changes(impl_->db);
}

// ---- xiangmu --------------------------------------------------------------------------

std::vector<Project> Catalogue::projects() const {
    auto s = impl_->prepare("SELECT bianhao, geshi, shuoming FROM xiangmu ORDER BY rowid");
    std::vector<Project> out;
    while (s.step()) {
        out.push_back(Project{s.text(0), s.text(1), s.text(2)});
    }
    std::stable_sort(out.begin(), out.end(), [](const Project& a, const Project& b) {
        return text::compare_text(a.bianhao, b.bianhao) < 0;
    });
    return out;
}

std::optional<Project> Catalogue::find_project(const std::string& bianhao) const {
    auto s = impl_->prepare(
        "SELECT bianhao, geshi, shuoming FROM xiangmu WHERE bianhao = ?1 ORDER BY rowid LIMIT 1");
    s.bind(1, bianhao);
    if (!s.step()) {
        return std::nullopt;
    }
    return Project{s.text(0), s.text(1), s.text(2)};
}

void Catalogue::add_project(const Project& p) {
    auto s = impl_->prepare("INSERT INTO xiangmu (bianhao, geshi, shuoming) VALUES (?1, ?2, ?3)");
    s.bind(1, p.bianhao).bind(2, p.geshi).bind(3, p.shuoming);
    s.run();
}

bool Catalogue::update_project(const std::string& old_bianhao, const Project& p) {
    auto s =
        impl_->prepare("UPDATE xiangmu SET bianhao = ?1, geshi = ?2, shuoming = ?3 WHERE rowid = "
                       "(SELECT rowid FROM xiangmu WHERE bianhao = ?4 ORDER BY rowid LIMIT 1)");
    s.bind(1, p.bianhao).bind(2, p.geshi).bind(3, p.shuoming).bind(4, old_bianhao);
    s.run();
    return sqlite3_changes(impl_->db) > 0;
}

void Catalogue::delete_project(const std::string& bianhao) {
    auto a = impl_->prepare("DELETE FROM xiangmu WHERE bianhao = ?1");
    a.bind(1, bianhao);
    a.run();
    auto b = impl_->prepare("DELETE FROM wenxian WHERE bianhao = ?1");
    b.bind(1, bianhao);
    b.run();
}

int Catalogue::projects_using_format(const std::string& geshi) const {
    auto s = impl_->prepare("SELECT count(*) FROM xiangmu WHERE geshi = ?1");
    s.bind(1, geshi);
    s.step();
    return static_cast<int>(s.integer(0));
}

// ---- wenxian --------------------------------------------------------------------------

std::vector<Document> Catalogue::documents(const std::string& bianhao) const {
    auto s = impl_->prepare(std::string("SELECT ") + document_columns +
                            " FROM wenxian WHERE bianhao = ?1 ORDER BY xuhao, rowid");
    s.bind(1, bianhao);
    std::vector<Document> out;
    while (s.step()) {
        out.push_back(read_document(s));
    }
    return out;
}

bool Catalogue::has_documents(const std::string& bianhao) const {
    auto s = impl_->prepare("SELECT 1 FROM wenxian WHERE bianhao = ?1 LIMIT 1");
    s.bind(1, bianhao);
    return s.step();
}

std::optional<Document> Catalogue::find_document(const std::string& bianhao,
                                                 long long xuhao) const {
    auto s =
        impl_->prepare(std::string("SELECT ") + document_columns +
                       " FROM wenxian WHERE bianhao = ?1 AND xuhao = ?2 ORDER BY rowid LIMIT 1");
    s.bind(1, bianhao).bind(2, xuhao);
    if (!s.step()) {
        return std::nullopt;
    }
    return read_document(s);
}

std::optional<Document> Catalogue::find_file_entry(const std::string& bianhao,
                                                   const std::string& wenjianming) const {
    auto s = impl_->prepare(std::string("SELECT ") + document_columns +
                            " FROM wenxian WHERE bianhao = ?1 AND wenjianming = ?2 AND "
                            "coalesce(kuozhanming, '') = '' ORDER BY rowid LIMIT 1");
    s.bind(1, bianhao).bind(2, wenjianming);
    if (!s.step()) {
        return std::nullopt;
    }
    return read_document(s);
}

std::optional<Document> Catalogue::find_directory_entry(const std::string& bianhao,
                                                        const std::string& wenjianming,
                                                        const std::string& kuozhanming) const {
    auto s = impl_->prepare(std::string("SELECT ") + document_columns +
                            " FROM wenxian WHERE bianhao = ?1 AND wenjianming = ?2 AND "
                            "kuozhanming = ?3 ORDER BY rowid LIMIT 1");
    s.bind(1, bianhao).bind(2, wenjianming).bind(3, kuozhanming);
    if (!s.step()) {
        return std::nullopt;
    }
    return read_document(s);
}

void Catalogue::add_document(const Document& d) {
    auto s = impl_->prepare(
        "INSERT INTO wenxian (bianhao, xuhao, wenjianming, kuozhanming) VALUES (?1, ?2, ?3, ?4)");
    s.bind(1, d.bianhao).bind(2, d.xuhao).bind(3, d.wenjianming).bind(4, d.kuozhanming);
    s.run();
}

void Catalogue::remove_document(const std::string& bianhao, long long xuhao) {
    transaction([&] {
        auto del = impl_->prepare("DELETE FROM wenxian WHERE bianhao = ?1 AND xuhao = ?2");
        del.bind(1, bianhao).bind(2, xuhao);
        del.run();
        auto up = impl_->prepare(
            "UPDATE wenxian SET xuhao = xuhao - 1 WHERE bianhao = ?1 AND xuhao > ?2");
        up.bind(1, bianhao).bind(2, xuhao);
        up.run();
    });
}

void Catalogue::rename_document_owner(const std::string& old_bianhao,
                                      const std::string& new_bianhao) {
    auto s = impl_->prepare("UPDATE wenxian SET bianhao = ?1 WHERE bianhao = ?2");
    s.bind(1, new_bianhao).bind(2, old_bianhao);
    s.run();
}

// ---- Seed -----------------------------------------------------------------------------

namespace {

std::vector<std::string> split_tabs(const std::string& line) {
    std::vector<std::string> cells(1);
    for (char c : line) {
        if (c == '\t') {
            cells.emplace_back();
        } else {
            cells.back().push_back(c);
        }
    }
    return cells;
}

std::optional<std::string> unescape(const std::string& cell) {
    if (cell == "\\N") {
        return std::nullopt;
    }
    std::string out;
    for (std::size_t i = 0; i < cell.size(); ++i) {
        if (cell[i] == '\\' && i + 1 < cell.size()) {
            const char n = cell[++i];
            out.push_back(n == 't' ? '\t' : n);
        } else {
            out.push_back(cell[i]);
        }
    }
    return out;
}

} // namespace

std::vector<Definition> read_seed(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw std::runtime_error(file.string() + ": cannot read");
    }
    std::vector<Definition> out;
    std::string line;
    int line_no = 0;
    bool header = true;
    while (std::getline(in, line)) {
        ++line_no;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (header) {
            header = false;
            continue;
        }
        const auto cells = split_tabs(line);
        if (cells.size() != 13) {
            throw std::runtime_error(file.string() + ":" + std::to_string(line_no) +
                                     ": expected 13 tab-separated cells, found " +
                                     std::to_string(cells.size()));
        }
        Definition d;
        d.geshi = unescape(cells[0]).value_or("");
        d.geshi_quancheng = unescape(cells[1]).value_or("");
        d.leixing = unescape(cells[2]).value_or("");
        d.guanjianzi = unescape(cells[3]).value_or("");
        for (std::size_t i = 0; i < 6; ++i) {
            d.jiedian[i] = unescape(cells[4 + i]).value_or("");
        }
        d.pailie = unescape(cells[10]);
        d.fenge = unescape(cells[11]);
        if (cells[12] == "\\N") {
            d.yueding = std::nullopt;
        } else if (cells[12] == "0" || cells[12] == "1" || cells[12] == "2") {
            d.yueding = cells[12][0] - '0';
        } else {
            throw std::runtime_error(file.string() + ":" + std::to_string(line_no) +
                                     ": yueding must be 0, 1, 2 or \\N");
        }
        out.push_back(std::move(d));
    }
    return out;
}

void build_catalogue(const std::filesystem::path& seed, const std::filesystem::path& file) {
    const auto rows = read_seed(seed);
    auto cat = Catalogue::create(file);
    cat.transaction([&] {
        for (const auto& d : rows) {
            cat.add_definition(d);
        }
    });
}

} // namespace lumacite::store
