// The keyword-definition commands: placeholder, the keyword dialog's contents, storing
// and deleting a definition.
#include "formats/formats.h"

#include "messages.h"
#include "text/text.h"

namespace lumacite::formats {

std::string pailie_for_method(int method) {
    return std::to_string(method);
}

std::string fenge_for_method(int method, const std::string& separator_field) {
    switch (method) {
    case 1:
        return separator_field;
    case 5:
        return "/";
    default:
        return {};
    }
}

int method_for_pailie(const std::optional<std::string>& pailie) {
    if (pailie && pailie->size() == 1 && (*pailie)[0] >= '1' && (*pailie)[0] <= '4') {
        return (*pailie)[0] - '0';
    }
    return 5;
}

bool keyword_name_reserved(std::string_view guanjianzi) {
    return guanjianzi.find('<') != std::string_view::npos;
}

int flag_of(const store::Definition& d) {
    return d.yueding.value_or(flag_ordinary);
}

bool is_xml_subject_heading(const store::Definition& d) {
    return d.leixing == type_xml && flag_of(d) == flag_subject_heading;
}

std::string DefinitionForm::caption() const {
    return std::string(mode == Mode::add ? msg::keyword_dialog_add_prefix
                                         : msg::keyword_dialog_modify_prefix) +
           msg::keyword_dialog_caption;
}

store::Definition ensure_placeholder(store::Catalogue& catalogue, const store::FormatKey& key) {
    const auto guard = catalogue.lock_for_change();
    if (auto existing = catalogue.find_definition(key.geshi, std::string())) {
        return *existing;
    }
    store::Definition d;
    d.geshi = key.geshi;
    d.geshi_quancheng = key.geshi_quancheng;
    d.leixing = key.leixing;
    d.fenge = ";";
    d.yueding = flag_ordinary;
    d.id = catalogue.add_definition(d);
    return d;
}

DefinitionForm open_add(const store::Definition& placeholder, const std::string& leixing) {
    DefinitionForm f;
    f.mode = DefinitionForm::Mode::add;
    f.id = placeholder.id;
    f.txt_layout = leixing == type_txt;
    f.guanjianzi = placeholder.guanjianzi;
    f.jiedian = placeholder.jiedian;
    f.separator = placeholder.fenge_text();
    f.method = 1;
    return f;
}

DefinitionForm open_modify(const store::Definition& row) {
    DefinitionForm f;
    f.mode = DefinitionForm::Mode::modify;
    f.id = row.id;
    f.txt_layout = row.leixing == type_txt;
    f.guanjianzi = row.guanjianzi;
    f.jiedian = row.jiedian;
    f.separator = row.fenge_text();
    f.method = f.txt_layout ? method_for_pailie(row.pailie) : 1;
    f.subject_heading_labels = is_xml_subject_heading(row);
    f.name_enabled = !keyword_name_reserved(row.guanjianzi) && !f.subject_heading_labels;
    return f;
}

Outcome store_definition(store::Catalogue& catalogue, const std::string& geshi,
                         const DefinitionForm& form) {
    if (text::trim(form.guanjianzi).empty()) {
        return Outcome::refuse(msg::keyword_name_empty, Icon::error);
    }
    const auto guard = catalogue.lock_for_change();
    const auto found = form.mode == DefinitionForm::Mode::add
                           ? catalogue.find_definition(geshi, std::string())
                           : catalogue.find_definition(geshi, form.id);
    if (!found) {
        return {}; // the row has gone: the dialog closes without storing
    }
    store::Definition row = *found;
    if (form.guanjianzi != row.guanjianzi &&
        (keyword_name_reserved(row.guanjianzi) || is_xml_subject_heading(row))) {
        return Outcome::refuse(msg::keyword_reserved_no_rename, Icon::information, true);
    }
    // Only a "<txt>" format offers a choice of method; every other type stores method 1.
    const int method = row.leixing == type_txt ? form.method : 1;
    row.guanjianzi = form.guanjianzi;
    row.jiedian = form.jiedian;
    row.pailie = pailie_for_method(method);
    row.fenge = fenge_for_method(method, form.separator);
    catalogue.update_definition(row);
    Outcome o;
    o.id = row.id;
    return o;
}

std::string delete_definition_question(const store::FormatKey& key, const std::string& keyword) {
    return std::string(msg::delete_format_before) + make_format_entry(key) +
           msg::delete_definition_middle + keyword + msg::delete_definition_after;
}

Outcome delete_definition(store::Catalogue& catalogue, const store::FormatKey& key,
                          const store::Definition& row, const Ask& ask) {
    if (flag_of(row) > flag_ordinary) {
        return Outcome::refuse(msg::definition_reserved_no_delete, Icon::information, true);
    }
    if (!ask(delete_definition_question(key, row.guanjianzi))) {
        Outcome o;
        o.status = Outcome::Status::declined;
        return o;
    }
    // The row goes only while it still has this format, id and name.
    const auto guard = catalogue.lock_for_change();
    const auto current = catalogue.find_definition(key.geshi, row.id);
    if (current && current->guanjianzi == row.guanjianzi) {
        catalogue.delete_definition(key.geshi, row.id);
    }
    return {};
}

} // namespace lumacite::formats
