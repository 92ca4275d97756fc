#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "conversion/EbcdicTextConverter.h"
#include "savefile/BigEndianReader.h"
#include "savefile/BlockSource.h"
#include "savefile/IfsCatalog.h"

namespace quelvane {

// Reads the directory tree of a save of the integrated file system. Such a save holds one
// descriptor segment per saved directory and one segment per stream file's data (type 1E01,
// named by an 8-byte object id). In a directory segment, from body offset 256 of its ninth
// block (the base), runs a chain of records: a 3-byte EBCDIC tag, a u16 entry count, then that
// many 5-byte entries (a zero byte and a u32 offset from the base). HDR opens the chain, DIR
// names the directory, and one LNK per directory entry follows; the next record is at entry 0's
// offset (entry 1's for DIR), and offset 0 ends the chain.
class IfsReader {
  public:
    static constexpr std::size_t kMaxEntries = 200000;

    IfsReader(BlockSource& source, EbcdicTextConverter& converter) : source_(source), converter_(converter) {}

    // `headerSize` is the file header's size in bytes, which the first segment follows.
    IfsCatalog read(std::int32_t headerSize);

  private:
    struct Segment {
        std::int64_t block = 0;
        std::int32_t length = 0;
    };
    using SegmentName = std::array<std::uint8_t, 8>;

    void walkSegments(std::int32_t headerSize, IfsCatalog& catalog);
    void readDirectory(const Segment& segment, IfsCatalog& catalog);
    void readHeader(const BigEndianReader& body, std::int64_t base, const std::vector<std::int64_t>& entries,
                    IfsCatalog& catalog);
    IfsEntry readLink(const BigEndianReader& body, std::int64_t base,
                      const std::vector<std::int64_t>& entries, const std::string& directory);
    void readAttributes(const BigEndianReader& body, std::int64_t at, IfsEntry& entry);
    void readTimes(const BigEndianReader& body, std::int64_t at, IfsEntry& entry);
    void readDataSegment(const BigEndianReader& body, std::int64_t at, IfsEntry& entry);

    BlockSource& source_;
    EbcdicTextConverter& converter_;
    std::vector<Segment> directories_;
    std::map<SegmentName, Segment> dataSegments_;
};

}  // namespace quelvane
