// Grid models. TableModel shows rows that live elsewhere (a vector of catalogue rows, a
// workspace table) through two callables, so no grid copies its data into items.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QTableView>

#include <functional>
#include <string>
#include <vector>

namespace lumacite::app {

struct GridColumn {
    QString title;
    int width = 0; // pixels; 0 lets the column stretch to the grid's end
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

class TableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using RowCount = std::function<long long()>;
    // Text of a cell (row from 0, column index into the columns); UTF-8.
    using Cell = std::function<std::string(long long row, int column)>;

    explicit TableModel(std::vector<GridColumn> columns, QObject* parent = nullptr);

    // Binds the model to its data and shows it from the top. An unbound model is empty.
    void bind(RowCount rows, Cell cell);
    void unbind();
    // Shows the data again after it changed where it lives.
    void refresh();
    // Runs `change` on the data where it lives as one reset of the model, then shows it
    // from the top.
    void reset(const std::function<void()>& change);

    const std::vector<GridColumn>& columns() const { return columns_; }
    // Changes a column title (the sort mark of the values grid).
    void set_title(int column, const QString& title);
    QString title(int column) const;
    // Titles drawn in bold.
    void set_bold_titles(bool bold) { bold_titles_ = bold; }

    // Column widths of the model applied to a view; the last unsized column stretches.
    static void apply_widths(QTableView* view);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<GridColumn> columns_;
    RowCount rows_;
    Cell cell_;
    bool bold_titles_ = false;
};

} // namespace lumacite::app
