#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/IfsSaveBuilder.h"
#include "tests/support/RealFiles.h"
#include "tests/support/SaveFileBuilder.h"
#include "tests/support/TestFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

class CliTree : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() / ("quelvane-cli-test-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    CliRun run(const std::string& arguments, const fs::path& program = QUELVANE_CLI_PATH) {
        fs::path out = folder_ / "stdout";
        fs::path err = folder_ / "stderr";
        std::string command =
            "'" + program.string() + "' " + arguments + " >'" + out.string() + "' 2>'" + err.string() + "'";
        int raw = std::system(command.c_str());
        CliRun result;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = slurp(out);
        result.err = slurp(err);
        return result;
    }

    std::string write(const SaveFileBuilder& builder, const std::string& name = "TEST.SAVF") {
        fs::path path = folder_ / name;
        builder.build().writeTo(path.string());
        return path.string();
    }

    fs::path folder_;
};

SaveFileBuilder sample() {
    SaveFileBuilder builder;
    builder.systemText = "41A 8286";
    builder.headerSize = 4096;
    BuiltPart part;
    part.library = "QGPL";
    BuiltObject file;
    file.name = "CUSTMAST";
    file.attribute = "PF";
    file.fields = {{"ID", 0x0004, 5}};
    file.members = {{"ABC", "PF", "", 12}, {"\xC4RGER", "TXT", "", 3}};  // Latin-1 A-umlaut
    BuiltObject program;
    program.name = "MYPGM";
    program.typeCode = 0x0201;
    program.attribute = "CLP";
    BuiltObject other;
    other.name = "X";
    other.typeCode = 0x0B90;
    part.objects = {file, program, other};
    builder.add(part);
    BuiltPart second;
    second.library = "OTHER";
    builder.add(second);
    return builder;
}

TEST_F(CliTree, PrintsSummaryAndTree) {
    std::string path = write(sample());
    CliRun result = run("tree '" + path + "' --ebcdic 37 --pc 1252");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    // The lines about the save, then the tree; the version history is --version's.
    std::string tree =
        "This SAVF created on IBM AS/400 41A 8286 RISC machine.\nUsing SAVLIB Command!\nData: stored.\n"
        "Library(QGPL)\n"
        "  Part0\n"
        "    CUSTMAST(PF)\n"
        "      ABC \t12 records\n"
        "      \xC3\x84RGER \t3 records\n"
        "    MYPGM(PGM)\n"
        "    X\n"
        "  Part1\n";
    EXPECT_EQ(result.out, tree);

    CliRun raw = run("tree --raw '" + path + "'");
    EXPECT_EQ(raw.status, 0);
    EXPECT_NE(raw.out.find("      \xC4RGER \t3 records\n"), std::string::npos);
}

// A German save: the builder writes CP037, whose bytes D0, A1 and C0 ('}', '~', '{') CCSID 273
// reads as 'ü', 'ß' and 'ä'. The file's text is tagged 273, one member 273, one 65535 (the
// file's CCSID then), the program's text has no CCSID of its own (the save's most tagged one).
SaveFileBuilder germanSample() {
    SaveFileBuilder builder;
    BuiltPart part;
    part.library = "KUNDEN";
    BuiltObject file;
    file.name = "KUNDST";
    file.attribute = "PF";
    file.text = "Kundenstamm M}ller";
    file.fields = {{"ID", 0x0004, 5}};
    file.formatOffset = 576;
    BuiltFileFacts facts;
    facts.text = file.text;
    facts.textCcsid = 273;
    file.fileFacts = facts;
    BuiltMember tagged{"GRUEN", "PF", "Gr}n", 0, 656};
    tagged.textCcsid = 273;
    BuiltMember binary{"STRASSE", "PF", "Stra~e", 0, 656};
    binary.textCcsid = 65535;
    file.members = {tagged, binary};
    BuiltObject program;
    program.name = "KAESE";
    program.typeCode = 0x0201;
    program.attribute = "CLP";
    program.text = "K{se";
    part.objects = {file, program};
    builder.add(part);
    return builder;
}

TEST_F(CliTree, TextsByStoredCcsid) {
    const std::string path = write(germanSample());
    const std::string pair = " --ebcdic 37 --pc 1252";
    CliRun stored = run("tree '" + path + "'" + pair + " --ccsid stored");
    EXPECT_EQ(stored.status, 0);
    EXPECT_EQ(stored.out,
              "This SAVF created on IBM AS/400 150 9401 CISC machine.\nUsing SAVLIB Command!\nData: stored.\n"
              "Library(KUNDEN)\n"
              "  Part0\n"
              "    KUNDST(PF)\tKundenstamm Müller\n"
              "      GRUEN \tGrün\t0 records\n"
              "      STRASSE \tStraße\t0 records\n"
              "    KAESE(PGM)\tKäse\n");
    CliRun byPair = run("tree '" + path + "'" + pair);
    EXPECT_NE(byPair.out.find("    KUNDST(PF)\n      GRUEN \t0 records\n"), std::string::npos) << byPair.out;

    struct Case {
        std::string arguments;
        std::string holds;
    };
    const Case cases[] = {
        {"show '" + path + "' 0/0/1 --ccsid stored",
         "Member:  STRASSE     It's PF type.\nDescription:  Straße" + std::string(44, ' ') + " .\n"},
        {"show '" + path + "' 0/0/1", "Description:  Stra~e" + std::string(44, ' ') + " .\n"},
        {"show '" + path + "' 0/1 --json", "\"summary\": \"Description:  Käse"},
        {"show '" + path + "' 0/1 --json --ccsid pair", "\"summary\": \"Description:  K{se"},
        {"tree '" + path + "' --json", "\"text\": \"Grün\""},
        {"tree '" + path + "' --json --ccsid pair", "\"text\": \"Gr}n\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        // The members hold no data to list: only the labels are looked at.
        CliRun result = run(c.arguments + pair);
        EXPECT_NE(result.out.find(c.holds), std::string::npos) << result.out;
    }
    for (const char* choice : {"", " --ccsid pair"}) {
        const fs::path folder = folder_ / (std::string("out") + choice);
        // Exit 3: the members' data cannot be read; catalog.json is written all the same.
        run("extract '" + path + "' --to '" + folder.string() + "' --quiet" + pair + choice);
        const std::string catalog = slurp(folder / "catalog.json");
        for (const char* text : {"Kundenstamm Müller", "Grün", "Straße", "Käse"}) {
            EXPECT_EQ(catalog.find("\"text\": \"" + std::string(text) + "\",") != std::string::npos,
                      *choice == '\0')
                << text << choice;
        }
    }
}

TEST_F(CliTree, ExitStatuses) {
    fs::path notSave = folder_ / "notes.txt";
    std::ofstream(notSave) << "plain text, not a save file\n";
    struct Case {
        std::string arguments;
        int status;
        std::string errStart;
    };
    const Case cases[] = {
        {"tree '" + notSave.string() + "'", 2,
         "File: " + notSave.string() + "  is not save file format form AS/400\n"},
        {"tree '" + (folder_ / "missing.savf").string() + "'", 1, "quelvane-cli: cannot open"},
        {"tree '" + folder_.string() + "'", 1, "quelvane-cli: cannot open"},
        {"tree", 1, "Usage:"},
        {"tree a b", 1, "Usage:"},
        {"tree --ebcdic", 1, "quelvane-cli: --ebcdic needs"},
        {"tree --pc x1 f", 1, "quelvane-cli: --pc needs"},
        {"tree --bogus f", 1, "quelvane-cli: unknown option"},
        {"frobnicate", 1, "quelvane-cli: unknown command"},
        {"", 1, "Usage:"},
    };
    for (const Case& c : cases) {
        CliRun result = run(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.arguments;
        EXPECT_EQ(result.err.substr(0, c.errStart.size()), c.errStart) << c.arguments;
        EXPECT_EQ(result.out, "") << c.arguments;
    }

    CliRun version = run("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Quelvane V2.4.1.1036\n");
    CliRun help = run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("quelvane-cli tree FILE"), std::string::npos);
}

// A member-area error is told on stderr and the tree is still printed.
TEST_F(CliTree, MemberErrorKeepsGoing) {
    SaveFileBuilder broken;
    BuiltPart part;
    part.library = "LIB";
    BuiltObject file;
    file.name = "BAD";
    file.attribute = "PF";
    file.members = {{"M", "", "", 1}};
    // More entries than the file can hold: the claim is refused with its reason.
    file.areaMemberCount = 20000;
    part.objects = {file};
    broken.add(part);
    CliRun result = run("tree '" + write(broken) + "'");
    // The tree is printed; the reading that stopped there is told and makes the status 3.
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.err,
              "Error:during get member information\n"
              "quelvane-cli: the catalog is incomplete: stopped: a count or offset leads outside the bytes "
              "read for it (12504 member entries claimed, more than the file can hold)\n");
    EXPECT_NE(result.out.find("Library(LIB)\n  Part0\n    BAD(PF)\n"), std::string::npos);
}

// A real uncompressed save whose segment chain ends at its header's block count (4576, followed
// by hand from each segment header's sequence number and length) has a complete catalog.
TEST_F(CliTree, RealFilesTellWhetherTheCatalogIsComplete) {
    const fs::path path = fs::path(QUELVANE_SAVF_DIR) / "OSSX_hats.savf";
    QUELVANE_REQUIRE_REAL_FILE(path);
    CliRun result = run("tree '" + path.string() + "'");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_NE(result.out.find("Library("), std::string::npos);
}

// Without options the code pages come from the settings file beside the program, when it
// configures both; otherwise 37 and 1252.
TEST_F(CliTree, CodePagesFromTheSettingsFile) {
    fs::path program = folder_ / "bin" / "quelvane-cli";
    fs::create_directories(program.parent_path());
    fs::path built = fs::path(QUELVANE_CLI_PATH).parent_path();
    fs::copy_file(QUELVANE_CLI_PATH, program);
    for (const char* module : {"libtrnnls.so", "libtrnsdt.so"}) {
        fs::copy_file(built / module, program.parent_path() / module);
    }
    SaveFileBuilder builder;
    BuiltPart part;
    part.library = "LIB";
    BuiltObject object;
    object.name = "\xA2X";  // CP037 0x4A, which CP273 (Windows 20273) reads as A-umlaut
    object.typeCode = 0x0201;
    part.objects = {object};
    builder.add(part);
    std::string path = write(builder);

    struct Case {
        const char* settings;
        const char* options;
        const char* objectLine;
    };
    const Case cases[] = {
        {nullptr, "", "    \xC2\xA2X(PGM)\n"},
        {"[EBCDIC To ASCII]\nEBCDIC=20273\nASCII=1252\n", "", "    \xC3\x84X(PGM)\n"},
        {"[ebcdic to ascii]\nebcdic=20273\nascii=1252\n", "", "    \xC3\x84X(PGM)\n"},
        {"[EBCDIC To ASCII]\nEBCDIC=20273\n", "", "    \xC2\xA2X(PGM)\n"},
        {"[EBCDIC To ASCII]\nEBCDIC=20273\nASCII=100000\n", "", "    \xC2\xA2X(PGM)\n"},
        {"[EBCDIC To ASCII]\nEBCDIC=20273\nASCII=1252\n", "--ebcdic 37", "    \xC2\xA2X(PGM)\n"},
    };
    for (const Case& c : cases) {
        fs::remove(folder_ / "bin" / "quelvane.ini");
        if (c.settings != nullptr) {
            std::ofstream(folder_ / "bin" / "quelvane.ini") << c.settings;
        }
        CliRun result = run(std::string("tree ") + c.options + " '" + path + "'", program);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_NE(result.out.find(c.objectLine), std::string::npos)
            << (c.settings ? c.settings : "no settings") << c.options << "\n"
            << result.out;
    }
}

}  // namespace
}  // namespace quelvane::test

namespace quelvane::test {
namespace {

std::string realFile(const std::string& name) {
    return "'" + (fs::path(QUELVANE_SAVF_DIR) / name).string() + "'";
}

// The object list of the built sample, the inner save's after --inner, and the usage on stderr.
TEST_F(CliTree, ObjectsListsEveryObjectAsText) {
    std::string path = write(sample());
    CliRun result = run("objects '" + path + "' --ebcdic 37 --pc 1252");
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string captions = "Object    Type  Attribute  Owner  Size  Created  Text\n";
    ASSERT_NE(result.out.find(captions), std::string::npos) << result.out;
    const std::string list = result.out.substr(result.out.find(captions) + captions.size());
    // The rule, then one line per object in catalog order; a type without a name shows its code.
    EXPECT_EQ(list.substr(list.find('\n') + 1), "CUSTMAST  PF    PF\nMYPGM     PGM   CLP\nX         0B90\n");

    CliRun usage = run("objects");
    EXPECT_EQ(usage.status, 1);
    EXPECT_NE(usage.err.find("objects FILE"), std::string::npos);

    if (fs::is_directory(QUELVANE_SAVF_DIR)) {
        CliRun inner =
            run("objects " + realFile("ANSI_ARCHLIB_v2.FILE") + " --inner 0/ARCHLIB --inner 0/SAVF1");
        EXPECT_EQ(inner.status, 0) << inner.err;
        EXPECT_NE(inner.out.find("Library SAVRST\n"), std::string::npos) << inner.out;
        EXPECT_NE(inner.out.find("\nPGM1 "), std::string::npos) << inner.out;
    }
}

TEST_F(CliTree, HeldSaveFilesOpenAndCutOut) {
    if (!fs::is_directory(QUELVANE_SAVF_DIR)) {
        GTEST_SKIP() << "no real save files";
    }
    std::string archlib = realFile("ANSI_ARCHLIB_v2.FILE");
    CliRun deeper = run("tree " + archlib + " --inner 0/ARCHLIB --inner 0/SAVF1");
    EXPECT_EQ(deeper.status, 0) << deeper.err;
    EXPECT_NE(deeper.out.find("Library(SAVRST)\n  Part0\n    PGM1(PGM)\towner ZHULJ"), std::string::npos);

    fs::path cut = folder_ / "SAVF1.savf";
    CliRun exported = run("export " + archlib + " 0/SAVF1 --format savf -o '" + cut.string() + "'");
    EXPECT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(fs::file_size(cut), 152u * 528u);
    // What is written carries every record's sequence number and check, as the system writes them.
    CliRun checked = run("check '" + cut.string() + "'");
    EXPECT_EQ(checked.status, 0) << checked.out;
    EXPECT_NE(checked.out.find("\nEvery one of 152 records is intact"), std::string::npos) << checked.out;
    CliRun reopened = run("tree '" + cut.string() + "'");
    EXPECT_EQ(reopened.status, 0) << reopened.err;
    EXPECT_NE(reopened.out.find("Library(SAVRST)\n  Part0\n    PGM1(PGM)"), std::string::npos);

    // Extracting a held save reads its records from the held save, as from the cut-out file.
    fs::path savrst = folder_ / "SAVRST.savf";
    EXPECT_EQ(run("export " + archlib + " 0/SAVRST --format savf -o '" + savrst.string() + "'").status, 0);
    EXPECT_EQ(run("check '" + savrst.string() + "'").status, 0);
    CliRun held = run("extract " + archlib + " --inner 0/SAVRST --to '" + (folder_ / "held").string() + "'");
    EXPECT_EQ(held.status, 0) << held.err;
    CliRun cutOut = run("extract '" + savrst.string() + "' --to '" + (folder_ / "cut").string() + "'");
    EXPECT_EQ(cutOut.status, 0) << cutOut.err;
    const std::string records = slurp(folder_ / "held" / "SAVRST" / "PF1" / "LICKEYFILE.csv");
    EXPECT_GT(records.size(), 1000u);
    EXPECT_EQ(records, slurp(folder_ / "cut" / "SAVRST" / "PF1" / "LICKEYFILE.csv"));

    CliRun cisc = run("tree " + realFile("JTT_w95lib.savf") + " --inner 0/PROGS");
    EXPECT_EQ(cisc.status, 0) << cisc.err;
    EXPECT_NE(cisc.out.find("Library(W95LIB)"), std::string::npos);
    CliRun notHeld = run("export " + archlib + " 1/PF1 --format savf -o '" + (folder_ / "x").string() + "'");
    EXPECT_EQ(notHeld.status, 3);
    EXPECT_NE(notHeld.err.find("PF1 is not a save file"), std::string::npos);
}

TEST_F(CliTree, ObjectDetailsFollowTheCaption) {
    if (!fs::is_directory(QUELVANE_SAVF_DIR)) {
        GTEST_SKIP() << "no real save files";
    }
    CliRun result = run("tree " + realFile("FLSEARCH.SAVF"));
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("Using SAVLIB Command!\nData: stored.\nSaved 2023-07-13 09:10:29 on system QA, "
                              "serial 217A78V\nRelease V7R3, target release V7R3\n"),
              std::string::npos);
    EXPECT_NE(
        result.out.find("      SUBFDSPD02 \t54 records, created 2023-07-13 09:08:14, changed 2023-06-30 "
                        "02:39:53\n"),
        std::string::npos);
}

}  // namespace
}  // namespace quelvane::test

namespace quelvane::test {
namespace {

TEST_F(CliTree, IntegratedFileSystemSavesListAndExtractInsideTheFolder) {
    IfsImage image = sampleImage("/site", {{"index.html", false, 11, kDataA},
                                           {"..", false, 4, kDataB},
                                           {"sub", true, 0, {}},
                                           {"a/../../escape", false, 4, kDataB}});
    image.data(kDataA, "<html>.</ht", 4096);
    image.data(kDataB, "evil", 4096);
    fs::path save = folder_ / "IFS.SAVF";
    {
        Bytes bytes = image.complete();
        std::ofstream out(save, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    CliRun tree = run("tree '" + save.string() + "'");
    EXPECT_EQ(tree.status, 0) << tree.err;
    EXPECT_NE(tree.out.find(
                  "/site/index.html\t*STMF, 11 bytes, modified 2000-05-27 03:51:09, owner TCPIP, CCSID 819"),
              std::string::npos)
        << tree.out;
    EXPECT_NE(tree.out.find("/site/sub/\t*DIR"), std::string::npos);

    fs::path target = folder_ / "out" / "inner";
    CliRun all = run("export '" + save.string() + "' / --format stmf -o '" + target.string() + "'");
    EXPECT_EQ(all.status, 3);
    EXPECT_NE(all.err.find("unsafe name"), std::string::npos);
    EXPECT_EQ(slurp(target / "site" / "index.html"), "<html>.</ht");
    EXPECT_TRUE(fs::is_directory(target / "site" / "sub"));
    std::size_t written = 0;
    for (const auto& item : fs::recursive_directory_iterator(folder_)) {
        written += item.is_regular_file() && item.path().filename() != "stdout" &&
                   item.path().filename() != "stderr";
    }
    EXPECT_EQ(written, 2u);  // the save and index.html: nothing else, and nothing outside

    fs::path single = folder_ / "page.html";
    CliRun one =
        run("export '" + save.string() + "' /site/index.html --format stmf -o '" + single.string() + "'");
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(slurp(single), "<html>.</ht");
}

TEST_F(CliTree, RealIntegratedFileSystemSaveExtractsByteForByte) {
    if (!fs::is_directory(QUELVANE_SAVF_DIR)) {
        GTEST_SKIP() << "no real save files";
    }
    fs::path target = folder_ / "wcount";
    CliRun all = run("export " + realFile("UZ_wcount25i.savf") + " /wcount --format stmf -o '" +
                     target.string() + "'");
    EXPECT_EQ(all.status, 0) << all.err;
    std::size_t files = 0;
    for (const auto& item : fs::recursive_directory_iterator(target)) {
        files += item.is_regular_file();
    }
    EXPECT_EQ(files, 43u);
    EXPECT_EQ(fs::file_size(target / "Count.html"), 106347u);
    EXPECT_TRUE(slurp(target / "Count.html").ends_with("</html>\r\n"));
}

}  // namespace
}  // namespace quelvane::test
