#include "tests/support/HostileSaves.h"

#include <string>

#include "tests/support/IfsSaveBuilder.h"
#include "tests/support/SaveFileCompressor.h"

namespace quelvane::test {

namespace {

constexpr std::size_t kAreaHeader = 16;
constexpr std::size_t kFieldCountAt = 157;
constexpr std::uint32_t kDefaultFormat = 96;
constexpr std::uint32_t kMostFields = 65535;
constexpr std::size_t kSegmentBlocksAt = 204;
constexpr std::size_t kSegmentNameAt = 4;

BuiltObject physicalFile(const std::string& name) {
    BuiltObject file;
    file.name = name;
    file.attribute = "PF";
    return file;
}

}  // namespace

SaveFileBuilder HostileSaves::zeroLengthFields(int files) {
    BuiltObject model = physicalFile("MODEL");
    BuiltField field{"F", 0x0004, 0};
    field.entryLength = 0;
    model.fields = {field};
    model.members = {{"M", "", "", 0}};
    std::vector<std::uint8_t> area = SaveFileBuilder::memberArea(model);
    SaveFileBuilder::putU16(area, kAreaHeader + kDefaultFormat + kFieldCountAt, kMostFields);
    BuiltPart part;
    part.library = "FIELDS";
    for (int i = 0; i < files; ++i) {
        BuiltObject file = physicalFile("F" + std::to_string(i));
        file.rawMemberArea = area;
        part.objects.push_back(std::move(file));
    }
    SaveFileBuilder builder;
    builder.add(part);
    return builder;
}

SaveFileBuilder HostileSaves::claimedObjects(int parts, std::int32_t claimed) {
    SaveFileBuilder builder;
    for (int i = 0; i < parts; ++i) {
        BuiltPart part;
        part.library = "L" + std::to_string(i);
        part.objectCount = claimed;
        builder.add(part);
    }
    return builder;
}

SaveFileBuilder HostileSaves::claimedMembers(int files, std::uint32_t claimed, bool empty) {
    BuiltPart part;
    part.library = "MEMBERS";
    for (int i = 0; i < files; ++i) {
        BuiltObject file = physicalFile("P" + std::to_string(i));
        file.fields = {{"F", 0x0004, 4}};
        file.members = {{empty ? "" : "M", "", "", 1}};
        file.areaMemberCount = claimed;
        part.objects.push_back(std::move(file));
    }
    SaveFileBuilder builder;
    builder.add(part);
    return builder;
}

std::vector<std::uint8_t> HostileSaves::inflatedStreamSegment(std::uint32_t blocks) {
    IfsImage image = sampleImage("/site", {{"index.html", false, 11, kDataA}});
    image.data(kDataA, "<html>.</ht", 4096);
    SaveFileCompressor compressor;
    compressor.padToBoundary = true;
    std::vector<std::uint8_t> file = compressor.compress(image.complete());
    // The data segment's header: the segment marker, then its 8-byte name.
    for (std::size_t at = 0; at + kIfsBlock <= file.size(); at += kIfsBlock) {
        if (file[at] == 0xFF && file[at + 1] == 0xFF && file[at + 2] == 0xFF && file[at + 3] == 0xFF &&
            std::equal(kDataA.begin(), kDataA.end(),
                       file.begin() + static_cast<std::ptrdiff_t>(at + kSegmentNameAt))) {
            SaveFileBuilder::putU32(file, at + kSegmentBlocksAt, blocks);
        }
    }
    return file;
}

}  // namespace quelvane::test
