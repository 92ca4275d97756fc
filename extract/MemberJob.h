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
    // The members of the run before this one, as its progress counts them.
    std::int64_t membersBefore = 0;

    // Writes the member below `root` through MemberWriter, with `utf8` and `byCcsid` (may be
    // null: by the pair) of the calling thread; `database` may be null. Failures are answered,
    // not raised.
    Result write(const ViewSession& session, const OutputFolder& root, PcTextToUtf8& utf8,
                 FieldTextByCcsid* byCcsid, SqliteWriter* database, ProgressReporter& progress,
                 std::atomic<std::int64_t>& bytesWritten, std::int64_t membersDone,
                 std::int64_t memberTotal) const;
};

// The progress a member's writing reports on a worker thread. While the member is the next to
// be handed back, its reports go straight to `progress` (the extraction's thread is then only
// waiting for it); before that they are counted, to be made in its turn on the extraction's
// thread. Every report says `membersDone`, the members before it, so the reports are those of
// one thread's run either way. Says cancelled once the runs stop.
class HeardProgress final : public ProgressReporter {
  public:
    HeardProgress(const ParallelMemberRuns& runs, std::size_t worker, ProgressReporter& progress,
                  std::int64_t membersDone)
        : runs_(runs), worker_(worker), progress_(progress), membersDone_(membersDone) {}

    void progress(std::int64_t, std::int64_t total) override {
        if (runs_.ahead(worker_) && !runs_.stopping()) {
            progress_.progress(membersDone_, total);
        } else {
            ++reports_;
        }
    }
    bool cancelled() const override { return runs_.stopping(); }

    // The reports counted, not made.
    std::int64_t reports() const { return reports_; }

  private:
    const ParallelMemberRuns& runs_;
    std::size_t worker_;
    ProgressReporter& progress_;
    std::int64_t membersDone_;
    std::int64_t reports_ = 0;
};

}  // namespace quelvane
