#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "views/ContentList.h"

namespace quelvane {

// The content list held in memory, for the shell's list model and the command-line tool to read
// back. A member can have millions of record slots, so rows are kept compactly: all texts of a row
// (its caption, then its cells) lie back to back in one large text chunk, and each cell costs
// only the 4-byte end of its text relative to the row's start. Rows and cell ends live in deques,
// which grow without the copying peaks of a doubling array.
class MemoryContentList final : public ContentList {
  public:
    struct Column {
        std::string caption;
        int width = 0;
        Alignment alignment = Alignment::Left;
        Sizing sizing = Sizing::Fixed;
        Pitch pitch = Pitch::Proportional;
    };

    MemoryContentList();

    void clearColumns() override;
    void clearRows() override;
    void addColumn(std::string_view caption, int width, Alignment alignment, Sizing sizing) override;
    void setColumnCaption(int column, std::string_view caption) override;
    void setColumnPitch(int column, Pitch pitch) override;
    void addRow(std::string_view caption, int image = kNoImage) override;
    void setRowImage(int image) override;
    void appendCell(std::string_view text) override;

    int columnCount() const { return static_cast<int>(columns_.size()); }
    const Column& column(int index) const { return columns_.at(static_cast<std::size_t>(index)); }

    std::int64_t rowCount() const { return static_cast<std::int64_t>(rows_.size()); }
    std::string_view rowCaption(std::int64_t row) const;
    int rowImage(std::int64_t row) const;
    int cellCount(std::int64_t row) const;
    // Cell `cell` of a row, counting from 0 (the first cell stands in the second column);
    // empty for a cell the row does not have.
    std::string_view cellText(std::int64_t row, int cell) const;

    // Changes whenever anything in the list changes; a model compares it after each user event.
    std::uint64_t generation() const { return generation_; }
    // Changes only when columns or rows are cleared, i.e. when a model must reset rather than
    // append.
    std::uint64_t resetGeneration() const { return resetGeneration_; }

  private:
    struct Row {
        std::uint32_t chunk = 0;
        std::uint32_t start = 0;  // offset of the caption in the chunk
        std::uint64_t firstCell = 0;
        std::uint32_t captionLength = 0;
        std::int32_t image = kNoImage;
    };

    struct Chunk {
        std::unique_ptr<char[]> bytes;
        std::size_t capacity = 0;
        std::size_t used = 0;
    };

    const Row& rowAt(std::int64_t row) const;
    // Makes room for `length` more bytes of the last row's text, moving that row into a new
    // chunk when the current one is full; returns where the bytes go.
    char* reserveText(std::size_t length);
    std::uint32_t rowTextLength(const Row& row) const;
    void touch() { ++generation_; }

    std::vector<Column> columns_;
    std::deque<Row> rows_;
    std::deque<std::uint32_t> cellEnds_;  // end of each cell's text, relative to its row's start
    std::vector<Chunk> chunks_;
    std::uint64_t generation_ = 0;
    std::uint64_t resetGeneration_ = 0;
};

}  // namespace quelvane
