// Formats and keyword definitions: the rules of the format and keyword commands shared by
// the administrator page and the command line, the ten default definitions of a new
// format, the placeholder definition, the built-in protections, and the keyword list of
// a project's format.
//
// A format is the set of geshi rows sharing one name; it has no row of its own. Commands
// never show anything: they return an Outcome (a refusal carries the exact text the user
// sees) and take the answer to their question through an Ask callback. Every statement
// goes through the catalogue's bound parameters, so any character in a name is safe.
#pragma once

#include "formats/format_entry.h"
#include "store/catalogue.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lumacite::formats {

// ---- Names with fixed roles ----------------------------------------------------------

inline constexpr const char* type_xml = "<xml>";
inline constexpr const char* type_txt = "<txt>";

inline constexpr const char* article_node_keyword = "<文章节点>";
inline constexpr const char* article_number_keyword = "<文章号>";
inline constexpr const char* subject_heading_keyword = "<主题词>";
inline constexpr const char* author_keyword = "作者";
inline constexpr const char* first_author_keyword = "第一作者";

// The formats delivered with the catalogue: they cannot be deleted or renamed.
inline constexpr std::array<const char*, 4> builtin_formats = {"PubMed", "万方", "WOS", "cnki"};
bool is_builtin_format(std::string_view name);

// The six subject-heading keys, in keyword-list order (full-width ＋ and －).
inline constexpr std::array<const char*, 6> subject_heading_keys = {
    "全部主题词＋副主题词", "全部主题词－副主题词", "主要主题词＋副主题词",
    "主要主题词－副主题词", "次要主题词＋副主题词", "次要主题词－副主题词"};
// The four citation items: those of the format "WOS", and a listed "<引文>" of any other
// non-XML format with the three names the extractor derives from it.
inline constexpr std::array<const char*, 4> citation_keys = {"<引文>", "<引文作者>", "<引文年代>",
                                                             "<引文期刊>"};

// Convention flags of yueding; a row without a flag counts as ordinary where a command
// reads it as an integer.
inline constexpr int flag_ordinary = 0;
inline constexpr int flag_structural = 1;
inline constexpr int flag_subject_heading = 2;

// ---- Outcomes ------------------------------------------------------------------------

enum class Icon { information, error };

// What a command did.
struct Outcome {
    enum class Status {
        done,     // stored or deleted (or, for a vanished row, nothing left to do)
        refused,  // nothing changed; `message` says why
        declined, // the user answered no; nothing changed
    };
    Status status = Status::done;
    std::string message; // the refusal's text, exactly as shown (trailing "\r" included)
    Icon icon = Icon::information;
    // A refusal the window never shows (its control is disabled, or the button silently
    // does nothing); the command line reports `message`.
    bool quiet = false;
    long long id = 0; // the definition stored by store_definition (0 when none was)

    bool done() const { return status == Status::done; }
    static Outcome refuse(std::string text, Icon icon, bool quiet = false);
};

// Asks the user a yes/no question (No is the default); returns true for yes.
using Ask = std::function<bool(const std::string& question)>;

// ---- Format commands -----------------------------------------------------------------

// The ten definitions of a new format, in the order they are added: "<文章节点>",
// "<文章号>", "标题", "作者", "期刊", "年代", "卷", "起始页", "截止页", "<主题词>"; each with
// the key's name, full name and type, empty nodes, flag 0, no method and no separator.
std::vector<store::Definition> default_definitions(const store::FormatKey& key);

// The format dialog's name field is disabled for the built-in formats.
bool format_name_editable(std::string_view name);

// Checked before the modify dialog opens: a format used by a project cannot be modified.
Outcome check_format_modifiable(const store::Catalogue& catalogue, const std::string& name);

// OK in the add dialog: refuses an empty (after trimming) name, a name or full name
// holding "·" and an existing name (error icon); otherwise adds the ten default definitions, in one
// transaction, with the name and full name as typed.
Outcome add_format(store::Catalogue& catalogue, const store::FormatKey& input);

// OK in the modify dialog for the format `old_name`: refuses when a project uses it, when
// the new name is empty, when the new name or full name holds "·", when a built-in
// format would be renamed (quiet: the window disables the field) or when a changed name
// already exists; otherwise every definition
// of the format receives the new name, full name and type.
Outcome modify_format(store::Catalogue& catalogue, const std::string& old_name,
                      const store::FormatKey& input);

// The question asked before a format is deleted.
std::string delete_format_question(const store::FormatKey& key);

// Deletes a format with every definition: refuses a built-in format, then a format used by
// a project (both information icon), then asks; true from `ask` deletes.
Outcome delete_format(store::Catalogue& catalogue, const store::FormatKey& key, const Ask& ask);

// ---- Keyword definitions -------------------------------------------------------------

// Value methods 1 to 5 as stored in pailie and the separator each stores.
std::string pailie_for_method(int method);
std::string fenge_for_method(int method, const std::string& separator_field);
// The method button a stored pailie selects: "1" to "4" select 1 to 4, anything else
// (also "5" and no value) selects 5.
int method_for_pailie(const std::optional<std::string>& pailie);

// A definition whose name contains "<" keeps its name.
bool keyword_name_reserved(std::string_view guanjianzi);
// True for an XML format's subject-heading definition (flag 2).
bool is_xml_subject_heading(const store::Definition& d);
// The flag as the delete command reads it (no value reads as 0).
int flag_of(const store::Definition& d);

// What the keyword dialog shows and returns.
struct DefinitionForm {
    enum class Mode { add, modify };
    Mode mode = Mode::add;
    long long id = 0;        // the row the dialog fills in
    bool txt_layout = false; // "<txt>": node 1 and five methods; otherwise six nodes, method 1
    bool name_enabled = true;
    bool subject_heading_labels = false; // nodes 4-6 relabelled
    std::string guanjianzi;
    std::array<std::string, 6> jiedian;
    int method = 1; // 1 .. 5
    std::string separator = ";";

    std::string caption() const; // "增加 关键字" or "修改 关键字"
};

// The placeholder of a format: its definition with an empty keyword name. When there is
// none, one is added with the key's name, full name and type, empty nodes, flag 0 and
// separator ";". Returns the placeholder.
store::Definition ensure_placeholder(store::Catalogue& catalogue, const store::FormatKey& key);

// The dialog for adding: filled from the placeholder, method 1, layout of `leixing`.
DefinitionForm open_add(const store::Definition& placeholder, const std::string& leixing);
// The dialog for modifying a row: method from pailie, layout of the row's type (an XML
// row selects method 1), name disabled for reserved names and XML subject headings.
DefinitionForm open_modify(const store::Definition& row);

// OK in the keyword dialog for format `geshi`: refuses an empty name (error icon); locates
// the placeholder (add) or the row with form.id (modify) and stores the name and nodes as
// given, pailie and fenge by the method. A row that has vanished stores nothing and is
// done with id 0. A changed name of a reserved or subject-heading row is refused quietly.
// An XML row always stores method "1".
Outcome store_definition(store::Catalogue& catalogue, const std::string& geshi,
                         const DefinitionForm& form);

// The question asked before a definition is deleted.
std::string delete_definition_question(const store::FormatKey& key, const std::string& keyword);

// Deletes one definition of the format `key`: a row whose flag is above 0 is refused
// quietly; otherwise asks, and yes deletes the row with this format, id and name.
Outcome delete_definition(store::Catalogue& catalogue, const store::FormatKey& key,
                          const store::Definition& row, const Ask& ask);

// ---- Keyword list of a project -------------------------------------------------------

// The items of a project's keyword lists for the format `geshi`, in list order: for
// "PubMed" of type "<xml>" the six subject-heading keys first; then the format's keyword
// names in id order (XML: flag 0; other types, an empty one included: flag neither 1 nor
// 2), each name once, "<主题词>" of a "<txt>" format replaced by the six keys, "<引文>" of
// a non-XML format other than "WOS" followed by "<引文作者>", "<引文年代>", "<引文期刊>";
// for "WOS" of a type other than "<xml>" the four citation items; finally "第一作者".
std::vector<std::string> project_keyword_list(const store::Catalogue& catalogue,
                                              const std::string& geshi);

} // namespace lumacite::formats
