#include "export/ExcelServerValueReader.h"

#include <locale.h>
#include <stdlib.h>

#include <cmath>
#include <string>

namespace quelvane {

namespace {

constexpr int kFirstYear = 1900;
constexpr int kLastYear = 9999;
constexpr double kSecondsPerDay = 86400;

// The C locale, opened once for the life of the program.
locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", nullptr);
    return locale;
}

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

std::u16string_view trimBlanks(std::u16string_view text) {
    const auto first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

// Days since 1970-01-01 of a proleptic Gregorian date.
long daysFromCivil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const long era = (year >= 0 ? year : year - 399) / 400;
    const long yearOfEra = year - era * 400;
    const long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Reads up to `maxDigits` digits (at least one) as a number and moves past them.
std::optional<int> readDigits(std::u16string_view text, std::size_t& at, std::size_t maxDigits) {
    int value = 0;
    std::size_t count = 0;
    while (at < text.size() && isDigit(text[at]) && count < maxDigits) {
        value = value * 10 + (text[at++] - u'0');
        ++count;
    }
    if (count == 0 || (at < text.size() && isDigit(text[at]))) {
        return std::nullopt;
    }
    return value;
}

// A date as yyyy-m-d, yyyy/m/d or m/d/yyyy, ending where `at` leaves it.
std::optional<double> readDate(std::u16string_view text, std::size_t& at) {
    const std::size_t start = at;
    const auto first = readDigits(text, at, 4);
    if (!first || at == text.size() || (text[at] != u'-' && text[at] != u'/')) {
        return std::nullopt;
    }
    const char16_t separator = text[at++];
    const bool yearFirst = at - start == 5;
    const auto second = readDigits(text, at, 2);
    if (!second || at == text.size() || text[at] != separator) {
        return std::nullopt;
    }
    ++at;
    const std::size_t thirdStart = at;
    const auto third = readDigits(text, at, 4);
    if (!third) {
        return std::nullopt;
    }
    if (yearFirst) {
        return ExcelServerValueReader::serialDay(*first, *second, *third);
    }
    if (separator != u'/' || at - thirdStart != 4) {
        return std::nullopt;
    }
    return ExcelServerValueReader::serialDay(*third, *first, *second);
}

// A time as h:mm or h:mm:ss on a 24-hour clock; `withSeconds` tells which.
std::optional<double> readTime(std::u16string_view text, std::size_t& at, bool& withSeconds) {
    const auto hours = readDigits(text, at, 2);
    if (!hours || at == text.size() || text[at] != u':') {
        return std::nullopt;
    }
    ++at;
    std::size_t minutesStart = at;
    const auto minutes = readDigits(text, at, 2);
    if (!minutes || at - minutesStart != 2) {
        return std::nullopt;
    }
    int seconds = 0;
    withSeconds = at < text.size() && text[at] == u':';
    if (withSeconds) {
        ++at;
        minutesStart = at;
        const auto read = readDigits(text, at, 2);
        if (!read || at - minutesStart != 2) {
            return std::nullopt;
        }
        seconds = *read;
    }
    if (*hours > 23 || *minutes > 59 || seconds > 59) {
        return std::nullopt;
    }
    return (*hours * 3600 + *minutes * 60 + seconds) / kSecondsPerDay;
}

std::optional<ExcelServerValueReader::Reading> readDateTime(std::u16string_view text) {
    std::size_t at = 0;
    bool withSeconds = false;
    if (const auto time = readTime(text, at, withSeconds); time && at == text.size()) {
        return ExcelServerValueReader::Reading{
            *time, withSeconds ? ExcelServerValueReader::kTime : ExcelServerValueReader::kHoursMinutes};
    }
    at = 0;
    const auto date = readDate(text, at);
    if (!date) {
        return std::nullopt;
    }
    if (at == text.size()) {
        return ExcelServerValueReader::Reading{*date, ExcelServerValueReader::kDate};
    }
    if (text[at] != u' ') {
        return std::nullopt;
    }
    while (at < text.size() && text[at] == u' ') {
        ++at;
    }
    const auto time = readTime(text, at, withSeconds);
    if (!time || at != text.size()) {
        return std::nullopt;
    }
    return ExcelServerValueReader::Reading{*date + *time, ExcelServerValueReader::kDateTime};
}

// The integer part of a number, copied into `plain` without its thousands separators; a
// separator must be followed by exactly three digits. False for a misplaced separator.
bool readGroupedDigits(std::u16string_view text, std::size_t& at, std::string& plain, std::size_t& digits) {
    std::size_t groupLength = 0;
    bool grouped = false;
    for (; at < text.size() && (isDigit(text[at]) || text[at] == u','); ++at) {
        if (text[at] == u',') {
            if (groupLength == 0 || (grouped && groupLength != 3)) {
                return false;
            }
            grouped = true;
            groupLength = 0;
            continue;
        }
        plain += static_cast<char>(text[at]);
        ++digits;
        ++groupLength;
    }
    return !grouped || groupLength == 3;
}

// A decimal point and the digits after it, if there.
void readFraction(std::u16string_view text, std::size_t& at, std::string& plain, std::size_t& digits) {
    if (at < text.size() && text[at] == u'.') {
        plain += '.';
        for (++at; at < text.size() && isDigit(text[at]); ++at) {
            plain += static_cast<char>(text[at]);
            ++digits;
        }
    }
}

// An exponent, if there: E or e, an optional sign and at least one digit. False for an E
// without digits.
bool readExponent(std::u16string_view text, std::size_t& at, std::string& plain) {
    if (at == text.size() || (text[at] != u'E' && text[at] != u'e')) {
        return true;
    }
    plain += 'e';
    ++at;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) {
        plain += static_cast<char>(text[at++]);
    }
    if (at == text.size() || !isDigit(text[at])) {
        return false;
    }
    for (; at < text.size() && isDigit(text[at]); ++at) {
        plain += static_cast<char>(text[at]);
    }
    return true;
}

}  // namespace

std::optional<double> ExcelServerValueReader::serialDay(int year, int month, int day) {
    if (year < kFirstYear || year > kLastYear || month < 1 || month > 12 || day < 1) {
        return std::nullopt;
    }
    // Excel counts a 29 February 1900, so days from 1 March 1900 on are one higher.
    if (year == kFirstYear && month == 2 && day == 29) {
        return 60;
    }
    if (day > daysInMonth(year, month)) {
        return std::nullopt;
    }
    const long serial = daysFromCivil(year, month, day) - daysFromCivil(1899, 12, 30);
    return static_cast<double>(serial < 61 ? serial - 1 : serial);
}

std::optional<double> ExcelServerValueReader::readNumber(std::u16string_view text) {
    text = trimBlanks(text);
    if (text.empty()) {
        return std::nullopt;
    }
    std::string plain;
    std::size_t at = 0;
    if (text[at] == u'+' || text[at] == u'-') {
        if (text[at] == u'-') {
            plain += '-';
        }
        ++at;
    }
    std::size_t digits = 0;
    if (!readGroupedDigits(text, at, plain, digits)) {
        return std::nullopt;
    }
    readFraction(text, at, plain, digits);
    if (digits == 0 || !readExponent(text, at, plain) || at != text.size()) {
        return std::nullopt;
    }
    // Read in the C locale: the program's own locale may use a decimal comma. A number too large
    // for a double is refused; one too small reads as zero or a subnormal, as strtod gives it.
    char* end = nullptr;
    const double value = strtod_l(plain.c_str(), &end, cLocale());
    if (end != plain.c_str() + plain.size() || plain.empty() || !std::isfinite(value)) {
        return std::nullopt;
    }
    // A number too small for a double reads as zero there; it is out of range, as one too large.
    const std::string_view mantissa = std::string_view(plain).substr(0, plain.find('e'));
    if (value == 0 && mantissa.find_first_of("123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    return value == 0 ? 0.0 : value;
}

std::optional<ExcelServerValueReader::Reading> ExcelServerValueReader::read(std::u16string_view text) {
    if (const auto number = readNumber(text)) {
        return Reading{*number, kGeneral};
    }
    return readDateTime(trimBlanks(text));
}

}  // namespace quelvane
