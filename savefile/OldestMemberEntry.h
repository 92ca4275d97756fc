#pragma once

#include <cstdint>

#include "conversion/EbcdicTextConverter.h"
#include "savefile/BigEndianReader.h"
#include "savefile/Catalog.h"

namespace quelvane {

// A member entry of the oldest layout (see OldestLayout): 192 bytes (first word 162) where later
// saves write 208. It is the later entry without the 16-byte group at 112..127, so the record
// count, the source type and the change date sit 16 bytes earlier; the name, the text and the
// creation date stay where they are.
class OldestMemberEntry {
  public:
    static constexpr std::int64_t kName = 4;
    static constexpr std::int64_t kNameWidth = 10;
    static constexpr std::int64_t kText = 47;
    static constexpr std::int64_t kTextWidth = 50;
    static constexpr std::int64_t kCreated = 99;
    static constexpr std::int64_t kRecordCount = 129;
    static constexpr std::int64_t kType = 145;
    static constexpr std::int64_t kChanged = 165;
    static constexpr std::int64_t kDateWidth = 13;

    // Decodes the stored entry (as long as its first word says, at least 32 bytes) into
    // `member`. Fields that lie past the stored entry stay empty (a count of 0).
    static void decode(const BigEndianReader& entry, EbcdicTextConverter& converter, SavedMember& member);
};

}  // namespace quelvane
