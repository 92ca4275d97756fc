#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "views/ObjectList.h"

namespace quelvane {

// The object list as plain text lines, in the order of DSPSAVF's columns: object, type,
// attribute, owner, size, created, text. The window's list and its printout, the saved text and
// any command-line listing share these captions and cell texts.
class ObjectListText {
  public:
    enum Column { kName, kType, kAttribute, kOwner, kSize, kCreated, kText, kColumnCount };

    static const char* caption(Column column);
    // A cell as shown: the size as a plain number and the creation as "2020-08-17 22:31:41";
    // empty for a value the save does not hold.
    static std::string cell(const ObjectListRow& row, Column column);
    // True for the columns whose values are numbers (right-aligned).
    static bool isNumeric(Column column) { return column == kSize; }

    // The header lines, a blank line, the captions, a rule under them and one line per row in
    // the order given. Columns are as wide as their widest cell or caption and two spaces
    // apart; numbers are right-aligned, the text column is last and nothing ends in blanks.
    static std::vector<std::string> lines(const std::vector<std::string>& header,
                                          std::span<const ObjectListRow* const> rows);

    // The columns a UTF-8 text takes on a character grid: one per character, two for the wide
    // characters of East Asian scripts.
    static std::size_t displayWidth(std::string_view utf8);
};

}  // namespace quelvane
