#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "conversion/EbcdicTextConverter.h"
#include "conversion/Notifier.h"
#include "savefile/BigEndianReader.h"
#include "savefile/BlockFile.h"
#include "savefile/Catalog.h"
#include "savefile/EntryBudget.h"

namespace quelvane {

// Reads the member area of a physical file: its record format (fields) and its member list.
class MemberInformationReader {
  public:
    // The fields and members decoded are taken from `budget`.
    MemberInformationReader(Catalog& catalog, EbcdicTextConverter& converter, Notifier& notifier,
                            BlockFile& file, EntryBudget& budget)
        : catalog_(catalog), converter_(converter), notifier_(notifier), file_(file), budget_(budget) {}

    // Does nothing for an object whose attribute is not "PF". A member area that cannot be
    // decoded is reported ("Error:during get member information") and ends all further reading
    // from the file; what was read so far stays.
    void readMemberInformation(std::size_t part, std::size_t object);

    // Where and why decoding the member area failed; empty while it did not.
    const std::string& failure() const { return failure_; }

  private:
    std::vector<std::uint8_t> collectArea(const SavedPart& desc, SavedObject& obj);
    void decodeMemberArea(SavedPart& desc, SavedObject& obj);
    void decodeFields(const BigEndianReader& data, std::int64_t first, SavedObject& obj);
    void describeField(const BigEndianReader& data, std::int64_t position, std::int64_t length,
                       SavedField& field, FileDescription& file);
    void decodeMembers(const BigEndianReader& data, std::int64_t first, SavedObject& obj);

    Catalog& catalog_;
    EbcdicTextConverter& converter_;
    Notifier& notifier_;
    BlockFile& file_;
    EntryBudget& budget_;
    std::string failure_;
};

}  // namespace quelvane
