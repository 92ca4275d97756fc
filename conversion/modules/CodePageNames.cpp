#include "conversion/modules/CodePageNames.h"

#include <array>

namespace quelvane::modules {

namespace {

struct HostPageEntry {
    std::int32_t windowsCodePage;
    HostPageSource source;
};

constexpr auto icu = HostPageSource::Library::icu;
constexpr auto iconv = HostPageSource::Library::iconv;

// Windows numbers host pages either by the CCSID itself (37, 500, 875, 1026, 114x and the
// mixed pages) or by 20000 plus the CCSID (20273 is IBM-273).
constexpr std::array<HostPageEntry, 39> kHostPages{{
    {37, {icu, "ibm-37"}},
    {290, {icu, "ibm-290"}},
    {500, {icu, "ibm-500"}},
    {870, {icu, "ibm-870"}},
    {875, {icu, "ibm-875"}},
    {930, {icu, "ibm-930"}},
    // ICU knows CCSID 931 only as another name of its 939 table (Latin and Kanji).
    {931, {icu, "ibm-931"}},
    {933, {icu, "ibm-933"}},
    {935, {icu, "ibm-935"}},
    {937, {icu, "ibm-937"}},
    {939, {icu, "ibm-939"}},
    {1026, {icu, "ibm-1026"}},
    // ICU's ibm-1129 is the ASCII-based Vietnamese page; the EBCDIC Vietnamese page is 1130.
    {1129, {icu, "ibm-1130"}},
    {1140, {icu, "ibm-1140"}},
    {1141, {icu, "ibm-1141"}},
    {1142, {icu, "ibm-1142"}},
    {1143, {icu, "ibm-1143"}},
    {1144, {icu, "ibm-1144"}},
    {1145, {icu, "ibm-1145"}},
    {1146, {icu, "ibm-1146"}},
    {1147, {icu, "ibm-1147"}},
    {1148, {icu, "ibm-1148"}},
    {1149, {icu, "ibm-1149"}},
    {20273, {icu, "ibm-273"}},
    {20277, {icu, "ibm-277"}},
    {20278, {icu, "ibm-278"}},
    {20280, {icu, "ibm-280"}},
    {20284, {icu, "ibm-284"}},
    {20285, {icu, "ibm-285"}},
    {20290, {icu, "ibm-290"}},
    {20297, {icu, "ibm-297"}},
    {20420, {icu, "ibm-420"}},
    {20423, {iconv, "IBM423"}},
    {20424, {icu, "ibm-424"}},
    {20838, {icu, "ibm-838"}},
    {20871, {icu, "ibm-871"}},
    {20880, {iconv, "IBM880"}},
    {20905, {iconv, "IBM905"}},
    {21025, {icu, "ibm-1025"}},
}};

struct PcPageEntry {
    std::int32_t windowsCodePage;
    const char* name;
};

constexpr std::array<PcPageEntry, 29> kPcPages{{
    {437, "ibm-437"},          {737, "ibm-737"},           {775, "ibm-775"},
    {850, "ibm-850"},          {852, "ibm-852"},           {855, "ibm-855"},
    {857, "ibm-857"},          {860, "ibm-860"},           {861, "ibm-861"},
    {862, "ibm-862"},          {863, "ibm-863"},           {864, "ibm-864"},
    {865, "ibm-865"},          {866, "ibm-866"},           {869, "ibm-869"},
    {874, "windows-874-2000"}, {932, "ibm-943_P15A-2003"},  // Windows-31J
    {936, "windows-936-2000"}, {949, "windows-949-2000"},  {950, "windows-950-2000"},
    {1250, "windows-1250"},    {1251, "windows-1251"},     {1252, "windows-1252"},
    {1253, "windows-1253"},    {1254, "windows-1254"},     {1255, "windows-1255"},
    {1256, "windows-1256"},    {1257, "windows-1257"},     {1258, "windows-1258"},
}};

}  // namespace

std::optional<HostPageSource> hostPageSource(std::int32_t windowsCodePage) {
    for (const auto& entry : kHostPages) {
        if (entry.windowsCodePage == windowsCodePage) {
            return entry.source;
        }
    }
    return std::nullopt;
}

const char* pcPageConverterName(std::int32_t windowsCodePage) {
    if (windowsCodePage == 0) {
        return "windows-1252";
    }
    for (const auto& entry : kPcPages) {
        if (entry.windowsCodePage == windowsCodePage) {
            return entry.name;
        }
    }
    return nullptr;
}

}  // namespace quelvane::modules
