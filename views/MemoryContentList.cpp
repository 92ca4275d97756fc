#include "views/MemoryContentList.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace quelvane {

namespace {

// Chunks start small, for the short lists most nodes show, and grow to 1 MiB for members with
// many records.
constexpr std::size_t kFirstChunkSize = std::size_t{1} << 12;
constexpr std::size_t kChunkSize = std::size_t{1} << 20;

void copyText(char* target, std::string_view text) {
    if (!text.empty()) {
        std::memcpy(target, text.data(), text.size());
    }
}

}  // namespace

MemoryContentList::MemoryContentList() = default;

void MemoryContentList::clearColumns() {
    columns_.clear();
    touch();
    ++resetGeneration_;
}

void MemoryContentList::clearRows() {
    rows_.clear();
    rows_.shrink_to_fit();
    cellEnds_.clear();
    cellEnds_.shrink_to_fit();
    chunks_.clear();
    touch();
    ++resetGeneration_;
}

void MemoryContentList::addColumn(std::string_view caption, int width, Alignment alignment, Sizing sizing) {
    columns_.push_back(Column{std::string(caption), width, alignment, sizing, Pitch::Proportional});
    touch();
}

void MemoryContentList::setColumnCaption(int column, std::string_view caption) {
    if (column >= 0 && column < columnCount()) {
        columns_[static_cast<std::size_t>(column)].caption = caption;
        touch();
    }
}

void MemoryContentList::setColumnPitch(int column, Pitch pitch) {
    if (column >= 0 && column < columnCount()) {
        columns_[static_cast<std::size_t>(column)].pitch = pitch;
        touch();
    }
}

void MemoryContentList::addRow(std::string_view caption, int image) {
    if (chunks_.empty()) {
        chunks_.push_back(Chunk{std::unique_ptr<char[]>(new char[kFirstChunkSize]), kFirstChunkSize, 0});
    }
    Row row;
    row.chunk = static_cast<std::uint32_t>(chunks_.size() - 1);
    row.start = static_cast<std::uint32_t>(chunks_.back().used);
    row.firstCell = cellEnds_.size();
    row.image = image;
    rows_.push_back(row);
    copyText(reserveText(caption.size()), caption);
    rows_.back().captionLength = static_cast<std::uint32_t>(caption.size());
    touch();
}

void MemoryContentList::setRowImage(int image) {
    if (!rows_.empty()) {
        rows_.back().image = image;
        touch();
    }
}

void MemoryContentList::appendCell(std::string_view text) {
    if (rows_.empty()) {
        return;
    }
    std::uint64_t end = std::uint64_t{rowTextLength(rows_.back())} + text.size();
    if (end > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("content row too long");
    }
    copyText(reserveText(text.size()), text);
    cellEnds_.push_back(static_cast<std::uint32_t>(end));
    touch();
}

std::string_view MemoryContentList::rowCaption(std::int64_t row) const {
    const Row& r = rowAt(row);
    return {chunks_[r.chunk].bytes.get() + r.start, r.captionLength};
}

int MemoryContentList::rowImage(std::int64_t row) const {
    return rowAt(row).image;
}

int MemoryContentList::cellCount(std::int64_t row) const {
    const Row& r = rowAt(row);
    std::uint64_t next =
        row + 1 < rowCount() ? rows_[static_cast<std::size_t>(row + 1)].firstCell : cellEnds_.size();
    return static_cast<int>(next - r.firstCell);
}

std::string_view MemoryContentList::cellText(std::int64_t row, int cell) const {
    if (cell < 0 || cell >= cellCount(row)) {
        return {};
    }
    const Row& r = rowAt(row);
    std::size_t index = static_cast<std::size_t>(r.firstCell) + static_cast<std::size_t>(cell);
    std::uint32_t begin = cell == 0 ? r.captionLength : cellEnds_[index - 1];
    std::uint32_t end = cellEnds_[index];
    return {chunks_[r.chunk].bytes.get() + r.start + begin, end - begin};
}

const MemoryContentList::Row& MemoryContentList::rowAt(std::int64_t row) const {
    if (row < 0 || row >= rowCount()) {
        throw std::out_of_range("content row outside the list");
    }
    return rows_[static_cast<std::size_t>(row)];
}

std::uint32_t MemoryContentList::rowTextLength(const Row& row) const {
    if (cellEnds_.size() > row.firstCell) {
        return cellEnds_.back();
    }
    return row.captionLength;
}

char* MemoryContentList::reserveText(std::size_t length) {
    Row& row = rows_.back();
    Chunk* chunk = &chunks_[row.chunk];
    if (chunk->capacity - chunk->used < length) {
        // Only the last row is ever appended to, so its texts are the tail of its chunk and can
        // be moved whole into a fresh chunk that has room.
        std::size_t kept = rowTextLength(row);
        std::size_t capacity = std::max(std::min(kChunkSize, 2 * chunk->capacity), 2 * (kept + length));
        Chunk fresh{std::unique_ptr<char[]>(new char[capacity]), capacity, kept};
        copyText(fresh.bytes.get(), {chunk->bytes.get() + row.start, kept});
        chunk->used = row.start;
        chunks_.push_back(std::move(fresh));
        row.chunk = static_cast<std::uint32_t>(chunks_.size() - 1);
        row.start = 0;
        chunk = &chunks_.back();
    }
    char* target = chunk->bytes.get() + chunk->used;
    chunk->used += length;
    return target;
}

}  // namespace quelvane
