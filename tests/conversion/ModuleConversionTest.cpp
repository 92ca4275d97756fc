#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "conversion/CodePageLists.h"
#include "conversion/CodePageRegistry.h"
#include "conversion/ConversionLayer.h"
#include "settings/ProgramSettings.h"
#include "tests/support/RecordingNotifier.h"

namespace quelvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The modules this build made, bound once for every test here.
ConversionLayer& boundModules() {
    static test::RecordingNotifier notifier;
    static ConversionLayer layer(notifier, QUELVANE_MODULE_DIR,
                                 ConversionLayer::ModuleSearch::programDirectoryOnly);
    static const bool bound = layer.BindNlsLibrary();
    EXPECT_TRUE(bound);
    return layer;
}

std::int32_t hostPageOfRow(std::size_t row) {
    return ebcdicCodePageOfRow(kCcsidRows[row].text).value();
}

std::int32_t automaticPcPageOfRow(std::size_t row) {
    return pcCodePageOfRow(kPcCodePageRows[kCcsidRows[row].pcRow.value_or(ProgramSettings::kDefaultPcRow)])
        .value();
}

bool isMixedHostPage(std::int32_t page) {
    return page == 930 || page == 931 || page == 933 || page == 935 || page == 937 || page == 939;
}

bool isLeadByte(std::int32_t pcPage, std::uint8_t byte) {
    if (pcPage == 932) {
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    }
    return isDoubleBytePcPage(pcPage) && byte >= 0x81 && byte <= 0xFE;
}

struct Converted {
    std::uint32_t status;
    Bytes target;
};

Converted convert(std::int32_t hostPage, std::int32_t pcPage, const Bytes& source, std::size_t length) {
    ConversionLayer& layer = boundModules();
    layer.EbcdicCodePage = hostPage;
    layer.PcCodePage = pcPage;
    Bytes target(length, 0xA5);
    const std::uint32_t status = layer.ConvertEbcdicText(source.data(), length, target.data());
    return {status, target};
}

std::string asText(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

class EveryCcsidRow : public testing::TestWithParam<std::size_t> {};

INSTANTIATE_TEST_SUITE_P(CcsidList, EveryCcsidRow, testing::Range<std::size_t>(0, kCcsidRowCount),
                         [](const auto& info) { return "row" + std::to_string(info.param); });

// The Options dialog's test pattern: digits, a blank, a to i, a blank, j to r, NUL.
TEST_P(EveryCcsidRow, ConvertsTheOptionsTestPatternWithItsAutomaticPcPage) {
    const Bytes pattern{0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0x40,
                        0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x40, 0x91,
                        0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x00};
    const std::int32_t hostPage = hostPageOfRow(GetParam());
    const Converted result = convert(hostPage, automaticPcPageOfRow(GetParam()), pattern, pattern.size());
    ASSERT_EQ(result.status, 0u);
    // The Japanese Katakana pages hold half-width Katakana where the others hold small letters.
    const bool katakana = hostPage == 290 || hostPage == 930;
    const std::string expected = katakana ? std::string(
                                                "0123456789 \xB1\xB2\xB3\xB4\xB5\xB6\xB7\xB8\xB9 "
                                                "\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xC8")
                                          : std::string("0123456789 abcdefghi jklmnopqr");
    EXPECT_EQ(asText(result.target), expected + '\0');
}

// Whatever the bytes, against every PC page: the target gets exactly `length` bytes, whole
// characters only, and the NUL the source ends in; the source stays as it was.
TEST_P(EveryCcsidRow, KeepsTheContractAgainstEveryPcPage) {
    const std::int32_t hostPage = hostPageOfRow(GetParam());
    constexpr std::size_t kLength = 64;
    constexpr std::size_t kGuard = 8;
    Bytes source(kLength);
    std::uint32_t seed = 0x2545F491u + static_cast<std::uint32_t>(hostPage);
    for (std::size_t i = 0; i + 1 < kLength; ++i) {
        seed = seed * 1103515245u + 12345u;
        source[i] = static_cast<std::uint8_t>(seed >> 16);
        if (i % 9 == 3) {
            source[i] = 0x0E;  // shift-out in the mixed pages
        }
        if (i % 9 == 8) {
            source[i] = 0x0F;  // shift-in
        }
    }
    source.back() = 0x00;
    const Bytes original = source;
    for (std::size_t pcRow = 0; pcRow + 1 < kPcCodePageRowCount; ++pcRow) {
        const std::int32_t pcPage = pcCodePageOfRow(kPcCodePageRows[pcRow]).value();
        SCOPED_TRACE("PC page " + std::to_string(pcPage));
        ConversionLayer& layer = boundModules();
        layer.EbcdicCodePage = hostPage;
        layer.PcCodePage = pcPage;
        Bytes target(kLength + kGuard, 0xA5);
        ASSERT_EQ(layer.ConvertEbcdicText(source.data(), kLength, target.data()), 0u);
        EXPECT_EQ(source, original);
        EXPECT_EQ(Bytes(target.begin() + kLength, target.end()), Bytes(kGuard, 0xA5));
        EXPECT_EQ(target[kLength - 1], 0);
        std::size_t i = 0;
        while (i < kLength && target[i] != 0) {
            i += isLeadByte(pcPage, target[i]) ? 2 : 1;
        }
        EXPECT_LT(i, kLength) << "a character runs past the target";
        if (i < kLength) {
            EXPECT_EQ(target[i], 0) << "a lead byte lost its trail byte";
        }
    }
}

TEST(ModuleConversion, ShiftedDoubleByteTextBecomesGbkAndShiftJis) {
    struct Case {
        std::int32_t hostPage;
        std::int32_t pcPage;
        Bytes source;
        std::string expected;
    };
    const Case cases[] = {
        // "中文A": shift-out, two double-byte characters, shift-in, A.
        {935,
         936,
         {0x0E, 0x5B, 0xCF, 0x57, 0xC3, 0x0F, 0xC1, 0x00},
         std::string("\xD6\xD0\xCE\xC4"
                     "A",
                     5)},
        // "日本" and the half-width Katakana A.
        {930, 932, {0x0E, 0x45, 0x62, 0x45, 0x66, 0x0F, 0x81, 0x00}, std::string("\x93\xFA\x96\x7B\xB1", 5)},
        // A NUL ends the shifted run: the text after it starts single-byte again.
        {935, 936, {0x0E, 0x5B, 0xCF, 0x00, 0xC1, 0x00}, std::string("\xD6\xD0\0A", 4)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hostPage);
        const Converted result = convert(c.hostPage, c.pcPage, c.source, c.source.size());
        ASSERT_EQ(result.status, 0u);
        Bytes expected(c.expected.begin(), c.expected.end());
        expected.resize(c.source.size(), 0);
        EXPECT_EQ(result.target, expected);
    }
}

TEST(ModuleConversion, AnElevenByteNameReadsBackAsAtMostTenCharacters) {
    // "QSYS" in ten positions and the NUL after them; "¢" has no single byte in Shift-JIS.
    const Bytes name{0xD8, 0xE2, 0xE8, 0xE2, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x00};
    const Bytes cents{0x4A, 0x4A, 0x4A, 0x4A, 0x4A, 0x4A, 0x4A, 0x4A, 0x4A, 0x4A, 0x00};
    EXPECT_EQ(asText(convert(37, 1252, name, 11).target), std::string("QSYS      ") + '\0');
    EXPECT_EQ(asText(convert(935, 936, name, 11).target), std::string("QSYS      ") + '\0');
    EXPECT_EQ(asText(convert(37, 932, cents, 11).target),
              std::string("\xFC\xFC\xFC\xFC\xFC\xFC\xFC\xFC\xFC\xFC\0", 11));
}

TEST(ModuleConversion, AGrowingTextIsCutAtACharacterBoundaryAndZeroFilled) {
    struct Case {
        Bytes source;
        std::string expected;
    };
    const Case cases[] = {
        {{0x4A, 0x4A, 0x4A}, std::string("\xFC\xFC\0", 3)},
        {{0x4A, 0xC1, 0x4A, 0x00},
         std::string("\xFC\xFC"
                     "A\0",
                     4)},
        {{0xC1, 0x4A, 0x4A, 0x00}, std::string("A\xFC\xFC\0", 4)},
        {{0x4A, 0x4A, 0xC1, 0x00, 0x00}, std::string("\xFC\xFC\xFC\xFC\0", 5)},
    };
    for (const auto& c : cases) {
        const Converted result = convert(37, 932, c.source, c.source.size());
        ASSERT_EQ(result.status, 0u);
        EXPECT_EQ(asText(result.target), c.expected);
    }
}

TEST(ModuleConversion, SingleByteHostPagesMapTheirGraphicBytesOneToOne) {
    for (std::size_t row = 0; row < kCcsidRowCount; ++row) {
        const std::int32_t hostPage = hostPageOfRow(row);
        if (isMixedHostPage(hostPage)) {
            continue;
        }
        const std::int32_t pcPage = automaticPcPageOfRow(row);
        SCOPED_TRACE(std::to_string(hostPage) + " to " + std::to_string(pcPage));
        // All 256 bytes in one call: the single-byte page yields one character per byte.
        Bytes all(256);
        for (std::size_t byte = 0; byte < all.size(); ++byte) {
            all[byte] = static_cast<std::uint8_t>((byte + 1) & 0xFF);
        }
        const Converted whole = convert(hostPage, pcPage, all, all.size());
        ASSERT_EQ(whole.status, 0u);
        EXPECT_EQ(whole.target[255], 0);

        std::map<std::string, int> seen;
        std::string concatenated;
        for (int byte = 1; byte < 256; ++byte) {
            const Converted one = convert(hostPage, pcPage, {static_cast<std::uint8_t>(byte), 0, 0}, 3);
            ASSERT_EQ(one.status, 0u);
            const std::string character(reinterpret_cast<const char*>(one.target.data()));
            ASSERT_FALSE(character.empty()) << byte;
            concatenated += character;
            if (byte >= 0x41 && byte <= 0xFE) {
                ++seen[character];
            }
        }
        if (!isDoubleBytePcPage(pcPage)) {
            EXPECT_EQ(asText(Bytes(whole.target.begin(), whole.target.begin() + 255)), concatenated);
        }
        // Distinct graphic bytes stay distinct, except those the PC page cannot show, which all
        // become its one substitution character. IBM-838 holds five Thai tone marks and vowels
        // twice (0x51/0xED, 0xCA/0xEE, 0xE1/0xEF, 0xFA/0xFD, 0xFB/0xFE).
        const int hostDuplicates = hostPage == 20838 ? 5 : 0;
        int repeated = 0;
        for (const auto& [character, count] : seen) {
            repeated += count > 1 ? 1 : 0;
        }
        EXPECT_LE(repeated, 1 + hostDuplicates);
        EXPECT_GE(seen.size(), 60u);
    }
}

TEST(ModuleConversion, AnUnknownPageFailsWithoutTouchingTheTarget) {
    const Bytes source{0xC1, 0xC2, 0x00};
    struct Case {
        std::int32_t hostPage;
        std::int32_t pcPage;
    };
    for (const Case c : {Case{4711, 1252}, Case{4711, 936}, Case{37, 4711}, Case{20273, 65001}}) {
        SCOPED_TRACE(std::to_string(c.hostPage) + " to " + std::to_string(c.pcPage));
        const Converted result = convert(c.hostPage, c.pcPage, source, source.size());
        EXPECT_EQ(result.status, static_cast<std::uint32_t>(ENOTSUP));
        EXPECT_EQ(result.target, Bytes(3, 0xA5));
    }
}

TEST(ModuleConversion, BindingRefusesAnUnknownHostPageAndAcceptsNone) {
    test::RecordingNotifier notifier;
    ConversionLayer layer(notifier, QUELVANE_MODULE_DIR, ConversionLayer::ModuleSearch::programDirectoryOnly);
    layer.EbcdicCodePage = 4711;
    EXPECT_FALSE(layer.BindNlsLibrary());
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"EbcdicPage 4711 not supported in TRNNLS\n"});
    EXPECT_FALSE(layer.nlsBound());
    EXPECT_FALSE(layer.trnsdtBound());

    layer.EbcdicCodePage = 0;
    EXPECT_TRUE(layer.BindNlsLibrary());
    EXPECT_TRUE(layer.nlsBound());
    EXPECT_TRUE(layer.trnsdtBound());
}

}  // namespace
}  // namespace quelvane
