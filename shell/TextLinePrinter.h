#pragma once

#include <QStringList>

class QPrinter;

namespace quelvane {

// Prints lines of text laid out for a character grid (columns aligned with blanks) in a
// fixed-pitch font, page after page. The font is made smaller, down to a legible floor, until
// the widest line fits the page, so columns are never wrapped apart.
class TextLinePrinter {
  public:
    // False when the printer cannot be painted on (no page was started).
    static bool print(const QStringList& lines, QPrinter& printer);
};

}  // namespace quelvane
