// The keyword list of a project's format (extraction, statistics and matrix pages).
#include "formats/formats.h"

#include <algorithm>

namespace lumacite::formats {

std::vector<std::string> project_keyword_list(const store::Catalogue& catalogue,
                                              const std::string& geshi) {
    const std::string type = catalogue.format_type(geshi);
    const bool xml = type == type_xml;
    std::vector<std::string> list;
    auto add_subject_heading_keys = [&] {
        list.insert(list.end(), subject_heading_keys.begin(), subject_heading_keys.end());
    };
    if (xml && geshi == "PubMed") {
        add_subject_heading_keys();
    }
    const auto names =
        xml ? catalogue.xml_keyword_names(geshi) : catalogue.other_keyword_names(geshi);
    for (const auto& name : names) {
        if (std::find(list.begin(), list.end(), name) != list.end()) {
            continue;
        }
        if (type == type_txt && name == subject_heading_keyword) {
            add_subject_heading_keys();
        } else if (!xml && geshi != "WOS" && name == citation_keys[0]) {
            // The extractor stores the author, year and journal of every cited reference
            // beside it: they are offered with it.
            list.insert(list.end(), citation_keys.begin(), citation_keys.end());
        } else {
            list.push_back(name);
        }
    }
    if (!xml && geshi == "WOS") {
        list.insert(list.end(), citation_keys.begin(), citation_keys.end());
    }
    list.emplace_back(first_author_keyword);
    return list;
}

} // namespace lumacite::formats
