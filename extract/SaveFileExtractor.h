#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "conversion/EbcdicTextConverter.h"
#include "conversion/Notifier.h"
#include "conversion/PcTextToUtf8.h"
#include "conversion/StoredCcsidText.h"
#include "export/IfsEntryExport.h"
#include "extract/CatalogJson.h"
#include "extract/ExtractNames.h"
#include "extract/ExtractOutcome.h"
#include "extract/MemberJob.h"
#include "extract/MemberWorkers.h"
#include "extract/OutputFile.h"
#include "extract/ParallelMemberRuns.h"
#include "extract/SqlTable.h"
#include "extract/SqliteWriter.h"
#include "savefile/Catalog.h"
#include "savefile/OutputFolder.h"
#include "savefile/ProgressReporter.h"
#include "views/FieldTextByCcsid.h"
#include "views/MemoryContentList.h"
#include "views/ViewSession.h"

namespace quelvane {

// Gets everything out of an opened save file into a folder: under FOLDER/LIBRARY/ the data
// members as OBJECT/MEMBER.csv, the source members as OBJECT/MEMBER.<type>, the source of CL
// programs as OBJECT.clp and the data areas in dataareas.csv, and FOLDER/catalog.json; with a
// database, its tables too. A save of the integrated file system has its directories and stream
// files written under FOLDER by their paths, through the stream-file writer given. Member by member, each in
// constant memory; a member that fails is recorded and the others are still written.
class SaveFileExtractor {
  public:
    // Writes `entries` below `folder` by their paths and answers what it wrote for each and why
    // it wrote nothing for some.
    using StreamFileWriter = std::function<IfsEntryExport::Written(const std::vector<IfsEntry>& entries,
                                                                   const std::filesystem::path& folder)>;

    SaveFileExtractor(const Catalog& catalog, EbcdicTextConverter& converter, std::int32_t pcCodePage);

    // Reads the save through `opener` rather than from the file the catalog names: a save held
    // by a save-file object is read through the saves around it.
    void readThrough(ViewSession::SourceOpener opener) { session_.openSource = std::move(opener); }

    // Extracts into `folder`; `database` may be null. `saveFileName` names the save file in the
    // database's rows. Progress counts members of physical files; a cancelled run stops at the
    // next member or within a member, leaving only complete files.
    ExtractOutcome run(const std::filesystem::path& folder, SqliteWriter* database,
                       const std::string& saveFileName, ProgressReporter& progress);

    // Without a writer, the entries of an integrated-file-system save are only listed in the
    // catalog.
    void setStreamFileWriter(StreamFileWriter writer) { writeStreamFiles_ = std::move(writer); }

    // Character and graphic fields by their stored CCSIDs, those without a usable one read in
    // `hostPage` (the chosen host page, which catalog.json's texts fall back to as well), and
    // the objects' and members' texts of catalog.json and the catalog table by theirs
    // (CatalogTexts); without this call, every field and those texts by the pair.
    void decodeByStoredCcsid(std::int32_t hostPage);

    // Writes the members on `jobs` threads at once (1, the default: one after another on the
    // calling thread). Everything else, and whatever the members' writing reports (progress,
    // failures, names, catalog.json), stays in catalog order, so the output is the same as with
    // one; the progress of a member written on another thread is told when its turn comes. With
    // a database the members are written one after another, so that its rows go in in order.
    // The workers share the converter given, which must then serve any thread (the modules'
    // ConversionLayer and InProcessTextConverter do).
    void setJobs(std::size_t jobs) { jobs_ = std::max<std::size_t>(jobs, 1); }

    // Says that the catalog stops short and why: a failure of the run and a line of catalog.json.
    void setIncomplete(std::string why) { incomplete_ = std::move(why); }

    // Bytes of the files written so far; may be read from another thread.
    std::int64_t bytesWritten() const { return bytesWritten_.load(); }

    // The members of physical files an extraction goes through.
    static std::int64_t memberTotal(const Catalog& catalog);

  private:
    struct Library {
        std::string folder;
        ExtractNames names;
        std::vector<std::vector<std::string>> dataAreas;
    };
    struct Place {
        std::int32_t part = 0;
        std::int32_t object = 0;
        Library* library = nullptr;
    };

    // Resets one run's state.
    void beginRun(const std::filesystem::path& folder, SqliteWriter* database,
                  const std::string& saveFileName, ProgressReporter& progress);
    // Every object of every part, in catalog order, until the run is cancelled.
    void extractObjects();
    // One object, by what it is.
    void extractObject(const Place& place, const SavedObject& object);
    // The files written after the objects, then catalog.json.
    void finishRun();
    Library& libraryFor(const SavedPart& part);
    void extractFile(const Place& place, const SavedObject& file);
    void extractMember(const Place& place, const SavedObject& file, const std::string& fileFolder,
                       ExtractNames& fileNames, std::int32_t memberIndex,
                       const std::shared_ptr<const SqlTable>& columns);
    // The writing's outcome recorded for the member.
    void recordMember(const MemberJob& job, const MemberJob::Result& result);
    // A member gone through, counted in the progress unless the run is cancelled.
    void finishMember();
    // Queues a member's writing on the workers; its outcome is recorded in its turn.
    void writeOnWorker(MemberJob job);
    // Hands the failures recorded from `from` on to the workers' runs, to be recorded again in
    // their turn after the members queued before them.
    void keepFailuresInOrder(std::size_t from);
    void startWorkers();
    // Adds the CREATE TABLE of a physical data file to schema.sql.
    void addSchemaTable(const Place& place, const SavedObject& file, const SqlTable& columns);
    void writeSchema();
    void extractClProgram(const Place& place, const SavedObject& program);
    void extractDataArea(const Place& place, const SavedObject& area);
    void extractDescription(const Place& place, const SavedObject& object);
    void writeStreamFiles();
    void writeCatalog();
    // Writes what `out` holds into place; false, with the failure recorded under `where`, when
    // it cannot be.
    bool commitFile(OutputFile& out, const std::string& where);
    void writeDataAreas();
    void writeCatalogRows();
    // The `columns` rows of a file's fields.
    void addColumnRows(const std::string& library, const SavedObject& file);
    void fail(ItemOutcome& outcome, const std::string& where, const std::string& reason,
              std::vector<std::string>& list);

    const Catalog& catalog_;
    SilentNotifier notifier_;
    MemoryContentList list_;
    ViewSession session_;
    PcTextToUtf8 utf8_;
    std::int32_t hostPage_ = CatalogJson::kDefaultHostPage;
    std::unique_ptr<FieldTextByCcsid> byCcsid_;
    std::int32_t pcCodePage_;
    std::unique_ptr<CatalogTexts> nodeTexts_;
    // Field texts, long names and defaults, read in their stored CCSIDs as catalog.json reads them.
    StoredCcsidText storedTexts_;
    StreamFileWriter writeStreamFiles_;
    std::string incomplete_;
    std::atomic<std::int64_t> bytesWritten_{0};

    // One run's state.
    std::filesystem::path folder_;
    OutputFolder root_;
    SqliteWriter* database_ = nullptr;
    std::string saveFileName_;
    ProgressReporter* progress_ = nullptr;
    ExtractOutcome outcome_;
    ExtractNames libraryNames_;
    std::map<std::string, Library> libraries_;
    ExtractNames schemaTableNames_;
    std::vector<std::string> schemaStatements_;
    std::int64_t membersDone_ = 0;
    std::int64_t memberTotal_ = 0;

    // With more than one job, the workers and their runs (runs_ null without), and the fallback
    // notes of the members they wrote.
    std::size_t jobs_ = 1;
    std::vector<std::string> workerFieldNotes_;
    // The members handed to the workers, or counted past on the way, so far.
    std::int64_t membersQueued_ = 0;
    ParallelMemberRuns* runs_ = nullptr;
    // Last, so that its workers stop before anything they use goes.
    std::unique_ptr<MemberWorkers> workers_;
};

}  // namespace quelvane
