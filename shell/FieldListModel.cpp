#include "shell/FieldListModel.h"

namespace quelvane {

namespace {

// Length, digits, decimals, CCSID and allocated length.
bool isNumericColumn(int column) {
    constexpr int kLength = 3;
    constexpr int kCcsid = 6;
    constexpr int kAllocated = 9;
    return (column >= kLength && column <= kCcsid) || column == kAllocated;
}

int captionCount() {
    return static_cast<int>(FileFacts::fieldCaptions().size());
}

}  // namespace

void FieldListModel::setFields(std::vector<FileFacts::Field> fields) {
    beginResetModel();
    rows_.clear();
    rows_.reserve(fields.size());
    for (const FileFacts::Field& field : fields) {
        rows_.push_back(field.cells());
    }
    endResetModel();
}

int FieldListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FieldListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : captionCount();
}

QVariant FieldListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const std::vector<std::string>& row = rows_[static_cast<std::size_t>(index.row())];
    const auto column = static_cast<std::size_t>(index.column());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return column < row.size() ? QString::fromStdString(row[column]) : QString();
        case Qt::TextAlignmentRole:
            if (isNumericColumn(index.column())) {
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            }
            return {};
        default:
            return {};
    }
}

QVariant FieldListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= captionCount()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return QString::fromStdString(FileFacts::fieldCaptions()[static_cast<std::size_t>(section)]);
    }
    if (role == Qt::TextAlignmentRole && isNumericColumn(section)) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

}  // namespace quelvane
