#include <gtest/gtest.h>

#include "tests/support/ContentFixtures.h"
#include "tests/views/ViewsFixture.h"
#include "views/ClSourceView.h"
#include "views/DataAreaView.h"

namespace quelvane::test {
namespace {

const std::vector<std::string> kSourceBanner = {"/*=====================================================*/",
                                                "/*The Source below are retrived by Orsell Tool Quelvane*/",
                                                "/*=====================================================*/"};
const std::vector<std::string> kValueHeader = {
    "/*===============================================================*/",
    "/*The data area values below are retrived by Orsell Tool Quelvane*/",
    "/*===============================================================*/",
    ".........---------1---------2---------3---------4---------5---------6---------7---------8---------9-----"
    "---10*/",
    "Position:"
    "1234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890*/"};

std::vector<std::string> joined(std::vector<std::string> first, const std::vector<std::string>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

struct StoredContentTest : ::testing::Test {
    // A save file whose part holds the objects, followed by `segment`; returns the object.
    const SavedObject& open(BuiltObject object, const BuiltSegment& segment) {
        SaveFileBuilder builder;
        BuiltPart part;
        part.objects = {std::move(object)};
        builder.add(part);
        builder.add(segment);
        EXPECT_EQ(fixture.open(builder), 0);
        return fixture.catalog.parts.at(0).library.objects.at(0);
    }
    std::vector<std::string> showSource(const BuiltClSource& source) {
        const SavedObject& program =
            open(ContentFixtures::programObject(source.objectName), ContentFixtures::clProgram(source));
        showClSource(fixture.session, program);
        return fixture.rows();
    }
    std::vector<std::string> showValue(const BuiltDataArea& area) {
        const SavedObject& dataArea =
            open(ContentFixtures::dataAreaObject(area.objectName), ContentFixtures::dataArea(area));
        showDataAreaValue(fixture.session, dataArea);
        return fixture.rows();
    }
    std::string caption() const {
        return fixture.list.columnCount() == 1 ? fixture.list.column(0).caption : "?";
    }

    ViewsFixture fixture;
};

BuiltClSource source(std::vector<std::string> lines, std::uint32_t offset = 100) {
    BuiltClSource built;
    built.objectName = "CLPGM";
    built.sourceOffset = offset;
    built.lines = std::move(lines);
    return built;
}

TEST_F(StoredContentTest, SourceOffsetsWithinAndBeyondThePointerBlock) {
    for (std::uint32_t offset : {100U, 511U, 700U, 1500U}) {
        SCOPED_TRACE(offset);
        fixture.list.clearRows();
        fixture.list.clearColumns();
        EXPECT_EQ(showSource(source({"PGM", "  DCL &A *CHAR 10", "ENDPGM"}, offset)),
                  joined(kSourceBanner, {"PGM", "  DCL &A *CHAR 10", "ENDPGM"}));
        EXPECT_EQ(caption(), "This CLP Program compiled with Allow RTVCLSRC");
    }
}

TEST_F(StoredContentTest, TheSourceLengthBoundsWhatIsGathered) {
    // P = 100, L = 300: the 412 bytes left in the pointer block are enough, so the line record
    // starting at area offset 416 is not read from the next block and comes out empty.
    BuiltClSource built = source({std::string(200, 'A'), std::string(190, 'B'), "C"});
    built.sourceLength = 300;
    EXPECT_EQ(showSource(built), joined(kSourceBanner, {std::string(200, 'A'), std::string(190, 'B'), ""}));
}

TEST_F(StoredContentTest, BothLineCountsAndEmptyLinesAreListed) {
    BuiltClSource built = source({"ONE", "", "THREE"});
    built.firstLineCount = 2;
    EXPECT_EQ(showSource(built), joined(kSourceBanner, {"ONE", "", "THREE"}));
}

TEST_F(StoredContentTest, AProgramWithoutRetrievableSourceSaysSo) {
    BuiltClSource built = source({"PGM"});
    built.sourceLength = 0;
    EXPECT_EQ(showSource(built),
              (std::vector<std::string>{"This CLP Program compiled with no Allow RTVCLSRC"}));
    EXPECT_EQ(caption(), "");
}

TEST_F(StoredContentTest, ASourceLongerThanTheClassicAreaIsShownWhole) {
    std::vector<std::string> lines;
    for (int i = 0; i < 300; ++i) {
        lines.push_back("LINE " + std::to_string(i) + std::string(70, '.'));
    }
    EXPECT_EQ(showSource(source(lines)), joined(kSourceBanner, lines));
}

TEST_F(StoredContentTest, ImpossibleLineLengthsAndOffsetsEndTheListing) {
    BuiltClSource built = source({"FIRST", std::string(5001, 'x'), "LAST"});
    EXPECT_EQ(showSource(built), joined(kSourceBanner, {"FIRST"}));

    // A source offset with the top bit set, as stored in the pointer block.
    std::int64_t pointer = (fixture.catalog.segments.slot(1).sequence - 1 + built.pointerBlock) * 528;
    fixture.bytes[static_cast<std::size_t>(pointer + 72)] = 0x80;
    fixture.list.clearRows();
    fixture.list.clearColumns();
    showClSource(fixture.session, fixture.catalog.parts[0].library.objects[0]);
    EXPECT_TRUE(fixture.rows().empty());
    EXPECT_EQ(caption(), "");
}

TEST_F(StoredContentTest, OnlyTheFirst10000SegmentsAreSearched) {
    const SavedObject& program =
        open(ContentFixtures::programObject("CLPGM"), ContentFixtures::clProgram(source({"PGM"})));
    SegmentEntry entry = fixture.catalog.segments.slot(1);
    ASSERT_EQ(entry.name, "CLPGM");
    for (std::int32_t before : {9999, 10000}) {
        fixture.catalog.segments.reset();
        for (std::int32_t i = 0; i < before; ++i) {
            fixture.catalog.segments.append({"OTHER", 1, 1});
        }
        fixture.catalog.segments.append(entry);
        fixture.list.clearRows();
        fixture.list.clearColumns();
        showClSource(fixture.session, program);
        EXPECT_EQ(fixture.rows().size(), before == 9999 ? 4U : 0U) << before;
    }
}

BuiltDataArea characterArea(const std::string& text, std::uint16_t length) {
    BuiltDataArea area;
    area.objectName = "DTA";
    area.length = length;
    area.value = SaveFileBuilder::ebcdic(text, length);
    return area;
}

std::string letters(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += static_cast<char>('A' + i % 26);
    }
    return text;
}

TEST_F(StoredContentTest, CharacterValuesComeInRowsOf100UnderTheRuler) {
    struct Case {
        std::string text;
        std::vector<std::string> rows;
    };
    const std::string long600 = letters(600);
    const std::vector<Case> cases = {
        {"HELLO     ", {"--Values:HELLO     "}},
        {letters(100), {"--Values:" + letters(100)}},
        {letters(250),
         {"--Values:" + letters(100), "         " + letters(250).substr(100, 100),
          "         " + letters(250).substr(200)}},
        {long600,
         {"--Values:" + long600.substr(0, 100), "         " + long600.substr(100, 100),
          "         " + long600.substr(200, 100), "         " + long600.substr(300, 100),
          "         " + long600.substr(400, 100), "         " + long600.substr(500, 100)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.size());
        fixture.list.clearRows();
        fixture.list.clearColumns();
        EXPECT_EQ(showValue(characterArea(c.text, static_cast<std::uint16_t>(c.text.size()))),
                  joined(kValueHeader, c.rows));
        EXPECT_EQ(caption(), "This Data Area has " + std::to_string(c.text.size()) + " length value space");
        EXPECT_EQ(fixture.list.column(0).width, 1000);
    }
}

TEST_F(StoredContentTest, DecimalValuesArePackedDecimal) {
    for (auto [sign, text] : {std::pair<std::uint8_t, std::string>{0x5F, "123.45"}, {0x5D, "-123.45"}}) {
        BuiltDataArea area;
        area.objectName = "AMOUNT";
        area.kind = 3;
        area.digits = 5;
        area.decimals = 2;
        area.value = {0x12, 0x34, sign};
        fixture.list.clearRows();
        fixture.list.clearColumns();
        EXPECT_EQ(showValue(area), joined(kValueHeader, {"--Values:" + text}));
        EXPECT_EQ(caption(), "This Data Area has 5 length value space");
    }
}

TEST_F(StoredContentTest, EmptyUnknownAndOversizedValues) {
    EXPECT_EQ(showValue(characterArea("", 0)), (std::vector<std::string>{"This Data Area has no space"}));
    EXPECT_EQ(caption(), "");

    fixture.list.clearRows();
    fixture.list.clearColumns();
    BuiltDataArea unknown = characterArea("ABC", 3);
    unknown.kind = 1;
    EXPECT_TRUE(showValue(unknown).empty());
    EXPECT_EQ(caption(), "");

    // A stored length above 5000 is handled as 5000: 50 rows.
    fixture.list.clearRows();
    fixture.list.clearColumns();
    std::vector<std::string> rows = showValue(characterArea(std::string(6000, 'Z'), 6000));
    EXPECT_EQ(caption(), "This Data Area has 6000 length value space");
    ASSERT_EQ(rows.size(), 55U);
    EXPECT_EQ(rows.back(), "         " + std::string(100, 'Z'));
}

}  // namespace
}  // namespace quelvane::test
