#include <memory>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compare/ComparisonText.h"
#include "compare/SaveComparer.h"
#include "savefile/MemoryBlockSource.h"
#include "tests/compare/ComparedSaves.h"
#include "tests/support/Cp037Converter.h"
#include "views/OpenedSave.h"

namespace quelvane::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A built save opened as the programs open one, its bytes held for the comparison's reads.
struct HeldSave {
    explicit HeldSave(const SaveFileImage& image) : bytes(image.bytes()) {
        const auto opener = [this] { return std::make_unique<MemoryBlockSource>(std::span(bytes)); };
        opened = save.open(opener, "built.savf", converter, notifier) == OpenedSave::Outcome::Opened;
    }
    ComparedSave compared() {
        ComparedSave out;
        out.catalog = &save.catalog();
        out.stored = [this] { return std::make_unique<MemoryBlockSource>(std::span(bytes)); };
        out.converter = &converter;
        return out;
    }
    Bytes bytes;
    Cp037Converter converter;
    SilentNotifier notifier;
    OpenedSave save;
    bool opened = false;
};

std::string report(HeldSave& a, HeldSave& b, SaveComparer::Options options = {}) {
    const SaveComparison comparison = SaveComparer(a.compared(), b.compared(), options).run("A", "B");
    std::string text;
    for (const std::string& line : ComparisonText::lines(comparison)) {
        text += line + "\n";
    }
    return text;
}

TEST(CompareBuiltSaves, EveryKindOfDifferenceIsReported) {
    HeldSave a(comparedBefore());
    HeldSave b(comparedAfter());
    ASSERT_TRUE(a.opened && b.opened);
    EXPECT_EQ(report(a, b),
              "5 objects changed, 1 added, 1 removed; 1 source member changed (+2 -1 lines)\n"
              "LIB/QRPGLESRC(PF) changed  [0/0]\n"
              "  member HELLO changed  [0/0/0] (+2 -1 lines)\n"
              "    record count: \"4\" -> \"5\"\n"
              "    text: \"Hello\" -> \"Hello again\"\n"
              "    @@ -1,4 +1,5 @@\n"
              "     LINE A\n"
              "    -LINE B\n"
              "    +LINE X\n"
              "     LINE C\n"
              "     LINE D\n"
              "    +LINE E\n"
              "  member NEW added  [0/0/1]\n"
              "  member GONE removed  [before 0/0/1]\n"
              "LIB/DATA(PF) changed  [0/1]\n"
              "  member M1 changed  [0/1/0]\n"
              "    record count: \"3\" -> \"4\"\n"
              "    records: 1 added, 0 removed, 1 changed\n"
              "    record 2:\n"
              "      NAME: \"BETA\" -> \"BETTY\"\n"
              "LIB/SHAPE(PF) changed  [0/2]\n"
              "  record length: \"12\" -> \"17\"\n"
              "  level identifier: \"LEVEL00000001\" -> \"LEVEL00000002\"\n"
              "  field QTY added\n"
              "    type: (none) -> \"S\"\n"
              "    length: (none) -> \"5\"\n"
              "    digits: (none) -> \"5\"\n"
              "LIB/NEWPGM(PGM) added  [0/4]\n"
              "LIB/DTA1(DTAARA) changed  [0/5]\n"
              "  value: \"HELLO   \" -> \"WORLD   \"\n"
              "  data differs\n"
              "LIB/TEXTED(DTAARA) changed  [0/6]\n"
              "  text: \"Before\" -> \"After\"\n"
              "LIB/OLDPGM(PGM) removed  [before 0/4]\n");
}

// With dates, every line of HELLO differs by its sequence number's neighbour, the date.
TEST(CompareBuiltSaves, WithDatesSourceLinesCarryTheirDates) {
    HeldSave a(comparedBefore());
    HeldSave b(comparedAfter());
    ASSERT_TRUE(a.opened && b.opened);
    const SaveComparison comparison = SaveComparer(a.compared(), b.compared(), {true}).run("A", "B");
    ASSERT_FALSE(comparison.objects.empty());
    const ObjectComparison& source = comparison.objects.front();
    ASSERT_FALSE(source.members.empty());
    EXPECT_EQ(source.members.front().lines.added, 5);
    EXPECT_EQ(source.members.front().lines.removed, 4);
    ASSERT_FALSE(source.members.front().lines.hunks.empty());
    EXPECT_EQ(source.members.front().lines.hunks.front().lines.front(), "-1.00 230101 LINE A");
}

TEST(CompareBuiltSaves, ASaveComparedWithItselfHoldsTheSame) {
    for (const SaveFileImage& image : {comparedBefore(), comparedAfter()}) {
        HeldSave a(image);
        HeldSave b(image);
        ASSERT_TRUE(a.opened && b.opened);
        EXPECT_EQ(report(a, b), "The saves hold the same\n");
    }
}

}  // namespace
}  // namespace quelvane::test
