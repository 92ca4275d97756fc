#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quelvane {

// Every code page the program converts with, in one place: its Windows number (the number the
// conversion layer and the settings file carry), the converter that maps it and the text its
// row shows in Options. The Options lists show the pages in the order given here.

enum class ConverterLibrary { icu, iconv };

struct HostPageEntry {
    // Windows numbers host pages either by the CCSID itself (37, 500, 875, 1026, 114x and the
    // mixed pages) or by 20000 plus the CCSID (20273 is IBM-273).
    std::int32_t windowsCodePage;
    ConverterLibrary library;
    std::string_view converter;
    // Empty for a page the conversion layer maps but Options does not offer.
    std::string_view optionText;
    // The PC page a selection of this row picks: the ANSI page of the same script (1252 for
    // the Latin-1 host pages, 1250 for Latin-2); none leaves the PC row as it is.
    std::optional<std::int32_t> pickedPcPage;
};

struct PcPageEntry {
    // 0 stands for the system's ANSI code page, which is windows-1252 where the system has no
    // such notion.
    std::int32_t windowsCodePage;
    std::string_view converter;
    std::string_view optionText;
    // Lead and trail bytes: the data-translation module maps host text to these pages.
    bool doubleByte;
};

inline constexpr std::uint16_t kUtf8Ccsid = 1208;

namespace registry_detail {
constexpr auto icu = ConverterLibrary::icu;
// ICU lacks three of the host pages the program offers; glibc's iconv carries them.
constexpr auto iconv = ConverterLibrary::iconv;
}  // namespace registry_detail

inline constexpr std::array<HostPageEntry, 39> kHostPages{{
    {20420, registry_detail::icu, "ibm-420", "  420: 20420 - EBCDIC - Arabic", 1256},
    {20880, registry_detail::iconv, "IBM880", "  880: 20880 - EBCDIC - Cyrillic (Russian)", 1251},
    {21025, registry_detail::icu, "ibm-1025", " 1025: 21025 - EBCDIC - Cyrillic (Serbian, Bulgarian)", 1251},
    {1142, registry_detail::icu, "ibm-1142", "  277:  1142 - EBCDIC - Denmark/Norway (Euro)", 1252},
    {20277, registry_detail::icu, "ibm-277", "  277: 20277 - EBCDIC - Denmark/Norway", 1252},
    {1143, registry_detail::icu, "ibm-1143", "  278:  1143 - EBCDIC - Finland/Sweden (Euro)", 1252},
    {20278, registry_detail::icu, "ibm-278", "  278: 20278 - EBCDIC - Finland/Sweden", 1252},
    {1147, registry_detail::icu, "ibm-1147", "  297:  1147 - EBCDIC - France (Euro)", 1252},
    {20297, registry_detail::icu, "ibm-297", "  297: 20297 - EBCDIC - France", 1252},
    {1141, registry_detail::icu, "ibm-1141", "  273:  1141 - EBCDIC - Germany (Euro)", 1252},
    {20273, registry_detail::icu, "ibm-273", "  273: 20273 - EBCDIC - Germany", 1252},
    {875, registry_detail::icu, "ibm-875", "  875:   875 - EBCDIC - Greek (Modern)", 1253},
    {20423, registry_detail::iconv, "IBM423", "  423: 20423 - EBCDIC - Greek", 1253},
    {20424, registry_detail::icu, "ibm-424", "  424: 20424 - EBCDIC - Hebrew", 1255},
    {1149, registry_detail::icu, "ibm-1149", "  871:  1149 - EBCDIC - Icelandic (Euro)", 1252},
    {20871, registry_detail::icu, "ibm-871", "  871: 20871 - EBCDIC - Icelandic", 1252},
    {1148, registry_detail::icu, "ibm-1148", "  500:  1148 - EBCDIC - International (Euro)", 1252},
    {500, registry_detail::icu, "ibm-500", "  500:   500 - EBCDIC - International", 1252},
    {1144, registry_detail::icu, "ibm-1144", "  280:  1144 - EBCDIC - Italy (Euro)", 1252},
    {20280, registry_detail::icu, "ibm-280", "  280: 20280 - EBCDIC - Italy", 1252},
    {939, registry_detail::icu, "ibm-939", "  939:   939 - EBCDIC - Japan English/Kanji (Extended)", 932},
    {290, registry_detail::icu, "ibm-290", "  290:   290 - EBCDIC - Japan Katakana (Extended)", 932},
    {930, registry_detail::icu, "ibm-930", "  930:   930 - EBCDIC - Japan Katakana/Kanji (Extend Katakana)",
     932},
    // ICU knows CCSID 931 only as another name of its 939 table (Latin and Kanji).
    {931, registry_detail::icu, "ibm-931", "  931:   931 - EBCDIC - Japanese", 932},
    {933, registry_detail::icu, "ibm-933", "  933:   933 - EBCDIC - Korea (Extended)", 949},
    {1145, registry_detail::icu, "ibm-1145", "  284:  1145 - EBCDIC - Latin America/Spain (Euro)", 1252},
    {20284, registry_detail::icu, "ibm-284", "  284: 20284 - EBCDIC - Latin America/Spain", 1252},
    {870, registry_detail::icu, "ibm-870", "  870:   870 - EBCDIC - Multilingual/ROECE (Latin-2)", 1250},
    {935, registry_detail::icu, "ibm-935", "  935:   935 - EBCDIC - Simplified Chinese (Extended)", 936},
    {20838, registry_detail::icu, "ibm-838", "  838: 20838 - EBCDIC - Thai", 874},
    {937, registry_detail::icu, "ibm-937", "  937:   937 - EBCDIC - Traditional Chinese (Extended)", 950},
    {20905, registry_detail::iconv, "IBM905", "  905: 20905 - EBCDIC - Turkish (Latin-3)", 1254},
    {1026, registry_detail::icu, "ibm-1026", " 1026:  1026 - EBCDIC - Turkish (Latin-5)", 1254},
    {1140, registry_detail::icu, "ibm-1140", "   37:  1140 - EBCDIC - U.S./Canada (Euro)", 1252},
    {37, registry_detail::icu, "ibm-37", "   37:    37 - EBCDIC - U.S./Canada", 1252},
    {1146, registry_detail::icu, "ibm-1146", "  285:  1146 - EBCDIC - United Kingdom (Euro)", 1252},
    {20285, registry_detail::icu, "ibm-285", "  285: 20285 - EBCDIC - United Kingdom", 1252},
    // ICU's ibm-1129 is the ASCII-based Vietnamese page; the EBCDIC Vietnamese page is 1130.
    {1129, registry_detail::icu, "ibm-1130", " 1129:  1129 - EBCDIC - Viet Nam", 1258},
    {20290, registry_detail::icu, "ibm-290", "", std::nullopt},
}};

inline constexpr std::array<PcPageEntry, 30> kPcPages{{
    {1256, "windows-1256", " 1256: ANSI - Arabic", false},
    {1257, "windows-1257", " 1257: ANSI - Baltic", false},
    {1251, "windows-1251", " 1251: ANSI - Cyrillic", false},
    {1250, "windows-1250", " 1250: ANSI - Central Europe", false},
    {1253, "windows-1253", " 1253: ANSI - Greek", false},
    {1255, "windows-1255", " 1255: ANSI - Hebrew", false},
    {1252, "windows-1252", " 1252: ANSI - Latin I", false},
    {1254, "windows-1254", " 1254: ANSI - Turkish  ", false},
    {932, "ibm-943_P15A-2003", "  932: ANSI/OEM - Japanese Shift-JIS", true},  // Windows-31J
    {949, "windows-949-2000", "  949: ANSI/OEM - Korean", true},
    {936, "windows-936-2000", "  936: ANSI/OEM - Simplified Chinese GBK", true},
    {874, "windows-874-2000", "  874: ANSI/OEM - Thai", false},
    {950, "windows-950-2000", "  950: ANSI/OEM - Traditional Chinese Big5", true},
    {0, "windows-1252", "  000: ANSI-ACP - Current Actived Code Page", false},
    {1258, "windows-1258", " 1258: ANSI/OEM - Viet Nam", false},
    {864, "ibm-864", "  864: OEM - Arabic", false},
    {775, "ibm-775", "  775: OEM - Baltic", false},
    {863, "ibm-863", "  863: OEM - Canadian French", false},
    {855, "ibm-855", "  855: OEM - Cyrillic", false},
    {866, "ibm-866", "  866: OEM - Cyrillic II(Russian)", false},
    {737, "ibm-737", "  737: OEM - Greek 437G", false},
    {862, "ibm-862", "  862: OEM - Hebrew", false},
    {861, "ibm-861", "  861: OEM - Icelandic", false},
    {869, "ibm-869", "  869: OEM - Modern Greek", false},
    {850, "ibm-850", "  850: OEM - Multilingual Latin I", false},
    {852, "ibm-852", "  852: OEM - Multilingual Latin II", false},
    {865, "ibm-865", "  865: OEM - Nordic", false},
    {860, "ibm-860", "  860: OEM - Portuguese", false},
    {857, "ibm-857", "  857: OEM - Turkish", false},
    {437, "ibm-437", "  437: OEM - United States", false},
}};

// Rows of the Options lists: every host page with an option text, then every PC page.
inline constexpr std::size_t kOfferedHostPageCount = 38;

constexpr const HostPageEntry* findHostPage(std::int32_t windowsCodePage) {
    for (const auto& entry : kHostPages) {
        if (entry.windowsCodePage == windowsCodePage) {
            return &entry;
        }
    }
    return nullptr;
}

constexpr const PcPageEntry* findPcPage(std::int32_t windowsCodePage) {
    for (const auto& entry : kPcPages) {
        if (entry.windowsCodePage == windowsCodePage) {
            return &entry;
        }
    }
    return nullptr;
}

constexpr bool isDoubleBytePcPage(std::int32_t windowsCodePage) {
    const PcPageEntry* entry = findPcPage(windowsCodePage);
    return entry != nullptr && entry->doubleByte;
}

// The CCSIDs a save file tags fields and texts with, and how each is read to Unicode: by a
// converter of its own, or (a pure single- or double-byte part of a mixed CCSID) by the mixed
// page's converter, the double bytes wrapped in shift-out/shift-in; UTF-16 and UTF-8 need none.
// The language names the status bar's note.
enum class CcsidForm { singleByte, mixed, doubleByteOfMixed, singleByteOfMixed, utf16, utf8 };

struct StoredCcsidEntry {
    std::uint16_t ccsid;
    CcsidForm form;
    ConverterLibrary library;
    std::string_view converter;
    std::string_view language;
};

namespace registry_detail {
constexpr auto sb = CcsidForm::singleByte;
constexpr auto mx = CcsidForm::mixed;
constexpr auto db = CcsidForm::doubleByteOfMixed;
constexpr auto sm = CcsidForm::singleByteOfMixed;
}  // namespace registry_detail

inline constexpr std::array<StoredCcsidEntry, 77> kStoredCcsids{{
    {37, registry_detail::sb, registry_detail::icu, "ibm-37", "English"},
    {256, registry_detail::sb, registry_detail::iconv, "IBM256", "Latin-1"},
    {273, registry_detail::sb, registry_detail::icu, "ibm-273", "German"},
    {277, registry_detail::sb, registry_detail::icu, "ibm-277", "Danish/Norwegian"},
    {278, registry_detail::sb, registry_detail::icu, "ibm-278", "Finnish/Swedish"},
    {280, registry_detail::sb, registry_detail::icu, "ibm-280", "Italian"},
    {284, registry_detail::sb, registry_detail::icu, "ibm-284", "Spanish"},
    {285, registry_detail::sb, registry_detail::icu, "ibm-285", "English (UK)"},
    {290, registry_detail::sb, registry_detail::icu, "ibm-290", "Japanese"},
    {297, registry_detail::sb, registry_detail::icu, "ibm-297", "French"},
    {420, registry_detail::sb, registry_detail::icu, "ibm-420", "Arabic"},
    {424, registry_detail::sb, registry_detail::icu, "ibm-424", "Hebrew"},
    {500, registry_detail::sb, registry_detail::icu, "ibm-500", "International"},
    {833, registry_detail::sm, registry_detail::icu, "ibm-933", "Korean"},
    {836, registry_detail::sm, registry_detail::icu, "ibm-935", "Simplified Chinese"},
    {838, registry_detail::sb, registry_detail::icu, "ibm-838", "Thai"},
    {870, registry_detail::sb, registry_detail::icu, "ibm-870", "Latin-2"},
    {871, registry_detail::sb, registry_detail::icu, "ibm-871", "Icelandic"},
    {875, registry_detail::sb, registry_detail::icu, "ibm-875", "Greek"},
    {880, registry_detail::sb, registry_detail::iconv, "IBM880", "Cyrillic"},
    {905, registry_detail::sb, registry_detail::iconv, "IBM905", "Turkish"},
    {918, registry_detail::sb, registry_detail::icu, "ibm-918", "Urdu"},
    {930, registry_detail::mx, registry_detail::icu, "ibm-930", "Japanese"},
    {933, registry_detail::mx, registry_detail::icu, "ibm-933", "Korean"},
    {935, registry_detail::mx, registry_detail::icu, "ibm-935", "Simplified Chinese"},
    {937, registry_detail::mx, registry_detail::icu, "ibm-937", "Traditional Chinese"},
    {939, registry_detail::mx, registry_detail::icu, "ibm-939", "Japanese"},
    {1025, registry_detail::sb, registry_detail::icu, "ibm-1025", "Cyrillic"},
    {1026, registry_detail::sb, registry_detail::icu, "ibm-1026", "Turkish"},
    {1027, registry_detail::sm, registry_detail::icu, "ibm-939", "Japanese"},
    {1047, registry_detail::sb, registry_detail::icu, "ibm-1047", "Latin-1"},
    {1112, registry_detail::sb, registry_detail::icu, "ibm-1112", "Baltic"},
    {1122, registry_detail::sb, registry_detail::icu, "ibm-1122", "Estonian"},
    {1123, registry_detail::sb, registry_detail::icu, "ibm-1123", "Ukrainian"},
    {1130, registry_detail::sb, registry_detail::icu, "ibm-1130", "Vietnamese"},
    {1132, registry_detail::sb, registry_detail::icu, "ibm-1132", "Lao"},
    {1140, registry_detail::sb, registry_detail::icu, "ibm-1140", "English"},
    {1141, registry_detail::sb, registry_detail::icu, "ibm-1141", "German"},
    {1142, registry_detail::sb, registry_detail::icu, "ibm-1142", "Danish/Norwegian"},
    {1143, registry_detail::sb, registry_detail::icu, "ibm-1143", "Finnish/Swedish"},
    {1144, registry_detail::sb, registry_detail::icu, "ibm-1144", "Italian"},
    {1145, registry_detail::sb, registry_detail::icu, "ibm-1145", "Spanish"},
    {1146, registry_detail::sb, registry_detail::icu, "ibm-1146", "English (UK)"},
    {1147, registry_detail::sb, registry_detail::icu, "ibm-1147", "French"},
    {1148, registry_detail::sb, registry_detail::icu, "ibm-1148", "International"},
    {1149, registry_detail::sb, registry_detail::icu, "ibm-1149", "Icelandic"},
    {1153, registry_detail::sb, registry_detail::icu, "ibm-1153", "Latin-2"},
    {1154, registry_detail::sb, registry_detail::icu, "ibm-1154", "Cyrillic"},
    {1155, registry_detail::sb, registry_detail::icu, "ibm-1155", "Turkish"},
    {1156, registry_detail::sb, registry_detail::icu, "ibm-1156", "Baltic"},
    {1157, registry_detail::sb, registry_detail::icu, "ibm-1157", "Estonian"},
    {1158, registry_detail::sb, registry_detail::icu, "ibm-1158", "Ukrainian"},
    {1160, registry_detail::sb, registry_detail::icu, "ibm-1160", "Thai"},
    {1364, registry_detail::mx, registry_detail::icu, "ibm-1364", "Korean"},
    {1371, registry_detail::mx, registry_detail::icu, "ibm-1371", "Traditional Chinese"},
    {1388, registry_detail::mx, registry_detail::icu, "ibm-1388", "Simplified Chinese"},
    {1390, registry_detail::mx, registry_detail::icu, "ibm-1390", "Japanese"},
    {1399, registry_detail::mx, registry_detail::icu, "ibm-1399", "Japanese"},
    {4396, registry_detail::db, registry_detail::icu, "ibm-930", "Japanese"},
    {5026, registry_detail::mx, registry_detail::icu, "ibm-930", "Japanese"},
    {5035, registry_detail::mx, registry_detail::icu, "ibm-939", "Japanese"},
    {9030, registry_detail::sb, registry_detail::icu, "ibm-838", "Thai"},
    {16684, registry_detail::db, registry_detail::icu, "ibm-1390", "Japanese"},
    {28709, registry_detail::sm, registry_detail::icu, "ibm-937", "Traditional Chinese"},
    {300, registry_detail::db, registry_detail::icu, "ibm-930", "Japanese"},
    {834, registry_detail::db, registry_detail::icu, "ibm-933", "Korean"},
    {835, registry_detail::db, registry_detail::icu, "ibm-937", "Traditional Chinese"},
    {837, registry_detail::db, registry_detail::icu, "ibm-935", "Simplified Chinese"},
    {1200, CcsidForm::utf16, registry_detail::icu, "", "Unicode"},
    {13488, CcsidForm::utf16, registry_detail::icu, "", "Unicode"},
    {1208, CcsidForm::utf8, registry_detail::icu, "", "Unicode"},
    {4930, registry_detail::db, registry_detail::icu, "ibm-1364", "Korean"},
    // The single- and double-byte parts of 1364 and 1388 have no converter of their own in ICU;
    // 13121 has the characters of 833, 13124 those of 836.
    {13121, registry_detail::sm, registry_detail::icu, "ibm-1364", "Korean"},
    {13124, registry_detail::sm, registry_detail::icu, "ibm-1388", "Simplified Chinese"},
    {4933, registry_detail::db, registry_detail::icu, "ibm-1388", "Simplified Chinese"},
    // Code page 420 under other string types (bidirectional layout): the bytes map to the same
    // characters, stored in logical order.
    {8612, registry_detail::sb, registry_detail::icu, "ibm-420", "Arabic"},
    {12708, registry_detail::sb, registry_detail::icu, "ibm-420", "Arabic"},
}};

constexpr const StoredCcsidEntry* findStoredCcsid(std::uint16_t ccsid) {
    for (const auto& entry : kStoredCcsids) {
        if (entry.ccsid == ccsid) {
            return &entry;
        }
    }
    return nullptr;
}

// Where a stored CCSID's converter is also a host page's (the same library and name), the host
// page: a table backend then reads the CCSID with that page's tables rather than a copy.
constexpr const HostPageEntry* hostPageSharingConverter(const StoredCcsidEntry& stored) {
    for (const auto& entry : kHostPages) {
        if (entry.library == stored.library && entry.converter == stored.converter) {
            return &entry;
        }
    }
    return nullptr;
}

// The first row of kStoredCcsids whose converter is `stored`'s: CCSIDs read by one converter
// (5026, 300 and 4396 by ibm-930) share its tables under that row's CCSID.
constexpr const StoredCcsidEntry& firstStoredCcsidSharingConverter(const StoredCcsidEntry& stored) {
    for (const auto& entry : kStoredCcsids) {
        if (entry.library == stored.library && entry.converter == stored.converter) {
            return entry;
        }
    }
    return stored;
}

// The Options row of a host page or of a PC page; none for a page the list does not show.
constexpr std::optional<int> hostPageRow(std::int32_t windowsCodePage) {
    for (std::size_t row = 0; row < kOfferedHostPageCount; ++row) {
        if (kHostPages[row].windowsCodePage == windowsCodePage) {
            return static_cast<int>(row);
        }
    }
    return std::nullopt;
}

constexpr std::optional<int> pcPageRow(std::int32_t windowsCodePage) {
    for (std::size_t row = 0; row < kPcPages.size(); ++row) {
        if (kPcPages[row].windowsCodePage == windowsCodePage) {
            return static_cast<int>(row);
        }
    }
    return std::nullopt;
}

}  // namespace quelvane
