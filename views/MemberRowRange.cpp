#include "views/MemberRowRange.h"

#include <algorithm>
#include <charconv>
#include <exception>
#include <memory>

#include "savefile/SegmentExpansionFailure.h"
#include "views/FieldTextByCcsid.h"
#include "views/MemberRecordStream.h"
#include "views/MemberRecordsView.h"
#include "views/MemberSlotReader.h"
#include "views/RecordCells.h"
#include "views/RecordMessages.h"

namespace quelvane {

namespace {

constexpr int kRecordlessImage = 1;

std::optional<std::int64_t> number(std::string_view text) {
    if (text.empty() || text.size() > MemberRowRange::kLargestDigits ||
        text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

}  // namespace

std::optional<MemberRowRange> MemberRowRange::parse(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<std::int64_t> first = number(text.substr(0, colon));
    const std::optional<std::int64_t> count = number(text.substr(colon + 1));
    if (!first || !count) {
        return std::nullopt;
    }
    return MemberRowRange{*first, *count};
}

ViewOutcome showMemberRowRange(ViewSession& session, NodeContentTarget& target, MemberRef ref,
                               MemberRowRange range) {
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
        MemberSlotReader reader(std::move(plan->saveFile), plan->sequence, plan->file->recordLength,
                                plan->recordDistance);
        std::unique_ptr<FieldTextByCcsid> byCcsid;
        if (session.storedCcsidHostPage) {
            byCcsid = std::make_unique<FieldTextByCcsid>(*session.storedCcsidHostPage, session.converter);
        }
        session.listedUtf8Cells = byCcsid != nullptr;
        session.ccsidFallbackNotes.clear();
        RecordCells cells(*plan->file, session.converter, byCcsid.get());
        const std::int64_t end =
            std::min(range.first + range.count, std::max<std::int64_t>(plan->recordCount, 0));
        char caption[24];
        for (std::int64_t row = range.first; row < end; ++row) {
            const std::span<const std::uint8_t> slot = reader.slot(row);
            if (slot.empty()) {
                break;
            }
            const bool holdsRecord = slot[0] == MemberRecordStream::kRecordStatus;
            char* last = std::to_chars(caption, caption + sizeof caption, row).ptr;
            list.addRow(std::string_view(caption, static_cast<std::size_t>(last - caption)),
                        holdsRecord ? ContentList::kNoImage : kRecordlessImage);
            if (holdsRecord) {
                cells.addCells(list, slot.subspan(1));
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

}  // namespace quelvane
