#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/compare/ComparedSaves.h"
#include "tests/extract/ExtractFixture.h"
#include "tests/support/ContentFixtures.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

class CompareCommand : public ExtractFixture {
  protected:
    void SetUp() override {
        ExtractFixture::SetUp();
        before_ = (folder_ / "BEFORE.SAVF").string();
        after_ = (folder_ / "AFTER.SAVF").string();
        comparedBefore().writeTo(before_);
        comparedAfter().writeTo(after_);
    }

    std::string before_;
    std::string after_;
};

TEST_F(CompareCommand, ExitStatusSaysSameDifferOrUnreadable) {
    const fs::path notSave = folder_ / "NOT.SAVF";
    std::ofstream(notSave) << "not a save file";
    const struct {
        std::string arguments;
        int status;
    } cases[] = {
        {quoted(before_) + " " + quoted(before_), 0},
        {quoted(before_) + " " + quoted(after_), 1},
        {quoted(before_) + " " + quoted(after_) + " --with-dates --json", 1},
        {quoted(before_) + " " + quoted((folder_ / "MISSING.SAVF").string()), 2},
        {quoted(notSave.string()) + " " + quoted(after_), 2},
        {quoted(before_), 2},
        {quoted(before_) + " " + quoted(after_) + " " + quoted(after_), 2},
        {quoted(before_) + " " + quoted(after_) + " --inner", 2},
        {quoted(before_) + " " + quoted(after_) + " --inner 0/9", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        EXPECT_EQ(cli("compare " + c.arguments).status, c.status);
    }
}

TEST_F(CompareCommand, SummaryLeadsAndSourceDiffIsUnified) {
    const Run run = cli("compare " + quoted(before_) + " " + quoted(after_));
    ASSERT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
              "5 objects changed, 1 added, 1 removed; 1 source member changed (+2 -1 lines)");
    EXPECT_NE(
        run.out.find("    @@ -1,4 +1,5 @@\n     LINE A\n    -LINE B\n    +LINE X\n     LINE C\n     LINE D\n"
                     "    +LINE E\n"),
        std::string::npos)
        << run.out;
}

// Every node the JSON names is one the other commands find, in the save it says.
TEST_F(CompareCommand, JsonNodesAreThoseTheOtherCommandsTake) {
    const Run run = cli("compare " + quoted(before_) + " " + quoted(after_) + " --json");
    ASSERT_EQ(run.status, 1) << run.err;
    std::ofstream(folder_ / "comparison.json") << run.out;
    const std::string nodes = python(
        "import json, sys\n"
        "c = json.load(open(sys.argv[1]))\n"
        "for o in c['objects']:\n"
        "    print(o['in'], o['node'])\n"
        "    for m in o['members']:\n"
        "        print(m['in'], m['node'])\n",
        quoted((folder_ / "comparison.json").string()));
    std::istringstream lines(nodes);
    std::string in;
    std::string node;
    int checked = 0;
    while (lines >> in >> node) {
        SCOPED_TRACE(in + " " + node);
        const Run shown = cli("show " + quoted(in == "before" ? before_ : after_) + " " + node);
        EXPECT_EQ(shown.status, 0) << shown.err;
        ++checked;
    }
    EXPECT_GE(checked, 10);
}

// --inner goes with the file named before it: the save held by HELD against the save it holds.
TEST_F(CompareCommand, InnerAppliesToTheFileBeforeIt) {
    const std::vector<std::uint8_t> inner = comparedAfter().bytes();
    BuiltObject held;
    held.name = "HELD";
    held.attribute = "SAVF";
    BuiltPart part;
    part.library = "OUTER";
    part.objects = {held};
    SaveFileBuilder outer;
    outer.headerSize = 4096;
    outer.add(part);
    outer.add(ContentFixtures::heldSave("HELD", "OUTER", inner));
    const std::string outerPath = (folder_ / "OUTER.SAVF").string();
    outer.build().writeTo(outerPath);

    EXPECT_EQ(cli("compare " + quoted(outerPath) + " --inner 0/HELD " + quoted(after_)).status, 0);
    EXPECT_EQ(cli("compare " + quoted(after_) + " " + quoted(outerPath) + " --inner 0/HELD").status, 0);
    EXPECT_EQ(cli("compare " + quoted(before_) + " " + quoted(outerPath) + " --inner 0/HELD").status, 1);
    const Run outerRun = cli("compare " + quoted(outerPath) + " " + quoted(after_));
    EXPECT_EQ(outerRun.status, 1);
    EXPECT_EQ(outerRun.out.substr(0, outerRun.out.find('\n')),
              "The saves are of different libraries: OUTER and LIB");
}

}  // namespace
}  // namespace quelvane::test
