#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "extract/SaveFileExtractor.h"
#include "savefile/SaveFileReader.h"
#include "tests/extract/ExtractFixture.h"
#include "tests/support/ContentFixtures.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/SaveFileBuilder.h"
#include "tests/support/SaveFileCompressor.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kBlock = 528;
constexpr std::size_t kSegmentNameAt = 4;
constexpr std::size_t kSegmentNameWidth = 10;

// LIB: a data file of one member, a CL program with its source and a data area, saved with
// run-length compression, every segment header on a block of its own.
Bytes compressedSample() {
    BuiltPart part;
    part.library = "LIB";
    BuiltObject file;
    file.name = "DATA";
    file.attribute = "PF";
    file.fields = {{"F", 0x0403, 4, 0, 0}};
    file.members = {{"M1", "", "", 1}};
    part.objects = {file, ContentFixtures::programObject("CLPGM"), ContentFixtures::dataAreaObject("DTA1")};
    BuiltClSource program;
    program.objectName = "CLPGM";
    program.lines = {"PGM   ", "ENDPGM"};
    SaveFileBuilder builder;
    builder.add(part);
    builder.add(ContentFixtures::memberRecords("DATA", "M1", 4, {{0x80, SaveFileBuilder::ebcdic("ROW", 4)}}));
    builder.add(ContentFixtures::clProgram(program));
    builder.add(ContentFixtures::dataArea({"DTA1", 1, 4, 8, 0, 0, SaveFileBuilder::ebcdic("HELLO", 8)}));
    SaveFileCompressor compressor;
    compressor.padToBoundary = true;
    return compressor.compress(builder.build().bytes());
}

// The block offset of the header of segment `name` in a file whose headers start on blocks.
std::size_t segmentHeaderAt(const Bytes& file, const std::string& name) {
    const Bytes marker = {0xFF, 0xFF, 0xFF, 0xFF};
    const Bytes wanted = SaveFileBuilder::ebcdic(name, kSegmentNameWidth);
    for (std::size_t at = 0; at + kBlock <= file.size(); at += kBlock) {
        if (std::equal(marker.begin(), marker.end(), file.begin() + static_cast<std::ptrdiff_t>(at)) &&
            std::equal(wanted.begin(), wanted.end(),
                       file.begin() + static_cast<std::ptrdiff_t>(at + kSegmentNameAt))) {
            return at;
        }
    }
    ADD_FAILURE() << "no segment " << name;
    return 0;
}

using HostileExtract = ExtractFixture;

// A program's or a data area's segment whose coded data cannot be expanded: that object is named
// as not extracted, everything else is written.
TEST_F(HostileExtract, AnObjectWhoseSegmentCannotBeExpandedIsNamedAndTheRestWritten) {
    struct Case {
        std::string segment;
        std::string named;
        bool programWritten;
        bool dataAreasWritten;
    };
    const Case cases[] = {
        {"CLPGM", "LIB/CLPGM: segment CLPGM", false, true},
        {"DTA1", "LIB/DTA1: segment DTA1", true, false},
    };
    for (const Case& c : cases) {
        Bytes file = compressedSample();
        // A run-length control byte of 0 is no code at all.
        file[segmentHeaderAt(file, c.segment) + kBlock] = 0x00;
        const fs::path saveFile = folder_ / (c.segment + ".SAVF");
        std::ofstream(saveFile, std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
        const fs::path out = folder_ / ("out-" + c.segment);
        Run run =
            cli("extract " + quoted(saveFile) + " --to " + quoted(out) + " --ebcdic 37 --pc 1252 --quiet");
        EXPECT_EQ(run.status, 3) << c.segment << "\n" << run.err;
        EXPECT_NE(run.err.find("not extracted: " + c.named), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("run-length data cannot be expanded"), std::string::npos) << run.err;
        EXPECT_EQ(slurp(out / "LIB" / "DATA" / "M1.csv"), "F\r\nROW\r\n") << c.segment;
        EXPECT_EQ(fs::exists(out / "LIB" / "CLPGM.clp"), c.programWritten) << c.segment;
        EXPECT_EQ(fs::exists(out / "LIB" / "dataareas.csv"), c.dataAreasWritten) << c.segment;
        const std::string catalog = slurp(out / "catalog.json");
        EXPECT_NE(catalog.find("run-length data cannot be expanded"), std::string::npos) << catalog;
    }
}

class Quiet final : public ProgressReporter {
  public:
    void progress(std::int64_t, std::int64_t) override {}
    bool cancelled() const override { return false; }
};

// A file cut short, or whose blocks turn to zeros, after its catalog was read: every member whose
// segment is no longer there is named with the reason, none is written empty.
TEST_F(HostileExtract, MembersTheFileNoLongerHoldsAreNamedNotWrittenEmpty) {
    constexpr int kMembers = 50;
    BuiltObject file;
    file.name = "DATA";
    file.attribute = "PF";
    file.fields = {{"F", 0x0403, 4, 0, 0}};
    BuiltPart part;
    part.library = "LIB";
    SaveFileBuilder builder;
    for (int k = 0; k < kMembers; ++k) {
        file.members.push_back({"M" + std::to_string(k), "", "", 1});
    }
    part.objects = {file};
    builder.add(part);
    for (int k = 0; k < kMembers; ++k) {
        builder.add(ContentFixtures::memberRecords("DATA", "M" + std::to_string(k), 4,
                                                   {{0x80, SaveFileBuilder::ebcdic("R", 4)}}));
    }
    const SaveFileImage image = builder.build();
    // The first member's segment is the second one of the file; everything after it goes.
    const SegmentPlace kept = image.layout.segments.at(1);
    const std::int64_t keptBytes = (kept.headerBlock + kept.length) * static_cast<std::int64_t>(kBlock);
    for (bool zeroed : {false, true}) {
        SCOPED_TRACE(zeroed ? "zeroed" : "cut");
        const fs::path saveFile = folder_ / "SHRINKS.SAVF";
        image.writeTo(saveFile.string());
        Catalog catalog;
        catalog.path = saveFile.string();
        Cp037Converter converter;
        SilentNotifier notifier;
        SaveFileReader reader(catalog, converter, notifier);
        ASSERT_TRUE(reader.parseSaveFile(catalog.path).accepted);
        ASSERT_EQ(catalog.parts.at(0).library.objects.at(0).members.size(),
                  static_cast<std::size_t>(kMembers));
        if (zeroed) {
            std::fstream out(saveFile, std::ios::binary | std::ios::in | std::ios::out);
            out.seekp(keptBytes);
            const std::string zeros(static_cast<std::size_t>(fs::file_size(saveFile)) - keptBytes, '\0');
            out.write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
        } else {
            fs::resize_file(saveFile, static_cast<std::uintmax_t>(keptBytes));
        }
        SaveFileExtractor extractor(catalog, converter, 1252);
        Quiet progress;
        const fs::path out = folder_ / (zeroed ? "zeroed" : "cut");
        const ExtractOutcome outcome = extractor.run(out, nullptr, "SHRINKS.SAVF", progress);
        EXPECT_EQ(outcome.membersWritten, 1);
        EXPECT_EQ(slurp(out / "LIB" / "DATA" / "M0.csv"), "F\r\nR\r\n");
        ASSERT_EQ(outcome.failures.size(), static_cast<std::size_t>(kMembers - 1));
        EXPECT_NE(outcome.failures.front().find("LIB/DATA/M1: block "), std::string::npos)
            << outcome.failures.front();
        EXPECT_NE(outcome.failures.back().find("no longer holds the member's segment header"),
                  std::string::npos)
            << outcome.failures.back();
        EXPECT_FALSE(fs::exists(out / "LIB" / "DATA" / "M1.csv"));
    }
}

}  // namespace
}  // namespace quelvane::test
