#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "savefile/DetailText.h"
#include "savefile/DetailsReader.h"
#include "savefile/EbcdicField.h"
#include "savefile/ReleaseCode.h"
#include "savefile/SavedTimestamp.h"
#include "tests/savefile/ReaderFixture.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> hexBytes(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

std::string stampText(const std::optional<SavedTimestamp>& stamp) {
    return stamp ? stamp->text() : "(none)";
}

TEST(SavedTimestampTest, ClockValues) {
    struct Case {
        const char* hex;
        const char* expected;
    };
    const Case cases[] = {
        // Library descriptor clocks of two real saves, decoded by hand.
        {"a50191a6c9c39001", "2020-08-17 22:31:41"},
        {"83bd64f2f44a0000", "2002-01-31 11:27:17"},
        {"0000000000000000", "(none)"},
        // A few microseconds after the zero point: the integrated-file-system descriptor's bytes.
        {"0000000000a8b000", "(none)"},
        {"ffffffffffffffff", "(none)"},
        {"a50191a6c9c390", "(none)"},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes = hexBytes(c.hex);
        EXPECT_EQ(stampText(SavedTimestamp::fromClock(bytes)), c.expected) << c.hex;
    }
}

TEST(SavedTimestampTest, DigitValues) {
    struct Case {
        const char* digits;
        const char* expected;
    };
    const Case cases[] = {
        {"1200817223106", "2020-08-17 22:31:06"},
        {"0991120170027", "1999-11-20 17:00:27"},
        {"1240229000000", "2024-02-29 00:00:00"},
        {"1230229000000", "(none)"},
        {"2200817223106", "(none)"},
        {"1201317223106", "(none)"},
        {"1200817243106", "(none)"},
        {"1200817226006", "(none)"},
        {"12008172231 6", "(none)"},
        {"120081722310", "(none)"},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes = SaveFileBuilder::ebcdic(c.digits, std::string(c.digits).size());
        EXPECT_EQ(stampText(SavedTimestamp::fromDigits(bytes)), c.expected) << c.digits;
    }
}

TEST(SavedTimestampTest, UnixValues) {
    EXPECT_EQ(stampText(SavedTimestamp::fromUnix(959431125, 0)), "2000-05-27 12:38:45");
    EXPECT_EQ(stampText(SavedTimestamp::fromUnix(0, 0)), "(none)");
    EXPECT_EQ(stampText(SavedTimestamp::fromUnix(959431125, 1000000)), "(none)");
}

TEST(ReleaseCodeTest, KnownAndUnknownCodes) {
    EXPECT_EQ(releaseName(0x4600), "V7R4");
    EXPECT_EQ(releaseName(0x4705), "V7R5");
    EXPECT_EQ(releaseName(0x3800), "V5R1");
    EXPECT_EQ(releaseName(0x2000), std::nullopt);
    EXPECT_EQ(releaseName(0x4700), std::nullopt);
}

TEST(OptionalFieldTest, UnsetAndControlBytesGiveNothing) {
    Cp037Converter converter;
    const std::vector<std::uint8_t> blanks(8, 0x40);
    const std::vector<std::uint8_t> zeros(8, 0x00);
    const std::vector<std::uint8_t> mixed = {0x00, 0x40, 0xF1, 0xF0, 0xF4, 0xF1, 0xE3};
    EXPECT_EQ(optionalField(converter, blanks), std::nullopt);
    EXPECT_EQ(optionalField(converter, zeros), std::nullopt);
    EXPECT_EQ(optionalField(converter, mixed), std::nullopt);
    EXPECT_EQ(optionalField(converter, SaveFileBuilder::ebcdic("QA", 8)), "QA");
}

// A description after its (empty) text: creation record, then creator record.
std::vector<std::uint8_t> description(std::int32_t creationLength, std::int32_t creatorLength,
                                      std::size_t creationBytes, std::size_t creatorBytes) {
    std::vector<std::uint8_t> out(4, 0);
    out.resize(8, 0);
    SaveFileBuilder::putU32(out, 4, static_cast<std::uint32_t>(creationLength));
    std::vector<std::uint8_t> creation(creationBytes, 0x40);
    SaveFileBuilder::putBytes(creation, 0, SaveFileBuilder::ebcdic("5722SS1V5R1M0009", 16));
    if (creationBytes >= 105) {
        SaveFileBuilder::putBytes(creation, 43, SaveFileBuilder::ebcdic("V5R1M01010919115240", 19));
        SaveFileBuilder::putBytes(creation, 62, SaveFileBuilder::ebcdic("1010919115155", 13));
        SaveFileBuilder::putBytes(creation, 75, SaveFileBuilder::ebcdic("QDDSSRC   ALLTYPESF QGPL", 30));
    }
    out.insert(out.end(), creation.begin(), creation.end());
    std::size_t at = out.size();
    out.resize(at + 4, 0);
    SaveFileBuilder::putU32(out, at, static_cast<std::uint32_t>(creatorLength));
    std::vector<std::uint8_t> creator = SaveFileBuilder::ebcdic("JAVACTL   RCHASDM3", creatorBytes);
    out.insert(out.end(), creator.begin(), creator.end());
    return out;
}

TEST(DetailsReaderTest, DescriptionRecordsAndTheirDamagedForms) {
    struct Case {
        const char* name;
        std::int32_t creationLength;
        std::int32_t creatorLength;
        std::size_t creationBytes;
        std::size_t creatorBytes;
        const char* expected;
    };
    const Case cases[] = {
        {"whole", 168, 18, 168, 18,
         "created 2001-09-19 11:52:40 by JAVACTL on RCHASDM3, release V5R1M0, licensed program "
         "5722SS1V5R1M0009, source QGPL/QDDSSRC(ALLTYPESF) changed 2001-09-19 11:51:55"},
        {"short creation record", 20, 18, 20, 18, "licensed program 5722SS1V5R1M0009"},
        {"creator record cut", 168, 12, 168, 12,
         "created 2001-09-19 11:52:40 by JAVACTL, release V5R1M0, licensed program 5722SS1V5R1M0009, "
         "source QGPL/QDDSSRC(ALLTYPESF) changed 2001-09-19 11:51:55"},
        {"creation length past the end", 5000, 18, 168, 18, ""},
        {"negative creation length", -4, 18, 168, 18, ""},
        {"creator length past the end", 168, 400, 168, 18,
         "created 2001-09-19 11:52:40, release V5R1M0, licensed program 5722SS1V5R1M0009, "
         "source QGPL/QDDSSRC(ALLTYPESF) changed 2001-09-19 11:51:55"},
    };
    Cp037Converter converter;
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes =
            description(c.creationLength, c.creatorLength, c.creationBytes, c.creatorBytes);
        ObjectDetails details;
        DetailsReader(converter).readDescription(BigEndianReader(bytes), 4, details);
        EXPECT_EQ(objectDetailText(details), c.expected) << c.name;
    }
    ObjectDetails none;
    std::vector<std::uint8_t> tiny = {0, 0};
    DetailsReader(converter).readDescription(BigEndianReader(tiny), 4, none);
    EXPECT_EQ(objectDetailText(none), "");
}

TEST(DetailsReaderTest, DirectoryEntrySizeOnlyForObjectsThatAreNotFiles) {
    Cp037Converter converter;
    std::vector<std::uint8_t> entry(151, 0);
    SaveFileBuilder::putBytes(entry, 32, SaveFileBuilder::ebcdic("QSECOFR", 10));
    SaveFileBuilder::putU32(entry, 67, 36864);
    ObjectDetails program;
    DetailsReader(converter).readDirectoryEntry(BigEndianReader(entry), false, program);
    EXPECT_EQ(objectDetailText(program), "owner QSECOFR, 36864 bytes");
    ObjectDetails file;
    DetailsReader(converter).readDirectoryEntry(BigEndianReader(entry), true, file);
    EXPECT_EQ(objectDetailText(file), "owner QSECOFR");
    std::vector<std::uint8_t> cut(40, 0x40);
    ObjectDetails partial;
    DetailsReader(converter).readDirectoryEntry(BigEndianReader(cut), false, partial);
    EXPECT_EQ(objectDetailText(partial), "");
}

TEST(DetailTextTest, SaveLinesLeaveOutWhatIsMissing) {
    SaveDetails details;
    EXPECT_TRUE(saveDetailLines(details).empty());
    details.serialNumber = "102PKFM";
    details.targetReleaseCode = 0x2000;
    EXPECT_EQ(saveDetailLines(details),
              (std::vector<std::string>{"serial 102PKFM", "Target release code 2000"}));
}

// Real saves: values read by hand from the files' bytes.
struct RealDetails {
    const char* file;
    std::vector<std::string> summary;
};

std::unique_ptr<ReaderFixture> openReal(const std::string& name) {
    auto fixture = std::make_unique<ReaderFixture>();
    fixture->catalog.segments.reset();
    SaveFileReader reader(fixture->catalog, fixture->converter, fixture->notifier);
    reader.parseSaveFile((fs::path(QUELVANE_SAVF_DIR) / name).string());
    return fixture;
}

const SavedObject& objectNamed(const Catalog& catalog, const std::string& name) {
    for (const SavedPart& part : catalog.parts) {
        for (const SavedObject& object : part.library.objects) {
            if (object.name == name) {
                return object;
            }
        }
    }
    throw std::out_of_range(name);
}

TEST(RealSaveDetailsTest, SaveTimesSystemsAndReleases) {
    if (!fs::is_directory(QUELVANE_SAVF_DIR)) {
        GTEST_SKIP() << "no real save files";
    }
    const RealDetails cases[] = {
        {"ANSI_MYSAVF.FILE",
         {"Saved 2020-08-17 22:31:41 on system ZYTEST, serial 10C4DAT", "Release V7R4, target release V7R4"}},
        {"FLSEARCH.SAVF",
         {"Saved 2023-07-13 09:10:29 on system QA, serial 217A78V", "Release V7R3, target release V7R3"}},
        {"JTT_rmlib.savf",
         {"Saved 2002-01-31 11:27:17, serial 102PKFM", "Release V5R1, target release V5R1"}},
        {"JTT_w95lib.savf",
         {"Saved 2014-06-10 10:02:14, serial 10921DA", "Release V6R1, target release V6R1"}},
        {"UZ_zlib123.savf",
         {"Saved 2006-02-19 00:32:42, serial 65A949B", "Release code 3905, target release V4R5"}},
        {"JTT_javaprime.savf",
         {"Saved 1997-10-14 11:46:54, serial 10102BA", "Release code 3205, target release code 2000"}},
    };
    for (const RealDetails& c : cases) {
        auto fixture = openReal(c.file);
        EXPECT_EQ(saveDetailLines(fixture->catalog.header.details), c.summary) << c.file;
    }
    auto mysavf = openReal("ANSI_MYSAVF.FILE");
    ASSERT_TRUE(mysavf->catalog.header.details.writtenAt);
    EXPECT_EQ(mysavf->catalog.header.details.writtenAt->text(), "2020-08-17 22:31:41");
}

TEST(RealSaveDetailsTest, ObjectAndMemberDetails) {
    if (!fs::is_directory(QUELVANE_SAVF_DIR)) {
        GTEST_SKIP() << "no real save files";
    }
    auto flsearch = openReal("FLSEARCH.SAVF");
    EXPECT_EQ(objectDetailText(objectNamed(flsearch->catalog, "FLSEARCH").details),
              "owner GANESHH, 73728 bytes, created 2023-07-13 09:07:27 by GANESHH on QA, release V7R3M0");
    const SavedObject& qsrc = objectNamed(flsearch->catalog, "QSRC");
    EXPECT_EQ(objectDetailText(qsrc.details),
              "owner GANESHH, created 2023-07-13 09:07:52 by GANESHH on QA, release V7R3M0");
    ASSERT_EQ(qsrc.members.size(), 2u);
    EXPECT_EQ(memberDetailText(qsrc.members[0]), "created 2023-07-13 09:08:14, changed 2023-06-30 02:39:53");

    auto rmlib = openReal("JTT_rmlib.savf");
    EXPECT_EQ(objectDetailText(objectNamed(rmlib->catalog, "ALLTYPESF").details),
              "owner JAVACTL, created 2001-09-19 11:52:40 by JAVACTL on RCHASDM3, release V5R1M0, licensed "
              "program 5722SS1V5R1M0009, source QGPL/QDDSSRC(ALLTYPESF) changed 2001-09-19 11:51:55");
    EXPECT_EQ(
        objectDetailText(objectNamed(rmlib->catalog, "TESTDQ").details),
        "owner JAVACTL, 8192 bytes, created 2001-09-20 10:48:54 by JAVACTL on RCHASDM3, release V5R1M0");

    auto w95 = openReal("JTT_w95lib.savf");
    EXPECT_EQ(
        objectDetailText(objectNamed(w95->catalog, "CLEANUP").details),
        "owner QDFTOWN, 36864 bytes, created 1996-01-08 11:12:15 by JWEAVER on RCHASDP2, release V3R1M0, "
        "source W95LIB/QCLSRC(CLEANUP) changed 1995-10-20 10:20:53");
}

}  // namespace
}  // namespace quelvane::test
