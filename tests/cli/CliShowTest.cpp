#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/ContentFixtures.h"
#include "tests/support/TestFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

using ShowRun = CommandRun;

class CliShow : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = (folder_ / "SHOP.SAVF").string();
        sample().build().writeTo(path_);
    }

    ShowRun show(const std::string& node) {
        return runCommand(std::string("'") + QUELVANE_CLI_PATH + "' show '" + path_ + "' '" + node +
                              "' --ebcdic 37 --pc 1252",
                          folder_);
    }

    static SaveFileBuilder sample() {
        BuiltObject orders;
        orders.name = "ORDERS";
        orders.attribute = "PF";
        orders.text = "Orders";
        orders.fields = {{"NAME", 0x0403, 4}, {"QTY", 0x0003, 2}};
        orders.members = {{"JAN", "DTA", "January", 3}, {"BAD", "", "", 1}};
        auto order = [](const std::string& name, std::uint16_t quantity) {
            std::vector<std::uint8_t> record = SaveFileBuilder::ebcdic(name, 4);
            record.push_back(static_cast<std::uint8_t>(quantity >> 8));
            record.push_back(static_cast<std::uint8_t>(quantity));
            return record;
        };
        BuiltObject dates;
        dates.name = "DATES";
        dates.attribute = "PF";
        dates.fields = {{"DAY", 0x0B03, 4}};
        dates.members = {{"ZERO", "", "", 1}};
        BuiltPart part;
        part.library = "SHOP";
        part.objects = {orders, dates, ContentFixtures::dataAreaObject("SETTINGS")};
        BuiltDataArea area;
        area.objectName = "SETTINGS";
        area.length = 2;
        area.value = SaveFileBuilder::ebcdic("ON", 2);
        SaveFileBuilder builder;
        builder.add(part);
        builder.add(ContentFixtures::memberRecords(
            "ORDERS", "JAN", 6, {{0x80, order("ANNA", 2)}, {0x00, {}}, {0x80, order("OTTO", 65535)}}));
        builder.add(ContentFixtures::memberRecords("DATES", "ZERO", 4, {{0x80, {0, 0, 0, 0}}}));
        builder.add(ContentFixtures::dataArea(area));
        return builder;
    }

    ScratchFolder scratch_{"quelvane-show-test"};
    const fs::path& folder_ = scratch_.path();
    std::string path_;
};

TEST_F(CliShow, AMemberByCaptionsOrIndexesPrintsLabelsColumnsAndRows) {
    const std::string expected =
        "Member:  JAN         It's DTA type.\n"
        "Description:  January" +
        std::string(43, ' ') +
        " .\n"
        "\tNAME\tQTY\n"
        "0\tANNA\t2\n"
        "-\t1\n"
        "2\tOTTO\t-1\n";
    for (std::string node : {"Part0/ORDERS(PF)/JAN", "/Part0/ORDERS/JAN ", "0/0/0"}) {
        SCOPED_TRACE(node);
        ShowRun run = show(node);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out, expected);
    }
}

TEST_F(CliShow, ObjectsAndTheLibraryShowTheirLists) {
    ShowRun file = show("0/0");
    EXPECT_EQ(file.status, 0);
    EXPECT_EQ(file.out,
              "Object:  ORDERS      It's PF type.\nDescription:  Orders" + std::string(44, ' ') +
                  " .\nMember Name\tRecords Number\tMember Description\nJAN\t3\tJanuary\nBAD\t1\t\n");
    ShowRun area = show("Part0/SETTINGS");
    EXPECT_EQ(area.status, 0);
    EXPECT_NE(area.out.find("This Data Area has 2 length value space\n"), std::string::npos) << area.out;
    EXPECT_NE(area.out.find("\n--Values:ON\n"), std::string::npos) << area.out;
    ShowRun library = show("/");
    EXPECT_EQ(library.status, 0);
    EXPECT_EQ(library.out.rfind("\nThis SAVF created on IBM AS/400 150 9401 CISC machine.\n", 0), 0U)
        << library.out;
}

// --rows lists the lines of the full listing for its rows only, as text and as JSON; a range
// that is no range, or a node that is no member, is refused.
TEST_F(CliShow, ARowRangeListsTheFullListingsLines) {
    const std::string labels = "Member:  JAN         It's DTA type.\nDescription:  January" +
                               std::string(43, ' ') + " .\n\tNAME\tQTY\n";
    struct Case {
        const char* rows;
        const char* lines;
    };
    const Case cases[] = {{"0:3", "0\tANNA\t2\n-\t1\n2\tOTTO\t-1\n"},
                          {"1:1", "-\t1\n"},
                          {"2:100", "2\tOTTO\t-1\n"},
                          {"3:1", ""},
                          {"0:0", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows);
        ShowRun run = show("0/0/0' --rows '" + std::string(c.rows));
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out, labels + c.lines);
    }
    ShowRun json = show("0/0/0' --json --rows '1:2");
    EXPECT_EQ(json.status, 0);
    EXPECT_NE(json.out.find("\"rows\": [\n    {\"caption\": \"1\", \"recordless\": true, \"cells\": []},\n"
                            "    {\"caption\": \"2\", \"cells\": [\"OTTO\", \"-1\"]}\n  ]\n}\n"),
              std::string::npos)
        << json.out;
    for (std::string bad :
         {"0/0/0' --rows '1", "0/0/0' --rows '-1:2", "0/0/0' --rows 'x:y", "0/0/0' --rows '"}) {
        ShowRun refused = show(bad);
        EXPECT_EQ(refused.status, 1) << bad;
        EXPECT_EQ(refused.out, "") << bad;
        EXPECT_NE(refused.err.find("--rows takes FIRST:COUNT"), std::string::npos) << refused.err;
    }
    ShowRun notMember = show("0/0' --rows '0:5");
    EXPECT_EQ(notMember.status, 1);
    EXPECT_NE(notMember.err.find("is no member"), std::string::npos) << notMember.err;
}

TEST_F(CliShow, FailuresAndMissingNodes) {
    ShowRun failed = show("0/1/0");
    EXPECT_EQ(failed.status, 3);
    EXPECT_EQ(failed.err, "Error:during reading records\n");
    EXPECT_EQ(failed.out, "Member:  ZERO      \nDescription:  " + std::string(50, ' ') + " .\n\tDAY\n0\n");
    ShowRun noSegment = show("0/0/1");
    EXPECT_EQ(noSegment.status, 3);
    EXPECT_EQ(noSegment.err, " Max Error! \n");
    for (std::string node : {"0/9", "Part1", "0/0/0/0", "0/ORDERS/FEB"}) {
        ShowRun missing = show(node);
        EXPECT_EQ(missing.status, 1) << node;
        EXPECT_EQ(missing.out, "") << node;
    }
}

}  // namespace
}  // namespace quelvane::test
