#include "conversion/CcsidText.h"

#include <algorithm>
#include <array>

#include "conversion/CodePageRegistry.h"

namespace quelvane {

namespace {

constexpr std::int32_t kFallbackPcPage = 1252;

// Single-byte EBCDIC pages: the Latin country pages with and without the euro, Latin-1 open
// systems (1047), Cyrillic, Greek, Turkish, Hebrew, Arabic and the Japanese Latin pages.
constexpr std::array<std::uint16_t, 31> kEbcdicPages = {
    37,  256, 273, 277, 278, 280, 284, 285,  290,  297,  420,  423,  424,  500,  833, 836,
    838, 870, 871, 875, 880, 905, 924, 1025, 1026, 1027, 1047, 1097, 1112, 1122, 1123};
// The euro pages of the country pages.
constexpr std::uint16_t kFirstEuroEbcdicPage = 1140;
constexpr std::uint16_t kLastEuroEbcdicPage = 1149;

// Pages whose first 128 characters are ASCII; ICU knows each as "ibm-<CCSID>".
constexpr std::array<std::uint16_t, 42> kAsciiPages = {
    367, 437, 737, 775, 813,  819,  850,        852,  855,  857,  858,  860,  861,  862,
    863, 864, 865, 866, 869,  874,  912,        913,  914,  915,  916,  920,  923,  932,
    942, 943, 949, 950, 1051, 1089, kUtf8Ccsid, 1250, 1251, 1252, 1253, 1254, 1363, 5348};
constexpr std::uint16_t kFirstWindowsPage = 1250;
constexpr std::uint16_t kLastWindowsPage = 1258;

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string asciiOnly(std::string_view bytes) {
    std::string out(bytes);
    std::replace_if(
        out.begin(), out.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }, '?');
    return out;
}

template <std::size_t N>
bool listed(const std::array<std::uint16_t, N>& pages, std::uint16_t ccsid) {
    return std::find(pages.begin(), pages.end(), ccsid) != pages.end();
}

}  // namespace

CcsidText::Family CcsidText::familyOf(std::optional<std::uint16_t> ccsid) {
    if (!ccsid) {
        return Family::Data;
    }
    if (listed(kEbcdicPages, *ccsid) || (*ccsid >= kFirstEuroEbcdicPage && *ccsid <= kLastEuroEbcdicPage)) {
        return Family::Ebcdic;
    }
    if (listed(kAsciiPages, *ccsid) || (*ccsid >= kFirstWindowsPage && *ccsid <= kLastWindowsPage)) {
        return Family::Ascii;
    }
    return Family::Data;
}

CcsidText::CcsidText(std::uint16_t ccsid, std::int32_t pcCodePage, ConversionBackend& backend)
    : from_(backend.openCcsidPage(ccsid)), to_(backend.openPcPage(pcCodePage)) {
    if (to_ == nullptr) {
        to_ = backend.openPcPage(kFallbackPcPage);
    }
}

CcsidText::~CcsidText() = default;

std::string CcsidText::toPcText(std::string_view bytes) {
    if (isAscii(bytes)) {
        return std::string(bytes);
    }
    if (!ready()) {
        return asciiOnly(bytes);
    }
    from_->decode({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, wide_, nullptr);
    // A character the PC page lacks shows as a question mark, not as a control character.
    std::string out;
    to_->encode(wide_, PcPageCodec::Substitution::questionMarkDroppingIgnorable, out, nullptr);
    return out;
}

}  // namespace quelvane
