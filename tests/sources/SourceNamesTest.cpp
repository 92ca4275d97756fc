#include <gtest/gtest.h>

#include "sources/SourceNames.h"

namespace quelvane::test {
namespace {

// The suffix is FNV-1a over the name's bytes; these were computed apart from the program.
TEST(SourceNamesTest, NamesAreLowerCaseAndPortable) {
    struct Case {
        const char* name;
        const char* extension;
        const char* given;
        bool suffixed;
    };
    const Case cases[] = {
        {"QRPGLESRC", "", "qrpglesrc", false},       {"ORDENTRY", ".rpgle", "ordentry.rpgle", false},
        {"$CUST#@", ".clle", "$cust#@.clle", false}, {"CON", ".clp", "con~3367e86b.clp", true},
        {"LPT1", "", "lpt1~911f443a", true},         {"A:B", ".txt", "a_b~4c851f00.txt", true},
        {"OK.", ".mbr", "ok_~c80da993.mbr", true},   {".HIDDEN", "", "_hidden~43a34985", true},
    };
    for (const Case& c : cases) {
        const std::vector<SourceNames::Given> given = SourceNames::assign({c.name}, {c.extension});
        ASSERT_EQ(given.size(), 1U);
        EXPECT_EQ(given[0].name, c.given) << c.name;
        EXPECT_EQ(given[0].suffixed, c.suffixed) << c.name;
    }
}

// The upper-case twin keeps the plain name whichever comes first; a reserved name is never given.
TEST(SourceNamesTest, ClashesGiveWayToTheUpperCaseName) {
    for (const std::vector<std::string>& names :
         {std::vector<std::string>{"abc", "ABC"}, std::vector<std::string>{"ABC", "abc"}}) {
        const std::vector<SourceNames::Given> given = SourceNames::assign(names, {".rpgle", ".rpgle"});
        for (std::size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(given[i].name, names[i] == "ABC" ? "abc.rpgle" : "abc~1a47e90b.rpgle");
        }
    }
    const std::vector<SourceNames::Given> kept = SourceNames::assign({"IPROJ.JSON"}, {""}, {"iproj.json"});
    EXPECT_NE(kept[0].name, "iproj.json");
    EXPECT_TRUE(kept[0].suffixed);
}

}  // namespace
}  // namespace quelvane::test
