// The grid model over rows that live elsewhere, and the splash window.
#include "app/table_model.h"
#include "app/zhu0.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QMouseEvent>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace lumacite::app;

namespace {

QString qs(const char* s) {
    return QString::fromUtf8(s);
}

} // namespace

TEST(TableModel, ShowsRowsWhereTheyLiveAndFollowsTheirChanges) {
    std::vector<std::pair<std::string, std::string>> rows{{"1", "甲"}, {"2", "乙"}};
    TableModel model({{qs("序号"), 60, Qt::AlignRight | Qt::AlignVCenter}, {qs("值"), 0}});
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 0); // unbound
    EXPECT_EQ(model.columnCount(), 2);
    model.bind([&] { return static_cast<long long>(rows.size()); },
               [&](long long r, int c) {
                   const auto& row = rows[static_cast<std::size_t>(r)];
                   return c == 0 ? row.first : row.second;
               });
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.index(1, 1).data().toString(), qs("乙"));
    EXPECT_EQ(model.index(0, 0).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), qs("值"));

    rows.push_back({"3", "丙"});
    model.refresh();
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.index(2, 1).data().toString(), qs("丙"));

    QSignalSpy header(&model, &QAbstractItemModel::headerDataChanged);
    model.set_title(1, qs("▲ 值"));
    EXPECT_EQ(header.count(), 1);
    EXPECT_EQ(model.title(1), qs("▲ 值"));
    model.set_title(5, qs("x")); // out of range: ignored
    EXPECT_EQ(header.count(), 1);

    model.unbind();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(TableModel, ViewsGetTheColumnWidths) {
    TableModel model({{qs("项目编号"), 100}, {qs("格式类型"), 100}, {qs("项目说明"), 0}});
    QTableView view;
    view.setModel(&model);
    TableModel::apply_widths(&view);
    EXPECT_EQ(view.columnWidth(0), 100);
    EXPECT_EQ(view.columnWidth(1), 100);
    EXPECT_TRUE(view.horizontalHeader()->stretchLastSection());
}

TEST(Splash, IsBorderlessSizedAndClosesOnAClick) {
    TForm0 splash;
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash.size(), QSize(892, 586));
    EXPECT_TRUE(splash.Image1->hasScaledContents());
    EXPECT_EQ(splash.Image1->pixmap().size(), QSize(892, 586));
    EXPECT_TRUE(splash.Timer1->isSingleShot());
    EXPECT_EQ(splash.Timer1->interval(), 10000);
    EXPECT_TRUE(splash.Timer1->isActive());
    splash.show();
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(400, 300), QPointF(400, 300),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&splash, &click);
    EXPECT_FALSE(splash.isVisible());
}

TEST(Splash, ClosesByItselfWhenItsTimerFires) {
    TForm0 splash;
    splash.Timer1->setInterval(20); // the ten seconds, shortened
    QElapsedTimer clock;
    clock.start();
    const int result = splash.exec(); // returns only when the splash has closed
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_LT(clock.elapsed(), 5000);
}
