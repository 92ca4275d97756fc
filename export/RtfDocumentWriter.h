#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "export/WordServerTable.h"

namespace quelvane {

// Writes a Word server document as Rich Text Format, which Word and LibreOffice open also under
// a .doc name: every table with its cell texts, shading, column widths and grid borders, all in
// the document's font. Every character beyond ASCII is a Unicode escape, so texts of any code
// page survive; tabs and line breaks inside a cell stay tabs and line breaks, other control
// characters cannot be carried and are left out.
class RtfDocumentWriter {
  public:
    struct Font {
        std::u16string name = u"Times New Roman";
        double size = 12;  // points
    };

    // The width of the text area of the format's default page (12240 twips wide, 1800-twip
    // margins); columns without a width in points share it.
    static constexpr int kTextWidthTwips = 8640;

    static void write(std::ostream& out, const Font& font, const std::vector<WordServerTable>& tables);

    // The text as RTF: escapes for the format's special characters and for every non-ASCII one.
    static void appendText(std::string& rtf, std::u16string_view text);
};

}  // namespace quelvane
