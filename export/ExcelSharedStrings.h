#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace quelvane {

// The distinct texts of a sheet, each once, numbered in the order first seen: the workbook's
// shared string table. The characters of all texts lie end to end in one pool and the index is
// an open-addressed table of numbers, so tens of thousands of texts cost no heap object each and
// a lookup touches two arrays.
class ExcelSharedStrings {
  public:
    // The number of `text`, added when it is new.
    std::uint32_t intern(std::u16string_view text);

    std::size_t size() const { return ends_.size(); }
    std::u16string_view operator[](std::size_t index) const {
        const std::size_t start = index == 0 ? 0 : ends_[index - 1];
        return {pool_.data() + start, ends_[index] - start};
    }

  private:
    static std::size_t hashOf(std::u16string_view text);
    void grow();

    std::vector<char16_t> pool_;
    std::vector<std::size_t> ends_;
    std::vector<std::size_t> hashes_;
    // A power of two in size, at most half full; 0 is a free slot, else the text's number + 1.
    std::vector<std::uint32_t> slots_;
};

}  // namespace quelvane
