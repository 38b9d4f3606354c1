// An independent reader of .xlsx workbooks for tests: it unpacks the zip package itself
// (central directory, stored or deflated members through zlib) and reads the workbook,
// styles and sheet XML with pugixml, so a test sees what a spreadsheet program would.
#pragma once

#include "support/temp_dir.h"

#include <pugixml.hpp>
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace lumacite::testing {

struct XlsxCell {
    std::string text;
    std::string type;        // the t attribute: "inlineStr", "s", "str", "" (number)
    std::string format_code; // the number format of its style ("@" for text, "General")
};

struct XlsxSheet {
    std::string name;
    // rows[r][c], from row 1 and column 1 at index 0; missing cells are empty.
    std::vector<std::vector<XlsxCell>> rows;
    // The number format given to whole columns (<cols>), by first column (1-based).
    std::map<int, std::string> column_formats;
    // The last column of each such span, by first column.
    std::map<int, int> column_spans;
    std::size_t row_count() const { return rows.size(); }
    const XlsxCell& cell(std::size_t row, std::size_t column) const {
        static const XlsxCell none;
        if (row < 1 || row > rows.size() || column < 1 || column > rows[row - 1].size()) {
            return none;
        }
        return rows[row - 1][column - 1];
    }
    std::string text(std::size_t row, std::size_t column) const { return cell(row, column).text; }
    // The texts of one row, up to its last cell.
    std::vector<std::string> row_texts(std::size_t row) const {
        std::vector<std::string> out;
        if (row >= 1 && row <= rows.size()) {
            for (const auto& c : rows[row - 1]) {
                out.push_back(c.text);
            }
        }
        return out;
    }
};

class XlsxPackage {
public:
    explicit XlsxPackage(const std::filesystem::path& file) : bytes_(read_file(file)) {
        if (bytes_.size() < 22) {
            throw std::runtime_error("not a zip package: " + file.string());
        }
        std::size_t eocd = bytes_.size() - 22;
        while (eocd > 0 && u32(eocd) != 0x06054b50) {
            --eocd;
        }
        if (u32(eocd) != 0x06054b50) {
            throw std::runtime_error("no end of central directory: " + file.string());
        }
        const std::size_t entries = u16(eocd + 10);
        std::size_t at = u32(eocd + 16);
        for (std::size_t i = 0; i < entries; ++i) {
            if (u32(at) != 0x02014b50) {
                throw std::runtime_error("bad central directory entry");
            }
            const unsigned method = u16(at + 10);
            const std::size_t packed = u32(at + 20);
            const std::size_t size = u32(at + 24);
            const std::size_t name_length = u16(at + 28);
            const std::size_t extra = u16(at + 30);
            const std::size_t comment = u16(at + 32);
            const std::size_t local = u32(at + 42);
            const std::string name = bytes_.substr(at + 46, name_length);
            const std::size_t data = local + 30 + u16(local + 26) + u16(local + 28);
            members_[name] = inflate_member(bytes_.substr(data, packed), method, size);
            at += 46 + name_length + extra + comment;
        }
    }

    bool has(const std::string& name) const { return members_.count(name) != 0; }
    const std::string& member(const std::string& name) const {
        const auto it = members_.find(name);
        if (it == members_.end()) {
            throw std::runtime_error("no member " + name);
        }
        return it->second;
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& [n, _] : members_) {
            out.push_back(n);
        }
        return out;
    }

private:
    static std::string inflate_member(const std::string& packed, unsigned method,
                                      std::size_t size) {
        if (method == 0) {
            return packed;
        }
        if (method != 8) {
            throw std::runtime_error("unknown compression method");
        }
        std::string out(size, '\0');
        z_stream z{};
        inflateInit2(&z, -MAX_WBITS);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
        z.avail_in = static_cast<uInt>(packed.size());
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = static_cast<uInt>(out.size());
        const int rc = inflate(&z, Z_FINISH);
        inflateEnd(&z);
        if (rc != Z_STREAM_END || z.total_out != size) {
            throw std::runtime_error("damaged member");
        }
        return out;
    }
    std::uint32_t u16(std::size_t at) const {
        return static_cast<unsigned char>(bytes_.at(at)) |
               static_cast<unsigned char>(bytes_.at(at + 1)) << 8;
    }
    std::uint32_t u32(std::size_t at) const { return u16(at) | u16(at + 2) << 16; }

    std::string bytes_;
    std::map<std::string, std::string> members_;
};

// A cell text as a spreadsheet program reads it: "_xHHHH_" stands for U+HHHH.
inline std::string decode_cell_text(const std::string& raw) {
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '_' && i + 6 < raw.size() && raw[i + 1] == 'x' && raw[i + 6] == '_' &&
            raw.substr(i + 2, 4).find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos) {
            const auto cp = static_cast<unsigned>(std::stoul(raw.substr(i + 2, 4), nullptr, 16));
            if (cp < 0x80) {
                out += static_cast<char>(cp);
            } else if (cp < 0x800) {
                out += static_cast<char>(0xC0 | (cp >> 6));
                out += static_cast<char>(0x80 | (cp & 0x3F));
            } else {
                out += static_cast<char>(0xE0 | (cp >> 12));
                out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (cp & 0x3F));
            }
            i += 6;
        } else {
            out += raw[i];
        }
    }
    return out;
}

// The sheets of a workbook in workbook order, with their cells.
inline std::vector<XlsxSheet> read_xlsx(const std::filesystem::path& file) {
    const XlsxPackage package(file);
    auto parse = [&](const std::string& member) {
        auto doc = std::make_unique<pugi::xml_document>();
        const std::string& xml = package.member(member);
        if (!doc->load_buffer(xml.data(), xml.size(),
                              pugi::parse_default | pugi::parse_ws_pcdata)) {
            throw std::runtime_error("not well-formed: " + member);
        }
        return doc;
    };
    // Styles: the number format code of each cell format.
    std::vector<std::string> style_formats;
    {
        const auto styles = parse("xl/styles.xml");
        std::map<int, std::string> codes{{0, "General"}, {49, "@"}};
        for (auto f : styles->child("styleSheet").child("numFmts").children("numFmt")) {
            codes[f.attribute("numFmtId").as_int()] = f.attribute("formatCode").value();
        }
        for (auto xf : styles->child("styleSheet").child("cellXfs").children("xf")) {
            const int id = xf.attribute("numFmtId").as_int();
            style_formats.push_back(codes.count(id) != 0 ? codes[id] : std::to_string(id));
        }
    }
    auto format_of = [&](const pugi::xml_node& node) {
        const auto s = static_cast<std::size_t>(node.attribute("s").as_int());
        return s < style_formats.size() ? style_formats[s] : std::string("General");
    };
    std::vector<std::string> shared;
    if (package.has("xl/sharedStrings.xml")) {
        const auto sst = parse("xl/sharedStrings.xml");
        for (auto si : sst->child("sst").children("si")) {
            shared.push_back(si.child("t").text().get());
        }
    }
    std::map<std::string, std::string> targets;
    {
        const auto rels = parse("xl/_rels/workbook.xml.rels");
        for (auto r : rels->child("Relationships").children("Relationship")) {
            targets[r.attribute("Id").value()] = r.attribute("Target").value();
        }
    }
    std::vector<XlsxSheet> sheets;
    const auto workbook = parse("xl/workbook.xml");
    for (auto s : workbook->child("workbook").child("sheets").children("sheet")) {
        XlsxSheet sheet;
        sheet.name = s.attribute("name").value();
        const auto doc = parse("xl/" + targets.at(s.attribute("r:id").value()));
        const auto ws = doc->child("worksheet");
        for (auto col : ws.child("cols").children("col")) {
            if (col.attribute("style")) {
                const auto style = static_cast<std::size_t>(col.attribute("style").as_int());
                sheet.column_formats[col.attribute("min").as_int()] =
                    style < style_formats.size() ? style_formats[style] : "?";
                sheet.column_spans[col.attribute("min").as_int()] = col.attribute("max").as_int();
            }
        }
        for (auto row : ws.child("sheetData").children("row")) {
            const auto r = static_cast<std::size_t>(row.attribute("r").as_int());
            if (sheet.rows.size() < r) {
                sheet.rows.resize(r);
            }
            for (auto c : row.children("c")) {
                const std::string ref = c.attribute("r").value();
                std::size_t column = 0;
                for (char ch : ref) {
                    if (ch >= 'A' && ch <= 'Z') {
                        column = column * 26 + static_cast<std::size_t>(ch - 'A' + 1);
                    }
                }
                XlsxCell cell;
                cell.type = c.attribute("t").value();
                cell.format_code = format_of(c);
                if (cell.type == "inlineStr") {
                    cell.text = decode_cell_text(c.child("is").child("t").text().get());
                } else if (cell.type == "s") {
                    cell.text = shared.at(static_cast<std::size_t>(c.child("v").text().as_int()));
                } else {
                    cell.text = c.child("v").text().get();
                }
                auto& cells = sheet.rows[r - 1];
                if (cells.size() < column) {
                    cells.resize(column);
                }
                cells[column - 1] = std::move(cell);
            }
        }
        sheets.push_back(std::move(sheet));
    }
    return sheets;
}

} // namespace lumacite::testing
