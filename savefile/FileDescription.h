#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quelvane {

// A text as the save file keeps it: its EBCDIC bytes and the CCSID stored beside them (0 when
// none is stored). The bytes are kept so a text can be read in its own CCSID or in the chosen
// code page alike.
struct StoredText {
    std::vector<std::uint8_t> bytes;
    std::uint16_t ccsid = 0;
};

// The facts a field entry holds beyond the record layout, as DDS and SQL declared them.
struct FieldDescription {
    // False when the entry is too short to hold them; every other member is then unset.
    bool read = false;
    // The name of this format's field where it differs from the based-on one (logical files).
    std::string externalName;
    // The stored data-type byte and the DDS letter it stands for ('A', 'P', 'O' ...).
    std::uint8_t dataType = 0;
    char ddsType = ' ';
    std::uint8_t usage = 0;
    std::uint16_t ccsid = 0;
    // The bytes the field takes in the program's buffer (a varying field's two length bytes
    // included), its place there, and a varying field's allocated length.
    std::int32_t bufferLength = 0;
    std::int32_t bufferPosition = 0;
    std::int32_t allocatedLength = 0;
    bool varying = false;
    bool nullCapable = false;
    // TEXT, COLHDG (up to three headings separated by 0xFF), the ALIAS or SQL long name and the
    // DFT literal; each empty when the entry stores none.
    StoredText text;
    StoredText columnHeadings;
    StoredText longName;
    StoredText defaultValue;
};

// What the member area and the (first) record format say about the file as a whole.
struct FileDescription {
    // False when the area was not read; `failure` then names why, when something failed.
    bool read = false;
    std::string failure;
    bool logical = false;
    bool sourceFile = false;
    bool keyed = false;
    bool unique = false;
    // The DDS source the file was created from (blank names when none is stored).
    std::string sourceFileName;
    std::string sourceMember;
    std::string sourceLibrary;
    std::string language;
    std::string country;
    StoredText text;
    // The record format: name, level identifier, text, its CCSID and its record length.
    std::string formatName;
    std::string levelId;
    StoredText formatText;
    std::uint16_t formatCcsid = 0;
    std::int32_t recordLength = 0;
};

}  // namespace quelvane
