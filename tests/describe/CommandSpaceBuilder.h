#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/SaveFileBuilder.h"

namespace quelvane::test {

// The object data of a command built piece by piece: the save prefix, the MI segment header at
// 0xE00 whose two addresses place the space at 0xF00, then the space. Offsets handed out and
// taken are space offsets, as the stored pointers are.
class CommandSpaceBuilder {
  public:
    static constexpr std::size_t kSpaceStart = 0xF00;

    CommandSpaceBuilder() : data_(kSpaceStart + 0x80, 0) {
        SaveFileBuilder::putU32(data_, 0xE0C, 0x1000);
        SaveFileBuilder::putU32(data_, 0xE1C, 0x1100);
    }

    std::size_t end() const { return data_.size() - kSpaceStart; }

    void putU8(std::size_t at, std::uint8_t value) {
        grow(at + 1);
        data_[kSpaceStart + at] = value;
    }
    void putU16(std::size_t at, std::uint32_t value) {
        grow(at + 2);
        SaveFileBuilder::putU16(data_, kSpaceStart + at, value);
    }
    void putText(std::size_t at, const std::string& text, std::size_t width) {
        grow(at + width);
        SaveFileBuilder::putBytes(data_, kSpaceStart + at, SaveFileBuilder::ebcdic(text, width));
    }

    // Appends raw bytes; returns their offset.
    std::size_t append(const std::vector<std::uint8_t>& bytes) {
        std::size_t at = end();
        data_.insert(data_.end(), bytes.begin(), bytes.end());
        return at;
    }
    // A pooled value: 2-byte length and text.
    std::size_t value(const std::string& text) {
        std::size_t at = end();
        putU16(at, static_cast<std::uint32_t>(text.size()));
        putText(at + 2, text, text.size());
        return at;
    }
    // A text entry: width, message identifier, 2 bytes, length, text.
    std::size_t textEntry(const std::string& text, const std::string& messageId = "") {
        std::size_t at = end();
        putU16(at, static_cast<std::uint32_t>(text.size()));
        putText(at + 2, messageId, 7);
        putU16(at + 11, static_cast<std::uint32_t>(text.size()));
        putText(at + 13, text, text.size());
        return at;
    }

    std::vector<std::uint8_t> bytes() const { return data_; }

  private:
    void grow(std::size_t spaceEnd) {
        if (kSpaceStart + spaceEnd > data_.size()) {
            data_.resize(kSpaceStart + spaceEnd, 0);
        }
    }

    std::vector<std::uint8_t> data_;
};

}  // namespace quelvane::test
