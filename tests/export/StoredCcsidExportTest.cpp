// The text, Word and Excel exports with the fields read by their stored CCSIDs: the text export
// writes the chosen PC page, each character it lacks as the page's substitution character, and
// counts them, or UTF-8 with every character; Word and Excel are given Unicode where the page
// would lose characters.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/ExcelExportWriter.h"
#include "export/ExportCommands.h"
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

    // The texts the server was given for the record's cells, in column order: PC-page texts as
    // they are, Unicode ones as "w:" and their UTF-8.
    std::vector<std::string> cellTexts(const std::string& property) const {
        std::vector<std::string> texts;
        for (const std::string& line : fixture.automation.lines) {
            const std::size_t at = line.find("." + property + " = ");
            if (!line.starts_with("set ") || at == std::string::npos) {
                continue;
            }
            const std::size_t value = at + property.size() + 4;
            if (line.compare(value, 1, "\"") == 0) {
                texts.push_back(line.substr(value + 1, line.size() - value - 2));
            } else if (line.compare(value, 2, "w\"") == 0) {
                texts.push_back("w:" + line.substr(value + 2, line.size() - value - 3));
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

// Word and Excel are handed the PC-page texts the text export writes where the page holds every
// character, and the Unicode text where it does not: 932 lacks DE's and FR's letters.
TEST_F(StoredCcsidExportTest, WordAndExcelAreGivenUnicodeWhereThePcPageLosesCharacters) {
    fixture.session.pcCodePage = 932;
    const std::vector<std::string> expected{
        "w:\u00C4\u00D6\u00DC", "w:\u00E9\u00E7\u00E0", "A\x88\xEA\xB1", "7", "0102", "\x88\xEA\x81\x40"};
    EXPECT_EQ(writeWordExport(fixture.session, {0, 0, 0}, (scratch / "T.doc").string()),
              ExportOutcome::Written);
    EXPECT_EQ(cellTexts("Range"), expected);
    fixture.automation.lines.clear();
    EXPECT_EQ(writeExcelExport(fixture.session, {0, 0, 0}, (scratch / "T.xls").string()),
              ExportOutcome::Written);
    EXPECT_EQ(cellTexts("Value"), expected);
    EXPECT_EQ(fixture.session.textLoss.count(), 0);
}

// Every character a page lacks is counted, in whichever field it stands, with the first place:
// 1252 lacks the kanji, the katakana and the ideographic space, 932 the Latin letters, 1250 à;
// UTF-8 loses nothing.
TEST_F(StoredCcsidExportTest, TheTextExportCountsWhatThePcPageLacks) {
    struct Case {
        std::int32_t pcPage;
        ExportTextEncoding encoding;
        std::int64_t lost;
        const char* firstField;
    };
    const Case cases[] = {{1252, ExportTextEncoding::PcPage, 4, "JP"},
                          {932, ExportTextEncoding::PcPage, 6, "DE"},
                          {1250, ExportTextEncoding::PcPage, 5, "FR"},
                          {1252, ExportTextEncoding::Utf8, 0, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pcPage);
        fixture.session.textLoss.clear();
        fixture.session.textEncoding = c.encoding;
        textExport(c.pcPage);
        EXPECT_EQ(fixture.session.textLoss.count(), c.lost);
        EXPECT_EQ(fixture.session.textLoss.first().field, c.firstField);
        EXPECT_EQ(fixture.session.textLoss.first().record, c.lost > 0 ? 1 : 0);
    }
}

// UTF-8 writes every field's own characters, whatever the PC page.
TEST_F(StoredCcsidExportTest, Utf8KeepsEveryCharacter) {
    fixture.session.textEncoding = ExportTextEncoding::Utf8;
    for (std::int32_t page : {1252, 932}) {
        SCOPED_TRACE(page);
        EXPECT_EQ(textExport(page),
                  "\u00C4\u00D6\u00DC|\u00E9\u00E7\u00E0|A\u4E00\uFF71|7|0102|\u4E00\u3000|\r\n");
    }
}

// By the pair, UTF-8 is the PC page's text spelled in UTF-8: the fixture's pair reads 37 to
// Latin-1, so DE's 4A is ¢; nothing is counted, as the pair gives PC-page text to begin with.
TEST_F(StoredCcsidExportTest, Utf8ByThePairSpellsThePcPageText) {
    fixture.session.views.storedCcsidHostPage.reset();
    fixture.session.textEncoding = ExportTextEncoding::Utf8;
    const std::string text = textExport(1252);
    EXPECT_EQ(text.substr(0, 5), "\xC2\xA2\\!|") << text;
    EXPECT_EQ(fixture.session.textLoss.count(), 0);
}

// "Export a member" still writes the file and succeeds, and says how many characters the page
// lacked and where the first stands; with nothing lost it says nothing new.
TEST_F(StoredCcsidExportTest, ExportAMemberSaysWhatThePageCouldNotHold) {
    fixture.session.pcCodePage = 1252;
    const std::string out = (scratch / "T.txt").string();
    EXPECT_EQ(exportMember(fixture.session, {0, 0, 0}, ExportFormat::Text, out), ExportOutcome::Written);
    EXPECT_EQ(fixture.views.notifier.texts(),
              std::vector<std::string>{"4 characters could not be written in PC code page 1252 and were "
                                       "replaced (the first in record 1, field JP). Choose the encoding "
                                       "UTF-8 to keep every character."});
    fixture.views.notifier.entries.clear();
    fixture.session.textEncoding = ExportTextEncoding::Utf8;
    EXPECT_EQ(exportMember(fixture.session, {0, 0, 0}, ExportFormat::Text, out), ExportOutcome::Written);
    EXPECT_EQ(exportMember(fixture.session, {0, 0, 0}, ExportFormat::Excel, (scratch / "T.xls").string()),
              ExportOutcome::Written);
    EXPECT_TRUE(fixture.views.notifier.entries.empty()) << fixture.views.notifier.texts().front();
}

}  // namespace
}  // namespace quelvane::test
