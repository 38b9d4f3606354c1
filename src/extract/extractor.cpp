#include "extract/extractor.h"

namespace lumacite::extract {

ExtractionFormat load_extraction_format(const store::Catalogue& catalogue,
                                        const std::string& geshi) {
    ExtractionFormat f;
    f.geshi = geshi;
    f.leixing = catalogue.format_type(geshi);
    f.walked = f.leixing == "<xml>" ? catalogue.xml_walked_definitions(geshi)
                                    : catalogue.txt_walked_definitions(geshi);
    f.article_node = catalogue.find_definition(geshi, std::string("<文章节点>"));
    f.article_number = catalogue.find_definition(geshi, std::string("<文章号>"));
    f.subject_headings = catalogue.find_definition(geshi, std::string("<主题词>"));
    return f;
}

} // namespace lumacite::extract
