// The character and time decoders convert only the field's bytes and a little padding; what they
// show must be exactly what converting the whole zero-padded 5000-byte value buffer shows, under
// the real conversion modules and for single-byte and mixed host pages alike.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "conversion/ConversionLayer.h"
#include "tests/support/RecordingNotifier.h"
#include "views/FieldDecoder.h"

namespace quelvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct PagePair {
    std::int32_t ebcdic;
    std::int32_t pc;
};

class CharacterConversionTest : public testing::TestWithParam<PagePair> {
  protected:
    void SetUp() override {
        if (!layer_.BindNlsLibrary()) {
            GTEST_SKIP() << "the conversion modules could not be bound";
        }
        layer_.EbcdicCodePage = GetParam().ebcdic;
        layer_.PcCodePage = GetParam().pc;
    }

    // The reference: the whole zero-filled buffer, at least 5000 bytes, converted.
    Bytes convertWholeBuffer(const Bytes& field) {
        Bytes buffer(std::max(kValueBufferSize, field.size()), 0);
        std::copy(field.begin(), field.end(), buffer.begin());
        Bytes target(buffer.size(), 0);
        layer_.ConvertEbcdicText(buffer.data(), buffer.size(), target.data());
        return target;
    }

    std::string wholeBufferCharacterText(const Bytes& field) {
        const Bytes target = convertWholeBuffer(field);
        const auto zero = std::find(target.begin(), target.end(), 0);
        const std::string text(target.begin(), zero);
        return text.empty() ? " " : text;
    }

    std::string wholeBufferTimeText(const Bytes& field) {
        const Bytes target = convertWholeBuffer(field);
        char text[16];
        std::snprintf(text, sizeof text, "%02X:%02X:%02X", target[0], target[1], target[2]);
        return text;
    }

    void expectSameAsWholeBuffer(const Bytes& field) {
        std::string text;
        decodeCharacter(field, layer_, text);
        EXPECT_EQ(text, wholeBufferCharacterText(field)) << describe(field);
        decodeTime(field, layer_, text);
        EXPECT_EQ(text, wholeBufferTimeText(field)) << describe(field);
    }

    static std::string describe(const Bytes& field) {
        std::string text = std::to_string(field.size()) + " bytes:";
        for (std::size_t i = 0; i < std::min<std::size_t>(field.size(), 48); ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02X", field[i]);
            text += hex;
        }
        return text;
    }

    test::RecordingNotifier notifier_;
    ConversionLayer layer_{notifier_, QUELVANE_MODULE_DIR,
                           ConversionLayer::ModuleSearch::programDirectoryOnly};
};

TEST_P(CharacterConversionTest, ChosenFieldsMatchTheWholeBuffer) {
    const Bytes fields[] = {
        {},
        {0x00, 0x00, 0x00},
        {0xC1, 0xC2, 0x40, 0x81, 0x82, 0x40, 0x40},
        {0xC1, 0x00, 0xC2},
        {0x12, 0x3A, 0x05},
        {0x4A, 0x5A, 0x6A, 0x7B, 0x7C, 0xA1, 0xE0, 0xFF},
        // Balanced double-byte runs: a symbol, a hanzi or kanji row, an unassigned code.
        {0x0E, 0x40, 0x40, 0x42, 0xC1, 0x0F, 0xC1},
        {0x0E, 0x48, 0xA1, 0x52, 0x41, 0x0F, 0x40, 0x40},
        {0x0E, 0xFE, 0xFE, 0x0F},
        // Shift-out still in force at the field's end, or a lone byte before it.
        {0xC1, 0x0E, 0x48, 0xA1},
        {0xC1, 0x0E, 0x48},
        {0x0E},
        {0x0E, 0x48, 0x0F, 0xC1},
        {0x0E, 0x0F, 0x0F, 0x0E, 0x0E},
        {0x0E, 0x48, 0x00, 0x41, 0x0F, 0xC1},
        // Shift codes where a single-byte page has controls.
        {0x0F, 0xC1, 0x0E},
        Bytes(kValueBufferSize, 0xC1),
        Bytes(kValueBufferSize - 1, 0x40),
    };
    for (const Bytes& field : fields) {
        expectSameAsWholeBuffer(field);
    }
}

TEST_P(CharacterConversionTest, RandomFieldsMatchTheWholeBuffer) {
    std::mt19937 random(20260 + static_cast<unsigned>(GetParam().ebcdic));
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::uniform_int_distribution<int> letter(0xC1, 0xC9);
    std::uniform_int_distribution<int> dbcsByte(0x41, 0x6C);
    std::uniform_int_distribution<int> shortLength(0, 24);
    for (int round = 0; round < 300; ++round) {
        const std::size_t length = round % 50 == 0
                                       ? 2400 + static_cast<std::size_t>(shortLength(random)) * 100
                                       : static_cast<std::size_t>(shortLength(random));
        Bytes field;
        for (std::size_t i = 0; i < length; ++i) {
            const int roll = percent(random);
            if (roll < 30) {
                field.push_back(static_cast<std::uint8_t>(letter(random)));
            } else if (roll < 45) {
                field.push_back(static_cast<std::uint8_t>(dbcsByte(random)));
            } else if (roll < 55) {
                field.push_back(0x0E);
            } else if (roll < 65) {
                field.push_back(0x0F);
            } else if (roll < 70) {
                field.push_back(0x00);
            } else if (roll < 80) {
                field.push_back(0x40);
            } else {
                field.push_back(static_cast<std::uint8_t>(anyByte(random)));
            }
        }
        expectSameAsWholeBuffer(field);
    }
}

TEST_P(CharacterConversionTest, LongFieldsAreConvertedWhole) {
    Bytes field(6000, 0xC1);
    field[5999] = 0xC2;
    std::string text;
    decodeCharacter(field, layer_, text);
    EXPECT_GT(text.size(), kValueBufferSize);
    EXPECT_EQ(text, wholeBufferCharacterText(field));
}

INSTANTIATE_TEST_SUITE_P(PagePairs, CharacterConversionTest,
                         testing::Values(PagePair{37, 1252}, PagePair{20273, 1250}, PagePair{935, 936},
                                         PagePair{930, 932}, PagePair{937, 950}, PagePair{935, 1252}),
                         [](const testing::TestParamInfo<PagePair>& info) {
                             return std::to_string(info.param.ebcdic) + "_" + std::to_string(info.param.pc);
                         });

}  // namespace
}  // namespace quelvane
