// The workbook writer read back by an independent reader, and the .xls reader.
#include "office/office.h"
#include "support/temp_dir.h"
#include "support/xlsx_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using lumacite::office::read_xls_sheet;
using lumacite::office::WorkbookError;
using lumacite::office::WorkbookWriter;
using lumacite::testing::read_xlsx;
using lumacite::testing::TempDir;

namespace {

TEST(WorkbookWriter, TextsStayExactlyAsWrittenInTextCells) {
    TempDir dir;
    const auto file = dir / "t.xlsx";
    const std::vector<std::string> texts = {"         1",
                                            "007",
                                            "0012345678",
                                            "1E5",
                                            "=SUM(A1:A2)",
                                            " ",
                                            "a\tb",
                                            "𠀀中文",
                                            "TRUE",
                                            "12/9/2026",
                                            "x & <y>",
                                            "trailing  ",
                                            "bell\x07"
                                            "end",
                                            "_x0041_"};
    {
        WorkbookWriter book(file);
        book.add_sheet("第1页");
        for (std::size_t i = 0; i < texts.size(); ++i) {
            book.write(static_cast<std::uint32_t>(i + 1), 2, texts[i]);
        }
        book.add_sheet("Sheet1", 2);
        book.write(3, 1, "only");
        EXPECT_EQ(book.sheet_count(), 2);
        book.close();
    }
    const auto sheets = read_xlsx(file);
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[0].name, "第1页");
    EXPECT_EQ(sheets[1].name, "Sheet1");
    ASSERT_EQ(sheets[0].row_count(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const auto& cell = sheets[0].cell(i + 1, 2);
        EXPECT_EQ(cell.text, texts[i]) << i;
        EXPECT_EQ(cell.type, "inlineStr") << i;
        EXPECT_EQ(cell.format_code, "@") << i;
        EXPECT_EQ(sheets[0].text(i + 1, 1), "") << i;
    }
    // The second sheet's first two columns are text as a whole; its empty rows stay empty.
    EXPECT_TRUE(sheets[0].column_formats.empty());
    EXPECT_EQ(sheets[1].column_formats, (std::map<int, std::string>{{1, "@"}}));
    EXPECT_EQ(sheets[1].column_spans, (std::map<int, int>{{1, 2}}));
    EXPECT_EQ(sheets[1].row_texts(3), std::vector<std::string>{"only"});
    EXPECT_EQ(sheets[1].row_texts(1), std::vector<std::string>{});
}

TEST(WorkbookWriter, ReadsBackTheFirstAndTheCurrentRowOnly) {
    TempDir dir;
    WorkbookWriter book(dir / "r.xlsx");
    book.add_sheet("S");
    book.write(1, 1, "title");
    book.write(2, 3, "c");
    book.write(2, 1, "a");
    EXPECT_EQ(book.read(1, 1), "title");
    EXPECT_EQ(book.read(2, 1), "a");
    EXPECT_EQ(book.read(2, 3), "c");
    EXPECT_EQ(book.read(2, 2), "");
    EXPECT_EQ(book.read(2, 9), "");
    book.write(3, 1, "next");
    EXPECT_THROW(book.read(2, 1), WorkbookError);
    EXPECT_EQ(book.read(1, 1), "title");
    // Rows come in order; cells stay inside a sheet.
    EXPECT_THROW(book.write(2, 1, "late"), WorkbookError);
    EXPECT_THROW(book.write(4, 0, "x"), WorkbookError);
    EXPECT_THROW(book.write(1'048'577, 1, "x"), WorkbookError);
    book.write(1'048'576, 16'384, "last cell");
    // A new sheet starts again at row 1 and forgets the other sheet's rows.
    book.add_sheet("T");
    EXPECT_EQ(book.read(1, 1), "");
    book.write(1, 1, "t");
    book.close();
    const auto sheets = read_xlsx(dir / "r.xlsx");
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[0].text(1'048'576, 16'384), "last cell");
    EXPECT_EQ(sheets[1].text(1, 1), "t");
}

TEST(WorkbookWriter, FailuresNameTheFileAndLeaveNothingBehind) {
    TempDir dir;
    try {
        WorkbookWriter book(dir / "missing" / "x.xlsx");
        FAIL() << "no error";
    } catch (const WorkbookError& e) {
        EXPECT_EQ(std::string(e.what()), (dir / "missing" / "x.xlsx").string() + ": " + e.cause());
        EXPECT_EQ(e.cause(), "No such file or directory");
    }
    {
        WorkbookWriter book(dir / "bad.xlsx");
        EXPECT_THROW(book.add_sheet("a/b"), WorkbookError);
        EXPECT_THROW(book.write(1, 1, "no sheet yet"), WorkbookError);
        book.add_sheet("ok");
        EXPECT_THROW(book.add_sheet("ok"), WorkbookError);
        EXPECT_TRUE(std::filesystem::exists(dir / "bad.xlsx"));
    }
    // Abandoned without close(): the started file is gone.
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.xlsx"));
}

TEST(XlsReader, ReadsTheNamedSheetWithNumbersAsText) {
    const auto file =
        std::filesystem::path(LUMACITE_TEST_DATA) / "journals" / "期刊全称和缩写对应.xls";
    const auto rows = read_xls_sheet(file, "Sheet1");
    const std::vector<std::vector<std::string>> expected = {
        {"SCI简称", "Med简称", "期刊全称"},
        {"J BIOL CHEM", "J Biol Chem", "Journal of Biological Chemistry"},
        {"NANOMED J", "Nanomed J", "Nanomedicine Journal"},
        {"J BIOL CHEM", "J Biol Chem (second)", "duplicate row"},
        {"2001", "0012", "number-like texts"}};
    EXPECT_EQ(rows, expected);

    try {
        read_xls_sheet(file, "Sheet2");
        FAIL() << "no error";
    } catch (const WorkbookError& e) {
        EXPECT_EQ(e.cause(), "no sheet \"Sheet2\"");
    }
    TempDir dir;
    lumacite::testing::write_file(dir / "fake.xls", "SCI简称,Med简称\n");
    EXPECT_THROW(read_xls_sheet(dir / "fake.xls", "Sheet1"), WorkbookError);
    try {
        read_xls_sheet(dir / "none.xls", "Sheet1");
        FAIL() << "no error";
    } catch (const WorkbookError& e) {
        EXPECT_EQ(e.cause(), "no such file");
    }
}

} // namespace
