// The format plan's fast steps against the general decoder: for every field type and page pair,
// generated values (valid digits, damaged digits, texts with zeros, blanks and shift codes) must
// read the same, byte for byte, whichever path takes them.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "conversion/ConversionLayer.h"
#include "conversion/PcTextToUtf8.h"
#include "savefile/TypeCodes.h"
#include "tests/support/FieldValueMaker.h"
#include "tests/support/RecordingNotifier.h"
#include "views/FieldDecoder.h"
#include "views/LoadedFieldPlan.h"
#include "views/PairByteTable.h"

namespace quelvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct PagePair {
    std::int32_t ebcdic;
    std::int32_t pc;
    bool byteByByte;
};

// A record format of every type the plan has a step for, and a float it leaves to the general
// decoder.
SavedObject everyFieldType() {
    SavedObject file;
    const auto add = [&file](std::uint16_t type, std::int32_t length, std::int32_t digits,
                             std::int32_t decimals) {
        SavedField field;
        field.name = "F" + std::to_string(file.fields.size());
        field.typeCode = type;
        field.length = length;
        field.offset = file.recordLength;
        field.digits = digits;
        field.decimals = decimals;
        file.fields.push_back(field);
        file.recordLength += length;
    };
    add(kCharacterFieldType, 12, 0, 0);
    add(kOpenCharacterFieldType, 6, 0, 0);
    add(kTimeFieldType, 3, 0, 0);
    add(kPackedFieldType, 5, 9, 2);
    add(kPackedFieldType, 4, 6, 6);
    add(kPackedFieldType, 1, 1, 0);
    add(kPackedFieldType, 2, 4, 0);
    add(kZonedFieldType, 7, 7, 0);
    add(kZonedFieldType, 5, 5, 2);
    add(kZonedFieldType, 3, 3, 3);
    add(kZonedFieldType, 1, 1, 0);
    add(kBinaryFieldType, 2, 4, 0);
    add(kBinaryFieldType, 4, 9, 3);
    add(kBinaryFieldType, 8, 18, 0);
    add(kDateFieldType, 4, 0, 0);
    add(kTimestampFieldType, 10, 0, 0);
    add(kFloatFieldType, 8, 0, 0);
    file.fieldCount = static_cast<std::int32_t>(file.fields.size());
    return file;
}

class LoadedFieldPlanTest : public testing::TestWithParam<PagePair> {
  protected:
    void SetUp() override {
        if (!layer_.BindNlsLibrary()) {
            GTEST_SKIP() << "the conversion modules could not be bound";
        }
        layer_.EbcdicCodePage = GetParam().ebcdic;
        layer_.PcCodePage = GetParam().pc;
        utf8_ = std::make_unique<PcTextToUtf8>(GetParam().pc);
    }

    // The general path, as the extraction took it before the plan: the loaded value, a text
    // converted to UTF-8.
    std::string general(const Bytes& record, const SavedField& field, LoadedKind& kind) {
        std::string text;
        kind = decodeLoadedFieldValue(std::span(record).subspan(static_cast<std::size_t>(field.offset)),
                                      field, layer_, text);
        if (kind == LoadedKind::Text) {
            utf8_->toUtf8InPlace(text);
        }
        return text;
    }

    test::RecordingNotifier notifier_;
    ConversionLayer layer_{notifier_, QUELVANE_MODULE_DIR,
                           ConversionLayer::ModuleSearch::programDirectoryOnly};
    std::unique_ptr<PcTextToUtf8> utf8_;
};

TEST_P(LoadedFieldPlanTest, TheTableIsMadeOnlyForPairsReadByteByByte) {
    const std::unique_ptr<PairByteTable> table = PairByteTable::probe(layer_, *utf8_);
    EXPECT_EQ(table != nullptr, GetParam().byteByByte);
}

TEST_P(LoadedFieldPlanTest, EveryFieldTypeReadsAsTheGeneralDecoderReadsIt) {
    const SavedObject file = everyFieldType();
    const std::unique_ptr<PairByteTable> table = PairByteTable::probe(layer_, *utf8_);
    LoadedFieldPlan plan(file, file.fields.size(), table.get());
    test::FieldValueMaker maker(31 + static_cast<unsigned>(GetParam().ebcdic));
    Bytes record(static_cast<std::size_t>(file.recordLength));
    int fast = 0;
    for (int round = 0; round < 4000; ++round) {
        for (const SavedField& field : file.fields) {
            maker.fill(field, record.data() + field.offset);
        }
        for (std::size_t i = 0; i < file.fields.size(); ++i) {
            std::string expected;
            LoadedKind expectedKind{};
            bool expectedThrows = false;
            try {
                expected = general(record, file.fields[i], expectedKind);
            } catch (const FieldDecodingFailure&) {
                expectedThrows = true;
            }
            std::string text = "left over";
            LoadedKind kind{};
            bool taken = false;
            try {
                taken = plan.decode(i, record, text, kind);
            } catch (const FieldDecodingFailure&) {
                EXPECT_TRUE(expectedThrows) << file.fields[i].name;
                continue;
            }
            if (taken) {
                ++fast;
                EXPECT_FALSE(expectedThrows) << file.fields[i].name;
                EXPECT_EQ(text, expected) << file.fields[i].name << " round " << round;
                EXPECT_EQ(kind, expectedKind) << file.fields[i].name << " round " << round;
                if (plan.plainText(i)) {
                    EXPECT_EQ(text.find_first_of(",\"\r\n"), std::string::npos) << file.fields[i].name;
                }
            }
        }
    }
    // Most valid values take a fast step.
    EXPECT_GT(fast, 4000 * (table != nullptr ? 10 : 7));
}

TEST_P(LoadedFieldPlanTest, AFieldPastTheRecordIsLeftToTheGeneralDecoder) {
    SavedObject file = everyFieldType();
    const std::unique_ptr<PairByteTable> table = PairByteTable::probe(layer_, *utf8_);
    LoadedFieldPlan plan(file, file.fields.size(), table.get());
    const Bytes shortRecord(static_cast<std::size_t>(file.fields[1].offset) + 2, 0xC1);
    std::string text;
    LoadedKind kind{};
    EXPECT_FALSE(plan.decode(1, shortRecord, text, kind));
    EXPECT_FALSE(plan.decode(file.fields.size() - 1, shortRecord, text, kind));
}

// The view's texts the exports write in the PC page: character fields as decodeCharacter
// reads them (a single blank for none) and time fields as decodeTime does.
TEST_P(LoadedFieldPlanTest, TheTablesPcTextsMatchTheConverter) {
    const std::unique_ptr<PairByteTable> table = PairByteTable::probe(layer_, *utf8_);
    if (table == nullptr) {
        GTEST_SKIP() << "the pair does not read byte by byte";
    }
    SavedField character;
    character.typeCode = kCharacterFieldType;
    character.length = 9;
    test::FieldValueMaker maker(7 + static_cast<unsigned>(GetParam().ebcdic));
    Bytes bytes(9);
    for (int round = 0; round < 3000; ++round) {
        maker.fill(character, bytes.data());
        std::string text;
        std::string expected;
        if (table->pcText(bytes, text)) {
            convertPaddedText(bytes, layer_, expected);
            EXPECT_EQ(text, expected) << round;
        }
        if (table->timeText(bytes, text)) {
            decodeTime(bytes, layer_, expected);
            EXPECT_EQ(text, expected) << round;
        }
    }
    std::string text;
    EXPECT_FALSE(table->pcText(Bytes{0xC1, 0x0E, 0xC1}, text));
    EXPECT_FALSE(table->timeText(Bytes{0xF1, 0xF2}, text));
    EXPECT_TRUE(table->pcText(Bytes{0xC1, 0x00, 0xC2}, text));
    EXPECT_EQ(text.size(), 1U);
}

INSTANTIATE_TEST_SUITE_P(PagePairs, LoadedFieldPlanTest,
                         testing::Values(PagePair{37, 1252, true}, PagePair{1141, 1252, true},
                                         PagePair{20273, 1250, true}, PagePair{500, 1252, true},
                                         PagePair{935, 936, false}, PagePair{930, 932, false},
                                         PagePair{935, 1252, false}),
                         [](const testing::TestParamInfo<PagePair>& info) {
                             return std::to_string(info.param.ebcdic) + "_" + std::to_string(info.param.pc);
                         });

// The plain decimal steps against decodePacked/decodeZoned and toPlainDecimal over every sign
// and digit count up to 19, with decimals from none to all.
TEST(PlainDecimalSteps, MatchTheNumericDecodersAndToPlainDecimal) {
    std::mt19937 random(4711);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> coin(0, 3);
    for (int digits = 1; digits <= 19; ++digits) {
        for (int decimals = 0; decimals <= digits; ++decimals) {
            for (int round = 0; round < 40; ++round) {
                const bool zeros = coin(random) == 0;
                Bytes packed(static_cast<std::size_t>(digits / 2 + 1), 0);
                const int pad = digits % 2 == 0 ? 1 : 0;
                for (int k = 0; k < digits; ++k) {
                    const int nibble = k + pad;
                    const int value = zeros && k < digits - 1 ? 0 : digit(random);
                    packed[static_cast<std::size_t>(nibble / 2)] |=
                        static_cast<std::uint8_t>(nibble % 2 == 0 ? value << 4 : value);
                }
                packed.back() |= coin(random) < 2 ? 0x0F : 0x0D;
                std::string expected;
                decodePacked(packed, digits, decimals, kTextCapacity, expected);
                ASSERT_TRUE(toPlainDecimal(expected, decimals));
                std::string text;
                ASSERT_TRUE(packedPlainDecimal(packed, digits, decimals, text));
                EXPECT_EQ(text, expected) << digits << "," << decimals;

                Bytes zoned;
                for (int k = 0; k < digits; ++k) {
                    zoned.push_back(
                        static_cast<std::uint8_t>(0xF0 | (zeros && k < digits - 1 ? 0 : digit(random))));
                }
                if (coin(random) < 2) {
                    zoned.back() = static_cast<std::uint8_t>(0xD0 | (zoned.back() & 0x0F));
                }
                decodeZoned(zoned, digits, decimals, expected);
                ASSERT_TRUE(toPlainDecimal(expected, decimals));
                ASSERT_TRUE(zonedPlainDecimal(zoned, decimals, text));
                EXPECT_EQ(text, expected) << digits << "," << decimals;
            }
        }
    }
}

TEST(PlainDecimalSteps, RefuseWhatIsNoPlainDigits) {
    std::string text;
    EXPECT_FALSE(packedPlainDecimal(Bytes{0x1A, 0x3F}, 3, 0, text));
    EXPECT_FALSE(packedPlainDecimal(Bytes{0x12}, 3, 0, text));
    EXPECT_FALSE(packedPlainDecimal(Bytes{0x12, 0x3F}, 3, 4, text));
    EXPECT_FALSE(zonedPlainDecimal(Bytes{0xF1, 0x40, 0xF3}, 0, text));
    EXPECT_FALSE(zonedPlainDecimal(Bytes{0xF1, 0xC3}, 0, text));
    EXPECT_FALSE(zonedPlainDecimal(Bytes{0xD1, 0xF3}, 0, text));
    EXPECT_FALSE(zonedPlainDecimal(Bytes{0xF1, 0xF3}, 3, text));
    EXPECT_FALSE(zonedPlainDecimal(Bytes{}, 0, text));
}

}  // namespace
}  // namespace quelvane
