#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "export/ExportFieldDecoder.h"
#include "export/PackedLineText.h"
#include "export/PairCharacterLineText.h"
#include "export/TextExportLine.h"
#include "export/ZonedLineText.h"
#include "tests/export/ExportFixture.h"
#include "views/FieldDecoder.h"

namespace quelvane::test {
namespace {

// The line the plain way: every field through the decoder, each line feed of its text as CR LF.
std::string decoderLine(ExportFieldDecoder& fields, const SavedObject& file,
                        std::span<const std::uint8_t> record, bool splitter) {
    std::string line;
    std::string text;
    for (const SavedField& field : file.fields) {
        fields.decode(record, field, text);
        for (const char c : text) {
            line += c == '\n' ? std::string("\r\n") : std::string(1, c);
        }
        if (splitter) {
            line += '|';
        }
    }
    return line + "\r\n";
}

// The line or, where reading raises, the failure's text.
template <typename Build>
std::string lineOrFailure(Build build) {
    try {
        return build();
    } catch (const std::exception& failure) {
        return std::string("raised: ") + failure.what();
    }
}

// A record format with a field of every type the export knows and one it does not; with
// `pastTheRecord`, fields lying past the record's end too, which raise whichever way they go.
SavedObject everyType(bool pastTheRecord) {
    SavedObject file;
    const std::vector<SavedField> fields = {
        {"CHAR", 0x0403, 12, 0, 0, 0, {}},  {"OPEN", 0x0603, 9, 12, 0, 0, {}},
        {"PACK", 0x0303, 4, 21, 7, 2, {}},  {"PACK0", 0x0303, 3, 25, 5, 0, {}},
        {"ZONE", 0x0203, 5, 28, 5, 2, {}},  {"BIN2", 0x0003, 2, 33, 4, 0, {}},
        {"BIN4", 0x0003, 4, 35, 9, 2, {}},  {"BIN8", 0x0003, 8, 39, 18, 0, {}},
        {"FLT4", 0x0103, 4, 47, 0, 0, {}},  {"FLT8", 0x0103, 8, 51, 0, 0, {}},
        {"DATE", 0x0B03, 4, 59, 0, 0, {}},  {"TIME", 0x0C03, 3, 63, 0, 0, {}},
        {"STMP", 0x0D03, 10, 66, 0, 0, {}}, {"ODD", 0x0E03, 2, 76, 0, 0, {}},
        {"CHAR1", 0x0403, 1, 78, 0, 0, {}}, {"CHAR0", 0x0403, 0, 79, 0, 0, {}},
        {"TAIL", 0x0403, 4, 76, 0, 0, {}},
    };
    file.fields = fields;
    if (pastTheRecord) {
        file.fields.push_back({"PAST", 0x0403, 4, 78, 0, 0, {}});
        file.fields.push_back({"PASTP", 0x0303, 3, 95, 5, 2, {}});
    }
    file.fieldCount = static_cast<std::int32_t>(file.fields.size());
    return file;
}

// Records of 80 bytes: EBCDIC letters, digits and blanks mostly, with zeros, line feeds (0x25),
// shift codes and bytes of any value mixed in at random.
std::vector<std::vector<std::uint8_t>> generatedRecords(int count) {
    std::mt19937 random(31);
    const std::vector<std::uint8_t> common = {0x40, 0xC1, 0xC2, 0xD9, 0xE9, 0xF0,
                                              0xF5, 0xF9, 0x4B, 0x81, 0x89};
    const std::vector<std::uint8_t> rare = {0x00, 0x25, 0x0E, 0x0F, 0x15, 0x0D, 0xFF};
    std::vector<std::vector<std::uint8_t>> records;
    for (int r = 0; r < count; ++r) {
        std::vector<std::uint8_t> record(80);
        for (std::uint8_t& byte : record) {
            const unsigned pick = random() % 100;
            byte = pick < 85   ? common[random() % common.size()]
                   : pick < 93 ? rare[random() % rare.size()]
                               : static_cast<std::uint8_t>(random());
        }
        if (r % 4 != 3) {
            // A valid packed value, date and time, so those paths are not only failures.
            record[21] = 0x12, record[22] = 0x34, record[23] = 0x56, record[24] = 0x7D;
            record[59] = 0x00, record[60] = 0x25, record[61] = 0x68, record[62] = 0x19;
        }
        records.push_back(record);
    }
    return records;
}

struct TextExportLineTest : ::testing::Test {
    void SetUp() override { fixture.openOrders(orderSlots(1)); }

    void expectSameLines(bool splitter, bool pastTheRecord = false) {
        const SavedObject file = everyType(pastTheRecord);
        ExportFieldDecoder plain(fixture.session, "MBR1");
        ExportFieldDecoder planned(fixture.session, "MBR1");
        TextExportLine lines(file, planned, fixture.views.session.converter, splitter);
        std::string line;
        int whole = 0;
        for (const std::vector<std::uint8_t>& record : generatedRecords(4000)) {
            const std::string expected =
                lineOrFailure([&] { return decoderLine(plain, file, record, splitter); });
            const std::string got = lineOrFailure([&] {
                lines.build(record, line);
                return line;
            });
            ASSERT_EQ(got, expected);
            whole += expected.starts_with("raised: ") ? 0 : 1;
        }
        // Enough records read to their end that every field's way is compared.
        EXPECT_GT(whole, pastTheRecord ? -1 : 500);
    }

    ExportFixture fixture;
};

TEST_F(TextExportLineTest, GivesTheDecodersLineForEveryFieldTypeByThePair) {
    ASSERT_NE(ExportFieldDecoder(fixture.session, "MBR1").pcTextTable(), nullptr);
    expectSameLines(false);
    expectSameLines(true);
    expectSameLines(false, true);
}

TEST_F(TextExportLineTest, GivesTheDecodersLineInUtf8AndByStoredCcsid) {
    fixture.session.textEncoding = ExportTextEncoding::Utf8;
    ASSERT_EQ(ExportFieldDecoder(fixture.session, "MBR1").pcTextTable(), nullptr);
    expectSameLines(true);
    fixture.session.textEncoding = ExportTextEncoding::PcPage;
    fixture.views.session.storedCcsidHostPage = 37;
    ASSERT_EQ(ExportFieldDecoder(fixture.session, "MBR1").pcTextTable(), nullptr);
    expectSameLines(false);
}

TEST(PairCharacterLineText, LeavesOtherFieldsAndShiftedTextsToTheDecoderAndTheLineAsItWas) {
    ExportFixture fixture;
    fixture.openOrders(orderSlots(1));
    ExportFieldDecoder fields(fixture.session, "MBR1");
    ASSERT_NE(fields.pcTextTable(), nullptr);
    const PairCharacterLineText characters(*fields.pcTextTable());
    const std::vector<std::uint8_t> record = {0xC1, 0x25, 0xC2, 0x00, 0x0E, 0xC3, 0x40, 0x40};
    struct Case {
        const char* name;
        SavedField field;
        bool taken;
        std::string line;
    };
    const std::vector<Case> cases = {
        {"line feed, then a zero", {"A", 0x0403, 3, 0, 0, 0, {}}, true, "x\x41\r\n\x42"},
        {"zero first: a blank", {"B", 0x0403, 1, 3, 0, 0, {}}, true, "x "},
        {"shift-out behind the zero", {"C", 0x0403, 3, 2, 0, 0, {}}, false, "x"},
        {"packed", {"D", 0x0303, 2, 6, 3, 0, {}}, false, "x"},
        {"past the record", {"E", 0x0403, 4, 6, 0, 0, {}}, false, "x"},
        {"negative offset", {"F", 0x0403, 2, -1, 0, 0, {}}, false, "x"},
        {"blanks kept", {"G", 0x0603, 2, 6, 0, 0, {}}, true, "x  "},
    };
    for (const Case& c : cases) {
        std::string line = "x";
        EXPECT_EQ(characters.append(record, c.field, line), c.taken) << c.name;
        EXPECT_EQ(line, c.line) << c.name;
    }
}

TEST(PackedLineText, GivesDecodePackedsTextForEveryDigitAndDecimalCount) {
    std::mt19937 random(63);
    std::string text;
    int taken = 0;
    for (int digits = -1; digits <= PackedLineText::kMostDigits + 2; ++digits) {
        for (int decimals = -1; decimals <= digits + 3; ++decimals) {
            for (int n = 0; n < 40; ++n) {
                // Field bytes for the digits, sometimes fewer (the rest reads as zeros), with
                // nibbles above 9, zeros, every sign nibble.
                const int needed = std::max(digits, 0) / 2 + 1;
                const int length = n % 5 == 4 ? static_cast<int>(random() % (needed + 1)) : needed;
                std::vector<std::uint8_t> record(static_cast<std::size_t>(length + 2));
                for (std::uint8_t& byte : record) {
                    const unsigned pick = random() % 4;
                    byte = pick == 0 ? 0x00 : pick == 1 ? static_cast<std::uint8_t>(random()) : 0x99;
                }
                record[static_cast<std::size_t>(length)] = static_cast<std::uint8_t>(0xF0 | (random() % 16));
                const SavedField field{"P", 0x0303, length, 1, digits, decimals, {}};
                std::string line = "x";
                if (!PackedLineText::append(record, field, line)) {
                    EXPECT_EQ(line, "x");
                    EXPECT_TRUE(digits < 1 || digits > PackedLineText::kMostDigits || decimals < 0 ||
                                decimals > PackedLineText::kMostDigits)
                        << digits << " " << decimals;
                    continue;
                }
                ++taken;
                decodePacked(std::span(record).subspan(1, static_cast<std::size_t>(length)), digits, decimals,
                             kTextCapacity, text);
                ASSERT_EQ(line, "x" + text) << digits << " " << decimals << " " << n;
            }
        }
    }
    EXPECT_GT(taken, 50000);
    // A field past the record is the decoder's, which raises for it.
    const std::vector<std::uint8_t> record(4, 0x12);
    std::string line;
    EXPECT_FALSE(PackedLineText::append(record, {"P", 0x0303, 3, 2, 5, 0, {}}, line));
    EXPECT_FALSE(PackedLineText::append(record, {"P", 0x0303, 3, -1, 5, 0, {}}, line));
    EXPECT_TRUE(line.empty());
}

TEST(ZonedLineText, GivesDecodeZonedsTextForPlainDigitsOfEveryLengthAndDecimalCount) {
    std::mt19937 random(7);
    std::string text;
    int taken = 0;
    for (int length = 0; length <= ZonedLineText::kMostDigits + 2; ++length) {
        for (int decimals = -1; decimals <= length + 3; ++decimals) {
            for (int n = 0; n < 40; ++n) {
                // Digits, mostly zeros in front, a positive or negative last zone; now and then a
                // byte that is no digit, which leaves the value to the decoder.
                std::vector<std::uint8_t> record(static_cast<std::size_t>(length + 2), 0x40);
                const int zeros = static_cast<int>(random() % (length + 1));
                for (int i = 0; i < length; ++i) {
                    record[static_cast<std::size_t>(i + 1)] =
                        static_cast<std::uint8_t>(0xF0 + (i < zeros ? 0 : random() % 10));
                }
                if (length > 0 && n % 2 == 1) {
                    record[static_cast<std::size_t>(length)] -= 0x20;
                }
                if (length > 0 && n % 9 == 8) {
                    const std::uint8_t odd[] = {0xC1, 0xFA, 0x40, 0x00, 0xB5, 0xDA, 0x25};
                    record[1 + random() % static_cast<unsigned>(length)] = odd[random() % 7];
                }
                const SavedField field{"Z", 0x0203, length, 1, length, decimals, {}};
                std::string line = "x";
                if (!ZonedLineText::append(record, field, line)) {
                    EXPECT_EQ(line, "x");
                    continue;
                }
                ++taken;
                decodeZoned(std::span(record).subspan(1, static_cast<std::size_t>(length)), length, decimals,
                            text);
                ASSERT_EQ(line, "x" + text) << length << " " << decimals << " " << n;
            }
        }
    }
    EXPECT_GT(taken, 50000);
    std::string line;
    const std::vector<std::uint8_t> record(4, 0xF1);
    EXPECT_FALSE(ZonedLineText::append(record, {"Z", 0x0203, 3, 2, 3, 0, {}}, line));
    EXPECT_FALSE(ZonedLineText::append(record, {"Z", 0x0203, 0, 0, 0, 0, {}}, line));
    EXPECT_TRUE(line.empty());
}

}  // namespace
}  // namespace quelvane::test
