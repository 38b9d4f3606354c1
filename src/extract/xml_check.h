// The well-formedness check of an XML record file, made before it is parsed: the parser
// is lenient (it keeps an unknown entity reference as text, takes a duplicate attribute,
// reads on after the document element), and a file that is not well-formed must yield no
// rows at all.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumacite::extract {

enum class XmlCheck {
    well_formed, // parse the text as it is
    expanded,    // well-formed; parse the expanded text instead
    refused,     // not well-formed, or a reference whose text cannot be given
};

// Where the children of the document element stand in a text that check_xml accepted,
// as positions in the checked text.
struct XmlOutline {
    std::size_t content_begin = 0; // just after the document element's start tag
    std::size_t content_end = 0;   // at its end tag (content_begin for an empty element)
    std::size_t elements = 0;      // child elements of the document element
    // The stretches between two child elements (and before the first, after the last) that
    // hold more than blanks and line ends: text, character data, comments, instructions.
    std::vector<std::pair<std::size_t, std::size_t>> text_between;
};

// Checks UTF-8 text against the well-formedness rules of XML 1.0: characters (no control
// characters but tab and line ends, no U+FFFE/U+FFFF), an XML declaration only at the very
// start, names, one document element with properly nested and matching tags, unique
// attribute names, no "<" in attribute values, "]]>" only ending a CDATA section, comments
// without "--", character references to allowed characters only, and entity references
// only to the five predefined entities or to entities declared in the internal DTD subset.
//
// A reference to an internal entity whose value is plain text (no markup, no reference) is
// replaced by that text in `expanded` (result expanded). Any other entity reference (an
// undeclared or external entity, or one whose value holds markup or references) is
// refused: its value cannot be given, and a wrong one is worse than none.
// `outline`, when given, receives the outline of the checked text (not of `expanded`).
XmlCheck check_xml(std::string_view text, std::string& expanded, XmlOutline* outline = nullptr);

} // namespace lumacite::extract
