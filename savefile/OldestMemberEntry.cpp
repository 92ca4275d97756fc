#include "savefile/OldestMemberEntry.h"

#include "savefile/EbcdicField.h"

namespace quelvane {

namespace {

constexpr std::int64_t kCountWidth = 4;

}  // namespace

void OldestMemberEntry::decode(const BigEndianReader& entry, EbcdicTextConverter& converter,
                               SavedMember& member) {
    member = SavedMember{};
    if (entry.contains(kName, kNameWidth)) {
        member.name = convertField(converter, entry.at(kName, kNameWidth), true);
    }
    if (entry.contains(kText, kTextWidth)) {
        member.text = convertField(converter, entry.at(kText, kTextWidth), true);
    }
    if (entry.contains(kCreated, kDateWidth)) {
        member.created = SavedTimestamp::fromDigits(entry.at(kCreated, kDateWidth));
    }
    if (entry.contains(kRecordCount, kCountWidth)) {
        member.recordCount = entry.s32(kRecordCount);
    }
    if (entry.contains(kType, kNameWidth)) {
        member.type = convertField(converter, entry.at(kType, kNameWidth), true);
    }
    if (entry.contains(kChanged, kDateWidth)) {
        member.changed = SavedTimestamp::fromDigits(entry.at(kChanged, kDateWidth));
    }
}

}  // namespace quelvane
