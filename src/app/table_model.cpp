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

void TableModel::reset(const std::function<void()>& change) {
    beginResetModel();
    change();
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

} // namespace lumacite::app
