#include "savefile/ObjectDirectoryReader.h"

#include <algorithm>
#include <vector>

#include "savefile/BigEndianReader.h"
#include "savefile/DecodingFailure.h"
#include "savefile/DetailsReader.h"
#include "savefile/EbcdicField.h"
#include "savefile/LibraryOffsets.h"
#include "savefile/MemberInformationReader.h"
#include "savefile/TypeCodes.h"

namespace quelvane {

namespace {

// Directory entry.
constexpr std::int64_t kObjectName = 0;
constexpr std::int64_t kObjectNameWidth = 10;
constexpr std::int64_t kObjectType = 30;
constexpr std::int64_t kMemberAreaOffset = 71;
constexpr std::int64_t kDescriptionOffset = 75;

// Object description: length-prefixed items; the attribute follows the fifth length.
constexpr std::int64_t kDescriptionBytes = 1024;
constexpr std::int64_t kMaxDescriptionBytes = 64 * 1024;
constexpr std::int64_t kLengthWidth = 4;
// Between the text and the attribute: three items nobody reads, then a fifth length.
constexpr int kSkippedItems = 3;
constexpr std::int64_t kTextCapacity = 50;
constexpr std::int64_t kAttributeWidth = 10;

}  // namespace

void ObjectDirectoryReader::readObjectDirectory() {
    std::size_t part = 0;
    try {
        for (; part < catalog_.parts.size(); ++part) {
            readPartDirectory(part);
        }
    } catch (const DecodingFailure& failure) {
        stopReading("the object directory of part " + std::to_string(part), failure.what());
    }
}

void ObjectDirectoryReader::stopReading(const std::string& where, const std::string& why) {
    if (stopReason_.empty()) {
        stopReason_ = where + ": " + why;
    }
    file_.close();
}

void ObjectDirectoryReader::readPartDirectory(std::size_t part) {
    SavedPart& desc = catalog_.parts.at(part);
    SavedLibrary& library = desc.library;
    library.objects.clear();
    if (library.objectCount < 0) {
        throw DecodingFailure("negative object count");
    }
    // Entries past the limit are never read or shown, so they need no room either.
    library.objectCount = std::min(library.objectCount, kMaxObjects);

    std::int64_t start = desc.descriptorOffset % BlockFile::kBodySize + catalog_.header.directoryStart;
    std::vector<std::uint8_t> directory =
        file_.collectBodies(LibraryOffsets::libraryBlockIndex(desc.libraryBlock), start,
                            library.objectCount * kEntryWidth, false);
    // A file that ends inside the directory holds only its complete entries.
    auto complete = static_cast<std::int32_t>(static_cast<std::int64_t>(directory.size()) / kEntryWidth);
    const std::int32_t held = std::min(library.objectCount, complete);
    // Room only for the entries the file holds, and only while the file holds them: the
    // directories of many parts may all claim the same bytes. A part refused lists no objects.
    library.objectCount = 0;
    budget_.take(held, kEntryWidth, "object entries");
    library.objectCount = held;
    library.objects.resize(static_cast<std::size_t>(held));

    BigEndianReader entries(directory);
    for (std::int32_t j = 0; j < library.objectCount; ++j) {
        BigEndianReader entry(entries.at(j * kEntryWidth, kEntryWidth));
        SavedObject& object = library.objects.at(static_cast<std::size_t>(j));
        object.name = convertField(converter_, entry.at(kObjectName, kObjectNameWidth), true);
        object.typeCode = static_cast<std::uint16_t>(entry.u16(kObjectType));
        object.memberAreaOffset = entry.s32(kMemberAreaOffset);
        object.descriptionOffset = entry.s32(kDescriptionOffset);
        object.memberCount = 0;
        object.fieldCount = 0;
        object.details = ObjectDetails{};
        DetailsReader(converter_)
            .readDirectoryEntry(entry, object.typeCode == kFileObjectType, object.details);
        if (!file_.isOpen()) {
            continue;
        }
        try {
            readObjectDescription(part, static_cast<std::size_t>(j));
        } catch (const DecodingFailure& failure) {
            stopReading("the description of object " + std::to_string(j) + " of part " + std::to_string(part),
                        failure.what());
            continue;
        }
        MemberInformationReader members(catalog_, converter_, notifier_, file_, budget_);
        members.readMemberInformation(part, static_cast<std::size_t>(j));
        if (!members.failure().empty() && stopReason_.empty()) {
            stopReason_ = members.failure();
        }
    }
}

void ObjectDirectoryReader::readObjectDescription(std::size_t part, std::size_t object) {
    SavedPart& desc = catalog_.parts.at(part);
    SavedObject& obj = desc.library.objects.at(object);
    std::int64_t offset = LibraryOffsets::bodyOffset(desc.descriptorOffset, obj.descriptionOffset);
    // Most descriptions fit in 1024 bytes, but their fourth item can be longer (1430 bytes for
    // a program of 1995 on a V6R1 save): the read grows until the attribute is inside it.
    for (std::int64_t wanted = kDescriptionBytes;; wanted *= 2) {
        std::vector<std::uint8_t> collected =
            file_.collectBodies(LibraryOffsets::libraryBlockIndex(desc.libraryBlock), offset, wanted, true);
        try {
            decodeDescription(collected, obj);
            return;
        } catch (const DecodingFailure&) {
            if (wanted >= kMaxDescriptionBytes || static_cast<std::int64_t>(collected.size()) < wanted) {
                throw;
            }
        }
    }
}

void ObjectDirectoryReader::decodeDescription(const std::vector<std::uint8_t>& collected, SavedObject& obj) {
    BigEndianReader description(collected);
    std::int64_t textLength = description.s32(0);
    obj.text.clear();
    obj.storedText = {};
    // The text field holds 50 characters; a longer text keeps its first 50.
    std::span<const std::uint8_t> text = description.at(kLengthWidth, textLength);
    text = text.first(static_cast<std::size_t>(std::min(textLength, kTextCapacity)));
    obj.text = convertField(converter_, text, true);
    obj.storedText = {{text.begin(), text.end()}, 0};

    std::int64_t position = kLengthWidth + textLength;
    DetailsReader(converter_).readDescription(description, position, obj.details);
    for (int item = 0; item < kSkippedItems; ++item) {
        position += kLengthWidth + description.s32(position);
    }
    obj.attribute.clear();
    obj.attribute = convertField(converter_, description.at(position + kLengthWidth, kAttributeWidth), true);
}

}  // namespace quelvane
