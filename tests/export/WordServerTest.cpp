#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "export/AutomationFailure.h"
#include "export/InProcessAutomationClient.h"
#include "export/RtfDocumentWriter.h"
#include "tests/export/ExportTestTools.h"
#include "tests/export/RtfTableReader.h"

namespace quelvane {
namespace {

using test::readFile;
using test::ScratchDirectory;

// Speaks to the Word server as the Word writer does, releasing every intermediate reference.
class WordSession {
  public:
    explicit WordSession(std::int32_t pcCodePage = 0, std::int32_t rows = 4, std::int32_t columns = 3)
        : carrier(pcCodePage) {
        app = client.create("Word.Application");
        client.set(app, "Visible", false);
        const AutomationObject documents = object(app, "Documents");
        client.release(objectOf(client.call(documents, "Add"), "Add"));
        client.release(documents);
        const AutomationObject selection = object(app, "Selection");
        const AutomationObject font = object(selection, "Font");
        client.set(font, "Size", std::int32_t{9});
        client.set(font, "Name", std::string("Arial"));
        client.release(font);
        const AutomationObject range = object(selection, "Range");
        const AutomationObject document = object(app, "ActiveDocument");
        const AutomationObject tables = object(document, "Tables");
        client.run(tables, "Add", {range, rows, columns, std::int32_t{1}, std::int32_t{0}});
        client.release(tables);
        client.release(range);
        client.release(selection);
        const AutomationObject whole = objectOf(client.call(document, "Range"), "Range");
        const AutomationObject wholeTables = object(whole, "Tables");
        table = objectOf(client.call(wholeTables, "Item", {std::int32_t{1}}), "Item");
        client.release(wholeTables);
        client.release(whole);
        client.release(document);
    }

    AutomationObject object(AutomationObject parent, const std::string& name,
                            const AutomationClient::Arguments& arguments = {}) {
        return objectOf(client.get(parent, name, arguments), name);
    }

    void width(std::int32_t column, const AutomationValue& points) {
        const AutomationObject columns = object(table, "Columns");
        const AutomationObject item = objectOf(client.call(columns, "Item", {column}), "Item");
        client.set(item, "PreferredWidthType", std::int32_t{3});
        client.set(item, "PreferredWidth", points);
        client.release(item);
        client.release(columns);
    }

    AutomationObject cellAt(const AutomationValue& row, const AutomationValue& column) {
        return objectOf(client.call(table, "Cell", {row, column}), "Cell");
    }

    void header(std::int32_t column, const std::string& name) {
        const AutomationObject cell = cellAt(std::int32_t{1}, column);
        client.set(cell, "Range", name);
        const AutomationObject shading = object(cell, "Shading");
        client.set(shading, "BackgroundPatternColor", std::int32_t{14737632});
        client.release(shading);
        client.release(cell);
    }

    void cell(std::uint32_t row, std::int32_t column, const std::string& text) {
        const AutomationObject target = cellAt(row, column);
        client.set(target, "Range", text);
        client.release(target);
    }

    void finish(const std::string& path) {
        const AutomationObject document = object(app, "ActiveDocument");
        client.run(document, "SaveAs", {path});
        client.release(document);
        const AutomationObject active = object(app, "ActiveDocument");
        client.run(active, "Close");
        client.release(active);
        client.run(app, "Quit");
        client.release(table);
        client.release(app);
    }

    InProcessAutomationClient carrier;
    AutomationClient& client = carrier;
    AutomationObject app;
    AutomationObject table;
};

// The document of a member with three fields and three record slots, the middle one deleted.
void writeMemberDocument(WordSession& word, const std::string& path) {
    word.width(1, std::int32_t{130});
    word.width(2, 70.5);
    word.width(3, std::int32_t{50});
    word.header(1, "NAME");
    word.header(2, "AMOUNT");
    word.header(3, "NOTE");
    word.cell(2u, 1, "M\xFCller {x}");
    word.cell(2u, 2, "123.45");
    word.cell(2u, 3, "a\\b\tc");
    word.cell(4u, 1, "\x80 5");
    word.finish(path);
}

TEST(WordServer, WriterConversationGivesOneRtfTable) {
    ScratchDirectory scratch("quelvane-word");
    WordSession word;
    const auto path = scratch / "MEMBER.doc";
    writeMemberDocument(word, path.string());
    EXPECT_EQ(word.carrier.heldReferences(), 0u);

    const std::string rtf = readFile(path);
    EXPECT_TRUE(rtf.starts_with("{\\rtf1"));
    EXPECT_EQ(test::RtfTableReader::read(rtf),
              (std::vector<std::string>{
                  "font Arial",
                  "colour 1 224 224 224",
                  "row fs18 | 3:2600 pat1 | 3:1410 pat1 | 3:1000 pat1 | NAME | AMOUNT | NOTE",
                  "row fs18 | 3:2600 | 3:1410 | 3:1000 | M\xC3\xBCller {x} | 123.45 | a\\b\tc",
                  "row fs18 | 3:2600 | 3:1410 | 3:1000 |  |  | ",
                  "row fs18 | 3:2600 | 3:1410 | 3:1000 | \xE2\x82\xAC 5 |  | ",
              }));
}

TEST(WordServer, DoubleByteTextsBecomeUnicodeEscapes) {
    ScratchDirectory scratch("quelvane-word-dbcs");
    WordSession word(936, 2, 1);
    word.cell(2u, 1, "\xC4\xE3\xBA\xC3");  // two GBK characters
    const auto path = scratch / "GBK.doc";
    word.finish(path.string());
    const std::string rtf = readFile(path);
    EXPECT_NE(rtf.find("\\u20320?\\u22909?"), std::string::npos);
}

TEST(WordServer, LibreOfficeReadsTheDocument) {
    if (!test::runCommand("command -v soffice")) {
        GTEST_SKIP() << "LibreOffice is not installed";
    }
    ScratchDirectory scratch("quelvane-word-lo");
    WordSession word;
    const auto path = scratch / "MEMBER.doc";
    writeMemberDocument(word, path.string());
    const std::string convert = "cd '" + scratch.path().string() +
                                "' && soffice -env:UserInstallation=file://" + scratch.path().string() +
                                "/profile --headless --convert-to ";
    ASSERT_TRUE(test::runCommand(convert + "'txt:Text (encoded):UTF8' MEMBER.doc"));
    ASSERT_TRUE(test::runCommand(convert + "html MEMBER.doc"));
    // One line per cell, row by row, then the paragraph after the table.
    EXPECT_EQ(test::splitLines(readFile(scratch / "MEMBER.txt")),
              (std::vector<std::string>{"\xEF\xBB\xBFNAME", "AMOUNT", "NOTE", "M\xC3\xBCller {x}", "123.45",
                                        "a\\b\tc", "", "", "", "\xE2\x82\xAC 5", "", "", ""}));
    const std::string html = readFile(scratch / "MEMBER.html");
    std::size_t shaded = 0;
    for (std::size_t at = html.find("bgcolor=\"#e0e0e0\""); at != std::string::npos;
         at = html.find("bgcolor=\"#e0e0e0\"", at + 1)) {
        ++shaded;
    }
    EXPECT_EQ(shaded, 3u);
}

TEST(WordServer, NamesTypesAndCellsOutsideTheTableRaise) {
    using Step = std::function<void(WordSession&)>;
    const std::vector<std::pair<std::string, Step>> cases = {
        {"unknown program", [](WordSession& w) { w.client.create("Word.Aplication"); }},
        {"unknown property", [](WordSession& w) { w.object(w.app, "ActiveWindow"); }},
        {"unknown method", [](WordSession& w) { w.client.run(w.table, "Delete"); }},
        {"Visible as text", [](WordSession& w) { w.client.set(w.app, "Visible", std::string("no")); }},
        {"Cell row as text", [](WordSession& w) { w.cellAt(std::string("1"), std::int32_t{1}); }},
        {"Cell row 5 of 4", [](WordSession& w) { w.cellAt(std::uint32_t{5}, std::int32_t{1}); }},
        {"Cell column 4 of 3", [](WordSession& w) { w.cellAt(std::uint32_t{1}, std::int32_t{4}); }},
        {"Cell row 0", [](WordSession& w) { w.cellAt(std::uint32_t{0}, std::int32_t{1}); }},
        {"Range as number", [](WordSession& w) { w.client.set(w.cellAt(1u, 1), "Range", std::int32_t{5}); }},
        {"colour as text",
         [](WordSession& w) {
             w.client.set(w.object(w.cellAt(1u, 1), "Shading"), "BackgroundPatternColor",
                          std::string("grey"));
         }},
        {"colour out of range",
         [](WordSession& w) {
             w.client.set(w.object(w.cellAt(1u, 1), "Shading"), "BackgroundPatternColor",
                          std::int32_t{0x1000000});
         }},
        {"PreferredWidth as text", [](WordSession& w) { w.width(1, std::string("10")); }},
        {"PreferredWidth too wide", [](WordSession& w) { w.width(1, 2000.0); }},
        {"Columns.Item(4)", [](WordSession& w) { w.width(4, std::int32_t{10}); }},
        {"Tables.Item(2)",
         [](WordSession& w) {
             w.client.call(w.object(w.object(w.app, "ActiveDocument"), "Tables"), "Item", {std::int32_t{2}});
         }},
        {"Tables.Add without a range",
         [](WordSession& w) {
             w.client.run(
                 w.object(w.object(w.app, "ActiveDocument"), "Tables"), "Add",
                 {std::int32_t{1}, std::int32_t{2}, std::int32_t{2}, std::int32_t{1}, std::int32_t{0}});
         }},
        {"Tables.Add with 64 columns",
         [](WordSession& w) {
             const AutomationObject range = w.object(w.object(w.app, "Selection"), "Range");
             w.client.run(w.object(w.object(w.app, "ActiveDocument"), "Tables"), "Add",
                          {range, std::int32_t{2}, std::int32_t{64}, std::int32_t{1}, std::int32_t{0}});
         }},
        {"Tables.Add with 0 rows",
         [](WordSession& w) {
             const AutomationObject range = w.object(w.object(w.app, "Selection"), "Range");
             w.client.run(w.object(w.object(w.app, "ActiveDocument"), "Tables"), "Add",
                          {range, std::int32_t{0}, std::int32_t{2}, std::int32_t{1}, std::int32_t{0}});
         }},
        {"table after Close",
         [](WordSession& w) {
             w.client.run(w.object(w.app, "ActiveDocument"), "Close");
             w.cellAt(1u, 1);
         }},
        {"ActiveDocument after Close",
         [](WordSession& w) {
             w.client.run(w.object(w.app, "ActiveDocument"), "Close");
             w.object(w.app, "ActiveDocument");
         }},
        {"call after Quit",
         [](WordSession& w) { w.client.run(w.app, "Quit"), w.object(w.app, "Documents"); }},
        {"SaveAs into a missing folder",
         [](WordSession& w) {
             w.client.run(w.object(w.app, "ActiveDocument"), "SaveAs",
                          {std::string("/nonexistent-folder/x.doc")});
         }},
    };
    for (const auto& [name, step] : cases) {
        WordSession word;
        EXPECT_THROW(step(word), AutomationFailure) << name;
    }
}

TEST(RtfDocumentWriter, EscapesSpecialAndNonAsciiCharacters) {
    const std::vector<std::pair<std::u16string, std::string>> cases = {
        {u"plain text", "plain text"},   {u"a\\b{c}", "a\\\\b\\{c\\}"},
        {u"tab\there", "tab\\tab here"}, {u"x\r\ny\nz\rw", "x\\line y\\line z\\line w"},
        {u"bell\u0007", "bell"},         {u"\u00e9t\u00e9", "\\u233?t\\u233?"},
        {u"\u3042", "\\u12354?"},        {u"\uff5e", "\\u-162?"},
    };
    for (const auto& [text, expected] : cases) {
        std::string rtf;
        RtfDocumentWriter::appendText(rtf, text);
        EXPECT_EQ(rtf, expected);
    }
}

}  // namespace
}  // namespace quelvane
