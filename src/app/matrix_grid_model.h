// MatrixGridModel: the grids of the matrix page (StringGrid1, StringGrid2) over a matrix
// where it lives. Cell (column, row) follows the grid's own addressing: row 0 is the header
// row ("*" in the corner, then the article numbers or the values), column 0 the values.
// Nothing is copied into items, so 2,000 values or 50,000 article columns stay fast.
// Before the first generation the grid is an empty one of its initial size.
#pragma once

#include "analysis/analysis.h"

#include <QAbstractTableModel>
#include <QString>

namespace lumacite::app {

class MatrixGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // An empty grid of `columns` × `rows` with the given fixed (header) rows and columns.
    MatrixGridModel(int columns, int rows, int fixed_columns, int fixed_rows,
                    QObject* parent = nullptr);

    // Shows a matrix (owned by the caller, alive while shown).
    void show(const analysis::WordDocumentMatrix* matrix);
    void show(const analysis::CooccurrenceMatrix* matrix);

    int column_count() const;
    int row_count() const;
    QString cell(int column, int row) const;
    int fixed_columns() const { return fixed_columns_; }
    int fixed_rows() const { return fixed_rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    int empty_columns_;
    int empty_rows_;
    int fixed_columns_;
    int fixed_rows_;
    const analysis::WordDocumentMatrix* word_document_ = nullptr;
    const analysis::CooccurrenceMatrix* cooccurrence_ = nullptr;
};

} // namespace lumacite::app
