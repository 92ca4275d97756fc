#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "export/WordServerTable.h"

namespace quelvane {

// Writes a Word server document as Rich Text Format, which Word and LibreOffice open also under
// a .doc name: every table with its cell texts, shading, column widths and grid borders, all in
// the document's font. Every character beyond ASCII is a Unicode escape, so texts of any code
// page survive; tabs and line breaks inside a cell stay tabs and line breaks, other control
// characters cannot be carried and are left out.
//
// The document goes to a sink in pieces of about kPieceSize bytes as it is made, never whole in
// memory: a table of tens of thousands of rows is most of a hundred megabytes of RTF, nearly all
// of it the cell definitions every row repeats. Those are made once per table and copied into
// each row that has no shading of its own.
class RtfDocumentWriter {
  public:
    struct Font {
        std::u16string name = u"Times New Roman";
        double size = 12;  // points
    };

    // The width of the text area of the format's default page (12240 twips wide, 1800-twip
    // margins); columns without a width in points share it.
    static constexpr int kTextWidthTwips = 8640;

    static constexpr std::size_t kPieceSize = 1 << 16;

    // Receives the document's bytes in order.
    using Sink = std::function<void(std::string_view)>;

    static void write(const Sink& sink, const Font& font, const std::vector<WordServerTable>& tables);

    // The text as RTF: escapes for the format's special characters and for every non-ASCII one.
    static void appendText(std::string& rtf, std::u16string_view text);
};

}  // namespace quelvane
