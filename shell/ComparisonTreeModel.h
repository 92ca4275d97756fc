#pragma once

#include <QAbstractItemModel>
#include <QStringList>

#include "compare/SaveComparison.h"

namespace quelvane {

// What differs between two saves as a tree: a row for the saves' details when they differ, a row
// per object (or integrated-file-system entry) that differs, in the after save's order, and below
// an object a row per member that differs. Column 0 names the thing, column 1 says the change.
class ComparisonTreeModel final : public QAbstractItemModel {
    Q_OBJECT

  public:
    explicit ComparisonTreeModel(SaveComparison comparison, QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The report's lines for the node: a member's unified diff or changed records, an object's
    // changes, the saves' details; the whole report for an invalid index.
    QStringList detailLines(const QModelIndex& index) const;

    const SaveComparison& comparison() const { return comparison_; }

  private:
    // The top rows: the details row (when there is one), then objects, then entries.
    int detailsRows() const { return comparison_.saveChanges.empty() ? 0 : 1; }
    const ObjectComparison* objectAt(int row) const;
    const IfsComparison* entryAt(int row) const;
    QString caption(const QModelIndex& index) const;
    QString change(const QModelIndex& index) const;

    SaveComparison comparison_;
};

}  // namespace quelvane
