#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "conversion/PcTextToUtf8.h"
#include "extract/ExtractOutcome.h"
#include "extract/ParallelMemberRuns.h"
#include "extract/SqlTable.h"
#include "extract/SqliteWriter.h"
#include "savefile/Catalog.h"
#include "savefile/OutputFolder.h"
#include "savefile/ProgressReporter.h"
#include "views/FieldTextByCcsid.h"
#include "views/ViewSession.h"

namespace quelvane {

// The writing of one member of an extraction, as the extraction's thread settles it beforehand
// (where it goes, its names, its table), so that the writing itself can run on any thread: what
// it reads is the catalog and the save file, what it changes is its own file and the outcome it
// answers.
struct MemberJob {
    // What became of the writing.
    struct Result {
        // The records written; empty when the run was cancelled.
        std::optional<std::int64_t> rows;
        bool replaced = false;
        // Why nothing was written, when the writing failed.
        std::optional<std::string> failure;
    };

    ExtractOutcome::MemberKey key{};
    const SavedObject* file = nullptr;
    const SavedMember* member = nullptr;
    // Below the extraction folder, and "LIBRARY/OBJECT/MEMBER" for messages.
    std::filesystem::path path;
    std::string where;
    bool source = false;
    // The names of a source member's rows in the database.
    SourceLineRow lineRow;
    // A data member's table in the database; empty without one.
    std::string table;
    std::shared_ptr<const SqlTable> columns;

    // Writes the member below `root` through MemberWriter, with `utf8` and `byCcsid` (may be
    // null: by the pair) of the calling thread; `database` may be null. Failures are answered,
    // not raised.
    Result write(const ViewSession& session, const OutputFolder& root, PcTextToUtf8& utf8,
                 FieldTextByCcsid* byCcsid, SqliteWriter* database, ProgressReporter& progress,
                 std::atomic<std::int64_t>& bytesWritten, std::int64_t membersDone,
                 std::int64_t memberTotal) const;
};

// The progress a member's writing reports on a worker thread: it counts the reports, to be
// made again in their turn on the extraction's thread, and says cancelled once the runs stop.
class HeardProgress final : public ProgressReporter {
  public:
    explicit HeardProgress(const ParallelMemberRuns& runs) : runs_(runs) {}

    void progress(std::int64_t, std::int64_t) override { ++reports_; }
    bool cancelled() const override { return runs_.stopping(); }

    std::int64_t reports() const { return reports_; }

  private:
    const ParallelMemberRuns& runs_;
    std::int64_t reports_ = 0;
};

}  // namespace quelvane
