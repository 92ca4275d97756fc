#include "compare/MemberComparer.h"

#include <algorithm>
#include <exception>

#include "compare/StoredDigests.h"
#include "extract/RecordTexts.h"
#include "extract/SourceMemberLayout.h"
#include "savefile/FailureReason.h"
#include "views/MemberRecordStream.h"

namespace quelvane {

namespace {

std::string dateText(const std::optional<SavedTimestamp>& date) {
    return date ? date->text() : "";
}

void noteChange(std::vector<ValueChange>& changes, const char* what, const std::string& before,
                const std::string& after) {
    if (before != after) {
        changes.push_back({what, before, after});
    }
}

// The fields of one record pair by name, each whose text differs; a field on one side only
// shows an empty value on the other.
std::vector<ValueChange> fieldChanges(const RecordTexts& oldTexts, const RecordTexts& newTexts) {
    std::vector<ValueChange> changes;
    const auto indexOf = [](const RecordTexts& texts, const std::string& name) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < texts.size(); ++i) {
            if (texts.name(i) == name) {
                return i;
            }
        }
        return std::nullopt;
    };
    for (std::size_t i = 0; i < newTexts.size(); ++i) {
        const std::optional<std::size_t> old = indexOf(oldTexts, newTexts.name(i));
        noteChange(changes, newTexts.name(i).c_str(), old ? oldTexts.text(*old) : "", newTexts.text(i));
    }
    for (std::size_t i = 0; i < oldTexts.size(); ++i) {
        if (!indexOf(newTexts, oldTexts.name(i))) {
            noteChange(changes, oldTexts.name(i).c_str(), oldTexts.text(i), "");
        }
    }
    return changes;
}

}  // namespace

std::vector<std::string> MemberComparer::sourceLines(ComparedSide& side, const SavedObject& file,
                                                     const SavedMember& member) const {
    MemberRecordStream stream;
    StoredDigests::openMember(side, file, member, stream);
    RecordTexts texts(file, side.converter(), side.utf8(), &side.fields());
    std::vector<std::string> lines;
    while (std::optional<MemberRecordStream::Slot> slot = stream.nextSlot()) {
        if (!slot->holdsRecord()) {
            continue;
        }
        texts.decode(slot->record);
        const std::string& text = texts.text(SourceMemberLayout::kTextField);
        lines.push_back(withDates_ ? texts.text(SourceMemberLayout::kSequenceField) + " " +
                                         texts.text(SourceMemberLayout::kDateField) + " " + text
                                   : text);
    }
    return lines;
}

std::optional<MemberComparison> MemberComparer::compare(const SavedObject& oldFile,
                                                        const SavedMember& oldMember,
                                                        const SavedObject& newFile,
                                                        const SavedMember& newMember,
                                                        const std::string& node) {
    MemberComparison out;
    out.name = after_.plain(newMember.name);
    out.node = node;
    out.source = SourceMemberLayout::matches(newFile) && SourceMemberLayout::matches(oldFile);
    noteChange(out.changes, "record count", std::to_string(oldMember.recordCount),
               std::to_string(newMember.recordCount));
    noteChange(out.changes, "type", before_.plain(oldMember.type), after_.plain(newMember.type));
    noteChange(out.changes, "text", before_.memberText(oldFile, oldMember),
               after_.memberText(newFile, newMember));
    noteChange(out.changes, "created", dateText(oldMember.created), dateText(newMember.created));
    noteChange(out.changes, "changed", dateText(oldMember.changed), dateText(newMember.changed));

    const StoredDigests::Digest oldDigest = StoredDigests::member(before_, oldFile, oldMember, withDates_);
    const StoredDigests::Digest newDigest = StoredDigests::member(after_, newFile, newMember, withDates_);
    out.contentDiffers = !(oldDigest == newDigest);
    if (out.contentDiffers) {
        try {
            if (out.source) {
                const UnifiedDiff diff(sourceLines(before_, oldFile, oldMember),
                                       sourceLines(after_, newFile, newMember));
                out.lines = {diff.added(), diff.removed(), diff.hunks()};
            } else {
                compareRecords(oldFile, oldMember, newFile, newMember, out);
            }
        } catch (const std::exception& failure) {
            out.unread = failureReason(failure);
        }
        if (out.unread.empty() && !(oldDigest.read() && newDigest.read())) {
            out.unread = !oldDigest.read() ? "before: " + oldDigest.unread : "after: " + newDigest.unread;
        }
    }
    if (out.changes.empty() && !out.contentDiffers) {
        return std::nullopt;
    }
    return out;
}

void MemberComparer::compareRecords(const SavedObject& oldFile, const SavedMember& oldMember,
                                    const SavedObject& newFile, const SavedMember& newMember,
                                    MemberComparison& out) {
    MemberRecordStream oldStream;
    MemberRecordStream newStream;
    StoredDigests::openMember(before_, oldFile, oldMember, oldStream);
    StoredDigests::openMember(after_, newFile, newMember, newStream);
    RecordTexts oldTexts(oldFile, before_.converter(), before_.utf8(), &before_.fields());
    RecordTexts newTexts(newFile, after_.converter(), after_.utf8(), &after_.fields());
    std::int64_t recordNumber = 0;
    for (;;) {
        const std::optional<MemberRecordStream::Slot> oldSlot = oldStream.nextSlot();
        const std::optional<MemberRecordStream::Slot> newSlot = newStream.nextSlot();
        if (!oldSlot && !newSlot) {
            break;
        }
        ++recordNumber;
        const bool oldHolds = oldSlot && oldSlot->holdsRecord();
        const bool newHolds = newSlot && newSlot->holdsRecord();
        if (oldHolds && newHolds) {
            // std::equal over the spans: the libc++ of the WebAssembly build has no ranges::equal.
            if (std::equal(oldSlot->record.begin(), oldSlot->record.end(), newSlot->record.begin(),
                           newSlot->record.end())) {
                continue;
            }
            ++out.recordsChanged;
            if (out.records.size() < kRecordsShown) {
                oldTexts.decode(oldSlot->record);
                newTexts.decode(newSlot->record);
                out.records.push_back({recordNumber, fieldChanges(oldTexts, newTexts)});
            }
        } else if (oldHolds) {
            ++out.recordsRemoved;
        } else if (newHolds) {
            ++out.recordsAdded;
        }
    }
}

}  // namespace quelvane
