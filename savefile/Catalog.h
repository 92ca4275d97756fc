#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "savefile/IfsCatalog.h"
#include "savefile/SaveDetails.h"
#include "savefile/SegmentTable.h"

namespace quelvane {

// Everything the reader learns about one save file. Texts are 8-bit text in the PC code page,
// converted from EBCDIC and trimmed; type codes are four upper-case hex digits in file order
// (stored bytes 02 01 become "0201"), and consumers read them back with typeValue().

struct SavedField {
    std::string name;
    std::string typeCode;
    std::int32_t length = 0;
    std::int32_t offset = 0;
    std::int32_t digits = 0;
    std::int32_t decimals = 0;
};

struct SavedMember {
    std::string name;
    std::string type;
    std::string text;
    std::int32_t recordCount = 0;
    std::optional<SavedTimestamp> created;
    // A second date source members carry, most likely their last change.
    std::optional<SavedTimestamp> changed;
};

struct SavedObject {
    std::string name;
    std::string typeCode;
    std::string attribute;
    std::string text;
    std::int32_t memberAreaOffset = 0;
    std::int32_t descriptionOffset = 0;
    std::int32_t memberCount = 0;
    std::int32_t fieldCount = 0;
    std::int32_t recordLength = 0;
    std::vector<SavedMember> members;
    std::vector<SavedField> fields;
    ObjectDetails details;
};

struct SavedLibrary {
    std::string name;
    std::int32_t objectCount = 0;
    std::vector<SavedObject> objects;
};

struct SavedPart {
    std::string name;
    std::int32_t descriptorOffset = 0;
    std::int32_t libraryBlock = 0;
    std::int32_t partCount = 0;
    SavedLibrary library;
};

struct SaveFileHeader {
    std::int32_t blockCount = 0;
    std::string systemText;
    std::int32_t headerSize = 0;
    std::uint8_t saveCommand = 0;
    std::int32_t directoryStart = 0;
    SaveDetails details;
};

// The value a type-code text spells, or -1 for a text that is not four hex digits.
int typeValue(const std::string& typeCode);

// Four upper-case hex digits for two stored type bytes, first byte first.
std::string typeCodeText(std::uint8_t high, std::uint8_t low);

// One per program run: the part list is replaced by each accepted open, the header cleared by
// each parse, the segment table refilled from slot 0 (later slots keep an earlier file's
// entries, which lookups may still find).
struct Catalog {
    std::string path;
    SaveFileHeader header;
    SegmentTable segments;
    std::vector<SavedPart> parts;
    // For a save of the integrated file system, its directory tree; its part holds no objects.
    std::optional<IfsCatalog> ifs;

    // Object `object` of part `part`, the way views and exports address the catalog (by the tree
    // positions); an index outside either array raises std::out_of_range.
    const SavedObject& objectAt(std::int32_t part, std::int32_t object) const;
};

}  // namespace quelvane
