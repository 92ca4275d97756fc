#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "tests/extract/ExtractFixture.h"
#include "tests/support/RealFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

// Every command that writes, run into target folders prepared as a hostile user would: links
// already lying at the names the run writes (to a file and to a folder outside), files already
// there. Outside the target nothing may change, whatever the run reports.
class HostileTarget : public ExtractFixture {
  protected:
    void SetUp() override {
        ExtractFixture::SetUp();
        outside_ = folder_ / "outside";
        target_ = folder_ / "t";
        fs::create_directories(outside_ / "dir");
        fs::create_directories(target_);
        std::ofstream(outside_ / "victim") << "outside";
    }

    void expectOutsideUntouched() const {
        EXPECT_EQ(slurp(outside_ / "victim"), "outside");
        EXPECT_TRUE(fs::is_empty(outside_ / "dir"));
        std::size_t items = 0;
        for ([[maybe_unused]] const auto& item : fs::directory_iterator(outside_)) {
            ++items;
        }
        EXPECT_EQ(items, 2u);
    }

    // No temporary file is left anywhere in the target.
    void expectNoTemporaryFiles() const {
        for (const auto& item : fs::recursive_directory_iterator(target_)) {
            const bool temporary =
                item.path().filename().string().find(".quelvane-part") != std::string::npos;
            EXPECT_TRUE(item.is_symlink() || !temporary) << item.path();
        }
    }

    static std::string real(const char* name) { return (fs::path(QUELVANE_SAVF_DIR) / name).string(); }

    fs::path outside_;
    fs::path target_;
};

struct LinkCase {
    const char* what;
    const char* saveFile;
    // Links at names in the target (relative) to "victim" or "dir" outside it.
    std::vector<std::pair<const char*, const char*>> links;
    // The arguments after the save file; {T} is the target folder.
    const char* arguments;
    int status;
    const char* said;                // part of stderr
    const char* written;             // a file the run must have written, relative to the target; may be empty
    std::uintmax_t writtenSize = 0;  // its size, when known
};

std::string withTarget(std::string text, const fs::path& target) {
    for (std::size_t at = text.find("{T}"); at != std::string::npos; at = text.find("{T}")) {
        text.replace(at, 3, target.string());
    }
    return text;
}

TEST_F(HostileTarget, RealFilesLinksInTheTargetAreNeverWrittenThrough) {
    const LinkCase cases[] = {
        {"IFS extract, a folder link",
         "UZ_wcount25i.savf",
         {{"wcount", "dir"}},
         "extract '{S}' --to '{T}'",
         3,
         "t/wcount is a link; nothing is written through it",
         "catalog.json"},
        {"IFS export of the root",
         "UZ_wcount25i.savf",
         {{"wcount", "dir"}},
         "export '{S}' / --format stmf -o '{T}'",
         3,
         "t/wcount is a link",
         ""},
        {"IFS export of a folder, a file link",
         "UZ_wcount25i.savf",
         {{"wcount/README", "victim"}},
         "export '{S}' /wcount --format stmf -o '{T}/wcount'",
         3,
         "README is a link",
         "wcount/Count.html"},
        {"IFS export of one file onto a link",
         "UZ_wcount25i.savf",
         {{"README", "victim"}},
         "export '{S}' /wcount/README --format stmf -o '{T}/README'",
         3,
         "README is a link",
         ""},
        {"library extract, a library link",
         "JTT_rmlib.savf",
         {{"RMLIB", "dir"}},
         "extract '{S}' --to '{T}'",
         3,
         "t/RMLIB is a link",
         "catalog.json"},
        {"the catalog's old temporary name",
         "JTT_rmlib.savf",
         {{"catalog.json.quelvane-part", "victim"}},
         "extract '{S}' --to '{T}'",
         0,
         "",
         "catalog.json"},
        {"the catalog's own name",
         "JTT_rmlib.savf",
         {{"catalog.json", "victim"}},
         "extract '{S}' --to '{T}'",
         3,
         "catalog.json is a link",
         ""},
        {"the database's name and its old temporary name",
         "JTT_rmlib.savf",
         {{"db.sqlite", "victim"}, {"out/db.sqlite.quelvane-part", "victim"}},
         "extract '{S}' --to '{T}/out' --sqlite '{T}/db.sqlite'",
         1,
         "db.sqlite is a link",
         ""},
        {"batch into text",
         "OSSX_hats.savf",
         {{"CHAT_CHAT.txt", "victim"}},
         "batch '{S}' Part1/CHAT --format txt --dir '{T}'",
         3,
         "CHAT_CHAT.txt>file error",
         ""},
        {"batch into Excel",
         "OSSX_hats.savf",
         {{"CHAT_CHAT.xls", "victim"}},
         "batch '{S}' Part1/CHAT --format xls --dir '{T}'",
         3,
         "CHAT_CHAT.xls",
         ""},
        {"batch into Word",
         "OSSX_hats.savf",
         {{"CHAT_CHAT.doc", "victim"}},
         "batch '{S}' Part1/CHAT --format doc --dir '{T}'",
         3,
         "CHAT_CHAT.doc",
         ""},
        {"one member onto a link",
         "OSSX_hats.savf",
         {{"chat.txt", "victim"}},
         "export '{S}' Part1/CHAT/CHAT --format txt -o '{T}/chat.txt'",
         3,
         "chat.txt>file error",
         ""},
        {"a held save, the old temporary name",
         "ANSI_ARCHLIB_v2.FILE",
         {{"inner.savf.partial", "victim"}},
         "export '{S}' Part0/SAVF1 --format savf -o '{T}/inner.savf'",
         0,
         "",
         "inner.savf"},
        {"a held save onto a link",
         "ANSI_ARCHLIB_v2.FILE",
         {{"inner.savf", "victim"}},
         "export '{S}' Part0/SAVF1 --format savf -o '{T}/inner.savf'",
         3,
         "inner.savf is a link",
         ""},
    };
    for (const LinkCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string saveFile = real(c.saveFile);
        QUELVANE_REQUIRE_REAL_FILE(saveFile);
        fs::remove_all(target_);
        fs::create_directories(target_);
        for (const auto& [name, to] : c.links) {
            fs::create_directories((target_ / name).parent_path());
            fs::create_symlink(outside_ / to, target_ / name);
        }
        std::string arguments = withTarget(c.arguments, target_);
        arguments.replace(arguments.find("{S}"), 3, saveFile);
        const Run run = cli(arguments);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
        if (*c.written != '\0') {
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(target_ / c.written))) << c.written;
            if (c.writtenSize != 0) {
                EXPECT_EQ(fs::file_size(target_ / c.written), c.writtenSize);
            }
        }
        for (const auto& [name, to] : c.links) {
            EXPECT_TRUE(fs::is_symlink(target_ / name)) << name << " is still the link it was";
        }
        expectOutsideUntouched();
        expectNoTemporaryFiles();
    }
}

// A copy of a real file with bytes changed at `offset`.
std::string changedCopy(const fs::path& folder, const std::string& original, std::size_t offset,
                        const std::string& from, const std::string& to) {
    std::string bytes = ExtractFixture::slurpFile(original);
    EXPECT_EQ(bytes.substr(offset, from.size()), from) << original << " at " << offset;
    bytes.replace(offset, to.size(), to);
    const fs::path copy = folder / fs::path(original).filename();
    std::ofstream(copy, std::ios::binary) << bytes;
    return copy.string();
}

// Two entries or members that come out under one name are both kept, and the run says which was
// renamed; a save whose catalog stops short is no success.
TEST_F(HostileTarget, RealFilesSameNamesAreKeptApart) {
    const std::string wcount = real("UZ_wcount25i.savf");
    const std::string vcf = real("VCF_VCFV1R0.SAVF");
    QUELVANE_REQUIRE_REAL_FILE(wcount);
    QUELVANE_REQUIRE_REAL_FILE(vcf);
    // styleB.gif becomes a second styleA.gif (the B of its UTF-16 name).
    const std::string twice = changedCopy(folder_, wcount, 427937, "B", "A");
    Run run = cli("extract '" + twice + "' --to '" + (target_ / "ifs").string() + "'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("note: /wcount/Count2.5/images/styleA.gif: written as "
                           "wcount/Count2.5/images/styleA_2.gif\n"),
              std::string::npos)
        << run.err;
    const fs::path images = target_ / "ifs" / "wcount" / "Count2.5" / "images";
    EXPECT_EQ(fs::file_size(images / "styleA.gif"), 580u);
    EXPECT_EQ(fs::file_size(images / "styleA_2.gif"), 2942u);
    const std::string catalog = slurp(target_ / "ifs" / "catalog.json");
    EXPECT_NE(catalog.find("\"file\": \"wcount/Count2.5/images/styleA_2.gif\""), std::string::npos);

    // MAINQQ becomes a second MAIN in both places the save names it.
    const fs::path batch = folder_ / "vcf";
    fs::create_directories(batch);
    std::string same = changedCopy(batch, vcf, 45620, "\xD4\xC1\xC9\xD5\xD8\xD8", "\xD4\xC1\xC9\xD5\x40\x40");
    same = changedCopy(batch, same, 46730, "\xD4\xC1\xC9\xD5\xD8\xD8", "\xD4\xC1\xC9\xD5\x40\x40");
    run = cli("batch '" + same + "' 'Part0/QMNUSRC(PF)' --format txt --dir '" + target_.string() + "'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("quelvane-cli: note: VCF/QMNUSRC(MAIN) written as QMNUSRC_MAIN_2.txt\n"),
              std::string::npos)
        << run.err;
    const auto lines = [](const std::string& text) { return std::count(text.begin(), text.end(), '\n'); };
    EXPECT_EQ(lines(slurp(target_ / "QMNUSRC_MAIN.txt")), 108);
    EXPECT_EQ(lines(slurp(target_ / "QMNUSRC_MAIN_2.txt")), 6);

    // A byte of a segment header changed: the catalog stops short.
    const std::string cut = changedCopy(folder_, wcount, 680139, "\x0F", "\x01");
    run = cli("extract '" + cut + "' --to '" + (target_ / "cut").string() + "'");
    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_NE(run.err.find("not extracted: the catalog is incomplete: "), std::string::npos) << run.err;
    EXPECT_NE(slurp(target_ / "cut" / "catalog.json").find("\"incomplete\": "), std::string::npos);
}

// A file named with -o replaces one of that name and says so; a folder's export leaves files
// already there as they are and says which.
TEST_F(HostileTarget, RealFilesExistingFilesAreReplacedOnlyWhenNamed) {
    const std::string saveFile = real("UZ_wcount25i.savf");
    QUELVANE_REQUIRE_REAL_FILE(saveFile);
    std::ofstream(target_ / "README") << "mine";
    Run run = cli("export '" + saveFile + "' /wcount/README --format stmf -o '" +
                  (target_ / "README").string() + "'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("README replaced"), std::string::npos) << run.err;
    EXPECT_NE(slurp(target_ / "README"), "mine");

    fs::create_directories(target_ / "w");
    std::ofstream(target_ / "w" / "README") << "mine";
    run = cli("export '" + saveFile + "' /wcount --format stmf -o '" + (target_ / "w").string() + "'");
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("quelvane-cli: /wcount/README: " + (target_ / "w" / "README").string() +
                           " exists; not replaced\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(slurp(target_ / "w" / "README"), "mine");
    EXPECT_EQ(fs::file_size(target_ / "w" / "Count.html"), 106347u);
    expectNoTemporaryFiles();
}

// A file system that takes no more (here a file-size limit, as a full disk would) leaves no
// stream file cut short under its name, and says why.
TEST_F(HostileTarget, RealFilesAFullDiskLeavesNoStreamFileCutShort) {
    const std::string saveFile = real("UZ_wcount25i.savf");
    QUELVANE_REQUIRE_REAL_FILE(saveFile);
    // dash counts the limit in 512-byte blocks: 100 KiB, less than Count.html's 106 347 bytes.
    const Run run = shell("trap '' XFSZ; ulimit -f 200; '" QUELVANE_CLI_PATH "' extract '" + saveFile +
                          "' --to '" + target_.string() + "'");
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("/wcount/Count.html: cannot write " +
                           (target_ / "wcount" / "Count.html").string() + ": File too large"),
              std::string::npos)
        << run.err;
    EXPECT_FALSE(fs::exists(target_ / "wcount" / "Count.html"));
    EXPECT_TRUE(fs::is_regular_file(target_ / "wcount" / "README"));
    EXPECT_TRUE(fs::is_regular_file(target_ / "catalog.json"));
    expectNoTemporaryFiles();
}

// A folder the user may not write into is reported with that reason. Run as an ordinary user,
// since root writes anywhere.
TEST_F(HostileTarget, RealFilesAReadOnlyFolderGivesTheRealReason) {
    const std::string saveFile = real("JTT_rmlib.savf");
    QUELVANE_REQUIRE_REAL_FILE(saveFile);
    if (!fs::exists("/usr/bin/setpriv") || ::geteuid() != 0) {
        GTEST_SKIP() << "needs root and setpriv to run as another user";
    }
    fs::permissions(folder_, fs::perms::all);
    fs::permissions(target_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
    const Run run =
        shell("setpriv --reuid=65534 --regid=65534 --clear-groups '" QUELVANE_CLI_PATH "' extract '" +
              saveFile + "' --to '" + target_.string() + "'");
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("cannot create " + (target_ / "RMLIB").string() + ": Permission denied"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("No such file or directory"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace quelvane::test
