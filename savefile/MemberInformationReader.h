#pragma once

#include <cstdint>
#include <vector>

#include "conversion/EbcdicTextConverter.h"
#include "conversion/Notifier.h"
#include "savefile/BigEndianReader.h"
#include "savefile/BlockFile.h"
#include "savefile/Catalog.h"

namespace quelvane {

// Reads the member area of a physical file: its record format (fields) and its member list.
class MemberInformationReader {
  public:
    // A member entry is copied into a buffer of this size before it is decoded.
    static constexpr std::int64_t kMemberEntryCapacity = 10024;

    MemberInformationReader(Catalog& catalog, EbcdicTextConverter& converter, Notifier& notifier,
                            BlockFile& file)
        : catalog_(catalog), converter_(converter), notifier_(notifier), file_(file) {}

    // Does nothing for an object whose attribute is not "PF". A member area that cannot be
    // decoded is reported ("Error:during get member information") and ends all further reading
    // from the file; what was read so far stays.
    void readMemberInformation(std::size_t part, std::size_t object);

  private:
    // The steps of one file's member area: collect the area, size the member list from its
    // count, read the record format's fields, read the member entries.
    void decodeMemberArea(SavedPart& desc, SavedObject& obj);
    std::vector<std::uint8_t> collectMemberArea(const SavedPart& desc, SavedObject& obj);
    static std::int64_t sizeMemberList(const BigEndianReader& data, SavedObject& obj);
    void readRecordFormat(const BigEndianReader& data, std::int64_t format, SavedObject& obj);
    void readMemberEntries(const BigEndianReader& data, std::int64_t memberList, std::int64_t members,
                           SavedObject& obj);

    Catalog& catalog_;
    EbcdicTextConverter& converter_;
    Notifier& notifier_;
    BlockFile& file_;
};

}  // namespace quelvane
