#include "tests/support/SaveFileBuilder.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include <fcntl.h>
#include <unistd.h>

#include "savefile/RecordCheck.h"
#include "tests/support/Cp037Table.h"

namespace quelvane::test {

namespace {

constexpr std::int64_t kBlock = 528;
constexpr std::int64_t kBody = 512;
constexpr std::uint8_t kEbcdicSpace = 0x40;
constexpr std::int64_t kDirectoryEntry = 151;
constexpr std::int64_t kLibraryDescriptorBytes = 128;
constexpr std::int64_t kAlign = 16;
constexpr std::int64_t kMinimumSegment = 16;
constexpr std::uint32_t kDefaultFormatOffset = 96;
constexpr std::int64_t kFieldSectionStart = 159;

std::int64_t alignUp(std::int64_t value, std::int64_t unit) {
    return (value + unit - 1) / unit * unit;
}

// Blocks of the file under construction; every block touched gets its sequence number.
class BlockWriter {
  public:
    explicit BlockWriter(SaveFileImage& image) : image_(image) {}

    std::array<std::uint8_t, 528>& block(std::int64_t index) {
        auto [it, inserted] = image_.blocks.try_emplace(index);
        if (inserted) {
            it->second.fill(0);
            std::vector<std::uint8_t> sequence(4);
            SaveFileBuilder::putU32(sequence, 0, static_cast<std::uint32_t>(index + 1));
            std::copy(sequence.begin(), sequence.end(), it->second.begin() + kBody);
        }
        return it->second;
    }

    // Writes through the joined bodies that start with block `first`.
    void write(std::int64_t first, std::int64_t offset, const std::vector<std::uint8_t>& bytes) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            std::int64_t at = offset + static_cast<std::int64_t>(i);
            block(first + at / kBody)[static_cast<std::size_t>(at % kBody)] = bytes[i];
        }
    }

  private:
    SaveFileImage& image_;
};

void writeSegmentHeader(BlockWriter& writer, std::int64_t headerBlock, const std::string& name,
                        std::int32_t length, bool marker) {
    std::vector<std::uint8_t> header(208, 0);
    if (marker) {
        std::fill(header.begin(), header.begin() + 4, 0xFF);
    }
    SaveFileBuilder::putBytes(header, 4, SaveFileBuilder::ebcdic(name, 30));
    SaveFileBuilder::putU32(header, 204, static_cast<std::uint32_t>(length));
    writer.write(headerBlock, 0, header);
}

std::int64_t placementEnd(const std::vector<Placement>& placements) {
    std::int64_t end = 1;
    for (const Placement& p : placements) {
        end = std::max(end,
                       p.block + (p.offset + static_cast<std::int64_t>(p.bytes.size()) + kBody - 1) / kBody);
    }
    return end;
}

std::int32_t writePart(BlockWriter& writer, std::int64_t headerBlock, const BuiltPart& part, bool oldest,
                       PartPlace& place) {
    const std::uint32_t v = part.descriptorOffset;
    place.descriptorBlock = headerBlock + (oldest ? 1 : 8);
    place.libraryBlock = place.descriptorBlock + (v > 512 ? v / 512 : 0);
    place.base = v > 512 ? 0 : 256;
    place.directoryOffset = v % 512 + (part.sysbas ? 112 : 80);

    std::vector<std::uint8_t> descriptor(46, 0);
    SaveFileBuilder::putU24(descriptor, 29, v);
    descriptor[34] = 0x19;
    descriptor[35] = 0xDB;
    SaveFileBuilder::putBytes(descriptor, 36, SaveFileBuilder::ebcdic("QSRDSSPC.1", 10));
    writer.write(place.descriptorBlock, 0, descriptor);

    std::int64_t cursor = alignUp(
        std::max(place.base + kLibraryDescriptorBytes,
                 place.directoryOffset + kDirectoryEntry * static_cast<std::int64_t>(part.objects.size())),
        kAlign);
    std::vector<std::uint8_t> directory(part.objects.size() * kDirectoryEntry, 0);
    for (std::size_t j = 0; j < part.objects.size(); ++j) {
        const BuiltObject& object = part.objects[j];
        std::size_t entry = j * kDirectoryEntry;
        SaveFileBuilder::putBytes(directory, entry, SaveFileBuilder::ebcdic(object.name, 10));
        SaveFileBuilder::putU16(directory, entry + 30, object.typeCode);

        std::vector<std::uint8_t> text =
            object.rawDescription ? *object.rawDescription : SaveFileBuilder::description(object);
        std::int64_t descriptionAt = cursor;
        writer.write(place.libraryBlock, descriptionAt, text);
        cursor = alignUp(cursor + static_cast<std::int64_t>(text.size()), kAlign);

        std::int64_t areaAt = 0;
        if (object.memberArea || object.attribute == "PF" || object.rawMemberArea) {
            std::vector<std::uint8_t> area =
                object.rawMemberArea ? *object.rawMemberArea : SaveFileBuilder::memberArea(object, oldest);
            areaAt = cursor;
            writer.write(place.libraryBlock, areaAt, area);
            cursor = alignUp(cursor + static_cast<std::int64_t>(area.size()), kAlign);
        }
        std::int64_t storedDescription =
            object.descriptionOffset.value_or(static_cast<std::uint32_t>(descriptionAt - place.base));
        std::int64_t storedArea = object.memberAreaOffset.value_or(
            areaAt == 0 ? 0 : static_cast<std::uint32_t>(areaAt - place.base));
        SaveFileBuilder::putU32(directory, entry + 71, static_cast<std::uint32_t>(storedArea));
        SaveFileBuilder::putU32(directory, entry + 75, static_cast<std::uint32_t>(storedDescription));
        place.descriptionOffsets.push_back(storedDescription);
        place.memberAreaOffsets.push_back(storedArea);
    }
    writer.write(place.libraryBlock, place.directoryOffset, directory);

    // The library descriptor's own fields go last: with V = 512 the directory starts before it.
    std::vector<std::uint8_t> saveCommand = {part.saveCommand};
    std::vector<std::uint8_t> objectCount(4);
    SaveFileBuilder::putU32(objectCount, 0,
                            static_cast<std::uint32_t>(
                                part.objectCount.value_or(static_cast<std::int32_t>(part.objects.size()))));
    writer.write(place.libraryBlock, place.base, saveCommand);
    writer.write(place.libraryBlock, place.base + 2, SaveFileBuilder::ebcdic(part.library, 10));
    writer.write(place.libraryBlock, place.base + 42, objectCount);
    if (part.sysbas) {
        writer.write(place.libraryBlock, place.base + 80, SaveFileBuilder::ebcdic("*SYSBAS", 7));
    }
    for (const Placement& p : part.extraPlacements) {
        writer.write(headerBlock + p.block, p.offset, p.bytes);
    }

    std::int64_t used = (place.libraryBlock - headerBlock) + (cursor + kBody - 1) / kBody + 1;
    used = std::max(used, placementEnd(part.extraPlacements));
    std::int32_t length =
        part.length.value_or(static_cast<std::int32_t>(std::max(kMinimumSegment, alignUp(used, 8))));
    writeSegmentHeader(writer, headerBlock, part.segmentName, length, true);
    return length;
}

}  // namespace

std::vector<std::uint8_t> SaveFileBuilder::ebcdic(const std::string& text, std::size_t width) {
    std::vector<std::uint8_t> out(width, kEbcdicSpace);
    for (std::size_t i = 0; i < width && i < text.size(); ++i) {
        out[i] = kLatin1ToCp037[static_cast<std::uint8_t>(text[i])];
    }
    return out;
}

void SaveFileBuilder::putU16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    bytes.at(offset) = static_cast<std::uint8_t>(value >> 8);
    bytes.at(offset + 1) = static_cast<std::uint8_t>(value);
}

void SaveFileBuilder::putU24(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    bytes.at(offset) = static_cast<std::uint8_t>(value >> 16);
    putU16(bytes, offset + 1, value & 0xFFFF);
}

void SaveFileBuilder::putU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    putU16(bytes, offset, value >> 16);
    putU16(bytes, offset + 2, value & 0xFFFF);
}

void SaveFileBuilder::putBytes(std::vector<std::uint8_t>& bytes, std::size_t offset,
                               const std::vector<std::uint8_t>& value) {
    if (offset + value.size() > bytes.size()) {
        bytes.resize(offset + value.size());
    }
    std::copy(value.begin(), value.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

std::vector<std::uint8_t> SaveFileBuilder::description(const BuiltObject& object) {
    std::vector<std::uint8_t> out(4);
    putU32(out, 0, static_cast<std::uint32_t>(object.text.size()));
    putBytes(out, out.size(), ebcdic(object.text, object.text.size()));
    for (std::uint32_t skipped : object.skippedItems) {
        std::size_t at = out.size();
        out.resize(at + 4 + skipped, 0);
        putU32(out, at, skipped);
    }
    out.resize(out.size() + 4, 0);
    putBytes(out, out.size(), ebcdic(object.attribute, 10));
    return out;
}

// The facts of the member area's header and the record-format header.
void writeFileFacts(std::vector<std::uint8_t>& data, std::size_t format, const BuiltFileFacts& facts) {
    data.resize(std::max<std::size_t>(data.size(), 0x10B), 0);
    data[0x30] = facts.flags;
    data[0x3C] = facts.keyFlags;
    SaveFileBuilder::putU16(data, 0x7A,
                            static_cast<std::uint32_t>(std::min<std::size_t>(facts.text.size(), 50)));
    SaveFileBuilder::putBytes(data, 0x7C, SaveFileBuilder::ebcdic(facts.text, 50));
    SaveFileBuilder::putBytes(data, 0xBB, SaveFileBuilder::ebcdic(facts.sourceFile, 10));
    SaveFileBuilder::putBytes(data, 0xC5, SaveFileBuilder::ebcdic(facts.sourceMember, 10));
    SaveFileBuilder::putBytes(data, 0xCF, SaveFileBuilder::ebcdic(facts.sourceLibrary, 10));
    SaveFileBuilder::putBytes(data, 0x101, SaveFileBuilder::ebcdic(" " + facts.language, 4));
    SaveFileBuilder::putBytes(data, 0x105, SaveFileBuilder::ebcdic(facts.country, 2));
    SaveFileBuilder::putU16(data, 0x109, facts.textCcsid);
    SaveFileBuilder::putU16(data, format + 61, facts.formatCcsid);
    SaveFileBuilder::putU16(data, format + 65, facts.formatTextCcsid);
    SaveFileBuilder::putU16(data, format + 82, facts.recordLength);
    SaveFileBuilder::putBytes(data, format + 84, SaveFileBuilder::ebcdic(facts.formatName, 10));
    SaveFileBuilder::putBytes(data, format + 94, SaveFileBuilder::ebcdic(facts.levelId, 13));
    SaveFileBuilder::putBytes(data, format + 107, SaveFileBuilder::ebcdic(facts.formatText, 50));
}

// A member entry of the oldest layout: the later one without bytes 112..127.
std::vector<std::uint8_t> oldestMemberEntry(const BuiltMember& member) {
    std::size_t length = member.firstWord / 16 * 16 + 32;
    std::vector<std::uint8_t> entry(std::max<std::size_t>(length, 192), 0);
    SaveFileBuilder::putU32(entry, 0, member.firstWord);
    SaveFileBuilder::putBytes(entry, 4, SaveFileBuilder::ebcdic(member.name, 10));
    SaveFileBuilder::putBytes(entry, 47, SaveFileBuilder::ebcdic(member.text, 50));
    if (!member.created.empty()) {
        SaveFileBuilder::putBytes(entry, 99, SaveFileBuilder::ebcdic(member.created, 13));
    }
    SaveFileBuilder::putU32(entry, 129, member.recordCount);
    SaveFileBuilder::putBytes(entry, 145, SaveFileBuilder::ebcdic(member.type, 10));
    if (!member.changed.empty()) {
        SaveFileBuilder::putBytes(entry, 165, SaveFileBuilder::ebcdic(member.changed, 13));
    }
    entry.resize(length);
    return entry;
}

std::vector<std::uint8_t> SaveFileBuilder::fieldEntry(const BuiltField& field) {
    std::vector<std::uint8_t> entry(35, 0);
    if (field.facts) {
        entry.resize(static_cast<std::size_t>(field.facts->fixedPart), 0);
    }
    putBytes(entry, 2, ebcdic(field.name, 10));
    putU16(entry, 23, field.typeCode);
    putU16(entry, 27, field.position);
    putU16(entry, 29, field.length);
    putU16(entry, 31, field.digits);
    putU16(entry, 33, field.decimals);
    if (!field.facts) {
        return entry;
    }
    const BuiltFieldFacts& facts = *field.facts;
    putBytes(entry, 12, ebcdic(facts.externalName.empty() ? field.name : facts.externalName, 10));
    entry[22] = facts.varyingFlags;
    entry[35] = facts.ebcdicLetter;
    entry[39] = facts.nullFlags;
    putU16(entry, 75, facts.allocatedLength);
    putU16(entry, 79, facts.ccsid);
    putU16(entry, 81, facts.textCcsid);
    putU16(entry, 83, facts.headingsCcsid);
    auto append = [&entry](const std::vector<std::uint8_t>& part) {
        const auto offset = static_cast<std::uint32_t>(entry.size());
        entry.insert(entry.end(), part.begin(), part.end());
        return offset;
    };
    if (facts.defaultValue) {
        std::vector<std::uint8_t> block(3, 0);
        putU16(block, 0, static_cast<std::uint32_t>(3 + facts.defaultValue->size()));
        const std::vector<std::uint8_t> literal = ebcdic(*facts.defaultValue, facts.defaultValue->size());
        block.insert(block.end(), literal.begin(), literal.end());
        putU16(entry, 49, facts.defaultOffset.value_or(append(block)));
    }
    if (facts.longName) {
        std::vector<std::uint8_t> block(10, 0);
        block[1] = 0x08;
        putU16(block, 8, static_cast<std::uint32_t>(facts.longName->size()));
        const std::vector<std::uint8_t> name = ebcdic(*facts.longName, facts.longName->size());
        block.insert(block.end(), name.begin(), name.end());
        putU16(entry, 53, facts.longNameOffset.value_or(append(block)));
    }
    if (facts.text) {
        putU16(entry, 55, 50);
        putU16(entry, 57, facts.textOffset.value_or(append(ebcdic(*facts.text, 50))));
    }
    if (facts.headings) {
        std::vector<std::uint8_t> joined;
        for (const std::string& heading : *facts.headings) {
            if (!joined.empty()) {
                joined.push_back(0xFF);
            }
            const std::vector<std::uint8_t> text = ebcdic(heading, heading.size());
            joined.insert(joined.end(), text.begin(), text.end());
        }
        putU16(entry, 67, facts.headingsLength.value_or(static_cast<std::uint16_t>(joined.size())));
        putU16(entry, 69, facts.headingsOffset.value_or(append(joined)));
    }
    return entry;
}

std::vector<std::uint8_t> SaveFileBuilder::memberArea(const BuiltObject& object, bool oldestLayout) {
    auto members = static_cast<std::uint32_t>(object.members.size());
    std::uint32_t format = object.formatOffset.value_or(kDefaultFormatOffset);
    std::vector<std::uint8_t> data(std::max<std::size_t>(84, format + kFieldSectionStart), 0);
    putU16(data, format + 157, static_cast<std::uint32_t>(object.fields.size()));
    std::size_t position = format + kFieldSectionStart;
    for (const BuiltField& field : object.fields) {
        std::vector<std::uint8_t> entry = fieldEntry(field);
        const std::size_t step = field.facts && field.entryLength == 0 ? entry.size() : field.entryLength;
        putU16(entry, 0, static_cast<std::uint32_t>(step));
        putBytes(data, position, entry);
        position += step;
    }
    if (object.fileFacts) {
        writeFileFacts(data, format, *object.fileFacts);
    }
    data.resize(std::max(data.size(), position), 0);
    auto memberList = static_cast<std::uint32_t>(alignUp(static_cast<std::int64_t>(data.size()), 4));
    data.resize(memberList, 0);
    for (const BuiltMember& member : object.members) {
        if (oldestLayout) {
            putBytes(data, data.size(), oldestMemberEntry(member));
            continue;
        }
        std::size_t length = member.firstWord / 16 * 16 + 32;
        std::vector<std::uint8_t> entry(std::max<std::size_t>(length, 176), 0);
        putU32(entry, 0, member.firstWord);
        putBytes(entry, 4, ebcdic(member.name, 10));
        bool shortLayout = length == 672;
        putBytes(entry, shortLayout ? 22 : 47, ebcdic(member.text, 50));
        std::size_t count = shortLayout ? 155 : 128;
        std::fill(entry.begin() + static_cast<std::ptrdiff_t>(count),
                  entry.begin() + static_cast<std::ptrdiff_t>(count + 17), member.countHighFill);
        putBytes(entry, 161, ebcdic(member.type, 10));
        putU32(entry, count + 17, member.recordCount);
        if (!shortLayout) {
            putU16(entry, 97, member.textCcsid);
        }
        if (!shortLayout && !member.created.empty()) {
            putBytes(entry, 99, ebcdic(member.created, 13));
        }
        if (!shortLayout && !member.changed.empty()) {
            entry.resize(std::max<std::size_t>(entry.size(), 194), 0);
            putBytes(entry, 181, ebcdic(member.changed, 13));
        }
        entry.resize(length);
        putBytes(data, data.size(), entry);
    }
    putU32(data, 0, format);
    putU32(data, 4, memberList);
    putU24(data, 80, object.areaMemberCount.value_or(members));

    std::vector<std::uint8_t> area(16, 0);
    putU32(area, 0, object.provisionalMemberCount.value_or(members));
    putU32(area, 4, object.areaTotal.value_or(static_cast<std::uint32_t>(data.size())));
    putBytes(area, 16, data);
    return area;
}

SaveFileBuilder& SaveFileBuilder::add(BuiltPart part) {
    items_.emplace_back(std::move(part));
    return *this;
}

SaveFileBuilder& SaveFileBuilder::add(BuiltSegment segment) {
    items_.emplace_back(std::move(segment));
    return *this;
}

SaveFileImage SaveFileBuilder::build() const {
    SaveFileImage image;
    BlockWriter writer(image);
    std::int64_t next = oldestLayout ? 1 : std::max<std::int32_t>(headerSize, 0) / 512;
    next = std::max<std::int64_t>(next, 1);
    for (const auto& item : items_) {
        SegmentPlace segment{next, 0};
        if (const auto* part = std::get_if<BuiltPart>(&item)) {
            PartPlace place;
            segment.length = writePart(writer, next, *part, oldestLayout, place);
            image.layout.parts.push_back(std::move(place));
        } else {
            const auto& plain = std::get<BuiltSegment>(item);
            for (const Placement& p : plain.placements) {
                writer.write(next + p.block, p.offset, p.bytes);
            }
            segment.length = plain.length;
            writeSegmentHeader(writer, next, plain.name, plain.length, plain.marker);
        }
        image.layout.segments.push_back(segment);
        next += std::max<std::int32_t>(segment.length, 1);
    }
    image.blockTotal = next + trailingBlocks;
    image.extraBytes = extraBytes;

    std::vector<std::uint8_t> header(64, 0);
    std::int32_t count = blockCount.value_or(static_cast<std::int32_t>(image.blockTotal));
    putU32(header, 8, static_cast<std::uint32_t>(count));
    if (oldestLayout) {
        putBytes(header, 12, {0x11, 0x00, 0x11, 0x00});
        putBytes(header, 16, ebcdic(systemText, 8));
        putU32(header, 60, static_cast<std::uint32_t>(blockCountCopy.value_or(0)));
    } else {
        putBytes(header, 16, ebcdic(systemText, 32));
        putU32(header, 52, static_cast<std::uint32_t>(headerSize));
        putU32(header, 60, static_cast<std::uint32_t>(blockCountCopy.value_or(count)));
    }
    writer.write(0, 0, header);
    return image;
}

std::vector<std::uint8_t> SaveFileImage::bytes() const {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(blockTotal * kBlock + extraBytes), 0);
    for (std::int64_t n = 0; n < blockTotal; ++n) {
        auto found = blocks.find(n);
        std::uint8_t* at = out.data() + n * kBlock;
        if (found != blocks.end()) {
            std::copy(found->second.begin(), found->second.end(), at);
        } else {
            std::vector<std::uint8_t> sequence(4);
            SaveFileBuilder::putU32(sequence, 0, static_cast<std::uint32_t>(n + 1));
            std::copy(sequence.begin(), sequence.end(), at + kBody);
        }
    }
    SaveFileBuilder::sealRecords(out);
    return out;
}

void SaveFileBuilder::sealRecords(std::vector<std::uint8_t>& file) {
    constexpr std::size_t kRecord = RecordCheck::kRecordSize;
    const RecordCheck check = RecordCheck::forBlock0(file);
    for (std::size_t at = 0; at + kRecord <= file.size(); at += kRecord) {
        check.seal(std::span<std::uint8_t, kRecord>(file.data() + at, kRecord));
    }
}

void SaveFileImage::writeTo(const std::string& path, bool sparse) const {
    if (!sparse) {
        std::vector<std::uint8_t> all = bytes();
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(all.data()), static_cast<std::streamsize>(all.size()));
        if (!out) {
            throw std::runtime_error("cannot write " + path);
        }
        return;
    }
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw std::runtime_error("cannot write " + path);
    }
    bool ok = ::ftruncate(fd, static_cast<off_t>(blockTotal * kBlock + extraBytes)) == 0;
    for (const auto& [index, block] : blocks) {
        if (!ok || index >= blockTotal) {
            break;
        }
        ok = ::pwrite(fd, block.data(), block.size(), static_cast<off_t>(index * kBlock)) ==
             static_cast<ssize_t>(block.size());
    }
    ::close(fd);
    if (!ok) {
        throw std::runtime_error("cannot write " + path);
    }
}

}  // namespace quelvane::test
