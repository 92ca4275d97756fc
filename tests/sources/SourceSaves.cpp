#include "tests/sources/SourceSaves.h"

#include <map>

#include "tests/support/ContentFixtures.h"

namespace quelvane::test {

namespace {

constexpr std::uint16_t kLineWidth = 40;
constexpr std::int32_t kRecordLength = 12 + kLineWidth;
// The header clock of a real save (2020-08-17 22:31:41) without its 12 fraction bits.
constexpr std::uint64_t kReferenceClock = 0xa50191a6c9c39001ULL >> 12;
constexpr std::uint64_t kMicrosPerSecond = 1000000;

std::vector<std::uint8_t> sourceRecord(std::size_t index, const std::string& text) {
    const std::string sequence = std::to_string(1000000 + (index + 1) * 100).substr(1);
    std::vector<std::uint8_t> record = SaveFileBuilder::ebcdic(sequence, 6);
    const std::vector<std::uint8_t> date =
        SaveFileBuilder::ebcdic("2001" + std::to_string(10 + index % 18), 6);
    const std::vector<std::uint8_t> line = SaveFileBuilder::ebcdic(text, kLineWidth);
    record.insert(record.end(), date.begin(), date.end());
    record.insert(record.end(), line.begin(), line.end());
    return record;
}

}  // namespace

std::vector<BuiltField> SourceSaves::sourceFields(std::uint16_t width) {
    return {{"SRCSEQ", 0x0203, 6, 6, 2}, {"SRCDAT", 0x0203, 6, 6, 0}, {"SRCDTA", 0x0403, width, 0, 0}};
}

SaveFileImage SourceSaves::build(const std::string& library, const std::vector<SourceMemberSpec>& members,
                                 std::int64_t secondsAfterReference, const std::vector<BuiltObject>& more,
                                 const std::vector<BuiltSegment>& moreSegments) {
    std::map<std::string, std::vector<BuiltMember>> files;
    std::vector<std::string> order;
    for (const SourceMemberSpec& spec : members) {
        if (!files.contains(spec.file)) {
            order.push_back(spec.file);
        }
        files[spec.file].push_back({spec.member, spec.type, "text of " + spec.member,
                                    static_cast<std::uint32_t>(spec.lines.size())});
    }
    BuiltPart part;
    part.library = library;
    for (const std::string& name : order) {
        BuiltObject file;
        file.name = name;
        file.attribute = "PF";
        file.fields = sourceFields(kLineWidth);
        file.members = files[name];
        part.objects.push_back(file);
    }
    part.objects.insert(part.objects.end(), more.begin(), more.end());
    SaveFileBuilder builder;
    builder.add(part);
    for (const SourceMemberSpec& spec : members) {
        std::vector<StreamSlot> slots;
        for (std::size_t i = 0; i < spec.lines.size(); ++i) {
            slots.push_back({0x80, sourceRecord(i, spec.lines[i])});
        }
        builder.add(ContentFixtures::memberRecords(spec.file, spec.member, kRecordLength, slots));
    }
    for (const BuiltSegment& segment : moreSegments) {
        builder.add(segment);
    }
    SaveFileImage image = builder.build();
    const std::uint64_t clock =
        (kReferenceClock + static_cast<std::uint64_t>(secondsAfterReference) * kMicrosPerSecond) << 12;
    for (int i = 0; i < 8; ++i) {
        image.blocks[0][static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(clock >> (56 - 8 * i));
    }
    return image;
}

}  // namespace quelvane::test
