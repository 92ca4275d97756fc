// The text, Word and Excel exports with the fields read by their stored CCSIDs: the texts are
// written in the chosen PC page, each character it lacks as the page's substitution character.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/ExcelExportWriter.h"
#include "export/TextExportWriter.h"
#include "export/WordExportWriter.h"
#include "tests/export/ExportFixture.h"
#include "tests/export/ExportTestTools.h"
#include "tests/support/TaggedField.h"

namespace quelvane::test {
namespace {

// TAGGED: DE (273), FR (297), JP (mixed 5026), QTY (binary), RAW (65535), GR (graphic 300); one
// record of "ÄÖÜ", "éçà", "A一ｱ", 7, the control bytes 01 02 and "一　". The pair gives a
// graphic field no text; by CCSID it has its own.
constexpr std::int32_t kTaggedLength = 20;
constexpr std::ptrdiff_t kTaggedFields = 6;

BuiltObject taggedFile() {
    BuiltObject file;
    file.name = "TAGGED";
    file.attribute = "PF";
    file.fields = {taggedField("DE", 0x0403, 3, 273),    taggedField("FR", 0x0403, 3, 297),
                   taggedField("JP", 0x0603, 6, 5026),   taggedField("QTY", 0x0003, 2, 0),
                   taggedField("RAW", 0x0403, 2, 65535), taggedField("GR", 0x0503, 4, 300)};
    file.fields[3].digits = 4;
    file.members = {{"MBR1", "", "", 1}};
    return file;
}

std::vector<StreamSlot> taggedSlots() {
    return {{0x80, {0x4A, 0xE0, 0x5A, 0xC0, 0xE0, 0x7C, 0xC1, 0x0E, 0x45, 0x41,
                    0x0F, 0x81, 0x00, 0x07, 0x01, 0x02, 0x45, 0x41, 0x40, 0x40}}};
}

struct StoredCcsidExportTest : ::testing::Test {
    void SetUp() override {
        fixture.open({taggedFile()},
                     {ContentFixtures::memberRecords("TAGGED", "MBR1", kTaggedLength, taggedSlots())});
        fixture.session.views.storedCcsidHostPage = 37;
        fixture.session.splitterOption = true;
    }

    // The text export's bytes in PC page `pcPage`.
    std::string textExport(std::int32_t pcPage) {
        fixture.session.pcCodePage = pcPage;
        const std::filesystem::path out = scratch / "TAGGED_MBR1.txt";
        EXPECT_EQ(writeTextExport(fixture.session, {0, 0, 0}, out.string()), ExportOutcome::Written);
        return readFile(out);
    }

    // The texts the server was given for the record's cells, in column order.
    std::vector<std::string> cellTexts(const std::string& property) const {
        std::vector<std::string> texts;
        for (const std::string& line : fixture.automation.lines) {
            const std::size_t at = line.find("." + property + " = \"");
            if (line.starts_with("set ") && at != std::string::npos) {
                texts.push_back(
                    line.substr(at + property.size() + 5, line.size() - at - property.size() - 6));
            }
        }
        // The header row's captions come first.
        return std::vector<std::string>(texts.begin() + std::min<std::ptrdiff_t>(kTaggedFields, texts.size()),
                                        texts.end());
    }

    ExportFixture fixture;
    ScratchDirectory scratch{"quelvane-stored-ccsid-export"};
};

// Each field in its own CCSID, written in the PC page: 1252 lacks the kanji and the katakana
// (its substitution character is 0x1A), 932 lacks the Latin letters (0xFC 0xFC); numbers and a
// 65535 field's hex are the same in both.
TEST_F(StoredCcsidExportTest, TheTextExportWritesThePcPageWithItsSubstitutionCharacter) {
    struct Case {
        std::int32_t pcPage;
        std::string line;
    };
    const std::string fc3 = "\xFC\xFC\xFC\xFC\xFC\xFC";
    const Case cases[] = {
        {1252, "\xC4\xD6\xDC|\xE9\xE7\xE0|A\x1A\x1A|7|0102|\x1A\x1A|\r\n"},
        {0, "\xC4\xD6\xDC|\xE9\xE7\xE0|A\x1A\x1A|7|0102|\x1A\x1A|\r\n"},
        {932, fc3 + "|" + fc3 + "|A\x88\xEA\xB1|7|0102|\x88\xEA\x81\x40|\r\n"},
        {1250, "\xC4\xD6\xDC|\xE9\xE7\x1A|A\x1A\x1A|7|0102|\x1A\x1A|\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pcPage);
        EXPECT_EQ(textExport(c.pcPage), c.line);
    }
    EXPECT_EQ(fixture.session.ccsidFallbackNotes, std::vector<std::string>{"RAW: CCSID 65535, shown as hex"});
}

// Off, the pair reads every field as before the choice: the session's PC page plays no part (the
// fixture's pair reads 37 to Latin-1), and the graphic field has no text.
TEST_F(StoredCcsidExportTest, WithoutTheChoiceThePairReadsEveryField) {
    fixture.session.views.storedCcsidHostPage.reset();
    const std::string byPair = textExport(1252);
    EXPECT_EQ(textExport(932), byPair);
    EXPECT_EQ(byPair.substr(0, 4), "\xA2\\!|");
    EXPECT_TRUE(byPair.ends_with("||\r\n"));
    EXPECT_TRUE(fixture.session.ccsidFallbackNotes.empty());
}

// Word and Excel are handed the same PC-page texts as the text export writes.
TEST_F(StoredCcsidExportTest, WordAndExcelAreGivenThePcPageTexts) {
    fixture.session.pcCodePage = 932;
    const std::string fc3 = "\xFC\xFC\xFC\xFC\xFC\xFC";
    const std::vector<std::string> expected{fc3, fc3, "A\x88\xEA\xB1", "7", "0102", "\x88\xEA\x81\x40"};
    EXPECT_EQ(writeWordExport(fixture.session, {0, 0, 0}, (scratch / "T.doc").string()),
              ExportOutcome::Written);
    EXPECT_EQ(cellTexts("Range"), expected);
    fixture.automation.lines.clear();
    EXPECT_EQ(writeExcelExport(fixture.session, {0, 0, 0}, (scratch / "T.xls").string()),
              ExportOutcome::Written);
    EXPECT_EQ(cellTexts("Value"), expected);
}

}  // namespace
}  // namespace quelvane::test
