#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "conversion/EbcdicTextConverter.h"
#include "conversion/PcTextToUtf8.h"
#include "extract/MemberJob.h"
#include "extract/ParallelMemberRuns.h"
#include "savefile/OutputFolder.h"
#include "savefile/ProgressReporter.h"
#include "views/FieldTextByCcsid.h"
#include "views/ViewSession.h"

namespace quelvane {

// The threads an extraction writes its members on, each with its own decoders (PcTextToUtf8 and
// FieldTextByCcsid keep state and serve one thread); the catalog, the save file's opener and the
// conversion modules are shared, as they serve any thread. What a member's writing reports comes
// back on the extraction's thread in catalog order, as ParallelMemberRuns hands it back.
class MemberWorkers {
  public:
    // Records a member's writing on the extraction's thread, in its turn; `reports` are the
    // progress reports its writing made that were counted rather than made.
    using Record =
        std::function<void(const MemberJob& job, const MemberJob::Result& result, std::int64_t reports)>;

    // `hostPage` set: fields by their stored CCSIDs, falling back to it. `cancelled` as for
    // ParallelMemberRuns.
    MemberWorkers(std::size_t jobs, std::int32_t pcCodePage, std::optional<std::int32_t> hostPage,
                  EbcdicTextConverter& converter, std::function<bool()> cancelled);

    ParallelMemberRuns& runs() { return *runs_; }

    // Queues `job`, written below `root` with `progress` hearing it as HeardProgress passes it on.
    // A job begun after the stop is cancelled without its file being opened.
    void write(MemberJob job, const ViewSession& session, const OutputFolder& root,
               ProgressReporter& progress, std::atomic<std::int64_t>& bytesWritten, std::int64_t memberTotal,
               Record record);

    // The fallback notes of the members recorded so far, once each, in the order one thread
    // writing them in turn would have met them.
    const std::vector<std::string>& fieldNotes() const { return fieldNotes_; }

  private:
    struct Tools {
        explicit Tools(std::int32_t pcCodePage) : utf8(pcCodePage) {}
        PcTextToUtf8 utf8;
        std::unique_ptr<FieldTextByCcsid> byCcsid;
    };

    std::vector<std::unique_ptr<Tools>> tools_;
    std::vector<std::string> fieldNotes_;
    // Last, so that its workers stop before the tools they use go.
    std::unique_ptr<ParallelMemberRuns> runs_;
};

}  // namespace quelvane
