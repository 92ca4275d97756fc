#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "views/MemberRecordStream.h"
#include "views/MemberRecordsView.h"
#include "views/SlotValidator.h"

namespace quelvane {

// The first pass of a listing taken in steps, for a caller that has no thread to spare (a page's
// worker lists the first rows of a large member at once and the rest between its other work).
// Each step reads up to a given number of slots in order, checks that their fields decode and
// hands their status bytes on; the pass ends as passMemberSlots describes.
class MemberSlotPass {
  public:
    using Batch = std::function<void(std::span<const std::uint8_t>)>;

    explicit MemberSlotPass(MemberListingPlan plan);

    // Reads up to `slots` more slots, handing their statuses to `batch` at most `batchRows` at
    // a time (the rest at the end of the step). Answers whether the pass has ended.
    bool step(std::int64_t slots, std::size_t batchRows, const Batch& batch);
    void cancel();

    bool ended() const { return ended_; }
    SlotPassEnd end() const { return end_; }
    const std::string& expansionFailure() const { return expansionFailure_; }
    std::int64_t slotsRead() const { return stream_.slotsRead(); }
    std::int64_t recordCount() const { return plan_.recordCount; }
    bool maxError() const { return plan_.maxError; }

  private:
    void readSlots(std::int64_t slots, std::size_t batchRows, const Batch& batch);
    void finish(SlotPassEnd end);

    MemberListingPlan plan_;
    MemberRecordStream stream_;
    SlotValidator validator_;
    std::vector<std::uint8_t> statuses_;
    bool opened_ = false;
    bool ended_ = false;
    SlotPassEnd end_ = SlotPassEnd::Complete;
    std::string expansionFailure_;
};

}  // namespace quelvane
