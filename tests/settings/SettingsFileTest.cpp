#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace quelvane {
namespace {

namespace fs = std::filesystem;

class SettingsFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("quelvane-settings-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path file(const std::string& name) const { return dir_ / name; }

    static void put(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string get(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    fs::path dir_;
};

TEST_F(SettingsFileTest, ReadsNamesWithoutRegardToCaseAndFallsBackToDefaults) {
    put(file("q.ini"),
        "; kept by hand\r\n"
        "[ebcdic to ascii]\r\n"
        "Ebcdic = 1141 \r\n"
        "ascii=junk\r\n"
        "\r\n"
        "[HOST]\r\n"
        "user=QSECOFR\r\n"
        "Port=\r\n"
        "[Other]\r\n"
        "EBCDIC=37\r\n");
    const SettingsFile settings(file("q.ini"));

    struct Case {
        const char* section;
        const char* key;
        int fallback;
        int expected;
    } cases[] = {
        {"EBCDIC To ASCII", "EBCDIC", 100000, 1141},   // case, blanks around key and value
        {"EBCDIC To ASCII", "ASCII", 100000, 100000},  // not an integer
        {"Host", "Port", 21, 21},                      // empty text
        {"E2AIndex", "EBCDIC", 17, 17},                // section missing
        {"Other", "EBCDIC", 0, 37},                    // same key in another section
    };
    for (const auto& c : cases) {
        EXPECT_EQ(settings.readInteger(c.section, c.key, c.fallback), c.expected)
            << c.section << "/" << c.key;
    }
    EXPECT_EQ(settings.readString("Host", "USER", ""), "QSECOFR");
    EXPECT_EQ(settings.readString("Host", "Password", "none"), "none");
}

TEST_F(SettingsFileTest, IntegersOutsideTheRangeOrWithTrailingTextGiveTheDefault) {
    put(file("q.ini"), "[S]\nA=-5\nB=+7\nC=12x\nD=99999999999\nE=0x10\n");
    const SettingsFile settings(file("q.ini"));
    EXPECT_EQ(settings.readInteger("S", "A", 0), -5);
    EXPECT_EQ(settings.readInteger("S", "B", 0), 7);
    EXPECT_EQ(settings.readInteger("S", "C", 1), 1);
    EXPECT_EQ(settings.readInteger("S", "D", 1), 1);
    EXPECT_EQ(settings.readInteger("S", "E", 1), 1);
}

TEST_F(SettingsFileTest, FirstWritesCreateTheFileInWindowsForm) {
    SettingsFile settings(file("quelvane.ini"));
    settings.writeInteger("E2AIndex", "EBCDIC", 10);
    settings.writeInteger("E2AIndex", "ASCII", 3);
    settings.writeInteger("EBCDIC To ASCII", "EBCDIC", 20273);
    settings.writeInteger("EBCDIC To ASCII", "ASCII", 1250);
    settings.writeString("Host", "Host", "as400.example.org");
    settings.writeString("Host", "User", "QPGMR");
    settings.writeString("Host", "Password", "");
    settings.writeInteger("Host", "Port", 21);
    settings.writeString("Working Dir", "Local", "C:\\work");
    settings.writeString("Working Dir", "Remote", "QGPL");

    EXPECT_EQ(get(file("quelvane.ini")),
              "[E2AIndex]\r\nEBCDIC=10\r\nASCII=3\r\n"
              "\r\n[EBCDIC To ASCII]\r\nEBCDIC=20273\r\nASCII=1250\r\n"
              "\r\n[Host]\r\nHost=as400.example.org\r\nUser=QPGMR\r\nPassword=\r\nPort=21\r\n"
              "\r\n[Working Dir]\r\nLocal=C:\\work\r\nRemote=QGPL\r\n");
    EXPECT_EQ(settings.readInteger("EBCDIC To ASCII", "EBCDIC", 100000), 20273);
}

TEST_F(SettingsFileTest, WritesReplaceInPlaceAndKeepEveryOtherLine) {
    put(file("q.ini"),
        "# notes\n"
        "[ebcdic to ascii]\n"
        "ebcdic=37\n"
        "Comment=keep me\n"
        "\n"
        "[Mine]\n"
        "x=1\n");
    SettingsFile settings(file("q.ini"));
    settings.writeInteger("EBCDIC To ASCII", "EBCDIC", 1141);
    settings.writeInteger("EBCDIC To ASCII", "ASCII", 1252);
    settings.writeString("Mine", "y", "two words");

    EXPECT_EQ(get(file("q.ini")),
              "# notes\n"
              "[ebcdic to ascii]\n"
              "EBCDIC=1141\n"
              "Comment=keep me\n"
              "ASCII=1252\n"
              "\n"
              "[Mine]\n"
              "x=1\n"
              "y=two words\n");
}

TEST_F(SettingsFileTest, UnwritableProgramFolderMovesToTheUserFolderSeededFromBesideTheProgram) {
    // A program folder that does not exist cannot be written, whoever runs the test.
    const auto program = file("missing") / "bin" / "quelvane";
    const auto user = file("config");
    auto settings = SettingsFile::locate(program, user);
    EXPECT_EQ(settings.path(), user / "quelvane.ini");
    EXPECT_TRUE(fs::is_directory(user));

    const auto besideProgram = file("quelvane.ini");
    put(besideProgram, "[EBCDIC To ASCII]\r\nEBCDIC=37\r\nASCII=1252\r\n");
    SettingsFile seeded(user / "quelvane.ini", besideProgram);
    EXPECT_EQ(seeded.readInteger("EBCDIC To ASCII", "ASCII", 0), 1252);
    seeded.writeInteger("EBCDIC To ASCII", "ASCII", 850);
    EXPECT_EQ(get(user / "quelvane.ini"), "[EBCDIC To ASCII]\r\nEBCDIC=37\r\nASCII=850\r\n");
    EXPECT_EQ(get(besideProgram), "[EBCDIC To ASCII]\r\nEBCDIC=37\r\nASCII=1252\r\n");
}

TEST_F(SettingsFileTest, WritableProgramFolderKeepsTheFileBesideTheProgram) {
    const auto settings = SettingsFile::locate(file("quelvane"), file("config"));
    EXPECT_EQ(settings.path(), file("quelvane.ini"));
    EXPECT_EQ(SettingsFile::locate(file("prog.exe"), file("config")).path(), file("prog.ini"));
}

// A write never rewrites the file in place: the new text is a new file renamed over the old one,
// so a second name of the old file keeps the old text and no temporary file is left beside it.
TEST_F(SettingsFileTest, AWriteReplacesTheFileWhole) {
    put(file("q.ini"), "[Host]\r\nPort=21\r\n");
    fs::create_hard_link(file("q.ini"), file("old.ini"));
    SettingsFile settings(file("q.ini"));
    settings.writeInteger("Host", "Port", 2121);
    EXPECT_EQ(get(file("q.ini")), "[Host]\r\nPort=2121\r\n");
    EXPECT_EQ(get(file("old.ini")), "[Host]\r\nPort=21\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

TEST_F(SettingsFileTest, AFailedWriteIsRaised) {
    SettingsFile settings(file("no-such-folder") / "q.ini");
    EXPECT_THROW(settings.writeInteger("Host", "Port", 21), SettingsWriteFailure);
}

// A user folder below a plain file cannot be made, whoever runs the test; the failed write then
// says why the folder is missing.
TEST_F(SettingsFileTest, AUserFolderThatCannotBeMadeIsNamedWhenTheWriteFails) {
    put(file("plain"), "a file");
    SettingsFile settings =
        SettingsFile::locate(file("missing") / "bin" / "quelvane", file("plain") / "config");
    EXPECT_EQ(settings.path(), file("plain") / "config" / "quelvane.ini");
    try {
        settings.writeInteger("Host", "Port", 21);
        ADD_FAILURE() << "the write passed";
    } catch (const SettingsWriteFailure& failure) {
        const std::string said = failure.what();
        EXPECT_NE(said.find("the folder " + (file("plain") / "config").string() + " cannot be created: "),
                  std::string::npos)
            << said;
    }
}

}  // namespace
}  // namespace quelvane
