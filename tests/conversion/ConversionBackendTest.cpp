// The table backend against the ICU backend it was generated from: for every pair of the
// Options lists, every PC page both ways, every stored CCSID, every CCSID of the integrated file
// system and UTF-8, both give the same bytes.

#include <gtest/gtest.h>
#include <unicode/ustring.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "conversion/CcsidText.h"
#include "conversion/CodePageLists.h"
#include "conversion/CodePageRegistry.h"
#include "conversion/PcTextToUtf8.h"
#include "conversion/StoredCcsidText.h"
#include "conversion/Utf8Text.h"
#include "conversion/icu/IcuConversionBackend.h"
#include "conversion/modules/CodePageMapper.h"
#include "conversion/tables/TableConversionBackend.h"

namespace quelvane {
namespace {

using modules::CodePageMapper;
using Bytes = std::vector<std::uint8_t>;

ConversionBackend& icu() {
    return IcuConversionBackend::instance();
}

ConversionBackend& tables() {
    return TableConversionBackend::instance();
}

// The bytes Options converts to show that a pair works.
const Bytes kOptionsTestPattern = {0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0x40,
                                   0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x40, 0x91,
                                   0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x00};

// Host text as fields hold it: mostly plain bytes, with shift-out runs of double-byte codes
// (valid, unassigned and cut ones), NULs and stray shift bytes.
Bytes hostField(std::mt19937& random, std::size_t length) {
    Bytes field;
    while (field.size() < length) {
        const unsigned roll = random() % 100;
        if (roll < 20) {
            field.push_back(0x0E);
            const unsigned pairs = random() % 6;
            for (unsigned i = 0; i < pairs; ++i) {
                field.push_back(static_cast<std::uint8_t>(0x41 + random() % 0xBE));
                field.push_back(static_cast<std::uint8_t>(0x41 + random() % 0xBE));
            }
            if (random() % 4 != 0) {
                field.push_back(0x0F);
            }
        } else if (roll < 25) {
            field.push_back(random() % 2 == 0 ? 0x0F : 0x00);
        } else if (roll < 30) {
            field.push_back(0x40);
        } else {
            field.push_back(static_cast<std::uint8_t>(random()));
        }
    }
    field.resize(length);
    return field;
}

struct Mapped {
    std::size_t produced;
    Bytes target;
    bool operator==(const Mapped&) const = default;
};

Mapped mapThrough(CodePageMapper& mapper, const Bytes& source, std::size_t targetLength) {
    Mapped mapped{0, Bytes(targetLength + 1, 0xA5)};
    mapped.produced = mapper.map(source.data(), source.size(), mapped.target.data(), targetLength);
    return mapped;
}

std::vector<Bytes> optionsPairInputs(std::int32_t host, std::int32_t pc) {
    std::vector<Bytes> inputs{kOptionsTestPattern};
    Bytes everyByte;
    for (int byte = 0; byte < 256; ++byte) {
        inputs.push_back({static_cast<std::uint8_t>(byte)});
        everyByte.push_back(static_cast<std::uint8_t>(byte));
    }
    inputs.push_back(everyByte);
    std::mt19937 random(static_cast<std::uint32_t>(host * 7919 + pc));
    for (int i = 0; i < 20; ++i) {
        inputs.push_back(hostField(random, random() % 60));
    }
    return inputs;
}

// The Options test pattern, each byte 00-FF alone and all of them in one text, and host fields
// with shift-out text, each into a target of its own length (as the conversion layer maps) and
// into shorter and longer ones; through the byte table and through the converters.
TEST(ConversionBackends, EveryOptionsPairMapsAlike) {
    int pairs = 0;
    for (const CcsidRow& hostRow : kCcsidRows) {
        const std::int32_t host = ebcdicCodePageOfRow(hostRow.text).value();
        for (std::size_t pcRow = 0; pcRow + 1 < kPcCodePageRowCount; ++pcRow) {
            const std::int32_t pc = pcCodePageOfRow(kPcCodePageRows[pcRow]).value();
            SCOPED_TRACE(std::to_string(host) + " to " + std::to_string(pc));
            for (auto lookup : {CodePageMapper::Lookup::byteTable, CodePageMapper::Lookup::converters}) {
                auto fromIcu = CodePageMapper::open(host, pc, lookup, icu());
                auto fromTables = CodePageMapper::open(host, pc, lookup, tables());
                ASSERT_NE(fromIcu, nullptr);
                ASSERT_NE(fromTables, nullptr);
                EXPECT_EQ(fromIcu->usesByteTable(), fromTables->usesByteTable());
                for (const Bytes& input : optionsPairInputs(host, pc)) {
                    for (std::size_t length : {input.size(), input.size() / 2, input.size() * 3 + 1}) {
                        ASSERT_EQ(mapThrough(*fromIcu, input, length), mapThrough(*fromTables, input, length))
                            << "length " << input.size() << " into " << length;
                    }
                }
            }
            ++pairs;
        }
    }
    EXPECT_EQ(pairs, 38 * 30);
}

TEST(ConversionBackends, MixedHostPagesMapShiftOutTextAlike) {
    for (std::int32_t host : {930, 931, 933, 935, 937, 939}) {
        for (std::int32_t pc : {932, 936, 949, 950, 1252}) {
            SCOPED_TRACE(std::to_string(host) + " to " + std::to_string(pc));
            auto fromIcu = CodePageMapper::open(host, pc, CodePageMapper::Lookup::byteTable, icu());
            auto fromTables = CodePageMapper::open(host, pc, CodePageMapper::Lookup::byteTable, tables());
            ASSERT_NE(fromIcu, nullptr);
            ASSERT_NE(fromTables, nullptr);
            std::mt19937 random(static_cast<std::uint32_t>(host + pc));
            for (int i = 0; i < 2000; ++i) {
                const Bytes field = hostField(random, 1 + random() % 80);
                ASSERT_EQ(mapThrough(*fromIcu, field, field.size()),
                          mapThrough(*fromTables, field, field.size()));
            }
        }
    }
}

// Every single byte and every pair of bytes, read; every code point of the BMP and the first
// supplementary planes, and unpaired surrogates, written under each substitution.
TEST(ConversionBackends, EveryPcPageReadsAndWritesAlike) {
    for (const PcPageEntry& entry : kPcPages) {
        SCOPED_TRACE(entry.windowsCodePage);
        auto fromIcu = icu().openPcPage(entry.windowsCodePage);
        auto fromTables = tables().openPcPage(entry.windowsCodePage);
        ASSERT_NE(fromIcu, nullptr);
        ASSERT_NE(fromTables, nullptr);
        std::u16string a;
        std::u16string b;
        std::vector<std::int32_t> offsetsA;
        std::vector<std::int32_t> offsetsB;
        for (int first = 0; first < 256; ++first) {
            for (int second = -1; second < 256; ++second) {
                Bytes bytes{static_cast<std::uint8_t>(first)};
                if (second >= 0) {
                    bytes.push_back(static_cast<std::uint8_t>(second));
                }
                fromIcu->decode(bytes, a, &offsetsA);
                fromTables->decode(bytes, b, &offsetsB);
                ASSERT_EQ(a, b) << first << ' ' << second;
                ASSERT_EQ(offsetsA, offsetsB) << first << ' ' << second;
            }
        }
        std::u16string text;
        for (char32_t c = 0; c < 0x30000; ++c) {
            if (c < 0x10000) {
                text.push_back(static_cast<char16_t>(c));
            } else {
                text.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
                text.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
            }
        }
        text +=
            u"A\xD800"
            u"B\xDC00\xD800";
        for (auto rule : {PcPageCodec::Substitution::pageCharacter,
                          PcPageCodec::Substitution::pageCharacterDroppingIgnorable,
                          PcPageCodec::Substitution::questionMarkDroppingIgnorable}) {
            std::string x;
            std::string y;
            fromIcu->encode(text, rule, x, &offsetsA);
            fromTables->encode(text, rule, y, &offsetsB);
            EXPECT_EQ(x, y) << static_cast<int>(rule);
            EXPECT_EQ(offsetsA, offsetsB) << static_cast<int>(rule);
        }
    }
}

TEST(ConversionBackends, PcTextReadsAsTheSameUtf8) {
    std::mt19937 random(17);
    for (const PcPageEntry& entry : kPcPages) {
        PcTextToUtf8 fromIcu(entry.windowsCodePage, icu());
        PcTextToUtf8 fromTables(entry.windowsCodePage, tables());
        ASSERT_TRUE(fromIcu.ready());
        ASSERT_TRUE(fromTables.ready());
        for (int i = 0; i < 3000; ++i) {
            std::string text(random() % 30, '\0');
            for (char& c : text) {
                c = static_cast<char>(random());
            }
            ASSERT_EQ(fromIcu.toUtf8(text), fromTables.toUtf8(text)) << entry.windowsCodePage;
        }
    }
}

// Each CCSID CcsidText reads, against each PC page: every byte alone, all of them in one text
// and random texts of lead and trail bytes.
TEST(ConversionBackends, EveryCcsidOfTheIntegratedFileSystemReadsAlike) {
    int ccsids = 0;
    std::mt19937 random(1208);
    for (std::uint32_t ccsid = 0; ccsid <= 0xFFFF; ++ccsid) {
        if (CcsidText::familyOf(static_cast<std::uint16_t>(ccsid)) != CcsidText::Family::Ascii) {
            continue;
        }
        ++ccsids;
        for (const PcPageEntry& pc : kPcPages) {
            CcsidText fromIcu(static_cast<std::uint16_t>(ccsid), pc.windowsCodePage, icu());
            CcsidText fromTables(static_cast<std::uint16_t>(ccsid), pc.windowsCodePage, tables());
            ASSERT_EQ(fromIcu.ready(), fromTables.ready()) << ccsid;
            std::vector<std::string> texts;
            std::string everyByte;
            for (int byte = 0x80; byte < 0x100; ++byte) {
                texts.emplace_back(1, static_cast<char>(byte));
                everyByte.push_back(static_cast<char>(byte));
            }
            texts.push_back(everyByte);
            for (int i = 0; i < 100; ++i) {
                std::string text(1 + random() % 12, '\0');
                for (char& c : text) {
                    c = static_cast<char>(random() % 3 == 0 ? 0x20 + random() % 0x60
                                                            : 0x80 + random() % 0x80);
                }
                texts.push_back(text);
            }
            for (const std::string& text : texts) {
                ASSERT_EQ(fromIcu.toPcText(text), fromTables.toPcText(text))
                    << ccsid << " to " << pc.windowsCodePage;
            }
        }
    }
    EXPECT_GT(ccsids, 40);
}

// Each stored CCSID's converter: every byte alone and every pair of bytes, from the initial
// state and after a shift-out, and host fields with shift-out text, with their offsets.
TEST(ConversionBackends, EveryStoredCcsidReadsAlike) {
    int converters = 0;
    std::mt19937 random(5026);
    for (const StoredCcsidEntry& entry : kStoredCcsids) {
        if (entry.converter.empty()) {
            continue;
        }
        SCOPED_TRACE(entry.ccsid);
        auto fromIcu = icu().openStoredCcsid(entry.ccsid);
        auto fromTables = tables().openStoredCcsid(entry.ccsid);
        ASSERT_NE(fromIcu, nullptr);
        ASSERT_NE(fromTables, nullptr);
        EXPECT_EQ(fromIcu->shape(), fromTables->shape());
        std::vector<Bytes> inputs;
        for (const Bytes& prefix : {Bytes{}, Bytes{0x0E}}) {
            for (int first = 0; first < 256; ++first) {
                for (int second = -1; second < 256; ++second) {
                    Bytes bytes = prefix;
                    bytes.push_back(static_cast<std::uint8_t>(first));
                    if (second >= 0) {
                        bytes.push_back(static_cast<std::uint8_t>(second));
                    }
                    inputs.push_back(std::move(bytes));
                }
            }
        }
        for (int i = 0; i < 500; ++i) {
            inputs.push_back(hostField(random, 1 + random() % 80));
        }
        std::u16string a;
        std::u16string b;
        std::vector<std::int32_t> offsetsA;
        std::vector<std::int32_t> offsetsB;
        for (const Bytes& bytes : inputs) {
            fromIcu->decode(bytes, a, &offsetsA);
            fromTables->decode(bytes, b, &offsetsB);
            ASSERT_EQ(a, b) << testing::PrintToString(bytes);
            ASSERT_EQ(offsetsA, offsetsB) << testing::PrintToString(bytes);
        }
        ++converters;
    }
    EXPECT_EQ(converters, 74);
}

// Text by stored CCSID over each backend, for every mapped CCSID and a few the map lacks: the
// same UTF-8 and the same outcome, fallbacks included.
TEST(ConversionBackends, StoredCcsidTextReadsAlike) {
    std::vector<std::uint16_t> ccsids{0, 65535, 62251, 12345};
    for (const StoredCcsidEntry& entry : kStoredCcsids) {
        ccsids.push_back(entry.ccsid);
    }
    StoredCcsidText fromIcu(37, icu());
    StoredCcsidText fromTables(37, tables());
    std::mt19937 random(13488);
    std::string a;
    std::string b;
    for (std::uint16_t ccsid : ccsids) {
        SCOPED_TRACE(ccsid);
        EXPECT_EQ(fromIcu.converts(ccsid), fromTables.converts(ccsid));
        for (int i = 0; i < 300; ++i) {
            const Bytes field = hostField(random, random() % 40);
            const bool binaryAsHex = i % 2 == 0;
            ASSERT_EQ(fromIcu.decode(field, ccsid, binaryAsHex, a),
                      fromTables.decode(field, ccsid, binaryAsHex, b));
            ASSERT_EQ(a, b) << testing::PrintToString(field);
        }
    }
}

// Single-byte CCSIDs are read byte by byte from a table made once: the same UTF-8 as their
// converter reading the whole text.
TEST(ConversionBackends, StoredSingleByteTextReadsAsItsConverter) {
    StoredCcsidText text(37, icu());
    std::mt19937 random(290);
    std::u16string wide;
    std::string expected;
    std::string actual;
    for (const StoredCcsidEntry& entry : kStoredCcsids) {
        if (entry.form != CcsidForm::singleByte) {
            continue;
        }
        SCOPED_TRACE(entry.ccsid);
        auto converter = icu().openStoredCcsid(entry.ccsid);
        ASSERT_NE(converter, nullptr);
        for (int i = 0; i < 200; ++i) {
            const Bytes field = hostField(random, random() % 40);
            converter->decode(field, wide, nullptr);
            expected.clear();
            appendUtf8(wide, expected);
            text.decode(field, entry.ccsid, false, actual);
            ASSERT_EQ(actual, expected) << testing::PrintToString(field);
        }
    }
}

// Byte strings of up to four bytes from the values where UTF-8's rules change.
std::vector<std::string> utf8Edges() {
    const std::vector<std::uint8_t> edges = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF,
                                             0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xEC, 0xED, 0xEE,
                                             0xEF, 0xF0, 0xF1, 0xF3, 0xF4, 0xF5, 0xFF};
    std::vector<std::string> texts{""};
    for (std::size_t length = 1; length <= 4; ++length) {
        std::vector<std::string> longer;
        for (const std::string& text : texts) {
            if (text.size() + 1 == length) {
                for (std::uint8_t byte : edges) {
                    longer.push_back(text + static_cast<char>(byte));
                }
            }
        }
        texts.insert(texts.end(), longer.begin(), longer.end());
    }
    return texts;
}

TEST(ConversionBackends, Utf8ReadsAndWritesAsIcuDoes) {
    auto fromIcu = icu().openCcsidPage(kUtf8Ccsid);
    auto fromTables = tables().openCcsidPage(kUtf8Ccsid);
    ASSERT_NE(fromIcu, nullptr);
    ASSERT_NE(fromTables, nullptr);
    std::u16string a;
    std::u16string b;
    std::vector<std::int32_t> offsetsA;
    std::vector<std::int32_t> offsetsB;
    for (const std::string& text : utf8Edges()) {
        const Bytes bytes(text.begin(), text.end());
        fromIcu->decode(bytes, a, &offsetsA);
        fromTables->decode(bytes, b, &offsetsB);
        ASSERT_EQ(a, b);
        ASSERT_EQ(offsetsA, offsetsB);
        std::u16string wide(text.size() + 1, u'\0');
        int32_t length = 0;
        UErrorCode status = U_ZERO_ERROR;
        u_strFromUTF8WithSub(wide.data(), static_cast<int32_t>(wide.size()), &length, text.data(),
                             static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
        wide.resize(static_cast<std::size_t>(length));
        ASSERT_EQ(utf8ToUtf16(text), wide);
    }
    for (const std::u16string& text :
         {std::u16string(u"a\xD800"), std::u16string(u"\xDC00z"), std::u16string(u"\xD800\xD800\xDC00"),
          std::u16string(u"\U0001F600\xFFFF\x7FF\x800")}) {
        std::string narrow(text.size() * 4, '\0');
        int32_t length = 0;
        UErrorCode status = U_ZERO_ERROR;
        u_strToUTF8WithSub(narrow.data(), static_cast<int32_t>(narrow.size()), &length, text.data(),
                           static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
        narrow.resize(static_cast<std::size_t>(length));
        EXPECT_EQ(utf16ToUtf8(text), narrow);
    }
}

}  // namespace
}  // namespace quelvane
