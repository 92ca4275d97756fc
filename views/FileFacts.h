#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "conversion/PcTextToUtf8.h"
#include "conversion/StoredCcsidText.h"
#include "savefile/Catalog.h"

namespace quelvane {

// What a physical or logical file says of itself and of each field of its record format, the
// facts a field and file description lists, every text in UTF-8: names through the chosen PC
// page, TEXT, COLHDG, the long name and the DFT in the CCSIDs stored beside them.
struct FileFacts {
    struct Field {
        std::string name;
        // The ALIAS or SQL long name, empty when none is stored.
        std::string longName;
        char type = '?';
        // As DDS declares it: digits for packed, zoned, binary and float fields, characters
        // for graphic ones, the data bytes of varying ones, the buffer bytes of the others.
        std::int64_t length = 0;
        std::int64_t digits = 0;
        std::int64_t decimals = 0;
        std::uint16_t ccsid = 0;
        bool nullCapable = false;
        bool varying = false;
        std::int64_t allocatedLength = 0;
        // The DFT literal as DDS wrote it, nothing when the field has none.
        std::optional<std::string> defaultValue;
        std::string text;
        std::vector<std::string> headings;

        // The field as a row of the Fields list, one text per caption of fieldCaptions().
        std::vector<std::string> cells() const;
    };

    // A record format of the file: a physical file has one, a multi-format logical file one per
    // based-on file.
    struct Format {
        std::string name;
        std::string text;
        std::string levelId;
        std::int64_t recordLength = 0;
        std::vector<Field> fields;
    };

    // The captions of the Fields list's columns.
    static const std::vector<std::string>& fieldCaptions();
    // What the file says of itself, a few lines: its name and text, each format with its record
    // length and level identifier (and its number of fields where there are several), the
    // access path, the source it was created from, language and country. `name` is the file's
    // name.
    std::vector<std::string> summaryLines(const std::string& name) const;

    bool described = false;
    bool logical = false;
    std::int64_t recordLength = 0;
    std::string formatName;
    std::string formatText;
    std::string levelId;
    std::string text;
    bool keyed = false;
    bool unique = false;
    // LIBRARY/FILE of the DDS source, empty when none is stored.
    std::string sourceFile;
    std::string sourceMember;
    std::string language;
    std::string country;
    // The fields of every format, the first format's first.
    std::vector<Field> fields;
    // Every format; the first is also formatName, formatText, levelId and recordLength.
    std::vector<Format> formats;

    static FileFacts of(const SavedObject& file, PcTextToUtf8& utf8, StoredCcsidText& texts);
    // A file of several formats, each as LogicalFileFields gives it: the file's own facts come
    // from the first. `formats` is not empty.
    static FileFacts of(const std::vector<SavedObject>& formats, PcTextToUtf8& utf8, StoredCcsidText& texts);
    // The field's facts alone.
    static Field fieldOf(const SavedField& field, PcTextToUtf8& utf8, StoredCcsidText& texts);
    // `text` read in its CCSID, trailing blanks removed.
    static std::string textOf(const StoredText& text, StoredCcsidText& texts);
    // The headings of a COLHDG, each read in the CCSID stored beside them.
    static std::vector<std::string> headingsOf(const StoredText& headings, StoredCcsidText& texts);
};

}  // namespace quelvane
