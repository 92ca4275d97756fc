#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/SaveFileBuilder.h"

namespace quelvane::test {

// Stored contents the views read, as segments for SaveFileBuilder: member record streams, CL
// programs with retrievable source, data areas and saved save files.

// One slot of a member record stream: a status byte (0x80 for a record) and the record bytes.
struct StreamSlot {
    std::uint8_t status = 0x80;
    std::vector<std::uint8_t> record;
};

// A CL program's stored source: the pointer block lies `pointerBlock` blocks after the segment
// header; the source area starts `sourceOffset` bytes into its body.
struct BuiltClSource {
    std::string objectName;
    std::int32_t pointerBlock = 2;
    std::uint32_t sourceOffset = 100;
    std::optional<std::uint32_t> sourceLength;  // default the area's true length; 0 = no source
    std::uint16_t firstLineCount = 0;           // A; B = the rest of the lines
    std::vector<std::string> lines;             // text written in CP037
};

struct BuiltDataArea {
    std::string objectName;
    std::int32_t valueBlock = 1;
    std::uint8_t kind = 4;
    std::uint16_t length = 0;   // character kind: the 2-byte length
    std::uint8_t digits = 0;    // decimal kind
    std::uint8_t decimals = 0;  // decimal kind
    std::vector<std::uint8_t> value;
};

class ContentFixtures {
  public:
    // Where stream byte `offset` lies: stream blocks 0, 32769, 65537, ... hold 480 bytes (after
    // a 32-byte header), all others 512. Returns {stream block, body offset}.
    static std::pair<std::int64_t, std::int64_t> streamPosition(std::int64_t offset);

    // Placements putting `bytes` at stream byte `offset` of a member segment, whose stream
    // starts at block 16 of the segment (block 4 in the oldest layout).
    static std::vector<Placement> streamPlacements(std::int64_t offset,
                                                   const std::vector<std::uint8_t>& bytes,
                                                   bool oldestLayout = false);

    // The stream bytes of `slots` after the skipped first slot (which is filled with 0xEE).
    static std::vector<std::uint8_t> streamBytes(std::int32_t recordLength,
                                                 const std::vector<StreamSlot>& slots);

    // A member data segment named "%-10s%s" holding `slots`.
    static BuiltSegment memberRecords(const std::string& fileName, const std::string& memberName,
                                      std::int32_t recordLength, const std::vector<StreamSlot>& slots,
                                      bool oldestLayout = false);

    static BuiltSegment clProgram(const BuiltClSource& source);
    // The source area as stored: counts, unused bytes, line records.
    static std::vector<std::uint8_t> sourceArea(const BuiltClSource& source);

    static BuiltSegment dataArea(const BuiltDataArea& area);

    // A saved save file: segment header named `objectName`, and the nested file's first block,
    // 24 blocks on, whose first word is `firstWord`.
    static BuiltSegment savedSaveFile(const std::string& objectName, std::uint32_t firstWord);

    // The data segment of save file `objectName` in library `library`, holding the save `inner`
    // (528-byte blocks) as the system stores it: the block count twice in block 9, then one
    // block body per inner block from block 24. `count` replaces the true block count.
    // A save of the oldest layout is stored from block 25, after a block of its own.
    static BuiltSegment heldSave(const std::string& objectName, const std::string& library,
                                 const std::vector<std::uint8_t>& inner,
                                 std::optional<std::uint32_t> count = {}, bool oldestLayout = false);

    // Catalog entries that lead the views to the segments above.
    static BuiltObject programObject(const std::string& name, const std::string& attribute = "CLP");
    static BuiltObject dataAreaObject(const std::string& name);
};

}  // namespace quelvane::test
