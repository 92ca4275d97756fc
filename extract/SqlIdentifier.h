#pragma once

#include <string>
#include <string_view>

namespace quelvane {

// Names in SQL that Db2 for i, PostgreSQL and SQLite read alike. An ordinary identifier (an
// upper-case letter, then upper-case letters, digits and underscores, and no reserved word of
// any of the three) is written as it is, so each database folds it to its own case and it can be
// written unquoted in queries. Every other name (a lower-case letter, '@', '#', '$', a blank,
// DBCS text, a reserved word) is a delimited identifier: enclosed in double quotes, a double
// quote inside doubled, and then compared by its exact spelling.
class SqlIdentifier {
  public:
    static std::string quoted(std::string_view name);

    // Whether `word`, in any letter case, is reserved in standard SQL, Db2 for i, PostgreSQL or
    // SQLite: such a word cannot name a column there without quotes.
    static bool isReserved(std::string_view word);

    // `name` as a name every one of the three takes, quoted or not: control characters (a
    // delimited identifier may not hold NUL, and a line break would cut a line of schema.sql)
    // become "_", and an empty name, which no database takes, is "_".
    static std::string printable(std::string_view name);

    // Whether `name` may be written without quotes.
    static bool isOrdinary(std::string_view name);
};

}  // namespace quelvane
