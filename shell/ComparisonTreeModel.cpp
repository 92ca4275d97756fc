#include "shell/ComparisonTreeModel.h"

#include "compare/ComparisonText.h"

namespace quelvane {

namespace {

// A member row's internal id is its object's row + 1; a top row's is 0.
constexpr quintptr kTopRow = 0;

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QStringList fromUtf8(const std::vector<std::string>& lines) {
    QStringList out;
    for (const std::string& line : lines) {
        out.push_back(fromUtf8(line));
    }
    return out;
}

QString lineCounts(const LineComparison& lines) {
    return QStringLiteral("+%1 -%2 lines").arg(lines.added).arg(lines.removed);
}

QString memberChange(const MemberComparison& member) {
    QString text = QString::fromLatin1(changeKindName(member.kind));
    if (!member.unread.empty()) {
        return text + QStringLiteral(", content not read");
    }
    if (member.source && member.contentDiffers) {
        return text + QStringLiteral(", ") + lineCounts(member.lines);
    }
    if (member.contentDiffers) {
        return text + QStringLiteral(", records: %1 added, %2 removed, %3 changed")
                          .arg(member.recordsAdded)
                          .arg(member.recordsRemoved)
                          .arg(member.recordsChanged);
    }
    return text;
}

QString objectChange(const ObjectComparison& object) {
    QStringList parts{QString::fromLatin1(changeKindName(object.kind))};
    for (const ValueChange& change : object.changes) {
        parts.push_back(fromUtf8(change.what));
    }
    if (!object.formatChanges.empty()) {
        parts.push_back(QStringLiteral("record format"));
    }
    if (object.dataDiffers) {
        parts.push_back(QStringLiteral("data differs"));
    }
    if (!object.members.empty()) {
        parts.push_back(QStringLiteral("%1 members").arg(object.members.size()));
    }
    return parts.join(QStringLiteral(", "));
}

}  // namespace

ComparisonTreeModel::ComparisonTreeModel(SaveComparison comparison, QObject* parent)
    : QAbstractItemModel(parent), comparison_(std::move(comparison)) {}

const ObjectComparison* ComparisonTreeModel::objectAt(int row) const {
    const int at = row - detailsRows();
    return at >= 0 && at < static_cast<int>(comparison_.objects.size())
               ? &comparison_.objects[static_cast<std::size_t>(at)]
               : nullptr;
}

const IfsComparison* ComparisonTreeModel::entryAt(int row) const {
    const int at = row - detailsRows() - static_cast<int>(comparison_.objects.size());
    return at >= 0 && at < static_cast<int>(comparison_.entries.size())
               ? &comparison_.entries[static_cast<std::size_t>(at)]
               : nullptr;
}

QModelIndex ComparisonTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (!hasIndex(row, column, parent)) {
        return {};
    }
    return createIndex(row, column, parent.isValid() ? static_cast<quintptr>(parent.row()) + 1 : kTopRow);
}

QModelIndex ComparisonTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == kTopRow) {
        return {};
    }
    return createIndex(static_cast<int>(child.internalId() - 1), 0, kTopRow);
}

int ComparisonTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) {
        return detailsRows() + static_cast<int>(comparison_.objects.size() + comparison_.entries.size());
    }
    if (parent.column() != 0 || parent.internalId() != kTopRow) {
        return 0;
    }
    const ObjectComparison* object = objectAt(parent.row());
    return object == nullptr ? 0 : static_cast<int>(object->members.size());
}

int ComparisonTreeModel::columnCount(const QModelIndex&) const {
    return 2;
}

QString ComparisonTreeModel::caption(const QModelIndex& index) const {
    if (index.internalId() != kTopRow) {
        const ObjectComparison* object = objectAt(static_cast<int>(index.internalId() - 1));
        return object == nullptr ? QString()
                                 : fromUtf8(object->members[static_cast<std::size_t>(index.row())].name);
    }
    if (index.row() < detailsRows()) {
        return QStringLiteral("Save");
    }
    if (const ObjectComparison* object = objectAt(index.row())) {
        return fromUtf8(object->library + "/" + object->name + "(" + object->type + ")");
    }
    const IfsComparison* entry = entryAt(index.row());
    return entry == nullptr ? QString() : fromUtf8(entry->path);
}

QString ComparisonTreeModel::change(const QModelIndex& index) const {
    if (index.internalId() != kTopRow) {
        const ObjectComparison* object = objectAt(static_cast<int>(index.internalId() - 1));
        return object == nullptr ? QString()
                                 : memberChange(object->members[static_cast<std::size_t>(index.row())]);
    }
    if (index.row() < detailsRows()) {
        return QStringLiteral("changed");
    }
    if (const ObjectComparison* object = objectAt(index.row())) {
        return objectChange(*object);
    }
    const IfsComparison* entry = entryAt(index.row());
    if (entry == nullptr) {
        return {};
    }
    return QString::fromLatin1(changeKindName(entry->kind)) +
           (entry->contentDiffers ? QStringLiteral(", content differs") : QString());
}

QVariant ComparisonTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
        return {};
    }
    return index.column() == 0 ? caption(index) : change(index);
}

QVariant ComparisonTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    return section == 0 ? QStringLiteral("Name") : QStringLiteral("Change");
}

QStringList ComparisonTreeModel::detailLines(const QModelIndex& index) const {
    if (!index.isValid()) {
        return fromUtf8(ComparisonText::lines(comparison_));
    }
    if (index.internalId() != kTopRow) {
        const ObjectComparison* object = objectAt(static_cast<int>(index.internalId() - 1));
        return object == nullptr ? QStringList()
                                 : fromUtf8(ComparisonText::memberLines(
                                       object->members[static_cast<std::size_t>(index.row())]));
    }
    if (index.row() < detailsRows()) {
        QStringList lines{QStringLiteral("Save")};
        for (const ValueChange& change : comparison_.saveChanges) {
            lines.push_back(fromUtf8("  " + change.what + ": " + change.before + " -> " + change.after));
        }
        return lines;
    }
    if (const ObjectComparison* object = objectAt(index.row())) {
        return fromUtf8(ComparisonText::objectLines(*object, false));
    }
    const IfsComparison* entry = entryAt(index.row());
    return entry == nullptr ? QStringList() : fromUtf8(ComparisonText::entryLines(*entry));
}

}  // namespace quelvane
