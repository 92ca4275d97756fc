#include "extract/MemberJob.h"

#include <exception>

#include "extract/MemberWriter.h"
#include "savefile/FailureReason.h"

namespace quelvane {

MemberJob::Result MemberJob::write(const ViewSession& session, const OutputFolder& root, PcTextToUtf8& utf8,
                                   FieldTextByCcsid* byCcsid, SqliteWriter* database,
                                   ProgressReporter& progress, std::atomic<std::int64_t>& bytesWritten,
                                   std::int64_t membersDone, std::int64_t memberTotal) const {
    MemberWriter writer(session, utf8, database, progress, bytesWritten, membersDone, memberTotal);
    writer.decodeByCcsid(byCcsid);
    Result result;
    try {
        result.rows = source ? writer.writeSource(*file, *member, root, path, lineRow)
                             : writer.writeData(*file, *member, root, path, table, *columns);
        result.replaced = writer.replaced();
    } catch (const std::exception& failure) {
        result.failure = failureReason(failure);
    }
    return result;
}

}  // namespace quelvane
