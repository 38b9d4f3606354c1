#include "app/matrix_grid_model.h"

#include <QAbstractItemModelTester>
#include <QTableView>

#include <gtest/gtest.h>

using lumacite::analysis::CooccurrenceMatrix;
using lumacite::analysis::WordDocumentMatrix;
using lumacite::app::MatrixGridModel;

namespace {

TEST(MatrixGridModel, EmptyGridOfItsInitialSize) {
    MatrixGridModel m(6, 5, 0, 1);
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(m.columnCount(), 6);
    EXPECT_EQ(m.rowCount(), 5);
    EXPECT_EQ(m.cell(0, 0), QString());
    EXPECT_EQ(m.cell(7, 9), QString());
}

TEST(MatrixGridModel, WordDocumentCellsByColumnAndRow) {
    WordDocumentMatrix wd;
    wd.values = {"P", "甲"};
    wd.articles = {"A1", "A2", "A3"};
    wd.ones = {{0, 2}, {1}};
    MatrixGridModel m(6, 5, 0, 1);
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    m.show(&wd);
    EXPECT_EQ(m.columnCount(), 4);
    EXPECT_EQ(m.rowCount(), 3);
    EXPECT_EQ(m.cell(0, 0), "*");
    EXPECT_EQ(m.cell(3, 0), "A3");
    EXPECT_EQ(m.cell(0, 2), QString::fromUtf8("甲"));
    EXPECT_EQ(m.cell(1, 1), "1");
    EXPECT_EQ(m.cell(2, 1), "0");
    EXPECT_EQ(m.cell(2, 2), "1");
    EXPECT_EQ(m.data(m.index(1, 3), Qt::DisplayRole).toString(), "1");
    EXPECT_TRUE(m.data(m.index(0, 1), Qt::BackgroundRole).isValid());
    EXPECT_FALSE(m.data(m.index(1, 0), Qt::BackgroundRole).isValid()); // no fixed column
}

TEST(MatrixGridModel, CooccurrenceAndLargeMatricesStayCheap) {
    CooccurrenceMatrix co;
    co.values = {"P", "Q"};
    co.cells = {3, 2, 2, 4};
    MatrixGridModel m(5, 5, 1, 1);
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    m.show(&co);
    EXPECT_EQ(m.columnCount(), 3);
    EXPECT_EQ(m.cell(2, 0), "Q");
    EXPECT_EQ(m.cell(0, 2), "Q");
    EXPECT_EQ(m.cell(2, 1), "2");
    EXPECT_EQ(m.cell(2, 2), "4");
    EXPECT_TRUE(m.data(m.index(1, 0), Qt::BackgroundRole).isValid());

    // 50,000 article columns: shown in a view without copying cells.
    WordDocumentMatrix wide;
    wide.values = {"v"};
    wide.ones = {{49999}};
    for (int a = 0; a < 50000; ++a) {
        wide.articles.push_back(std::to_string(a));
    }
    QTableView view;
    view.setModel(&m);
    m.show(&wide);
    EXPECT_EQ(m.columnCount(), 50001);
    EXPECT_EQ(m.cell(50000, 1), "1");
    EXPECT_EQ(m.cell(50000, 0), "49999");
    m.show(static_cast<const WordDocumentMatrix*>(nullptr));
    EXPECT_EQ(m.columnCount(), 5);
}

} // namespace
