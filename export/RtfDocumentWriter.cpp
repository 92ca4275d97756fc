#include "export/RtfDocumentWriter.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace quelvane {

namespace {

constexpr double kTwipsPerPoint = 20;
constexpr double kHalfPointsPerPoint = 2;
// RTF gives percentages in fiftieths of a percent.
constexpr double kPercentUnits = 50;
constexpr char kCellBorders[] =
    "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10";

using ColourTable = std::map<std::int32_t, int>;

ColourTable collectColours(const std::vector<WordServerTable>& tables) {
    ColourTable colours;
    for (const WordServerTable& table : tables) {
        for (const WordServerTable::Shading& shading : table.shadings()) {
            if (shading.colour != WordServerTable::kAutomaticColour) {
                colours.emplace(shading.colour, 0);
            }
        }
    }
    int index = 1;
    for (auto& [colour, number] : colours) {
        number = index++;
    }
    return colours;
}

// Right cell boundaries in twips: columns with a width in points keep it, percent columns take
// their share of the text width, the others divide it evenly.
std::vector<long> cellBoundaries(const WordServerTable& table) {
    const auto& columns = table.columns();
    const long evenShare = RtfDocumentWriter::kTextWidthTwips / static_cast<long>(columns.size());
    std::vector<long> boundaries;
    long right = 0;
    for (const WordServerTable::Column& column : columns) {
        long width = evenShare;
        if (column.preferredWidthType == WordServerTable::kWidthPoints) {
            width = std::lround(column.preferredWidth * kTwipsPerPoint);
        } else if (column.preferredWidthType == WordServerTable::kWidthPercent) {
            width = std::lround(RtfDocumentWriter::kTextWidthTwips * column.preferredWidth / 100);
        }
        right += std::max(width, 1L);
        boundaries.push_back(right);
    }
    return boundaries;
}

std::string preferredWidth(const WordServerTable::Column& column, long boundaryWidth) {
    switch (column.preferredWidthType) {
        case WordServerTable::kWidthPoints:
            return "\\clftsWidth3\\clwWidth" + std::to_string(boundaryWidth);
        case WordServerTable::kWidthPercent:
            return "\\clftsWidth2\\clwWidth" +
                   std::to_string(std::lround(column.preferredWidth * kPercentUnits));
        default:
            return "\\clftsWidth1";
    }
}

// Gathers the document and hands it to the sink whenever a piece is full.
class PieceBuffer {
  public:
    explicit PieceBuffer(const RtfDocumentWriter::Sink& sink) : sink_(sink) {
        bytes_.reserve(RtfDocumentWriter::kPieceSize * 2);
    }

    std::string& bytes() { return bytes_; }
    void rowDone() {
        if (bytes_.size() >= RtfDocumentWriter::kPieceSize) {
            finish();
        }
    }
    void finish() {
        if (!bytes_.empty()) {
            sink_(bytes_);
            bytes_.clear();
        }
    }

  private:
    const RtfDocumentWriter::Sink& sink_;
    std::string bytes_;
};

// The definitions of a row's cells up to the paragraph its texts start, with the shading a
// row's own entries give (`shading` moves past them).
void appendRowHead(std::string& rtf, const WordServerTable& table, std::uint32_t row,
                   const std::vector<std::string>& cellDefinitions, const ColourTable& colours,
                   std::vector<WordServerTable::Shading>::const_iterator& shading,
                   const std::string& characterFormat) {
    rtf += "\\trowd\\trgaph108\\trleft-108";
    if (table.autoFitBehavior() == WordServerTable::kAutoFitContent) {
        rtf += "\\trautofit1";
    }
    for (std::uint32_t c = 0; c < cellDefinitions.size(); ++c) {
        rtf += kCellBorders;
        if (shading != table.shadings().end() && shading->row == row && shading->column == c) {
            if (const auto colour = colours.find(shading->colour); colour != colours.end()) {
                rtf += "\\clcbpat" + std::to_string(colour->second);
            }
            ++shading;
        }
        rtf += cellDefinitions[c];
    }
    rtf += "\n\\pard\\intbl" + characterFormat + " ";
}

void writeTable(PieceBuffer& out, const WordServerTable& table, const ColourTable& colours,
                const std::string& characterFormat) {
    const std::vector<long> boundaries = cellBoundaries(table);
    std::vector<std::string> cellDefinitions;
    for (std::size_t c = 0; c < boundaries.size(); ++c) {
        const long width = boundaries[c] - (c == 0 ? 0 : boundaries[c - 1]);
        cellDefinitions.push_back(preferredWidth(table.columns()[c], width) + "\\cellx" +
                                  std::to_string(boundaries[c]));
    }
    // The head of every row without shading entries, made once.
    std::string plainHead;
    auto noShading = table.shadings().end();
    appendRowHead(plainHead, table, table.rowCount(), cellDefinitions, colours, noShading, characterFormat);

    auto text = table.texts().begin();
    auto shading = table.shadings().begin();
    std::string& rtf = out.bytes();
    for (std::uint32_t row = 0; row < table.rowCount(); ++row) {
        if (shading != table.shadings().end() && shading->row == row) {
            appendRowHead(rtf, table, row, cellDefinitions, colours, shading, characterFormat);
        } else {
            rtf += plainHead;
        }
        for (std::uint32_t c = 0; c < boundaries.size(); ++c) {
            if (text != table.texts().end() && text->row == row && text->column == c) {
                RtfDocumentWriter::appendText(rtf, table.text(*text));
                ++text;
            }
            rtf += "\\cell ";
        }
        rtf += "\\row\n";
        out.rowDone();
    }
}

// A character RTF takes as it is: printable ASCII but the format's own three.
bool isPlain(char16_t c) {
    return c >= 0x20 && c < 0x80 && c != u'\\' && c != u'{' && c != u'}';
}

}  // namespace

void RtfDocumentWriter::appendText(std::string& rtf, std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A run of characters written as they are, copied in one go.
        std::size_t end = i;
        while (end < text.size() && isPlain(text[end])) {
            ++end;
        }
        if (end > i) {
            const std::size_t at = rtf.size();
            rtf.resize(at + (end - i));
            std::copy(text.begin() + static_cast<std::ptrdiff_t>(i),
                      text.begin() + static_cast<std::ptrdiff_t>(end),
                      rtf.begin() + static_cast<std::ptrdiff_t>(at));
            i = end;
            if (i == text.size()) {
                break;
            }
        }
        const char16_t c = text[i];
        if (c == u'\\' || c == u'{' || c == u'}') {
            rtf += '\\';
            rtf += static_cast<char>(c);
        } else if (c == u'\t') {
            rtf += "\\tab ";
        } else if (c == u'\r' || c == u'\n') {
            // A CR LF pair is one line break.
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
            rtf += "\\line ";
        } else if (c >= 0x80) {
            // \uN takes a signed 16-bit number; the ? is the fallback for readers without Unicode.
            rtf += "\\u" + std::to_string(static_cast<std::int16_t>(c)) + "?";
        }
        // Other control characters cannot be carried and are left out.
    }
}

void RtfDocumentWriter::write(const Sink& sink, const Font& font,
                              const std::vector<WordServerTable>& tables) {
    const ColourTable colours = collectColours(tables);
    PieceBuffer out(sink);
    std::string& rtf = out.bytes();
    rtf += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl{\\f0\\fnil\\fcharset0 ";
    appendText(rtf, font.name);
    rtf += ";}}\n{\\colortbl;";
    for (const auto& [colour, number] : colours) {
        rtf += "\\red" + std::to_string(colour & 0xFF) + "\\green" + std::to_string((colour >> 8) & 0xFF) +
               "\\blue" + std::to_string((colour >> 16) & 0xFF) + ";";
    }
    rtf += "}\n";
    const std::string characterFormat =
        "\\plain\\f0\\fs" + std::to_string(std::lround(font.size * kHalfPointsPerPoint));
    for (const WordServerTable& table : tables) {
        writeTable(out, table, colours, characterFormat);
        // A paragraph after each table keeps tables apart and ends the document, as in Word.
        rtf += "\\pard" + characterFormat + "\\par\n";
    }
    if (tables.empty()) {
        rtf += "\\pard" + characterFormat + "\\par\n";
    }
    rtf += "}\n";
    out.finish();
}

}  // namespace quelvane
