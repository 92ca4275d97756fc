#pragma once

#include <string>

#include "savefile/Catalog.h"

namespace quelvane {

// Source physical files (QRPGLESRC, QCLSRC, QDDSSRC and the like) all have one record format:
// a sequence number of six zoned digits with two decimal positions, a change date of six zoned
// digits (YYMMDD), and the source line as character data. Their members hold program source,
// one line per record, rather than data.
class SourceMemberLayout {
  public:
    static constexpr std::size_t kSequenceField = 0;
    static constexpr std::size_t kDateField = 1;
    static constexpr std::size_t kTextField = 2;
    static constexpr std::int32_t kSequenceDigits = 6;
    static constexpr std::int32_t kSequenceDecimals = 2;
    static constexpr std::int32_t kDateDigits = 6;

    // True when the file's record format is the source layout.
    static bool matches(const SavedObject& file);

    // The file extension of a source member: "." and its member type in lower case (".rpgle",
    // ".clle", ".dspf"), made safe as a file-name part; ".txt" for an empty type.
    static std::string extension(const std::string& memberTypeUtf8);
};

}  // namespace quelvane
