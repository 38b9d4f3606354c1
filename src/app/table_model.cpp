#include "app/table_model.h"

#include <QBrush>
#include <QFont>
#include <QHeaderView>
#include <QPalette>

#include <algorithm>
#include <climits>

namespace lumacite::app {

TableModel::TableModel(std::vector<GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {}

void TableModel::bind(RowCount rows, Cell cell) {
    beginResetModel();
    rows_ = std::move(rows);
    cell_ = std::move(cell);
    endResetModel();
}

void TableModel::unbind() {
    bind({}, {});
}

void TableModel::refresh() {
    beginResetModel();
    endResetModel();
}

void TableModel::set_title(int column, const QString& title) {
    if (column < 0 || column >= static_cast<int>(columns_.size())) {
        return;
    }
    columns_[static_cast<std::size_t>(column)].title = title;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

QString TableModel::title(int column) const {
    if (column < 0 || column >= static_cast<int>(columns_.size())) {
        return {};
    }
    return columns_[static_cast<std::size_t>(column)].title;
}

void TableModel::apply_widths(QTableView* view) {
    auto* model = qobject_cast<TableModel*>(view->model());
    if (model == nullptr) {
        return;
    }
    for (int c = 0; c < static_cast<int>(model->columns_.size()); ++c) {
        const int width = model->columns_[static_cast<std::size_t>(c)].width;
        if (width > 0) {
            view->setColumnWidth(c, width);
        }
    }
    const bool last_unsized = !model->columns_.empty() && model->columns_.back().width == 0;
    view->horizontalHeader()->setStretchLastSection(last_unsized);
}

int TableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !rows_) {
        return 0;
    }
    return static_cast<int>(std::clamp<long long>(rows_(), 0, INT_MAX));
}

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !cell_) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return QString::fromStdString(cell_(index.row(), index.column()));
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(columns_[static_cast<std::size_t>(index.column())].alignment);
    }
    return {};
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(columns_.size())) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        return columns_[static_cast<std::size_t>(section)].title;
    }
    if (role == Qt::FontRole && bold_titles_) {
        QFont f;
        f.setBold(true);
        return f;
    }
    return {};
}

StringGridModel::StringGridModel(int columns, int rows, int fixed_columns, int fixed_rows,
                                 QObject* parent)
    : QAbstractTableModel(parent), columns_(std::max(columns, 0)), rows_(std::max(rows, 0)),
      fixed_columns_(fixed_columns), fixed_rows_(fixed_rows),
      cells_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_)) {}

void StringGridModel::set_size(int columns, int rows) {
    columns = std::max(columns, 0);
    rows = std::max(rows, 0);
    if (columns == columns_ && rows == rows_) {
        return;
    }
    std::vector<QString> cells(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
    for (int r = 0; r < std::min(rows, rows_); ++r) {
        for (int c = 0; c < std::min(columns, columns_); ++c) {
            cells[static_cast<std::size_t>(r) * static_cast<std::size_t>(columns) +
                  static_cast<std::size_t>(c)] =
                std::move(cells_[static_cast<std::size_t>(r) * static_cast<std::size_t>(columns_) +
                                 static_cast<std::size_t>(c)]);
        }
    }
    beginResetModel();
    columns_ = columns;
    rows_ = rows;
    cells_ = std::move(cells);
    endResetModel();
}

QString StringGridModel::cell(int column, int row) const {
    if (column < 0 || row < 0 || column >= columns_ || row >= rows_) {
        return {};
    }
    return cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
                  static_cast<std::size_t>(column)];
}

void StringGridModel::set_cell(int column, int row, const QString& text) {
    if (column < 0 || row < 0 || column >= columns_ || row >= rows_) {
        return;
    }
    cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
           static_cast<std::size_t>(column)] = text;
    const QModelIndex i = index(row, column);
    emit dataChanged(i, i, {Qt::DisplayRole});
}

void StringGridModel::clear_cells() {
    beginResetModel();
    std::fill(cells_.begin(), cells_.end(), QString());
    endResetModel();
}

int StringGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int StringGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant StringGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return cell(index.column(), index.row());
    }
    if (role == Qt::BackgroundRole &&
        (index.row() < fixed_rows_ || index.column() < fixed_columns_)) {
        return QBrush(QPalette().color(QPalette::Button));
    }
    return {};
}

QVariant StringGridModel::headerData(int, Qt::Orientation, int role) const {
    // The grid's own fixed rows and columns are its headers; the view's are hidden.
    if (role == Qt::DisplayRole) {
        return QString();
    }
    return {};
}

} // namespace lumacite::app
