#include "export/ExportRecordPass.h"

#include <algorithm>

#include "savefile/BlockFile.h"
#include "savefile/DecodingFailure.h"
#include "savefile/FailureReason.h"
#include "savefile/MemberSegment.h"

namespace quelvane {

namespace {

constexpr const char* kSaveFileNotOpened = "the save file cannot be opened";

struct MemberPlace {
    std::int32_t sequence = 0;
    std::int32_t recordLength = 0;
    std::int32_t recordCount = 0;
    std::int32_t recordDistance = SegmentEntry::kRecordDistance;
};

MemberPlace locate(const ViewSession& views, MemberRef ref) {
    const Catalog& catalog = views.catalog;
    const SavedObject& file = catalog.objectAt(ref.file());
    const SavedMember& member = catalog.memberAt(ref);
    const std::optional<std::int32_t> segment = findMemberSegment(catalog.segments, file.name, member.name);
    if (!segment) {
        throw DecodingFailure("no segment holds member " + member.name);
    }
    const SegmentEntry& entry = catalog.segments.slot(*segment);
    return {entry.sequence, file.recordLength, member.recordCount, entry.recordDistance};
}

}  // namespace

void ExportRecordPass::open(const ViewSession& views, MemberRef ref) {
    close();
    const MemberPlace place = locate(views, ref);
    if (!stream_.open(views.openSaveFile(), place.sequence, place.recordLength, place.recordCount,
                      place.recordDistance)) {
        throw DecodingFailure(kSaveFileNotOpened);
    }
}

std::optional<ExportRecordPass::Slot> ExportRecordPass::next() {
    if (stopped_) {
        return std::nullopt;
    }
    if (keepGoing_ && number_ > 0 && number_ % kSlotsBetweenAsks == 0 && !keepGoing_()) {
        stopped_ = true;
        return std::nullopt;
    }
    const std::optional<MemberRecordStream::Slot> slot = stream_.nextSlot();
    if (!slot) {
        return std::nullopt;
    }
    return Slot{number_++, slot->status, slot->record};
}

void ExportRecordPass::close() {
    stream_.close();
    number_ = 0;
    stopped_ = false;
}

void ExportRecordPass::setKeepGoing(std::function<bool()> keepGoing) {
    keepGoing_ = std::move(keepGoing);
}

ExportRecordPass::SlotLimit ExportRecordPass::slotLimit(const ViewSession& views, MemberRef ref) {
    MemberPlace place;
    try {
        place = locate(views, ref);
    } catch (const std::exception& failure) {
        return {0, failureReason(failure)};
    }
    const std::unique_ptr<BlockSource> saveFile = views.openSaveFile();
    if (saveFile == nullptr || !saveFile->isOpen()) {
        return {0, kSaveFileNotOpened};
    }
    // Every block from the stream's first on gives at most a whole body.
    const std::int64_t firstBlock = std::int64_t{place.sequence} + place.recordDistance;
    const std::int64_t blocks =
        std::max<std::int64_t>(saveFile->size() / BlockFile::kBlockSize - firstBlock, 0);
    const std::int64_t slotSize = std::int64_t{std::max(place.recordLength, 0)} + 1;
    const std::int64_t slots = std::max<std::int64_t>(blocks * BlockFile::kBodySize / slotSize - 1, 0);
    return {std::min<std::int64_t>(std::max(place.recordCount, 0), slots), {}};
}

}  // namespace quelvane
