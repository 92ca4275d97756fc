#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace quelvane::test {

// Synthetic save files with the block layout the reader walks: 528-byte blocks carrying their
// sequence numbers, the file header in block 0, segment header blocks, save/restore descriptors
// with their library descriptor, object directory, object descriptions and member areas. Texts
// are written in CP037. Every number a test may want to spoil has an override; the layout of
// what was built is returned so tests can patch bytes in place.

// Bytes to place in the joined bodies of a segment: `block` counts from the segment header
// block (0), `offset` is a body offset that may run past 512 into the following bodies.
struct Placement {
    std::int64_t block = 0;
    std::int64_t offset = 0;
    std::vector<std::uint8_t> bytes;
};

// Any segment: a header block (marker, name, length) and whatever its blocks should hold.
struct BuiltSegment {
    std::string name;
    std::int32_t length = 16;  // N, in blocks, header block included
    bool marker = true;
    std::vector<Placement> placements;
};

// The parts of a field entry past the record layout: the fixed part is `fixedPart` bytes (144,
// or 96 as older releases write it), then DFT, ALIAS, TEXT and COLHDG, whichever are set, in
// that order. An override replaces the offset the entry stores for its part.
struct BuiltFieldFacts {
    std::int64_t fixedPart = 144;
    std::string externalName{};
    std::uint8_t varyingFlags = 0;
    std::uint8_t ebcdicLetter = 0;
    std::uint8_t nullFlags = 0;
    std::uint16_t allocatedLength = 0;
    std::uint16_t ccsid = 0;
    std::uint16_t textCcsid = 0;
    std::uint16_t headingsCcsid = 0;
    std::optional<std::string> defaultValue{};
    std::optional<std::string> longName{};
    std::optional<std::string> text{};                   // written 50 wide
    std::optional<std::vector<std::string>> headings{};  // joined by 0xFF
    std::optional<std::uint16_t> defaultOffset{};
    std::optional<std::uint16_t> longNameOffset{};
    std::optional<std::uint16_t> textOffset{};
    std::optional<std::uint16_t> headingsOffset{};
    std::optional<std::uint16_t> headingsLength{};
};

// File-level facts of the member area and the record-format header.
struct BuiltFileFacts {
    std::uint8_t flags = 0xC0;
    std::uint8_t keyFlags = 0;
    std::string text;
    std::uint16_t textCcsid = 0;
    std::string sourceFile, sourceMember, sourceLibrary;
    std::string language = "ENU", country = "US";
    std::string formatName = "FMT", levelId = "1234567890ABC", formatText;
    std::uint16_t formatCcsid = 0, formatTextCcsid = 0, recordLength = 0;
};

struct BuiltField {
    std::string name;
    std::uint16_t typeCode = 0x0004;
    std::uint16_t length = 1;
    std::uint16_t digits = 0;
    std::uint16_t decimals = 0;
    std::uint16_t position = 0;  // stored buffer position; the reader uses it for field 0 only
    // Without facts an entry of this length holds the layout only; with them, 0 takes the
    // length the parts need.
    std::uint16_t entryLength = 40;
    std::optional<BuiltFieldFacts> facts{};
};

struct BuiltMember {
    std::string name;
    std::string type;
    std::string text;
    std::uint32_t recordCount = 0;
    // Entry length = firstWord with its low four bits cleared, plus 32; 640 gives the 672 layout.
    std::uint32_t firstWord = 640;
    // Written over the 17 high bytes of the 21-byte record count (the reader keeps the low 4).
    std::uint8_t countHighFill = 0;
    // CYYMMDDHHMMSS digits, written when not empty (the change date only in the longer layouts).
    std::string created{};
    std::string changed{};
    std::uint16_t textCcsid = 0;  // in the longer layouts
};

struct BuiltObject {
    std::string name;
    std::uint16_t typeCode = 0x1901;
    std::string attribute;
    std::string text;
    // Sizes of the three unused description items after the text.
    std::array<std::uint32_t, 3> skippedItems = {8, 0, 12};
    std::vector<BuiltField> fields;
    std::vector<BuiltMember> members;
    bool memberArea = false;                              // written when true or when the attribute is "PF"
    std::optional<std::uint32_t> provisionalMemberCount;  // M0, default the member count
    std::optional<std::uint32_t> areaMemberCount;         // M at data offset 80, default the count
    std::optional<std::uint32_t> areaTotal;               // TOT, default the data length
    std::optional<std::uint32_t> formatOffset;            // F, default 96
    std::optional<BuiltFileFacts> fileFacts{};            // wants F past the area header (576)
    // Raw bytes written instead of the generated description or member area.
    std::optional<std::vector<std::uint8_t>> rawDescription;
    std::optional<std::vector<std::uint8_t>> rawMemberArea;
    // Stored offsets written instead of the true ones.
    std::optional<std::uint32_t> descriptionOffset;
    std::optional<std::uint32_t> memberAreaOffset;
};

// A save/restore descriptor segment with its library.
struct BuiltPart {
    std::string library = "QGPL";
    std::string segmentName = "QSRDSSPC.1";
    std::uint8_t saveCommand = 0;
    bool sysbas = false;
    std::uint32_t descriptorOffset = 256;  // V
    std::optional<std::int32_t> objectCount;
    std::vector<BuiltObject> objects;
    std::vector<Placement> extraPlacements;  // more bytes in the part's segment
    std::optional<std::int32_t> length;      // N, default just long enough (a multiple of 8)
};

struct SegmentPlace {
    std::int64_t headerBlock = 0;
    std::int32_t length = 0;
};

struct PartPlace {
    std::int64_t descriptorBlock = 0;
    std::int64_t libraryBlock = 0;
    std::int64_t base = 0;
    std::int64_t directoryOffset = 0;              // body offset in the joined bodies from libraryBlock
    std::vector<std::int64_t> descriptionOffsets;  // stored values, relative to the library
    std::vector<std::int64_t> memberAreaOffsets;
};

struct SaveFileLayout {
    std::vector<SegmentPlace> segments;  // every segment, parts included, in file order
    std::vector<PartPlace> parts;
};

// The built file: the blocks that hold anything, the rest being filler blocks that carry only
// their sequence number (or nothing, when written sparsely).
class SaveFileImage {
  public:
    std::int64_t blockTotal = 0;
    std::int64_t extraBytes = 0;  // bytes after the last whole block
    std::map<std::int64_t, std::array<std::uint8_t, 528>> blocks;
    SaveFileLayout layout;

    std::vector<std::uint8_t> bytes() const;
    // With `sparse`, filler blocks are left as holes: the file is as long, but only the blocks
    // holding anything are written. Raises std::runtime_error when the file cannot be written.
    void writeTo(const std::string& path, bool sparse = false) const;
};

class SaveFileBuilder {
  public:
    std::string systemText = "150 9401";
    std::int32_t headerSize = 512;
    // The oldest layout: 11 00 11 00 at offset 12, 0 at 52 and (unless blockCountCopy says
    // otherwise) at 60, an 8-character system text, one-block segment headers (the descriptor in
    // the block after its header) and member entries of that layout (give them firstWord 162 for
    // 192 bytes). `headerSize` is not used: the first segment is block 1.
    bool oldestLayout = false;
    std::optional<std::int32_t> blockCount;      // offset 8, default the true count
    std::optional<std::int32_t> blockCountCopy;  // offset 60, default the value at offset 8
    std::int64_t extraBytes = 0;
    std::int64_t trailingBlocks = 0;  // filler after the last segment

    SaveFileBuilder& add(BuiltPart part);
    SaveFileBuilder& add(BuiltSegment segment);

    SaveFileImage build() const;

    // Text in CP037, padded with EBCDIC spaces (or cut) to `width`.
    static std::vector<std::uint8_t> ebcdic(const std::string& text, std::size_t width);
    // A field entry with the parts `field.facts` asks for.
    static std::vector<std::uint8_t> fieldEntry(const BuiltField& field);
    static void putU16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value);
    static void putU24(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value);
    static void putU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value);
    // Writes every whole record's check into its trailer, as the system does (after the last
    // change to the file: a change made later shows as bytes changed inside a record).
    static void sealRecords(std::vector<std::uint8_t>& file);
    static void putBytes(std::vector<std::uint8_t>& bytes, std::size_t offset,
                         const std::vector<std::uint8_t>& value);

    // The generated description and member area of an object, as written.
    static std::vector<std::uint8_t> description(const BuiltObject& object);
    static std::vector<std::uint8_t> memberArea(const BuiltObject& object, bool oldestLayout = false);

  private:
    std::vector<std::variant<BuiltPart, BuiltSegment>> items_;
};

}  // namespace quelvane::test
