#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "conversion/PcTextToUtf8.h"
#include "extract/OutputFile.h"
#include "extract/SqlTable.h"
#include "extract/SqliteWriter.h"
#include "savefile/Catalog.h"
#include "savefile/ProgressReporter.h"
#include "views/FieldTextByCcsid.h"
#include "views/ViewSession.h"

namespace quelvane {

// Writes the records of one member as they stream from the save file, holding one record at a
// time: a data member to a CSV file and a database table, a source member to a source file and
// the database's source table. A file is renamed into place only once complete; a failure or a
// cancellation leaves neither the file nor the member's rows in the database.
class MemberWriter {
  public:
    // How often, in record slots, the writer reports and looks whether the run was cancelled.
    static constexpr std::int64_t kCancelCheckInterval = 4096;

    // `database` may be null. `bytesWritten` grows by the bytes of every file written, as they
    // are written. While a member is written, `progress` hears `membersDone` of `memberTotal`
    // again now and then, so a waiting person sees the bytes grow.
    MemberWriter(const ViewSession& session, PcTextToUtf8& utf8, SqliteWriter* database,
                 ProgressReporter& progress, std::atomic<std::int64_t>& bytesWritten,
                 std::int64_t membersDone, std::int64_t memberTotal);

    // Character and graphic fields by their stored CCSIDs through `byCcsid` (null: the pair).
    void decodeByCcsid(FieldTextByCcsid* byCcsid) { byCcsid_ = byCcsid; }

    // The records written, or nothing when the run was cancelled. Raises DecodingFailure (a
    // member whose stored data cannot be found, a field past the record, a date out of range)
    // and std::runtime_error (a file or the database that cannot be written).
    // The file goes to `relative` below `root`; the CSV header and the database's columns take
    // the names of `columns`, an empty character value is written quoted ("") so that it loads
    // as an empty string, not as a missing value.
    std::optional<std::int64_t> writeData(const SavedObject& file, const SavedMember& member,
                                          const OutputFolder& root, const std::filesystem::path& relative,
                                          const std::string& table, const SqlTable& columns);

    // The same for a source member; `lineRow` carries the names for the source table.
    std::optional<std::int64_t> writeSource(const SavedObject& file, const SavedMember& member,
                                            const OutputFolder& root, const std::filesystem::path& relative,
                                            SourceLineRow lineRow);
    // Hears each source line written, with its sequence number and six-digit date.
    void observeLines(std::function<void(const SourceLineRow&)> observer) {
        lineObserver_ = std::move(observer);
    }

    // Whether the last file written replaced one of an earlier run.
    bool replaced() const { return replaced_; }

  private:
    // Counts the bytes written since the last look; false when the run was cancelled.
    bool carryOn(const OutputFile& out);

    const ViewSession& session_;
    PcTextToUtf8& utf8_;
    SqliteWriter* database_;
    FieldTextByCcsid* byCcsid_ = nullptr;
    std::function<void(const SourceLineRow&)> lineObserver_;
    ProgressReporter& progress_;
    std::atomic<std::int64_t>& bytesWritten_;
    std::int64_t membersDone_;
    std::int64_t memberTotal_;
    std::int64_t counted_ = 0;
    bool replaced_ = false;
};

}  // namespace quelvane
