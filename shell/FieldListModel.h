#pragma once

#include <QAbstractTableModel>

#include "views/FileFacts.h"

namespace quelvane {

// The fields of a file's record format as a table, one row per field and one column per
// caption of FileFacts::fieldCaptions(); numbers align right.
class FieldListModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    using QAbstractTableModel::QAbstractTableModel;

    void setFields(std::vector<FileFacts::Field> fields);
    void clear() { setFields({}); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  private:
    std::vector<std::vector<std::string>> rows_;
};

}  // namespace quelvane
