#pragma once

#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "export/RtfDocumentWriter.h"
#include "export/WordServerTable.h"

namespace quelvane::test {

// The plain way to write a Word server document as RTF: each row put together in a string of its
// own, cell definitions and all, the whole document in one string. RtfDocumentWriter writes it in
// pieces with each table's row head made once; the two must agree byte for byte.
class RtfReferenceWriter {
  public:
    static std::string write(const RtfDocumentWriter::Font& font,
                             const std::vector<WordServerTable>& tables) {
        std::map<std::int32_t, int> colours;
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
        std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl{\\f0\\fnil\\fcharset0 ";
        appendText(rtf, font.name);
        rtf += ";}}\n{\\colortbl;";
        for (const auto& [colour, number] : colours) {
            rtf += "\\red" + std::to_string(colour & 0xFF) + "\\green" +
                   std::to_string((colour >> 8) & 0xFF) + "\\blue" + std::to_string((colour >> 16) & 0xFF) +
                   ";";
        }
        rtf += "}\n";
        const std::string format = "\\plain\\f0\\fs" + std::to_string(std::lround(font.size * 2));
        for (const WordServerTable& table : tables) {
            writeTable(rtf, table, colours, format);
            rtf += "\\pard" + format + "\\par\n";
        }
        if (tables.empty()) {
            rtf += "\\pard" + format + "\\par\n";
        }
        return rtf + "}\n";
    }

    // The text character by character: escapes for the format's special characters and for
    // every non-ASCII one, tabs and line breaks as control words, other control characters left
    // out.
    static void appendText(std::string& rtf, std::u16string_view text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char16_t c = text[i];
            if (c == u'\\' || c == u'{' || c == u'}') {
                rtf += '\\';
                rtf += static_cast<char>(c);
            } else if (c == u'\t') {
                rtf += "\\tab ";
            } else if (c == u'\r' || c == u'\n') {
                if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                    ++i;
                }
                rtf += "\\line ";
            } else if (c < 0x20) {
                continue;
            } else if (c < 0x80) {
                rtf += static_cast<char>(c);
            } else {
                rtf += "\\u" + std::to_string(static_cast<std::int16_t>(c)) + "?";
            }
        }
    }

  private:
    static std::vector<std::string> cellDefinitions(const WordServerTable& table) {
        const auto& columns = table.columns();
        const long evenShare = RtfDocumentWriter::kTextWidthTwips / static_cast<long>(columns.size());
        std::vector<std::string> definitions;
        long right = 0;
        for (const WordServerTable::Column& column : columns) {
            long width = evenShare;
            std::string preferred = "\\clftsWidth1";
            if (column.preferredWidthType == WordServerTable::kWidthPoints) {
                width = std::max(std::lround(column.preferredWidth * 20), 1L);
                preferred = "\\clftsWidth3\\clwWidth" + std::to_string(width);
            } else if (column.preferredWidthType == WordServerTable::kWidthPercent) {
                width = std::lround(RtfDocumentWriter::kTextWidthTwips * column.preferredWidth / 100);
                preferred =
                    "\\clftsWidth2\\clwWidth" + std::to_string(std::lround(column.preferredWidth * 50));
            }
            right += std::max(width, 1L);
            definitions.push_back(preferred + "\\cellx" + std::to_string(right));
        }
        return definitions;
    }

    static void writeTable(std::string& out, const WordServerTable& table,
                           const std::map<std::int32_t, int>& colours, const std::string& format) {
        const std::vector<std::string> definitions = cellDefinitions(table);
        auto text = table.texts().begin();
        auto shading = table.shadings().begin();
        for (std::uint32_t row = 0; row < table.rowCount(); ++row) {
            std::string rtf = "\\trowd\\trgaph108\\trleft-108";
            if (table.autoFitBehavior() == WordServerTable::kAutoFitContent) {
                rtf += "\\trautofit1";
            }
            for (std::uint32_t c = 0; c < definitions.size(); ++c) {
                rtf +=
                    "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10"
                    "\\clbrdrr\\brdrs\\brdrw10";
                if (shading != table.shadings().end() && shading->row == row && shading->column == c) {
                    if (const auto colour = colours.find(shading->colour); colour != colours.end()) {
                        rtf += "\\clcbpat" + std::to_string(colour->second);
                    }
                    ++shading;
                }
                rtf += definitions[c];
            }
            rtf += "\n\\pard\\intbl" + format + " ";
            for (std::uint32_t c = 0; c < definitions.size(); ++c) {
                if (text != table.texts().end() && text->row == row && text->column == c) {
                    appendText(rtf, table.text(*text));
                    ++text;
                }
                rtf += "\\cell ";
            }
            out += rtf + "\\row\n";
        }
    }
};

}  // namespace quelvane::test
