#include "extract/SqlColumnType.h"

#include <algorithm>
#include <array>

#include "savefile/FieldEntryReader.h"

namespace quelvane {

namespace {

// A varying field's buffer starts with its two length bytes.
constexpr std::int32_t kVaryingLengthBytes = 2;
// The bytes of the largest binary integer each SQL integer type holds.
constexpr std::int32_t kSmallintBytes = 2;
constexpr std::int32_t kIntegerBytes = 4;
// A float of this many bytes or fewer is single precision.
constexpr std::int32_t kRealBytes = 4;
// DFT(*NULL) as the field entry stores it.
constexpr std::string_view kNullDefault = "*NULL";

// A field tagged with this CCSID holds bytes that need not be text.
constexpr std::uint16_t kBinaryCcsid = 65535;
// The type code of a record format's field is the field entry's data type byte, then 0x03.
constexpr int kDataTypeShift = 8;

// The bytes of the program's buffer the field takes, its two length bytes included.
std::int32_t bufferLength(const SavedField& field) {
    return field.description.read && field.description.bufferLength > 0 ? field.description.bufferLength
                                                                        : field.length;
}

std::int32_t dataLength(const SavedField& field) {
    const std::int32_t bytes = bufferLength(field);
    return field.description.varying ? bytes - kVaryingLengthBytes : bytes;
}

std::string sized(const char* type, std::int64_t length) {
    return std::string(type) + "(" + std::to_string(std::max<std::int64_t>(length, 1)) + ")";
}

std::string decimalType(const char* type, const SavedField& field) {
    const std::int32_t digits = std::max(field.digits, 1);
    const std::int32_t scale = std::clamp(field.decimals, 0, digits);
    return std::string(type) + "(" + std::to_string(digits) + "," + std::to_string(scale) + ")";
}

std::string characterType(const SavedField& field) {
    const std::int64_t bytes = dataLength(field);
    // Bytes tagged 65535 that are not text come out as two hexadecimal digits a byte, so the
    // column takes twice the bytes, varying because text still comes out as it is.
    if (SqlColumnType::ddsType(field) == 'H' || field.description.ccsid == kBinaryCcsid) {
        return sized("VARCHAR", bytes * 2);
    }
    return sized(field.description.varying ? "VARCHAR" : "CHAR", bytes);
}

std::string graphicType(const SavedField& field) {
    const std::int64_t characters = field.digits > 0 ? field.digits : dataLength(field) / 2;
    return sized(field.description.varying ? "NCHAR VARYING" : "NCHAR", characters);
}

std::string binaryType(const SavedField& field) {
    if (field.decimals > 0) {
        return decimalType("DECIMAL", field);
    }
    const std::int32_t bytes = bufferLength(field);
    return bytes <= kSmallintBytes ? "SMALLINT" : bytes <= kIntegerBytes ? "INTEGER" : "BIGINT";
}

// The text between the apostrophes of a DDS character literal, each doubled apostrophe read as
// one; nothing when `literal` is not one.
std::optional<std::string> quotedContent(std::string_view literal) {
    if (literal.size() < 2 || literal.front() != '\'' || literal.back() != '\'') {
        return std::nullopt;
    }
    std::string content;
    for (std::size_t i = 1; i + 1 < literal.size(); ++i) {
        if (literal[i] == '\'') {
            if (i + 2 >= literal.size() || literal[i + 1] != '\'') {
                return std::nullopt;
            }
            ++i;
        }
        content.push_back(literal[i]);
    }
    return content;
}

std::string sqlString(std::string_view content) {
    std::string out = "'";
    for (const char c : content) {
        out.push_back(c);
        if (c == '\'') {
            out.push_back('\'');
        }
    }
    return out + "'";
}

std::size_t utf8Characters(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int number(std::string_view digits) {
    int value = 0;
    for (const char c : digits) {
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

char SqlColumnType::ddsType(const SavedField& field) {
    if (field.description.read && field.description.ddsType != ' ' && field.description.ddsType != '?') {
        return field.description.ddsType;
    }
    return FieldEntryReader::ddsType(static_cast<std::uint8_t>(field.typeCode >> kDataTypeShift), 0);
}

std::string SqlColumnType::of(const SavedField& field) {
    switch (ddsType(field)) {
        case 'B':
            return binaryType(field);
        case 'F':
            return bufferLength(field) <= kRealBytes ? "REAL" : "DOUBLE PRECISION";
        case 'S':
            return decimalType("NUMERIC", field);
        case 'P':
            return decimalType("DECIMAL", field);
        case 'G':
            return graphicType(field);
        case 'L':
            return "DATE";
        case 'T':
            return "TIME";
        case 'Z':
            return "TIMESTAMP";
        default:
            return characterType(field);
    }
}

namespace {

// A number as DDS writes a DFT: an optional sign, digits and an optional point with more
// digits; for floating point also an exponent. Gives the literal without a plus sign.
std::optional<std::string> numberLiteral(std::string_view text, const SavedField& field, bool floating) {
    std::string out;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        if (text.front() == '-') {
            out.push_back('-');
        }
        text.remove_prefix(1);
    }
    std::string exponent;
    if (const std::size_t e = text.find_first_of("eE"); floating && e != std::string_view::npos) {
        std::string_view power = text.substr(e + 1);
        text = text.substr(0, e);
        if (!power.empty() && (power.front() == '+' || power.front() == '-')) {
            exponent.push_back(power.front());
            power.remove_prefix(1);
        }
        if (!allDigits(power)) {
            return std::nullopt;
        }
        exponent = "E" + exponent + std::string(power);
    }
    const std::size_t point = text.find('.');
    std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? "" : text.substr(point + 1);
    if ((whole.empty() && fraction.empty()) || (!whole.empty() && !allDigits(whole)) ||
        (!fraction.empty() && !allDigits(fraction))) {
        return std::nullopt;
    }
    const std::string_view significant = whole.substr(std::min(whole.find_first_not_of('0'), whole.size()));
    const std::int64_t scale = std::max(field.decimals, 0);
    if (!floating &&
        (static_cast<std::int64_t>(fraction.size()) > scale ||
         static_cast<std::int64_t>(significant.size()) > std::max<std::int64_t>(field.digits - scale, 0))) {
        return std::nullopt;
    }
    out += whole.empty() ? "0" : std::string(whole);
    if (!fraction.empty()) {
        out += "." + std::string(fraction);
    }
    return out + exponent;
}

bool validDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !allDigits(text.substr(0, 4)) ||
        !allDigits(text.substr(5, 2)) || !allDigits(text.substr(8, 2))) {
        return false;
    }
    const int year = number(text.substr(0, 4));
    const int month = number(text.substr(5, 2));
    const int day = number(text.substr(8, 2));
    constexpr std::array<int, 12> kDays{31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return year >= 1 && month >= 1 && month <= 12 && day >= 1 &&
           day <= (month == 2 && !leap ? 28 : kDays[static_cast<std::size_t>(month - 1)]);
}

// "hh.mm.ss" (the *ISO form of DDS) or "hh:mm:ss" as "hh:mm:ss".
std::optional<std::string> timeText(std::string_view text) {
    if (text.size() != 8 || text[2] != text[5] || (text[2] != '.' && text[2] != ':') ||
        !allDigits(text.substr(0, 2)) || !allDigits(text.substr(3, 2)) || !allDigits(text.substr(6, 2))) {
        return std::nullopt;
    }
    const int hour = number(text.substr(0, 2));
    const int minute = number(text.substr(3, 2));
    const int second = number(text.substr(6, 2));
    constexpr int kLastHour = 24;
    constexpr int kLastMinute = 59;
    if (hour > kLastHour || minute > kLastMinute || second > kLastMinute ||
        (hour == kLastHour && (minute != 0 || second != 0))) {
        return std::nullopt;
    }
    return std::string(text.substr(0, 2)) + ":" + std::string(text.substr(3, 2)) + ":" +
           std::string(text.substr(6, 2));
}

// "yyyy-mm-dd-hh.mm.ss.ffffff" (DDS) or "yyyy-mm-dd hh:mm:ss.ffffff", the fraction optional, as
// "yyyy-mm-dd hh:mm:ss.ffffff".
std::optional<std::string> timestampText(std::string_view text) {
    constexpr std::size_t kDateLength = 10;
    constexpr std::size_t kTimeEnd = 19;
    constexpr std::size_t kLongestFraction = 12;
    if (text.size() < kTimeEnd || (text[kDateLength] != '-' && text[kDateLength] != ' ') ||
        !validDate(text.substr(0, kDateLength))) {
        return std::nullopt;
    }
    const std::optional<std::string> time = timeText(text.substr(kDateLength + 1, 8));
    if (!time) {
        return std::nullopt;
    }
    std::string out = std::string(text.substr(0, kDateLength)) + " " + *time;
    if (text.size() > kTimeEnd) {
        const std::string_view fraction = text.substr(kTimeEnd + 1);
        if (text[kTimeEnd] != '.' || !allDigits(fraction) || fraction.size() > kLongestFraction) {
            return std::nullopt;
        }
        out += "." + std::string(fraction);
    }
    return out;
}

std::optional<std::string> temporalLiteral(char type, std::string_view literal) {
    const std::optional<std::string> content = quotedContent(literal);
    if (!content) {
        return std::nullopt;
    }
    if (type == 'L') {
        return validDate(*content) ? std::optional<std::string>(sqlString(*content)) : std::nullopt;
    }
    const std::optional<std::string> text = type == 'T' ? timeText(*content) : timestampText(*content);
    return text ? std::optional<std::string>(sqlString(*text)) : std::nullopt;
}

std::optional<std::string> textLiteral(const SavedField& field, char type, std::string_view literal) {
    const std::optional<std::string> content = quotedContent(literal);
    if (!content) {
        return std::nullopt;
    }
    const std::size_t room = static_cast<std::size_t>(
        std::max(type == 'G' && field.digits > 0 ? field.digits : dataLength(field), 0));
    return utf8Characters(*content) <= room ? std::optional<std::string>(sqlString(*content)) : std::nullopt;
}

}  // namespace

std::optional<std::string> SqlColumnType::defaultOf(const SavedField& field, const std::string& literal,
                                                    std::string& why) {
    const char type = ddsType(field);
    std::optional<std::string> sql;
    if (literal == kNullDefault) {
        sql = field.description.nullCapable ? std::optional<std::string>("NULL") : std::nullopt;
    } else if (type == 'B' || type == 'P' || type == 'S' || type == 'F') {
        sql = numberLiteral(literal, field, type == 'F');
    } else if (type == 'L' || type == 'T' || type == 'Z') {
        sql = temporalLiteral(type, literal);
    } else {
        sql = textLiteral(field, type, literal);
    }
    if (!sql) {
        why = "DEFAULT " + literal + " left out: not a " + of(field) + " value SQL reads";
    }
    return sql;
}

}  // namespace quelvane
