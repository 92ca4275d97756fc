#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/extract/ExtractFixture.h"
#include "tests/sources/SourceSaves.h"
#include "tests/support/ContentFixtures.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kDay = 86400;

class SourcesCommand : public ExtractFixture {
  protected:
    std::string save(const std::string& name, const SaveFileImage& image) {
        const fs::path path = folder_ / name;
        image.writeTo(path.string());
        return path.string();
    }

    Run sources(const std::string& arguments) {
        return cli("sources " + arguments + " --ebcdic 37 --pc 1252");
    }

    Run git(const fs::path& repository, const std::string& arguments) {
        return shell("git -C " + quoted(repository) + " " + arguments);
    }

    // What Python's json module reads at `key` (a Python subscript) of a JSON file.
    std::string jsonAt(const fs::path& file, const std::string& key) {
        return python("import json, sys\nprint(json.dumps(json.load(open(sys.argv[1], encoding='utf-8'))" +
                          key + ", sort_keys=True))\n",
                      quoted(file));
    }
};

// One library: a source file of two members (one without a type), a data file, a CL program
// compiled with source retrieval.
SaveFileImage sampleSave() {
    BuiltClSource program;
    program.objectName = "START";
    program.lines = {"PGM   ", "  CALL PGM(HELLO)   ", "ENDPGM"};
    BuiltObject data;
    data.name = "CUSTOMERS";
    data.attribute = "PF";
    data.fields = {{"NAME", 0x0403, 8, 0, 0}};
    data.members = {{"CUSTOMERS", "", "", 0}};
    return SourceSaves::build("DEMO",
                              {{"QRPGLESRC", "HELLO", "RPGLE", {"     H NOMAIN   ", "", "  C   RETURN \xC4"}},
                               {"QRPGLESRC", "NOTES", "", {"* plain"}}},
                              0, {data, ContentFixtures::programObject("START")},
                              {ContentFixtures::memberRecords("CUSTOMERS", "CUSTOMERS", 8, {}),
                               ContentFixtures::clProgram(program)});
}

TEST_F(SourcesCommand, WritesTheLayoutTheEditingToolsRead) {
    const std::string file = save("DEMO.SAVF", sampleSave());
    const fs::path out = folder_ / "project";
    Run run = sources(quoted(file) + " --to " + quoted(out));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(slurp(out / "qrpglesrc" / "hello.rpgle"), "     H NOMAIN\n\n  C   RETURN \xC3\x84\n");
    EXPECT_EQ(slurp(out / "qrpglesrc" / "notes.mbr"), "* plain\n");
    EXPECT_EQ(slurp(out / "qclsrc" / "start.clp"), "PGM\n  CALL PGM(HELLO)\nENDPGM\n");
    EXPECT_NE(run.err.find("CL source retrieved from the program as qclsrc/start.clp"), std::string::npos)
        << run.err;
    EXPECT_FALSE(fs::exists(out / "customers"));

    // The built file's text field has no CCSID: no build key.
    EXPECT_EQ(jsonAt(out / "qrpglesrc" / ".ibmi.json", ""), "{\"version\": \"0.0.1\"}\n");
    EXPECT_EQ(jsonAt(out / "iproj.json", ""), "{\"objlib\": \"DEMO\"}\n");
    const fs::path members = out / ".quelvane" / "members.json";
    EXPECT_EQ(jsonAt(members, "['dataFiles']"), "[\"CUSTOMERS\"]\n");
    EXPECT_EQ(jsonAt(members, "['folders']"), "{\"QCLSRC\": \"qclsrc\", \"QRPGLESRC\": \"qrpglesrc\"}\n");
    EXPECT_EQ(
        jsonAt(members, "['members'][0]"),
        "{\"file\": \"QRPGLESRC\", \"lines\": 3, \"member\": \"HELLO\", \"path\": \"qrpglesrc/hello.rpgle\", "
        "\"text\": \"text of HELLO\", \"type\": \"RPGLE\"}\n");
    EXPECT_EQ(jsonAt(members, "['members'][2]['program']"), "\"START\"\n");
    EXPECT_EQ(jsonAt(members, "['members'][0].get('lineDates')"), "null\n");

    Run again = sources(quoted(file) + " --to " + quoted(folder_ / "dated") + " --with-line-dates");
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(jsonAt(folder_ / "dated" / ".quelvane" / "members.json", "['members'][0]['lineDates']"),
              "[\"1.00 200110\", \"2.00 200111\", \"3.00 200112\"]\n");
}

TEST_F(SourcesCommand, ReplacesFilesOnlyWhenTold) {
    const std::string file = save("DEMO.SAVF", sampleSave());
    const fs::path out = folder_ / "project";
    fs::create_directories(out / "qrpglesrc");
    std::ofstream(out / "qrpglesrc" / "hello.rpgle") << "mine\n";
    Run refused = sources(quoted(file) + " --to " + quoted(out));
    EXPECT_EQ(refused.status, 3);
    EXPECT_NE(refused.err.find("qrpglesrc/hello.rpgle: already there; not replaced without --force"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(slurp(out / "qrpglesrc" / "hello.rpgle"), "mine\n");
    EXPECT_EQ(slurp(out / "qrpglesrc" / "notes.mbr"), "* plain\n");
    EXPECT_EQ(jsonAt(out / ".quelvane" / "members.json", "['notWritten'][0]['member']"), "\"HELLO\"\n");

    Run forced = sources(quoted(file) + " --to " + quoted(out) + " --force");
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(slurp(out / "qrpglesrc" / "hello.rpgle"), "     H NOMAIN\n\n  C   RETURN \xC3\x84\n");
}

// Names that clash once in lower case, or that Windows or macOS refuse, get a suffix from the
// name itself, so the same member has the same file name in every save.
TEST_F(SourcesCommand, GivesClashingAndUnsafeNamesAStableSuffix) {
    const std::vector<SourceMemberSpec> members = {
        {"QSRC", "ABC", "RPGLE", {"upper"}}, {"QSRC", "abc", "RPGLE", {"lower"}},
        {"QSRC", "CON", "CLP", {"device"}},  {"QSRC", "A:B", "TXT", {"colon"}},
        {"QSRC", "OK.", "", {"period"}},
    };
    const fs::path out = folder_ / "project";
    Run run =
        sources(quoted(save("NAMES.SAVF", SourceSaves::build("NAMES", members, 0))) + " --to " + quoted(out));
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string listed = python(
        "import json, sys\nfor m in json.load(open(sys.argv[1]))['members']:\n"
        "    print(m['member'], m['path'], m.get('suffixed', False))\n",
        quoted(out / ".quelvane" / "members.json"));
    EXPECT_EQ(listed,
              "ABC qsrc/abc.rpgle False\n"
              "abc qsrc/abc~1a47e90b.rpgle True\n"
              "CON qsrc/con~3367e86b.clp True\n"
              "A:B qsrc/a_b~4c851f00.txt True\n"
              "OK. qsrc/ok_~c80da993.mbr True\n");
    for (const auto& entry : fs::directory_iterator(out / "qsrc")) {
        EXPECT_EQ(entry.path().filename().string().find(':'), std::string::npos);
    }
}

TEST_F(SourcesCommand, MakesOneCommitPerSaveInTheOrderOfTheirDates) {
    const std::string first = save(
        "V1.SAVF",
        SourceSaves::build(
            "APP", {{"QRPGLESRC", "MAIN", "RPGLE", {"one"}}, {"QRPGLESRC", "OLD", "RPGLE", {"old"}}}, 0));
    const std::string second =
        save("V2.SAVF", SourceSaves::build("APP",
                                           {{"QRPGLESRC", "MAIN", "RPGLE", {"one", "two"}},
                                            {"QCLSRC", "NEW", "CLLE", {"PGM", "ENDPGM"}}},
                                           kDay));
    const fs::path repo = folder_ / "repo";
    // Given newest first: the commits still follow the save dates.
    Run run = sources("--git " + quoted(second) + " " + quoted(first) + " --to " + quoted(repo));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(git(repo, "log --format='%an|%cn|%ad|%cd|%s' --date=iso-strict").out,
              "Quelvane|Quelvane|2020-08-18T22:31:41+00:00|2020-08-18T22:31:41+00:00|APP saved on an unnamed "
              "system at 2020-08-18 22:31:41 from V2.SAVF\n"
              "Quelvane|Quelvane|2020-08-17T22:31:41+00:00|2020-08-17T22:31:41+00:00|APP saved on an unnamed "
              "system at 2020-08-17 22:31:41 from V1.SAVF\n");
    EXPECT_EQ(git(repo, "log -1 --format=%b").out,
              "Members added (1):\n  qclsrc/new.clle\n\nMembers removed (1):\n  qrpglesrc/old.rpgle\n\n"
              "Members changed (1):\n  qrpglesrc/main.rpgle\n\n");
    EXPECT_EQ(git(repo, "ls-files").out,
              ".quelvane/members.json\niproj.json\nqclsrc/.ibmi.json\nqclsrc/new.clle\nqrpglesrc/.ibmi.json\n"
              "qrpglesrc/main.rpgle\n");
    EXPECT_FALSE(fs::exists(repo / "qrpglesrc" / "old.rpgle"));
    EXPECT_EQ(git(repo, "status --porcelain").out, "");
    EXPECT_EQ(git(repo, "log --format=%s --follow qrpglesrc/main.rpgle").out.size() > 0, true);

    // The same save again changes nothing and makes no commit.
    Run again = sources("--git " + quoted(second) + " --to " + quoted(repo));
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.err.find("nothing changed since the last commit"), std::string::npos) << again.err;
    EXPECT_EQ(git(repo, "rev-list --count HEAD").out, "2\n");
}

TEST_F(SourcesCommand, RefusesAnOlderSaveUnlessToldToReorder) {
    const auto version = [&](const char* name, std::int64_t day, const char* line) {
        return save(name, SourceSaves::build("APP", {{"QRPGLESRC", "MAIN", "RPGLE", {line}}}, day * kDay));
    };
    const std::string v1 = version("V1.SAVF", 0, "first");
    const std::string v2 = version("V2.SAVF", 1, "second");
    const std::string v3 = version("V3.SAVF", 2, "third");
    const fs::path repo = folder_ / "repo";
    ASSERT_EQ(sources("--git " + quoted(v1) + " " + quoted(v3) + " --to " + quoted(repo)).status, 0);

    Run refused = sources("--git " + quoted(v2) + " --to " + quoted(repo));
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(
        refused.err.find("V2.SAVF was saved at 2020-08-18 22:31:41, before the repository's last commit; "
                         "nothing was written (--reorder rebuilds the history with it in its place)"),
        std::string::npos)
        << refused.err;
    EXPECT_EQ(git(repo, "rev-list --count HEAD").out, "2\n");
    EXPECT_EQ(slurp(repo / "qrpglesrc" / "main.rpgle"), "third\n");

    Run reordered = sources("--git --reorder " + quoted(v2) + " --to " + quoted(repo));
    EXPECT_EQ(reordered.status, 0) << reordered.err;
    EXPECT_EQ(git(repo, "log --format=%s").out,
              "APP saved on an unnamed system at 2020-08-19 22:31:41 from V3.SAVF\n"
              "APP saved on an unnamed system at 2020-08-18 22:31:41 from V2.SAVF\n"
              "APP saved on an unnamed system at 2020-08-17 22:31:41 from V1.SAVF\n");
    EXPECT_EQ(git(repo, "show HEAD~1:qrpglesrc/main.rpgle").out, "second\n");
    EXPECT_EQ(git(repo, "show HEAD:qrpglesrc/main.rpgle").out, "third\n");
    EXPECT_EQ(git(repo, "log -1 --format=%b HEAD").out, "Members changed (1):\n  qrpglesrc/main.rpgle\n\n");
    EXPECT_EQ(slurp(repo / "qrpglesrc" / "main.rpgle"), "third\n");
    EXPECT_EQ(git(repo, "status --porcelain").out, "");
    EXPECT_EQ(git(repo, "rev-list --count refs/quelvane/before-reorder").out, "2\n");
}

TEST_F(SourcesCommand, SavesOfDifferentLibrariesGoToAFolderEach) {
    const std::string a = save("A.SAVF", SourceSaves::build("ALPHA", {{"QSRC", "ONE", "TXT", {"a"}}}, 0));
    const std::string b = save("B.SAVF", SourceSaves::build("BETA", {{"QSRC", "TWO", "TXT", {"b"}}}, kDay));
    const fs::path repo = folder_ / "repo";
    Run run = sources("--git " + quoted(a) + " " + quoted(b) + " --to " + quoted(repo));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(git(repo, "ls-files").out,
              "alpha/.quelvane/members.json\nalpha/iproj.json\nalpha/qsrc/.ibmi.json\nalpha/qsrc/one.txt\n"
              "beta/.quelvane/members.json\nbeta/iproj.json\nbeta/qsrc/.ibmi.json\nbeta/qsrc/two.txt\n");
    EXPECT_EQ(jsonAt(repo / "beta" / "iproj.json", "['objlib']"), "\"BETA\"\n");
}

}  // namespace
}  // namespace quelvane::test
