#include "tests/compare/ComparedSaves.h"

#include "tests/support/ContentFixtures.h"

namespace quelvane::test {

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes joined;
    for (const Bytes& part : parts) {
        joined.insert(joined.end(), part.begin(), part.end());
    }
    return joined;
}

Bytes sourceRecord(const std::string& sequence, const std::string& date, const std::string& text) {
    return join({SaveFileBuilder::ebcdic(sequence, 6), SaveFileBuilder::ebcdic(date, 6),
                 SaveFileBuilder::ebcdic(text, 20)});
}

Bytes dataRecord(const std::string& id, const std::string& name) {
    return join({SaveFileBuilder::ebcdic(id, 4), SaveFileBuilder::ebcdic(name, 8)});
}

const std::vector<BuiltField> kSourceFields = {
    {"SRCSEQ", 0x0203, 6, 6, 2}, {"SRCDAT", 0x0203, 6, 6, 0}, {"SRCDTA", 0x0403, 20, 0, 0}};
const std::vector<BuiltField> kDataFields = {{"ID", 0x0403, 4, 0, 0}, {"NAME", 0x0403, 8, 0, 0}};

BuiltObject physicalFile(const std::string& name, std::vector<BuiltField> fields,
                         std::vector<BuiltMember> members, const std::string& levelId = "") {
    BuiltObject file;
    file.name = name;
    file.attribute = "PF";
    file.fields = std::move(fields);
    file.members = std::move(members);
    if (!levelId.empty()) {
        file.formatOffset = 576;
        BuiltFileFacts facts;
        facts.levelId = levelId;
        file.fileFacts = facts;
    }
    return file;
}

BuiltSegment typedDataArea(const std::string& name, const std::string& value) {
    return ContentFixtures::dataArea({name, 1, 4, 8, 0, 0, SaveFileBuilder::ebcdic(value, 8)});
}

// The save built, its last two segments (the data areas) naming the object type in their headers
// too, as the system writes them (header offset 34): that is how an object's stored data is
// found for its digest.
SaveFileImage builtWithTypedDataAreas(const SaveFileBuilder& builder) {
    constexpr std::size_t kTypeAt = 34;
    SaveFileImage image = builder.build();
    const std::vector<SegmentPlace>& segments = image.layout.segments;
    for (std::size_t i = segments.size() - 2; i < segments.size(); ++i) {
        auto& block = image.blocks[segments[i].headerBlock];
        block[kTypeAt] = 0x19;
        block[kTypeAt + 1] = 0x0A;
    }
    return image;
}

BuiltObject textedArea(const std::string& text) {
    BuiltObject area = ContentFixtures::dataAreaObject("TEXTED");
    area.text = text;
    return area;
}

}  // namespace

SaveFileImage comparedBefore() {
    BuiltPart part;
    part.library = "LIB";
    part.objects = {
        physicalFile("QRPGLESRC", kSourceFields, {{"HELLO", "RPGLE", "Hello", 4}, {"GONE", "RPGLE", "", 1}}),
        physicalFile("DATA", kDataFields, {{"M1", "", "", 3}}),
        physicalFile("SHAPE", kDataFields, {}, "LEVEL00000001"),
        physicalFile("SAME", kDataFields, {{"S", "", "", 1}}),
        ContentFixtures::programObject("OLDPGM"),
        ContentFixtures::dataAreaObject("DTA1"),
        textedArea("Before"),
    };
    SaveFileBuilder builder;
    builder.headerSize = 4096;
    builder.add(part);
    builder.add(ContentFixtures::memberRecords("QRPGLESRC", "HELLO", 32,
                                               {{0x80, sourceRecord("000100", "230101", "LINE A")},
                                                {0x80, sourceRecord("000200", "230101", "LINE B")},
                                                {0x80, sourceRecord("000300", "230101", "LINE C")},
                                                {0x80, sourceRecord("000400", "230101", "LINE D")}}));
    builder.add(ContentFixtures::memberRecords("QRPGLESRC", "GONE", 32,
                                               {{0x80, sourceRecord("000100", "230101", "OLD")}}));
    builder.add(ContentFixtures::memberRecords("DATA", "M1", 12,
                                               {{0x80, dataRecord("0001", "ALPHA")},
                                                {0x80, dataRecord("0002", "BETA")},
                                                {0x80, dataRecord("0003", "GAMMA")}}));
    builder.add(ContentFixtures::memberRecords("SAME", "S", 12, {{0x80, dataRecord("0009", "SAME")}}));
    builder.add(typedDataArea("DTA1", "HELLO"));
    builder.add(typedDataArea("TEXTED", "KEPT"));
    return builtWithTypedDataAreas(builder);
}

SaveFileImage comparedAfter() {
    std::vector<BuiltField> shapeFields = kDataFields;
    shapeFields.push_back({"QTY", 0x0203, 5, 5, 0});
    BuiltPart part;
    part.library = "LIB";
    part.objects = {
        physicalFile("QRPGLESRC", kSourceFields,
                     {{"HELLO", "RPGLE", "Hello again", 5}, {"NEW", "RPGLE", "", 1}}),
        physicalFile("DATA", kDataFields, {{"M1", "", "", 4}}),
        physicalFile("SHAPE", shapeFields, {}, "LEVEL00000002"),
        physicalFile("SAME", kDataFields, {{"S", "", "", 1}}),
        ContentFixtures::programObject("NEWPGM"),
        ContentFixtures::dataAreaObject("DTA1"),
        textedArea("After"),
    };
    SaveFileBuilder builder;
    builder.headerSize = 4096;
    builder.add(part);
    builder.add(ContentFixtures::memberRecords("QRPGLESRC", "HELLO", 32,
                                               {{0x80, sourceRecord("000100", "240202", "LINE A")},
                                                {0x80, sourceRecord("000200", "240202", "LINE X")},
                                                {0x80, sourceRecord("000300", "240202", "LINE C")},
                                                {0x80, sourceRecord("000400", "240202", "LINE D")},
                                                {0x80, sourceRecord("000500", "240202", "LINE E")}}));
    builder.add(ContentFixtures::memberRecords("QRPGLESRC", "NEW", 32,
                                               {{0x80, sourceRecord("000100", "240202", "NEW")}}));
    builder.add(ContentFixtures::memberRecords("DATA", "M1", 12,
                                               {{0x80, dataRecord("0001", "ALPHA")},
                                                {0x80, dataRecord("0002", "BETTY")},
                                                {0x80, dataRecord("0003", "GAMMA")},
                                                {0x80, dataRecord("0004", "DELTA")}}));
    builder.add(ContentFixtures::memberRecords("SAME", "S", 12, {{0x80, dataRecord("0009", "SAME")}}));
    builder.add(typedDataArea("DTA1", "WORLD"));
    builder.add(typedDataArea("TEXTED", "KEPT"));
    return builtWithTypedDataAreas(builder);
}

}  // namespace quelvane::test
