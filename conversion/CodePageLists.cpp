#include "conversion/CodePageLists.h"

#include <charconv>

namespace quelvane {

namespace {

constexpr std::size_t kEbcdicFieldStart = 7;
constexpr std::size_t kEbcdicFieldWidth = 5;
constexpr std::size_t kPcFieldWidth = 5;

constexpr int kPcRowArabic = 0;
constexpr int kPcRowCyrillic = 2;
constexpr int kPcRowCentralEurope = 3;
constexpr int kPcRowGreek = 4;
constexpr int kPcRowHebrew = 5;
constexpr int kPcRowLatin1 = 6;
constexpr int kPcRowTurkish = 7;
constexpr int kPcRowJapanese = 8;
constexpr int kPcRowKorean = 9;
constexpr int kPcRowSimplifiedChinese = 10;
constexpr int kPcRowThai = 11;
constexpr int kPcRowTraditionalChinese = 12;
constexpr int kPcRowVietnamese = 14;

std::string_view trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string_view slice(std::string_view text, std::size_t start, std::size_t width) {
    return start >= text.size() ? std::string_view{} : text.substr(start, width);
}

}  // namespace

const std::array<CcsidRow, kCcsidRowCount> kCcsidRows{{
    {"  420: 20420 - EBCDIC - Arabic", kPcRowArabic},
    {"  880: 20880 - EBCDIC - Cyrillic (Russian)", kPcRowCyrillic},
    {" 1025: 21025 - EBCDIC - Cyrillic (Serbian, Bulgarian)", kPcRowCyrillic},
    {"  277:  1142 - EBCDIC - Denmark/Norway (Euro)", kPcRowCentralEurope},
    {"  277: 20277 - EBCDIC - Denmark/Norway", kPcRowCentralEurope},
    {"  278:  1143 - EBCDIC - Finland/Sweden (Euro)", kPcRowCentralEurope},
    {"  278: 20278 - EBCDIC - Finland/Sweden", kPcRowCentralEurope},
    {"  297:  1147 - EBCDIC - France (Euro)", kPcRowCentralEurope},
    {"  297: 20297 - EBCDIC - France", kPcRowCentralEurope},
    {"  273:  1141 - EBCDIC - Germany (Euro)", kPcRowCentralEurope},
    {"  273: 20273 - EBCDIC - Germany", kPcRowCentralEurope},
    {"  875:   875 - EBCDIC - Greek (Modern)", kPcRowGreek},
    {"  423: 20423 - EBCDIC - Greek", kPcRowGreek},
    {"  424: 20424 - EBCDIC - Hebrew", kPcRowHebrew},
    {"  871:  1149 - EBCDIC - Icelandic (Euro)", kPcRowCentralEurope},
    {"  871: 20871 - EBCDIC - Icelandic", kPcRowCentralEurope},
    {"  500:  1148 - EBCDIC - International (Euro)", kPcRowCentralEurope},
    {"  500:   500 - EBCDIC - International", kPcRowCentralEurope},
    {"  280:  1144 - EBCDIC - Italy (Euro)", kPcRowCentralEurope},
    {"  280: 20280 - EBCDIC - Italy", kPcRowCentralEurope},
    {"  939:   939 - EBCDIC - Japan English/Kanji (Extended)", kPcRowJapanese},
    {"  290:   290 - EBCDIC - Japan Katakana (Extended)", kPcRowJapanese},
    {"  930:   930 - EBCDIC - Japan Katakana/Kanji (Extend Katakana)", kPcRowJapanese},
    {"  931:   931 - EBCDIC - Japanese", kPcRowJapanese},
    {"  933:   933 - EBCDIC - Korea (Extended)", kPcRowKorean},
    {"  284:  1145 - EBCDIC - Latin America/Spain (Euro)", kPcRowLatin1},
    {"  284: 20284 - EBCDIC - Latin America/Spain", kPcRowLatin1},
    {"  870:   870 - EBCDIC - Multilingual/ROECE (Latin-2)", std::nullopt},
    {"  935:   935 - EBCDIC - Simplified Chinese (Extended)", kPcRowSimplifiedChinese},
    {"  838: 20838 - EBCDIC - Thai", kPcRowThai},
    {"  937:   937 - EBCDIC - Traditional Chinese (Extended)", kPcRowTraditionalChinese},
    {"  905: 20905 - EBCDIC - Turkish (Latin-3)", kPcRowTurkish},
    {" 1026:  1026 - EBCDIC - Turkish (Latin-5)", kPcRowTurkish},
    {"   37:  1140 - EBCDIC - U.S./Canada (Euro)", kPcRowCentralEurope},
    {"   37:    37 - EBCDIC - U.S./Canada", kPcRowCentralEurope},
    {"  285:  1146 - EBCDIC - United Kingdom (Euro)", kPcRowCentralEurope},
    {"  285: 20285 - EBCDIC - United Kingdom", kPcRowCentralEurope},
    {" 1129:  1129 - EBCDIC - Viet Nam", kPcRowVietnamese},
}};

const std::array<std::string_view, kPcCodePageRowCount> kPcCodePageRows{{
    " 1256: ANSI - Arabic",
    " 1257: ANSI - Baltic",
    " 1251: ANSI - Cyrillic",
    " 1250: ANSI - Central Europe",
    " 1253: ANSI - Greek",
    " 1255: ANSI - Hebrew",
    " 1252: ANSI - Latin I",
    " 1254: ANSI - Turkish  ",
    "  932: ANSI/OEM - Japanese Shift-JIS",
    "  949: ANSI/OEM - Korean",
    "  936: ANSI/OEM - Simplified Chinese GBK",
    "  874: ANSI/OEM - Thai",
    "  950: ANSI/OEM - Traditional Chinese Big5",
    "  000: ANSI-ACP - Current Actived Code Page",
    " 1258: ANSI/OEM - Viet Nam",
    "  864: OEM - Arabic",
    "  775: OEM - Baltic",
    "  863: OEM - Canadian French",
    "  855: OEM - Cyrillic",
    "  866: OEM - Cyrillic II(Russian)",
    "  737: OEM - Greek 437G",
    "  862: OEM - Hebrew",
    "  861: OEM - Icelandic",
    "  869: OEM - Modern Greek",
    "  850: OEM - Multilingual Latin I",
    "  852: OEM - Multilingual Latin II",
    "  865: OEM - Nordic",
    "  860: OEM - Portuguese",
    "  857: OEM - Turkish",
    "  437: OEM - United States",
    "",
}};

std::string_view ebcdicCodePageField(std::string_view rowText) {
    return trimBlanks(slice(rowText, kEbcdicFieldStart, kEbcdicFieldWidth));
}

std::optional<std::int32_t> ebcdicCodePageOfRow(std::string_view rowText) {
    return parseDecimal(ebcdicCodePageField(rowText));
}

std::string_view pcCodePageField(std::string_view rowText) {
    return trimBlanks(slice(rowText, 0, kPcFieldWidth));
}

std::optional<std::int32_t> pcCodePageOfRow(std::string_view rowText) {
    return parseDecimal(pcCodePageField(rowText));
}

std::optional<std::int32_t> parseDecimal(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return std::nullopt;
        }
    }
    std::int32_t value = 0;
    const auto* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace quelvane
