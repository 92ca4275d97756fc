#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/ContentFixtures.h"
#include "tests/support/RealFiles.h"
#include "tests/support/TestFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

using OldestRun = CommandRun;

// The saves of the oldest layout (11 00 11 00 in block 0) through every command.
class CliOldest : public ::testing::Test {
  protected:
    OldestRun run(const std::string& arguments) {
        return runCommand(std::string("'") + QUELVANE_CLI_PATH + "' " + arguments, folder_);
    }

    static std::string realFile(const std::string& name) {
        return "'" + (fs::path(QUELVANE_SAVF_DIR) / name).string() + "'";
    }

    ScratchFolder scratch_{"quelvane-oldest-test"};
    const fs::path& folder_ = scratch_.path();
};

#define SKIP_WITHOUT_SAVF() QUELVANE_REQUIRE_REAL_FILE(fs::path(QUELVANE_SAVF_DIR))

// The cases over the real save files, checked by hand against their bytes.
class CliOldestRealFiles : public CliOldest {};

// A library with one source file of one member, as the oldest systems saved it.
SaveFileBuilder builtSave() {
    SaveFileBuilder builder;
    builder.oldestLayout = true;
    builder.systemText = "9402 200";
    BuiltPart part;
    part.library = "OLDLIB";
    part.saveCommand = 2;
    BuiltObject source;
    source.name = "QCLSRC";
    source.attribute = "PF";
    source.fields = {{"SRCSEQ", 0x0203, 6, 6, 2}, {"SRCDAT", 0x0203, 6, 6, 0}, {"SRCDTA", 0x0403, 20}};
    source.members = {{"HELLO", "CLP", "Says hello", 2, 162, 0, "1000219213653", "1000223115641"}};
    part.objects = {source};
    builder.add(part);
    std::vector<StreamSlot> lines;
    for (const char* text : {"PGM", "ENDPGM"}) {
        std::vector<std::uint8_t> record = SaveFileBuilder::ebcdic("000100000219", 12);
        std::vector<std::uint8_t> line = SaveFileBuilder::ebcdic(text, 20);
        record.insert(record.end(), line.begin(), line.end());
        lines.push_back({0x80, record});
    }
    builder.add(ContentFixtures::memberRecords("QCLSRC", "HELLO", 32, lines, true));
    return builder;
}

TEST_F(CliOldest, ABuiltSaveShowsItsRecordsAndChecksClean) {
    const std::string path = (folder_ / "OLD.SAVF").string();
    builtSave().build().writeTo(path);
    OldestRun tree = run("tree '" + path + "'");
    EXPECT_EQ(tree.status, 0) << tree.err;
    EXPECT_EQ(tree.out.rfind("This SAVF created on IBM AS/400 9402 200 CISC machine.\n", 0), 0u) << tree.out;
    EXPECT_NE(
        tree.out.find("      HELLO \t2 records, created 2000-02-19 21:36:53, changed 2000-02-23 11:56:41\n"),
        std::string::npos)
        << tree.out;
    OldestRun shown = run("show '" + path + "' 0/0/0");
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find("\n\tSRCSEQ\tSRCDAT\tSRCDTA\n0\t0001.00\t000219\tPGM"), std::string::npos)
        << shown.out;
    EXPECT_NE(shown.out.find("\n1\t0001.00\t000219\tENDPGM"), std::string::npos) << shown.out;
    OldestRun checked = run("check '" + path + "'");
    EXPECT_EQ(checked.status, 0) << checked.out;
}

TEST_F(CliOldestRealFiles, JobLogTestReadsWhole) {
    SKIP_WITHOUT_SAVF();
    const std::string file = realFile("JTT_joblogtest.savf");
    OldestRun tree = run("tree " + file);
    EXPECT_EQ(tree.status, 0) << tree.err;
    EXPECT_NE(tree.out.find("Saved 2000-02-23 13:02:47, serial 1000731\nRelease of the objects: V3R2M0\n"
                            "Library(JOBLOGTEST)\n  Part0\n    JOBLOGTEST(LIB)\t"),
              std::string::npos)
        << tree.out;
    EXPECT_NE(tree.out.find("    QCLSRC(PF)\t"), std::string::npos);

    // The member's six records, the source lines of the CL program SNDMSGS.
    OldestRun shown = run("show " + file + " 0/2/0");
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find("\n0\t0001.00\t000219\tPGM "), std::string::npos) << shown.out;
    EXPECT_NE(
        shown.out.find("\n2\t0003.00\t000219\t             SNDPGMMSG  MSG('Just an old-fashioned message')"),
        std::string::npos);
    EXPECT_NE(shown.out.find("\n4\t0005.00\t000223\t             RCVMSG     WAIT(45)"), std::string::npos);
    EXPECT_NE(shown.out.find("\n5\t0006.00\t000219\tENDPGM "), std::string::npos);
    EXPECT_EQ(shown.out.find("\n6\t"), std::string::npos);

    OldestRun checked = run("check " + file);
    EXPECT_EQ(checked.status, 0) << checked.out;
    EXPECT_NE(checked.out.find("Clean: 32 blocks"), std::string::npos) << checked.out;

    const fs::path text = folder_ / "SNDMSGS.txt";
    OldestRun exported = run("export " + file + " 0/2/0 --format txt -o '" + text.string() + "'");
    EXPECT_EQ(exported.status, 0) << exported.err;
    EXPECT_NE(slurp(text).find("SNDPGMMSG  MSGID(CAE0002) MSGF(QSYS/QCPFMSG)"), std::string::npos);

    OldestRun extracted = run("extract " + file + " --quiet --to '" + (folder_ / "out").string() + "'");
    EXPECT_EQ(extracted.status, 0) << extracted.err;
    EXPECT_EQ(slurp(folder_ / "out" / "JOBLOGTEST" / "QCLSRC" / "SNDMSGS.clp"),
              "PGM\n\n             SNDPGMMSG  MSG('Just an old-fashioned message')\n"
              "             SNDPGMMSG  MSGID(CAE0002) MSGF(QSYS/QCPFMSG)\n             RCVMSG     WAIT(45)\n"
              "ENDPGM\n");
}

TEST_F(CliOldestRealFiles, TracerouteReadsWhole) {
    SKIP_WITHOUT_SAVF();
    const std::string file = realFile("SKS_traceroute.savf");
    OldestRun members = run("show " + file + " 0/1");
    EXPECT_EQ(members.status, 0) << members.err;
    EXPECT_NE(members.out.find("\nSOCKET_H\t1024\tHeader File for doing communications with sockets\n"),
              std::string::npos)
        << members.out;
    EXPECT_NE(members.out.find("\nREADME\t112\t\n"), std::string::npos);

    OldestRun readme = run("show " + file + " 'Part0/SOURCE(PF)/README'");
    EXPECT_EQ(readme.status, 0) << readme.err;
    EXPECT_NE(readme.out.find("\n0\t0001.00\t010111\t                        TRACEROUTE utility for OS/400."),
              std::string::npos)
        << readme.out.substr(0, 400);
    EXPECT_NE(readme.out.find("\n111\t"), std::string::npos);
    EXPECT_EQ(readme.out.find("\n112\t"), std::string::npos);

    OldestRun checked = run("check " + file);
    EXPECT_EQ(checked.status, 0) << checked.out;

    OldestRun extracted = run("extract " + file + " --quiet --to '" + (folder_ / "out").string() + "'");
    EXPECT_EQ(extracted.status, 0) << extracted.err;
    const std::string buildme = slurp(folder_ / "out" / "TRACEROUTE" / "SOURCE" / "BUILDME.clp");
    EXPECT_EQ(std::count(buildme.begin(), buildme.end(), '\n'), 120);
    EXPECT_EQ(buildme.rfind("ENDPGM\n"), buildme.size() - 7);
}

// PROGS in JTT_w95lib.savf holds a SAVOBJ save of the oldest layout, 156 blocks.
TEST_F(CliOldestRealFiles, TheSaveHeldByProgsOpensAndIsCutOut) {
    SKIP_WITHOUT_SAVF();
    const std::string file = realFile("JTT_w95lib.savf");
    OldestRun held = run("tree " + file + " --inner 0/PROGS");
    EXPECT_EQ(held.status, 0) << held.err;
    EXPECT_NE(held.out.find("Using SAVOBJ Command!"), std::string::npos) << held.out;
    EXPECT_NE(held.out.find("Library(W95LIB)\n  Part0\n    PROG0(PGM)\t"), std::string::npos) << held.out;
    EXPECT_NE(held.out.find("    PROG35(PGM)\towner JWEAVER, 28672 bytes"), std::string::npos);

    const fs::path cut = folder_ / "PROGS.savf";
    OldestRun exported = run("export " + file + " 0/PROGS --format savf -o '" + cut.string() + "'");
    EXPECT_EQ(exported.status, 0) << exported.err;
    ASSERT_TRUE(fs::exists(cut));
    EXPECT_EQ(fs::file_size(cut), 156u * 528u);
    OldestRun reopened = run("tree '" + cut.string() + "'");
    EXPECT_EQ(reopened.status, 0) << reopened.err;
    EXPECT_EQ(reopened.out, held.out);
    EXPECT_EQ(run("check '" + cut.string() + "'").status, 0);
}

}  // namespace
}  // namespace quelvane::test
