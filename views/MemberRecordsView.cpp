#include "views/MemberRecordsView.h"
#include "views/RecordMessages.h"

#include <algorithm>
#include <charconv>
#include <exception>
#include <vector>

#include "savefile/MemberSegment.h"
#include "savefile/SegmentExpansionFailure.h"
#include "savefile/TypeCodes.h"
#include "views/FieldDecoder.h"
#include "views/FieldTextByCcsid.h"
#include "views/MemberRecordStream.h"
#include "views/MemberSlotPass.h"
#include "views/RecordCells.h"

namespace quelvane {

namespace {

constexpr int kRecordlessImage = 1;
constexpr int kNumericWidthPerByte = 18;
constexpr int kTextWidthPerByte = 12;
constexpr std::int32_t kLastSegmentSlot = SegmentTable::kCapacity - 1;

void addColumns(ContentList& list, const SavedObject& file) {
    list.addColumn("", ContentList::kDefaultColumnWidth, ContentList::Alignment::Left,
                   ContentList::Sizing::Fixed);
    for (std::int32_t i = 0; i < file.fieldCount; ++i) {
        const SavedField& field = file.fields.at(static_cast<std::size_t>(i));
        bool numeric = isNumericFieldType(field.typeCode);
        list.addColumn(field.name, (numeric ? kNumericWidthPerByte : kTextWidthPerByte) * field.length,
                       numeric ? ContentList::Alignment::Right : ContentList::Alignment::Left,
                       ContentList::Sizing::Fixed);
    }
}

}  // namespace

std::optional<MemberListingPlan> startMemberRecords(ViewSession& session, NodeContentTarget& target,
                                                    MemberRef ref, ViewOutcome& outcome) {
    const std::int32_t partIndex = ref.part;
    const std::int32_t objectIndex = ref.object;
    const std::int32_t memberIndex = ref.member;
    target.enableExport(true);
    target.enableBatch(true);
    outcome = ViewOutcome::Shown;
    session.failureCause.clear();
    ShownMember& shown = session.shownMember;
    if (partIndex == shown.partIndex && objectIndex == shown.objectIndex &&
        memberIndex == shown.memberIndex && memberIndex != 0 && !shown.stale) {
        return std::nullopt;
    }
    ContentList& list = session.list;
    try {
        shown.partIndex = partIndex;
        shown.objectIndex = objectIndex;
        shown.memberIndex = memberIndex;
        list.clearColumns();
        list.clearRows();
        const SavedObject& file = session.catalog.objectAt(ref.file());
        const SavedMember& member = session.catalog.memberAt(ref);
        shown.recordLength = file.recordLength;
        shown.stale = false;
        addColumns(list, file);

        MemberListingPlan plan;
        plan.file = &file;
        plan.recordCount = member.recordCount;
        plan.saveFile = session.openSaveFile();
        if (plan.saveFile == nullptr || !plan.saveFile->isOpen()) {
            throw DecodingFailure("save file cannot be opened");
        }
        std::optional<std::int32_t> segment =
            findMemberSegment(session.catalog.segments, file.name, member.name);
        if (!segment) {
            session.notifier.message(kMaxErrorMessage);
            outcome = ViewOutcome::Failed;
            return std::nullopt;
        }
        plan.maxError = *segment == kLastSegmentSlot;
        plan.sequence = session.catalog.segments.slot(*segment).sequence;
        plan.recordDistance = session.catalog.segments.slot(*segment).recordDistance;
        return plan;
    } catch (const std::exception& failure) {
        session.notifier.message(kReadingErrorMessage);
        reportExpansionFailure(session.notifier, failure);
        session.keepFailureCause(failure);
        outcome = ViewOutcome::Failed;
        return std::nullopt;
    }
}

ViewOutcome showMemberRecords(ViewSession& session, NodeContentTarget& target, MemberRef ref) {
    ViewOutcome outcome = ViewOutcome::Shown;
    std::optional<MemberListingPlan> plan = startMemberRecords(session, target, ref, outcome);
    if (!plan) {
        return outcome;
    }
    ContentList& list = session.list;
    try {
        if (plan->maxError) {
            session.notifier.message(kMaxErrorMessage);
        }
        MemberRecordStream stream;
        stream.open(std::move(plan->saveFile), plan->sequence, plan->file->recordLength, plan->recordCount,
                    plan->recordDistance);
        std::unique_ptr<FieldTextByCcsid> byCcsid;
        if (session.storedCcsidHostPage) {
            byCcsid = std::make_unique<FieldTextByCcsid>(*session.storedCcsidHostPage, session.converter);
        }
        session.listedUtf8Cells = byCcsid != nullptr;
        session.ccsidFallbackNotes.clear();
        RecordCells decoder(*plan->file, session.converter, byCcsid.get());
        char caption[24];
        for (std::int64_t row = 0;; ++row) {
            std::optional<MemberRecordStream::Slot> slot = stream.nextSlot();
            if (!slot) {
                break;
            }
            char* end = std::to_chars(caption, caption + sizeof caption, row).ptr;
            list.addRow(std::string_view(caption, static_cast<std::size_t>(end - caption)),
                        slot->holdsRecord() ? ContentList::kNoImage : kRecordlessImage);
            if (slot->holdsRecord()) {
                decoder.addCells(list, slot->record);
            }
        }
        if (byCcsid != nullptr) {
            session.ccsidFallbackNotes = byCcsid->fallbackNotes();
        }
        return ViewOutcome::Shown;
    } catch (const std::exception& failure) {
        session.notifier.message(kReadingErrorMessage);
        reportExpansionFailure(session.notifier, failure);
        session.keepFailureCause(failure);
        return ViewOutcome::Failed;
    }
}

SlotPassEnd passMemberSlots(MemberListingPlan& plan, ProgressReporter& progress, std::size_t batchRows,
                            const std::function<void(std::span<const std::uint8_t>)>& batch,
                            std::string& expansionFailure) {
    const std::int64_t recordCount = plan.recordCount;
    MemberSlotPass pass(std::move(plan));
    const std::size_t size = std::max<std::size_t>(batchRows, 1);
    // Whole batches go on at once; the last, shorter one when the pass has ended.
    std::vector<std::uint8_t> rest;
    const auto handOn = [&](std::span<const std::uint8_t> statuses) {
        if (statuses.size() >= size) {
            batch(statuses);
        } else {
            rest.assign(statuses.begin(), statuses.end());
        }
    };
    while (!pass.ended()) {
        if (progress.cancelled()) {
            pass.cancel();
            break;
        }
        if (!pass.step(static_cast<std::int64_t>(size), size, handOn)) {
            progress.progress(pass.slotsRead(), recordCount);
        }
    }
    batch(rest);
    progress.progress(pass.slotsRead(), recordCount);
    expansionFailure = pass.expansionFailure();
    return pass.end();
}

void reportListingEnd(Notifier& notifier, bool maxError, SlotPassEnd end,
                      const std::string& expansionFailure) {
    if (end == SlotPassEnd::Cancelled) {
        return;
    }
    if (maxError) {
        notifier.message(kMaxErrorMessage);
    }
    if (end == SlotPassEnd::Failed) {
        notifier.message(kReadingErrorMessage);
        if (!expansionFailure.empty()) {
            notifier.message(expansionFailure);
        }
    }
}

}  // namespace quelvane
