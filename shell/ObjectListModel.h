#pragma once

#include <QAbstractTableModel>

#include <vector>

#include "views/ObjectList.h"
#include "views/ObjectListText.h"

namespace quelvane {

// The object list's rows as a table, one column per ObjectListText column. Beside the shown
// text, each cell answers kSortRole with the value it sorts by: sizes and creation times as
// numbers (a value the save does not hold sorts first), texts as they read.
class ObjectListModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    static constexpr int kSortRole = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;

    void setRows(std::vector<ObjectListRow> rows);
    const ObjectListRow& row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  private:
    std::vector<ObjectListRow> rows_;
};

}  // namespace quelvane
