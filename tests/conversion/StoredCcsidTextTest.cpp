#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conversion/CodePageRegistry.h"
#include "conversion/StoredCcsidText.h"

namespace quelvane {
namespace {

using Outcome = StoredCcsidText::Outcome;

std::string decoded(StoredCcsidText& text, std::vector<std::uint8_t> bytes, std::uint16_t ccsid,
                    Outcome& outcome) {
    std::string out;
    outcome = text.decode(bytes, ccsid, true, out);
    return out;
}

// Each CCSID by its own converter, the pure double-byte ones through their mixed page, UTF-16,
// and the fallbacks to the chosen page (37 here) and to hex.
TEST(StoredCcsidText, ByStoredCcsid) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        std::uint16_t ccsid;
        const char* expected;
        Outcome outcome;
    };
    const Case cases[] = {
        {{0xC1, 0xC2, 0x40}, 37, "AB ", Outcome::byCcsid},
        {{0x4A, 0xE0, 0x5A}, 273, "\xC3\x84\xC3\x96\xC3\x9C", Outcome::byCcsid},  // ÄÖÜ
        {{0x4A}, 37, "\xC2\xA2", Outcome::byCcsid},                               // ¢
        {{0xC1, 0x0E, 0x40, 0x40, 0x0F, 0xC2},
         5026,
         "A\xE3\x80\x80"
         "B",
         Outcome::byCcsid},
        {{0xC1, 0x0E, 0x40, 0x40, 0x0F, 0xC2},
         1399,
         "A\xE3\x80\x80"
         "B",
         Outcome::byCcsid},
        {{0x40, 0x40}, 300, "\xE3\x80\x80", Outcome::byCcsid},
        {{0x40, 0x40}, 835, "\xE3\x80\x80", Outcome::byCcsid},
        {{0x40, 0x40}, 834, "\xE3\x80\x80", Outcome::byCcsid},
        {{0x40, 0x40}, 837, "\xE3\x80\x80", Outcome::byCcsid},
        {{0x30, 0x42, 0x00, 0x41},
         1200,
         "\xE3\x81\x82"
         "A",
         Outcome::byCcsid},
        {{0x30, 0x42, 0x00, 0x41},
         13488,
         "\xE3\x81\x82"
         "A",
         Outcome::byCcsid},
        {{0xC1, 0xC2}, 880, "AB", Outcome::byCcsid},
        {{0xC1, 0xC2}, 65535, "AB", Outcome::chosenPage},
        {{0x05, 0xC1, 0xFF}, 65535, "05C1FF", Outcome::hex},
        {{0xC1}, 0, "A", Outcome::chosenPage},
        // The parts of 1364 and 1388 and the Arabic string types of code page 420 (0x56 alef).
        {{0xC1, 0xC2}, 13121, "AB", Outcome::byCcsid},
        {{0xC1, 0xC2}, 13124, "AB", Outcome::byCcsid},
        {{0x40, 0x40}, 4933, "\xE3\x80\x80", Outcome::byCcsid},
        {{0xC1, 0x56}, 8612, "A\xD8\xA7", Outcome::byCcsid},
        {{0xC1, 0x56}, 12708, "A\xD8\xA7", Outcome::byCcsid},
        {{0xC1}, 62251, "A", Outcome::chosenPage},
        {{0xC1}, 12345, "A", Outcome::chosenPage},
    };
    StoredCcsidText text(37);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ccsid);
        Outcome outcome{};
        EXPECT_EQ(decoded(text, c.bytes, c.ccsid, outcome), c.expected);
        EXPECT_EQ(outcome, c.outcome);
    }
    EXPECT_EQ(StoredCcsidText::fallbackNote(Outcome::hex, 65535), "CCSID 65535, shown as hex");
    EXPECT_EQ(StoredCcsidText::fallbackNote(Outcome::chosenPage, 0),
              "CCSID 0, read in the chosen EBCDIC page");
}

// A pure double-byte CCSID reads as its mixed page reads the same bytes between shift-out and
// shift-in, for every double-byte pair of a sample.
TEST(StoredCcsidText, DoubleByteAsItsMixedPage) {
    StoredCcsidText text(37);
    for (const StoredCcsidEntry& entry : kStoredCcsids) {
        if (entry.form != CcsidForm::doubleByteOfMixed) {
            continue;
        }
        SCOPED_TRACE(entry.ccsid);
        std::uint16_t mixed = 0;
        for (const StoredCcsidEntry& other : kStoredCcsids) {
            if (other.form == CcsidForm::mixed && other.converter == entry.converter) {
                mixed = other.ccsid;
            }
        }
        ASSERT_NE(mixed, 0);
        for (std::uint8_t lead : {0x42, 0x45, 0x50, 0x69}) {
            std::vector<std::uint8_t> pair{lead, 0xA1};
            std::vector<std::uint8_t> wrapped{0x0E, lead, 0xA1, 0x0F};
            std::string single, viaMixed;
            EXPECT_EQ(text.decode(pair, entry.ccsid, true, single), Outcome::byCcsid);
            text.decode(wrapped, mixed, true, viaMixed);
            EXPECT_EQ(single, viaMixed);
        }
    }
}

}  // namespace
}  // namespace quelvane
