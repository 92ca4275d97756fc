#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "savefile/BlockSource.h"
#include "savefile/Catalog.h"
#include "savefile/ProgressReporter.h"
#include "views/NodeContentTarget.h"
#include "views/ViewOutcome.h"
#include "views/ViewSession.h"

namespace quelvane {

// Lists the records of the member `ref` names: one column
// per field, one row per record slot, each cell the field decoded. Does nothing when that member
// is already on display (unless it is the first member of its file). Ends with "Error:during
// reading records" on a failure, keeping the rows listed so far.
ViewOutcome showMemberRecords(ViewSession& session, NodeContentTarget& target, MemberRef ref);

// A member's listing once its columns stand: where its stream is and how many slots it has.
struct MemberListingPlan {
    const SavedObject* file = nullptr;
    std::int32_t sequence = 0;
    std::int32_t recordDistance = SegmentEntry::kRecordDistance;
    std::int64_t recordCount = 0;
    // The member's segment lies in the segment table's last entry, which earns " Max Error! ".
    bool maxError = false;
    std::unique_ptr<BlockSource> saveFile;
};

// The start every listing shares: the buttons, the already-shown check, the columns, the save
// file and the member's segment. Gives a plan when record slots are to be listed; otherwise
// nothing, with `outcome` saying how the display ended (its messages already given).
std::optional<MemberListingPlan> startMemberRecords(ViewSession& session, NodeContentTarget& target,
                                                    MemberRef ref, ViewOutcome& outcome);

// How a pass over a member's slots ended.
enum class SlotPassEnd { Complete, Failed, Cancelled };

// The first pass of a listing that keeps no texts: reads every slot of the plan's stream in
// order and checks that its fields decode, handing the slots' status bytes on in batches
// (`batch` is called on the calling thread, at most `batchRows` statuses at a time, and once
// more at the end). A slot whose fields do not decode is handed on and ends the pass as Failed,
// as the listing keeps the row that failed; a stream that cannot be read further ends it as
// Failed too, with `expansionFailure` set when a compressed segment could not be expanded.
// Progress is slots of the record count.
SlotPassEnd passMemberSlots(MemberListingPlan& plan, ProgressReporter& progress, std::size_t batchRows,
                            const std::function<void(std::span<const std::uint8_t>)>& batch,
                            std::string& expansionFailure);

// What a listing says once its pass has ended (nothing when it was cancelled): " Max Error! " for
// a member in the segment table's last entry, and "Error:during reading records" with the
// expansion failure, if any, for a pass that failed.
void reportListingEnd(Notifier& notifier, bool maxError, SlotPassEnd end,
                      const std::string& expansionFailure);

}  // namespace quelvane
