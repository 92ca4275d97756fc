#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "savefile/CatalogTree.h"
#include "savefile/FileBlockSource.h"
#include "tests/savefile/ReaderFixture.h"
#include "tests/support/RealFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

fs::path savfDirectory() {
    return fs::path(QUELVANE_SAVF_DIR);
}

#define SKIP_WITHOUT_SAVF() QUELVANE_REQUIRE_REAL_FILE(savfDirectory())

std::vector<std::uint8_t> readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

struct Opened {
    ReaderFixture fixture;
    int result = 0;
    ParseReport report;
};

std::unique_ptr<Opened> openReal(const std::string& name) {
    auto opened = std::make_unique<Opened>();
    std::string path = (savfDirectory() / name).string();
    opened->fixture.catalog.segments.reset();
    SaveFileReader reader(opened->fixture.catalog, opened->fixture.converter, opened->fixture.notifier);
    opened->result = reader.parseSaveFile(path).accepted ? 0 : -1;
    opened->report = reader.report();
    return opened;
}

const SavedObject* findObject(const Catalog& catalog, const std::string& name, std::uint16_t typeCode) {
    for (const auto& part : catalog.parts) {
        for (std::int32_t j = 0; j < part.library.objectCount; ++j) {
            const SavedObject& object = part.library.objects.at(static_cast<std::size_t>(j));
            if (object.name == name && object.typeCode == typeCode) {
                return &object;
            }
        }
    }
    return nullptr;
}

std::string members(const SavedObject& object) {
    std::string out;
    for (std::int32_t k = 0; k < object.memberCount; ++k) {
        const SavedMember& m = object.members.at(static_cast<std::size_t>(k));
        out += m.name + "(" + m.type + "," + std::to_string(m.recordCount) + ") ";
    }
    return out;
}

// Every file the manifest names opens as it should: taken with its whole catalog and tree, or
// stopped where and why the file makes it stop. A file without a row here fails, so a new file
// gets its expected outcome.
TEST(RealSaveFiles, EveryFileOpens) {
    SKIP_WITHOUT_SAVF();
    enum class Outcome { Complete, HeaderTooOld, SegmentNotExpanded };
    struct Expected {
        Outcome outcome;
        const char* detail;  // how the stop's own text begins
    };
    const std::map<std::string, Expected> expected = {
        {"VCF_VCFV1R0.SAVF", {Outcome::Complete, ""}},
        {"FLSEARCH.SAVF", {Outcome::Complete, ""}},
        {"JTT_ddmtestsav.savf", {Outcome::Complete, ""}},
        {"JTT_javaprime.savf", {Outcome::Complete, ""}},
        {"JTT_w95lib.savf", {Outcome::Complete, ""}},
        {"UZ_smtp136.savf", {Outcome::Complete, ""}},
        {"OSSX_hats.savf", {Outcome::Complete, ""}},
        {"ANSI_ARCHLIB_v2.FILE", {Outcome::Complete, ""}},
        {"ANSI_MYSAVF.FILE", {Outcome::Complete, ""}},
        {"JTT_joblogtest.savf", {Outcome::Complete, ""}},
        {"P4_EKO.SAVF", {Outcome::Complete, ""}},
        {"UZ_wcount25i.savf", {Outcome::Complete, ""}},
        {"CSCH@009.SAVF", {Outcome::Complete, ""}},
        {"GURI_demodb.savf", {Outcome::Complete, ""}},
        {"ANSI_QSI70931.FILE", {Outcome::Complete, ""}},
        {"UZ_zlib123.savf", {Outcome::Complete, ""}},
        {"JTT_rmlib.savf", {Outcome::Complete, ""}},
        {"ANSI_QSI70544.FILE", {Outcome::Complete, ""}},
        {"GURI_ofdemo.savf", {Outcome::Complete, ""}},
        {"NOX_release_2022-07-07.savf", {Outcome::Complete, ""}},
        {"UZ_htp_510.savf", {Outcome::Complete, ""}},
        {"UZ_analog411i.savf", {Outcome::Complete, ""}},
        {"ISPH_ISPHERE_2015-05-06_51507f.savf", {Outcome::Complete, ""}},
        // Its last LZ1 chunk runs into the stream's last 16 bytes, which block 0 keeps.
        {"ISPH_ISPHERE_2015-02-08_617fe9.savf", {Outcome::Complete, ""}},
        {"SKS_traceroute.savf", {Outcome::Complete, ""}},
        {"CSCH@002_v1.SAVF", {Outcome::Complete, ""}},
        {"UZ_csv_2-14.savf", {Outcome::Complete, ""}},
    };
    std::ifstream manifest(savfDirectory() / "MANIFEST.tsv");
    std::string row;
    std::getline(manifest, row);
    std::size_t rows = 0;
    while (std::getline(manifest, row)) {
        const std::string name = row.substr(0, row.find('\t'));
        SCOPED_TRACE(name);
        ++rows;
        const auto want = expected.find(name);
        ASSERT_NE(want, expected.end()) << "no expected outcome for " << name;
        auto opened = openReal(name);
        const ParseReport& report = opened->report;
        switch (want->second.outcome) {
            case Outcome::Complete:
                ASSERT_EQ(opened->result, 0);
                EXPECT_TRUE(report.complete()) << report.text();
                EXPECT_TRUE(buildCatalogTree(opened->fixture.catalog).complete);
                break;
            case Outcome::HeaderTooOld:
                EXPECT_LT(opened->result, 0);
                EXPECT_FALSE(report.accepted);
                ASSERT_FALSE(opened->fixture.notifier.texts().empty());
                EXPECT_NE(opened->fixture.notifier.texts().back().find("Header too old"), std::string::npos);
                break;
            case Outcome::SegmentNotExpanded:
                ASSERT_EQ(opened->result, 0);
                EXPECT_EQ(report.stop, ParseReport::Stop::SegmentNotExpanded);
                EXPECT_EQ(report.detail.rfind(want->second.detail, 0), 0u) << report.detail;
                // Everything but the data that does not expand is read, the file it belongs to too.
                EXPECT_TRUE(buildCatalogTree(opened->fixture.catalog).complete);
                EXPECT_EQ(opened->fixture.catalog.parts.size(), 2u);
                ASSERT_NE(findObject(opened->fixture.catalog, "XFNDSTRS", 0x1901), nullptr);
                EXPECT_EQ(findObject(opened->fixture.catalog, "XFNDSTRS", 0x1901)->attribute, "PF");
                break;
        }
    }
    EXPECT_EQ(rows, expected.size());
}

TEST(RealSaveFiles, VcfLibrary) {
    SKIP_WITHOUT_SAVF();
    auto opened = openReal("VCF_VCFV1R0.SAVF");
    ASSERT_EQ(opened->result, 0);
    const Catalog& catalog = opened->fixture.catalog;
    EXPECT_TRUE(opened->fixture.notifier.entries.empty());
    EXPECT_EQ(catalog.header.systemText, "150 9401");
    EXPECT_EQ(catalog.header.headerSize, 512);
    EXPECT_EQ(catalog.header.blockCount, 2449);
    EXPECT_NE(catalog.header.saveCommand, 1);
    ASSERT_EQ(catalog.parts.size(), 1u);
    EXPECT_EQ(catalog.parts[0].name, "VCF");

    const SavedObject* clsrc = findObject(catalog, "QCLSRC", 0x1901);
    ASSERT_NE(clsrc, nullptr);
    EXPECT_EQ(clsrc->attribute, "PF");
    EXPECT_EQ(members(*clsrc), "VCFSTUB(CLP,6) VOTESTUB(CLP,6) ADDGBSTUB(CLP,6) READGBSTUB(CLP,6) ");
    EXPECT_EQ(clsrc->members.at(0).text, "Launcher stub for VCF Exhibitor Menu");
    EXPECT_EQ(clsrc->recordLength, 92);

    const SavedObject* voting = findObject(catalog, "VOTINGDB", 0x1901);
    ASSERT_NE(voting, nullptr);
    EXPECT_EQ(voting->fieldCount, 3);
    EXPECT_EQ(members(*voting), "VOTINGDB(,10) ");
    EXPECT_EQ(voting->text, "Databse to hold voting records");

    ASSERT_NE(findObject(catalog, "ADMMAIN", 0x0E03), nullptr);
    EXPECT_EQ(objectTypeText(*findObject(catalog, "ADMMAIN", 0x0E03)), "MSGF");
}

TEST(RealSaveFiles, LibrariesAndMembers) {
    SKIP_WITHOUT_SAVF();
    struct Case {
        const char* file;
        std::size_t parts;
        const char* library;
        std::int32_t headerSize;
        const char* object;
        std::uint16_t typeCode;
        const char* members;
    };
    const Case cases[] = {
        {"FLSEARCH.SAVF", 2, "FLSEARCH", 4096, "QSRC", 0x1901, "SUBFDSPD02(DSPF,54) SUBFDSPR02(C,269) "},
        {"UZ_smtp136.savf", 2, "SMTP", 512, "QCMDSRC", 0x1901, "SNDM(CMD,72) SNDMHLP(PNLGRP,382) "},
        {"UZ_zlib123.savf", 2, "ZLIB", 4096, "QCLSRC", 0x1901,
         "UNZIPCLP(CLLE,94) ZIPCLP(CLLE,109) DSPZIPCLP(CLLE,71) "},
        {"JTT_rmlib.savf", 2, "RMLIB", 4096, "TESTDQ", 0x0A01, ""},
        {"JTT_ddmtestsav.savf", 2, "DDMTESTSAV", 4096, "FIELDS2", 0x1901, "FIELDS2(,24) "},
        {"JTT_javaprime.savf", 1, "JAVAPRIME", 512, "SMPDBCSJAP", 0x1901, "SIMPLEDBCS(,0) "},
        {"OSSX_hats.savf", 2, "HATS", 4096, "PRODUCTS", 0x1901, "PRODUCTS(,17) "},
        {"JTT_w95lib.savf", 2, "W95LIB", 4096, "CLEANUP", 0x0201, ""},
        {"UZ_csv_2-14.savf", 2, "CSV", 512, "SOURCE", 0x1901,
         "CRTCSVF(CMD,57) CRTCSVFHLP(PNLGRP,400) CRTCSVFCLP(CLP,56) CRTCSVFRPG(RPGLE,1099) MAKE(REXX,56) "
         "BENCH(CLP,24) "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        auto opened = openReal(c.file);
        ASSERT_EQ(opened->result, 0);
        const Catalog& catalog = opened->fixture.catalog;
        EXPECT_TRUE(opened->fixture.notifier.entries.empty());
        EXPECT_EQ(catalog.parts.size(), c.parts);
        ASSERT_FALSE(catalog.parts.empty());
        EXPECT_EQ(catalog.parts[0].name, c.library);
        EXPECT_EQ(catalog.header.headerSize, c.headerSize);
        const SavedObject* object = findObject(catalog, c.object, c.typeCode);
        ASSERT_NE(object, nullptr) << c.object;
        EXPECT_EQ(members(*object), c.members);
    }
}

// W95LIB's programs of 1995 carry a description longer than the 1024 bytes first read (a
// fourth item of 1430 bytes, read by hand at SETUP's description): the objects after them, the
// save file PROGS (its attribute "SAVF" is in the file once) and the second part's files, with
// README among them, are all read.
TEST(RealSaveFiles, LongDescriptionsDoNotEndTheCatalog) {
    SKIP_WITHOUT_SAVF();
    auto opened = openReal("JTT_w95lib.savf");
    ASSERT_EQ(opened->result, 0);
    const Catalog& catalog = opened->fixture.catalog;
    const SavedObject* setup = findObject(catalog, "SETUP", 0x0201);
    ASSERT_NE(setup, nullptr);
    EXPECT_FALSE(setup->attribute.empty());
    const SavedObject* progs = findObject(catalog, "PROGS", 0x1901);
    ASSERT_NE(progs, nullptr);
    EXPECT_EQ(progs->attribute, "SAVF");
    ASSERT_EQ(catalog.parts.size(), 2u);
    const SavedLibrary& second = catalog.parts[1].library;
    EXPECT_TRUE(std::any_of(second.objects.begin(), second.objects.begin() + second.objectCount,
                            [](const SavedObject& o) { return o.name == "README" && o.attribute == "PF"; }));
}

std::string memberDetails(const SavedObject& object) {
    std::string out;
    for (const SavedMember& m : object.members) {
        out += m.name + "(" + m.type + "," + std::to_string(m.recordCount) + "," +
               (m.created ? m.created->text() : "-") + "," + (m.changed ? m.changed->text() : "-") + ")\n";
    }
    return out;
}

// The oldest layout (11 00 11 00 in block 0), checked by hand against the bytes: the walk
// 1-10-26-32, the descriptor in block 2, 192-byte member entries whose counts equal the
// records in each member's segment. Before, these files were refused as too old.
TEST(RealSaveFiles, OldestLayoutJobLogTest) {
    SKIP_WITHOUT_SAVF();
    auto opened = openReal("JTT_joblogtest.savf");
    ASSERT_EQ(opened->result, 0);
    const Catalog& catalog = opened->fixture.catalog;
    EXPECT_TRUE(opened->fixture.notifier.entries.empty());
    EXPECT_TRUE(catalog.header.oldestLayout);
    EXPECT_EQ(catalog.header.systemText, "9406 D80");
    EXPECT_EQ(catalog.header.saveCommand, 2);
    EXPECT_EQ(catalog.header.details.serialNumber, "1000731");
    EXPECT_EQ(catalog.header.details.savedAt->text(), "2000-02-23 13:02:47");
    EXPECT_FALSE(catalog.header.details.savingReleaseCode);
    EXPECT_EQ(catalog.header.details.objectReleases, std::vector<std::string>{"V3R2M0"});
    ASSERT_EQ(catalog.parts.size(), 1u);
    EXPECT_EQ(catalog.parts[0].library.name, "JOBLOGTEST");
    ASSERT_EQ(catalog.parts[0].library.objectCount, 3);
    ASSERT_EQ(catalog.segments.fillCount(), 3);
    EXPECT_EQ(catalog.segments.slot(1).sequence, 11);
    EXPECT_EQ(catalog.segments.slot(2).sequence, 27);
    EXPECT_EQ(catalog.segments.slot(2).recordDistance, 3);

    const SavedObject* program = findObject(catalog, "SNDMSGS", 0x0201);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(program->attribute, "CLP");
    EXPECT_EQ(program->text, "Send program messages for joblog tests");
    EXPECT_EQ(program->details.size, 7680);
    EXPECT_EQ(program->details.sourceFile, "QCLSRC");
    EXPECT_EQ(program->details.createdOnSystem, "RCHASLKB");
    const SavedObject* source = findObject(catalog, "QCLSRC", 0x1901);
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->recordLength, 92);
    EXPECT_EQ(source->fieldCount, 3);
    EXPECT_EQ(memberDetails(*source), "SNDMSGS(CLP,6,2000-02-19 21:36:53,2000-02-23 11:56:41)\n");
    EXPECT_EQ(source->members.at(0).text, "Send program messages for joblog tests");
}

// Walk 1-18-249-416-475-708-727-744-775-783-813; every member's count equals its records.
TEST(RealSaveFiles, OldestLayoutTraceroute) {
    SKIP_WITHOUT_SAVF();
    auto opened = openReal("SKS_traceroute.savf");
    ASSERT_EQ(opened->result, 0);
    const Catalog& catalog = opened->fixture.catalog;
    EXPECT_TRUE(opened->fixture.notifier.entries.empty());
    EXPECT_EQ(catalog.header.systemText, "9402 200");
    EXPECT_EQ(catalog.header.details.serialNumber, "10561BA");
    ASSERT_EQ(catalog.parts.size(), 1u);
    EXPECT_EQ(catalog.parts[0].library.name, "TRACEROUTE");
    ASSERT_EQ(catalog.parts[0].library.objectCount, 2);
    EXPECT_EQ(catalog.segments.fillCount(), 10);
    EXPECT_EQ(catalog.segments.slot(9).sequence, 784);
    const SavedObject* library = findObject(catalog, "TRACEROUTE", 0x0401);
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(library->attribute, "PROD");
    EXPECT_EQ(library->details.owner, "GOODGUYS");
    EXPECT_EQ(library->details.creator, "KLEMSCOT");
    const SavedObject* source = findObject(catalog, "SOURCE", 0x1901);
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->text, "Source for TRACEROUTE project");
    EXPECT_EQ(source->recordLength, 112);
    EXPECT_EQ(memberDetails(*source),
              "SOCKET_H(RPGLE,1024,2001-01-11 17:12:09,2001-01-11 17:37:46)\n"
              "SOCKUTILR4(RPGLE,736,2001-01-11 17:12:27,2001-01-11 17:44:28)\n"
              "SOCKUTIL_H(RPGLE,245,2001-01-11 17:12:34,2001-01-11 17:38:39)\n"
              "TRACERTR4(RPGLE,1034,2001-01-11 17:12:46,2001-01-11 17:44:46)\n"
              "TRACEROUTE(CMD,66,2001-01-11 17:14:00,2001-01-11 17:31:02)\n"
              "TRACERTS(DSPF,57,2001-01-11 17:14:48,2001-01-11 17:33:14)\n"
              "BUILDME(CLP,120,2001-01-11 17:15:15,2001-02-22 16:12:55)\n"
              "SOCKUTILEX(BND,16,2001-01-11 18:13:35,2001-01-11 18:13:36)\n"
              "README(TXT,112,2001-01-11 18:25:34,2001-01-11 19:10:27)\n");
}

// Every prefix of a real file, its block counts made to agree so the walk runs, opens without
// harm. Big files are cut at a few hundred places.
TEST(RealSaveFiles, TruncationSweep) {
    SKIP_WITHOUT_SAVF();
    for (const char* name :
         {"VCF_VCFV1R0.SAVF", "FLSEARCH.SAVF", "JTT_rmlib.savf", "P4_EKO.SAVF", "SKS_traceroute.savf"}) {
        SCOPED_TRACE(name);
        std::vector<std::uint8_t> bytes = readAll(savfDirectory() / name);
        ASSERT_FALSE(bytes.empty());
        std::int64_t blocks = static_cast<std::int64_t>(bytes.size()) / 528;
        std::int64_t step = std::max<std::int64_t>(1, blocks / 300);
        for (std::int64_t keep = 1; keep <= blocks; keep += step) {
            std::vector<std::uint8_t> cut = truncatedTo(bytes, keep);
            ReaderFixture fixture;
            ASSERT_EQ(fixture.open(cut), 0) << keep;
            buildCatalogTree(fixture.catalog);
        }
    }
}

}  // namespace
}  // namespace quelvane::test
