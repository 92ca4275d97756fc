#pragma once

#include <optional>
#include <string>

#include "savefile/Catalog.h"

namespace quelvane {

// A field's column in standard SQL, as Db2 for i, PostgreSQL and SQLite all read it: its type
// and the DEFAULT its DFT literal stands for.
class SqlColumnType {
  public:
    // The DDS type letter: the field entry's where it was read, else the one its type code
    // stands for ('?' when neither says).
    static char ddsType(const SavedField& field);

    // CHAR(n) or VARCHAR(n) for character, hexadecimal and DBCS-capable fields (n in bytes, which
    // is never fewer than the characters they hold), NCHAR(n) or NCHAR VARYING(n) for graphic
    // fields (n characters), DECIMAL(p,s) for packed and NUMERIC(p,s) for zoned decimal,
    // SMALLINT, INTEGER or BIGINT for binary fields without decimal positions and DECIMAL(p,s)
    // for those with, REAL or DOUBLE PRECISION for floating point, DATE, TIME, TIMESTAMP.
    static std::string of(const SavedField& field);

    // The SQL literal for `literal` (the DFT as DDS stores it: "'HI'", "+15", "'1997-01-01'"),
    // or nothing when it is none of the column's type; `why` then says so.
    static std::optional<std::string> defaultOf(const SavedField& field, const std::string& literal,
                                                std::string& why);
};

}  // namespace quelvane
