#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "views/MemberRecordStream.h"
#include "views/ViewSession.h"

namespace quelvane {

// The record pass every writer reads a member with: the member's record stream in the save file
// on disk, cut into slots of record length + 1 bytes, the first slot skipped, at most the
// member's record count delivered. The stream's blocks are joined as the records view joins
// them (a 32-byte header opens the first block, the 32769th after it and every 32768th after
// that). The pass ends quietly where the file ends, so a record count larger than the file can
// hold costs nothing; the pass holds one slot and one run of blocks whatever the member's size.
class ExportRecordPass {
  public:
    struct Slot {
        std::int64_t number = 0;
        std::uint8_t status = 0;
        std::span<const std::uint8_t> record;  // valid until the next call
        bool holdsRecord() const { return status == MemberRecordStream::kRecordStatus; }
    };

    // Finds the member's segment and opens the save file at the start of its stream. Raises
    // DecodingFailure when the member has no segment, the indexes are outside the catalog or
    // the save file cannot be opened.
    void open(const ViewSession& views, MemberRef ref);
    std::optional<Slot> next();
    void close();

    // Asked once every kSlotsBetweenAsks slots; false ends the pass early, as if the member
    // ended there. A batch's Cancel reaches the writers this way without a failure message.
    void setKeepGoing(std::function<bool()> keepGoing);
    static constexpr std::int64_t kSlotsBetweenAsks = 4096;

    // The most slots the member can deliver: its record count, or fewer when the save file
    // cannot hold that many after the stream's start. Where that cannot be worked out (the
    // member has no segment, the save file cannot be opened), no slots and the reason.
    struct SlotLimit {
        std::int64_t slots = 0;
        std::string failure;  // empty when `slots` was worked out
    };
    static SlotLimit slotLimit(const ViewSession& views, MemberRef ref);

  private:
    MemberRecordStream stream_;
    std::int64_t number_ = 0;
    std::function<bool()> keepGoing_;
    bool stopped_ = false;
};

}  // namespace quelvane
