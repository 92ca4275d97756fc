#include "views/MemberSlotPass.h"

#include <exception>

#include "savefile/SegmentExpansionFailure.h"

namespace quelvane {

MemberSlotPass::MemberSlotPass(MemberListingPlan plan) : plan_(std::move(plan)), validator_(*plan_.file) {}

bool MemberSlotPass::step(std::int64_t slots, std::size_t batchRows, const Batch& batch) {
    if (ended_) {
        return true;
    }
    statuses_.clear();
    try {
        if (!opened_) {
            opened_ = true;
            stream_.open(std::move(plan_.saveFile), plan_.sequence, plan_.file->recordLength,
                         plan_.recordCount, plan_.recordDistance);
        }
        readSlots(slots, batchRows, batch);
    } catch (const SegmentExpansionFailure& failure) {
        expansionFailure_ = failure.what();
        finish(SlotPassEnd::Failed);
    } catch (const std::exception&) {
        finish(SlotPassEnd::Failed);
    }
    if (!statuses_.empty()) {
        batch(statuses_);
        statuses_.clear();
    }
    return ended_;
}

void MemberSlotPass::readSlots(std::int64_t slots, std::size_t batchRows, const Batch& batch) {
    for (std::int64_t read = 0; read < slots; ++read) {
        std::optional<MemberRecordStream::Slot> slot = stream_.nextSlot();
        if (!slot) {
            finish(SlotPassEnd::Complete);
            return;
        }
        statuses_.push_back(slot->status);
        // The listing keeps the row whose fields do not decode, and ends there.
        if (slot->holdsRecord() && !validator_.decodes(slot->record)) {
            finish(SlotPassEnd::Failed);
            return;
        }
        if (statuses_.size() >= batchRows) {
            batch(statuses_);
            statuses_.clear();
        }
    }
}

void MemberSlotPass::cancel() {
    if (!ended_) {
        finish(SlotPassEnd::Cancelled);
    }
}

void MemberSlotPass::finish(SlotPassEnd end) {
    ended_ = true;
    end_ = end;
    stream_.close();
}

}  // namespace quelvane
