#pragma once

#include <string_view>

#include "extract/OutputFile.h"

namespace quelvane {

// Rows of comma-separated values after RFC 4180, in UTF-8 (the caller hands UTF-8 texts): a
// field is enclosed in double quotes only when it holds a comma, a double quote, CR or LF, a
// double quote inside one is doubled, and every row, the last included, ends in CRLF, the line
// break the RFC prescribes. A row of a single empty field is written as "" so that it does not
// read back as an empty line.
class CsvWriter {
  public:
    explicit CsvWriter(OutputFile& out) : out_(out) {}

    void field(std::string_view text);
    // A field the caller knows holds no comma, double quote, CR or LF: written as it is,
    // without the look for them.
    void plainField(std::string_view text);
    // An empty text written as "": read as an empty string where an empty field means none.
    void emptyText();
    void endRow();

  private:
    OutputFile& out_;
    int fieldsInRow_ = 0;
    bool lastEmpty_ = false;
};

}  // namespace quelvane
