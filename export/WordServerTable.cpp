#include "export/WordServerTable.h"

#include <algorithm>
#include <limits>

#include "export/AutomationFailure.h"

namespace quelvane {

namespace {

constexpr char kNoSuchMember[] = "The requested member of the collection does not exist.";

// Places an entry in an ordered list; entries mostly arrive in order, so the end is tried first.
template <class Entry>
Entry& entryAt(std::vector<Entry>& entries, std::uint32_t row, std::uint32_t column) {
    const auto before = [](const Entry& entry, std::pair<std::uint32_t, std::uint32_t> key) {
        return std::pair(entry.row, entry.column) < key;
    };
    const std::pair key(row, column);
    auto place = entries.end();
    if (!entries.empty() && !before(entries.back(), key)) {
        place = std::lower_bound(entries.begin(), entries.end(), key, before);
        if (place != entries.end() && place->row == row && place->column == column) {
            return *place;
        }
    }
    Entry entry{};
    entry.row = row;
    entry.column = column;
    return *entries.insert(place, entry);
}

}  // namespace

WordServerTable::WordServerTable(std::int64_t rows, std::int64_t columns, std::int32_t autoFitBehavior)
    : rows_(0), autoFitBehavior_(autoFitBehavior) {
    if (rows < 1 || rows > std::numeric_limits<std::int32_t>::max()) {
        throw AutomationFailure("The number of rows must be at least 1");
    }
    if (columns < 1 || columns > kMaximumColumns) {
        throw AutomationFailure("The number of columns must be between 1 and " +
                                std::to_string(kMaximumColumns));
    }
    rows_ = static_cast<std::uint32_t>(rows);
    columns_.resize(static_cast<std::size_t>(columns));
}

std::uint32_t WordServerTable::rowIndex(std::int64_t row) const {
    if (row < 1 || row > rows_) {
        throw AutomationFailure(kNoSuchMember);
    }
    return static_cast<std::uint32_t>(row - 1);
}

std::uint32_t WordServerTable::columnIndex(std::int64_t column) const {
    if (column < 1 || column > static_cast<std::int64_t>(columns_.size())) {
        throw AutomationFailure(kNoSuchMember);
    }
    return static_cast<std::uint32_t>(column - 1);
}

void WordServerTable::setText(std::uint32_t row, std::uint32_t column, std::u16string_view text) {
    if (pool_.size() + text.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw AutomationFailure("The document is too large");
    }
    Text& entry = entryAt(texts_, row, column);
    entry.offset = static_cast<std::uint32_t>(pool_.size());
    entry.length = static_cast<std::uint32_t>(text.size());
    pool_.insert(pool_.end(), text.begin(), text.end());
}

void WordServerTable::setShading(std::uint32_t row, std::uint32_t column, std::int32_t colour) {
    entryAt(shadings_, row, column).colour = colour;
}

}  // namespace quelvane
