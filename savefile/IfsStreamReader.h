#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "savefile/BlockSource.h"
#include "savefile/IfsCatalog.h"

namespace quelvane {

// Reads a stream file's bytes out of its data segment. The segment's second block holds a table
// of 16-byte entries (u32 piece size, u32 size again, 8-byte address) ended by a zero entry; from
// its ninth block the pieces follow in table order, each a 1024-byte header and then at most
// 64 000 data bytes. The file is the pieces' data in order, cut at the catalog size; the bytes
// are as the file was written (the entry's CCSID says what they are).
class IfsStreamReader {
  public:
    static constexpr std::int64_t kPieceHeader = 1024;
    static constexpr std::int64_t kPieceData = 64000;

    explicit IfsStreamReader(BlockSource& source) : source_(source) {}

    // The file's bytes, or nothing with `error` saying why (no data segment, a table that does
    // not fit, pieces that hold fewer bytes than the catalog size).
    std::optional<std::vector<std::uint8_t>> read(const IfsEntry& entry, std::string& error);

  private:
    BlockSource& source_;
};

}  // namespace quelvane
