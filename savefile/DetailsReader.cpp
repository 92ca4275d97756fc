#include "savefile/DetailsReader.h"

#include "savefile/EbcdicField.h"
#include "savefile/ReleaseCode.h"

namespace quelvane {

namespace {

constexpr std::int64_t kClockWidth = 8;
constexpr std::int64_t kDigitsWidth = 13;

// File header.
constexpr std::int64_t kWrittenClock = 0;

// Segment header of the first descriptor segment.
constexpr std::int64_t kSavingRelease = 82;
constexpr std::int64_t kTargetRelease = 84;

// Library descriptor, from its base.
constexpr std::int64_t kSaveClock = 34;
constexpr std::int64_t kSerialNumber = 53;
constexpr std::int64_t kSerialWidth = 7;
constexpr std::int64_t kSystemName = 101;
constexpr std::int64_t kSystemNameWidth = 8;

// Object directory entry.
constexpr std::int64_t kOwner = 32;
constexpr std::int64_t kNameWidth = 10;
constexpr std::int64_t kStoredSize = 67;

// Object description: length-prefixed items; the creation record follows the text, the creator
// record follows the creation record.
constexpr std::int64_t kLengthWidth = 4;
constexpr std::int64_t kLicensedProgram = 0;
constexpr std::int64_t kLicensedProgramWidth = 16;
constexpr std::int64_t kObjectRelease = 43;
constexpr std::int64_t kReleaseWidth = 6;
constexpr std::int64_t kCreated = 49;
constexpr std::int64_t kSourceChanged = 62;
constexpr std::int64_t kSourceFile = 75;
constexpr std::int64_t kSourceMember = 85;
constexpr std::int64_t kSourceLibrary = 95;
constexpr std::int64_t kCreator = 0;
constexpr std::int64_t kCreatorSystem = 10;
constexpr std::int64_t kSystemWidth = 8;

}  // namespace

std::optional<std::string> DetailsReader::text(const BigEndianReader& record, std::int64_t offset,
                                               std::int64_t width, std::int64_t limit) const {
    if (offset + width > limit || !record.contains(offset, width)) {
        return std::nullopt;
    }
    return optionalField(converter_, record.at(offset, width));
}

void DetailsReader::readFileHeader(const BigEndianReader& block0, SaveDetails& details) const {
    if (block0.contains(kWrittenClock, kClockWidth)) {
        details.writtenAt = SavedTimestamp::fromClock(block0.at(kWrittenClock, kClockWidth));
    }
}

void DetailsReader::readSegmentHeader(const BigEndianReader& segment, SaveDetails& details) const {
    if (!segment.contains(kSavingRelease, 4)) {
        return;
    }
    auto saving = static_cast<std::uint16_t>(segment.u16(kSavingRelease));
    auto target = static_cast<std::uint16_t>(segment.u16(kTargetRelease));
    if (saving != 0) {
        details.savingReleaseCode = saving;
        details.savingRelease = releaseName(saving);
    }
    if (target != 0) {
        details.targetReleaseCode = target;
        details.targetRelease = releaseName(target);
    }
}

void DetailsReader::readLibraryDescriptor(const BigEndianReader& library, std::int64_t base,
                                          bool systemNameHeld, SaveDetails& details) const {
    if (library.contains(base + kSaveClock, kClockWidth)) {
        details.savedAt = SavedTimestamp::fromClock(library.at(base + kSaveClock, kClockWidth));
    }
    auto limit = static_cast<std::int64_t>(library.size());
    details.serialNumber = text(library, base + kSerialNumber, kSerialWidth, limit);
    if (systemNameHeld) {
        details.systemName = text(library, base + kSystemName, kSystemNameWidth, limit);
    }
}

void DetailsReader::readDirectoryEntry(const BigEndianReader& entry, bool isFile,
                                       ObjectDetails& details) const {
    auto limit = static_cast<std::int64_t>(entry.size());
    details.owner = text(entry, kOwner, kNameWidth, limit);
    // Files store a number here whose unit is not known; it is not shown rather than shown wrong.
    // No object occupies 0 bytes: a zero is an unset field.
    if (!isFile && entry.contains(kStoredSize, 4) && entry.u32(kStoredSize) != 0) {
        details.size = entry.u32(kStoredSize);
    }
}

void DetailsReader::readDescription(const BigEndianReader& description, std::int64_t position,
                                    ObjectDetails& details) const {
    if (!description.contains(position, kLengthWidth)) {
        return;
    }
    std::int64_t creationLength = description.s32(position);
    std::int64_t creation = position + kLengthWidth;
    if (creationLength < 0 || !description.contains(creation, creationLength)) {
        return;
    }
    BigEndianReader record(description.at(creation, creationLength));
    details.licensedProgram = text(record, kLicensedProgram, kLicensedProgramWidth, creationLength);
    details.release = text(record, kObjectRelease, kReleaseWidth, creationLength);
    if (record.contains(kCreated, kDigitsWidth)) {
        details.created = SavedTimestamp::fromDigits(record.at(kCreated, kDigitsWidth));
    }
    if (record.contains(kSourceChanged, kDigitsWidth)) {
        details.sourceChanged = SavedTimestamp::fromDigits(record.at(kSourceChanged, kDigitsWidth));
    }
    details.sourceFile = text(record, kSourceFile, kNameWidth, creationLength);
    details.sourceMember = text(record, kSourceMember, kNameWidth, creationLength);
    details.sourceLibrary = text(record, kSourceLibrary, kNameWidth, creationLength);

    std::int64_t creatorPosition = creation + creationLength;
    if (!description.contains(creatorPosition, kLengthWidth)) {
        return;
    }
    std::int64_t creatorLength = description.s32(creatorPosition);
    if (creatorLength < 0 || !description.contains(creatorPosition + kLengthWidth, creatorLength)) {
        return;
    }
    BigEndianReader creator(description.at(creatorPosition + kLengthWidth, creatorLength));
    details.creator = text(creator, kCreator, kNameWidth, creatorLength);
    details.createdOnSystem = text(creator, kCreatorSystem, kSystemWidth, creatorLength);
}

}  // namespace quelvane
