#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "export/RtfDocumentWriter.h"
#include "export/WordServerTable.h"
#include "tests/export/RtfReferenceWriter.h"

namespace quelvane {
namespace {

// The document RtfDocumentWriter writes, and the largest piece the sink was handed at once.
struct Written {
    std::string rtf;
    std::size_t largestPiece = 0;
    std::size_t pieces = 0;
};

Written write(const RtfDocumentWriter::Font& font, const std::vector<WordServerTable>& tables) {
    Written written;
    RtfDocumentWriter::write(
        [&written](std::string_view piece) {
            written.rtf += piece;
            written.largestPiece = std::max(written.largestPiece, piece.size());
            ++written.pieces;
        },
        font, tables);
    return written;
}

// Texts of every kind a cell can get: plain, RTF's own characters, tabs and line breaks, control
// characters, Latin-1, other BMP characters, a surrogate pair, nothing at all.
std::u16string generatedText(std::uint32_t row, std::uint32_t column) {
    static const std::vector<std::u16string> kinds = {
        u"PLAIN",      u"a\\b{c}",       u"tab\there",    u"x\r\ny\nz\rw",
        u"bell\u0007", u"\u00e9t\u00e9", u"\u3042\uff5e", u"\U0001F600",
        u"",           u"-12345.67",     u"2026-12-11",   u"\x7f{}\\",
        u"\r",         u"a\r",           u"\n\n\u00e9",   u"ab\u00e9cd{e}f\tg\u0001h",
    };
    std::u16string text = kinds[(row * 7 + column) % kinds.size()];
    text += std::u16string(row % 5, u'x');
    return text;
}

// A table of `rows` rows and the given widths, every cell written except every seventh, the
// header row shaded and, where asked, some rows further down in other colours and the automatic
// colour.
WordServerTable generatedTable(std::uint32_t rows, const std::vector<WordServerTable::Column>& widths,
                               std::int32_t autoFit, bool shadeInside) {
    WordServerTable table(rows, static_cast<std::int64_t>(widths.size()), autoFit);
    for (std::uint32_t c = 0; c < widths.size(); ++c) {
        table.column(c) = widths[c];
        table.setShading(0, c, 14737632);
    }
    for (std::uint32_t row = 0; row < rows; ++row) {
        for (std::uint32_t c = 0; c < widths.size(); ++c) {
            if ((row + c) % 7 != 3) {
                table.setText(row, c, generatedText(row, c));
            }
        }
        if (shadeInside && row % 97 == 5) {
            table.setShading(row, static_cast<std::uint32_t>(row % widths.size()),
                             row % 2 == 0 ? 0x0000FF : WordServerTable::kAutomaticColour);
        }
    }
    return table;
}

TEST(RtfDocumentWriter, WritesWhatThePlainWriterWritesByteForByte) {
    using Column = WordServerTable::Column;
    const std::vector<Column> points = {{WordServerTable::kWidthPoints, 130},
                                        {WordServerTable::kWidthPoints, 70.5},
                                        {WordServerTable::kWidthPoints, 0}};
    const std::vector<Column> mixed = {{WordServerTable::kWidthAuto, 0},
                                       {WordServerTable::kWidthPercent, 25.5},
                                       {WordServerTable::kWidthPoints, 1584},
                                       {WordServerTable::kWidthAuto, 0}};
    struct Case {
        const char* name;
        RtfDocumentWriter::Font font;
        std::vector<WordServerTable> tables;
    };
    std::vector<Case> cases;
    cases.push_back({"no table", {u"Arial", 9}, {}});
    cases.push_back({"one row", {u"Arial", 9}, {}});
    cases.back().tables.push_back(generatedTable(1, points, 0, false));
    cases.push_back({"the export's table", {u"Arial", 9}, {}});
    cases.back().tables.push_back(generatedTable(5000, points, 0, false));
    cases.push_back({"shaded rows inside, auto fit", {u"Times \u00e9{x}", 10.5}, {}});
    cases.back().tables.push_back(generatedTable(3000, mixed, WordServerTable::kAutoFitContent, true));
    cases.push_back({"two tables", {u"Arial", 1638}, {}});
    cases.back().tables.push_back(generatedTable(700, mixed, 0, true));
    cases.back().tables.push_back(generatedTable(900, points, WordServerTable::kAutoFitContent, false));
    cases.push_back({"one column, no texts", {u"Arial", 9}, {}});
    cases.back().tables.emplace_back(2000, 1, 0);
    for (const Case& c : cases) {
        EXPECT_EQ(write(c.font, c.tables).rtf, test::RtfReferenceWriter::write(c.font, c.tables)) << c.name;
    }
}

TEST(RtfDocumentWriter, HandsTheDocumentOnInPiecesOfBoundedSize) {
    const std::vector<WordServerTable::Column> widths(10, {WordServerTable::kWidthPoints, 40});
    std::vector<WordServerTable> tables;
    tables.push_back(generatedTable(20000, widths, 0, true));
    const Written written = write({u"Arial", 9}, tables);
    // A piece is handed on once it passes kPieceSize, so it is at most that plus one row.
    EXPECT_LT(written.largestPiece, RtfDocumentWriter::kPieceSize + 4096);
    EXPECT_GT(written.pieces, written.rtf.size() / (RtfDocumentWriter::kPieceSize + 4096));
}

}  // namespace
}  // namespace quelvane
