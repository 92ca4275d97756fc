#include "tools/codepages/RandomTextCheck.h"

#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "conversion/icu/IcuConversionBackend.h"
#include "conversion/tables/PcEncodeMap.h"
#include "conversion/tables/TableDecoder.h"
#include "conversion/tables/TablePcCodec.h"

namespace quelvane::tables {

namespace {

constexpr int kTextsPerPage = 3000;
constexpr int kLongestText = 24;
// Bytes that steer a reading: NUL, shift-out, shift-in, the double-byte blank's byte.
constexpr std::uint8_t kSteeringBytes[] = {0x00, 0x0E, 0x0F, 0x40};
// Characters written specially: default-ignorable ones, the replacement character, a
// supplementary ideograph.
constexpr char16_t kSpecialUnits[] = {0x00AD, 0x200B, 0xFEFF, 0x034F, 0xFFFD, 0x001A, 0x003F};

std::unique_ptr<CodePageDecoder> openIcu(const PageTable& page) {
    auto& icu = IcuConversionBackend::instance();
    switch (page.kind) {
        case PageKind::host:
            return icu.openHostPage(page.number);
        case PageKind::pc:
            return icu.openPcPage(page.number);
        case PageKind::ccsid:
            return icu.openCcsidPage(static_cast<std::uint16_t>(page.number));
        case PageKind::stored:
            return icu.openStoredCcsid(static_cast<std::uint16_t>(page.number));
    }
    return nullptr;
}

std::string describe(const PageTable& page, const std::vector<std::uint8_t>& bytes) {
    std::string text = "page " + std::to_string(page.number) + " reads";
    for (std::uint8_t byte : bytes) {
        text += ' ' + std::to_string(byte);
    }
    return text + " otherwise than ICU";
}

std::vector<std::uint8_t> randomBytes(std::mt19937& random) {
    std::vector<std::uint8_t> bytes(random() % (kLongestText + 1));
    for (std::uint8_t& byte : bytes) {
        const auto pick = random() % 8;
        byte = pick == 0 ? kSteeringBytes[random() % std::size(kSteeringBytes)]
                         : static_cast<std::uint8_t>(random());
    }
    return bytes;
}

std::u16string randomText(std::mt19937& random, CodePageDecoder& page) {
    std::u16string text;
    page.decode(randomBytes(random), text, nullptr);
    std::u16string mixed;
    for (char16_t unit : text) {
        mixed.push_back(unit);
        switch (random() % 6) {
            case 0:
                mixed.push_back(static_cast<char16_t>(random()));
                break;
            case 1:
                mixed.push_back(kSpecialUnits[random() % std::size(kSpecialUnits)]);
                break;
            case 2:
                mixed += u"\U00020000\U000E0001";
                break;
            default:
                break;
        }
    }
    return mixed;
}

void checkReading(const CodePageTableSet& tables, const PageTable& page, std::mt19937& random) {
    auto icu = openIcu(page);
    TableDecoder fromTables(tables, page);
    std::u16string expected;
    std::u16string actual;
    std::vector<std::int32_t> expectedOffsets;
    std::vector<std::int32_t> actualOffsets;
    for (int i = 0; i < kTextsPerPage; ++i) {
        const std::vector<std::uint8_t> bytes = randomBytes(random);
        icu->decode(bytes, expected, &expectedOffsets);
        fromTables.decode(bytes, actual, &actualOffsets);
        if (expected != actual || expectedOffsets != actualOffsets) {
            throw std::runtime_error(describe(page, bytes));
        }
    }
}

void checkWriting(const CodePageTableSet& tables, const PageTable& page, std::mt19937& random) {
    auto icu = IcuConversionBackend::instance().openPcPage(page.number);
    TablePcCodec fromTables(tables, page, std::make_shared<const PcEncodeMap>(tables, page));
    std::string expected;
    std::string actual;
    std::vector<std::int32_t> expectedOffsets;
    std::vector<std::int32_t> actualOffsets;
    for (int i = 0; i < kTextsPerPage; ++i) {
        const std::u16string text = randomText(random, *icu);
        for (auto rule : {PcPageCodec::Substitution::pageCharacter,
                          PcPageCodec::Substitution::pageCharacterDroppingIgnorable,
                          PcPageCodec::Substitution::questionMarkDroppingIgnorable}) {
            icu->encode(text, rule, expected, &expectedOffsets);
            fromTables.encode(text, rule, actual, &actualOffsets);
            if (expected != actual || expectedOffsets != actualOffsets) {
                throw std::runtime_error("PC page " + std::to_string(page.number) + " writes " +
                                         std::to_string(text.size()) + " units otherwise than ICU");
            }
        }
    }
}

}  // namespace

void checkAgainstIcu(const CodePageTableSet& tables) {
    std::mt19937 random(20240611);
    for (const PageTable& page : tables.pages) {
        checkReading(tables, page, random);
        if (page.kind == PageKind::pc) {
            checkWriting(tables, page, random);
        }
    }
}

}  // namespace quelvane::tables
