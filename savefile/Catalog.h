#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "savefile/FileDescription.h"
#include "savefile/GridRepair.h"
#include "savefile/IfsCatalog.h"
#include "savefile/SaveDetails.h"
#include "savefile/SegmentLayout.h"
#include "savefile/SegmentTable.h"

namespace quelvane {

// Everything the reader learns about one save file. Texts are 8-bit text in the PC code page,
// converted from EBCDIC and trimmed; type codes are the two stored type bytes as one number,
// first byte high (savefile/TypeCodes.h names the known ones).

struct SavedField {
    std::string name;
    std::uint16_t typeCode = 0;
    std::int32_t length = 0;
    std::int32_t offset = 0;
    std::int32_t digits = 0;
    std::int32_t decimals = 0;
    // What the field entry says beyond the record layout (read: false for an entry too short to
    // hold it).
    FieldDescription description{};
};

struct SavedMember {
    std::string name;
    std::string type;
    std::string text;
    std::int32_t recordCount = 0;
    std::optional<SavedTimestamp> created;
    // A second date source members carry, most likely their last change.
    std::optional<SavedTimestamp> changed;
    // The text's stored bytes and CCSID (none in the 672-byte and the oldest layouts).
    StoredText storedText{};
};

struct SavedObject {
    std::string name;
    std::uint16_t typeCode = 0;
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
    // The text's stored bytes (at most the 50 the text field holds). The object description
    // stores no CCSID beside them: savefile/CatalogTexts finds the one that applies.
    StoredText storedText{};
    // The file-level facts of a physical file's member area and its record format.
    FileDescription description{};
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
    // Block 0 in the oldest layout (see OldestLayout): one-block segment headers, 192-byte member
    // entries, no release recorded.
    bool oldestLayout = false;
    std::uint8_t saveCommand = 0;
    std::int32_t directoryStart = 0;
    // Where the file was read on a grid put right past damage (every later read of the file goes
    // through the same repairs), and the summary lines on damage read past or found.
    std::vector<GridRepair> repairs;
    std::vector<std::string> damageNotes;
    // How the data after the segment headers is kept: "stored", or the kinds of compression met
    // ("run-length", "TERSE", "LZ1", joined by ", ").
    std::string dataStorage;
    SaveDetails details;
};

// Four upper-case hex digits for a type code ("0201"), for messages and listings.
std::string typeCodeText(std::uint16_t typeCode);

// An object of the catalog by its tree position: object `object` of part `part`.
struct ObjectRef {
    std::int32_t part = 0;
    std::int32_t object = 0;
    bool operator==(const ObjectRef&) const = default;
};

// A member by its tree position: member `member` of object `object` of part `part`.
struct MemberRef {
    std::int32_t part = 0;
    std::int32_t object = 0;
    std::int32_t member = 0;
    ObjectRef file() const { return {part, object}; }
    bool operator==(const MemberRef&) const = default;
};

// One per program run: the part list is replaced by each accepted open, the header cleared by
// each parse, the segment table emptied and filled again by each accepted open.
struct Catalog {
    std::string path;
    SaveFileHeader header;
    SegmentTable segments;
    // Where the segments lie; reading a compressed save goes through its expanded image.
    std::shared_ptr<const SegmentLayout> layout;
    std::vector<SavedPart> parts;
    // For a save of the integrated file system, its directory tree; its part holds no objects.
    std::optional<IfsCatalog> ifs;

    // The one checked lookup of views, exports and the command line: the object or member a
    // tree position names, or null for a position the catalog does not hold (an index outside
    // its array or past the library's object count or the members the tree shows of the file,
    // shownMemberCount).
    const SavedObject* findObject(ObjectRef ref) const;
    const SavedMember* findMember(MemberRef ref) const;

    // The same lookups for callers that treat a missing record as a failure: raise
    // std::out_of_range instead of answering null.
    const SavedObject& objectAt(ObjectRef ref) const;
    const SavedMember& memberAt(MemberRef ref) const;
};

}  // namespace quelvane
