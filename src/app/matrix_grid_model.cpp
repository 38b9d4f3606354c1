#include "app/matrix_grid_model.h"

#include <QBrush>
#include <QPalette>

#include <algorithm>
#include <limits>

namespace lumacite::app {

namespace {

int clamp_to_int(std::size_t n) {
    return static_cast<int>(std::min<std::size_t>(n, std::numeric_limits<int>::max()));
}

QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

MatrixGridModel::MatrixGridModel(int columns, int rows, int fixed_columns, int fixed_rows,
                                 QObject* parent)
    : QAbstractTableModel(parent), empty_columns_(std::max(columns, 0)),
      empty_rows_(std::max(rows, 0)), fixed_columns_(fixed_columns), fixed_rows_(fixed_rows) {}

void MatrixGridModel::show(const analysis::WordDocumentMatrix* matrix) {
    beginResetModel();
    word_document_ = matrix;
    cooccurrence_ = nullptr;
    endResetModel();
}

void MatrixGridModel::show(const analysis::CooccurrenceMatrix* matrix) {
    beginResetModel();
    cooccurrence_ = matrix;
    word_document_ = nullptr;
    endResetModel();
}

int MatrixGridModel::column_count() const {
    if (word_document_) {
        return clamp_to_int(word_document_->columns() + 1);
    }
    if (cooccurrence_) {
        return clamp_to_int(cooccurrence_->size() + 1);
    }
    return empty_columns_;
}

int MatrixGridModel::row_count() const {
    if (word_document_) {
        return clamp_to_int(word_document_->rows() + 1);
    }
    if (cooccurrence_) {
        return clamp_to_int(cooccurrence_->size() + 1);
    }
    return empty_rows_;
}

QString MatrixGridModel::cell(int column, int row) const {
    if (column < 0 || row < 0 || column >= column_count() || row >= row_count()) {
        return {};
    }
    const auto c = static_cast<std::size_t>(column);
    const auto r = static_cast<std::size_t>(row);
    if (word_document_) {
        if (row == 0) {
            return column == 0 ? QStringLiteral("*") : qs(word_document_->articles[c - 1]);
        }
        if (column == 0) {
            return qs(word_document_->values[r - 1]);
        }
        return word_document_->cell(r - 1, c - 1) ? QStringLiteral("1") : QStringLiteral("0");
    }
    if (cooccurrence_) {
        if (row == 0) {
            return column == 0 ? QStringLiteral("*") : qs(cooccurrence_->values[c - 1]);
        }
        if (column == 0) {
            return qs(cooccurrence_->values[r - 1]);
        }
        return QString::number(cooccurrence_->at(r - 1, c - 1));
    }
    return {};
}

int MatrixGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : row_count();
}

int MatrixGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : column_count();
}

QVariant MatrixGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= row_count() || index.column() >= column_count()) {
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

QVariant MatrixGridModel::headerData(int, Qt::Orientation, int role) const {
    // The grid's own header row and column stand in the cells; the view's are hidden.
    if (role == Qt::DisplayRole) {
        return QString();
    }
    return {};
}

} // namespace lumacite::app
