#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "savefile/AtomicFile.h"
#include "savefile/OutputFolder.h"
#include "tests/support/TestFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

// A scratch folder `inside` the output goes to, and `outside` it a file and a folder that links
// in the folder point at.
class AtomicFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        base_ = fs::temp_directory_path() / ("quelvane-atomic-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(base_);
        inside_ = base_ / "inside";
        outside_ = base_ / "outside";
        fs::create_directories(inside_);
        fs::create_directories(outside_ / "folder");
        std::ofstream(outside_ / "file") << "outside";
    }
    void TearDown() override { fs::remove_all(base_); }

    // Everything outside as it should stay: the file's bytes and an empty folder.
    void expectOutsideUntouched() const {
        EXPECT_EQ(slurp(outside_ / "file"), "outside");
        EXPECT_TRUE(fs::is_empty(outside_ / "folder"));
        std::size_t items = 0;
        for ([[maybe_unused]] const auto& item : fs::directory_iterator(outside_)) {
            ++items;
        }
        EXPECT_EQ(items, 2u);
    }

    std::size_t itemsInside() const {
        std::size_t items = 0;
        for ([[maybe_unused]] const auto& item : fs::recursive_directory_iterator(inside_)) {
            ++items;
        }
        return items;
    }

    fs::path base_;
    fs::path inside_;
    fs::path outside_;
};

enum class Prepared { Nothing, RegularFile, LinkToFile, LinkToFolder, DanglingLink, Folder };

TEST_F(AtomicFileTest, WhatLiesAtTheFinalNameDecidesAndNothingOutsideChanges) {
    using Existing = AtomicFile::Existing;
    struct Case {
        Prepared prepared;
        Existing existing;
        bool written;
        const char* refusal;  // part of the message when refused
    };
    const Case cases[] = {
        {Prepared::Nothing, Existing::Refuse, true, ""},
        {Prepared::Nothing, Existing::ReplaceRegular, true, ""},
        {Prepared::RegularFile, Existing::Refuse, false, "exists; not replaced"},
        {Prepared::RegularFile, Existing::ReplaceRegular, true, ""},
        {Prepared::LinkToFile, Existing::Refuse, false, "is a link"},
        {Prepared::LinkToFile, Existing::ReplaceRegular, false, "is a link"},
        {Prepared::LinkToFolder, Existing::ReplaceRegular, false, "is a link"},
        {Prepared::DanglingLink, Existing::Refuse, false, "is a link"},
        {Prepared::DanglingLink, Existing::ReplaceRegular, false, "is a link"},
        {Prepared::Folder, Existing::ReplaceRegular, false, "not a regular file"},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(number++);
        fs::remove_all(inside_);
        fs::create_directories(inside_);
        const fs::path target = inside_ / "out.txt";
        switch (c.prepared) {
            case Prepared::Nothing:
                break;
            case Prepared::RegularFile:
                std::ofstream(target) << "older";
                break;
            case Prepared::LinkToFile:
                fs::create_symlink(outside_ / "file", target);
                break;
            case Prepared::LinkToFolder:
                fs::create_symlink(outside_ / "folder", target);
                break;
            case Prepared::DanglingLink:
                fs::create_symlink(outside_ / "new", target);
                break;
            case Prepared::Folder:
                fs::create_directory(target);
                break;
        }
        AtomicFile file;
        if (file.open(target, c.existing, false)) {
            file.write("new");
        }
        EXPECT_EQ(file.commit(), c.written) << file.error();
        EXPECT_NE(file.error().find(c.refusal), std::string::npos) << file.error();
        if (c.written) {
            EXPECT_EQ(slurp(target), "new");
            EXPECT_EQ(file.replaced(), c.prepared == Prepared::RegularFile);
        } else if (c.prepared == Prepared::RegularFile) {
            EXPECT_EQ(slurp(target), "older");
        }
        EXPECT_EQ(itemsInside(), 1u) << "no temporary file is left";
        expectOutsideUntouched();
    }
}

// The names the temporary files once had are where an attacker would put a link: they are not
// used, and two files being written under one name get different temporary names.
TEST_F(AtomicFileTest, TemporaryNamesAreUnpredictableAndCreatedExclusively) {
    for (const char* planted : {"out.txt.quelvane-part", "out.txt.partial", ".out.txt.quelvane-part"}) {
        fs::create_symlink(outside_ / "file", inside_ / planted);
    }
    AtomicFile first;
    AtomicFile second;
    ASSERT_TRUE(first.open(inside_ / "out.txt", AtomicFile::Existing::ReplaceRegular, false))
        << first.error();
    ASSERT_TRUE(second.open(inside_ / "out.txt", AtomicFile::Existing::ReplaceRegular, false));
    EXPECT_NE(first.temporaryPath(), second.temporaryPath());
    EXPECT_EQ(first.temporaryPath().parent_path(), inside_);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(first.temporaryPath())));
    first.write("first");
    second.write("second");
    EXPECT_TRUE(first.commit());
    EXPECT_TRUE(second.commit());
    EXPECT_EQ(slurp(inside_ / "out.txt"), "second");
    expectOutsideUntouched();
    EXPECT_EQ(itemsInside(), 4u);  // out.txt and the three planted links

    {
        AtomicFile dropped;
        ASSERT_TRUE(dropped.open(inside_ / "gone.txt", AtomicFile::Existing::Refuse, false));
        dropped.write("never seen");
    }
    EXPECT_FALSE(fs::exists(inside_ / "gone.txt"));
    EXPECT_EQ(itemsInside(), 4u);
}

// A file that cannot be written whole (here the file-size limit, as a full disk would) leaves
// the earlier file under the name and no temporary file.
TEST_F(AtomicFileTest, AFileCutShortNeverTakesTheName) {
    std::ofstream(inside_ / "big.bin") << "older";
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    AtomicFile file;
    const bool opened = file.open(inside_ / "big.bin", AtomicFile::Existing::ReplaceRegular, false);
    file.write(std::string(1 << 19, 'x'));
    const bool committed = file.commit();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_TRUE(opened);
    EXPECT_FALSE(committed);
    EXPECT_NE(file.error().find("cannot write"), std::string::npos) << file.error();
    EXPECT_EQ(slurp(inside_ / "big.bin"), "older");
    EXPECT_EQ(itemsInside(), 1u);
}

TEST_F(AtomicFileTest, FoldersBelowTheChosenOneAreNeverReachedThroughALink) {
    fs::create_symlink(outside_ / "folder", inside_ / "linked");
    std::ofstream(inside_ / "plain") << "a file";
    std::string why;
    const OutputFolder root = OutputFolder::open(inside_, true, why);
    ASSERT_TRUE(root.isOpen()) << why;
    struct Case {
        std::vector<std::string> names;
        const char* refusal;  // empty: opened
    };
    const Case cases[] = {
        {{"new", "deeper"}, ""},
        {{"linked"}, "linked is a link"},
        {{"linked", "below"}, "linked is a link"},
        {{"new", "..", "x"}, "cannot create"},
        {{"plain", "x"}, "plain is not a folder"},
    };
    for (const Case& c : cases) {
        why.clear();
        const OutputFolder folder = root.below(c.names, true, why);
        EXPECT_EQ(folder.isOpen(), std::string(c.refusal).empty()) << c.names.front();
        EXPECT_NE(why.find(c.refusal), std::string::npos) << why;
    }
    EXPECT_TRUE(fs::is_directory(inside_ / "new" / "deeper"));
    expectOutsideUntouched();

    AtomicFile file;
    ASSERT_TRUE(file.open(root.below({"new"}, false, why), "f.txt", AtomicFile::Existing::Refuse));
    file.write("x");
    EXPECT_TRUE(file.commit());
    EXPECT_EQ(slurp(inside_ / "new" / "f.txt"), "x");
}

// Only a user other than root meets a folder's permissions.
TEST_F(AtomicFileTest, AReadOnlyFolderSaysSo) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only folders";
    }
    fs::permissions(inside_, fs::perms::owner_read | fs::perms::owner_exec);
    std::string why;
    const OutputFolder root = OutputFolder::open(inside_, false, why);
    EXPECT_FALSE(root.below({"LIB"}, true, why).isOpen());
    EXPECT_NE(why.find("Permission denied"), std::string::npos) << why;
    AtomicFile file;
    EXPECT_FALSE(file.open(inside_ / "x.txt", AtomicFile::Existing::Refuse, false));
    EXPECT_NE(file.error().find("Permission denied"), std::string::npos) << file.error();
    fs::permissions(inside_, fs::perms::owner_all);
}

// A chosen folder that cannot be made is refused with the reason it could not be made, not with
// its absence. /sys refuses new folders even to root.
TEST_F(AtomicFileTest, AChosenFolderThatCannotBeMadeSaysWhy) {
    const fs::path refused = "/sys/quelvane-output-folder-test";
    std::error_code made;
    if (!fs::is_directory("/sys") || fs::create_directory(refused, made)) {
        fs::remove(refused, made);
        GTEST_SKIP() << "no folder here refuses to be made";
    }
    std::string why;
    EXPECT_FALSE(OutputFolder::open(refused / "out", true, why).isOpen());
    EXPECT_EQ(why.rfind("cannot create " + (refused / "out").string() + ": ", 0), 0u) << why;
}

// A character device the user names has no name to rename onto: it is written to as it is, but
// only when the caller says the path was named.
TEST_F(AtomicFileTest, ANamedDeviceIsWrittenToAsItIs) {
    if (!fs::exists("/dev/null")) {
        GTEST_SKIP() << "no /dev/null";
    }
    AtomicFile named;
    ASSERT_TRUE(named.open("/dev/null", AtomicFile::Existing::ReplaceNamed, false)) << named.error();
    named.write("gone");
    EXPECT_TRUE(named.commit()) << named.error();
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    AtomicFile folderFile;
    EXPECT_FALSE(folderFile.open("/dev/null", AtomicFile::Existing::ReplaceRegular, false));
    EXPECT_NE(folderFile.error().find("not a regular file"), std::string::npos) << folderFile.error();
}

}  // namespace
}  // namespace quelvane::test
