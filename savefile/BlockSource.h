#pragma once

#include <cstdint>

namespace quelvane {

// Where save-file bytes come from: a file on disk, or bytes already in memory (tests, fuzzing).
// Only positioned reads are offered, so every reader states exactly which bytes it needs.
class BlockSource {
  public:
    virtual ~BlockSource() = default;

    // False when the source could not be opened; every read then yields nothing.
    virtual bool isOpen() const = 0;

    // Size in bytes, as found by positioning at the end; 0 for a source that is not open.
    virtual std::int64_t size() const = 0;

    // Copies up to `count` bytes from `offset` into `target`; returns how many were copied
    // (fewer at the end of the source, 0 for a negative offset or a source that is not open).
    virtual std::int64_t readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) = 0;
};

}  // namespace quelvane
