#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "conversion/PcTextToUtf8.h"
#include "conversion/StoredCcsidText.h"
#include "extract/SqlColumnType.h"
#include "extract/SqlIdentifier.h"
#include "extract/SqlTable.h"
#include "savefile/TypeCodes.h"

namespace quelvane::test {
namespace {

constexpr std::int32_t kPc1252 = 1252;
constexpr std::int32_t kHost37 = 37;

// A field as its entry describes it: DDS letter, buffer bytes, digits, decimals.
SavedField field(char type, std::uint16_t typeCode, std::int32_t bufferLength, std::int32_t digits = 0,
                 std::int32_t decimals = 0) {
    SavedField f;
    f.name = "F";
    f.typeCode = typeCode;
    f.length = bufferLength;
    f.digits = digits;
    f.decimals = decimals;
    f.description.read = true;
    f.description.ddsType = type;
    f.description.bufferLength = bufferLength;
    f.description.ccsid = 37;
    return f;
}

SavedField varying(SavedField f) {
    f.description.varying = true;
    return f;
}

SavedField tagged(SavedField f, std::uint16_t ccsid) {
    f.description.ccsid = ccsid;
    return f;
}

// CCSID 37 bytes of ASCII text.
std::vector<std::uint8_t> ebcdic(const std::string& text) {
    std::vector<std::uint8_t> out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        std::uint8_t e = 0x40;
        if (byte >= 'A' && byte <= 'I') {
            e = static_cast<std::uint8_t>(0xC1 + (byte - 'A'));
        } else if (byte >= 'J' && byte <= 'R') {
            e = static_cast<std::uint8_t>(0xD1 + (byte - 'J'));
        } else if (byte >= 'S' && byte <= 'Z') {
            e = static_cast<std::uint8_t>(0xE2 + (byte - 'S'));
        } else if (byte >= '0' && byte <= '9') {
            e = static_cast<std::uint8_t>(0xF0 + (byte - '0'));
        } else if (byte == '_') {
            e = 0x6D;
        } else if (byte == '@') {
            e = 0x7C;
        } else if (byte == '\'') {
            e = 0x7D;
        } else if (byte == '+') {
            e = 0x4E;
        } else if (byte == '.') {
            e = 0x4B;
        } else if (byte == '-') {
            e = 0x60;
        } else if (byte == '/') {
            e = 0x61;
        }
        out.push_back(e);
    }
    return out;
}

TEST(SqlSchema, EveryDdsTypeHasItsColumnType) {
    struct Case {
        const char* what;
        SavedField field;
        const char* type;
    };
    const Case cases[] = {
        {"10A", field('A', kCharacterFieldType, 10), "CHAR(10)"},
        {"VARLEN 50A", varying(field('A', kCharacterFieldType, 52)), "VARCHAR(50)"},
        {"10H", tagged(field('H', kCharacterFieldType, 10), 65535), "VARCHAR(20)"},
        {"10A CCSID 65535", tagged(field('A', kCharacterFieldType, 10), 65535), "VARCHAR(20)"},
        {"26J", field('J', kOpenCharacterFieldType, 26), "CHAR(26)"},
        {"4O", field('O', kOpenCharacterFieldType, 4), "CHAR(4)"},
        {"100E", field('E', kOpenCharacterFieldType, 100), "CHAR(100)"},
        {"VARLEN 20O", varying(field('O', kOpenCharacterFieldType, 22)), "VARCHAR(20)"},
        {"10G", field('G', 0x0503, 20, 10), "NCHAR(10)"},
        {"VARLEN 10G", varying(field('G', 0x0503, 22, 10)), "NCHAR VARYING(10)"},
        {"4B 0", field('B', kBinaryFieldType, 2, 4), "SMALLINT"},
        {"9B 0", field('B', kBinaryFieldType, 4, 9), "INTEGER"},
        {"5B 0", field('B', kBinaryFieldType, 4, 5), "INTEGER"},
        {"18B 0", field('B', kBinaryFieldType, 8, 18), "BIGINT"},
        {"9B 2", field('B', kBinaryFieldType, 4, 9, 2), "DECIMAL(9,2)"},
        {"7P 2", field('P', kPackedFieldType, 4, 7, 2), "DECIMAL(7,2)"},
        {"31P 0", field('P', kPackedFieldType, 16, 31), "DECIMAL(31,0)"},
        {"63P 10", field('P', kPackedFieldType, 32, 63, 10), "DECIMAL(63,10)"},
        {"5S 3", field('S', kZonedFieldType, 5, 5, 3), "NUMERIC(5,3)"},
        {"8S 0", field('S', kZonedFieldType, 8, 8), "NUMERIC(8,0)"},
        {"F 4 bytes", field('F', kFloatFieldType, 4, 7, 3), "REAL"},
        {"F 8 bytes", field('F', kFloatFieldType, 8, 17, 3), "DOUBLE PRECISION"},
        {"L", field('L', kDateFieldType, 10), "DATE"},
        {"T", field('T', kTimeFieldType, 8), "TIME"},
        {"Z", field('Z', kTimestampFieldType, 26), "TIMESTAMP"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SqlColumnType::of(c.field), c.type) << c.what;
    }
}

TEST(SqlSchema, WithoutTheFieldEntryTheTypeCodeDecides) {
    struct Case {
        std::uint16_t typeCode;
        std::int32_t length;
        std::int32_t digits;
        std::int32_t decimals;
        const char* type;
    };
    const Case cases[] = {
        {kBinaryFieldType, 4, 9, 0, "INTEGER"},
        {kFloatFieldType, 8, 17, 0, "DOUBLE PRECISION"},
        {kZonedFieldType, 5, 5, 2, "NUMERIC(5,2)"},
        {kPackedFieldType, 3, 5, 0, "DECIMAL(5,0)"},
        {kCharacterFieldType, 7, 0, 0, "CHAR(7)"},
        {kOpenCharacterFieldType, 12, 0, 0, "CHAR(12)"},
        {kDateFieldType, 4, 0, 0, "DATE"},
        {kTimeFieldType, 3, 0, 0, "TIME"},
        {kTimestampFieldType, 10, 0, 0, "TIMESTAMP"},
        {0x7F03, 0, 0, 0, "CHAR(1)"},
    };
    for (const Case& c : cases) {
        SavedField f;
        f.typeCode = c.typeCode;
        f.length = c.length;
        f.digits = c.digits;
        f.decimals = c.decimals;
        EXPECT_EQ(SqlColumnType::of(f), c.type) << std::hex << c.typeCode;
    }
}

TEST(SqlSchema, OddNamesAreQuoted) {
    struct Case {
        const char* name;
        const char* written;
    };
    const Case cases[] = {
        {"CUSTNO", "CUSTNO"},
        {"MSYOP_SYOHIN_CODE", "MSYOP_SYOHIN_CODE"},
        {"A1", "A1"},
        {"MSYOP@3", "\"MSYOP@3\""},
        {"#MOK001R", "\"#MOK001R\""},
        {"$AMT", "\"$AMT\""},
        {"_X", "\"_X\""},
        {"1ST", "\"1ST\""},
        {"lower", "\"lower\""},
        {"Mixed", "\"Mixed\""},
        {"TWO WORDS", "\"TWO WORDS\""},
        {"SAY\"HI", "\"SAY\"\"HI\""},
        {"", "\"\""},
        {"\xE5\x95\x86\xE5\x93\x81", "\"\xE5\x95\x86\xE5\x93\x81\""},
        {"DATE", "\"DATE\""},
        {"TIME", "\"TIME\""},
        {"TIMESTAMP", "\"TIMESTAMP\""},
        {"CHARACTER", "\"CHARACTER\""},
        {"VARCHAR", "\"VARCHAR\""},
        {"USER", "\"USER\""},
        {"ORDER", "\"ORDER\""},
        {"LIMIT", "\"LIMIT\""},
        {"VALUE", "\"VALUE\""},
        {"RRN", "\"RRN\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SqlIdentifier::quoted(c.name), c.written) << c.name;
    }
    struct Printable {
        std::string name;
        const char* printed;
    };
    const Printable printables[] = {
        {"A\nB", "A_B"}, {std::string("A\0B", 3), "A_B"},  {"", "_"},
        {"\x7F", "_"},   {"\xE5\x95\x86", "\xE5\x95\x86"},
    };
    for (const Printable& p : printables) {
        EXPECT_EQ(SqlIdentifier::printable(p.name), p.printed);
    }
    EXPECT_TRUE(SqlIdentifier::isReserved("select"));
    EXPECT_FALSE(SqlIdentifier::isReserved("REGNO"));
}

TEST(SqlSchema, DefaultsOnlyWhereTheDftIsALiteralOfTheType) {
    struct Case {
        const char* what;
        SavedField field;
        const char* dft;
        std::optional<std::string> sql;
    };
    SavedField nullable = field('A', kCharacterFieldType, 5);
    nullable.description.nullCapable = true;
    const Case cases[] = {
        {"character", field('A', kCharacterFieldType, 2), "'HI'", "'HI'"},
        {"blank", field('A', kCharacterFieldType, 25), "' '", "' '"},
        {"apostrophe", field('A', kCharacterFieldType, 5), "'IT''S'", "'IT''S'"},
        {"too long", field('A', kCharacterFieldType, 1), "'HI'", std::nullopt},
        {"unclosed", field('A', kCharacterFieldType, 5), "'HI", std::nullopt},
        {"lone apostrophe", field('A', kCharacterFieldType, 5), "'A'B'", std::nullopt},
        {"hexadecimal", field('A', kCharacterFieldType, 2), "X'C1C2'", std::nullopt},
        {"varying", varying(field('A', kCharacterFieldType, 7)), "'ABCDE'", "'ABCDE'"},
        {"varying too long", varying(field('A', kCharacterFieldType, 6)), "'ABCDE'", std::nullopt},
        {"graphic", field('G', 0x0503, 4, 2), "'\xEF\xBC\xB8\xEF\xBC\xB9'", "'\xEF\xBC\xB8\xEF\xBC\xB9'"},
        {"zero", field('B', kBinaryFieldType, 2, 4), "+0", "0"},
        {"binary", field('B', kBinaryFieldType, 4, 6), "+150", "150"},
        {"binary too many digits", field('B', kBinaryFieldType, 2, 4), "+15000", std::nullopt},
        {"negative", field('S', kZonedFieldType, 5, 5, 2), "-12.5", "-12.5"},
        {"packed", field('P', kPackedFieldType, 6, 10, 5), "+88.888", "88.888"},
        {"leading zeros", field('P', kPackedFieldType, 2, 3), "+00015", "00015"},
        {"too many decimals", field('P', kPackedFieldType, 4, 7, 2), "+1.234", std::nullopt},
        {"too many integer digits", field('S', kZonedFieldType, 5, 5, 3), "+123", std::nullopt},
        {"no digits", field('S', kZonedFieldType, 5, 5), "+", std::nullopt},
        {"quoted number", field('S', kZonedFieldType, 5, 5), "'0'", std::nullopt},
        {"float exponent", field('F', kFloatFieldType, 8, 17), "+1.5E+3", "1.5E+3"},
        {"float bad exponent", field('F', kFloatFieldType, 8, 17), "1E", std::nullopt},
        {"ISO date", field('L', kDateFieldType, 10), "'1997-01-31'", "'1997-01-31'"},
        {"leap day", field('L', kDateFieldType, 10), "'2000-02-29'", "'2000-02-29'"},
        {"not a leap day", field('L', kDateFieldType, 10), "'1900-02-29'", std::nullopt},
        {"DMY date", field('L', kDateFieldType, 8), "'01/01/97'", std::nullopt},
        {"ISO time", field('T', kTimeFieldType, 8), "'13.45.00'", "'13:45:00'"},
        {"colon time", field('T', kTimeFieldType, 8), "'24:00:00'", "'24:00:00'"},
        {"time past midnight", field('T', kTimeFieldType, 8), "'24.00.01'", std::nullopt},
        {"timestamp", field('Z', kTimestampFieldType, 26), "'2001-02-03-04.05.06.000007'",
         "'2001-02-03 04:05:06.000007'"},
        {"timestamp without fraction", field('Z', kTimestampFieldType, 26), "'2001-02-03-04.05.06'",
         "'2001-02-03 04:05:06'"},
        {"timestamp bad month", field('Z', kTimestampFieldType, 26), "'2001-13-03-04.05.06'", std::nullopt},
        {"null", nullable, "*NULL", "NULL"},
        {"null not capable", field('A', kCharacterFieldType, 5), "*NULL", std::nullopt},
    };
    for (const Case& c : cases) {
        std::string why;
        const std::optional<std::string> sql = SqlColumnType::defaultOf(c.field, c.dft, why);
        EXPECT_EQ(sql, c.sql) << c.what;
        EXPECT_EQ(why.empty(), c.sql.has_value()) << c.what << ": " << why;
    }
}

TEST(SqlSchema, TableNamesColumnsByLongNameAndKeepsThemApart) {
    SavedObject file;
    file.fieldCount = 5;
    SavedField code = field('A', kCharacterFieldType, 5);
    code.name = "MSCODE";
    code.description.longName = StoredText{ebcdic("ITEM_CODE"), 37};
    code.description.text = StoredText{ebcdic("CODE"), 37};
    SavedField other = field('A', kCharacterFieldType, 5);
    other.name = "ITEM_CODE";
    SavedField price = field('P', kPackedFieldType, 4, 7, 2);
    price.name = "PRICE";
    price.description.nullCapable = true;
    price.description.defaultValue = StoredText{ebcdic("+1.5"), 37};
    SavedField when = field('L', kDateFieldType, 10);
    when.name = "DATE";
    when.description.defaultValue = StoredText{ebcdic("'01/01/97'"), 37};
    SavedField odd = field('A', kCharacterFieldType, 3);
    odd.name = "A@B";
    odd.description.text = StoredText{{0xC1, 0x25, 0xC2}, 37};
    file.fields = {code, other, price, when, odd};

    PcTextToUtf8 utf8(kPc1252);
    StoredCcsidText texts(kHost37);
    const SqlTable table(file, utf8, texts);
    EXPECT_EQ(table.columnNames(),
              (std::vector<std::string>{"ITEM_CODE", "ITEM_CODE_2", "PRICE", "DATE", "A@B"}));
    EXPECT_EQ(table.createStatement("MSYOP@3", {"LIB/MSYOP@3: items", "rows: LIB/MSYOP@3/M.csv"}),
              "-- LIB/MSYOP@3: items\n"
              "-- rows: LIB/MSYOP@3/M.csv\n"
              "CREATE TABLE \"MSYOP@3\" (\n"
              "    ITEM_CODE CHAR(5) NOT NULL, -- CODE\n"
              "    ITEM_CODE_2 CHAR(5) NOT NULL,\n"
              "    PRICE DECIMAL(7,2) DEFAULT 1.5,\n"
              "    \"DATE\" DATE NOT NULL, -- DEFAULT '01/01/97' left out: not a DATE value SQL reads\n"
              "    \"A@B\" CHAR(3) NOT NULL -- A B\n"
              ");\n");
    EXPECT_TRUE(table.columns()[0].character);
    EXPECT_FALSE(table.columns()[2].character);
}

}  // namespace
}  // namespace quelvane::test
