#include "savefile/MemberInformationReader.h"

#include <algorithm>
#include <array>
#include <vector>

#include "savefile/BigEndianReader.h"
#include "savefile/DecodingFailure.h"
#include "savefile/EbcdicField.h"
#include "savefile/FieldEntryReader.h"
#include "savefile/LibraryOffsets.h"
#include "savefile/ObjectKinds.h"
#include "savefile/OldestMemberEntry.h"
#include "savefile/RecordFormatReader.h"
#include "savefile/TypeCodes.h"

namespace quelvane {

namespace {

// Member area header, then the area data that all later offsets count from.
constexpr std::int64_t kProvisionalMemberCount = 0;
constexpr std::int64_t kAreaLength = 4;
constexpr std::int64_t kAreaHeaderWidth = 16;
constexpr std::int64_t kFormatOffset = 0;
constexpr std::int64_t kMemberListOffset = 4;
constexpr std::int64_t kMemberCount = 80;
constexpr std::int64_t kFieldCount = 157;
constexpr std::int64_t kFirstField = 159;

// The area buffer the format was written for; bytes past the collected ones read as zeros
// within it.
constexpr std::int64_t kAreaCapacity = 400096;
// Collection stops here whatever TOT says: room for the format section within that buffer,
// then one member more than the tree shows at an allowance per entry that most entries stay far
// below; the few much longer ones are covered by what the other members leave unused.
constexpr std::int64_t kMembersCollected = 1001;
constexpr std::int64_t kCollectedPerMember = 10024;
constexpr std::int64_t kAreaCollectionLimit = kAreaCapacity + kMembersCollected * kCollectedPerMember;
// The longest record the system can store.
constexpr std::int64_t kMaxRecordLength = 32766;

// Field entry.
constexpr std::int64_t kFieldEntryLength = 0;
constexpr std::int64_t kFieldName = 2;
constexpr std::int64_t kNameWidth = 10;
constexpr std::int64_t kFieldType = 23;
constexpr std::int64_t kFieldPosition = 27;
constexpr std::int64_t kFieldLength = 29;
constexpr std::int64_t kFieldDigits = 31;
constexpr std::int64_t kFieldDecimals = 33;
// The bytes of a field entry that are read: what each field takes of the file's budget.
constexpr std::int64_t kFieldEntryRead = kFieldDecimals + 2;

// Types whose length is fixed whatever the entry stores: date, time, timestamp.
struct FixedLength {
    std::uint16_t typeCode;
    std::int32_t length;
};
constexpr std::array<FixedLength, 3> kFixedLengths = {
    {{kTimestampFieldType, 10}, {kDateFieldType, 4}, {kTimeFieldType, 3}}};

// Member entry: its first word, low four bits cleared, plus 32 is its length; entries of
// exactly 672 bytes place the text and the record count differently. Entries run to tens of
// kilobytes on some files (31 952 bytes seen), but every field taken lies within the first
// kDecodedEntryPrefix bytes; an entry shorter than that reads as zeros past its end.
constexpr std::int64_t kEntryExtra = 32;
constexpr std::int64_t kDecodedEntryPrefix = 256;
constexpr std::int64_t kShortLayoutLength = 672;
constexpr std::int64_t kMemberName = 4;
constexpr std::int64_t kMemberType = 161;
constexpr std::int64_t kTextWidth = 50;
constexpr std::int64_t kShortLayoutText = 22;
constexpr std::int64_t kLongLayoutText = 47;
// The record count is a 21-byte number of which only the low four bytes are kept.
constexpr std::int64_t kShortLayoutCount = 155;
constexpr std::int64_t kLongLayoutCount = 128;
constexpr std::int64_t kCountWidth = 21;
constexpr std::int64_t kCountKept = 4;
// Dates (CYYMMDDHHMMSS) of entries in the longer layout: creation, and on source members a
// second one, most likely the last change.
constexpr std::int64_t kMemberTextCcsid = 97;
constexpr std::int64_t kMemberCreated = 99;
constexpr std::int64_t kMemberChanged = 181;
constexpr std::int64_t kDateWidth = 13;

}  // namespace

void MemberInformationReader::readMemberInformation(std::size_t part, std::size_t object) {
    SavedPart& desc = catalog_.parts.at(part);
    SavedObject& obj = desc.library.objects.at(object);
    if (!isPhysicalFile(obj)) {
        return;
    }
    try {
        decodeMemberArea(desc, obj);
    } catch (const DecodingFailure& failure) {
        notifier_.message("Error:during get member information");
        failure_ = "the member area of object " + std::to_string(object) + " of part " +
                   std::to_string(part) + ": " + failure.what();
        file_.close();
    }
}

std::vector<std::uint8_t> MemberInformationReader::collectArea(const SavedPart& desc, SavedObject& obj) {
    std::int64_t offset = LibraryOffsets::bodyOffset(desc.descriptorOffset, obj.memberAreaOffset);
    std::int64_t libraryBlock = LibraryOffsets::libraryBlockIndex(desc.libraryBlock);
    // The 16-byte header is read with the area data from the joined bodies, so a header that
    // straddles two blocks is read across them like every other structure.
    std::vector<std::uint8_t> area = file_.collectBodies(libraryBlock, offset, kAreaHeaderWidth, true);
    BigEndianReader header(area);
    obj.memberCount = header.s32(kProvisionalMemberCount);
    std::int64_t total = std::clamp<std::int64_t>(header.s32(kAreaLength), 0, kAreaCollectionLimit);
    std::int64_t wanted = kAreaHeaderWidth + total;
    if (static_cast<std::int64_t>(area.size()) < wanted) {
        area = file_.collectBodies(libraryBlock, offset, wanted, true);
    }
    // Only the TOT bytes belong to the area; past them, and past a short read, the area reads as
    // zeros up to the buffer the format was written for, so a member count that runs past the
    // stored entries ends in empty 32-byte entries.
    area.resize(std::min(area.size(), static_cast<std::size_t>(wanted)));
    area.erase(area.begin(), area.begin() + std::min<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(area.size()),
                                                                     kAreaHeaderWidth));
    if (static_cast<std::int64_t>(area.size()) < kAreaCapacity) {
        area.resize(static_cast<std::size_t>(kAreaCapacity), 0);
    }
    return area;
}

void MemberInformationReader::decodeMemberArea(SavedPart& desc, SavedObject& obj) {
    std::vector<std::uint8_t> area = collectArea(desc, obj);
    BigEndianReader data(area);

    std::int64_t members = data.u24(kMemberCount);
    if (members == 0) {
        members = obj.memberCount;
    } else {
        obj.memberCount = static_cast<std::int32_t>(members);
    }
    obj.members.clear();
    if (members < 0) {
        throw DecodingFailure("negative member count");
    }
    // Every member entry is at least kEntryExtra bytes long, so the area cannot hold more entries
    // than this; a larger count fails before its entries are reached, without a huge array.
    std::int64_t decodable = static_cast<std::int64_t>(data.size()) / kEntryExtra + 1;
    budget_.take(std::min(members, decodable), kEntryExtra, "member entries");
    obj.members.resize(static_cast<std::size_t>(std::min(members, decodable)));

    std::int64_t format = data.s32(kFormatOffset);
    std::int64_t memberList = data.s32(kMemberListOffset);
    std::int64_t fieldCount = data.u16(format + kFieldCount);
    obj.fields.clear();
    budget_.take(fieldCount, kFieldEntryRead, "field entries");
    obj.fields.resize(static_cast<std::size_t>(fieldCount));
    obj.fieldCount = static_cast<std::int32_t>(fieldCount);
    obj.memberCount = static_cast<std::int32_t>(members);
    obj.recordLength = 0;
    obj.description = {};
    try {
        obj.description = RecordFormatReader::read(data, format, converter_);
    } catch (const DecodingFailure& failure) {
        obj.description.failure = failure.what();
    }
    decodeFields(data, format + kFirstField, obj);
    decodeMembers(data, memberList, obj);
}

void MemberInformationReader::decodeFields(const BigEndianReader& data, std::int64_t first,
                                           SavedObject& obj) {
    std::int64_t position = first;
    std::int64_t step = 0;
    // Sums in 64 bits: 65535 entries of up to 65535 bytes each would pass any 32-bit total.
    std::int64_t recordLength = 0;
    std::int64_t nextOffset = 0;
    for (std::size_t i = 0; i < obj.fields.size(); ++i) {
        position += step;
        step = data.u16(position + kFieldEntryLength);
        SavedField& field = obj.fields[i];
        field.name = convertField(converter_, data.at(position + kFieldName, kNameWidth), true);
        describeField(data, position, step, field, obj.description);
        field.typeCode = static_cast<std::uint16_t>(data.u16(position + kFieldType));
        std::int64_t offset = data.u16(position + kFieldPosition);
        std::int64_t length = data.u16(position + kFieldLength);
        field.digits = static_cast<std::int32_t>(data.u16(position + kFieldDigits));
        field.decimals = static_cast<std::int32_t>(data.u16(position + kFieldDecimals));
        for (const FixedLength& fixed : kFixedLengths) {
            if (field.typeCode == fixed.typeCode) {
                length = fixed.length;
            }
        }
        if (i > 0) {
            offset = nextOffset;
        }
        recordLength += length;
        if (recordLength > kMaxRecordLength) {
            throw DecodingFailure("record format longer than a record can be");
        }
        field.offset = static_cast<std::int32_t>(offset);
        field.length = static_cast<std::int32_t>(length);
        nextOffset = offset + length;
    }
    obj.recordLength = static_cast<std::int32_t>(recordLength);
}

void MemberInformationReader::describeField(const BigEndianReader& data, std::int64_t position,
                                            std::int64_t length, SavedField& field, FileDescription& file) {
    field.description = {};
    if (!file.read) {
        return;
    }
    // A part of the description that does not fit fails the file's description only: its
    // records still read by the layout.
    try {
        field.description = FieldEntryReader::read(BigEndianReader(data.at(position, length)), converter_);
    } catch (const DecodingFailure& failure) {
        file.read = false;
        file.failure = "field " + field.name + ": " + failure.what();
    }
}

void MemberInformationReader::decodeMembers(const BigEndianReader& data, std::int64_t first,
                                            SavedObject& obj) {
    std::int64_t position = first;
    std::int64_t step = 0;
    std::array<std::uint8_t, kDecodedEntryPrefix> prefix{};
    for (std::int64_t k = 0; k < obj.memberCount; ++k) {
        position += step;
        step = static_cast<std::int64_t>(data.u32(position)) / 16 * 16 + kEntryExtra;
        // The whole entry must lie in the area, however long it is; its tail is not read.
        std::span<const std::uint8_t> stored = data.at(position, step);
        prefix.fill(0);
        std::copy_n(stored.begin(), std::min<std::int64_t>(step, kDecodedEntryPrefix), prefix.begin());
        BigEndianReader entry(prefix);

        if (k >= static_cast<std::int64_t>(obj.members.size())) {
            throw DecodingFailure("member index outside the member list");
        }
        SavedMember& member = obj.members[static_cast<std::size_t>(k)];
        if (catalog_.header.oldestLayout) {
            OldestMemberEntry::decode(BigEndianReader(stored), converter_, member);
            continue;
        }
        bool shortLayout = step == kShortLayoutLength;
        member.name = convertField(converter_, entry.at(kMemberName, kNameWidth), true);
        member.text = convertField(
            converter_, entry.at(shortLayout ? kShortLayoutText : kLongLayoutText, kTextWidth), true);
        member.type = convertField(converter_, entry.at(kMemberType, kNameWidth), true);
        std::span<const std::uint8_t> text =
            entry.at(shortLayout ? kShortLayoutText : kLongLayoutText, kTextWidth);
        member.storedText = {
            {text.begin(), text.end()},
            shortLayout ? std::uint16_t{0} : static_cast<std::uint16_t>(entry.u16(kMemberTextCcsid))};
        std::int64_t count = (shortLayout ? kShortLayoutCount : kLongLayoutCount) + kCountWidth - kCountKept;
        member.recordCount = entry.s32(count);
        if (step == kEntryExtra) {
            member.recordCount = 0;
        }
        member.created.reset();
        member.changed.reset();
        if (!shortLayout && step >= kMemberChanged + kDateWidth) {
            member.created = SavedTimestamp::fromDigits(entry.at(kMemberCreated, kDateWidth));
            member.changed = SavedTimestamp::fromDigits(entry.at(kMemberChanged, kDateWidth));
        } else if (!shortLayout && step >= kMemberCreated + kDateWidth) {
            member.created = SavedTimestamp::fromDigits(entry.at(kMemberCreated, kDateWidth));
        }
    }
}

}  // namespace quelvane
