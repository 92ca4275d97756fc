#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>

#include "savefile/BlockSource.h"

namespace quelvane {

// Save-file bytes already in memory; the bytes must outlive the source.
class MemoryBlockSource final : public BlockSource {
  public:
    explicit MemoryBlockSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool isOpen() const override { return true; }
    std::int64_t size() const override { return static_cast<std::int64_t>(bytes_.size()); }

    std::int64_t readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) override {
        if (offset < 0 || count <= 0 || offset >= size()) {
            return 0;
        }
        std::int64_t got = std::min(count, size() - offset);
        std::memcpy(target, bytes_.data() + offset, static_cast<std::size_t>(got));
        return got;
    }

  private:
    std::span<const std::uint8_t> bytes_;
};

}  // namespace quelvane
