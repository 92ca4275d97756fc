#include "extract/MemberWorkers.h"

#include <algorithm>

namespace quelvane {

MemberWorkers::MemberWorkers(std::size_t jobs, std::int32_t pcCodePage, std::optional<std::int32_t> hostPage,
                             EbcdicTextConverter& converter, std::function<bool()> cancelled) {
    const std::size_t count = std::max<std::size_t>(jobs, 1);
    for (std::size_t i = 0; i < count; ++i) {
        auto tools = std::make_unique<Tools>(pcCodePage);
        if (hostPage) {
            tools->byCcsid = std::make_unique<FieldTextByCcsid>(*hostPage, converter);
        }
        tools_.push_back(std::move(tools));
    }
    runs_ = std::make_unique<ParallelMemberRuns>(count, std::move(cancelled));
}

// The fallback notes a worker's decoder had not met before a member are the member's own: those
// it met are an earlier member's, recorded before it.
void MemberWorkers::write(MemberJob job, const ViewSession& session, const OutputFolder& root,
                          ProgressReporter& progress, std::atomic<std::int64_t>& bytesWritten,
                          std::int64_t memberTotal, Record record) {
    ParallelMemberRuns* runs = runs_.get();
    runs->add([this, runs, job = std::move(job), &session, &root, &progress, &bytesWritten, memberTotal,
               record = std::move(record)](std::size_t worker) -> ParallelMemberRuns::Delivery {
        Tools& tools = *tools_[worker];
        HeardProgress heard(*runs, worker, progress, job.membersBefore);
        MemberJob::Result result;
        std::vector<std::string> notes;
        if (!runs->stopping()) {
            const std::size_t known = tools.byCcsid != nullptr ? tools.byCcsid->fallbackNotes().size() : 0;
            result = job.write(session, root, tools.utf8, tools.byCcsid.get(), nullptr, heard, bytesWritten,
                               0, memberTotal);
            if (tools.byCcsid != nullptr) {
                notes = tools.byCcsid->fallbackNotes();
                notes.erase(notes.begin(), notes.begin() + static_cast<std::ptrdiff_t>(known));
            }
        }
        return [this, job, result, notes, record, reports = heard.reports()] {
            for (const std::string& note : notes) {
                if (std::find(fieldNotes_.begin(), fieldNotes_.end(), note) == fieldNotes_.end()) {
                    fieldNotes_.push_back(note);
                }
            }
            record(job, result, reports);
        };
    });
}

}  // namespace quelvane
