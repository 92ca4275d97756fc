#pragma once

#include <optional>
#include <string>
#include <vector>

#include "conversion/PcTextToUtf8.h"
#include "conversion/StoredCcsidText.h"
#include "savefile/Catalog.h"

namespace quelvane {

// The table a physical file's records load into: a column per field of its record format, named
// by the field's long name where it has one, else by its name, names kept apart within the table;
// its SQL type, NOT NULL unless the field is null-capable, the DEFAULT of its DFT where SQL reads
// it as one, and the field's text. The CSV header, the SQLite table and schema.sql all use these
// names, so a CSV file loads into the table by its header.
class SqlTable {
  public:
    struct Column {
        std::string name;
        std::string type;
        bool notNull = true;
        std::optional<std::string> defaultValue;
        // Why the field's DFT is not the column's DEFAULT, empty when it is or there is none.
        std::string note;
        std::string text;
        // Character data: an empty value is an empty string, where other columns have none.
        bool character = false;
    };

    SqlTable(const SavedObject& file, PcTextToUtf8& utf8, StoredCcsidText& texts);

    const std::vector<Column>& columns() const { return columns_; }
    std::vector<std::string> columnNames() const;

    // CREATE TABLE `table` with a column per line, each field's text as a trailing comment;
    // `comments` go before it as comment lines.
    std::string createStatement(const std::string& table, const std::vector<std::string>& comments) const;

    // `text` fit for a comment line: control characters and line breaks become blanks.
    static std::string commentText(std::string text);

  private:
    std::vector<Column> columns_;
};

}  // namespace quelvane
