#include <gtest/gtest.h>

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

// ORDERS (PF) with members JAN and FEB, each a NAME field of 4 characters; LOGS, a logical file.
class CliExport : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("quelvane-cli-export-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        BuiltObject orders;
        orders.name = "ORDERS";
        orders.attribute = "PF";
        orders.fields = {{"NAME", 0x0403, 4, 0, 0, 0, 40}};
        orders.members = {{"JAN", "", "", 2}, {"FEB", "", "", 1}};
        BuiltObject logs = orders;
        logs.name = "LOGS";
        logs.attribute = "LF";
        BuiltPart part;
        part.objects = {orders, logs};
        SaveFileBuilder builder;
        builder.add(part);
        builder.add(ContentFixtures::memberRecords(
            "ORDERS", "JAN", 4,
            {{0x80, SaveFileBuilder::ebcdic("PEN", 4)}, {0x80, SaveFileBuilder::ebcdic("INK", 4)}}));
        builder.add(
            ContentFixtures::memberRecords("ORDERS", "FEB", 4, {{0x80, SaveFileBuilder::ebcdic("PAD", 4)}}));
        saveFile_ = (folder_ / "TEST.SAVF").string();
        builder.build().writeTo(saveFile_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    int run(const std::string& arguments) {
        const std::string command = "'" QUELVANE_CLI_PATH "' " + arguments + " >'" +
                                    (folder_ / "out").string() + "' 2>'" + (folder_ / "err").string() + "'";
        const int raw = std::system(command.c_str());
        err = slurp(folder_ / "err");
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    std::string file(const std::string& arguments) { return "'" + saveFile_ + "' " + arguments; }

    fs::path folder_;
    std::string saveFile_;
    std::string err;
};

TEST_F(CliExport, ExportsOneMemberWithTheFormatsExtension) {
    EXPECT_EQ(run("export " +
                  file("0/ORDERS/JAN --format txt --splitter -o '" + (folder_ / "jan.out").string() + "'")),
              0)
        << err;
    EXPECT_EQ(slurp(folder_ / "jan.txt"), "PEN |\r\nINK |\r\n");
    EXPECT_EQ(run("export " + file("0/ORDERS/FEB --format xls -o '" + (folder_ / "feb").string() + "'")), 0)
        << err;
    EXPECT_TRUE(fs::exists(folder_ / "feb.xls"));
}

TEST_F(CliExport, ExitStatusesTellUsageFromAFailedWriter) {
    EXPECT_EQ(run("export " + file("0/ORDERS --format txt -o x")), 1);
    EXPECT_EQ(err, "Pick Out: Please choose a  PF member!\n");
    EXPECT_EQ(run("export " + file("0/ORDERS/JAN --format pdf -o x")), 1);
    EXPECT_EQ(run("export " + file("0/ORDERS/JAN --format txt")), 1);
    EXPECT_EQ(run("batch " + file("0/LOGS --format txt --dir x")), 1);
    EXPECT_EQ(err, "Pick out in batch: Please choose a PF!\n");

    const std::string missing = (folder_ / "missing" / "x").string();
    EXPECT_EQ(run("export " + file("0/ORDERS/JAN --format txt -o '" + missing + "'")), 3);
    EXPECT_EQ(err, "Open<" + missing + ".txt>file error\nSave to file error\n");
}

// A reading failure prints the writer's fixed message, then its reason.
TEST_F(CliExport, AReadingFailureSaysWhy) {
    BuiltObject orders;
    orders.name = "ORDERS";
    orders.attribute = "PF";
    orders.fields = {{"NAME", 0x0403, 4, 0, 0, 0, 40}};
    orders.members = {{"MAR", "", "", 1}};
    BuiltPart part;
    part.objects = {orders};
    SaveFileBuilder builder;
    builder.add(part);
    const std::string save = (folder_ / "NOSEG.SAVF").string();
    builder.build().writeTo(save);
    EXPECT_EQ(run("export '" + save + "' 0/ORDERS/MAR --format txt -o '" + (folder_ / "mar").string() + "'"),
              3);
    EXPECT_EQ(err, "Error:during reading records\nquelvane-cli: no segment holds member MAR\n");
}

// The output path is taken as the file system spells it, whatever the PC code page.
TEST_F(CliExport, AFolderTheCodePageCannotSpellTakesEveryFormat) {
    const fs::path folder = folder_ / "A\xC3\xB1o \xD0\x96";
    fs::create_directories(folder);
    for (const char* page : {"1252", "1250", "932"}) {
        for (const char* format : {"txt", "doc", "xls"}) {
            const std::string target = (folder / (std::string(page) + "-out")).string();
            EXPECT_EQ(run("export " + file(std::string("0/ORDERS/JAN --format ") + format + " --pc " + page +
                                           " -o '" + target + "'")),
                      0)
                << page << " " << format << ": " << err;
            EXPECT_TRUE(fs::is_regular_file(target + "." + format)) << page << " " << format;
        }
        EXPECT_EQ(run("batch " + file(std::string("0/ORDERS --format xls --pc ") + page + " --dir '" +
                                      folder.string() + "'")),
                  0)
            << err;
        EXPECT_TRUE(fs::is_regular_file(folder / "ORDERS_FEB.xls"));
        fs::remove(folder / "ORDERS_FEB.xls");
    }
}

TEST_F(CliExport, BatchWritesEveryMemberIntoTheDirectory) {
    fs::create_directories(folder_ / "dir");
    EXPECT_EQ(run("batch " + file("0/ORDERS/FEB --format txt --dir '" + (folder_ / "dir").string() + "'")), 0)
        << err;
    EXPECT_EQ(err, "Converting  QGPL/ORDERS(JAN)\nConverting  QGPL/ORDERS(FEB)\n");
    EXPECT_EQ(slurp(folder_ / "dir" / "ORDERS_JAN.txt"), "PEN \r\nINK \r\n");
    EXPECT_EQ(slurp(folder_ / "dir" / "ORDERS_FEB.txt"), "PAD \r\n");

    EXPECT_EQ(run("batch " + file("0/ORDERS --format doc --dir '" + (folder_ / "none").string() + "'")), 3);
    // Word refuses to save there: a raised failure, which stops the run at the first member.
    EXPECT_EQ(err.substr(0, err.find("quelvane-cli: the batch stopped: ")), "Converting  QGPL/ORDERS(JAN)\n");
}

// Members whose file names come out the same (the same name but for letter case, names made
// safe alike, names differing only after a period) each keep a file of their own, and the run
// says which were renamed.
TEST_F(CliExport, BatchMembersOfOneFileNameAreKeptApart) {
    BuiltObject source;
    source.name = "SRC";
    source.attribute = "PF";
    source.fields = {{"NAME", 0x0403, 4, 0, 0, 0, 40}};
    struct Case {
        const char* member;
        const char* record;
        const char* file;
    };
    const Case cases[] = {
        {"A.B", "AB", "SRC_A.txt"}, {"A.C", "AC", "SRC_A_2.txt"},  {"a", "LOW", "SRC_a_3.txt"},
        {"A", "UP", "SRC_A_4.txt"}, {"X/Y", "XSY", "SRC_X_Y.txt"}, {"X_Y", "XUY", "SRC_X_Y_2.txt"},
    };
    SaveFileBuilder builder;
    for (const Case& c : cases) {
        source.members.push_back({c.member, "", "", 1});
        builder.add(ContentFixtures::memberRecords("SRC", c.member, 4,
                                                   {{0x80, SaveFileBuilder::ebcdic(c.record, 4)}}));
    }
    BuiltPart part;
    part.objects = {source};
    builder.add(part);
    const std::string save = (folder_ / "CLASH.SAVF").string();
    builder.build().writeTo(save);
    const fs::path dir = folder_ / "clash";
    fs::create_directories(dir);
    EXPECT_EQ(run("batch '" + save + "' 0/SRC --format txt --dir '" + dir.string() + "'"), 0) << err;
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& item : fs::directory_iterator(dir)) {
        ++files;
    }
    EXPECT_EQ(files, std::size(cases));
    for (const Case& c : cases) {
        std::string record = c.record;
        record.resize(4, ' ');
        EXPECT_EQ(slurp(dir / c.file), record + "\r\n") << c.member;
        if (std::string(c.file) != "SRC_A.txt" && std::string(c.file) != "SRC_X_Y.txt") {
            EXPECT_NE(err.find(std::string("quelvane-cli: note: QGPL/SRC(") + c.member + ") written as " +
                               c.file + "\n"),
                      std::string::npos)
                << err;
        }
    }
}

}  // namespace
}  // namespace quelvane::test
