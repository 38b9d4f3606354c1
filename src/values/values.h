// The values browser and value cleaning: the rows the values grid lists for a keyword of
// one document (all of them or those of one value, in table order or sorted by value),
// the six value operations with their refusals, and value removal in its three scopes.
//
// Every change is one pass over the project's value table, whatever the number of rows
// it touches; removal packs the table in the same pass. The passes are the value table's
// own (store::Workspace::rewrite_values, store::Workspace::delete_values_and_pack) over
// the rows of the stored keys a listed keyword stands for (below), so other cleaning of a
// keyword's values builds on the same two. Rows are identified by content (article
// number and value), never by record number, so a grid read a while ago still acts on the
// rows it shows. Values are UTF-8; positions and widths count GB18030 bytes as stored.
#pragma once

#include "analysis/analysis.h"
#include "store/workspace.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

namespace lumacite::values {

// ---- Keywords and rows ---------------------------------------------------------------

// The stored keys a listed keyword stands for are those of analysis::occurrence_source:
// in a project of type "<xml>" the merged subject-heading keywords "全部主题词＋副主题词"
// and "全部主题词－副主题词" stand for the major and minor key of their sign, and the grid
// lists their distinct (article, value) pairs; every other keyword stands for itself and
// the grid lists every row.
using analysis::OccurrenceSource;

enum class Sort { none, ascending, descending };

// What the values grid shows.
struct GridQuery {
    std::string bianhao; // project number
    long long xuhao = 0; // document number
    std::string keyword; // as listed
    std::string format_type;
    std::optional<std::string> same_value; // "仅同值": the rows of this value only
    Sort sort = Sort::none;

    OccurrenceSource source() const { return analysis::occurrence_source(keyword, format_type); }
};

struct GridRow {
    std::string wenzhangha;
    std::string zhi;
    bool operator==(const GridRow&) const = default;
};

// The rows of document `xuhao` stored under the keyword's keys (of value `same_value`
// when given), in table order; for a distinct keyword the first row of each (article,
// value) pair. Sorted by value in text order (GB18030 bytes) when asked, rows of equal
// value keeping their order.
std::vector<GridRow> grid_rows(store::Workspace& workspace, const GridQuery& query);

// Index of the first row with this article number (and this value, when given).
std::optional<std::size_t> locate_row(std::span<const GridRow> rows, std::string_view wenzhangha,
                                      const std::optional<std::string>& zhi = std::nullopt);

// ---- Value operations -------------------------------------------------------------------

// 1. "同值修改": the value of the row (wenzhangha, old_value) becomes new_value; with
//    batch, in every article of the document.
struct SetValue {
    std::string wenzhangha;
    std::string old_value;
    std::string new_value;
    bool batch = false;
};
// 2. Removes the text from the first start mark to the first end mark, marks included,
//    where both occur and the start mark comes first.
struct CutBetween {
    std::string start_mark;
    std::string end_mark;
};
// 3. Replaces every occurrence of `find` by the replace-all routine (text::replace_all).
struct Replace {
    std::string find;
    std::string replacement;
};
// 4. ASCII letters to upper or lower case.
struct ChangeCase {
    bool upper = true;
};
// 5. Removes the 52 ASCII letters, or the ten digits.
struct Strip {
    bool letters = true;
};
// 6. Keeps the characters lying wholly within byte positions start to end (from 1,
//    inclusive), as typed in the dialog's fields.
struct KeepRange {
    std::string start;
    std::string end;
};
using Operation = std::variant<SetValue, CutBetween, Replace, ChangeCase, Strip, KeepRange>;

struct Check {
    enum class Status {
        ready,   // the operation may run
        refused, // `message` says why; nothing changes
        idle,    // nothing to do and nothing to say (replacing a text by itself)
    };
    Status status = Status::ready;
    std::string message;
};

// The refusals, in the order they are checked: a new value or a replacement holding a
// single quote ("修改内容中不能包含“半角单引号”！"); a mark empty after trimming blanks
// ("起、止两项都必须有值！"); an empty find text ("“被替换”项都必须有值！"); a start or end
// that is empty, not a number or not greater than zero ("起、止两项都必须有值，且大于零！");
// an end below the start ("“止值”不应小于“起值”！").
Check check_operation(const Operation& operation);

// The new value of a row under operations 2 to 6 (operation 1 gives its new value);
// nullopt when the operation leaves the row alone (operations 2 and 3 only).
std::optional<std::string> operation_value(const Operation& operation, std::string_view zhi);

// The value as the table stores it and compares it: cut to 254 GB18030 bytes without
// splitting a character, trailing blanks dropped.
std::string stored_value(std::string_view zhi);

// The effect of running, for each grid row in order, the statement "every row of this
// article that holds the row's old value gets its new value": statements of one article
// chain (a row changed by one is matched by later ones with its new value).
class ValueSteps {
public:
    // One statement; values in stored form (stored_value). A statement that keeps the
    // value changes nothing.
    void add(const std::string& wenzhangha, const std::string& old_value,
             const std::string& new_value);
    // The value a row that held `zhi` before the first statement holds after the last;
    // nullopt when that is `zhi` again.
    std::optional<std::string> final_value(const std::string& wenzhangha,
                                           const std::string& zhi) const;

private:
    struct Article {
        std::unordered_map<std::string, std::vector<std::string>> holders; // now -> starts
        std::unordered_map<std::string, std::string> now; // start -> now, for moved rows
    };
    std::unordered_map<std::string, Article> articles_;
};

struct EditResult {
    Check check;
    std::uint64_t rows_changed = 0; // stored rows whose value changed
};

// Runs an operation on the grid's rows (`rows`, as grid_rows gave them for `query`), after
// check_operation. Operations 2 to 6 act on each grid row in order as one statement of
// ValueSteps over the rows of project `query.bianhao`, document `query.xuhao` and the
// keyword's stored keys; operation 1 on the rows of its article and old value (the first
// of them only, unless batch changes every article; a distinct keyword's row stands for
// all its stored rows). All of it in one pass over the table.
EditResult apply_operation(store::Workspace& workspace, const GridQuery& query,
                           std::span<const GridRow> rows, const Operation& operation);

// ---- Removal ------------------------------------------------------------------------------

enum class RemovalScope {
    one,  // "仅当前一个值": the current row
    same, // "全部相同的值": the current row's value under the keyword, in every document
    below, // "当前行以下（包括本行）全部值": the grid's rows from the current one to the last
};

// Removes values from the grid's row `current` on: "one" and "below" delete, for each grid
// row taken, the first stored row of its article and value in document `query.xuhao` (a
// distinct keyword's row: all of them); "same" deletes every row of the project stored
// under the keyword's keys with the current row's value. The table is packed in the same
// pass (store::Workspace::delete_values_and_pack). Returns the rows deleted. `current`
// must index `rows`.
std::uint64_t remove_values(store::Workspace& workspace, const GridQuery& query,
                            std::span<const GridRow> rows, std::size_t current, RemovalScope scope);

} // namespace lumacite::values
