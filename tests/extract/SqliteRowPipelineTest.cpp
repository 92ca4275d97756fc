#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <thread>

#include "extract/SaveFileExtractor.h"
#include "extract/SqliteRowPipeline.h"
#include "extract/SqliteWriter.h"
#include "savefile/SaveFileReader.h"
#include "savefile/TypeCodes.h"
#include "tests/extract/ExtractFixture.h"
#include "tests/support/ContentFixtures.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/FieldValueMaker.h"
#include "tests/support/RealFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

// Fills the pipeline's batch with one row whose text is `mark` and hands it over.
void sendMarked(SqliteRowPipeline& pipeline, const std::string& mark) {
    SqliteRowPipeline::Batch& batch = pipeline.filling();
    EXPECT_EQ(batch.rows, 0u);
    EXPECT_EQ(batch.text, "");
    batch.text = mark;
    batch.rows = 1;
    pipeline.send();
}

// Batches arrive whole and in order with and without the thread, more of them than are in
// flight at once and with an insert slower than the filling; a failure is raised by a later
// send() or by finish(), nothing after it is inserted, and abandon() makes the pipeline usable
// again for the next member.
TEST(SqliteRowPipeline, InsertsInOrderAndRaisesAFailureOnce) {
    for (const bool threaded : {false, true}) {
        SCOPED_TRACE(threaded);
        std::vector<std::string> inserted;
        std::string failAt;
        SqliteRowPipeline pipeline(
            [&](const SqliteRowPipeline::Batch& batch) {
                if (batch.text == failAt) {
                    throw std::runtime_error("cannot insert " + batch.text);
                }
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                inserted.push_back(batch.text);
            },
            threaded);
        pipeline.sizeBatches(1);
        std::vector<std::string> expected;
        for (int i = 0; i < 20; ++i) {
            sendMarked(pipeline, std::to_string(i));
            expected.push_back(std::to_string(i));
        }
        pipeline.finish();
        EXPECT_EQ(inserted, expected);

        inserted.clear();
        failAt = "3";
        std::string raised;
        try {
            for (int i = 0; i < 20; ++i) {
                sendMarked(pipeline, std::to_string(i));
            }
            pipeline.finish();
        } catch (const std::runtime_error& failure) {
            raised = failure.what();
        }
        EXPECT_EQ(raised, "cannot insert 3");
        EXPECT_EQ(inserted, (std::vector<std::string>{"0", "1", "2"}));
        pipeline.abandon();

        inserted.clear();
        sendMarked(pipeline, "again");
        pipeline.finish();
        EXPECT_EQ(inserted, std::vector<std::string>{"again"});
    }
}

// Abandoned while a batch is being inserted, the pipeline waits for that one and inserts none of
// those still waiting; the batch being filled is emptied.
TEST(SqliteRowPipeline, AbandonInsertsNothingMore) {
    std::vector<std::string> inserted;
    std::atomic<bool> started = false;
    SqliteRowPipeline pipeline(
        [&](const SqliteRowPipeline::Batch& batch) {
            started = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            inserted.push_back(batch.text);
        },
        true);
    pipeline.sizeBatches(1);
    for (int i = 0; i < 3; ++i) {
        sendMarked(pipeline, std::to_string(i));
    }
    while (!started) {
        std::this_thread::yield();
    }
    pipeline.filling().text = "unsent";
    pipeline.filling().rows = 1;
    pipeline.abandon();
    EXPECT_EQ(inserted, std::vector<std::string>{"0"});
    EXPECT_EQ(pipeline.filling().rows, 0u);
    pipeline.finish();
    EXPECT_EQ(inserted, std::vector<std::string>{"0"});
}

// Cancels the run at the `calls`-th progress report: the writer reports every 4096 slots.
class CancelAtReport final : public ProgressReporter {
  public:
    explicit CancelAtReport(int calls) : calls_(calls) {}
    void progress(std::int64_t, std::int64_t) override { ++heard_; }
    bool cancelled() const override { return calls_ > 0 && heard_ >= calls_; }

  private:
    int calls_;
    int heard_ = 0;
};

class SqliteRowThread : public ExtractFixture {
  protected:
    struct Extraction {
        std::string dump;
        std::map<std::string, std::string> files;
        std::vector<std::string> failures;
        std::int64_t membersWritten = 0;
        bool cancelled = false;
    };

    // The extraction of `saveFile` with its database's rows inserted on a thread of their own or
    // by the extracting thread, the run cancelled at the `cancelAt`-th report (0: never).
    Extraction extract(const fs::path& saveFile, bool threaded, int cancelAt = 0) {
        Catalog catalog;
        catalog.path = saveFile.string();
        Cp037Converter converter;
        SilentNotifier notifier;
        SaveFileReader reader(catalog, converter, notifier);
        Extraction extraction;
        if (!reader.parseSaveFile(catalog.path).accepted) {
            extraction.failures.push_back("not read");
            return extraction;
        }
        const std::string name = threaded ? "threaded" : "inline";
        const fs::path out = folder_ / name;
        const fs::path db = folder_ / (name + ".db");
        SaveFileExtractor extractor(catalog, converter, 1252);
        SqliteWriter database;
        database.insertOnOwnThread(threaded);
        database.open(db);
        CancelAtReport progress(cancelAt);
        const ExtractOutcome outcome = extractor.run(out, &database, saveFile.filename().string(), progress);
        database.commit();
        extraction.failures = outcome.failures;
        extraction.membersWritten = outcome.membersWritten;
        extraction.cancelled = outcome.cancelled;
        extraction.dump =
            python("import sqlite3, sys\nprint('\\n'.join(sqlite3.connect(sys.argv[1]).iterdump()))\n",
                   quoted(db.string()));
        for (const auto& entry : fs::recursive_directory_iterator(out)) {
            if (entry.is_regular_file()) {
                extraction.files[fs::relative(entry.path(), out).string()] = slurp(entry.path());
            }
        }
        fs::remove_all(out);
        fs::remove(db);
        return extraction;
    }

    void expectSameBothWays(const fs::path& saveFile, int cancelAt = 0) {
        const Extraction inlined = extract(saveFile, false, cancelAt);
        const Extraction threaded = extract(saveFile, true, cancelAt);
        EXPECT_EQ(threaded.failures, inlined.failures);
        EXPECT_EQ(threaded.membersWritten, inlined.membersWritten);
        EXPECT_EQ(threaded.cancelled, inlined.cancelled);
        EXPECT_TRUE(threaded.dump == inlined.dump) << "the databases differ";
        EXPECT_EQ(threaded.files.size(), inlined.files.size());
        for (const auto& [path, text] : inlined.files) {
            EXPECT_TRUE(threaded.files.count(path) == 1 && threaded.files.at(path) == text) << path;
        }
    }

    // A save file of the physical file ROWS with a member of each of `counts` rows, named by its
    // count, of generated values of mixed types; `badDate` (when not negative) is the row whose
    // date is out of range, in every member of more rows.
    fs::path build(const std::vector<std::uint32_t>& counts, std::int64_t badDate = -1) {
        BuiltObject file;
        file.name = "ROWS";
        file.attribute = "PF";
        file.fields = {{"T", kCharacterFieldType, 9, 0, 0},
                       {"P", kPackedFieldType, 4, 7, 2},
                       {"Z", kZonedFieldType, 5, 5, 0},
                       {"D", kDateFieldType, 4, 0, 0}};
        SavedObject layout;
        layout.recordLength = 22;
        layout.fields = {{"T", kCharacterFieldType, 9, 0, 0, 0},
                         {"P", kPackedFieldType, 4, 9, 7, 2},
                         {"Z", kZonedFieldType, 5, 13, 5, 0},
                         {"D", kCharacterFieldType, 4, 18, 0, 0}};
        FieldValueMaker maker(31);
        SaveFileBuilder builder;
        for (const std::uint32_t count : counts) {
            const std::string member = "M" + std::to_string(count);
            file.members.push_back({member, "", "", count});
            std::vector<StreamSlot> slots;
            for (std::uint32_t i = 0; i < count; ++i) {
                std::vector<std::uint8_t> record = maker.record(layout);
                const std::uint32_t day = i == badDate ? 1 : 2451545 + i;
                for (int b = 0; b < 4; ++b) {
                    record[18 + b] = static_cast<std::uint8_t>(day >> (24 - 8 * b));
                }
                slots.push_back({0x80, record});
            }
            builder.add(ContentFixtures::memberRecords("ROWS", member, layout.recordLength, slots));
        }
        BuiltPart part;
        part.library = "LIB";
        part.objects = {file};
        builder.add(part);
        const fs::path saveFile = folder_ / "ROWS.SAVF";
        builder.build().writeTo(saveFile.string());
        return saveFile;
    }
};

// Members of no row, of one, around an INSERT's 64 rows and around the thread's batches of 1024,
// and large: the same database and files with the rows inserted on their own thread as without.
TEST_F(SqliteRowThread, GeneratedMembersWriteTheSameBothWays) {
    const fs::path saveFile = build({0, 1, 63, 64, 65, 1023, 1024, 1025, 9000});
    expectSameBothWays(saveFile);
    const Extraction threaded = extract(saveFile, true);
    EXPECT_EQ(threaded.failures, std::vector<std::string>{});
    EXPECT_EQ(threaded.membersWritten, 9);
    for (const std::uint32_t count : {0u, 1u, 63u, 64u, 65u, 1023u, 1024u, 1025u, 9000u}) {
        const std::string insert = "INSERT INTO \"ROWS_M" + std::to_string(count) + "\" VALUES";
        std::size_t rows = 0;
        for (std::size_t at = threaded.dump.find(insert); at != std::string::npos;
             at = threaded.dump.find(insert, at + 1)) {
            ++rows;
        }
        EXPECT_EQ(rows, count);
    }
}

// A member whose row 5000 holds a date out of range fails, a member cancelled in the middle is
// not written: neither leaves rows in the database nor a file, with or without the thread.
TEST_F(SqliteRowThread, AFailedOrCancelledMemberLeavesNothing) {
    const fs::path saveFile = build({10, 9000, 3}, 5000);
    expectSameBothWays(saveFile);
    const Extraction failed = extract(saveFile, true);
    EXPECT_EQ(failed.failures, std::vector<std::string>{"LIB/ROWS/M9000: date out of range"});
    EXPECT_EQ(failed.dump.find("ROWS_M9000"), std::string::npos);
    EXPECT_EQ(failed.files.count("LIB/ROWS/M9000.csv"), 0u);
    EXPECT_EQ(failed.files.count("LIB/ROWS/M3.csv"), 1u);
    EXPECT_NE(failed.dump.find("CREATE TABLE \"ROWS_M3\""), std::string::npos);

    const fs::path whole = build({10, 9000, 3});
    expectSameBothWays(whole, 2);
    const Extraction cancelled = extract(whole, true, 2);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(cancelled.membersWritten, 1);
    EXPECT_EQ(cancelled.dump.find("ROWS_M9000"), std::string::npos);
    EXPECT_EQ(cancelled.files.count("LIB/ROWS/M9000.csv"), 0u);
}

// Every real save: the same database and files with the rows inserted on their own thread as
// without.
TEST_F(SqliteRowThread, RealSavesWriteTheSameBothWays) {
    QUELVANE_REQUIRE_REAL_FILE(fs::path(QUELVANE_SAVF_DIR));
    for (const fs::path& saveFile : realSaveFiles(QUELVANE_SAVF_DIR)) {
        SCOPED_TRACE(saveFile.filename().string());
        expectSameBothWays(saveFile);
    }
}

}  // namespace
}  // namespace quelvane::test
