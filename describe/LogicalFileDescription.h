#pragma once

#include <string>
#include <vector>

namespace quelvane {

struct LogicalFileKey {
    std::string field;  // empty for K *NONE
    bool descending = false;
    bool absoluteValue = false;
    bool digit = false;
};

struct LogicalFileBasedOn {
    std::string file;
    std::string library;
    std::string format;
};

struct SelectOmitRule {
    char rule = 'S';   // 'S' select or 'O' omit
    std::string test;  // "EQ", "NE" … ; "VA" VALUES; "AL" ALL
    std::string field;
    std::vector<std::string> values;  // DDS literals as stored ("'XXX'")
};

struct LogicalFileFormat {
    std::string name;
    std::vector<LogicalFileKey> keys;
    std::vector<LogicalFileBasedOn> basedOn;
    std::vector<SelectOmitRule> selectOmit;
};

// What the member area of a logical file says: its formats with their keys, based-on files and
// select/omit rules, UNIQUE, for an SQL view its CREATE VIEW statement and for an SQL index
// its SQL name (the object has a system name of at most ten characters).
struct LogicalFileDescription {
    bool unique = false;
    std::vector<LogicalFileFormat> formats;
    std::string sqlText;
    std::string indexName;

    // Whether the description reads as SQL rather than as DDS.
    bool isSql() const { return !sqlText.empty() || !indexName.empty(); }
};

}  // namespace quelvane
