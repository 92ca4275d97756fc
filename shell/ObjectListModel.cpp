#include "shell/ObjectListModel.h"

namespace quelvane {

namespace {

constexpr qlonglong kNoValue = -1;

// 20200817223141 for 2020-08-17 22:31:41: ordered as the times are.
qlonglong timeKey(const SavedTimestamp& time) {
    constexpr qlonglong kDay = 100;
    const qlonglong date = (qlonglong{time.year} * kDay + time.month) * kDay + time.day;
    const qlonglong clock = (qlonglong{time.hour} * kDay + time.minute) * kDay + time.second;
    return date * kDay * kDay * kDay + clock;
}

QVariant sortValue(const ObjectListRow& row, ObjectListText::Column column) {
    switch (column) {
        case ObjectListText::kSize:
            return row.size ? qlonglong{*row.size} : kNoValue;
        case ObjectListText::kCreated:
            return row.created ? timeKey(*row.created) : kNoValue;
        default:
            return QString::fromStdString(ObjectListText::cell(row, column));
    }
}

}  // namespace

void ObjectListModel::setRows(std::vector<ObjectListRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int ObjectListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ObjectListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ObjectListText::kColumnCount;
}

QVariant ObjectListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const ObjectListRow& shown = row(index.row());
    const auto column = static_cast<ObjectListText::Column>(index.column());
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(ObjectListText::cell(shown, column));
        case kSortRole:
            return sortValue(shown, column);
        case Qt::TextAlignmentRole:
            if (ObjectListText::isNumeric(column)) {
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            }
            return {};
        default:
            return {};
    }
}

QVariant ObjectListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ObjectListText::kColumnCount) {
        return {};
    }
    const auto column = static_cast<ObjectListText::Column>(section);
    if (role == Qt::DisplayRole) {
        return QString::fromLatin1(ObjectListText::caption(column));
    }
    if (role == Qt::TextAlignmentRole && ObjectListText::isNumeric(column)) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

}  // namespace quelvane
