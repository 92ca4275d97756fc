#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "extract/ParallelMemberRuns.h"
#include "extract/SaveFileExtractor.h"
#include "savefile/SaveFileReader.h"
#include "tests/extract/ExtractFixture.h"
#include "tests/support/ContentFixtures.h"
#include "tests/support/Cp037Table.h"
#include "tests/support/RealFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Tree = std::map<std::string, std::string>;

// Every file below `root` by its relative path, with its bytes.
Tree treeOf(const fs::path& root) {
    Tree tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            tree[fs::relative(entry.path(), root).string()] = ExtractFixture::slurpFile(entry.path());
        }
    }
    return tree;
}

// Every report heard, in order; cancels once `cancelAt` members are done (never when 0).
class RecordedProgress final : public ProgressReporter {
  public:
    explicit RecordedProgress(std::int64_t cancelAt = 0) : cancelAt_(cancelAt) {}
    void progress(std::int64_t done, std::int64_t total) override {
        reports.emplace_back(done, total);
        done_ = std::max(done_.load(), done);
    }
    bool cancelled() const override { return cancelAt_ > 0 && done_.load() >= cancelAt_; }

    std::vector<std::pair<std::int64_t, std::int64_t>> reports;

  private:
    std::int64_t cancelAt_;
    std::atomic<std::int64_t> done_{0};
};

// CP037 to Latin-1 as Cp037Converter maps it, without its call counter: the workers share the
// conversion, which must serve any thread as the modules do.
class SharedCp037 final : public EbcdicTextConverter {
  public:
    std::uint32_t ConvertEbcdicText(const std::uint8_t* source, std::size_t length,
                                    std::uint8_t* target) override {
        for (std::size_t i = 0; i < length; ++i) {
            target[i] = kCp037ToLatin1[source[i]];
        }
        return 0;
    }
};

Bytes record(const std::string& name, std::uint32_t n) {
    Bytes bytes = SaveFileBuilder::ebcdic(name + " " + std::to_string(n), 12);
    std::string digits = std::to_string(n % 100000);
    digits.insert(0, 5 - digits.size(), '0');
    for (char digit : digits) {
        bytes.push_back(static_cast<std::uint8_t>(0xF0 + (digit - '0')));
    }
    return bytes;
}

BuiltObject physicalFile(const std::string& name, std::vector<BuiltMember> members) {
    BuiltObject file;
    file.name = name;
    file.attribute = "PF";
    file.fields = {{"NAME", 0x0403, 12, 0, 0}, {"QTY", 0x0203, 5, 5, 0}};
    file.members = std::move(members);
    return file;
}

// LIB: DATA1 with members of 1 to 9000 records (a deleted slot in each), one of them without
// stored records; a CL program; DATA2 with more members; a source file. Members past 4096
// slots make the writer report while it writes.
SaveFileBuilder manyMembers() {
    BuiltPart part;
    part.library = "LIB";
    std::vector<BuiltMember> first;
    std::vector<BuiltMember> second;
    const std::uint32_t sizes[] = {1, 9000, 30, 4500, 0, 700, 5000, 2, 120, 8200, 64, 3};
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        first.push_back({"M" + std::to_string(i), "", "", sizes[i]});
        second.push_back({"N" + std::to_string(i), "", "", sizes[i] / 2});
    }
    first.insert(first.begin() + 5, BuiltMember{"MISSING", "", "", 10});
    BuiltClSource program;
    program.objectName = "CLP1";
    program.lines = {"PGM", "ENDPGM"};
    BuiltObject source = physicalFile("QCLSRC", {{"HELLO", "CLP", "", 2}});
    source.fields = {{"SRCSEQ", 0x0203, 6, 6, 2}, {"SRCDAT", 0x0203, 6, 6, 0}, {"SRCDTA", 0x0403, 20, 0, 0}};
    part.objects = {physicalFile("DATA1", first), ContentFixtures::programObject("CLP1"),
                    physicalFile("DATA2", second), source};
    SaveFileBuilder builder;
    builder.add(part);
    for (const auto& [file, members] : {std::pair{"DATA1", first}, std::pair{"DATA2", second}}) {
        for (const BuiltMember& member : members) {
            if (member.name == "MISSING") {
                continue;
            }
            std::vector<StreamSlot> slots;
            for (std::uint32_t n = 0; n < member.recordCount; ++n) {
                slots.push_back({0x80, record(member.name, n)});
                if (n == 1) {
                    slots.push_back({0x00, Bytes(17, 0)});
                }
            }
            builder.add(ContentFixtures::memberRecords(file, member.name, 17, slots));
        }
    }
    Bytes line = SaveFileBuilder::ebcdic("000100240101", 12);
    const Bytes text = SaveFileBuilder::ebcdic("PGM", 20);
    line.insert(line.end(), text.begin(), text.end());
    builder.add(ContentFixtures::memberRecords("QCLSRC", "HELLO", 32, {{0x80, line}, {0x80, line}}));
    builder.add(ContentFixtures::clProgram(program));
    return builder;
}

std::vector<std::string> keysOf(const Tree& tree) {
    std::vector<std::string> keys;
    for (const auto& [path, bytes] : tree) {
        keys.push_back(path);
    }
    return keys;
}

class ParallelExtract : public ExtractFixture {
  protected:
    struct Extraction {
        ExtractOutcome outcome;
        std::vector<std::pair<std::int64_t, std::int64_t>> reports;
        Tree tree;
    };

    void SetUp() override {
        ExtractFixture::SetUp();
        saveFile_ = folder_ / "MANY.SAVF";
        manyMembers().build().writeTo(saveFile_.string());
        catalog_.path = saveFile_.string();
        SilentNotifier notifier;
        SaveFileReader reader(catalog_, converter_, notifier);
        ASSERT_TRUE(reader.parseSaveFile(catalog_.path).accepted);
    }

    // Extracts into a folder of its own, with the folders in the way of `blocked` (relative
    // paths) made first.
    Extraction extract(std::size_t jobs, std::int64_t cancelAt = 0,
                       const std::vector<std::string>& blocked = {}, bool byCcsid = false) {
        // One folder for every run: messages name it.
        const fs::path out = folder_ / "out";
        fs::remove_all(out);
        for (const std::string& path : blocked) {
            fs::create_directories(out / path);
        }
        SaveFileExtractor extractor(catalog_, converter_, 1252);
        extractor.setJobs(jobs);
        if (byCcsid) {
            extractor.decodeByStoredCcsid(37);
        }
        RecordedProgress progress(cancelAt);
        Extraction done;
        done.outcome = extractor.run(out, nullptr, "MANY.SAVF", progress);
        done.reports = progress.reports;
        done.tree = treeOf(out);
        return done;
    }

    static void expectSame(const Extraction& one, const Extraction& many, std::size_t jobs) {
        ASSERT_EQ(keysOf(many.tree), keysOf(one.tree)) << jobs << " jobs";
        for (const auto& [path, bytes] : one.tree) {
            EXPECT_TRUE(many.tree.at(path) == bytes) << path << ", " << jobs << " jobs";
        }
        EXPECT_EQ(many.reports, one.reports) << jobs << " jobs";
        EXPECT_EQ(many.outcome.failures, one.outcome.failures) << jobs << " jobs";
        EXPECT_EQ(many.outcome.objectFailures, one.outcome.objectFailures) << jobs << " jobs";
        EXPECT_EQ(many.outcome.notes, one.outcome.notes) << jobs << " jobs";
        EXPECT_EQ(many.outcome.membersWritten, one.outcome.membersWritten) << jobs << " jobs";
        EXPECT_EQ(many.outcome.cancelled, one.outcome.cancelled) << jobs << " jobs";
    }

    fs::path saveFile_;
    Catalog catalog_;
    SharedCp037 converter_;
};

// The files, catalog.json, schema.sql, every progress report (those a member makes while it is
// written included) and the failures, in order, are those of one thread's run.
TEST_F(ParallelExtract, ManyMembersComeOutAsFromOneThread) {
    const Extraction one = extract(1);
    EXPECT_EQ(one.outcome.membersWritten, 25);
    EXPECT_EQ(one.outcome.failures,
              std::vector<std::string>{"LIB/DATA1/MISSING: no stored records found for the member"});
    EXPECT_GT(one.reports.size(), 27u);
    const std::string& large = one.tree.at("LIB/DATA1/M1.csv");
    // The header and 8999 records: the record count counts the deleted slot too.
    EXPECT_EQ(std::count(large.begin(), large.end(), '\n'), 9000);
    for (std::size_t jobs : {2, 3, 4, 8}) {
        expectSame(one, extract(jobs), jobs);
    }
    // By stored CCSID: the fields tagged 0 read in the chosen page, each noted once, in the
    // order one thread meets them.
    const Extraction byCcsid = extract(1, 0, {}, true);
    EXPECT_FALSE(byCcsid.outcome.notes.empty());
    for (std::size_t jobs : {2, 4}) {
        expectSame(byCcsid, extract(jobs, 0, {}, true), jobs);
    }
}

// A member whose file cannot be written and an object's file that cannot be written report as in
// one thread's run, in catalog order among the members' failures.
TEST_F(ParallelExtract, FailuresComeInCatalogOrder) {
    const std::vector<std::string> blocked = {"LIB/DATA1/M3.csv", "LIB/CLP1.clp", "LIB/DATA2/N1.csv"};
    const Extraction one = extract(1, 0, blocked);
    ASSERT_EQ(one.outcome.failures.size(), 4u);
    EXPECT_EQ(one.outcome.failures[0].rfind("LIB/DATA1/M3: ", 0), 0u) << one.outcome.failures[0];
    EXPECT_EQ(one.outcome.failures[1].rfind("LIB/DATA1/MISSING: ", 0), 0u) << one.outcome.failures[1];
    EXPECT_EQ(one.outcome.failures[2].rfind("LIB/CLP1: ", 0), 0u) << one.outcome.failures[2];
    EXPECT_EQ(one.outcome.failures[3].rfind("LIB/DATA2/N1: ", 0), 0u) << one.outcome.failures[3];
    for (std::size_t jobs : {2, 4}) {
        expectSame(one, extract(jobs, 0, blocked), jobs);
    }
}

// A cancelled run stops every worker: what it leaves are whole files the same as a full run's,
// catalog.json saying so, and the progress heard is a beginning of a full run's.
TEST_F(ParallelExtract, CancelledRunLeavesWholeFilesOnly) {
    const Extraction full = extract(1);
    for (std::size_t jobs : {2, 4}) {
        const Extraction cancelled = extract(jobs, 3);
        EXPECT_TRUE(cancelled.outcome.cancelled) << jobs;
        EXPECT_LT(cancelled.outcome.membersWritten, full.outcome.membersWritten) << jobs;
        ASSERT_LE(cancelled.reports.size(), full.reports.size());
        EXPECT_TRUE(std::equal(cancelled.reports.begin(), cancelled.reports.end(), full.reports.begin()));
        for (const auto& [path, bytes] : cancelled.tree) {
            if (path == "catalog.json") {
                EXPECT_NE(bytes.find("\"cancelled\": true"), std::string::npos);
                continue;
            }
            ASSERT_TRUE(full.tree.contains(path)) << path;
            EXPECT_EQ(bytes, full.tree.at(path)) << path;
        }
        EXPECT_FALSE(cancelled.tree.contains("schema.sql"));
    }
}

// Every real save file, all of them in one run into one folder each, by stored CCSID and by the
// pair: the same files, messages and exit status whatever the count of jobs.
TEST_F(ParallelExtract, RealSaveFilesComeOutAsFromOneThread) {
    const fs::path savf(QUELVANE_SAVF_DIR);
    QUELVANE_REQUIRE_REAL_FILE(savf);
    std::string files;
    for (const auto& entry : fs::directory_iterator(savf)) {
        const std::string extension = entry.path().extension().string();
        if (extension != ".tsv" && extension != ".md") {
            files += " " + quoted(entry.path().string());
        }
    }
    for (const char* reading : {"", " --ccsid pair"}) {
        const fs::path out = folder_ / "real";
        fs::remove_all(out);
        const std::string options =
            files + " --to " + quoted(out.string()) + " --ebcdic 37 --pc 1252" + reading;
        const Run one = cli("extract" + options + " --jobs 1");
        const Tree oneTree = treeOf(out);
        EXPECT_GT(oneTree.size(), 300u);
        for (const char* jobs : {"2", "4"}) {
            fs::remove_all(out);
            const Run many = cli("extract" + options + " --jobs " + jobs);
            EXPECT_EQ(many.status, one.status) << jobs << reading;
            EXPECT_EQ(many.out, one.out) << jobs << reading;
            EXPECT_EQ(many.err, one.err) << jobs << reading;
            const Tree manyTree = treeOf(out);
            ASSERT_EQ(keysOf(manyTree), keysOf(oneTree)) << jobs << reading;
            for (const auto& [path, bytes] : oneTree) {
                EXPECT_TRUE(manyTree.at(path) == bytes) << path << ", " << jobs << " jobs" << reading;
            }
        }
    }
}

TEST_F(ParallelExtract, JobsMustBeACount) {
    for (const char* jobs : {"0", "x", "-1", "257", ""}) {
        const Run run = cli("extract " + quoted(saveFile_.string()) + " --to " +
                            quoted((folder_ / "o").string()) + " --jobs " + quoted(jobs));
        EXPECT_EQ(run.status, 1) << jobs;
        EXPECT_NE(run.err.find("--jobs needs a count from 1 to 256"), std::string::npos) << run.err;
    }
}

TEST(ParallelMemberRuns, HandsBackInOrderWhateverFinishesFirst) {
    std::vector<int> delivered;
    std::atomic<int> running{0};
    std::atomic<int> mostRunning{0};
    {
        ParallelMemberRuns runs(4, [] { return false; });
        for (int i = 0; i < 200; ++i) {
            if (i % 17 == 0) {
                runs.addInOrder([&delivered, i] { delivered.push_back(i); });
                continue;
            }
            runs.add([&, i](std::size_t worker) -> ParallelMemberRuns::Delivery {
                EXPECT_LT(worker, 4u);
                const int now = ++running;
                int most = mostRunning.load();
                while (now > most && !mostRunning.compare_exchange_weak(most, now)) {
                }
                std::this_thread::sleep_for(std::chrono::microseconds((i * 7919) % 500));
                --running;
                return [&delivered, i] { delivered.push_back(i); };
            });
        }
        runs.finish();
    }
    std::vector<int> expected(200);
    for (int i = 0; i < 200; ++i) {
        expected[static_cast<std::size_t>(i)] = i;
    }
    EXPECT_EQ(delivered, expected);
    EXPECT_GT(mostRunning.load(), 1);
}

TEST(ParallelMemberRuns, AFailureComesBackInItsTurnAndCancellingStops) {
    std::vector<int> delivered;
    ParallelMemberRuns runs(2, [] { return false; });
    runs.add([&](std::size_t) -> ParallelMemberRuns::Delivery { return [&] { delivered.push_back(0); }; });
    runs.add([](std::size_t) -> ParallelMemberRuns::Delivery { throw std::runtime_error("piece 1"); });
    runs.add([&](std::size_t) -> ParallelMemberRuns::Delivery { return [&] { delivered.push_back(2); }; });
    EXPECT_THROW(runs.finish(), std::runtime_error);
    EXPECT_EQ(delivered, (std::vector<int>{0, 2}));
    EXPECT_TRUE(runs.stopping());
    runs.finish();

    std::atomic<bool> cancel{false};
    ParallelMemberRuns cancelled(2, [&cancel] { return cancel.load(); });
    cancelled.add([&](std::size_t) -> ParallelMemberRuns::Delivery {
        cancel = true;
        while (!cancelled.stopping()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return nullptr;
    });
    cancelled.finish();
    EXPECT_TRUE(cancelled.stopping());
}

}  // namespace
}  // namespace quelvane::test
