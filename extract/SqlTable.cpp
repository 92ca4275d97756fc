#include "extract/SqlTable.h"

#include <algorithm>
#include <string_view>

#include "extract/ExtractNames.h"
#include "extract/SqlColumnType.h"
#include "extract/SqlIdentifier.h"
#include "views/FileFacts.h"

namespace quelvane {

namespace {

constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;
constexpr const char* kIndent = "    ";

}  // namespace

SqlTable::SqlTable(const SavedObject& file, PcTextToUtf8& utf8, StoredCcsidText& texts) {
    ExtractNames names;
    const std::size_t count =
        std::min(file.fields.size(), static_cast<std::size_t>(std::max(file.fieldCount, 0)));
    for (std::size_t i = 0; i < count; ++i) {
        const SavedField& field = file.fields[i];
        const FileFacts::Field facts = FileFacts::fieldOf(field, utf8, texts);
        Column column;
        column.name =
            names.unique(SqlIdentifier::printable(facts.longName.empty() ? facts.name : facts.longName));
        column.type = SqlColumnType::of(field);
        const char type = SqlColumnType::ddsType(field);
        // A field of a type not known here has no value in the CSV file.
        column.notNull = !facts.nullCapable && type != '?';
        if (facts.defaultValue) {
            column.defaultValue = SqlColumnType::defaultOf(field, *facts.defaultValue, column.note);
        }
        column.text = facts.text;
        column.character = std::string_view("AHOJEG").find(type) != std::string_view::npos;
        columns_.push_back(std::move(column));
    }
}

std::vector<std::string> SqlTable::columnNames() const {
    std::vector<std::string> names;
    names.reserve(columns_.size());
    for (const Column& column : columns_) {
        names.push_back(column.name);
    }
    return names;
}

std::string SqlTable::commentText(std::string text) {
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < kFirstPrintable || byte == kDelete) {
            c = ' ';
        }
    }
    const std::size_t last = text.find_last_not_of(' ');
    text.erase(last == std::string::npos ? 0 : last + 1);
    return text;
}

std::string SqlTable::createStatement(const std::string& table,
                                      const std::vector<std::string>& comments) const {
    std::string sql;
    for (const std::string& comment : comments) {
        sql += "-- " + commentText(comment) + "\n";
    }
    sql += "CREATE TABLE " + SqlIdentifier::quoted(table) + " (\n";
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const Column& column = columns_[i];
        sql += kIndent + SqlIdentifier::quoted(column.name) + " " + column.type;
        if (column.notNull) {
            sql += " NOT NULL";
        }
        if (column.defaultValue) {
            sql += " DEFAULT " + *column.defaultValue;
        }
        if (i + 1 < columns_.size()) {
            sql += ",";
        }
        std::string remark = commentText(column.text);
        const std::string note = commentText(column.note);
        if (!note.empty()) {
            remark += remark.empty() ? note : "; " + note;
        }
        if (!remark.empty()) {
            sql += " -- " + remark;
        }
        sql += "\n";
    }
    return sql + ");\n";
}

}  // namespace quelvane
