#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "savefile/BlockSource.h"
#include "savefile/Catalog.h"

namespace quelvane {

// The stored data of one object: the bodies of the blocks that follow the header block of the
// object's segment (the segment header names the object and its type; its block count at header
// offset 204 counts the header block too). Bytes are read on demand, never the whole object at
// once, and only from blocks the file holds.
class ObjectData {
  public:
    static constexpr std::int64_t kBodySize = 512;

    // The data segment of `object`: the first segment whose header names the object with the
    // object's type. Nothing, with `why` set, when the save holds no such segment or its header
    // block cannot be read.
    static std::optional<ObjectData> locate(BlockSource& source, const Catalog& catalog,
                                            const SavedObject& object, std::string& why);

    // Over a segment whose header is block `headerBlock` and that counts `blockCount` blocks.
    ObjectData(BlockSource& source, std::int64_t headerBlock, std::int64_t blockCount);

    // Bytes of data the file holds for the object (the segment cut at the end of the file).
    std::int64_t size() const { return size_; }
    // True when the segment claims more blocks than the file holds.
    bool truncated() const { return truncated_; }

    // Up to `count` bytes from `offset`; fewer where the data ends (none past it).
    std::vector<std::uint8_t> read(std::int64_t offset, std::int64_t count) const;

  private:
    BlockSource* source_;
    std::int64_t firstBlock_ = 0;
    std::int64_t size_ = 0;
    bool truncated_ = false;
};

}  // namespace quelvane
