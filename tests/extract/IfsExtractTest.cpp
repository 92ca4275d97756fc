#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/extract/ExtractFixture.h"
#include "tests/support/IfsSaveBuilder.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

// Per entry of catalog.json's integrated file system: path, type, size, owner, CCSID, modified
// time and the file written (or the error), tab-separated; then the entry count and the save
// command.
constexpr const char* kListEntries = R"(import json, sys
catalog = json.load(open(sys.argv[1], encoding="utf-8"))
entries = catalog["integratedFileSystem"]["entries"]
for e in entries:
    print("\t".join(str(e.get(k, "-")) for k in
                    ("path", "type", "size", "owner", "ccsid", "modified", "file", "error")))
print(len(entries), "entries")
print("saved by", catalog["save"]["saveCommand"])
)";

// Regular files below `folder`, by their names' endings.
struct FileCounts {
    std::size_t files = 0;
    std::size_t gifs = 0;
    std::size_t gifsEndingOnTrailer = 0;
    std::size_t htmls = 0;
    std::size_t htmlsEndingOnClose = 0;
};

class IfsExtract : public ExtractFixture {
  protected:
    static FileCounts countFiles(const fs::path& folder) {
        FileCounts counts;
        for (const auto& item : fs::recursive_directory_iterator(folder)) {
            if (!item.is_regular_file() || item.path().filename() == "catalog.json") {
                continue;
            }
            ++counts.files;
            const std::string name = item.path().filename().string();
            const std::string bytes = slurp(item.path());
            if (name.ends_with(".gif")) {
                ++counts.gifs;
                counts.gifsEndingOnTrailer += bytes.ends_with('\x3B');
            }
            if (name.ends_with(".html")) {
                ++counts.htmls;
                counts.htmlsEndingOnClose += bytes.ends_with("</html>\r\n") || bytes.ends_with("</HTML>\r\n");
            }
        }
        return counts;
    }
};

void writeSave(const fs::path& path, const IfsImage& image) {
    const Bytes bytes = image.complete();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Names that would leave the folder are refused and listed as not written; everything written
// stays below the folder.
TEST_F(IfsExtract, HostileNamesStayOutAndAreListedAsNotWritten) {
    IfsImage image = sampleImage("/site", {{"index.html", false, 11, kDataA},
                                           {"..", false, 4, kDataB},
                                           {"sub", true, 0, {}},
                                           {"a/../../escape", false, 4, kDataB}});
    image.data(kDataA, "<html>.</ht", 4096);
    image.data(kDataB, "evil", 4096);
    const fs::path save = folder_ / "IFS.SAVF";
    writeSave(save, image);
    const fs::path out = folder_ / "out" / "inner";
    Run run = cli("extract " + quoted(save.string()) + " --to " + quoted(out.string()));
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("unsafe name"), std::string::npos) << run.err;
    EXPECT_EQ(slurp(out / "site" / "index.html"), "<html>.</ht");
    EXPECT_TRUE(fs::is_directory(out / "site" / "sub"));
    std::size_t written = 0;
    for (const auto& item : fs::recursive_directory_iterator(folder_)) {
        written += item.is_regular_file() && item.path().parent_path() != folder_;
    }
    EXPECT_EQ(written, 2u);  // index.html and catalog.json
    const std::string listed = python(kListEntries, quoted((out / "catalog.json").string()));
    EXPECT_EQ(listed,
              "/site/index.html\t*STMF\t11\tTCPIP\t819\t2000-05-27T03:51:09\tsite/index.html\t-\n"
              "/site/..\t*STMF\t4\tTCPIP\t819\t2000-05-27T03:51:09\t-\tnot written\n"
              "/site/sub\t*DIR\t-\tTCPIP\t819\t2000-05-27T03:51:09\tsite/sub\t-\n"
              "/site/a/../../escape\t*STMF\t4\tTCPIP\t819\t2000-05-27T03:51:09\t-\tnot written\n"
              "4 entries\nsaved by SAV\n");
}

// A stream file at the top named like the catalog is refused rather than lost under it.
TEST_F(IfsExtract, AnEntryNamedLikeTheCatalogIsNotWrittenOverIt) {
    IfsImage image = sampleImage("/", {{"catalog.json", false, 4, kDataB}, {"page.html", false, 11, kDataA}});
    image.data(kDataA, "<html>.</ht", 4096);
    image.data(kDataB, "evil", 4096);
    const fs::path save = folder_ / "ROOT.SAVF";
    writeSave(save, image);
    const fs::path out = folder_ / "out";
    Run run = cli("extract " + quoted(save.string()) + " --to " + quoted(out.string()));
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("/catalog.json: its name is the catalog's"), std::string::npos) << run.err;
    EXPECT_EQ(slurp(out / "page.html"), "<html>.</ht");
    const std::string listed = python(kListEntries, quoted((out / "catalog.json").string()));
    EXPECT_NE(listed.find("/catalog.json\t*STMF\t4\tTCPIP\t819\t2000-05-27T03:51:09\t-\tnot written\n"),
              std::string::npos)
        << listed;
}

// Entries whose names clash, with each other or with the catalog, and a saved directory that
// cannot be read: nothing is lost or overwritten without a word. Per case the files written
// (relative path and bytes), what stderr says, and what catalog.json lists.
TEST_F(IfsExtract, ClashingAndDamagedEntriesAreRenamedOrReported) {
    struct Case {
        const char* what;
        std::string directory;
        std::vector<Link> links;
        int status;
        std::vector<std::string> said;
        std::vector<std::pair<std::string, std::string>> files;
        std::vector<std::string> listed;  // lines of kListEntries' output
    };
    const Case cases[] = {
        {"the same path twice",
         "/site",
         {{"a.gif", false, 4, kDataA},
          {"a.gif", false, 4, kDataB},
          {"README", false, 4, kDataA},
          {"README", false, 4, kDataB}},
         0,
         {"note: /site/a.gif: written as site/a_2.gif\n", "note: /site/README: written as site/README_2\n"},
         {{"site/a.gif", "AAAA"},
          {"site/a_2.gif", "BBBB"},
          {"site/README", "AAAA"},
          {"site/README_2", "BBBB"}},
         {"/site/a.gif\t*STMF\t4\tTCPIP\t819\t2000-05-27T03:51:09\tsite/a.gif\t-",
          "/site/a.gif\t*STMF\t4\tTCPIP\t819\t2000-05-27T03:51:09\tsite/a_2.gif\t-"}},
        {"the catalog's old temporary name",
         "/",
         {{"catalog.json.quelvane-part", false, 4, kDataB}},
         0,
         {},
         {{"catalog.json.quelvane-part", "BBBB"}},
         {"/catalog.json.quelvane-part\t*STMF\t4\tTCPIP\t819\t2000-05-27T03:51:09\tcatalog.json.quelvane-"
          "part\t-"}},
        {"below a folder named like the catalog",
         "/catalog.json",
         {{"x", false, 4, kDataB}},
         3,
         {"/catalog.json/x: its name is the catalog's\n"},
         {},
         {"/catalog.json/x\t*STMF\t4\tTCPIP\t819\t2000-05-27T03:51:09\t-\tnot written"}},
        {"a NUL in a name",
         "/site",
         {{std::string("RE\0AD", 5), false, 4, kDataB}},
         3,
         {"/site/RE\\x00AD: unsafe name, not extracted\n"},
         {},
         {}},
        {"a directory of an unsafe path",
         "/site/../up",
         {{"a.gif", false, 4, kDataA}},
         3,
         {"the directory of the integrated file system: directory with an unsafe path"},
         {},
         {"0 entries"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IfsImage image = sampleImage(c.directory, c.links);
        image.data(kDataA, "AAAA", 4096);
        image.data(kDataB, "BBBB", 4096);
        const fs::path save = folder_ / "CLASH.SAVF";
        writeSave(save, image);
        const fs::path out = folder_ / "out";
        fs::remove_all(out);
        Run run = cli("extract " + quoted(save.string()) + " --to " + quoted(out.string()));
        EXPECT_EQ(run.status, c.status) << run.err;
        for (const std::string& said : c.said) {
            EXPECT_NE(run.err.find(said), std::string::npos) << said << "\n" << run.err;
        }
        std::size_t files = 0;
        for (const auto& item : fs::recursive_directory_iterator(out)) {
            files += item.is_regular_file() && item.path().filename() != "catalog.json";
        }
        EXPECT_EQ(files, c.files.size());
        for (const auto& [file, bytes] : c.files) {
            EXPECT_EQ(slurp(out / file), bytes) << file;
        }
        ASSERT_TRUE(fs::is_regular_file(out / "catalog.json"));
        const std::string listed = python(kListEntries, quoted((out / "catalog.json").string()));
        for (const std::string& line : c.listed) {
            EXPECT_NE(listed.find(line + "\n"), std::string::npos) << line << "\n" << listed;
        }
    }
}

// Both real saves of the integrated file system, one stored and one compressed, extract every
// stream file whole: each GIF ends on its trailer byte, each HTML page on its closing tag. The
// counts, Count.html's attributes (its LNK record at 0x231A, sections at 0x25DB) and latest.gif's
// bytes (stored whole at 0x8A720) were read off the files by hand.
TEST_F(IfsExtract, RealSavesExtractEveryStreamFileByteForByte) {
    struct Case {
        const char* file;
        std::size_t entries;
        std::size_t streamFiles;
        std::size_t gifs;
        std::size_t htmls;
    };
    const Case cases[] = {
        {"UZ_wcount25i.savf", 55, 43, 35, 6},
        {"UZ_analog411i.savf", 221, 218, 60, 49},
    };
    for (const Case& c : cases) {
        const fs::path saveFile = fs::path(QUELVANE_SAVF_DIR) / c.file;
        if (!fs::exists(saveFile)) {
            GTEST_SKIP() << "real save files not present";
        }
        const fs::path out = folder_ / c.file;
        Run run = cli("extract " + quoted(saveFile.string()) + " --to " + quoted(out.string()));
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        const FileCounts counts = countFiles(out);
        EXPECT_EQ(counts.files, c.streamFiles) << c.file;
        EXPECT_EQ(counts.gifs, c.gifs) << c.file;
        EXPECT_EQ(counts.gifsEndingOnTrailer, c.gifs) << c.file;
        EXPECT_EQ(counts.htmls, c.htmls) << c.file;
        EXPECT_EQ(counts.htmlsEndingOnClose, c.htmls) << c.file;
        const std::string listed = python(kListEntries, quoted((out / "catalog.json").string()));
        EXPECT_TRUE(listed.ends_with("\n" + std::to_string(c.entries) + " entries\nsaved by SAV\n"))
            << c.file;
        EXPECT_EQ(listed.find("not written"), std::string::npos) << c.file;
    }
    const fs::path wcount = folder_ / "UZ_wcount25i.savf";
    const std::string listed = python(kListEntries, quoted((wcount / "catalog.json").string()));
    EXPECT_NE(listed.find("/wcount/Count.html\t*STMF\t106347\tTCPIP\t942\t2000-05-27T03:51:09\t"
                          "wcount/Count.html\t-\n"),
              std::string::npos)
        << listed;
    EXPECT_EQ(fs::file_size(wcount / "wcount" / "Count.html"), 106347u);
    const std::string latest = slurp(wcount / "wcount" / "Count2.5" / "images" / "latest.gif");
    ASSERT_EQ(latest.size(), 83u);
    EXPECT_TRUE(latest.starts_with("GIF87a"));
    EXPECT_EQ(latest.back(), '\x3B');
}

}  // namespace
}  // namespace quelvane::test
