#include "compare/StoredDigests.h"

#include <algorithm>
#include <exception>

#include "compare/DataDigest.h"
#include "describe/ObjectData.h"
#include "extract/SourceMemberLayout.h"
#include "savefile/DecodingFailure.h"
#include "savefile/FailureReason.h"
#include "savefile/MemberSegment.h"

namespace quelvane {

namespace {

StoredDigests::Digest digestOf(ObjectData& data) {
    DataDigest digest;
    for (std::int64_t at = 0; at < data.size(); at += StoredDigests::kReadStep) {
        const std::vector<std::uint8_t> bytes = data.read(at, StoredDigests::kReadStep);
        if (bytes.empty()) {
            break;
        }
        digest.add(bytes);
    }
    StoredDigests::Digest out{digest.value(), digest.length(), {}};
    if (out.bytes < data.size() || data.truncated()) {
        out.unread = "its data is cut short";
    }
    return out;
}

}  // namespace

std::span<const std::uint8_t> StoredDigests::fieldBytes(std::span<const std::uint8_t> record,
                                                        const SavedField& field) {
    const auto size = static_cast<std::int64_t>(record.size());
    const std::int64_t begin = std::clamp<std::int64_t>(field.offset, 0, size);
    const std::int64_t end = std::clamp<std::int64_t>(std::int64_t{field.offset} + field.length, begin, size);
    return record.subspan(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin));
}

StoredDigests::Digest StoredDigests::object(ComparedSide& side, const SavedObject& object) {
    try {
        std::unique_ptr<BlockSource> source = side.open();
        std::string why;
        std::optional<ObjectData> data = ObjectData::locate(*source, side.catalog(), object, why);
        if (!data) {
            return {};
        }
        return digestOf(*data);
    } catch (const std::exception& failure) {
        return {0, 0, failureReason(failure)};
    }
}

StoredDigests::Digest StoredDigests::segment(ComparedSide& side, std::int64_t headerBlock,
                                             std::int32_t blocks) {
    try {
        std::unique_ptr<BlockSource> source = side.open();
        ObjectData data(*source, headerBlock, blocks);
        return digestOf(data);
    } catch (const std::exception& failure) {
        return {0, 0, failureReason(failure)};
    }
}

void StoredDigests::openMember(ComparedSide& side, const SavedObject& file, const SavedMember& member,
                               MemberRecordStream& stream) {
    const Catalog& catalog = side.catalog();
    const std::optional<std::int32_t> segment = findMemberSegment(catalog.segments, file.name, member.name);
    if (!segment) {
        throw DecodingFailure("no stored records found for the member");
    }
    const SegmentEntry& entry = catalog.segments.slot(*segment);
    if (!stream.open(side.open(), entry.sequence, file.recordLength, member.recordCount,
                     entry.recordDistance)) {
        throw DecodingFailure("the save file cannot be opened");
    }
}

StoredDigests::Digest StoredDigests::member(ComparedSide& side, const SavedObject& file,
                                            const SavedMember& member, bool withDates) {
    const bool linesOnly = !withDates && SourceMemberLayout::matches(file);
    try {
        MemberRecordStream stream;
        openMember(side, file, member, stream);
        DataDigest digest;
        while (std::optional<MemberRecordStream::Slot> slot = stream.nextSlot()) {
            digest.add(slot->status);
            if (!slot->holdsRecord()) {
                continue;
            }
            digest.add(linesOnly ? fieldBytes(slot->record, file.fields[SourceMemberLayout::kTextField])
                                 : slot->record);
        }
        Digest out{digest.value(), digest.length(), {}};
        if (stream.slotsRead() < member.recordCount) {
            out.unread = "its records end after " + std::to_string(stream.slotsRead()) + " of " +
                         std::to_string(member.recordCount);
        }
        return out;
    } catch (const std::exception& failure) {
        return {0, 0, failureReason(failure)};
    }
}

}  // namespace quelvane
