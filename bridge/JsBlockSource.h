#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "bridge/ReadAhead.h"
#include "savefile/BlockSource.h"

namespace quelvane {

// Save-file bytes read in place through a callback that copies a byte range: in the browser a
// File read slice by slice in the worker, under Node a file read with positioned reads. The file
// is never held whole: a window of recent bytes is kept, since the readers ask for one 528-byte
// block at a time and every call to the page's side costs far more than a copy; it grows while the
// file is read through (ReadAhead).
class JsBlockSource final : public BlockSource {
  public:
    // Copies up to `count` bytes from `offset` into `target`; answers how many it copied, or a
    // negative number when the file could not be read.
    using RangeReader =
        std::function<std::int64_t(std::int64_t offset, std::uint8_t* target, std::int64_t count)>;

    // A read at least this long goes straight to the callback.
    static constexpr std::int64_t kWindowSize = ReadAhead::kShortest;

    JsBlockSource(RangeReader reader, std::int64_t size);

    bool isOpen() const override { return size_ >= 0; }
    std::int64_t size() const override { return size_ < 0 ? 0 : size_; }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) override;

  private:
    std::int64_t readThrough(std::int64_t offset, std::uint8_t* target, std::int64_t count);

    RangeReader reader_;
    std::int64_t size_;
    std::vector<std::uint8_t> window_;
    std::int64_t windowStart_ = 0;
    ReadAhead readAhead_;
};

}  // namespace quelvane
