#include "views/FieldTextByCcsid.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "savefile/TypeCodes.h"
#include "tests/support/Cp037Converter.h"

namespace quelvane {
namespace {

using Fallback = FieldTextByCcsid::Fallback;

constexpr std::int32_t kChosenPage = 37;

SavedField fieldOf(const char* name, std::uint16_t typeCode, std::int32_t length, std::uint16_t ccsid) {
    SavedField field;
    field.name = name;
    field.typeCode = typeCode;
    field.length = length;
    field.digits = typeCode == kPackedFieldType ? length * 2 - 1 : 0;
    field.description.read = true;
    field.description.ccsid = ccsid;
    return field;
}

struct Case {
    const char* what;
    std::uint16_t typeCode;
    std::uint16_t ccsid;
    std::vector<std::uint8_t> bytes;
    const char* expected;
    Fallback fallback;
    // The field's declared length where it is shorter than the bytes given.
    std::int32_t length = 0;
};

// Each form of CCSID a field carries, each fallback, and the rules a text field shares with the
// pair's reading (ends at NUL, a single blank when empty, bytes past the length ignored).
TEST(FieldTextByCcsid, DecodesEachFieldByItsCcsid) {
    const Case cases[] = {
        {"single byte", kCharacterFieldType, 37, {0xC1, 0xC2, 0x40}, "AB ", Fallback::none},
        {"German", kCharacterFieldType, 273, {0x4A, 0xE0, 0x5A}, "\xC3\x84\xC3\x96\xC3\x9C", Fallback::none},
        {"half-width katakana",
         kCharacterFieldType,
         290,
         {0x81, 0x82},
         "\xEF\xBD\xB1\xEF\xBD\xB2",
         Fallback::none},
        {"mixed with shift states",
         kOpenCharacterFieldType,
         5026,
         {0xC1, 0x0E, 0x40, 0x40, 0x0F, 0xC2},
         "A\xE3\x80\x80"
         "B",
         Fallback::none},
        {"mixed Latin and Kanji",
         kOpenCharacterFieldType,
         1399,
         {0x81, 0x0E, 0x45, 0x41, 0x0F},
         "a\xE4\xB8\x80",
         Fallback::none},
        {"graphic through its mixed page",
         kGraphicFieldType,
         300,
         {0x40, 0x40, 0x45, 0x41},
         "\xE3\x80\x80\xE4\xB8\x80",
         Fallback::none},
        {"graphic Korean", kGraphicFieldType, 834, {0x40, 0x40}, "\xE3\x80\x80", Fallback::none},
        {"graphic UTF-16",
         kGraphicFieldType,
         13488,
         {0x30, 0x42, 0x00, 0x41},
         "\xE3\x81\x82"
         "A",
         Fallback::none},
        {"UTF-16 ends at a zero unit",
         kCharacterFieldType,
         1200,
         {0x00, 0x41, 0x00, 0x00, 0x00, 0x42},
         "A",
         Fallback::none},
        {"UTF-8", kCharacterFieldType, 1208, {0xE3, 0x81, 0x82}, "\xE3\x81\x82", Fallback::none},
        {"ends at a zero byte", kCharacterFieldType, 37, {0xC1, 0x00, 0xC2}, "A", Fallback::none},
        {"empty is one blank", kCharacterFieldType, 37, {0x00, 0x00}, " ", Fallback::none},
        {"bytes past the length", kCharacterFieldType, 37, {0xC1, 0xC2, 0xC3}, "AB", Fallback::none, 2},
        {"65535 text", kCharacterFieldType, 65535, {0xC1, 0xC2}, "AB", Fallback::chosenPage},
        {"65535 bytes as hex", kCharacterFieldType, 65535, {0x05, 0xC1, 0xFF}, "05C1FF", Fallback::hex},
        {"no CCSID", kCharacterFieldType, 0, {0xC1}, "A", Fallback::chosenPage},
        {"CCSID without converter", kCharacterFieldType, 62251, {0xC1}, "A", Fallback::chosenPage},
        {"unknown CCSID", kOpenCharacterFieldType, 12345, {0xC1}, "A", Fallback::chosenPage},
        {"packed as the pair reads it", kPackedFieldType, 37, {0x12, 0x3F}, "123", Fallback::none},
        {"binary as the pair reads it", kBinaryFieldType, 65535, {0xFF, 0xFE}, "-2", Fallback::none},
    };
    test::Cp037Converter pair;
    FieldTextByCcsid decoder(kChosenPage, pair);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SavedField field = fieldOf(
            "F", c.typeCode, c.length != 0 ? c.length : static_cast<std::int32_t>(c.bytes.size()), c.ccsid);
        std::string text = "stale";
        EXPECT_EQ(decoder.decode(c.bytes, field, text), c.fallback);
        EXPECT_EQ(text, c.expected);
    }
}

TEST(FieldTextByCcsid, DecidesTheTextOfCharacterAndGraphicFieldsOnly) {
    for (std::uint16_t type : {kCharacterFieldType, kOpenCharacterFieldType, kGraphicFieldType}) {
        EXPECT_TRUE(FieldTextByCcsid::decidesText(fieldOf("F", type, 1, 37))) << type;
    }
    for (std::uint16_t type : {kBinaryFieldType, kZonedFieldType, kPackedFieldType, kDateFieldType,
                               kTimeFieldType, kTimestampFieldType}) {
        EXPECT_FALSE(FieldTextByCcsid::decidesText(fieldOf("F", type, 1, 37))) << type;
    }
}

// The loading form: text without trailing blanks and possibly empty, numbers as plain decimals.
TEST(FieldTextByCcsid, DecodesTheLoadingForm) {
    struct Loaded {
        std::uint16_t typeCode;
        std::uint16_t ccsid;
        std::vector<std::uint8_t> bytes;
        const char* expected;
        LoadedKind kind;
    };
    const Loaded cases[] = {
        {kCharacterFieldType, 37, {0xC1, 0x40, 0x40}, "A", LoadedKind::Text},
        {kCharacterFieldType, 37, {0x40, 0x00}, "", LoadedKind::Text},
        {kOpenCharacterFieldType, 5026, {0x0E, 0x45, 0x41, 0x0F, 0x40}, "\xE4\xB8\x80", LoadedKind::Text},
        {kGraphicFieldType, 300, {0x45, 0x41}, "\xE4\xB8\x80", LoadedKind::Text},
        {kPackedFieldType, 37, {0x12, 0x3D}, "-123", LoadedKind::Integer},
    };
    test::Cp037Converter pair;
    FieldTextByCcsid decoder(kChosenPage, pair);
    for (const Loaded& c : cases) {
        const SavedField field = fieldOf("F", c.typeCode, static_cast<std::int32_t>(c.bytes.size()), c.ccsid);
        std::string text;
        LoadedKind kind{};
        EXPECT_EQ(decoder.decodeLoaded(c.bytes, field, text, kind), Fallback::none);
        EXPECT_EQ(text, c.expected) << c.typeCode;
        EXPECT_EQ(kind, c.kind) << c.typeCode;
    }
}

// The view names each field a fallback was used for once, however many records use it.
TEST(FieldTextByCcsid, NotesEachFallbackOnce) {
    test::Cp037Converter pair;
    FieldTextByCcsid decoder(kChosenPage, pair);
    const SavedField hex = fieldOf("FIELD9", kCharacterFieldType, 2, 65535);
    const SavedField untagged = fieldOf("NOTE", kCharacterFieldType, 2, 0);
    const SavedField tagged = fieldOf("NAME", kCharacterFieldType, 2, 37);
    std::string text;
    EXPECT_TRUE(decoder.fallbackNotes().empty());
    for (int record = 0; record < 3; ++record) {
        decoder.decode(std::vector<std::uint8_t>{0x01, 0x02}, hex, text);
        decoder.decode(std::vector<std::uint8_t>{0xC1, 0xC2}, untagged, text);
        decoder.decode(std::vector<std::uint8_t>{0xC1, 0xC2}, tagged, text);
        decoder.decode(std::vector<std::uint8_t>{0xC1, 0xC2}, hex, text);
    }
    const std::vector<std::string> expected{"FIELD9: CCSID 65535, shown as hex",
                                            "NOTE: CCSID 0, read in the chosen EBCDIC page",
                                            "FIELD9: CCSID 65535, read in the chosen EBCDIC page"};
    EXPECT_EQ(decoder.fallbackNotes(), expected);
    EXPECT_EQ(FieldTextByCcsid::fallbackNote(Fallback::none, 37), "");
}

}  // namespace
}  // namespace quelvane
